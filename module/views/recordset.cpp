#include "views/recordset.h"

#include "db/dataset.h"

namespace kx {

void TRecordSet::SetFields(const QList<TRecordField>& fields)
{
    FSource.reset();
    FRows.clear();
    FModified.clear();
    FFields = fields;
    FIndex.clear();
    for (int i = int(FFields.size()) - 1; i >= 0; --i)
        FIndex.insert(FFields[i].Name.toLower(), i);
}

void TRecordSet::LoadFrom(const TQuery& query)
{
    QList<TRecordField> fields;
    for (int f = 0; f < query.FieldCount(); ++f)
        fields.append({query.Fields(f).FieldName(), query.Fields(f).DataType()});
    SetFields(fields);
    FRows.reserve(query.RecordCount());
    for (int r = 0; r < query.RecordCount(); ++r) {
        TRow row;
        row.Values.reserve(FFields.size());
        for (int f = 0; f < FFields.size(); ++f)
            row.Values << query.ValueAt(r, f);
        FRows << row;
    }
    FModified = QList<bool>(FRows.size(), false);
}

void TRecordSet::TakeFrom(TQuery&& query)
{
    QList<TRecordField> fields;
    for (int f = 0; f < query.FieldCount(); ++f)
        fields.append({query.Fields(f).FieldName(), query.Fields(f).DataType()});
    SetFields(fields);
    FSource = std::make_shared<const TQuery>(std::move(query));
    FRows.resize(FSource->RecordCount());
    for (int r = 0; r < FRows.size(); ++r)
        FRows[r].Source = r;
    FModified = QList<bool>(FRows.size(), false);
}

const QVariantList& TRecordSet::Materialized(int row)
{
    TRow& r = FRows[row];
    if (r.Values.isEmpty() && r.Source >= 0 && FSource) {
        r.Values.reserve(FFields.size());
        for (int f = 0; f < FFields.size(); ++f)
            r.Values << FSource->ValueAt(r.Source, f);
    }
    return r.Values;
}

void TRecordSet::Clear()
{
    SetFields({});
}

QStringList TRecordSet::FieldNames() const
{
    QStringList names;
    for (const TRecordField& f : FFields)
        names << f.Name;
    return names;
}

QVariant TRecordSet::Value(int row, int field) const
{
    if (row < 0 || row >= FRows.size() || field < 0 || field >= FFields.size())
        return QVariant();
    const TRow& r = FRows[row];
    if (r.Values.isEmpty() && r.Source >= 0 && FSource)
        return FSource->ValueAt(r.Source, field);
    return r.Values.value(field);
}

bool TRecordSet::SetValue(int row, int field, const QVariant& value)
{
    if (row < 0 || row >= FRows.size() || field < 0 || field >= FFields.size())
        return false;
    Materialized(row);
    FRows[row].Values[field] = value;
    FModified[row] = true;
    return true;
}

int TRecordSet::AppendRecord(const QVariantList& values)
{
    QVariantList row = values.mid(0, FFields.size());
    while (row.size() < FFields.size())
        row << QVariant();
    FRows << TRow{-1, row};
    FModified << true;
    return int(FRows.size()) - 1;
}

void TRecordSet::DeleteRecord(int row)
{
    if (row < 0 || row >= FRows.size())
        return;
    FRows.removeAt(row);
    FModified.removeAt(row);
}

} // namespace kx
