#pragma once
// A file the command writes beside its target, under a hidden name made for this
// run only (nothing planted there beforehand is opened), then syncs and renames
// over the target: the target is always either the old file or the whole new one,
// even when the program is killed or the disk fills up half way.

#include "engine/FileSystem.h"

#include <cstdint>
#include <memory>
#include <string>

namespace cli {

class AsideFile {
public:
    // Throws engine::EngineError when the file cannot be made beside `target`.
    explicit AsideFile(const std::string& target);
    // Removes the file written aside unless it was committed.
    ~AsideFile();
    AsideFile(const AsideFile&) = delete;
    AsideFile& operator=(const AsideFile&) = delete;

    // Throws engine::EngineError (a write refused: disk full, size limit...).
    void append(const std::string& text);
    // Syncs, closes and renames over the target. Throws engine::EngineError.
    void commit();

private:
    std::string m_target;
    std::unique_ptr<engine::File> m_file;
    std::filesystem::path m_aside;
    uint64_t m_size = 0;
    bool m_committed = false;
};

} // namespace cli
