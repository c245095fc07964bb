#include "views/viewexport.h"

#include "views/commonui.h"
#include "views/gridgroupmodel.h"
#include "views/gridsummary.h"

#include <QAbstractItemModel>
#include <QTreeView>

namespace kx {

namespace {

TExportValueKind ValueKindOf(const TViewColumn& c)
{
    switch (c.Kind) {
    case ckNumber:
    case ckCurrency: return evNumber;
    case ckDate: return evDate;
    case ckDateTime: return evDateTime;
    case ckBoolean: return evBoolean;
    case ckText:
    case ckEnum:
    case ckPicker: break;
    }
    return evText;
}

} // namespace

TViewExportTable::TViewExportTable(const QString& title, const TViewColumns& columns, const QAbstractItemModel& model,
                                   const QTreeView* view, TFooterSource footer)
    : FModel(model), FFooter(std::move(footer))
{
    Title = title;
    for (const TViewBand& b : columns.Bands)
        Bands.append({b.Caption});
    bool leading = true;
    for (const TViewColumn* c : columns.DisplayOrder()) {
        TExportColumn e;
        e.Name = c->FieldName;
        e.Caption = c->Caption;
        e.Band = c->Band;
        e.Width = c->Width;
        e.Kind = ValueKindOf(*c);
        e.Decimals = c->Kind == ckCurrency ? 2 : c->Precision > 0 ? c->Precision : -1;
        e.AlignRight = c->Alignment & Qt::AlignRight;
        e.Summary = TExportSummary(c->Summary);
        Columns.append(e);
        FViewColumns << c;
        FModelColumns << columns.IndexOf(c);
        // The columns of fixed-left bands lead the display order and stay in place.
        leading = leading && columns.Bands.value(c->Band).Fixed == flFixedLeft;
        if (leading)
            ++FixedColumns;
    }
    AddRows(QModelIndex(), 0, view);
    if (FFooter)
        for (int c = 0; c < Columns.size() && !HasFooter; ++c) {
            const TSummaryItem* item = FFooter(FModelColumns[c]);
            HasFooter = item && item->Kind != skNone;
        }
}

void TViewExportTable::AddRows(const QModelIndex& parent, int level, const QTreeView* view)
{
    const int rows = FModel.rowCount(parent);
    for (int r = 0; r < rows; ++r) {
        const QModelIndex index = FModel.index(r, 0, parent);
        FRows << index;
        FLevels << level;
        if (FModel.rowCount(index) > 0 && (!view || view->isExpanded(index)))
            AddRows(index, level + 1, view);
    }
}

QModelIndex TViewExportTable::Cell(int row, int column) const
{
    const QModelIndex& first = FRows[row];
    return FModelColumns[column] == 0 ? first : first.siblingAtColumn(FModelColumns[column]);
}

TExportRowKind TViewExportTable::RowKind(int row) const
{
    const QVariant kind = FRows[row].data(vrRowKind);
    if (!kind.isValid())
        return erData;
    switch (TRowKind(kind.toInt())) {
    case rkGroup: return erGroup;
    case rkGroupFooter: return erGroupFooter;
    case rkData: break;
    }
    return erData;
}

QVariant TViewExportTable::Value(int row, int column) const
{
    const QModelIndex cell = Cell(row, column);
    if (RowKind(row) != erData)
        return cell.data(vrRawValue);
    const QVariant raw = cell.data(vrRawValue);
    switch (Columns[column].Kind) {
    case evNumber: {
        if (raw.isNull())
            return QVariant();
        bool ok = false;
        const double d = raw.toDouble(&ok);
        return ok ? QVariant(d) : QVariant(cell.data(Qt::DisplayRole).toString());
    }
    case evDate:
    case evDateTime:
        if (raw.typeId() == QMetaType::QString)
            return QVariant(cell.data(Qt::DisplayRole).toString());
        return raw;
    case evBoolean: return IsTrueValue(raw);
    case evText: break;
    }
    const QString text = cell.data(Qt::DisplayRole).toString();
    return text.isEmpty() ? QVariant() : QVariant(text);
}

QString TViewExportTable::Text(int row, int column) const
{
    if (Columns[column].Kind == evBoolean && RowKind(row) == erData)
        return DefaultExportText(Columns[column], Value(row, column));
    return Cell(row, column).data(Qt::DisplayRole).toString();
}

QString TViewExportTable::GroupText(int row) const
{
    return FRows[row].data(Qt::DisplayRole).toString();
}

QVariant TViewExportTable::FooterValue(int column) const
{
    const TSummaryItem* item = FFooter ? FFooter(FModelColumns[column]) : nullptr;
    return item && item->Kind != skNone ? item->Result() : QVariant();
}

QString TViewExportTable::FooterText(int column) const
{
    const TSummaryItem* item = FFooter ? FFooter(FModelColumns[column]) : nullptr;
    return item && item->Kind != skNone ? item->Text() : QString();
}

} // namespace kx
