// The table model of a grid view: the records of a dataset snapshot shown through the
// view's columns. Column n of the model is column n of the view's column list; cells are
// found by field name.
#pragma once

#include "views/recordset.h"
#include "views/viewcolumns.h"

#include <QAbstractTableModel>

#include <functional>

namespace kx {

class TRecordTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // Colours a cell of a record (row of the snapshot) before it is drawn.
    using TDrawFormatHook = std::function<void(int row, const TViewColumn* column, TCellDrawFormat& format)>;

    explicit TRecordTableModel(TViewColumns* columns, QObject* parent = nullptr);

    // Fields a view computes from the rest of the row instead of reading them from the
    // snapshot (one column per plan period, say): Has tells them apart, Value gives a
    // cell's value and SetValue takes an edit (false with a message refuses it).
    struct TComputedFields {
        std::function<bool(const QString& fieldName)> Has;
        std::function<QVariant(int row, const QString& fieldName)> Value;
        std::function<bool(int row, const QString& fieldName, const QVariant& value, QString* message)> SetValue;
    };
    void SetComputedFields(TComputedFields fields) { FComputed = std::move(fields); }
    bool IsComputed(const QString& fieldName) const { return FComputed.Has && FComputed.Has(fieldName); }

    const TRecordSet& Records() const { return FRecords; }
    void LoadFrom(const TQuery& query);
    // Takes the query's rows, read from its result as they are shown (see TRecordSet).
    void TakeFrom(TQuery&& query);
    void SetRecords(const TRecordSet& records);
    void Clear();
    // The column list changed (columns added, removed or set up again).
    void ColumnsChanged();

    TViewColumns* Columns() const { return FColumns; }
    TViewColumn* Column(int column) const { return FColumns->At(column); }
    int ColumnOf(const QString& fieldName) const;
    // The type of a field's values: its column's definition, else the dataset's.
    TFieldType FieldType(const QString& fieldName) const;
    QString FieldCaption(const QString& fieldName) const;

    QVariant Value(int row, const QString& fieldName) const
    {
        return IsComputed(fieldName) ? FComputed.Value(row, fieldName) : FRecords.Value(row, fieldName);
    }
    // Writes a value entered for a field after converting it to the field's type. A value
    // of the wrong type is refused with the field-check text in message.
    bool SetFieldValue(int row, const QString& fieldName, const QVariant& value, QString* message = nullptr);
    // The last refusal of setData, for the editor that posted the value.
    const QString& LastError() const { return FLastError; }

    // Appends a record (values in field order, missing ones null), marked modified; its row.
    int AppendRecord(const QVariantList& values = {});
    // Removes records (rows of the snapshot).
    void RemoveRecords(QList<int> rows);
    // Whether a cell of an editable column may be edited in this row; all when unset.
    void SetCellEditableHook(std::function<bool(int row, const TViewColumn* column)> hook) { FCellEditable = std::move(hook); }

    // Cells may be edited (in editable columns) only while this is on.
    void SetEditing(bool editing) { FEditing = editing; }
    bool Editing() const { return FEditing; }
    bool HasEditableColumns() const;

    void SetDrawFormatHook(TDrawFormatHook hook) { FDrawFormatHook = std::move(hook); }
    TCellDrawFormat DrawFormat(int row, const TViewColumn* column) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

Q_SIGNALS:
    // A cell took a new value through editing (row of the snapshot).
    void CellEdited(int row, const QString& fieldName);
    // An edited value was refused (message: the field-check text).
    void ValueRefused(int row, const QString& fieldName, const QString& message);

private:
    TViewColumns* FColumns;
    TRecordSet FRecords;
    TDrawFormatHook FDrawFormatHook;
    TComputedFields FComputed;
    std::function<bool(int row, const TViewColumn* column)> FCellEditable;
    QString FLastError;
    bool FEditing = false;
};

} // namespace kx
