#pragma once
// The --code-page N option of the commands that read text (rows, info, export): it
// names the page a table's text is really in when its header names the wrong one.

#include "cli/options/ParsedArguments.h"

#include <optional>

namespace engine {
class TableFile;
}

namespace cli {

class CodePageOption {
public:
    // The page the arguments name; the parser has checked it is a number in range.
    explicit CodePageOption(const ParsedArguments& args);

    bool given() const { return m_page.has_value(); }
    int page() const { return m_page.value_or(0); }

    // Makes the table read its text in the named page; nothing when none was named.
    // Throws EngineError(NotSupported) for a page the system cannot convert.
    void applyTo(engine::TableFile& table) const;

private:
    std::optional<int> m_page;
};

} // namespace cli
