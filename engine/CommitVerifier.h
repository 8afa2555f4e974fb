#pragma once
// Builds made with KV_VERIFY_COMMITS (Debug and sanitizer builds) check every commit
// of a small table with IntegrityCheck: a commit that damages a table that was whole
// before it stops the program there, naming the damage, instead of leaving it for a
// later reader to stumble on. A table already damaged before the commit (the tests
// that plant damage) is left to the checks the engine makes anyway, and so are tables
// on a file system a test installed. Elsewhere this class does nothing.

#include <cstdint>

namespace engine {

class TableData;

class CommitVerifier {
public:
    explicit CommitVerifier(TableData& table);
    void committed();

private:
    TableData& m_table;
    bool m_active = false;
};

} // namespace engine
