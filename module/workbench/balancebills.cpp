#include "workbench/balancebills.h"

#include "db/dataset.h"
#include "db/quote.h"
#include "engine/hints.h"
#include "engine/planscheme.h"

#include <algorithm>

namespace kx {

namespace {

// The bills of a balance row, each part giving the columns of the view in the same order:
// 1. the row's supplies (stock, existing orders, planned), their allocated quantity in the
//    column of their kind; 2. its demands with their coverage by kind and their net
//    requirement as what MRP plans; 3. substitutes received: allocations of another item's
//    supply to the row's demands, listed with the demand and the supplying item; 4. substitutes
//    given: allocations of the row's supplies to another item's demands, listed with the
//    supply and the demanding item.
const char* const kBillsSQL = R"(select s.*, coalesce(v.SuppName, dp.DeptName) as "DeptName",
(case when coalesce(s."SupOrigEntry",0)<>0 then s."SupOrigNo"||'/'||s."SupOrigEntry" else s."SupOrigNo" end) as "OrigNo",
c.CustName as "OrigCust", s."SupOrigCustPO" as "OrigCustPO", oi.ItmNo as "OrigItmNo", oi.ItmName as "OrigItmName",
oi.ItmSpec as "OrigItmSpec", ai.ItmNo as "AltItmNo", ai.ItmName as "AltItmName", ai.ItmSpec as "AltItmSpec" from (
select (case when s.SupBillType=%1 then %2 when s.SupBillType in (%3) then %4 else %5 end) as "BillClass", s.SupIID as "SupIID",
 s.SupPeriod as "SupPeriod", s.SupBillType as "SupBillType", s.SupBillNo as "SupBillNo", s.SupBillEntry as "SupBillEntry",
 s.SupBillDate as "SupBillDate", s.SupDate as "SupDate", s.SupSuppID as "SupSuppID", s.SupDeptID as "SupDeptID",
 s.SupNote as "SupNote", b.BomNo as "BomNo", nullif(s.SupOrigType, 0) as "OrigType", s.SupOrigNo as "SupOrigNo",
 s.SupOrigEntry as "SupOrigEntry", s.SupOrigItmID as "SupOrigItmID", s.SupOrigCustID as "SupOrigCustID",
 s.SupOrigCustPO as "SupOrigCustPO", s.SupOrigTag as "SupOrigTag", s.SupBillQty as "SupBillQty",
 (case when s.SupBillType<%6 and s.SupBillQty>s.SupQty then s.SupBillQty-s.SupQty else 0 end) as "SupOkQty",
 (case when s.SupBillType=16 then s.SupAllotQty end) as "SupInvQty", (case when s.SupBillType in (26, 28) then s.SupAllotQty end) as "SupPOQty",
 (case when s.SupBillType=24 then s.SupAllotQty end) as "SupOOQty", (case when s.SupBillType=22 then s.SupAllotQty end) as "SupMOQty",
 (case when s.SupBillType=38 then s.SupAllotQty end) as "SupPRQty", (case when s.SupBillType=36 then s.SupAllotQty end) as "SupORQty",
 (case when s.SupBillType=34 then s.SupAllotQty end) as "SupMRQty", (case when s.SupBillType>=%6 then s.SupAllotQty end) as "SupPPPQty",
 s.SupChkQty as "SupChkQty", s.SupAReplQty as "SupReplQty", s.SupQty as "SupQty", s.SupRestQty as "SupRestQty",
 cast(null as varchar(50)) as "AltItmID", cast(null as numeric(28,8)) as "AltQty", s.SupHints as "SupHints"
 from KX_MRP_Supplies as s left join KX_Bom_Head as b on b.BomID=s.SupBomID
 where s.SupSchIID=%13 and s.SupItmID=%14 and s.SupItmProps=%15 and s.SupGroupType=%16 and s.SupGroupNo=%17 and (s.SupQty>0 or s.SupBillType>=%6)
union all
select (case when d.DmdBillType in (72, 74) then %2 when d.DmdBillType in (%7) then %8 else %9 end), d.DmdIID, d.DmdPeriod,
 d.DmdBillType, d.DmdBillNo, d.DmdBillEntry, d.DmdBillDate, d.DmdDate, d.DmdSuppID, d.DmdDeptID, d.DmdNote, b.BomNo, nullif(d.DmdOrigType, 0),
 d.DmdOrigNo, d.DmdOrigEntry, d.DmdOrigItmID, d.DmdOrigCustID, d.DmdOrigCustPO, d.DmdOrigTag, d.DmdBillQty,
 (case when d.DmdBillQty>d.DmdNeedQty then d.DmdBillQty-d.DmdNeedQty else 0 end), d.DmdInvQty, d.DmdPOQty, d.DmdOOQty, d.DmdMOQty,
 d.DmdPRQty, d.DmdORQty, d.DmdMRQty, coalesce(d.DmdQty,0)+coalesce(d.DmdPPPQty1,0)+coalesce(d.DmdPPPQty2,0), d.DmdChkQty, d.DmdReplQty,
 d.DmdNeedQty, null, null, null, d.DmdHints
 from KX_MRP_Demands as d left join KX_Bom_Head as b on b.BomID=d.DmdBomID
 where d.DmdSchIID=%13 and d.DmdItmID=%14 and d.DmdItmProps=%15 and d.DmdGroupType=%16 and d.DmdGroupNo=%17
union all
select %10, d.DmdIID, a.AltPeriod, d.DmdBillType, d.DmdBillNo, d.DmdBillEntry, d.DmdBillDate, a.AltDate, d.DmdSuppID, d.DmdDeptID,
 d.DmdNote, null, nullif(d.DmdOrigType, 0), d.DmdOrigNo, d.DmdOrigEntry, d.DmdOrigItmID, d.DmdOrigCustID, d.DmdOrigCustPO, d.DmdOrigTag, null, null,
 null, null, null, null, null, null, null, null, null, null, a.AltReplQty, null, s.SupItmID, a.AltQty, null
 from KX_MRP_Allots as a join KX_MRP_Demands as d on d.DmdSchIID=a.AltSchIID and d.DmdIID=a.AltDmdIID
 join KX_MRP_Supplies as s on s.SupSchIID=a.AltSchIID and s.SupIID=a.AltSupIID
 where a.AltSchIID=%13 and a.AltIsRepl=1 and d.DmdItmID=%14 and d.DmdItmProps=%15 and d.DmdGroupType=%16 and d.DmdGroupNo=%17
union all
select %11, s.SupIID, a.AltPeriod, s.SupBillType, s.SupBillNo, s.SupBillEntry, s.SupBillDate, a.AltDate, s.SupSuppID, s.SupDeptID,
 s.SupNote, null, nullif(s.SupOrigType, 0), s.SupOrigNo, s.SupOrigEntry, s.SupOrigItmID, s.SupOrigCustID, s.SupOrigCustPO, s.SupOrigTag, null, null,
 null, null, null, null, null, null, null, null, null, null, a.AltQty, null, d.DmdItmID, a.AltReplQty, null
 from KX_MRP_Allots as a join KX_MRP_Supplies as s on s.SupSchIID=a.AltSchIID and s.SupIID=a.AltSupIID
 join KX_MRP_Demands as d on d.DmdSchIID=a.AltSchIID and d.DmdIID=a.AltDmdIID
 where a.AltSchIID=%13 and a.AltIsRepl=1 and s.SupItmID=%14 and s.SupItmProps=%15 and s.SupGroupType=%16 and s.SupGroupNo=%17
) as s left join KX_Base_Supplier as v on v.SuppID=s."SupSuppID" left join KX_Base_Department as dp on dp.DeptID=s."SupDeptID"
left join KX_Base_Customer as c on c.CustID=s."SupOrigCustID" left join KX_Base_ItemMaster as oi on oi.ItmID=s."SupOrigItmID"
left join KX_Base_ItemMaster as ai on ai.ItmID=s."AltItmID"%18 order by %12)";

// Every field the period rows show, with the bill types that count in it.
struct TTargetRow {
    const char* Field;
    QList<int> Types;
};

const QList<TTargetRow>& TargetRows()
{
    static const QList<TTargetRow> rows{
        {"BalInvQty", {btStock, btNegStock}},
        {"BalSafeQty", {btSafety}},
        {"BalForQty", {btForcast}},
        {"BalSOQty", {btSO, btSI}},
        {"BalFreeQty", {btFreeNeed}},
        {"BalRelQty", {btPlanOOComp, btPlanMOComp, btVirtualComp}},
        {"BalOODQty", {btOOComponent, btOOBom}},
        {"BalMODQty", {btMOScrap, btMOBom}},
        {"BalROutQty", {}},
        {"BalPOQty", {btPO, btPI}},
        {"BalOOQty", {btOO}},
        {"BalMOQty", {btMO}},
        {"BalChkQty", {}},
        {"BalPRQty", {btPR}},
        {"BalORQty", {btOR}},
        {"BalMRQty", {btMR}},
        {"BalRInQty", {}},
        {"BalNetQty", {}},
        {"BalQty", {btPlanMO, btPlanOO, btPlanPO}},
        {"BalXQty", {btPlanMOSkip, btPlanOOSkip, btPlanOther, btPlanMOVirtual, btPlanOOVirtual}},
        {"BalEndQty", {}},
    };
    return rows;
}

bool IsDemandClass(int billClass, int billType)
{
    return billClass == bcIndependent || billClass == bcDependent || (billClass == bcStock && billType != btStock);
}

} // namespace

