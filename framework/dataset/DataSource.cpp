#include "framework/dataset/DataSource.h"

#include "framework/dataset/Table.h"

#include <QMetaMethod>

namespace dataset {

DataSource::DataSource(QObject* parent, const QString& name) : QObject(parent) {
    setObjectName(name);
}

DataSource::~DataSource() {
    if (m_dataSet)
        m_dataSet->removeSource(this);
    // Details keep a guarded pointer to this source: from their next opening or re-read on
    // they are untied, without being told now (their window may be going away too).
}

void DataSource::setDataSet(Table* table) {
    if (table == m_dataSet)
        return;
    if (m_dataSet)
        m_dataSet->removeSource(this);
    m_dataSet = table;
    if (table)
        table->addSource(this);
    stateEvent();
}

DataSetState DataSource::State() const {
    return m_dataSet ? m_dataSet->State() : DataSetState::Inactive;
}

void DataSource::dataEvent(Field* field) {
    if (!m_dataSet || !m_dataSet->Active())
        return;
    // Details first, so that handlers of dataChanged see them on the master's row.
    if (m_details.size() == 1) {
        if (Table* d = m_details.front())
            d->masterDataChanged(field);
    } else if (!m_details.isEmpty()) {
        const QList<QPointer<Table>> details = m_details;
        for (const QPointer<Table>& d : details)
            if (d)
                d->masterDataChanged(field);
    }
    if (m_dataListeners > 0 && m_dataSet && m_dataSet->Active())
        emit dataChanged(field);
}

void DataSource::connectNotify(const QMetaMethod& signal) {
    if (signal == QMetaMethod::fromSignal(&DataSource::dataChanged))
        ++m_dataListeners;
}

// A disconnection of every signal at once (from one receiver, say) comes with an invalid
// method and says nothing of what went: the count stays, and events go on being sent.
void DataSource::disconnectNotify(const QMetaMethod& signal) {
    if (signal == QMetaMethod::fromSignal(&DataSource::dataChanged) && m_dataListeners > 0)
        --m_dataListeners;
}

void DataSource::stateEvent() {
    const QList<QPointer<Table>> details = m_details;
    for (const QPointer<Table>& d : details)
        if (d)
            d->masterStateChanged();
    emit stateChanged();
}

void DataSource::addDetail(Table* detail) {
    if (!m_details.contains(detail))
        m_details.append(detail);
}

void DataSource::removeDetail(Table* detail) {
    m_details.removeIf([detail](const QPointer<Table>& t) { return !t || t == detail; });
}

} // namespace dataset
