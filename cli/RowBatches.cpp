#include "cli/RowBatches.h"

#include <utility>

namespace cli {

namespace {

// A batch stops at whichever comes first: memory stays small whatever the rows hold.
constexpr size_t kBatchRows = 256;
constexpr size_t kBatchBytes = 1 << 20;

size_t approximateSize(const engine::Row& row) {
    size_t bytes = 0;
    for (const engine::Value& v : row)
        bytes += sizeof v + v.text.size();
    return bytes;
}

} // namespace

RowBatches::RowBatches(std::shared_ptr<const engine::TableFile> table)
    : m_table(std::move(table)) {}

const std::vector<engine::Row>& RowBatches::next() {
    m_batch.clear();
    if (m_damage)
        std::rethrow_exception(std::exchange(m_damage, nullptr));
    size_t bytes = 0;
    try {
        m_table->forEachRowFrom(m_at, [&](const engine::Row& row) {
            m_batch.push_back(row);
            bytes += approximateSize(row);
            return m_batch.size() < kBatchRows && bytes < kBatchBytes;
        });
    } catch (...) {
        if (m_batch.empty())
            throw;
        m_damage = std::current_exception();
        m_at.finished = true;
    }
    return m_batch;
}

} // namespace cli
