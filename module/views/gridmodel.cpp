#include "views/gridmodel.h"

#include "views/commonui.h"

#include <algorithm>

namespace kx {

TRecordTableModel::TRecordTableModel(TViewColumns* columns, QObject* parent)
    : QAbstractTableModel(parent), FColumns(columns)
{
}

void TRecordTableModel::LoadFrom(const TQuery& query)
{
    beginResetModel();
    FRecords.LoadFrom(query);
    endResetModel();
}

void TRecordTableModel::TakeFrom(TQuery&& query)
{
    beginResetModel();
    FRecords.TakeFrom(std::move(query));
    endResetModel();
}

void TRecordTableModel::SetRecords(const TRecordSet& records)
{
    beginResetModel();
    FRecords = records;
    endResetModel();
}

void TRecordTableModel::Clear()
{
    beginResetModel();
    FRecords.Clear();
    endResetModel();
}

void TRecordTableModel::ColumnsChanged()
{
    beginResetModel();
    endResetModel();
}

int TRecordTableModel::AppendRecord(const QVariantList& values)
{
    const int row = FRecords.RecordCount();
    beginInsertRows(QModelIndex(), row, row);
    FRecords.AppendRecord(values);
    endInsertRows();
    return row;
}

void TRecordTableModel::RemoveRecords(QList<int> rows)
{
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.isEmpty())
        return;
    beginResetModel();
    for (int row : rows)
        FRecords.DeleteRecord(row);
    endResetModel();
}

int TRecordTableModel::ColumnOf(const QString& fieldName) const
{
    return FColumns->IndexOf(FColumns->ByField(fieldName));
}

TFieldType TRecordTableModel::FieldType(const QString& fieldName) const
{
    if (IsComputed(fieldName))
        return ftFloat;
    if (const TViewColumn* c = FColumns->ByField(fieldName); c && c->DataType != ftUnknown)
        return c->DataType;
    const int f = FRecords.FieldIndex(fieldName);
    return f >= 0 ? FRecords.Field(f).DataType : ftUnknown;
}

QString TRecordTableModel::FieldCaption(const QString& fieldName) const
{
    const TViewColumn* c = FColumns->ByField(fieldName);
    return c && !c->Caption.isEmpty() ? c->Caption : fieldName;
}

bool TRecordTableModel::SetFieldValue(int row, const QString& fieldName, const QVariant& value, QString* message)
{
    if (IsComputed(fieldName)) {
        if (row < 0 || row >= FRecords.RecordCount() || !FComputed.SetValue || !FComputed.SetValue(row, fieldName, value, message))
            return false;
        // A computed cell changes other cells of its row with it.
        Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
        Q_EMIT CellEdited(row, fieldName);
        return true;
    }
    const int field = FRecords.FieldIndex(fieldName);
    if (row < 0 || row >= FRecords.RecordCount() || field < 0)
        return false;
    QVariant converted;
    if (!ConvertFieldValue(value, FieldType(fieldName), converted)) {
        if (message)
            *message = FieldCheckText(fcInvalid, FieldCaption(fieldName), EnteredValueText(value));
        return false;
    }
    if (FRecords.Value(row, field) == converted && FRecords.Value(row, field).isNull() == converted.isNull())
        return true;
    FRecords.SetValue(row, field, converted);
    if (const int column = ColumnOf(fieldName); column >= 0)
        Q_EMIT dataChanged(index(row, column), index(row, column));
    Q_EMIT CellEdited(row, fieldName);
    return true;
}

bool TRecordTableModel::HasEditableColumns() const
{
    for (const TViewColumn* c : FColumns->Items())
        if (c->Editable && (FRecords.HasField(c->FieldName) || IsComputed(c->FieldName)))
            return true;
    return false;
}

TCellDrawFormat TRecordTableModel::DrawFormat(int row, const TViewColumn* column) const
{
    TCellDrawFormat format;
    if (FDrawFormatHook)
        FDrawFormatHook(row, column, format);
    return format;
}

int TRecordTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : FRecords.RecordCount();
}

int TRecordTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : FColumns->Count();
}

QVariant TRecordTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return QVariant();
    const TViewColumn* column = Column(index.column());
    const QVariant value = Value(index.row(), column->FieldName);
    if (role == Qt::BackgroundRole || role == Qt::ForegroundRole || role == Qt::FontRole) {
        const TCellDrawFormat format = DrawFormat(index.row(), column);
        return ColumnCellData(column, value, role, &format);
    }
    return ColumnCellData(column, value, role, nullptr);
}

bool TRecordTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    FLastError.clear();
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid) || !(flags(index) & (Qt::ItemIsEditable | Qt::ItemIsUserCheckable)))
        return false;
    const TViewColumn* column = Column(index.column());
    QVariant entered = value;
    if (role == Qt::CheckStateRole) {
        if (column->Kind != ckBoolean)
            return false;
        entered = value.toInt() == Qt::Checked;
    } else if (role != Qt::EditRole) {
        return false;
    }
    if (SetFieldValue(index.row(), column->FieldName, entered, &FLastError))
        return true;
    if (!FLastError.isEmpty())
        Q_EMIT ValueRefused(index.row(), column->FieldName, FLastError);
    return false;
}

Qt::ItemFlags TRecordTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    const TViewColumn* column = Column(index.column());
    if (FEditing && column->Editable && (FRecords.HasField(column->FieldName) || IsComputed(column->FieldName))
        && (!FCellEditable || FCellEditable(index.row(), column)))
        f |= column->Kind == ckBoolean ? Qt::ItemIsUserCheckable : Qt::ItemIsEditable;
    return f;
}

QVariant TRecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= FColumns->Count())
        return QVariant();
    const TViewColumn* column = Column(section);
    if (role == Qt::DisplayRole)
        return column->Caption;
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    if (role == vrFieldName)
        return column->FieldName;
    return QVariant();
}

} // namespace kx
