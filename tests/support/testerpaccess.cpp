#include "testerpaccess.h"

#include "billservice.h"
#include "db/connection.h"
#include "db/quote.h"
#include "db/shared.h"

#include <QHash>
#include <QMap>

#include <vector>

namespace kx::test {

namespace {

class TTestRows;

class TTestValues : public IValueList {
public:
    QVariant GetValue(const QString& Name) const override { return FValues.value(Name.toLower()); }
    void SetValue(const QString& Name, const QVariant& Value) override { FValues.insert(Name.toLower(), Value); }
    IRowList* GetRowList(const QString& Name) override;
    virtual ~TTestValues();

private:
    QHash<QString, QVariant> FValues;
    std::map<QString, std::unique_ptr<TTestRows>> FRowLists;
};

class TTestRows : public IRowList {
public:
    int Count() const override { return int(FRows.size()); }
    IValueList* Row(int Index) override { return FRows.at(Index).get(); }
    IValueList* Add() override
    {
        FRows.push_back(std::make_unique<TTestValues>());
        return FRows.back().get();
    }
    virtual ~TTestRows() = default;

private:
    std::vector<std::unique_ptr<TTestValues>> FRows;
};

IRowList* TTestValues::GetRowList(const QString& Name)
{
    auto& list = FRowLists[Name.toLower()];
    if (!list)
        list = std::make_unique<TTestRows>();
    return list.get();
}

TTestValues::~TTestValues() = default;

QString Text(const QVariant& v)
{
    return v.toString().isEmpty() ? QStringLiteral("null") : QuotedStr(v.toString());
}

class TItemSubsBill : public IBill {
public:
    explicit TItemSubsBill(TTestERPAccess& owner) : FOwner(owner) {}

    IValueList* Head() override { return &FHead; }
    IRowList* GetRowList(const QString& Name) override { return FHead.GetRowList(Name); }
    void AddStatement(const QString& SQL) override { FStatements << SQL; }

    QString Save(QString& Error) override
    {
        const QString bomID = FHead.GetValue(QStringLiteral("BomID")).toString();
        const bool global = bomID.isEmpty();
        IRowList* rows = FHead.GetRowList(QStringLiteral("ItemSubs"));
        QStringList sql;
        // A BOM's bill replaces all its substitutes; the global range those of the items it names.
        if (!global) {
            sql << QStringLiteral("delete from KX_Bom_ItemSubs where SubBomID=%1").arg(QuotedStr(bomID));
        } else {
            QStringList items;
            for (int r = 0; r < rows->Count(); ++r)
                items << QuotedStr(rows->Row(r)->GetValue(QStringLiteral("ItemID")).toString());
            if (!items.isEmpty())
                sql << QStringLiteral("delete from KX_Bom_ItemSubs where SubBomID is null and SubItmID in (%1)").arg(items.join(QLatin1Char(',')));
        }
        QMap<QString, int> seq;                   // priority within a line (or a replaced item)
        for (int r = 0; r < rows->Count(); ++r) {
            IValueList* row = rows->Row(r);
            const QString hook = row->GetValue(QStringLiteral("RowHook")).toString();
            const QString item = row->GetValue(QStringLiteral("ItemID")).toString();
            QStringList values{global ? QStringLiteral("null") : SQLInt(FHead.GetValue(QStringLiteral("BomType")).toInt()),
                               global ? QStringLiteral("null") : QuotedStr(bomID), Text(hook), QuotedStr(item),
                               SQLInt(++seq[hook.isEmpty() ? QLatin1Char('#') + item : hook]),
                               QuotedStr(row->GetValue(QStringLiteral("SubItemID")).toString()),
                               QuotedStr(row->GetValue(QStringLiteral("SubItemProps")).toString())};
            for (int n = 1; n <= 10; ++n)
                values << QuotedStr(row->GetValue(QStringLiteral("SubItemProp%1").arg(n)).toString());
            // The bill's Qty is the substitute's usage, RQty the replaced item's.
            values << SQLQty(row->GetValue(QStringLiteral("RQty")).toDouble()) << SQLQty(row->GetValue(QStringLiteral("Qty")).toDouble())
                   << SQLInt(row->GetValue(QStringLiteral("Replace")).toInt()) << SQLValue(row->GetValue(QStringLiteral("BeginDate")))
                   << SQLValue(row->GetValue(QStringLiteral("EndDate"))) << Text(row->GetValue(QStringLiteral("Note")))
                   << Text(FHead.GetValue(QStringLiteral("UserID")));
            sql << QStringLiteral("insert into KX_Bom_ItemSubs (SubBomType, SubBomID, SubRowHook, SubItmID, SubSeq, SubRItmID, SubRProps, "
                                  "SubRProp1, SubRProp2, SubRProp3, SubRProp4, SubRProp5, SubRProp6, SubRProp7, SubRProp8, SubRProp9, "
                                  "SubRProp10, SubQty, SubRQty, SubReplace, SubBeginDate, SubEndDate, SubNote, SubUsrID) values (")
                       + values.join(QStringLiteral(", ")) + QLatin1Char(')');
        }
        sql << FStatements;
        if (!FOwner.FailingStatement.isEmpty() && --FOwner.FailAtBill <= 0) {
            sql << std::exchange(FOwner.FailingStatement, QString());
            FOwner.FailAtBill = 1;
        }
        try {
            TTransaction transaction(SharedConnection());
            for (const QString& s : sql)
                SharedConnection().Execute(s);
            transaction.Commit();
        } catch (const EDatabaseError& e) {
            Error = e.Message();
            return QString();
        }
        FOwner.Stored << QStringLiteral("%1/%2:%3").arg(FHead.GetValue(QStringLiteral("BomType")).toInt()).arg(bomID).arg(rows->Count());
        return QStringLiteral("SUB%1").arg(FOwner.Stored.size());
    }

private:
    TTestERPAccess& FOwner;
    TTestValues FHead;
    QStringList FStatements;
};

// A bill of the suite's own service; the chosen one gets the failing statement.
class TSuiteBill : public IBill {
public:
    TSuiteBill(TTestERPAccess& owner, std::unique_ptr<IBill> inner) : FOwner(owner), FInner(std::move(inner)) {}

    IValueList* Head() override { return FInner->Head(); }
    IRowList* GetRowList(const QString& Name) override { return FInner->GetRowList(Name); }
    void AddStatement(const QString& SQL) override { FInner->AddStatement(SQL); }
    QString Save(QString& Error) override
    {
        if (!FOwner.FailingStatement.isEmpty() && --FOwner.FailAtBill <= 0) {
            FInner->AddStatement(std::exchange(FOwner.FailingStatement, QString()));
            FOwner.FailAtBill = 1;
        }
        const QString id = FInner->Save(Error);
        if (!id.isEmpty())
            FOwner.Stored << FInner->Head()->GetValue(QStringLiteral("BillNo")).toString();
        return id;
    }

private:
    TTestERPAccess& FOwner;
    std::unique_ptr<IBill> FInner;
};

} // namespace

std::unique_ptr<IBill> TTestERPAccess::NewBill(int Kind)
{
    if (Kind == 16)
        return std::make_unique<TItemSubsBill>(*this);
    ++BillsAsked;
    suite::TERPAccess suiteAccess(SharedConnection(), EnvUserID());
    return std::make_unique<TSuiteBill>(*this, suiteAccess.NewBill(Kind));
}

int TTestERPAccess::MaxBillRows(int Kind)
{
    if (Kind == 16)
        return 1000;
    return suite::TERPAccess(SharedConnection(), EnvUserID()).MaxBillRows(Kind);
}

} // namespace kx::test
