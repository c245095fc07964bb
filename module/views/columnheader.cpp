#include "views/columnheader.h"

#include "views/columneditor.h"

#include <QPainter>
#include <QTreeView>
#include <QStyleOptionHeader>

#include <algorithm>
#include <map>

namespace kx {

TBandedHeader::TBandedHeader(TViewColumns* columns, QWidget* parent) : QHeaderView(Qt::Horizontal, parent), FColumns(columns)
{
    setSectionsMovable(true);
    setSectionsClickable(true);
    setHighlightSections(false);
    setStretchLastSection(false);
    setMinimumSectionSize(20);
    setDefaultAlignment(Qt::AlignCenter);
    connect(this, &QHeaderView::sectionResized, this, &TBandedHeader::SectionResized);
    connect(this, &QHeaderView::sectionMoved, this, &TBandedHeader::SectionMoved);
}

bool TBandedHeader::Banded() const
{
    return FColumns->HasBandCaptions();
}

void TBandedHeader::ApplyColumns()
{
    FApplying = true;
    const int n = std::min(count(), FColumns->Count());
    for (int i = 0; i < n; ++i) {
        const TViewColumn* c = FColumns->At(i);
        setSectionHidden(i, !c->Visible);
        resizeSection(i, c->Width);
    }
    int visual = 0;
    for (const TViewColumn* c : FColumns->DisplayOrder()) {
        const int logical = FColumns->IndexOf(c);
        if (logical >= n)
            continue;
        const int from = visualIndex(logical);
        if (from != visual)
            moveSection(from, visual);
        ++visual;
    }
    FApplying = false;
    updateGeometry();
    viewport()->update();
}

void TBandedHeader::ReadColumns()
{
    const int n = std::min(count(), FColumns->Count());
    std::map<std::pair<int, int>, int> next;       // (band, row) -> next position
    for (int v = 0; v < n; ++v) {
        const int logical = logicalIndex(v);
        TViewColumn* c = FColumns->At(logical);
        if (!c)                           // a column removed since the sections were laid out
            continue;
        if (isSectionHidden(logical)) {
            c->Visible = false;
            continue;
        }
        c->Visible = true;
        c->Width = sectionSize(logical);
        c->ColIndex = next[{c->Band, c->Row}]++;
    }
}

QSize TBandedHeader::sizeHint() const
{
    QSize size = QHeaderView::sizeHint();
    if (Banded())
        size.setHeight(size.height() * 2);
    return size;
}

void TBandedHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    if (!Banded()) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    QHeaderView::paintSection(painter, rect.adjusted(0, rect.height() / 2, 0, 0), logicalIndex);
}

void TBandedHeader::paintEvent(QPaintEvent* event)
{
    QHeaderView::paintEvent(event);
    if (!Banded())
        return;
    // A band's caption spans the sections of its visible columns, which stand together.
    QPainter painter(viewport());
    const int half = viewport()->height() / 2;
    QMap<int, QPair<int, int>> spans;          // band -> (left, right)
    for (int logical = 0; logical < std::min(count(), FColumns->Count()); ++logical) {
        if (isSectionHidden(logical))
            continue;
        const int left = sectionViewportPosition(logical);
        const int right = left + sectionSize(logical);
        const int band = FColumns->At(logical)->Band;
        auto it = spans.find(band);
        if (it == spans.end())
            spans.insert(band, {left, right});
        else
            *it = {std::min(it->first, left), std::max(it->second, right)};
    }
    for (auto it = spans.begin(); it != spans.end(); ++it) {
        QStyleOptionHeader option;
        initStyleOption(&option);
        option.rect = QRect(it->first, 0, it->second - it->first, half);
        option.section = 0;
        option.position = QStyleOptionHeader::Middle;
        option.text = FColumns->Bands.value(it.key()).Caption;
        option.textAlignment = Qt::AlignCenter;
        option.state |= QStyle::State_Raised;
        style()->drawControl(QStyle::CE_Header, &option, &painter, this);
    }
}

void TBandedHeader::SectionResized(int logicalIndex, int, int newSize)
{
    if (FApplying || FShowOnly)
        return;
    TViewColumn* c = FColumns->At(logicalIndex);
    if (!c)
        return;
    c->Width = newSize;
    // Columns a view creates at run time (periods and the like) keep one width per band.
    if (c->Tag > 0) {
        FApplying = true;
        for (int i = 0; i < std::min(count(), FColumns->Count()); ++i) {
            TViewColumn* other = FColumns->At(i);
            if (i != logicalIndex && other->Tag > 0 && other->Band == c->Band) {
                other->Width = newSize;
                resizeSection(i, newSize);
            }
        }
        FApplying = false;
    }
}

void TBandedHeader::SectionMoved(int, int, int)
{
    if (FApplying || FShowOnly)
        return;
    // A column moved by the user stays within its band; bands keep their places.
    ReadColumns();
    ApplyColumns();
    Q_EMIT ColumnsMoved();
}

QTreeView* CreateColumnView(TViewColumns* columns, QAbstractItemModel* model, const QString& name, QWidget* parent,
                            TBandedHeader** header)
{
    auto* view = new QTreeView(parent);
    view->setObjectName(name);
    *header = new TBandedHeader(columns, view);
    view->setHeader(*header);
    view->setModel(model);
    view->setUniformRowHeights(true);
    view->setAlternatingRowColors(true);
    view->setAllColumnsShowFocus(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setItemDelegate(new TColumnDelegate([columns](const QModelIndex& index) { return columns->At(index.column()); }, view));
    return view;
}

} // namespace kx
