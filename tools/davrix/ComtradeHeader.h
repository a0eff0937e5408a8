// ComtradeHeader: what the tool reads from the configuration file (.cfg) of a fault record
// in the IEEE C37.111 exchange format, revisions 1991 (no revision year on the first
// line), 1999 and 2013. The whole header is checked line by line: field counts, numbers,
// dates; the first fault found is reported with its line number.
#ifndef DAVRIX_TOOL_COMTRADEHEADER_H
#define DAVRIX_TOOL_COMTRADEHEADER_H

#include <string>
#include <vector>

namespace davrix {
namespace tool {

// A date and time as the header states it (no time zone applied).
struct ComtradeTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    long nanosecond = 0;
    int Millisecond() const { return (int)(nanosecond / 1000000); }
};

struct ComtradeHeader {
    int revision = 0;         // 1991, 1999 or 2013
    std::string stationName;  // raw bytes of the header, trimmed
    std::string deviceId;     // raw bytes of the header, trimmed
    int analogChannels = 0;
    int digitalChannels = 0;
    double lineFrequency = 0;
    struct Rate {
        double samplesPerSecond;
        long lastSample;
    };
    std::vector<Rate> rates;
    ComtradeTime firstSample;
    ComtradeTime trigger;
    std::string fileType;  // ASCII, BINARY, BINARY32 or FLOAT32, upper case
    int fileTypeLine = 0;  // the line that names the data file's type
    double timeMultiplier = 1;

    // Header lines longer than this are refused (real lines hold well under 300 bytes).
    static const size_t kMaxLineBytes = 4096;

    // Parses the text of a .cfg file. False with the 1-based line and a reason when the
    // header is malformed; *out is then not to be used.
    static bool Parse(const std::string& text, ComtradeHeader* out, int* errorLine, std::string* reason);
};

}  // namespace tool
}  // namespace davrix

#endif
