#include "cli/CodePageOption.h"

#include "engine/TableFile.h"

#include <string>

namespace cli {

CodePageOption::CodePageOption(const ParsedArguments& args) {
    if (args.has("--code-page"))
        m_page = std::stoi(args.value("--code-page"));
}

void CodePageOption::applyTo(engine::TableFile& table) const {
    if (m_page)
        table.useCodePage(*m_page);
}

} // namespace cli