QString BalanceBillsSQL(const TBalanceKey& key, int period, const QString& order)
{
    // A bill is of a period when it is dated in it or its hints give it a share there.
    const QString periodFilter =
        period < 0 ? QString()
                   : QStringLiteral(" where s.\"SupPeriod\"=%1 or position(chr(10)||'%2=' in chr(10)||coalesce(s.\"SupHints\",''))>0")
                         .arg(SQLInt(period), HintKey(period));
    // Constants first: the last call puts in the values, whose text is not read again.
    return QString::fromUtf8(kBillsSQL)
        .arg(SQLInt(btStock), SQLInt(bcStock), SQLIntList({btMO, btOO, btPO, btPI, btMR, btOR, btPR}), SQLInt(bcOrder), SQLInt(bcPlanned),
             SQLInt(btPlanMO), SQLIntList({btSO, btSI, btForcast, btFreeNeed, btPlanOOComp, btPlanMOComp, btVirtualComp}), SQLInt(bcIndependent),
             SQLInt(bcDependent))
        .arg(SQLInt(bcReplaceIn), SQLInt(bcReplaceOut),
             order.isEmpty() ? QStringLiteral("\"BillClass\", \"SupBillType\", \"SupDate\", \"SupIID\"") : order,
             SQLInt(key.SchemeIID), QuotedStr(key.ItmID), QuotedStr(key.ItmProps), SQLInt(key.GroupType), QuotedStr(key.GroupNo),
             periodFilter);
}

