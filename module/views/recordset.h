// A snapshot of a dataset: field names and types and the rows copied out of a query, so
// that a view can sort, group and edit them. Fields are found by name without regard to
// case.
#pragma once

#include "kx_mrp/types.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

namespace kx {

class TQuery;

struct TRecordField {
    QString Name;
    TFieldType DataType = ftUnknown;
};

class TRecordSet {
public:
    // Copies every row of the open query.
    void LoadFrom(const TQuery& query);
    // Takes the query's rows without copying them: a cell is read from the query's result
    // when it is asked for, and a row is copied out only when it is changed, so that a large
    // result is listed at once.
    void TakeFrom(TQuery&& query);
    void SetFields(const QList<TRecordField>& fields);
    void Clear();

    int FieldCount() const { return int(FFields.size()); }
    int RecordCount() const { return int(FRows.size()); }
    const TRecordField& Field(int index) const { return FFields[index]; }
    int FieldIndex(const QString& name) const { return FIndex.value(name.toLower(), -1); }
    bool HasField(const QString& name) const { return FieldIndex(name) >= 0; }
    QStringList FieldNames() const;

    QVariant Value(int row, int field) const;
    QVariant Value(int row, const QString& field) const { return Value(row, FieldIndex(field)); }
    // Stores a value and marks the record modified; false for a row or field out of range.
    bool SetValue(int row, int field, const QVariant& value);
    bool SetValue(int row, const QString& field, const QVariant& value) { return SetValue(row, FieldIndex(field), value); }

    // Appends a record (values in field order, missing ones null); returns its row.
    int AppendRecord(const QVariantList& values = {});
    void DeleteRecord(int row);

    bool RecordModified(int row) const { return row >= 0 && row < FModified.size() && FModified[row]; }
    bool AnyModified() const { return FModified.contains(true); }
    void ClearModified() { FModified.fill(false); }

private:
    // A row still in the taken query has its row there and no values of its own.
    struct TRow {
        int Source = -1;
        QVariantList Values;
    };
    const QVariantList& Materialized(int row);

    QList<TRecordField> FFields;
    QHash<QString, int> FIndex;           // lower-cased name -> first field of that name
    std::shared_ptr<const TQuery> FSource;
    QList<TRow> FRows;
    QList<bool> FModified;
};

} // namespace kx
