#pragma once
// A one-line progress bar for long exports, redrawn in place on a terminal. It draws
// nothing when standard error is not a terminal, so that logs stay clean.

#include <cstdint>
#include <iosfwd>
#include <string>

namespace cli {

class ProgressBar {
public:
    // Draws on `out` only when `enabled` (the caller checks for a terminal).
    ProgressBar(std::ostream& out, bool enabled) : m_out(out), m_enabled(enabled) {}
    // True when standard error is a terminal.
    static bool stderrIsTerminal();

    void start(const std::string& label, uint64_t total);
    void advance(uint64_t done);
    void finish();

private:
    void draw(uint64_t done);

    std::ostream& m_out;
    bool m_enabled;
    std::string m_label;
    uint64_t m_total = 0;
    int m_shownPercent = -1;
};

} // namespace cli
