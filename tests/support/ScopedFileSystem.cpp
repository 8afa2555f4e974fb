#include "tests/support/ScopedFileSystem.h"

namespace testsupport {

ScopedFileSystem::ScopedFileSystem(engine::FileSystem& fs) {
    // fileSystem() answers the default when none is installed. Remember that case as
    // nullptr, so that the outermost guard leaves the engine exactly as it found it
    // rather than with its default installed by hand.
    engine::FileSystem& current = engine::fileSystem();
    engine::setFileSystem(nullptr);
    m_previous = &engine::fileSystem() == &current ? nullptr : &current;
    engine::setFileSystem(&fs);
}

ScopedFileSystem::~ScopedFileSystem() {
    engine::setFileSystem(m_previous);
}

} // namespace testsupport
