#include "views/gridfooter.h"

#include <QHeaderView>
#include <QPainter>

namespace kx {

TGridFooter::TGridFooter(QHeaderView* header, std::function<QString(int)> text, QWidget* parent)
    : QWidget(parent), FHeader(header), FText(std::move(text))
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto repaint = [this] { update(); };
    connect(header, &QHeaderView::sectionResized, this, repaint);
    connect(header, &QHeaderView::sectionMoved, this, repaint);
    connect(header, &QHeaderView::geometriesChanged, this, repaint);
    connect(header, &QHeaderView::sectionCountChanged, this, repaint);
}

QSize TGridFooter::sizeHint() const
{
    return QSize(100, fontMetrics().height() + 8);
}

void TGridFooter::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPalette& pal = palette();
    painter.fillRect(rect(), pal.color(QPalette::Button));
    painter.setPen(pal.color(QPalette::Mid));
    painter.drawLine(rect().topLeft(), rect().topRight());
    // Sections are placed relative to the header, wherever the header sits in the grid.
    const int offset = FHeader->mapToGlobal(QPoint(0, 0)).x() - mapToGlobal(QPoint(0, 0)).x();
    const bool frozen = FFrozen && FFrozen->isVisibleTo(FFrozen->window());
    const int frozenOffset = frozen ? FFrozen->mapToGlobal(QPoint(0, 0)).x() - mapToGlobal(QPoint(0, 0)).x() : 0;
    const int frozenRight = frozen ? frozenOffset + FFrozen->width() : 0;
    painter.setPen(pal.color(QPalette::ButtonText));
    for (int logical = 0; logical < FHeader->count(); ++logical) {
        if (FHeader->isSectionHidden(logical))
            continue;
        const QString text = FText ? FText(logical) : QString();
        if (text.isEmpty())
            continue;
        const bool fixed = frozen && logical < FFrozen->count() && !FFrozen->isSectionHidden(logical);
        const int left = fixed ? frozenOffset + FFrozen->sectionViewportPosition(logical) : offset + FHeader->sectionViewportPosition(logical);
        const QRect cell(left, 1, FHeader->sectionSize(logical), height() - 1);
        // Scrolling columns pass under the fixed ones.
        if (frozen && !fixed)
            painter.setClipRect(QRect(frozenRight, 0, width() - frozenRight, height()));
        else
            painter.setClipping(false);
        painter.drawText(cell.adjusted(3, 0, -4, 0), Qt::AlignRight | Qt::AlignVCenter,
                         painter.fontMetrics().elidedText(text, Qt::ElideLeft, cell.width() - 7));
    }
}

} // namespace kx
