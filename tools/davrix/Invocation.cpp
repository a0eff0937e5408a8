#include "Invocation.h"

#include "ToolError.h"

#include <cerrno>
#include <climits>
#include <cctype>
#include <cstdlib>

namespace davrix {
namespace tool {

bool Invocation::Has(const std::string& name) const {
    for (const auto& o : options)
        if (o.first == name) return true;
    return false;
}

std::string Invocation::Value(const std::string& name, const std::string& fallback) const {
    std::string value = fallback;
    for (const auto& o : options)
        if (o.first == name) value = o.second;
    return value;
}

std::string Invocation::Gbk(const std::string& text, const std::string& what) const {
    std::string gbk, why;
    if (!m_terminal.ToGbk(text, &gbk, &why)) throw ToolError::Usage(what + ": " + why);
    return gbk;
}

long Invocation::Number(const std::string& text, const std::string& what) const {
    errno = 0;
    char* end = nullptr;
    long v = strtol(text.c_str(), &end, 10);
    bool digits = !text.empty() && (isdigit((unsigned char)text[0]) || text[0] == '-' || text[0] == '+');
    if (!digits || *end != '\0' || errno == ERANGE || v < INT32_MIN || v > INT32_MAX)
        throw ToolError::Usage(what + ": '" + Gbk(text, what) + "' is not a whole number");
    return v;
}

void Invocation::Print(const std::string& gbk) const {
    std::string text = m_terminal.FromGbk(gbk);
    fwrite(text.data(), 1, text.size(), stdout);
}

void Invocation::Note(const std::string& gbk) const {
    fflush(stdout);
    std::string text = m_terminal.FromGbk(gbk);
    fwrite(text.data(), 1, text.size(), stderr);
}

}  // namespace tool
}  // namespace davrix
