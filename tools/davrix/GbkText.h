// Conversions between the application's code page (GBK) and other encodings, with iconv.
// The tool keeps every text in GBK internally, as the module does; terminal text and
// header text are converted at the edges.
#ifndef DAVRIX_TOOL_GBKTEXT_H
#define DAVRIX_TOOL_GBKTEXT_H

#include <string>

namespace davrix {
namespace tool {

// True when bytes form valid UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
bool IsValidUtf8(const std::string& bytes);
// True when bytes are valid GBK text (every double-byte character assigned).
bool IsValidGbk(const std::string& bytes);

// Strict conversion: false when the input is invalid in `from` or a character has no form
// in `to`; *out is then not to be used.
bool Convert(const char* from, const char* to, const std::string& in, std::string* out);
// Lossy conversion from GBK: a character that is invalid or has no form in `to` becomes '?'.
std::string ConvertFromGbkLossy(const char* to, const std::string& gbk);

// Text of unknown origin (a header line, a file name) to GBK: valid UTF-8 is read as UTF-8
// (a leading byte-order mark dropped), anything else as GBK. False with a reason when it is
// neither, or when a UTF-8 character has no GBK form.
bool ExternalToGbk(const std::string& bytes, std::string* gbk, std::string* why);

// Bytes of unknown origin (a path) for a message: as ExternalToGbk, or with every
// non-ASCII byte shown as '?' when that fails.
std::string DisplayGbk(const std::string& bytes);

}  // namespace tool
}  // namespace davrix

#endif
