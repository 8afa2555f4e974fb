#include "cli/ProgressBar.h"

#include "cli/VisibleText.h"

#include <algorithm>
#include <ostream>
#include <unistd.h>

namespace cli {

namespace {
constexpr int kBarWidth = 30;
// Small tables finish before a bar could be read: they get none.
constexpr uint64_t kRowsWorthABar = 5000;
} // namespace

bool ProgressBar::stderrIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

void ProgressBar::start(const std::string& label, uint64_t total) {
    m_label = visibleText(label); // drawn on a terminal
    m_total = total;
    m_shownPercent = -1;
    draw(0);
}

void ProgressBar::advance(uint64_t done) {
    // Redrawn only when the percentage moves: a redraw per row would cost more than
    // the row.
    if (m_enabled && m_total >= kRowsWorthABar && int(done * 100 / m_total) != m_shownPercent)
        draw(done);
}

void ProgressBar::finish() {
    if (m_enabled && m_shownPercent >= 0) {
        draw(m_total);
        m_out << '\n';
        m_out.flush();
    }
    m_shownPercent = -1;
}

void ProgressBar::draw(uint64_t done) {
    if (!m_enabled || m_total < kRowsWorthABar)
        return;
    done = std::min(done, m_total);
    m_shownPercent = int(done * 100 / m_total);
    const int filled = int(done * kBarWidth / m_total);
    m_out << '\r' << m_label << " [" << std::string(size_t(filled), '#')
          << std::string(size_t(kBarWidth - filled), ' ') << "] " << m_shownPercent << "% " << done
          << '/' << m_total;
    m_out.flush();
}

} // namespace cli
