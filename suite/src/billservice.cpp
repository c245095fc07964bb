#include "billservice.h"

#include "billdocument.h"

#include "db/dataset.h"
#include "db/errors.h"
#include "db/quote.h"

#include <QSet>

#include <cmath>

namespace kx::suite {

namespace {

[[noreturn]] void Refuse(const QString& message)
{
    throw EKxError(message);
}

QString Scalar(TConnection& connection, const QString& sql)
{
    TQuery q(&connection);
    q.SQL = sql;
    q.Open();
    return q.IsEmpty() ? QString() : q.Fields(0).AsString();
}

int KindMaxRows(TConnection& connection, int kind)
{
    return Scalar(connection, QStringLiteral("select BknMaxRows from KX_SYS_BillKinds where BknID=%1").arg(kind)).toInt();
}

QString TextOrNull(const QString& text)
{
    return text.isEmpty() ? QStringLiteral("null") : QuotedStr(text);
}

// The column values of one row, each already an SQL literal, written as an insert or an
// update.
class TColumnValues {
public:
    TColumnValues& Set(const QString& column, const QString& literal)
    {
        FColumns << column;
        FValues << literal;
        return *this;
    }
    QString Insert(const QString& table) const
    {
        return QStringLiteral("insert into %1 (%2) values (%3)").arg(table, FColumns.join(QLatin1String(", ")),
                                                                      FValues.join(QLatin1String(", ")));
    }
    QString Update(const QString& table, const QString& where) const
    {
        QStringList sets;
        for (qsizetype i = 0; i < FColumns.size(); ++i)
            sets << FColumns[i] + QLatin1Char('=') + FValues[i];
        return QStringLiteral("update %1 set %2 where %3").arg(table, sets.join(QLatin1String(", ")), where);
    }

private:
    QStringList FColumns;
    QStringList FValues;
};

// The item and its property set of a line: "<P>ItmID", "<P>ItmProps", "<P>ItmProp1".. from
// "ItemID", "ItemProps", "ItemProp1".. (or the value names under another stem).
void SetItem(TColumnValues& columns, const QString& prefix, const TBillValues& row, const QString& stem = QStringLiteral("Item"))
{
    columns.Set(prefix + QLatin1String("ItmID"), QuotedStr(row.Text(stem + QLatin1String("ID"))))
        .Set(prefix + QLatin1String("ItmProps"), QuotedStr(row.Text(stem + QLatin1String("Props"))));
    for (int i = 1; i <= 10; ++i)
        columns.Set(prefix + QStringLiteral("ItmProp%1").arg(i), QuotedStr(row.Text(stem + QStringLiteral("Prop%1").arg(i))));
}

// The main demand a supply line serves, its tags and its MRP group.
void SetOrigin(TColumnValues& columns, const QString& prefix, const TBillValues& row)
{
    columns.Set(prefix + QLatin1String("OrigType"), row.GetValue(QStringLiteral("OrigType")).isNull()
                                                        ? QStringLiteral("null") : SQLInt(row.Integer(QStringLiteral("OrigType"))))
        .Set(prefix + QLatin1String("OrigID"), TextOrNull(row.Text(QStringLiteral("OrigID"))))
        .Set(prefix + QLatin1String("OrigNo"), TextOrNull(row.Text(QStringLiteral("OrigNo"))))
        .Set(prefix + QLatin1String("OrigEntry"), row.GetValue(QStringLiteral("OrigEntry")).isNull()
                                                      ? QStringLiteral("null") : SQLInt(row.Integer(QStringLiteral("OrigEntry"))))
        .Set(prefix + QLatin1String("OrigItmID"), TextOrNull(row.Text(QStringLiteral("OrigItemID"))))
        .Set(prefix + QLatin1String("OrigCustID"), TextOrNull(row.Text(QStringLiteral("OrigCustID"))))
        .Set(prefix + QLatin1String("OrigCustPO"), TextOrNull(row.Text(QStringLiteral("OrigCustPO"))));
}

void SetTagsAndGroup(TColumnValues& columns, const QString& prefix, const TBillValues& row)
{
    columns.Set(prefix + QLatin1String("OrigTag"), TextOrNull(row.Text(QStringLiteral("OrigTag"))))
        .Set(prefix + QLatin1String("OrigSubTag"), TextOrNull(row.Text(QStringLiteral("OrigSubTag"))))
        .Set(prefix + QLatin1String("GroupType"), SQLInt(row.Integer(QStringLiteral("MRPGroupType"))))
        .Set(prefix + QLatin1String("GroupNo"), QuotedStr(row.Text(QStringLiteral("MRPGroupNo"))));
}

// Quantity in the line's unit from the base quantity and the unit's factor (1 when none).
double UnitQty(const TBillValues& row)
{
    const double rate = row.Number(QStringLiteral("UnitRate"));
    const double qty = row.Number(QStringLiteral("StdQty")) / (rate > 0 ? rate : 1.0);
    return std::round(qty * 1e8) / 1e8;
}

// What differs between the supply bills the release creates.
struct TSupplyKind {
    int Kind;
    const char* Prefix;            // column prefix of head and lines, "MO"
    const char* HeadDept;          // issuing department column of the head
    bool HeadSupplier;             // the bill's "SupID" is the head's processor (outsourcing orders)
    bool HeadCurrency;
    const char* LineUnit;          // column that takes a line's "SupID" (workshop or supplier); null: none
    const char* LineUnitCaption;   // named when a required supply unit is missing
    bool HasDrawDate;
    bool HasBom;
    const char* ComponentTable;    // component lines written when "HasPBom" is set; null: none
    const char* ComponentPrefix;
};

const TSupplyKind kSupplyKinds[] = {
    {10, "MO", "MOBillDeptID", false, false, "MODeptID", "生产车间", true, true, "KX_Bill_MOBom", "Mob"},
    {8, "OO", "OODeptID", true, true, nullptr, nullptr, true, true, "KX_Bill_OOBom", "Oob"},
    {7, "OR", "ORDeptID", false, true, "ORSuppID", nullptr, true, true, nullptr, nullptr},
    {4, "PR", "PRDeptID", false, true, "PRSuppID", nullptr, false, false, nullptr, nullptr},
};

const TSupplyKind* SupplyKind(int kind)
{
    for (const TSupplyKind& k : kSupplyKinds)
        if (k.Kind == kind)
            return &k;
    return nullptr;
}

constexpr int kForecastKind = 1;
constexpr int kSubstituteKind = 16;

class TStoredBill : public IBill {
public:
    TStoredBill(TConnection& connection, int kind, const QString& userID) : FConnection(connection), FKind(kind)
    {
        FHead.SetValue(QStringLiteral("UserID"), userID);
    }

