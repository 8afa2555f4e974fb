#include "framework/dataset/VisibleRowReader.h"

#include "framework/dataset/Table.h"

#include "engine/Cursor.h"

namespace dataset {

VisibleRowReader::VisibleRowReader(const Table& view) : m_view(view) {
    m_atEnd = !view.Active() || view.m_detailEmpty;
}

void VisibleRowReader::readInto(std::vector<engine::Row>& rows, int count) {
    if (m_atEnd || count <= 0)
        return;
    std::unique_ptr<engine::Cursor> cursor = m_view.makeViewCursor();
    // A row gone since the last batch leaves nothing known to follow from.
    const bool placed =
        !m_started ? cursor->first() : m_view.findRow(*cursor, m_last) && cursor->next();
    m_started = true;
    if (!placed) {
        m_atEnd = true;
        return;
    }
    int read = 0;
    do {
        m_last = cursor->row();
        if (m_view.visible(m_last)) {
            rows.push_back(m_last);
            ++read;
        }
    } while (read < count && cursor->next());
    m_atEnd = read < count;
}

} // namespace dataset
