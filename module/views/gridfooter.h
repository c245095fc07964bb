// The footer row under a grid: one summary text per column, kept under the column's
// header section while columns move, resize or scroll.
#pragma once

#include <QWidget>

#include <functional>

class QHeaderView;

namespace kx {

class TGridFooter : public QWidget {
    Q_OBJECT

public:
    // text gives the footer text of a header section (logical index).
    TGridFooter(QHeaderView* header, std::function<QString(int logicalIndex)> text, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    // The header of the columns kept at the left edge: their totals stay under them while
    // the other columns scroll.
    void SetFrozenHeader(QHeaderView* header) { FFrozen = header; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QHeaderView* FHeader;
    QHeaderView* FFrozen = nullptr;
    std::function<QString(int)> FText;
};

} // namespace kx
