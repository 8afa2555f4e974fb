#include "cli/ReadingLoss.h"

#include "cli/VisibleText.h"

#include <ostream>

namespace cli {

bool ReadingLoss::report(const std::string& tablePath, std::ostream& err) const {
    const std::string table = visibleText(tablePath);
    if (!text.clean())
        err << table << ": " << text.unclean << " of " << text.textValues
            << " text values do not decode cleanly in code page " << textCodePage
            << " and were written as they decoded; if the text is in another page, name it "
               "with --code-page N\n";
    if (blobValuesLost > 0)
        err << table << ": its BLOB file (.MB) is missing: " << blobValuesLost
            << " memo and BLOB values were written as NULL\n";
    return any();
}

} // namespace cli
