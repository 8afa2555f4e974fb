#pragma once
// Standard output as every command writes it: its own buffer over descriptor 1, so
// that the first failed write is kept with its reason (a full disk, a failing device) and
// reported once, instead of the stream just going quiet. A failed write puts the
// stream in a failed state, so that long listings can stop at once.

#include <streambuf>
#include <vector>

namespace cli {

class StandardOutput : public std::streambuf {
public:
    StandardOutput();
    StandardOutput(const StandardOutput&) = delete;
    StandardOutput& operator=(const StandardOutput&) = delete;

    // Writes what is buffered. False when this or any earlier write failed; failure()
    // then holds the errno of the first failure.
    bool finish();
    int failure() const { return m_failure; }

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override;

private:
    bool drain();
    bool writeAll(const char* data, size_t size);

    std::vector<char> m_buffer;
    int m_failure = 0;
};

} // namespace cli
