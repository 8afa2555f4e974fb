#include "cli/OutputFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <ostream>
#include <unistd.h>

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
                err << "korvanta-cli: option '" << a << "' needs a file name\n";
                return false;
            }
            if (haveValue) {
                err << "korvanta-cli: option '" << a << "' given twice\n";
                return false;
            }
            value = args[++i];
            haveValue = true;
        } else if (contains(flags, a)) {
            if (givenFlags)
                givenFlags->push_back(a);
        } else {
            err << "korvanta-cli: unknown option '" << a << "'\n";
            return false;
        }
    }
    return true;
}

namespace {

bool writeAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

// The text goes to a file beside the target, is synced, then renamed over it: the
// target is always either the old file or the whole new one, even if the program
// is killed or the disk fills up half way.
bool replaceFile(const std::string& text, const std::string& file, std::string& reason) {
    const std::string aside = file + ".part-" + std::to_string(getpid());
    const int fd = ::open(aside.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        reason = std::strerror(errno);
        return false;
    }
    bool ok = writeAll(fd, text) && ::fsync(fd) == 0;
    if (!ok)
        reason = std::strerror(errno);
    if (::close(fd) != 0 && ok) {
        ok = false;
        reason = std::strerror(errno);
    }
    if (ok && ::rename(aside.c_str(), file.c_str()) != 0) {
        ok = false;
        reason = std::strerror(errno);
    }
    if (!ok)
        ::unlink(aside.c_str());
    return ok;
}

} // namespace

bool writeOutput(const std::string& text, const std::string& file, std::ostream& out,
                 std::ostream& err) {
    if (file.empty()) {
        out << text;
        out.flush();
        return bool(out);
    }
    std::string reason;
    if (!replaceFile(text, file, reason)) {
        err << file << ": " << reason << '\n';
        return false;
    }
    return true;
}

} // namespace cli
