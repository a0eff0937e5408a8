// The one crossing between the application's code page (GBK) and the database's
// characters (UTF-8). Every statement text, parameter and fetched text passes here.
// Internal to the stand-in.
#ifndef DAVRIXFW_TEXTCODEC_H
#define DAVRIXFW_TEXTCODEC_H

#include <cstddef>
#include <string>

namespace davrix {
namespace text {

// The application's code page as iconv names it.
const char* AcpName();

// Converts application text to UTF-8. Returns false, leaving out unspecified, when the
// input is not valid in the code page (a lone lead byte, an unassigned pair).
bool ToUtf8(const char* pAcp, size_t nBytes, std::string& out);

// Converts UTF-8 from the database to application text. A character without a form in the
// code page becomes '?', and so does an invalid UTF-8 byte; an incomplete sequence at the
// end (a driver cut the value) is dropped. With nMaxBytes != npos the result is cut to at
// most that many bytes, never inside a double-byte character.
void FromUtf8(const char* pUtf8, size_t nBytes, std::string& out, size_t nMaxBytes = std::string::npos);

// Length in code-page bytes of the longest prefix of p[0..n) that fits nMax bytes and ends
// on a character boundary.
size_t CutOnBoundary(const char* p, size_t n, size_t nMax);

// True when every byte is 7-bit: both encodings agree and no conversion is needed.
bool IsAscii(const char* p, size_t n);

}  // namespace text
}  // namespace davrix

#endif
