#pragma once
// A table family in memory as /kv-fuzz/T.<ext>, installed as the engine's file
// system for the lifetime of this object (also when the caller leaves by an
// exception), so that one family cannot leave state behind for the next.

#include "tests/support/FamilyFile.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/ScopedFileSystem.h"

#include <filesystem>
#include <vector>

namespace testsupport {

class MountedFamily {
public:
    explicit MountedFamily(const std::vector<FamilyFile>& files) : m_mount(m_fs) {
        for (const auto& f : files)
            m_fs.put(m_dir / ("T." + f.ext), f.bytes);
    }
    std::filesystem::path table() const { return m_dir / "T.DB"; }

private:
    MemoryFileSystem m_fs;
    ScopedFileSystem m_mount; // after m_fs: uninstalled before the files go
    const std::filesystem::path m_dir = "/kv-fuzz";
};

} // namespace testsupport
