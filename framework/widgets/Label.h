#pragma once

#include <QLabel>

namespace widgets {

// A text label. By default it sizes itself to its caption; with a fixed box
// (auto size off) the caption is cut or wrapped inside the box.
class Label : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(QString Hint READ hint WRITE setHint)

public:
    Label(QWidget* parent, const QString& name, const QString& caption = {});

    QString caption() const { return text(); }
    void setCaption(const QString& caption);
    QString hint() const { return toolTip(); }
    void setHint(const QString& hint) { setToolTip(hint); }

    bool autoSize() const { return m_autoSize; }
    void setAutoSize(bool autoSize);

private:
    bool m_autoSize = true;
};

} // namespace widgets
