#include "framework/widgets/Component.h"

#include "framework/widgets/Form.h"

namespace widgets {

Form* formOf(QObject* object) {
    for (QObject* o = object; o; o = o->parent()) {
        if (auto* form = qobject_cast<Form*>(o))
            return form;
    }
    return nullptr;
}

void adopt(QObject* component, const QString& name, QObject* parentOrOwner) {
    component->setObjectName(name);
    if (Form* owner = formOf(parentOrOwner))
        owner->addComponent(component);
}

} // namespace widgets
