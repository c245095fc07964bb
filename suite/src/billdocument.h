// A bill as the module fills it before the bill service stores it: named head values,
// named row lists whose rows are value lists of their own (a release entry carries its
// "SubGroups", each group its items).
#pragma once

#include "kx_mrp/erpaccess.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

#include <map>
#include <memory>
#include <vector>

namespace kx::suite {

class TBillRows;

class TBillValues : public IValueList {
public:
    TBillValues();
    ~TBillValues();

    // Names compare without regard to case; an unset name reads as null.
    QVariant GetValue(const QString& Name) const override;
    void SetValue(const QString& Name, const QVariant& Value) override;
    // The named list, created empty on first use.
    IRowList* GetRowList(const QString& Name) override;

    // The named list, or null when nobody filled it.
    const TBillRows* Rows(const QString& name) const;
    // Typed reads for the store: text trimmed, numbers 0, dates invalid and flags false
    // when the value is null.
    QString Text(const QString& name) const;
    double Number(const QString& name) const;
    int Integer(const QString& name) const;
    QDate Date(const QString& name) const;
    bool Flag(const QString& name) const;

private:
    QHash<QString, QVariant> FValues;                   // by lower-cased name
    std::map<QString, std::unique_ptr<TBillRows>> FLists;
};

class TBillRows : public IRowList {
public:
    int Count() const override { return int(FRows.size()); }
    IValueList* Row(int Index) override;
    IValueList* Add() override;
    const TBillValues& At(int index) const { return *FRows[size_t(index)]; }

private:
    std::vector<std::unique_ptr<TBillValues>> FRows;
};

} // namespace kx::suite
