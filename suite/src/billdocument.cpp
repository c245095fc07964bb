#include "billdocument.h"

#include "db/strutils.h"

namespace kx::suite {

TBillValues::TBillValues() = default;
TBillValues::~TBillValues() = default;

QVariant TBillValues::GetValue(const QString& Name) const
{
    return FValues.value(Name.toLower());
}

void TBillValues::SetValue(const QString& Name, const QVariant& Value)
{
    FValues.insert(Name.toLower(), Value);
}

IRowList* TBillValues::GetRowList(const QString& Name)
{
    auto& list = FLists[Name.toLower()];
    if (!list)
        list = std::make_unique<TBillRows>();
    return list.get();
}

const TBillRows* TBillValues::Rows(const QString& name) const
{
    const auto it = FLists.find(name.toLower());
    return it == FLists.end() ? nullptr : it->second.get();
}

QString TBillValues::Text(const QString& name) const
{
    const QVariant v = GetValue(name);
    return v.isNull() ? QString() : v.toString().trimmed();
}

double TBillValues::Number(const QString& name) const
{
    const QVariant v = GetValue(name);
    return v.isNull() ? 0.0 : v.toDouble();
}

int TBillValues::Integer(const QString& name) const
{
    const QVariant v = GetValue(name);
    return v.isNull() ? 0 : v.toInt();
}

QDate TBillValues::Date(const QString& name) const
{
    const QVariant v = GetValue(name);
    if (v.isNull())
        return QDate();
    if (v.typeId() == QMetaType::QDate)
        return v.toDate();
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().date();
    return TextToDateTime(v.toString()).date();
}

bool TBillValues::Flag(const QString& name) const
{
    const QVariant v = GetValue(name);
    return !v.isNull() && (v.typeId() == QMetaType::Bool ? v.toBool() : v.toInt() != 0);
}

IValueList* TBillRows::Row(int Index)
{
    return Index >= 0 && Index < Count() ? FRows[size_t(Index)].get() : nullptr;
}

IValueList* TBillRows::Add()
{
    FRows.push_back(std::make_unique<TBillValues>());
    return FRows.back().get();
}

} // namespace kx::suite
