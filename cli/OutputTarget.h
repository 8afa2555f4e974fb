#pragma once
// Where a command's -o FILE (or export's script) goes, chosen by what the name is
// now: "-" or a name of standard output itself (/dev/stdout, /dev/fd/1...) goes
// through the command's own standard output; a FIFO or a character device is
// written straight through, since a reader or a driver waits on that very file;
// a symbolic link is followed and the file it leads to replaced beside itself, so
// that the link stays a link; a plain file (or a new name) is replaced whole
// through an AsideFile. A folder, a socket or a block device is refused before
// anything is written.

#include "cli/AsideFile.h"

#include <filesystem>
#include <iosfwd>
#include <memory>
#include <string>

namespace cli {

class OutputTarget {
public:
    // Throws engine::EngineError when the name cannot receive the output.
    OutputTarget(const std::string& name, std::ostream& standardOutput);
    ~OutputTarget();
    OutputTarget(const OutputTarget&) = delete;
    OutputTarget& operator=(const OutputTarget&) = delete;

    // True for "-" and for any other name of the file descriptor 1 is open on.
    static bool namesStandardOutput(const std::string& name);

    // True when the output shares standard output: whatever else the command
    // prints must then go elsewhere.
    bool isStandardOutput() const { return m_standardOutput != nullptr; }

    // Throws engine::EngineError (a write refused: disk full, reader gone...).
    void append(const std::string& text);
    // Makes the output whole: a file replaced is synced and renamed into place.
    void commit();

private:
    void openStream(const std::filesystem::path& path);

    std::string m_name;
    std::ostream* m_standardOutput = nullptr;
    std::unique_ptr<AsideFile> m_aside;
    int m_stream = -1; // a FIFO or character device, opened without creating anything
};

} // namespace cli
