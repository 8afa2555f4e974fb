#include "cli/OutputFile.h"

#include "cli/OutputTarget.h"
#include "cli/VisibleText.h"

#include "capture/CodeFileBytes.h"

#include <algorithm>
#include <ostream>

namespace cli {

namespace {
bool contains(const std::vector<std::string>& list, const std::string& s) {
    return std::find(list.begin(), list.end(), s) != list.end();
}
} // namespace

bool splitValueOptions(const std::vector<std::string>& args,
                       const std::vector<std::string>& valueOptions,
                       const std::vector<std::string>& flags, std::vector<std::string>& operands,
                       std::string& value, std::ostream& err,
                       std::vector<std::string>* givenFlags) {
    bool optionsEnded = false;
    bool haveValue = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded || a.size() < 2 || a[0] != '-') {
            operands.push_back(a);
        } else if (a == "--") {
            optionsEnded = true;
        } else if (contains(valueOptions, a)) {
            if (i + 1 >= args.size()) {
                err << "korvanta-cli: option '" << visibleText(a) << "' needs a file name\n";
                return false;
            }
            if (haveValue) {
                err << "korvanta-cli: option '" << visibleText(a) << "' given twice\n";
                return false;
            }
            value = args[++i];
            haveValue = true;
        } else if (contains(flags, a)) {
            if (givenFlags)
                givenFlags->push_back(a);
        } else {
            err << "korvanta-cli: unknown option '" << visibleText(a) << "'\n";
            return false;
        }
    }
    return true;
}

bool writeOutput(const std::string& text, const std::string& file, std::ostream& out,
                 std::ostream& err) {
    if (file.empty() || file == "-") {
        out << text;
        out.flush();
        return bool(out);
    }
    try {
        OutputTarget target(file, out);
        target.append(text);
        target.commit();
    } catch (const std::exception& e) {
        err << visibleText(file) << ": " << visibleText(e.what()) << '\n';
        return false;
    }
    return true;
}

bool writeCodeOutput(const QStringList& lines, const std::string& file, std::ostream& out,
                     std::ostream& err) {
    if (file.empty() || OutputTarget::namesStandardOutput(file)) {
        QString text;
        for (const QString& line : lines)
            text += line + QStringLiteral("\r\n");
        return writeOutput(text.toStdString(), std::string(), out, err);
    }
    const QByteArray bytes = capture::CodeFileBytes::encode(lines);
    return writeOutput(bytes.toStdString(), file, out, err);
}

} // namespace cli
