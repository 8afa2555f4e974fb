#pragma once

#include <QToolButton>

namespace widgets {

// A toolbar button. With group index 0 it is a push button. With a group
// index above 0 it stays down when clicked, and pressing it puts the other
// buttons of the same group and parent up; when "all up" is allowed, clicking
// a down button puts it up again (a toggle).
class SpeedButton : public QToolButton {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(QString Hint READ hint WRITE setHint)

public:
    SpeedButton(QWidget* parent, const QString& name);

    QString caption() const { return text(); }
    void setCaption(const QString& caption);
    QString hint() const { return toolTip(); }
    void setHint(const QString& hint) { setToolTip(hint); }

    int groupIndex() const { return m_groupIndex; }
    void setGroupIndex(int index);
    bool allowAllUp() const { return m_allowAllUp; }
    void setAllowAllUp(bool allow) { m_allowAllUp = allow; }
    bool isDown() const { return isChecked(); }
    void setDown(bool down);
    void setGlyph(const QIcon& glyph);

protected:
    void nextCheckState() override;

private:
    void releaseGroup();
    void updateStyle();

    int m_groupIndex = 0;
    bool m_allowAllUp = false;
};

} // namespace widgets
