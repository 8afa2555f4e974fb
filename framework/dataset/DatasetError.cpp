#include "framework/dataset/DatasetError.h"

namespace dataset {

DatasetError::DatasetError(const QString& message) : std::runtime_error(message.toStdString()) {}

QString quoted(const QString& name) {
    return QStringLiteral("« %1 »").arg(name);
}

} // namespace dataset
