#include "framework/dataset/VisibleRowReader.h"

#include "framework/dataset/Table.h"

#include "engine/Cursor.h"

namespace dataset {

VisibleRowReader::VisibleRowReader(const Table& view) : m_view(view) {
    if (view.Active() && !view.m_detailEmpty)
        m_cursor = view.makeViewCursor();
    m_atEnd = !m_cursor;
}

VisibleRowReader::~VisibleRowReader() = default;

bool VisibleRowReader::next(engine::Row& row) {
    while (!m_atEnd) {
        const bool moved = m_started ? m_cursor->next() : m_cursor->first();
        m_started = true;
        if (!moved) {
            m_atEnd = true;
            break;
        }
        if (m_view.visible(m_cursor->row())) {
            row = m_cursor->row();
            return true;
        }
    }
    return false;
}

} // namespace dataset
