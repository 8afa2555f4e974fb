#include "cli/Command.h"
#include "cli/VisibleText.h"

#include <algorithm>
#include <ostream>

namespace cli {

bool splitOptions(const std::vector<std::string>& args, const std::vector<std::string>& known,
                  std::vector<std::string>& options, std::vector<std::string>& operands,
                  std::ostream& err) {
    bool optionsEnded = false;
    for (const auto& a : args) {
        if (!optionsEnded && a == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && a.size() > 1 && a[0] == '-') {
            if (std::find(known.begin(), known.end(), a) == known.end()) {
                err << "korvanta-cli: unknown option '" << visibleText(a) << "'\n";
                return false;
            }
            options.push_back(a);
        } else {
            operands.push_back(a);
        }
    }
    return true;
}

} // namespace cli
