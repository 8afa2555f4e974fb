#pragma once

#include <QList>
#include <QWidget>

namespace widgets {

// A status bar, docked at the bottom of its window. It shows either one
// simple text across its width (simple mode, or when it has no panels) or
// its panels side by side.
class StatusBar : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString SimpleText READ simpleText WRITE setSimpleText)
    Q_PROPERTY(QString Hint READ hint WRITE setHint)

public:
    StatusBar(QWidget* parent, const QString& name);

    QString hint() const { return toolTip(); }
    void setHint(const QString& hint) { setToolTip(hint); }

    QString simpleText() const { return m_simpleText; }
    void setSimpleText(const QString& text);
    bool simplePanel() const { return m_simplePanel; }
    void setSimplePanel(bool simple);

    void addPanel(const QString& text, int width);
    int panelCount() const { return static_cast<int>(m_panels.size()); }
    QString panelText(int index) const;
    void setPanelText(int index, const QString& text);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct PanelData {
        QString text;
        int width;
    };
    QString m_simpleText;
    bool m_simplePanel = false;
    QList<PanelData> m_panels;
};

} // namespace widgets
