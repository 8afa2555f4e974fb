#pragma once

#include <QString>

class QObject;

namespace widgets {

class Form;

// The window a component belongs to: `object` itself when it is a window,
// otherwise the nearest window among its parents; nullptr when there is none.
Form* formOf(QObject* object);

// Gives `component` its component name and makes the window that
// `parentOrOwner` belongs to its owner, so that the window finds it by name.
// Every component class of this library calls it from its constructor.
void adopt(QObject* component, const QString& name, QObject* parentOrOwner);

} // namespace widgets
