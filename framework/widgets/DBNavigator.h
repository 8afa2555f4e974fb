#pragma once

#include <QList>
#include <QStringList>
#include <QWidget>

class QToolButton;

namespace widgets {

// A row of record buttons (first, prior, next, last, insert, delete, edit,
// post, cancel, refresh). Each button's hint is the matching line of the
// hint list; a button without a line keeps no hint. The buttons emit
// clicked(index) for the window (or a data link) to act on.
class DBNavigator : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QStringList Hints READ hints WRITE setHints)
    Q_PROPERTY(QString Hint READ hint WRITE setHint)

public:
    enum Button {
        nbFirst,
        nbPrior,
        nbNext,
        nbLast,
        nbInsert,
        nbDelete,
        nbEdit,
        nbPost,
        nbCancel,
        nbRefresh
    };

    DBNavigator(QWidget* parent, const QString& name);

    QString hint() const { return toolTip(); }
    void setHint(const QString& hint) { setToolTip(hint); }
    QStringList hints() const { return m_hints; }
    void setHints(const QStringList& hints);
    QString buttonHint(Button button) const;

signals:
    void clicked(int button);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QList<QToolButton*> m_buttons;
    QStringList m_hints;
};

} // namespace widgets
