#pragma once

#include <QString>

namespace store {

// A dictionary's file stem: the name cut to its first 8 characters.
QString DicoStem(const QString& name);
// The bare file name a dictionary called `name` is created under.
QString DicoFileName(const QString& name);

} // namespace store
