#include "store/DicoName.h"

namespace store {

QString DicoStem(const QString& name) {
    return name.left(8);
}

QString DicoFileName(const QString& name) {
    return DicoStem(name) + QStringLiteral(".DB");
}

} // namespace store
