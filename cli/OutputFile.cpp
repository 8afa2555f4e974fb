#include "cli/OutputFile.h"

#include "cli/OutputTarget.h"
#include "cli/VisibleText.h"

#include "capture/CodeFileBytes.h"

#include <ostream>

namespace cli {

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
