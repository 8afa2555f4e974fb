#pragma once
// The rows of a table in the order forEachRow gives them, a bounded batch at a time.
// Each batch is read under one read lock, let go before the caller writes it out: a
// reader of the output that stalls (a pager, a full pipe) never holds up a program
// writing the table. Each batch is one consistent state of the table; a row added
// behind the walk by a writer meanwhile is not seen, one added ahead of it is.

#include "engine/TableFile.h"

#include <exception>
#include <memory>
#include <vector>

namespace cli {

class RowBatches {
public:
    explicit RowBatches(std::shared_ptr<const engine::TableFile> table);

    // The next batch; empty once every row was given. Damage met part way is thrown
    // by the call after the one giving the rows read before it.
    const std::vector<engine::Row>& next();

private:
    std::shared_ptr<const engine::TableFile> m_table;
    engine::TableFile::Resume m_at;
    std::vector<engine::Row> m_batch;
    std::exception_ptr m_damage;
};

} // namespace cli
