#pragma once

#include <QFrame>

namespace widgets {

// A container with an optional centred caption and bevels. Its docked
// children are laid out inside it whenever it changes size.
class Panel : public QFrame {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(QString Hint READ hint WRITE setHint)

public:
    enum Bevel { bvNone, bvLowered, bvRaised };

    Panel(QWidget* parent, const QString& name);

    QString caption() const { return m_caption; }
    void setCaption(const QString& caption);
    QString hint() const { return toolTip(); }
    void setHint(const QString& hint) { setToolTip(hint); }

    void setBevels(Bevel outer, Bevel inner, int width = 1);
    Bevel bevelOuter() const { return m_outer; }
    Bevel bevelInner() const { return m_inner; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int bevelSpace() const;

    QString m_caption;
    Bevel m_outer = bvRaised;
    Bevel m_inner = bvNone;
    int m_bevelWidth = 1;
};

} // namespace widgets
