#pragma once
// The --code-page N option of the commands that read text (rows, info, export): it
// names the page a table's text is really in when its header names the wrong one.

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace engine {
class TableFile;
}

namespace cli {

class CodePageOption {
public:
    // Takes "--code-page N" (or "--code-page=N") out of args. False, with the reason
    // on err, when the value is missing, not a number, or given twice.
    bool take(std::vector<std::string>& args, std::ostream& err);

    bool given() const { return m_page.has_value(); }
    int page() const { return m_page.value_or(0); }

    // Makes the table read its text in the named page; nothing when none was named.
    // Throws EngineError(NotSupported) for a page the system cannot convert.
    void applyTo(engine::TableFile& table) const;

private:
    std::optional<int> m_page;
};

} // namespace cli