TBalanceTarget BalanceTargetOf(int billClass, int billType)
{
    if (billClass == bcReplaceIn)
        return {QStringLiteral("BalRInQty"), 1};
    if (billClass == bcReplaceOut)
        return {QStringLiteral("BalROutQty"), 1};
    for (const TTargetRow& row : TargetRows())
        if (row.Types.contains(billType))
            return {QLatin1String(row.Field), billType == btNegStock ? -1 : 1};
    return {};
}

const QStringList& BalancePeriodFields()
{
    static const QStringList fields = [] {
        QStringList list;
        for (const TTargetRow& row : TargetRows())
            list << QLatin1String(row.Field);
        return list;
    }();
    return fields;
}

QList<TBalancePeriod> SumBalancePeriods(const QList<TBalanceBill>& bills, int periodCount)
{
    QList<TBalancePeriod> periods(std::max(periodCount, 0));
    if (periods.isEmpty())
        return periods;
    for (TBalancePeriod& p : periods)
        for (const QString& field : BalancePeriodFields())
            p.Columns.insert(field, 0);
    auto bounded = [&](int period) { return std::clamp(period, 0, int(periods.size()) - 1); };
    for (const TBalanceBill& bill : bills) {
        const TBalanceTarget target = BalanceTargetOf(bill.Class, bill.BillType);
        // The quantity by the bill's hints; what they do not hold stays in the bill's own period.
        QMap<int, double> shares;
        double left = bill.Qty;
        if (!bill.Hints.startsWith(QLatin1Char('='))) {
            const THints hints = ParseHints(bill.Hints);
            for (auto it = hints.begin(); it != hints.end() && left > 0; ++it) {
                const double share = std::min(it.value(), left);
                if (share <= 0)
                    continue;
                shares[bounded(it.key())] += share;
                left -= share;
            }
        }
        if (left != 0)
            shares[bounded(bill.Period)] += left;
        for (auto it = shares.begin(); it != shares.end(); ++it)
            if (!target.Field.isEmpty())
                periods[it.key()].Columns[target.Field] += target.Sign * it.value();
        if (bill.ChkQty != 0 && !IsDemandClass(bill.Class, bill.BillType) && bill.Class != bcReplaceIn && bill.Class != bcReplaceOut)
            periods[bounded(bill.Period)].Columns[QStringLiteral("BalChkQty")] += bill.ChkQty;
    }
    double onHand = 0, end = 0;
    for (TBalancePeriod& p : periods) {
        auto c = [&p](const char* field) { return p.Columns.value(QLatin1String(field)); };
        const double existing = c("BalInvQty") + c("BalPOQty") + c("BalOOQty") + c("BalMOQty") + c("BalPRQty") + c("BalORQty") + c("BalMRQty");
        p.Demand = c("BalForQty") + c("BalSOQty") + c("BalFreeQty") + c("BalRelQty") + c("BalOODQty") + c("BalMODQty") + c("BalROutQty");
        p.Supply = existing + c("BalQty") + c("BalXQty") + c("BalRInQty");
        p.Columns[QStringLiteral("BalNetQty")] = p.Demand + c("BalSafeQty") - existing - c("BalRInQty");
        onHand += p.Supply - p.Demand;
        end += p.Supply - p.Demand - c("BalSafeQty");
        p.OnHand = onHand;
        p.Columns[QStringLiteral("BalEndQty")] = end;
    }
    return periods;
}

