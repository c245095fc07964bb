#include "views/frozencolumns.h"

#include "views/columnheader.h"
#include "views/viewcolumns.h"

#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QTreeView>

namespace kx {

namespace {

bool IsFixedLeft(const TViewColumns& columns, const TViewColumn* column)
{
    return column->Visible && columns.Bands.value(column->Band).Fixed == flFixedLeft;
}

} // namespace

TFrozenColumns::TFrozenColumns(QTreeView* grid, TViewColumns* columns) : QObject(grid), FGrid(grid), FColumns(columns)
{
    FView = new QTreeView(grid);
    FView->setObjectName(grid->objectName() + QStringLiteral("Fixed"));
    FHeader = new TBandedHeader(columns, FView);
    FHeader->setSectionsMovable(false);
    FHeader->SetShowOnly(true);
    FHeader->setSectionResizeMode(QHeaderView::Fixed);
    FView->setHeader(FHeader);
    FView->setModel(grid->model());
    FView->setSelectionModel(grid->selectionModel());
    FView->setItemDelegate(grid->itemDelegate());
    FView->setFocusPolicy(Qt::NoFocus);
    FView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FView->setVerticalScrollMode(grid->verticalScrollMode());
    FView->setUniformRowHeights(true);
    FView->setAlternatingRowColors(grid->alternatingRowColors());
    FView->setAllColumnsShowFocus(true);
    FView->setSelectionBehavior(grid->selectionBehavior());
    FView->setSelectionMode(grid->selectionMode());
    FView->setEditTriggers(grid->editTriggers());
    FView->setFrameShape(QFrame::NoFrame);
    FView->setStyleSheet(QStringLiteral("QTreeView { border-right: 1px solid #9a9a9a; }"));
    FView->hide();

    connect(grid->verticalScrollBar(), &QScrollBar::valueChanged, FView->verticalScrollBar(), &QScrollBar::setValue);
    connect(FView->verticalScrollBar(), &QScrollBar::valueChanged, grid->verticalScrollBar(), &QScrollBar::setValue);
    connect(grid, &QTreeView::expanded, FView, &QTreeView::expand);
    connect(grid, &QTreeView::collapsed, FView, &QTreeView::collapse);
    connect(FView, &QTreeView::expanded, grid, &QTreeView::expand);
    connect(FView, &QTreeView::collapsed, grid, &QTreeView::collapse);
    connect(FView, &QTreeView::doubleClicked, grid, &QTreeView::doubleClicked);
    connect(grid->header(), &QHeaderView::sectionResized, this, [this] {
        if (!FUpdating)
            Update();
    });
    connect(grid->header(), &QHeaderView::geometriesChanged, this, &TFrozenColumns::Place);
    grid->installEventFilter(this);
}

int TFrozenColumns::FrozenWidth() const
{
    return FView->isVisible() ? FView->width() : 0;
}

void TFrozenColumns::Update()
{
    FUpdating = true;
    FView->setObjectName(FGrid->objectName() + QStringLiteral("Fixed"));
    QHeaderView* header = FGrid->header();
    int width = 0;
    bool any = false;
    const int n = std::min(header->count(), FColumns->Count());
    for (int i = 0; i < n; ++i) {
        const bool fixed = IsFixedLeft(*FColumns, FColumns->At(i)) && !header->isSectionHidden(i);
        FHeader->setSectionHidden(i, !fixed);
        if (fixed) {
            FHeader->resizeSection(i, header->sectionSize(i));
            width += header->sectionSize(i);
            any = true;
        }
    }
    for (int i = n; i < FHeader->count(); ++i)
        FHeader->setSectionHidden(i, true);
    FHeader->setSortIndicatorShown(header->isSortIndicatorShown());
    FHeader->setSortIndicator(header->sortIndicatorSection(), header->sortIndicatorOrder());
    FView->setRootIsDecorated(FGrid->rootIsDecorated());
    FView->setIndentation(FGrid->indentation());
    // Group rows span the row in both lists; their state follows the grid's.
    QList<QModelIndex> pending{QModelIndex()};
    const QAbstractItemModel* model = FGrid->model();
    while (any && !pending.isEmpty()) {
        const QModelIndex parent = pending.takeLast();
        for (int row = 0; row < model->rowCount(parent); ++row) {
            const QModelIndex child = model->index(row, 0, parent);
            if (model->rowCount(child) == 0)
                continue;
            FView->setFirstColumnSpanned(row, parent, FGrid->isFirstColumnSpanned(row, parent));
            FView->setExpanded(child, FGrid->isExpanded(child));
            pending << child;
        }
    }
    FView->setVisible(any);
    FView->resize(width, FView->height());
    FUpdating = false;
    Place();
}

void TFrozenColumns::Place()
{
    if (!FView->isVisible())
        return;
    const int frame = FGrid->frameWidth();
    const int top = frame;
    const int height = FGrid->header()->height() + FGrid->viewport()->height();
    FView->setGeometry(frame, top, FView->width(), height);
    FView->header()->setFixedHeight(FGrid->header()->height());
    FView->verticalScrollBar()->setValue(FGrid->verticalScrollBar()->value());
    FView->raise();
}

bool TFrozenColumns::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == FGrid && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        Place();
    return QObject::eventFilter(watched, event);
}

} // namespace kx
