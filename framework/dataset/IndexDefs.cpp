#include "framework/dataset/IndexDefs.h"

#include "framework/dataset/Table.h"

namespace dataset {

void IndexDefs::Add(const QString& name, const QString& fields, IndexOptions options) {
    IndexDef def;
    def.Name = name;
    def.Fields = fields;
    def.Options = options;
    m_items.append(def);
}

int IndexDefs::IndexOf(const QString& name) const {
    for (int i = 0; i < m_items.size(); ++i)
        if (m_items.at(i).Name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void IndexDefs::Update() {
    if (m_owner)
        m_owner->readDefinitions();
}

} // namespace dataset