    IValueList* Head() override { return &FHead; }
    IRowList* GetRowList(const QString& Name) override { return FHead.GetRowList(Name); }
    void AddStatement(const QString& SQL) override { FStatements << SQL; }
    QString Save(QString& Error) override;

private:
    struct TStored {
        QString ID;
        QString No;
    };

    const TBillRows& Rows(const QString& name) const;
    void CheckRowCount(const TBillRows& rows, bool allowEmpty);
    QString BillNo(const QString& table, const QString& idColumn, const QString& noColumn, const QString& id, const QDate& date);
    QDate HeadDate() const;
    void RunWriteBacks(const TBillRows& rows);
    TStored StoreForecast();
    TStored StoreSupplyBill(const TSupplyKind& kind);
    void StoreComponents(const TSupplyKind& kind, const QString& billID, int entry, const TBillValues& row, int& nextEntry);
    TStored StoreSubstitutes();

    TConnection& FConnection;
    int FKind;
    TBillValues FHead;
    TBillRows FNoRows;
    QStringList FStatements;
};

QString TStoredBill::Save(QString& Error)
{
    Error.clear();
    try {
        const TSupplyKind* supply = SupplyKind(FKind);
        if (!supply && FKind != kForecastKind && FKind != kSubstituteKind)
            Refuse(QStringLiteral("系统不支持保存类型为%1的单据!").arg(FKind));
        TTransaction transaction(FConnection);
        const TStored stored = supply ? StoreSupplyBill(*supply) : FKind == kForecastKind ? StoreForecast() : StoreSubstitutes();
        for (const QString& sql : FStatements)
            FConnection.Execute(sql);
        transaction.Commit();
        FHead.SetValue(QStringLiteral("BillID"), stored.ID);
        FHead.SetValue(QStringLiteral("BillNo"), stored.No);
        return stored.ID;
    } catch (const EDatabaseError& e) {
        Error = QStringLiteral("错误: %1 (错误号: %2)").arg(e.Message()).arg(e.Number());
    } catch (const EKxError& e) {
        Error = e.Message();
    }
    return QString();
}

const TBillRows& TStoredBill::Rows(const QString& name) const
{
    const TBillRows* rows = FHead.Rows(name);
    return rows ? *rows : FNoRows;
}

void TStoredBill::CheckRowCount(const TBillRows& rows, bool allowEmpty)
{
    if (rows.Count() == 0 && !allowEmpty)
        Refuse(QStringLiteral("单据体内容为空, 不能保存!"));
    const int maxRows = KindMaxRows(FConnection, FKind);
    if (maxRows > 0 && rows.Count() > maxRows)
        Refuse(QStringLiteral("单据体内容不允许超过 %1 行, 请修正!").arg(maxRows));
}

QDate TStoredBill::HeadDate() const
{
    const QDate date = FHead.Date(QStringLiteral("Date"));
    return date.isValid() ? date : QDate::currentDate();
}

// The head's "BillNo" when it is free, else the next number of the kind: prefix, bill month,
// four-digit serial; serials are counted inside the storing transaction, so a failed store
// hands its number out again.
QString TStoredBill::BillNo(const QString& table, const QString& idColumn, const QString& noColumn, const QString& id,
                            const QDate& date)
{
    const QString given = FHead.Text(QStringLiteral("BillNo"));
    const auto taken = [&](const QString& no) {
        return !Scalar(FConnection, QStringLiteral("select 1 from %1 where %2=%3 and %4<>%5")
                                        .arg(table, noColumn, QuotedStr(no), idColumn, QuotedStr(id))).isEmpty();
    };
    if (!given.isEmpty()) {
        if (taken(given))
            Refuse(QStringLiteral("单据编号\"%1\"已存在!").arg(given));
        return given;
    }
    const QString prefix = Scalar(FConnection, QStringLiteral("select BknPrefix from KX_SYS_BillKinds where BknID=%1").arg(FKind));
    if (prefix.isEmpty())
        Refuse(QStringLiteral("单据类型%1没有编号规则!").arg(FKind));
    const QString stem = prefix + date.toString(QStringLiteral("yyyyMM"));
    for (;;) {
        const int serial = Scalar(FConnection, QStringLiteral("insert into KX_SYS_BillSerials (BksKind, BksStem, BksLastNo) "
                                                              "values (%1, %2, 1) on conflict (BksKind, BksStem) do update "
                                                              "set BksLastNo=KX_SYS_BillSerials.BksLastNo+1 returning BksLastNo")
                                                  .arg(FKind).arg(QuotedStr(stem))).toInt();
        const QString no = stem + QStringLiteral("%1").arg(serial, 4, 10, QLatin1Char('0'));
        if (!taken(no))
            return no;
    }
}

void TStoredBill::RunWriteBacks(const TBillRows& rows)
{
    for (int i = 0; i < rows.Count(); ++i) {
        const QString sql = rows.At(i).Text(QStringLiteral("WriteBackSQL"));
        if (!sql.isEmpty())
            FConnection.Execute(sql);
    }
}

// A forecast: a new bill, or the lines of an unchecked one replaced. Lines that come back
// with their "Index" keep their line number (sales orders may point at them); lines
// without one are numbered after the highest line the bill ever had.
TStoredBill::TStored TStoredBill::StoreForecast()
{
    const TBillRows& rows = Rows(QStringLiteral("Rows"));
    CheckRowCount(rows, false);
    QString id = FHead.Text(QStringLiteral("BillID"));
    const QDate date = FHead.Date(QStringLiteral("Date"));
    if (!date.isValid())
        Refuse(QStringLiteral("[单据日期]的内容不能为空!"));
    QSet<int> entries;
    int nextEntry = 1;
    if (!id.isEmpty()) {
        TQuery q(&FConnection);
        q.SQL = QStringLiteral("select ForChecked from KX_Bill_ForHead where ForID=%1 for update").arg(QuotedStr(id));
        q.Open();
        if (q.IsEmpty())
            Refuse(QStringLiteral("单据无法打开, 可能已被删除!"));
        if (q.Fields(0).AsInteger() != 0)
            Refuse(QStringLiteral("单据状态已改变, 不能进行编辑!"));
        // The bill as its editor read it: another user's changes since then are not overwritten.
        const QString stamp = FHead.Text(QStringLiteral("Stamp"));
        if (!stamp.isEmpty() && Scalar(FConnection, QStringLiteral("select KX_MRP_ForcastStamp(%1)").arg(QuotedStr(id))) != stamp)
            Refuse(QStringLiteral("单据状态已改变, 不能进行编辑!"));
        q.SQL = QStringLiteral("select ForEntry from KX_Bill_ForLine where ForID=%1").arg(QuotedStr(id));
        q.Open();
        for (; !q.Eof(); q.Next()) {
            entries.insert(q.Fields(0).AsInteger());
            nextEntry = qMax(nextEntry, q.Fields(0).AsInteger() + 1);
        }
    }
    const QString no = BillNo(QStringLiteral("KX_Bill_ForHead"), QStringLiteral("ForID"), QStringLiteral("ForNo"), id, date);
    if (id.isEmpty()) {
        id = Scalar(FConnection, QStringLiteral("insert into KX_Bill_ForHead (ForNo, ForDate, ForCreater) values (%1, %2, %3) returning ForID")
                                     .arg(QuotedStr(no), SQLDate(date), TextOrNull(FHead.Text(QStringLiteral("UserID")))));
    } else {
        FConnection.Execute(QStringLiteral("update KX_Bill_ForHead set ForNo=%1, ForDate=%2 where ForID=%3")
                                .arg(QuotedStr(no), SQLDate(date), QuotedStr(id)));
    }

    QStringList kept;
    for (int i = 0; i < rows.Count(); ++i)
        if (entries.contains(rows.At(i).Integer(QStringLiteral("Index"))))
            kept << SQLInt(rows.At(i).Integer(QStringLiteral("Index")));
    FConnection.Execute(QStringLiteral("delete from KX_Bill_ForLine where ForID=%1%2")
                            .arg(QuotedStr(id), kept.isEmpty() ? QString() : QStringLiteral(" and ForEntry not in (%1)").arg(kept.join(QLatin1Char(',')))));
    for (int i = 0; i < rows.Count(); ++i) {
        const TBillValues& row = rows.At(i);
        if (row.Text(QStringLiteral("ItemID")).isEmpty())
            Refuse(QStringLiteral("第%1行的[物料]的内容不能为空!").arg(i + 1));
        if (!row.Date(QStringLiteral("Date")).isValid())
            Refuse(QStringLiteral("第%1行的[交货日期]的内容不能为空!").arg(i + 1));
        TColumnValues columns;
        SetItem(columns, QStringLiteral("For"), row);
        columns.Set(QStringLiteral("ForCustID"), TextOrNull(row.Text(QStringLiteral("CustID"))))
            .Set(QStringLiteral("ForUntID"), TextOrNull(row.Text(QStringLiteral("UnitID"))))
            .Set(QStringLiteral("ForUBillQty"), SQLQty(row.Number(QStringLiteral("Qty"))))
            .Set(QStringLiteral("ForBillQty"), SQLQty(row.Number(QStringLiteral("StdQty"))))
            .Set(QStringLiteral("ForDelivDate"), SQLDate(row.Date(QStringLiteral("Date"))))
            .Set(QStringLiteral("ForNote"), TextOrNull(row.Text(QStringLiteral("Note"))));
        SetTagsAndGroup(columns, QStringLiteral("For"), row);
        const int index = row.Integer(QStringLiteral("Index"));
        if (entries.contains(index)) {
            FConnection.Execute(columns.Update(QStringLiteral("KX_Bill_ForLine"),
                                               QStringLiteral("ForID=%1 and ForEntry=%2").arg(QuotedStr(id)).arg(index)));
        } else {
            columns.Set(QStringLiteral("ForID"), QuotedStr(id)).Set(QStringLiteral("ForEntry"), SQLInt(nextEntry++));
            FConnection.Execute(columns.Insert(QStringLiteral("KX_Bill_ForLine")));
        }
    }
    RunWriteBacks(rows);
    return {id, no};
}

// A production order, outsourcing order or requisition of the release: one line per entry,
// the entry's write-back statement run after the lines.
TStoredBill::TStored TStoredBill::StoreSupplyBill(const TSupplyKind& kind)
{
    const TBillRows& rows = Rows(QStringLiteral("Rows"));
    CheckRowCount(rows, false);
    const QString p = QLatin1String(kind.Prefix);
    const QString headTable = QStringLiteral("KX_Bill_%1Head").arg(p);
    const QString lineTable = QStringLiteral("KX_Bill_%1Line").arg(p);
    const QDate date = HeadDate();
    const QString no = BillNo(headTable, p + QLatin1String("ID"), p + QLatin1String("No"), QString(), date);

    TColumnValues head;
    head.Set(p + QLatin1String("No"), QuotedStr(no))
        .Set(p + QLatin1String("Date"), SQLDate(date))
        .Set(QLatin1String(kind.HeadDept), TextOrNull(FHead.Text(QStringLiteral("DeptID"))))
        .Set(p + QLatin1String("EmpID"), TextOrNull(FHead.Text(QStringLiteral("EmpID"))))
        .Set(p + QLatin1String("Creater"), TextOrNull(FHead.Text(QStringLiteral("UserID"))));
    if (kind.HeadSupplier) {
        if (FHead.Text(QStringLiteral("SupID")).isEmpty())
            Refuse(QStringLiteral("[委外加工商]的内容不能为空!"));
        head.Set(p + QLatin1String("SuppID"), QuotedStr(FHead.Text(QStringLiteral("SupID"))));
    }
    if (kind.HeadCurrency)
        head.Set(p + QLatin1String("CurID"), TextOrNull(FHead.Text(QStringLiteral("CurID"))));
    const QString id = Scalar(FConnection, head.Insert(headTable) + QStringLiteral(" returning ") + p + QLatin1String("ID"));

    const bool withComponents = kind.ComponentTable && FHead.Flag(QStringLiteral("HasPBom"));
    int nextComponent = 1;
    for (int i = 0; i < rows.Count(); ++i) {
        const TBillValues& row = rows.At(i);
        const QDate deliv = row.Date(QStringLiteral("Date"));
        if (row.Text(QStringLiteral("ItemID")).isEmpty())
            Refuse(QStringLiteral("第%1行的[物料]的内容不能为空!").arg(i + 1));
        if (!deliv.isValid())
            Refuse(QStringLiteral("第%1行的[交货日期]的内容不能为空!").arg(i + 1));
        if (kind.LineUnitCaption && row.Text(QStringLiteral("SupID")).isEmpty())
            Refuse(QStringLiteral("第%1行的[%2]的内容不能为空!").arg(i + 1).arg(QString::fromUtf8(kind.LineUnitCaption)));
        TColumnValues line;
        line.Set(p + QLatin1String("ID"), QuotedStr(id)).Set(p + QLatin1String("Entry"), SQLInt(i + 1));
        SetItem(line, p, row);
        if (kind.LineUnit)
            line.Set(QLatin1String(kind.LineUnit), TextOrNull(row.Text(QStringLiteral("SupID"))));
        line.Set(p + QLatin1String("UntID"), TextOrNull(row.Text(QStringLiteral("UnitID"))))
            .Set(p + QLatin1String("UBillQty"), SQLQty(UnitQty(row)))
            .Set(p + QLatin1String("BillQty"), SQLQty(row.Number(QStringLiteral("StdQty"))))
            .Set(p + QLatin1String("DelivDate"), SQLDate(deliv))
            .Set(p + QLatin1String("Note"), TextOrNull(row.Text(QStringLiteral("Note"))));
        if (kind.HasDrawDate) {
            const QDate draw = row.Date(QStringLiteral("DrawDate"));
            line.Set(p + QLatin1String("DrawDate"), SQLDate(draw.isValid() ? draw : deliv));
        }
        if (kind.HasBom)
            line.Set(p + QLatin1String("BomType"), SQLInt(row.Integer(QStringLiteral("BomType"))))
                .Set(p + QLatin1String("BomID"), TextOrNull(row.Text(QStringLiteral("BomID"))));
        if (FKind == 4)
            line.Set(QStringLiteral("PRBuyerID"), QStringLiteral("(select SuppBuyerID from KX_Base_Supplier where SuppID=%1)")
                                                      .arg(TextOrNull(row.Text(QStringLiteral("SupID")))));
        SetOrigin(line, p, row);
        SetTagsAndGroup(line, p, row);
        FConnection.Execute(line.Insert(lineTable));
        if (withComponents)
            StoreComponents(kind, id, i + 1, row, nextComponent);
    }
    RunWriteBacks(rows);
    return {id, no};
}

// The material lines of one order line: each of the entry's "SubGroups" is one BOM line
// whose items come in its list "Items"; the first item is the component, the others its
// substitutes released with the order. An item takes "SubRate" percent (100 when not given)
// of the group's "StdQty", which includes the issue loss of "LossRate" percent.
void TStoredBill::StoreComponents(const TSupplyKind& kind, const QString& billID, int entry, const TBillValues& row,
                                  int& nextEntry)
{
    const QString p = QLatin1String(kind.Prefix);
    const QString c = QLatin1String(kind.ComponentPrefix);
    const TBillRows* groups = row.Rows(QStringLiteral("SubGroups"));
    const double lineQty = row.Number(QStringLiteral("StdQty"));
    QDate draw = row.Date(QStringLiteral("DrawDate"));
    if (!draw.isValid())
        draw = row.Date(QStringLiteral("Date"));
    for (int g = 0; groups && g < groups->Count(); ++g) {
        const TBillValues& group = groups->At(g);
        const TBillRows* items = group.Rows(QStringLiteral("Items"));
        const int componentEntry = nextEntry;
        for (int k = 0; items && k < items->Count(); ++k) {
            const TBillValues& item = items->At(k);
            const double rate = item.GetValue(QStringLiteral("SubRate")).isNull() ? 100.0 : item.Number(QStringLiteral("SubRate"));
            const double qty = std::round(group.Number(QStringLiteral("StdQty")) * rate / 100.0 * 1e8) / 1e8;
            TColumnValues columns;
            columns.Set(p + QLatin1String("ID"), QuotedStr(billID))
                .Set(c + QLatin1String("Entry"), SQLInt(nextEntry++))
                .Set(p + QLatin1String("Entry"), SQLInt(entry));
            SetItem(columns, c, item);
            columns.Set(c + QLatin1String("Role"), SQLInt(k == 0 ? 0 : 1))
                .Set(c + QLatin1String("UntID"), QStringLiteral("(select ItmUnitID from KX_Base_ItemMaster where ItmID=%1)")
                                                     .arg(QuotedStr(item.Text(QStringLiteral("ItemID")))))
                .Set(c + QLatin1String("UBillQty"), SQLQty(qty))
                .Set(c + QLatin1String("BillQty"), SQLQty(qty))
                .Set(c + QLatin1String("UnitQty"), SQLQty(lineQty > 0 ? std::round(qty / lineQty * 1e8) / 1e8 : 0.0))
                .Set(c + QLatin1String("LossRate"), SQLQty(group.Number(QStringLiteral("LossRate"))))
                .Set(c + QLatin1String("DrawDate"), SQLDate(draw))
                .Set(c + QLatin1String("SubOf"), k == 0 ? QStringLiteral("null") : SQLInt(componentEntry))
                .Set(c + QLatin1String("SubRate"), SQLQty(rate));
            FConnection.Execute(columns.Insert(QLatin1String(kind.ComponentTable)));
        }
    }
}

// The substitutes of one BOM ("BomID"; empty: the global ones of the items named) replaced
// by the rows of "ItemSubs", numbered in their order per replaced item and BOM line.
TStoredBill::TStored TStoredBill::StoreSubstitutes()
{
    const TBillRows& rows = Rows(QStringLiteral("ItemSubs"));
    CheckRowCount(rows, true);
    const QString bomID = FHead.Text(QStringLiteral("BomID"));
    if (bomID.isEmpty()) {
        QStringList items;
        for (int i = 0; i < rows.Count(); ++i)
            items << QuotedStr(rows.At(i).Text(QStringLiteral("ItemID")));
        if (!items.isEmpty())
            FConnection.Execute(QStringLiteral("delete from KX_Bom_ItemSubs where SubBomID is null and SubItmID in (%1)")
                                    .arg(items.join(QLatin1Char(','))));
    } else {
        FConnection.Execute(QStringLiteral("delete from KX_Bom_ItemSubs where SubBomID=%1").arg(QuotedStr(bomID)));
    }
    QHash<QString, int> sequence;
    for (int i = 0; i < rows.Count(); ++i) {
        const TBillValues& row = rows.At(i);
        const QString hook = bomID.isEmpty() ? QString() : row.Text(QStringLiteral("RowHook"));
        const int seq = ++sequence[hook + QLatin1Char('\n') + row.Text(QStringLiteral("ItemID"))];
        TColumnValues columns;
        columns.Set(QStringLiteral("SubBomType"), bomID.isEmpty() ? QStringLiteral("null") : SQLInt(FHead.Integer(QStringLiteral("BomType"))))
            .Set(QStringLiteral("SubBomID"), TextOrNull(bomID))
            .Set(QStringLiteral("SubRowHook"), TextOrNull(hook))
            .Set(QStringLiteral("SubItmID"), QuotedStr(row.Text(QStringLiteral("ItemID"))))
            .Set(QStringLiteral("SubSeq"), SQLInt(seq))
            .Set(QStringLiteral("SubRItmID"), QuotedStr(row.Text(QStringLiteral("SubItemID"))))
            .Set(QStringLiteral("SubRProps"), QuotedStr(row.Text(QStringLiteral("SubItemProps"))));
        for (int n = 1; n <= 10; ++n)
            columns.Set(QStringLiteral("SubRProp%1").arg(n), QuotedStr(row.Text(QStringLiteral("SubItemProp%1").arg(n))));
        columns.Set(QStringLiteral("SubRQty"), SQLQty(row.Number(QStringLiteral("Qty"))))
            .Set(QStringLiteral("SubQty"), SQLQty(row.Number(QStringLiteral("RQty"))))
            .Set(QStringLiteral("SubReplace"), SQLInt(row.Flag(QStringLiteral("Replace")) ? 1 : 0))
            .Set(QStringLiteral("SubBeginDate"), SQLDate(row.Date(QStringLiteral("BeginDate"))))
            .Set(QStringLiteral("SubEndDate"), SQLDate(row.Date(QStringLiteral("EndDate"))))
            .Set(QStringLiteral("SubNote"), TextOrNull(row.Text(QStringLiteral("Note"))))
            .Set(QStringLiteral("SubUsrID"), TextOrNull(FHead.Text(QStringLiteral("UserID"))));
        FConnection.Execute(columns.Insert(QStringLiteral("KX_Bom_ItemSubs")));
    }
    const QString id = bomID.isEmpty() ? QStringLiteral("(全局范围)") : bomID;
    return {id, id};
}

} // namespace

TERPAccess::TERPAccess(TConnection& connection, const QString& userID) : FConnection(connection), FUserID(userID) {}

std::unique_ptr<IBill> TERPAccess::NewBill(int Kind)
{
    return std::make_unique<TStoredBill>(FConnection, Kind, FUserID);
}

int TERPAccess::MaxBillRows(int Kind)
{
    return KindMaxRows(FConnection, Kind);
}

} // namespace kx::suite
