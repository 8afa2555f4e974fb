#pragma once

#include <QWidget>

namespace reporting {

class PageStore;

// The pages stacked one under the other at a scale, of which only those the
// paint event reaches are drawn: a long report shows its first page at once.
class PageCanvas : public QWidget {
    Q_OBJECT

public:
    static constexpr int kGap = 10; // pixels around and between pages

    explicit PageCanvas(QWidget* parent = nullptr);

    void setPages(const PageStore* pages); // not owned
    // Device pixels per report unit.
    void setScale(double scale);
    double scale() const { return m_scale; }
    // Where page `index` (from 0) stands on the canvas.
    QRect pageRect(int index) const;
    int pageCount() const;
    // The store has more pages than when last measured.
    void pagesAdded() { resizeToPages(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void resizeToPages();

    const PageStore* m_pages = nullptr;
    double m_scale = 1.0;
};

} // namespace reporting
