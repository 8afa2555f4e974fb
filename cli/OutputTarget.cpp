#include "cli/OutputTarget.h"

#include "engine/EngineError.h"

#include <cerrno>
#include <fcntl.h>
#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

namespace cli {

namespace {

using engine::EngineError;
using engine::ErrorCode;
using engine::quoted;

[[noreturn]] void refuse(const std::filesystem::path& path, const std::string& why) {
    throw EngineError(ErrorCode::InvalidArgument, quoted(path) + " " + why);
}

// The file a link leads to, through every link on the way; for a link to a name not
// made yet, that name in its (existing) real folder.
std::filesystem::path linkTarget(const std::filesystem::path& link) {
    std::error_code ec;
    std::filesystem::path real = std::filesystem::canonical(link, ec);
    if (!ec)
        return real;
    std::filesystem::path to = std::filesystem::read_symlink(link, ec);
    if (ec)
        engine::throwIo(link, "lecture du lien", ec.value());
    if (to.is_relative())
        to = link.parent_path() / to;
    const std::filesystem::path folder =
        std::filesystem::canonical(to.has_parent_path() ? to.parent_path() : ".", ec);
    if (ec || to.filename().empty())
        refuse(link, "mène à un dossier qui n'existe pas");
    return folder / to.filename();
}

} // namespace

// The same file as descriptor 1, whichever name leads to it (/dev/stdout,
// /proc/self/fd/1, a file the shell redirected output to).
bool OutputTarget::namesStandardOutput(const std::string& name) {
    if (name == "-")
        return true;
    struct stat named, standard;
    return ::stat(name.c_str(), &named) == 0 && ::fstat(STDOUT_FILENO, &standard) == 0 &&
           named.st_dev == standard.st_dev && named.st_ino == standard.st_ino;
}

OutputTarget::OutputTarget(const std::string& name, std::ostream& standardOutput) : m_name(name) {
    if (namesStandardOutput(name)) {
        m_standardOutput = &standardOutput;
        return;
    }
    std::filesystem::path path(name);
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        path = linkTarget(path);
        // A link left at the end of the way leads nowhere that could be replaced.
        if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            refuse(name, "mène à un lien qui ne mène nulle part");
    }
    if (::lstat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode))
        m_aside = std::make_unique<AsideFile>(path.string());
    else if (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode))
        openStream(path);
    else if (S_ISDIR(st.st_mode))
        refuse(path, "est un dossier : donnez un nom de fichier");
    else
        refuse(path, "n'est ni un fichier, ni un tube, ni un périphérique caractère");
}

OutputTarget::~OutputTarget() {
    if (m_stream >= 0)
        ::close(m_stream);
}

void OutputTarget::openStream(const std::filesystem::path& path) {
    // Written where it is: never created, never emptied, never replaced.
    m_stream = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC);
    if (m_stream < 0)
        engine::throwIo(path, "ouverture", errno);
    struct stat st;
    if (::fstat(m_stream, &st) != 0 || !(S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode))) {
        ::close(m_stream); // the destructor does not run for a refused construction
        m_stream = -1;
        refuse(path, "a changé pendant son ouverture");
    }
}

void OutputTarget::append(const std::string& text) {
    if (m_aside) {
        m_aside->append(text);
    } else if (m_standardOutput) {
        m_standardOutput->write(text.data(), std::streamsize(text.size()));
        if (!*m_standardOutput)
            throw EngineError(ErrorCode::Io, "La sortie standard refuse l'écriture");
    } else {
        for (size_t done = 0; done < text.size();) {
            const ssize_t n = ::write(m_stream, text.data() + done, text.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                engine::throwIo(m_name, "écriture", n < 0 ? errno : EIO);
            done += size_t(n);
        }
    }
}

void OutputTarget::commit() {
    if (m_aside) {
        m_aside->commit();
    } else if (m_standardOutput) {
        m_standardOutput->flush();
        if (!*m_standardOutput)
            throw EngineError(ErrorCode::Io, "La sortie standard refuse l'écriture");
    } else {
        const int fd = m_stream;
        m_stream = -1;
        if (::close(fd) != 0 && errno != EINTR)
            engine::throwIo(m_name, "fermeture", errno);
    }
}

} // namespace cli
