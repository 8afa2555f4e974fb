#pragma once

#include <QString>

namespace store {

// The directory of the program's executable, with a trailing separator.
// Tests point it at a folder of their own so that no dictionary is ever
// written beside the real program.
QString AppDir();
// Replaces the executable's directory (a trailing separator is added when
// missing); an empty text restores it.
void setAppDirOverride(const QString& dir);

} // namespace store
