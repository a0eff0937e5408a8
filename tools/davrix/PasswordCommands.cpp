// password scramble|unscramble over geSetPWD and geGetPWD.
#include "Commands.h"
#include "ToolError.h"

#include <davrixdb/password/Password.h>

namespace davrix {
namespace tool {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

int RunPasswordScramble(Invocation& inv) {
    std::string password = inv.Gbk(inv.operands[0], "password");
    if (password.find('\0') != std::string::npos) throw ToolError::Usage("password: no zero bytes");
    BYTE scrambled[255];
    BYTE length = sizeof scrambled;
    if (!geSetPWD(password.c_str(), scrambled, length))
        throw ToolError("the password cannot be scrambled: it has " + std::to_string(password.size()) +
                        " bytes (GBK); at most 63 are kept");
    static const char hex[] = "0123456789abcdef";
    std::string text;
    for (BYTE i = 0; i < length; ++i) {
        text += hex[scrambled[i] >> 4];
        text += hex[scrambled[i] & 15];
    }
    inv.PrintLine(text);
    return 0;
}

int RunPasswordUnscramble(Invocation& inv) {
    const std::string& hex = inv.operands[0];
    if (hex.size() % 2 != 0 || hex.size() > 2 * 255)
        throw ToolError::Usage("HEX: an even number of hex digits, at most 510, expected");
    std::string bytes;
    for (size_t i = 0; i < hex.size(); i += 2) {
        int hi = HexDigit(hex[i]), lo = HexDigit(hex[i + 1]);
        if (hi < 0 || lo < 0) throw ToolError::Usage("HEX: '" + inv.Gbk(hex, "HEX") + "' is not hexadecimal");
        bytes += (char)(hi * 16 + lo);
    }
    CString password = geGetPWD(reinterpret_cast<const BYTE*>(bytes.data()), (BYTE)bytes.size());
    inv.PrintLine(std::string(password.GetString(), password.GetLength()));
    return 0;
}

}  // namespace tool
}  // namespace davrix
