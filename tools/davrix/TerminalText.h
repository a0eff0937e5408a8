// TerminalText: the crossing between the tool's GBK texts and the terminal's encoding (the
// codeset of the locale the environment chose). Output never fails: what the terminal
// cannot show becomes '?'. Input is checked.
#ifndef DAVRIX_TOOL_TERMINALTEXT_H
#define DAVRIX_TOOL_TERMINALTEXT_H

#include <string>

namespace davrix {
namespace tool {

class TerminalText {
public:
    // The codeset of the current LC_CTYPE locale (call setlocale(LC_ALL, "") first).
    TerminalText();
    explicit TerminalText(std::string codeset);

    const std::string& Codeset() const { return m_codeset; }

    // GBK to terminal text; characters the terminal cannot show become '?'.
    std::string FromGbk(const std::string& gbk) const;
    // Terminal text (arguments, typed input) to GBK. In a plain ASCII locale, where the
    // shell still hands over whatever bytes it got, valid UTF-8 is taken as UTF-8.
    // False with a reason when the text is invalid or has no GBK form.
    bool ToGbk(const std::string& text, std::string* gbk, std::string* why) const;

    // Columns that terminal text takes on screen in the current locale: wide characters
    // count 2; bytes the locale cannot decode count 1 each.
    static int Width(const std::string& text);
    // Control characters (which would break a line or move the cursor) replaced by '?'.
    static std::string Printable(const std::string& text);

private:
    bool IsAscii() const;
    std::string m_codeset;
};

}  // namespace tool
}  // namespace davrix

#endif
