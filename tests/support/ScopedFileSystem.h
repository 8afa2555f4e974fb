#pragma once
// Installs a file system as the engine's for the lifetime of this object and puts
// back the one it replaced. A failed check returns from the test function early;
// the guard makes sure a fault or in-memory file system never outlives it and
// fails the tests that follow.

#include "engine/FileSystem.h"

namespace testsupport {

class ScopedFileSystem {
public:
    explicit ScopedFileSystem(engine::FileSystem& fs);
    ~ScopedFileSystem();
    ScopedFileSystem(const ScopedFileSystem&) = delete;
    ScopedFileSystem& operator=(const ScopedFileSystem&) = delete;

private:
    engine::FileSystem* m_previous; // nullptr: the engine's default
};

} // namespace testsupport
