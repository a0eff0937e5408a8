// ToolError: a failure that ends the command with a one-line message (GBK, as every text
// inside the tool) and an exit status: 1 for a failed operation, 2 for a wrong invocation.
#ifndef DAVRIX_TOOL_TOOLERROR_H
#define DAVRIX_TOOL_TOOLERROR_H

#include <stdexcept>
#include <string>

namespace davrix {
namespace tool {

class ToolError : public std::runtime_error {
public:
    static const int kFailed = 1;
    static const int kUsage = 2;

    explicit ToolError(const std::string& gbkMessage, int exitStatus = kFailed)
        : std::runtime_error(gbkMessage), m_exitStatus(exitStatus) {}
    int ExitStatus() const { return m_exitStatus; }

    static ToolError Usage(const std::string& message) { return ToolError(message, kUsage); }

private:
    int m_exitStatus;
};

}  // namespace tool
}  // namespace davrix

#endif
