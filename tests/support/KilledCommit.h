#pragma once
// A commit killed after it named its journal and began writing the table: a real
// hot journal, made by the engine in a child process that dies before one of its
// disk operations (FaultFileSystem::crashAt), as a power cut would leave it.

#include <filesystem>
#include <functional>

namespace testsupport {

// Copies `pristine` (a folder holding the table) over `work` and runs `commit` on
// work's table in a child killed before its K-th disk operation, for K = 1, 2, ...
// until the child leaves a journal beside a table it already changed, passing over
// the first `skip` such states. True then, with `work` in that state; false when no
// K did (the commit never got that far).
bool killCommitMidway(const std::filesystem::path& pristine, const std::filesystem::path& work,
                      const std::filesystem::path& tableName,
                      const std::function<void(const std::filesystem::path& table)>& commit,
                      unsigned skip = 0);

} // namespace testsupport
