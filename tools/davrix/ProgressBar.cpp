#include "ProgressBar.h"

#include "TerminalText.h"

#include <cstdio>
#include <sys/ioctl.h>
#include <unistd.h>

namespace davrix {
namespace tool {

namespace {

int TerminalColumns() {
    struct winsize ws;
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0) return ws.ws_col;
    return 80;
}

}  // namespace

ProgressBar::ProgressBar(size_t total) : m_enabled(isatty(STDERR_FILENO) == 1), m_total(total) {}

ProgressBar::~ProgressBar() { Clear(); }

void ProgressBar::Update(size_t done, const std::string& label) {
    if (!m_enabled || m_total == 0) return;
    const int barWidth = 24;
    int filled = (int)(done * barWidth / m_total);
    std::string line = "[" + std::string(filled, '#') + std::string(barWidth - filled, '.') + "] " +
                       std::to_string(done) + "/" + std::to_string(m_total) + " ";
    // Keep the line shorter than the terminal, or it would wrap and never be rewritten.
    int room = TerminalColumns() - 1 - (int)line.size();
    std::string shown = TerminalText::Printable(label);
    while (!shown.empty() && TerminalText::Width(shown) > room) {
        shown.erase(0, 1);
        while (!shown.empty() && ((unsigned char)shown[0] & 0xC0) == 0x80) shown.erase(0, 1);  // UTF-8 tail bytes
    }
    fprintf(stderr, "\r\033[K%s%s", line.c_str(), shown.c_str());
    fflush(stderr);
    m_shown = true;
}

void ProgressBar::Clear() {
    if (!m_shown) return;
    fprintf(stderr, "\r\033[K");
    fflush(stderr);
    m_shown = false;
}

}  // namespace tool
}  // namespace davrix