QList<TBalanceBill> ReadBalanceBills(TConnection& connection, const TBalanceKey& key)
{
    TQuery q(&connection);
    q.SQL = BalanceBillsSQL(key, -1);
    q.Open();
    const int cls = q.FieldIndex(QStringLiteral("BillClass")), type = q.FieldIndex(QStringLiteral("SupBillType"));
    const int period = q.FieldIndex(QStringLiteral("SupPeriod")), hints = q.FieldIndex(QStringLiteral("SupHints"));
    const int qty = q.FieldIndex(QStringLiteral("SupQty")), chk = q.FieldIndex(QStringLiteral("SupChkQty"));
    QList<TBalanceBill> bills;
    bills.reserve(q.RecordCount());
    for (int r = 0; r < q.RecordCount(); ++r)
        bills << TBalanceBill{q.IntAt(r, cls), q.IntAt(r, type), q.IntAt(r, period), q.TextAt(r, hints), q.NumberAt(r, qty),
                              q.NumberAt(r, chk)};
    return bills;
}

QString PeriodCaption(const TPlanPeriods& periods, int index)
{
    if (index < 0 || index >= periods.size())
        return QString();
    const TPlanPeriod& p = periods[index];
    if (p.PeriodKind == ppkDelay)
        return QStringLiteral("前期");
    if (p.PeriodKind == ppkExceed)
        return QStringLiteral("后期");
    const QString begin = p.DateBegin.toString(QStringLiteral("MM/dd"));
    return p.DateBegin == p.DateEnd ? begin : begin + QLatin1Char('-') + p.DateEnd.toString(QStringLiteral("MM/dd"));
}

} // namespace kx
