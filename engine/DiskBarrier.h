#pragma once
// Bars the disk to the files of this thread for a scope: a step that should be served
// from memory, without the read lock, learns from a thrown DiskBarrier::Needed that it
// needs the disk after all, and runs again under the lock. Only reads and writes of the
// operating system's files are barred (locks, sizes and opens are not).

namespace engine {

class DiskBarrier {
public:
    struct Needed {}; // thrown instead of reading or writing while a barrier stands

    DiskBarrier();
    ~DiskBarrier();
    DiskBarrier(const DiskBarrier&) = delete;
    DiskBarrier& operator=(const DiskBarrier&) = delete;

    // Throws Needed while a barrier stands on this thread.
    static void check();

private:
    bool m_outer;
};

} // namespace engine
