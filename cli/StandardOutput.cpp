#include "cli/StandardOutput.h"

#include <cerrno>
#include <unistd.h>

namespace cli {

namespace {
constexpr size_t kBufferSize = 64 * 1024;
}

StandardOutput::StandardOutput() : m_buffer(kBufferSize) {
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
}

bool StandardOutput::writeAll(const char* data, size_t size) {
    while (size > 0 && m_failure == 0) {
        const ssize_t written = ::write(STDOUT_FILENO, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            m_failure = written < 0 ? errno : EIO;
            break;
        }
        data += written;
        size -= size_t(written);
    }
    return m_failure == 0;
}

// Once a write failed, what follows is dropped: a reader must not get a listing
// with a hole in it that looks whole.
bool StandardOutput::drain() {
    const size_t pending = size_t(pptr() - pbase());
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
    return writeAll(m_buffer.data(), pending);
}

StandardOutput::int_type StandardOutput::overflow(int_type c) {
    if (!drain())
        return traits_type::eof();
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
}

std::streamsize StandardOutput::xsputn(const char* s, std::streamsize n) {
    if (m_failure != 0)
        return 0;
    if (n <= epptr() - pptr()) {
        traits_type::copy(pptr(), s, size_t(n));
        pbump(int(n));
        return n;
    }
    if (!drain())
        return 0;
    if (size_t(n) < m_buffer.size())
        return xsputn(s, n);
    return writeAll(s, size_t(n)) ? n : 0;
}

int StandardOutput::sync() {
    return drain() ? 0 : -1;
}

bool StandardOutput::finish() {
    return drain();
}

} // namespace cli
