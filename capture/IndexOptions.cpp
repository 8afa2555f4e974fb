#include "capture/IndexOptions.h"

namespace capture {

QString OwnOptionName(unsigned options) {
    if (options & ixExpression)
        return QStringLiteral("ixExpression");
    if (options & ixCaseInsensitive)
        return QStringLiteral("ixCaseInsensitive");
    if (options & ixDescending)
        return QStringLiteral("ixDescending");
    if (options & ixUnique)
        return QStringLiteral("ixUnique");
    if (options & ixPrimary)
        return QStringLiteral("ixPrimary");
    return QString();
}

QString OptionLabel(unsigned options, const QString& previousLabel) {
    const QString own = OwnOptionName(options);
    return own.isEmpty() ? previousLabel : own;
}

} // namespace capture
