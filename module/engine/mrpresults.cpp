// After the last level: the supply/demand balance per item key, the kit-complete quantities
// of demands and supplies, the check for made items without BOM, and the save of the run's
// results into the scheme's tables in one transaction.
#include "engine/mrprun_p.h"

#include "db/connection.h"
#include "db/copyrows.h"
#include "db/dataset.h"
#include "db/errors.h"
#include "db/quote.h"
#include "db/shared.h"
#include "engine/objectquery.h"
#include "engine/progress.h"

#include <QHash>
#include <QStringList>

#include <cmath>
#include <iterator>
#include <string_view>

namespace kx {

namespace {

QString Props(const QString& pattern)
{
    QStringList p;
    for (int n = 1; n <= 10; ++n)
        p << pattern.arg(n);
    return p.join(QStringLiteral(", "));
}

// The sum of a column over the rows of some bill types; null without any (the balance takes
// null as zero). A filter, rather than a zero for every other row, spares each row the sums
// of the kinds it is not.
QString SumOf(const QString& column, const QString& typeColumn, const QString& types)
{
    return QStringLiteral("sum(%3) filter (where %1 in (%2))").arg(typeColumn, types, column);
}

// The balance's demand columns and the kinds of demands each sums.
constexpr struct {
    const char* Column;
    int Kinds[2];
} kDemandBalanceColumns[] = {{"ForQty", {btForcast}}, {"SOQty", {btSO, btSI}}, {"FreeQty", {btFreeNeed}},
                             {"NegQty", {btNegStock}}, {"SafeQty", {btSafety}}, {"OODQty", {btOOBom, btOOComponent}},
                             {"MODQty", {btMOBom, btMOScrap}}, {"POODQty", {btPlanOOComp}}, {"PMODQty", {btPlanMOComp}},
                             {"VirDQty", {btVirtualComp}}};

// A sum in hundred-millionths as a decimal.
QByteArray Decimal8(__int128 v)
{
    const bool negative = v < 0;
    unsigned __int128 u = negative ? static_cast<unsigned __int128>(-(v + 1)) + 1 : static_cast<unsigned __int128>(v);
    char text[64];
    int at = sizeof(text);
    for (int digit = 0; digit < 9 || u != 0; ++digit) {
        if (digit == 8)
            text[--at] = '.';
        text[--at] = char('0' + int(u % 10));
        u /= 10;
    }
    if (negative)
        text[--at] = '-';
    return QByteArray(text + at, int(sizeof(text)) - at);
}

} // namespace

int DemandBalanceColumn(int billType)
{
    for (int c = 0; c < int(std::size(kDemandBalanceColumns)); ++c)
        for (int kind : kDemandBalanceColumns[c].Kinds)
            if (kind != 0 && kind == billType)
                return c;
    return -1;
}

bool TMRPRun::AllDemandsAsRead()
{
    if (!FAllDemandsAsRead) {
        TQuery q(&Connection);
        q.SQL = QStringLiteral("select count(*), coalesce(sum(DmdIID), 0) from tmp_KX_MRP_Demands");
        q.Open();
        qint64 count = 0, sum = 0;
        for (size_t iid = 0; iid < DemandResults.size(); ++iid)
            if (DemandResults[iid].AsRead.Read) {
                ++count;
                sum += qint64(iid);
            }
        FAllDemandsAsRead = q.Fields(0).AsLargeInt() == count && q.Fields(1).AsLargeInt() == sum;
    }
    return *FAllDemandsAsRead;
}

void TMRPRun::BuildBalance()
{
    // Substitutes and group crossings taken in come from the demands' level results, of the
    // few demands that took any.
    // The demand side per item key: summed while the levels read the demands, when they are
    // the run's demands as they stand; otherwise summed here.
    QStringList sums;
    for (const auto& c : kDemandBalanceColumns)
        sums << QLatin1String(c.Column);
    QString demandSide;
    if (DemandBalanceExact && AllDemandsAsRead()) {
        TCopyRows rows(Connection, QStringLiteral("tmp_KX_MRP_BalDemands"),
                       QStringLiteral("GT, GN, Itm, Props, %1, %2, Total").arg(Props(QStringLiteral("P%1")), sums.join(QStringLiteral(", "))));
        for (const TDemandBalance& b : DemandBalance) {
            rows.Int(b.GroupType).Text(b.GroupNo).Text(b.ItmID).Text(b.ItmProps);
            for (const std::optional<QByteArray>& p : b.Prop)
                p ? rows.Text(std::string_view(p->constData(), size_t(p->size()))) : rows.Null();
            for (__int128 q : b.Qty) {
                const QByteArray text = Decimal8(q);
                rows.Text(std::string_view(text.constData(), size_t(text.size())));
            }
            rows.EndRow();
        }
        rows.Finish();
        demandSide = QStringLiteral("select * from tmp_KX_MRP_BalDemands");
    } else {
        QStringList columns;
        for (const auto& c : kDemandBalanceColumns) {
            QStringList kinds;
            for (int kind : c.Kinds)
                if (kind != 0)
                    kinds << QString::number(kind);
            columns << SumOf(QStringLiteral("DmdNeedQty"), QStringLiteral("DmdBillType"), kinds.join(QStringLiteral(", "))) +
                           QStringLiteral(" as ") + QLatin1String(c.Column);
        }
        demandSide = QStringLiteral("select DmdGroupType as GT, DmdGroupNo as GN, DmdItmID as Itm, DmdItmProps as Props, %1, %2, "
                                    "sum(DmdNeedQty) as Total from tmp_KX_MRP_Demands group by DmdGroupType, DmdGroupNo, DmdItmID, "
                                    "DmdItmProps")
                         .arg(Props(QStringLiteral("max(DmdItmProp%1) as P%1")), columns.join(QStringLiteral(", ")));
    }
    auto s = [](const char* types) { return SumOf(QStringLiteral("SupQty"), QStringLiteral("SupBillType"), QLatin1String(types)); };
    // The supply side is summed over its rows in item key order: hashed, the sixteen running
    // sums of every key at once would spread over far more memory than the processor's caches
    // hold, and take longer than sorting the rows.
    Exec(QStringLiteral(
             "set enable_hashagg = off;\r"
             "insert into tmp_KX_MRP_Balance (BalGroupType, BalGroupNo, BalItmID, BalItmProps, %1, BalForQty, BalSOQty, BalFreeQty, "
             "BalInvQty, BalPOQty, BalOOQty, BalMOQty, BalGInQty, BalRInQty, BalChkQty, BalPRQty, BalORQty, BalMRQty, BalSafeQty, "
             "BalOODQty, BalMODQty, BalGOutQty, BalROutQty, BalPOODQty, BalPMODQty, BalVirDQty, BalNetQty, BalQty, BalPPOQty, "
             "BalPOOQty, BalPMOQty, BalXQty, BalEndQty) "
             "select coalesce(d.GT, s.GT), coalesce(d.GN, s.GN), coalesce(d.Itm, s.Itm), coalesce(d.Props, s.Props), %2, "
             "coalesce(d.ForQty,0), coalesce(d.SOQty,0), coalesce(d.FreeQty,0), coalesce(s.InvQty,0)-coalesce(d.NegQty,0), "
             "coalesce(s.POQty,0), coalesce(s.OOQty,0), coalesce(s.MOQty,0), coalesce(d.GInQty,0), coalesce(d.RInQty,0), "
             "coalesce(s.ChkQty,0), coalesce(s.PRQty,0), coalesce(s.ORQty,0), coalesce(s.MRQty,0), coalesce(d.SafeQty,0), "
             "coalesce(d.OODQty,0), coalesce(d.MODQty,0), coalesce(s.GOutQty,0), coalesce(s.ROutQty,0), coalesce(d.POODQty,0), "
             "coalesce(d.PMODQty,0), coalesce(d.VirDQty,0), "
             "coalesce(d.Total,0)-coalesce(s.Total,0)+coalesce(s.Qty,0)+coalesce(s.XQty,0)+coalesce(s.GOutQty,0)-coalesce(d.GInQty,0)"
             "+coalesce(s.ROutQty,0)-coalesce(d.RInQty,0), coalesce(s.Qty,0), coalesce(s.PPOQty,0), coalesce(s.POOQty,0), "
             "coalesce(s.PMOQty,0), coalesce(s.XQty,0), coalesce(s.Total,0)-coalesce(d.Total,0)+coalesce(d.GInQty,0)-"
             "coalesce(s.GOutQty,0)+coalesce(d.RInQty,0)-coalesce(s.ROutQty,0) "
             "from (select n.*, x.GInQty, x.RInQty from (%3) as n left join (select dd.DmdGroupType as GT, "
             "dd.DmdGroupNo as GN, dd.DmdItmID as Itm, dd.DmdItmProps as Props, sum(coalesce(u.DmdGrpxQty,0)) as GInQty, "
             "sum(coalesce(u.DmdReplQty,0)) as RInQty from tmp_KX_MRP_DmdUpdates as u join tmp_KX_MRP_Demands as dd on "
             "dd.DmdIID=u.DmdIID where u.DmdGrpxQty<>0 or u.DmdReplQty<>0 group by dd.DmdGroupType, dd.DmdGroupNo, dd.DmdItmID, "
             "dd.DmdItmProps) as x on x.GT=n.GT and x.GN=n.GN and x.Itm=n.Itm and x.Props=n.Props) as d "
             "full join (select SupGroupType as GT, SupGroupNo as GN, SupItmID as Itm, SupItmProps as Props, %4, "
             "%5 as InvQty, %6 as POQty, %7 as OOQty, %8 as MOQty, %9 as PRQty, %10 as ORQty, %11 as MRQty, %12 as Qty, "
             "%13 as PPOQty, %14 as POOQty, %15 as PMOQty, %16 as XQty, sum(SupQty) as Total, sum(coalesce(SupChkQty,0)) as ChkQty, "
             "sum(coalesce(SupAGrpxQty,0)) as GOutQty, sum(coalesce(%17,0)) as ROutQty from tmp_KX_MRP_Supplies as s left join "
             "tmp_KX_MRP_SupUpdates as u on u.SupIID=s.SupIID "
             "where SupQty<>0 group by SupItmID, SupItmProps, SupGroupType, SupGroupNo) as s "
             "on d.GT=s.GT and d.GN=s.GN and d.Itm=s.Itm and d.Props=s.Props "
             "order by 3, 4, 1, 2;\r"
             "reset enable_hashagg")
             .arg(Props(QStringLiteral("BalItmProp%1")), Props(QStringLiteral("coalesce(d.P%1, s.P%1)")), demandSide,
                  Props(QStringLiteral("max(SupItmProp%1) as P%1")), s("16"), s("26, 28"), s("24"), s("22"), s("38"))
             .arg(s("36"), s("34"), s("58, 52, 42"), s("58"), s("52"), s("42"), s("54, 44, 62, 66, 64"),
                  NettedSupply(QStringLiteral("SupAReplQty"))));
}

void TMRPRun::KitQuantities()
{
    const TPlanPeriods& periods = Scheme.MpsPeriods;
    // Open orders whose component lines are in the run but which are not among the supplies
    // come back as supplies, so that their components have a parent for kit quantities.
    // Usually every such line has its order among the supplies: then there is nothing to seek.
    QList<int> orphanTypes;
    if (AllDemandsAsRead()) {
        for (const TDemandResult& r : DemandResults)
            if (r.AsRead.Read && r.AsRead.PSupIID == 0 && (r.AsRead.BillType == btMOBom || r.AsRead.BillType == btOOBom) &&
                !orphanTypes.contains(r.AsRead.BillType))
                orphanTypes << r.AsRead.BillType;
    } else {
        TQuery orphans(&Connection);
        orphans.SQL = QStringLiteral("select distinct DmdBillType from tmp_KX_MRP_Demands where DmdBillType in (%1, %2) and "
                                     "DmdPSupIID is null")
                          .arg(SQLInt(btMOBom), SQLInt(btOOBom));
        orphans.Open();
        for (int r = 0; r < orphans.RecordCount(); ++r)
            orphanTypes << orphans.IntAt(r, 0);
    }
    for (int type : {int(btMO), int(btOO)}) {
        const bool mo = type == btMO;
        if (!orphanTypes.contains(mo ? btMOBom : btOOBom))
            continue;
        const QString p = mo ? QStringLiteral("MO") : QStringLiteral("OO");
        const TInfoObjectDef* def = Env() && Env()->GetObjectDef ? Env()->GetObjectDef(QStringLiteral("KX_MRP.") + p) : nullptr;
        if (!def)
            throw EKxError(QStringLiteral("访问信息对象\"%1\"受到限制!").arg(QStringLiteral("KX_MRP.") + p));
        const QString qty = mo ? QStringLiteral("(case when s.MOQty>0 then s.MOQty else 0 end)")
                               : QStringLiteral("(case when s.OOQty>s.OOChkQty then s.OOQty else s.OOChkQty end)");
        const QString sql = ComposeObjectStatement(
            def,
            QStringLiteral("insert into tmp_KX_MRP_Supplies (SupPeriod, SupBillType, SupBillID, SupBillNo, SupBillEntry, SupBillDate, "
                           "SupBillQty, SupSuppID, SupDeptID, SupOrigType, SupOrigID, SupOrigNo, SupOrigEntry, SupOrigItmID, SupOrigCustID, "
                           "SupOrigCustPO, SupOrigTag, SupOrigSubTag, SupGroupType, SupGroupNo, SupItmID, SupItmProps, %1, SupDate, "
                           "SupPriority, SupPDmdIID, SupAdjQty, SupQty, SupChkQty, SupAllotQty, SupRestQty, SupBomLocked, SupBomType, "
                           "SupBomID, SupDrawDate, SupNote) select $$Fields$$ $$MainJoin$$ join (select distinct b.%2ID as OID, b.%2Entry as OEntry "
                           "from tmp_KX_MRP_Demands as d join KX_MRP_%2BOM as b on d.DmdBillType=%3 and d.DmdBillID=b.BomID and "
                           "d.DmdBillEntry=b.BomEntry where d.DmdPSupIID is null) as o on o.OID=s.%2ID and o.OEntry=s.%2Entry "
                           "left join tmp_KX_MRP_Supplies as tmpsup on tmpsup.SupBillType=%4 and tmpsup.SupBillID=s.%2ID and "
                           "tmpsup.SupBillEntry=s.%2Entry")
                .arg(Props(QStringLiteral("SupItmProp%1")), p, SQLInt(mo ? btMOBom : btOOBom), SQLInt(type)),
            QStringLiteral("%1, %2, s.%3ID, s.%3No, s.%3Entry, s.%3Date, s.%3BillQty, %4, s.%3DeptID, coalesce(s.%3OrigType, 0), "
                           "s.%3OrigID, s.%3OrigNo, coalesce(s.%3OrigEntry, 0), s.%3OrigItmID, s.%3OrigCustID, s.%3OrigCustPO, "
                           "s.%3OrigTag, s.%3OrigSubTag, coalesce(s.%3GroupType, 0), coalesce(s.%3GroupNo, ''), s.%3ItmID, "
                           "coalesce($$ItmProps$$, ''), %5, s.%3DelivDate, 0, -2, 0, %6, %7, 0, %6, 1, coalesce(s.%3BomType, 0), "
                           "s.%3BomID, s.%3DrawDate, left(s.%3Note, 500)")
                .arg(PeriodCaseExpr(periods, QStringLiteral("s.%1DelivDate").arg(p)), SQLInt(type), p,
                     mo ? QStringLiteral("null") : QStringLiteral("s.OOSuppID"), Props(QStringLiteral("$$ItmProp%1$$")), qty,
                     mo ? QStringLiteral("s.MOChkQty") : QStringLiteral("s.OOChkQty")),
            QStringLiteral("tmpsup.SupIID is null"), QStringLiteral("s.%1ID, s.%1Entry").arg(p));
        if (sql.isEmpty())
            throw EKxError(QStringLiteral("信息对象\"%1\"的查询语句无法生成!").arg(def->ID));
        Exec(sql);
        Exec(QStringLiteral("update tmp_KX_MRP_Demands as t set DmdPSupIID=s.SupIID from KX_MRP_%1BOM as b, tmp_KX_MRP_Supplies as s "
                            "where t.DmdBillType=%2 and t.DmdBillID=b.BomID and t.DmdBillEntry=b.BomEntry and s.SupBillType=%3 and "
                            "b.%1ID=s.SupBillID and b.%1Entry=s.SupBillEntry and t.DmdPSupIID is null")
                 .arg(p, SQLInt(mo ? btMOBom : btOOBom), SQLInt(type)));
    }

    TKitCalculation(*this).Run(orphanTypes.isEmpty());
}

void TMRPRun::WriteDemandResults()
{
    // Most demands of a big plan get nothing allotted and keep their date: they need no row
    // here (the save takes them as they came in). A demand no level read is listed as unread,
    // so that the save keeps its row untouched.
    TQuery last(&Connection);
    last.SQL = QStringLiteral("select coalesce(max(DmdIID), 0) from tmp_KX_MRP_Demands");
    last.Open();
    const qint64 lastIID = last.IntAt(0, 0);
    const QStringList results = QStringLiteral("DmdPeriod, DmdDate, DmdInvQty, DmdMOQty, DmdOOQty, DmdPOQty, DmdMRQty, DmdORQty, "
                                               "DmdPRQty, DmdChkQty, DmdPChkQty, DmdGrpxQty, DmdReplQty, DmdPPPQty1, DmdPPPQty2, "
                                               "DmdPDmdIID1, DmdPDmdIID2, DmdQty, DmdHints")
                                    .split(QStringLiteral(", "));
    TCopyRows rows(Connection, QStringLiteral("tmp_KX_MRP_DmdUpdates"),
                   QStringLiteral("DmdIID, DmdUnread, ") + results.join(QStringLiteral(", ")));
    for (qint64 iid = 1; iid <= lastIID; ++iid) {
        const TDemandResult& r = ResultIfRead(iid);
        if (r.AsItCame)
            continue;
        if (!r.Set) {
            rows.Int(iid).Int(1);
            for (qsizetype c = 0; c < results.size(); ++c)
                rows.Null();
            rows.EndRow();
            continue;
        }
        rows.Int(iid).Int(0).Int(r.Period).Date(r.Date).Qty(r.Inv).Qty(r.MO).Qty(r.OO).Qty(r.PO).Qty(r.MR).Qty(r.OR).Qty(r.PR)
            .Qty(r.Chk).Qty(r.PChk).Qty(r.Grpx).Qty(r.Repl).Qty(r.PPP1).Qty(r.PPP2).Int(r.PDmdIID1).Text(r.PDmdIID2).Qty(r.Qty)
            .Text(r.Hints).EndRow();
    }
    rows.Finish();
    Exec(QStringLiteral("analyze tmp_KX_MRP_DmdUpdates"));
}

void TMRPRun::CheckResults()
{
    QStringList props;
    for (int n = 1; n <= 10; ++n)
        props << QStringLiteral("(case when i.ItmHasProp%1=1 then ' / '||coalesce(s.SupItmProp%1,'') else '' end)").arg(n);
    TQuery q(&Connection);
    q.SQL = QStringLiteral("select distinct i.ItmNo, i.ItmName, (case when i.ItmSpec<>'' then ' / '||i.ItmSpec else '' end), %1 "
                           "from tmp_KX_MRP_Supplies as s join KX_Base_ItemMaster as i on s.SupItmID=i.ItmID "
                           "where s.SupBillType in (%2, %3, %4, %5, %6, %7, %8, %9, %10) and (s.SupBomID is null or s.SupBomID='') order by 1")
                .arg(props.join(QStringLiteral("||")))
                .arg(btMR).arg(btPlanMO).arg(btPlanMOSkip).arg(btOR).arg(btPlanOO).arg(btPlanOOSkip).arg(btPlanOther).arg(btPlanMOVirtual)
                .arg(btPlanOOVirtual);
    q.Open();
    for (int r = 0; r < q.RecordCount(); ++r)
        Log(rlWarning, 1, QStringLiteral("发现缺少BOM的物料: %1 (%2%3)%4").arg(q.TextAt(r, 0), q.TextAt(r, 1), q.TextAt(r, 2), q.TextAt(r, 3)));
}

} // namespace kx
