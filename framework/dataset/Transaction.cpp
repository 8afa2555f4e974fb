#include "framework/dataset/Transaction.h"

#include "framework/dataset/Database.h"

namespace dataset {

Transaction::Transaction(Database& db) : m_db(db) {
    m_db.StartTransaction();
}

Transaction::~Transaction() {
    if (!m_open)
        return;
    try {
        m_db.Rollback();
    } catch (...) {
        // Most often on the way out of an exception: a second one would end the
        // program. The engine rolls back by itself what it could not here (the
        // journal left hot is rolled back at the next access).
    }
}

void Transaction::commit() {
    m_open = false; // Commit rolls back by itself what it could not commit
    m_db.Commit();
}

void Transaction::rollback() {
    m_open = false;
    m_db.Rollback();
}

} // namespace dataset
