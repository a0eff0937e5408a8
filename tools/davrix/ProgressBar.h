// ProgressBar: one self-rewriting line on standard error, shown only when standard error is
// a terminal. Notes printed while it is shown clear it first.
#ifndef DAVRIX_TOOL_PROGRESSBAR_H
#define DAVRIX_TOOL_PROGRESSBAR_H

#include <string>

namespace davrix {
namespace tool {

class ProgressBar {
public:
    explicit ProgressBar(size_t total);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    bool Enabled() const { return m_enabled; }
    // Shows `done` of the total and a label (terminal text).
    void Update(size_t done, const std::string& label);
    // Removes the bar from the screen.
    void Clear();

private:
    bool m_enabled;
    bool m_shown = false;
    size_t m_total;
};

}  // namespace tool
}  // namespace davrix

#endif
