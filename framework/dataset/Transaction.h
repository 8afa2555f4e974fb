#pragma once
// One transaction of a Database as an object: started by the constructor, rolled
// back by the destructor unless commit() went through. Whatever leaves the scope
// early (a return, an exception) leaves the files as they were.

namespace dataset {

class Database;

class Transaction {
public:
    explicit Transaction(Database& db); // Database::StartTransaction
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit(); // a failed commit is rolled back and thrown
    // Before the end of the scope: lets the files go now (before asking the user
    // something, say), so that other programs do not wait on them meanwhile.
    void rollback();

private:
    Database& m_db;
    bool m_open = true;
};

} // namespace dataset
