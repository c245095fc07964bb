#include "views/viewcolumns.h"

#include "db/strutils.h"
#include "views/commonui.h"

#include <algorithm>
#include <cmath>

namespace kx {

QString TViewColumn::EnumText(const QVariant& value) const
{
    if (value.isNull())
        return QString();
    bool ok = false;
    const int v = value.toInt(&ok);
    if (ok)
        for (const TEnumValue& item : EnumItems)
            if (item.Value == v)
                return item.Text;
    return value.toString();
}

QString TViewColumn::DisplayText(const QVariant& value) const
{
    if (OnGetDisplayText)
        return OnGetDisplayText(value);
    switch (Kind) {
    case ckNumber:
    case ckCurrency: {
        QVariant shown = value;
        if (Precision > 0 && !value.isNull()) {
            const double scale = std::pow(10.0, Precision);
            shown = std::round(value.toDouble() * scale) / scale;
        }
        return Kind == ckCurrency ? TCommonUI::GridCurrencyColumnGetDisplayText(shown)
                                  : TCommonUI::GridFloatColumnGetDisplayText(shown);
    }
    case ckBoolean: return QString();
    case ckEnum: return EnumText(value);
    case ckDate:
    case ckDateTime: {
        if (value.isNull())
            return QString();
        const QDateTime dt = value.typeId() == QMetaType::QDate ? value.toDate().startOfDay() : value.toDateTime();
        if (!dt.isValid())
            return value.toString();
        // A date-time at midnight is a date.
        return Kind == ckDate || dt.time() == QTime(0, 0) ? DateToText(dt.date()) : DateTimeToText(dt);
    }
    case ckText:
    case ckPicker: break;
    }
    return value.toString();
}

QVariant ColumnCellData(const TViewColumn* column, const QVariant& value, int role, const TCellDrawFormat* format)
{
    switch (role) {
    case Qt::DisplayRole: return column ? column->DisplayText(value) : value.toString();
    case Qt::EditRole:
    case vrRawValue: return value;
    case vrFieldName: return column ? column->FieldName : QString();
    case Qt::TextAlignmentRole: return column ? QVariant(int(column->Alignment)) : QVariant();
    case Qt::CheckStateRole:
        if (column && column->Kind == ckBoolean)
            return IsTrueValue(value) ? Qt::Checked : Qt::Unchecked;
        return QVariant();
    case Qt::BackgroundRole:
        return format && format->Background.isValid() ? QVariant(format->Background) : QVariant();
    case Qt::ForegroundRole:
        return format && format->TextColor.isValid() ? QVariant(format->TextColor) : QVariant();
    case Qt::FontRole: return format && format->FontChanged ? QVariant(format->Font) : QVariant();
    default: return QVariant();
    }
}

QString FieldColumnCaption(const TInfoFieldDef& field)
{
    const qsizetype slash = field.Name.indexOf(QLatin1Char('\\'));
    return slash < 0 ? field.Name : field.Name.mid(slash + 1);
}

TViewColumn* TColumnBindings::Find(const QString& fieldName) const
{
    for (TViewColumn* c : FItems)
        if (c->FieldName.compare(fieldName, Qt::CaseInsensitive) == 0)
            return c;
    return nullptr;
}

void SetupColumnByField(TViewColumn& column, const TInfoFieldDef& field)
{
    column.FieldDef = &field;
    column.DataType = field.DataType;
    column.Precision = field.Precision;
    column.Summable = !field.HideTotal;
    if (!field.EnumValues.isEmpty()) {
        column.Kind = ckEnum;
        column.EnumItems.clear();
        const bool restricted = field.ValueType == vtSysEnum && !field.ValueSource.isEmpty();
        for (const TEnumValue& item : field.EnumValues)
            if (!restricted || field.ValueSource.contains(QStringLiteral("|%1|").arg(item.Value)))
                column.EnumItems << item;
        column.Alignment = Qt::AlignLeft | Qt::AlignVCenter;
        return;
    }
    if (field.ValueType == vtCreater || field.ValueType == vtUser || field.ValueType == vtLookup) {
        column.Kind = ckPicker;
        return;
    }
    if (IsNumericFieldType(field.DataType)) {
        if (!column.OwnEditor)
            column.Alignment = Qt::AlignRight | Qt::AlignVCenter;
        column.Kind = field.DataType == ftCurrency ? ckCurrency : ckNumber;
    } else if (field.DataType == ftBoolean) {
        if (!column.OwnEditor)
            column.Kind = ckBoolean;
    } else if (field.DataType == ftDate) {
        column.Kind = ckDate;
    } else if (IsDateFieldType(field.DataType)) {
        column.Kind = ckDateTime;
    }
}

TViewColumns::TViewColumns()
{
    Bands << TViewBand{};
}

TViewColumns::~TViewColumns()
{
    qDeleteAll(FColumns);
}

TViewColumn* TViewColumns::ByField(const QString& fieldName) const
{
    if (fieldName.isEmpty())
        return nullptr;
    for (TViewColumn* c : FColumns)
        if (c->FieldName.compare(fieldName, Qt::CaseInsensitive) == 0)
            return c;
    return nullptr;
}

int TViewColumns::AddBand(const QString& caption, TInfoFieldLayout fixed)
{
    if (Bands.size() == 1 && Bands[0].Caption.isEmpty() && FColumns.isEmpty()) {
        Bands[0] = TViewBand{caption, fixed};
        return 0;
    }
    Bands.append(TViewBand{caption, fixed});
    return int(Bands.size()) - 1;
}

TViewColumn* TViewColumns::Add(const QString& fieldName, const QString& caption, int band)
{
    auto* c = new TViewColumn;
    c->FieldName = fieldName;
    c->Caption = caption;
    c->Band = band >= 0 && band < Bands.size() ? band : DefaultBand();
    c->ColIndex = NextColIndex(c->Band);
    FColumns << c;
    return c;
}

void TViewColumns::Remove(TViewColumn* column)
{
    if (FColumns.removeOne(column))
        delete column;
}

void TViewColumns::Clear()
{
    qDeleteAll(FColumns);
    FColumns.clear();
}

int TViewColumns::FixedBand(TInfoFieldLayout fixed)
{
    for (int i = 0; i < Bands.size(); ++i)
        if (Bands[i].Fixed == fixed)
            return i;
    Bands.append(TViewBand{QString(), fixed});
    return int(Bands.size()) - 1;
}

int TViewColumns::DefaultBand() const
{
    for (int i = int(Bands.size()) - 1; i >= 0; --i)
        if (Bands[i].Fixed == flNormal && !Bands[i].Nested)
            return i;
    return 0;
}

int TViewColumns::NextColIndex(int band) const
{
    int next = 0;
    for (const TViewColumn* c : FColumns)
        if (c->Band == band)
            next = std::max(next, c->ColIndex + 1);
    return next;
}

bool TViewColumns::HasBandCaptions() const
{
    return std::any_of(Bands.begin(), Bands.end(), [](const TViewBand& b) { return !b.Caption.isEmpty(); });
}

QList<int> TViewColumns::BandDisplayOrder() const
{
    QList<int> order;
    for (int pass = 0; pass < 3; ++pass)
        for (int i = 0; i < Bands.size(); ++i) {
            const int place = Bands[i].Fixed == flFixedLeft ? 0 : Bands[i].Fixed == flFixedRight ? 2 : 1;
            if (place == pass)
                order << i;
        }
    return order;
}

QList<TViewColumn*> TViewColumns::DisplayOrder() const
{
    const QList<int> bandOrder = BandDisplayOrder();
    QList<TViewColumn*> shown;
    for (TViewColumn* c : FColumns)
        if (c->Visible)
            shown << c;
    std::stable_sort(shown.begin(), shown.end(), [&](const TViewColumn* a, const TViewColumn* b) {
        const qsizetype ba = bandOrder.indexOf(a->Band), bb = bandOrder.indexOf(b->Band);
        if (ba != bb)
            return ba < bb;
        if (a->Row != b->Row)
            return a->Row < b->Row;
        return a->ColIndex < b->ColIndex;
    });
    return shown;
}

void TViewColumns::SortByDisplayOrder()
{
    QList<TViewColumn*> ordered = DisplayOrder();
    for (TViewColumn* c : FColumns)
        if (!ordered.contains(c))
            ordered << c;
    FColumns = ordered;
}

QList<TViewColumn*> TViewColumns::OrderedBy(int TViewColumn::*position) const
{
    QList<TViewColumn*> listed;
    for (TViewColumn* c : FColumns)
        if (c->*position >= 0)
            listed << c;
    std::stable_sort(listed.begin(), listed.end(),
                     [position](const TViewColumn* a, const TViewColumn* b) { return a->*position < b->*position; });
    return listed;
}

QList<TViewColumn*> TViewColumns::GroupColumns() const
{
    return OrderedBy(&TViewColumn::GroupIndex);
}

QList<TViewColumn*> TViewColumns::SortColumns() const
{
    return OrderedBy(&TViewColumn::SortIndex);
}

void TViewColumns::ClearSortingAndGrouping()
{
    for (TViewColumn* c : FColumns) {
        if (c->GroupIndex >= 0)
            c->Visible = true;
        c->GroupIndex = -1;
        c->SortIndex = -1;
        c->Descending = false;
    }
}

void TViewColumns::ClearSummaries()
{
    for (TViewColumn* c : FColumns)
        c->Summary = skNone;
}

} // namespace kx
