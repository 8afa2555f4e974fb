// korvanta-cli verify TABLE.db...: whether each table family is whole on disk (the
// engine's IntegrityCheck), like fsck for one table: 0 when every table is whole, 1
// when damage was found (each finding on its own line, file then damage), 2 when a
// table could not be looked at (missing, unreadable, encrypted) or the command line
// is wrong (the option parser says so before this runs).

#include "cli/Command.h"
#include "cli/VisibleText.h"

#include "engine/IntegrityCheck.h"

#include <algorithm>
#include <ostream>

namespace cli {

namespace {

constexpr int kVerifyDamaged = 1;
constexpr int kVerifyTrouble = 2;

// The findings of one table; the status it calls for.
int verifyOne(const std::string& path, std::ostream& out, std::ostream& err) {
    try {
        const auto findings = engine::IntegrityCheck::of(path);
        for (const auto& f : findings)
            out << visibleText(path) << ": " << visibleText(f.file) << ": " << visibleText(f.what)
                << '\n';
        return findings.empty() ? kExitOk : kVerifyDamaged;
    } catch (const std::exception& e) {
        err << visibleText(path) << ": " << visibleText(e.what()) << '\n';
        return kVerifyTrouble;
    }
}

} // namespace

int runVerify(const ParsedArguments& args, std::ostream& out, std::ostream& err) {
    int status = kExitOk;
    for (const auto& path : args.operands())
        status = std::max(status, verifyOne(path, out, err));
    out.flush();
    return status;
}

} // namespace cli
