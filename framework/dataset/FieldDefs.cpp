#include "framework/dataset/FieldDefs.h"

#include "framework/dataset/Table.h"

namespace dataset {

void FieldDefs::Add(const QString& name, FieldType type, int size, bool required) {
    FieldDef def;
    def.Name = name;
    def.DataType = type;
    def.Size = size;
    def.Required = required;
    m_items.append(def);
}

int FieldDefs::IndexOf(const QString& name) const {
    for (int i = 0; i < m_items.size(); ++i)
        if (m_items.at(i).Name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void FieldDefs::Update() {
    if (m_owner)
        m_owner->readDefinitions();
}

} // namespace dataset
