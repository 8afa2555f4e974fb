#include "framework/widgets/DBNavigator.h"

#include "framework/widgets/Component.h"

#include <QToolButton>

namespace widgets {

namespace {
const char* const kSymbols[] = {"|<", "<", ">", ">|", "+", "-", "^", "v", "x", "@"};
}

DBNavigator::DBNavigator(QWidget* parent, const QString& name) : QWidget(parent) {
    adopt(this, name, parent);
    for (int k = nbFirst; k <= nbRefresh; ++k) {
        auto* b = new QToolButton(this);
        b->setText(QString::fromLatin1(kSymbols[k]));
        connect(b, &QToolButton::clicked, this, [this, k] { emit clicked(k); });
        m_buttons.append(b);
    }
    resize(240, 25);
}

void DBNavigator::setHints(const QStringList& hints) {
    m_hints = hints;
    for (int k = 0; k < m_buttons.size(); ++k)
        m_buttons[k]->setToolTip(m_hints.value(k));
}

QString DBNavigator::buttonHint(Button button) const {
    return m_buttons.value(button) ? m_buttons[button]->toolTip() : QString();
}

void DBNavigator::resizeEvent(QResizeEvent*) {
    const int n = static_cast<int>(m_buttons.size());
    for (int k = 0; k < n; ++k)
        m_buttons[k]->setGeometry(k * width() / n, 0, (k + 1) * width() / n - k * width() / n,
                                  height());
}

} // namespace widgets
