// BOM explosion of one level: the level's planned supplies, requisitions and used orders
// turn into gross demands of their components (planned on their own, lower levels), and
// the open component lines of the used orders come in as demands.
#include "engine/mrprun_p.h"

#include "db/quote.h"
#include "engine/progress.h"
#include "masterdata/lossrate.h"

#include <QStringList>

namespace kx {

namespace {

// The component's tracking group by its grouping setting: from the originating sales or
// export order, the parent's tags, the customer, or the parent's own group.
struct TGroupExpressions { QString Type, Number; };
TGroupExpressions GroupExpressions()
{
    const QString order = QStringLiteral("(s.SupOrigType in (%1, %2) and (coalesce(s.SupOrigID,'')<>'' or coalesce(s.SupOrigNo,'')<>''))")
                              .arg(btSO).arg(btSI);
    const QString line = QStringLiteral("coalesce(s.SupOrigNo,'')||(case when coalesce(s.SupOrigEntry,0)<>0 then '/'||s.SupOrigEntry else '' end)");
    const QString tagged = QStringLiteral("(coalesce(s.SupOrigTag,'')<>'' or coalesce(s.SupOrigSubTag,'')<>'')");
    const QString type = QStringLiteral(
        "(case coalesce(ct.ItmMrpGroup, 0) "
        "when 1 then (case when %1 then (case when coalesce(s.SupOrigEntry,0)<>0 then (case s.SupOrigType when %3 then 1 else 3 end) "
        "else (case s.SupOrigType when %3 then 2 else 4 end) end) else 0 end) "
        "when 2 then (case when %1 then (case s.SupOrigType when %3 then 2 else 4 end) else 0 end) "
        "when 3 then (case when %2 then 9 else 0 end) "
        "when 4 then (case when %1 then 9 else 0 end) "
        "when 5 then (case when %1 then 9 else 0 end) "
        "when 6 then (case when coalesce(oc.CustName,'')<>'' then 9 else 0 end) "
        "when 9 then s.SupGroupType else 0 end)")
                             .arg(order, tagged).arg(btSO);
    const QString number = QStringLiteral(
        "(case coalesce(ct.ItmMrpGroup, 0) "
        "when 1 then (case when %1 then %2 else '' end) "
        "when 2 then (case when %1 then coalesce(s.SupOrigNo,'') else '' end) "
        "when 3 then (case when coalesce(s.SupOrigSubTag,'')<>'' then s.SupOrigSubTag else coalesce(s.SupOrigTag,'') end) "
        "when 4 then (case when %1 then %2 else '' end) "
        "when 5 then (case when %1 then coalesce(s.SupOrigNo,'') else '' end) "
        "when 6 then coalesce(oc.CustName,'') "
        "when 9 then s.SupGroupNo else '' end)")
                               .arg(order, line);
    return {type, number};
}

// The condition that a supply ("alias") was used: its level's netting allotted some of it
// (before or by the netting, which only adds), or the planner fixed it.
QString UsedSupply(const QString& alias)
{
    return QStringLiteral("(%1.SupAllotQty>0 or %1.SupPDmdIID=-1 or exists (select 1 from tmp_KX_MRP_SupUpdates as u where "
                          "u.SupIID=%1.SupIID and u.SupAllotQty>0))")
        .arg(alias);
}

QString OnLevel(int level)
{
    return QStringLiteral("join tmp_KX_MRP_ItemLowestCode as l on l.ItmID=s.SupItmID and l.LowestCode=%1").arg(level);
}

// The kinds of supplies whose components are planned.
QString MadeKinds()
{
    return QStringLiteral("%1, %2, %3, %4, %5, %6, %7, %8, %9")
        .arg(btMR).arg(btPlanMO).arg(btPlanMOSkip).arg(btPlanMOVirtual).arg(btOR).arg(btPlanOO)
        .arg(btPlanOOSkip).arg(btPlanOOVirtual).arg(btPlanOther);
}

} // namespace

// The level's made supplies whose components are planned, set aside for the explosion, and the
// BOMs they name read: those used (at least one demand took some, or the planner fixed them)
// or, when every level was gathered at the start, all that remain; with a single-level scope,
// only those of the main items. The supplies keep the statistics taken once they were
// gathered: a level adds its planned supplies and drops the unused ones, which the planner
// sees in the table's size, and what reads them later either takes a level's rows through
// the item table or reads them all. Of the set-aside supplies and the BOM lines, statistics
// are taken of the columns the explosion joins and filters on: with the row count, that is
// what its plan rests on, and the other columns would only cost time.
QString TMRPRun::ExplosionBOMs(int level) const
{
    QString scope;
    if (SingleLevelScope())
        scope = QStringLiteral(" and (s.SupBillType not in (%1, %2, %3, %4) or exists (select 1 from tmp_KX_MRP_MainItems as m where "
                               "m.ManItmID=s.SupItmID and m.ManItmProps=s.SupItmProps and m.ManGroupType=s.SupGroupType and "
                               "m.ManGroupNo=s.SupGroupNo))")
                    .arg(btMR).arg(btPlanMO).arg(btOR).arg(btPlanOO);
    const QString used = GlobalScope() ? QStringLiteral(" and s.SupQty>0") : QStringLiteral(" and ") + UsedSupply(QStringLiteral("s"));
    // A shortage analysis plans an order it looks at from the order's BOM when the order's own
    // open material lines are kept out of the run.
    QString kinds = QStringLiteral("s.SupBillType in (%1)").arg(MadeKinds());
    if (Scheme.PlanType == 2)
        kinds = QStringLiteral("(%1 or s.SupBillType in (%2, %3) and s.SupPDmdIID=-1 and not exists (select 1 from tmp_KX_MRP_Demands "
                               "as c where c.DmdPSupIID=s.SupIID and c.DmdBillType in (%4, %5)))")
                    .arg(kinds).arg(btMO).arg(btOO).arg(btMOBom).arg(btOOBom);
    return QStringLiteral("truncate table tmp_KX_MRP_LevelMade;\r"
                          "insert into tmp_KX_MRP_LevelMade select s.SupIID, s.SupItmID, s.SupBillType, s.SupBillNo, s.SupBillEntry, "
                          "s.SupDrawDate, s.SupSuppID, s.SupDeptID, s.SupOrigType, s.SupOrigID, s.SupOrigNo, s.SupOrigEntry, s.SupOrigItmID, "
                          "s.SupOrigCustID, s.SupOrigCustPO, s.SupOrigTag, s.SupOrigSubTag, s.SupGroupType, s.SupGroupNo, s.SupPriority, "
                          "s.SupQty, s.SupBomType, s.SupBomID from tmp_KX_MRP_Supplies as s %1 where %2 and "
                          "coalesce(s.SupBomID,'')<>''%3%4;\r"
                          "analyze tmp_KX_MRP_LevelMade (SupBomType, SupBomID, SupDrawDate, SupOrigCustID);\r"
                          "truncate table tmp_KX_MRP_RefGetBOM;\rtruncate table tmp_KX_MRP_BOM;\r"
                          "insert into tmp_KX_MRP_RefGetBOM (PrdID, BomType, BomID) select distinct SupItmID, SupBomType, SupBomID "
                          "from tmp_KX_MRP_LevelMade;\r"
                          "call KX_MRP_GetBOM();\r"
                          "analyze tmp_KX_MRP_BOM (BomType, BomID, BomRole, BomItmID, BomProps, BomItmBomID, BomBeginDate, BomEndDate)")
        .arg(OnLevel(level), kinds, scope, used);
}

void TMRPRun::Explode(int level)
{
    // The parent quantity a component line asks for: a fixed line once per parent, otherwise
    // the parent's quantity, with loss rates grossed up over the parent's yield; as a
    // numerator and a denominator.
    const QString parent = QStringLiteral("(case b.BomFixed when 1 then 1 else s.SupQty end)");
    QString numerator = parent, denominator = QStringLiteral("1");
    if (Scheme.CareItemLossRate) {
        // The parent's quantity over its yield in percent; a fixed line once, whatever the yield.
        const QString overYield = QStringLiteral("(case b.BomFixed when 1 then 1 else s.SupQty*100 end)");
        const QString yield = QStringLiteral("(case b.BomFixed when 1 then 1 else coalesce(nullif(b.BomPrdOkRate,0),100) end)");
        numerator = GetLossRateType() ? QStringLiteral("%1*100").arg(overYield)
                                      : QStringLiteral("%1*(100+coalesce(b.BomLossRate,0))").arg(overYield);
        denominator = GetLossRateType() ? QStringLiteral("%1*nullif(100-coalesce(b.BomLossRate,0),0)").arg(yield)
                                        : QStringLiteral("%1*100").arg(yield);
    }
    // The need is the parent quantity times the usage per base quantity and the line's
    // percentage, divided once: a quotient rounded in its last digit and multiplied back may
    // come out a hair above a whole number, and a component planned in whole units would then
    // be asked for one unit more.
    QString raw = QStringLiteral("(%1*b.BomQty*coalesce(b.BomPercent,100)/(%2*nullif(b.BomBaseQty,0)*100))")
                      .arg(numerator, denominator);
    if (Scheme.CareItemLossRate) {
        // A loss text of segments (fixed quantities, several percentages by usage) is worked out
        // on the standard usage of the whole issue, the parent's quantity over its yield times
        // the line's usage; a single percentage is the line's rate, as above.
        const QString usage = QStringLiteral("((case b.BomFixed when 1 then 1 else s.SupQty*100/coalesce(nullif(b.BomPrdOkRate,0),100) end)"
                                             "*b.BomQty*coalesce(b.BomPercent,100)/(nullif(b.BomBaseQty,0)*100))");
        raw = QStringLiteral("(case when b.BomPutLossRate is null or (b.BomPutLossRate like '%\\%' and strpos(b.BomPutLossRate, '|')=0 "
                             "and strpos(b.BomPutLossRate, ':')=0) then %1 else %2+KX_MRP_CalcLossQty(b.BomPutLossRate, 0, %2) end)")
                  .arg(raw, usage);
    }
    const QString need = QStringLiteral("coalesce((case when coalesce(ct.ItmPutInteger,0)=1 then ceil(%1) else round(%1, ci.ItmDecimal) end), 0)")
                             .arg(raw);
    // A component line that names the component's BOM binds the component to it; without one
    // a made component gets its default BOM, unbound.
    const TDemandBom bom = DemandBom(QStringLiteral("b.BomItmID"), QStringLiteral("b.BomProps"), QStringLiteral("s.SupDrawDate"),
                                     QStringLiteral("coalesce(b.BomItmBomType, 0)"), QStringLiteral("b.BomItmBomID"));
    const TGroupExpressions group = GroupExpressions();
    // Each demand column and what it takes; the needed quantity, asked for three times, is
    // worked out once per row.
    QList<QPair<QString, QString>> columns{
        {QStringLiteral("DmdPeriod"), PeriodCaseExpr(Scheme.MpsPeriods, QStringLiteral("s.SupDrawDate"))},
        {QStringLiteral("DmdBillType"), QStringLiteral("(case when s.SupBillType in (%1, %2, %3, %4, %5) then %6 when s.SupBillType in "
                                                       "(%7, %8, %9, %10, %11) then %12 else %13 end)")
                                            .arg(btMR).arg(btPlanMO).arg(btPlanMOSkip).arg(btPlanMOVirtual).arg(btMO).arg(btPlanMOComp)
                                            .arg(btOR).arg(btPlanOO).arg(btPlanOOSkip).arg(btPlanOOVirtual).arg(btOO).arg(btPlanOOComp)
                                            .arg(btVirtualComp)},
        {QStringLiteral("DmdBillID"), QStringLiteral("b.BomID")},
        {QStringLiteral("DmdBillNo"), QStringLiteral("(case when coalesce(s.SupBillNo,'')<>'' then s.SupBillNo||(case when "
                                                     "coalesce(s.SupBillEntry,0)<>0 then '/'||s.SupBillEntry else '' end) else b.BomNo end)")},
        {QStringLiteral("DmdBillEntry"), QStringLiteral("b.BomEntry")},
        {QStringLiteral("DmdBillDate"), QStringLiteral("s.SupDrawDate")},
        {QStringLiteral("DmdBillQty"), QString()},
        {QStringLiteral("DmdSuppID"), QStringLiteral("s.SupSuppID")},
        {QStringLiteral("DmdDeptID"), QStringLiteral("s.SupDeptID")},
        {QStringLiteral("DmdOrigType"), QStringLiteral("s.SupOrigType")},
        {QStringLiteral("DmdOrigID"), QStringLiteral("s.SupOrigID")},
        {QStringLiteral("DmdOrigNo"), QStringLiteral("s.SupOrigNo")},
        {QStringLiteral("DmdOrigEntry"), QStringLiteral("s.SupOrigEntry")},
        {QStringLiteral("DmdOrigItmID"), QStringLiteral("s.SupOrigItmID")},
        {QStringLiteral("DmdOrigCustID"), QStringLiteral("s.SupOrigCustID")},
        {QStringLiteral("DmdOrigCustPO"), QStringLiteral("s.SupOrigCustPO")},
        {QStringLiteral("DmdOrigTag"), QStringLiteral("(case when coalesce(s.SupOrigSubTag,'')<>'' then s.SupOrigSubTag else s.SupOrigTag end)")},
        {QStringLiteral("DmdOrigSubTag"), QStringLiteral("null")},
        {QStringLiteral("DmdGroupType"), group.Type},
        {QStringLiteral("DmdGroupNo"), group.Number},
        {QStringLiteral("DmdItmID"), QStringLiteral("b.BomItmID")},
        {QStringLiteral("DmdItmProps"), QStringLiteral("b.BomProps")},
    };
    for (int n = 1; n <= 10; ++n)
        columns.append({QStringLiteral("DmdItmProp%1").arg(n), QStringLiteral("b.BomProp%1").arg(n)});
    columns += QList<QPair<QString, QString>>{
        {QStringLiteral("DmdDate"), QStringLiteral("s.SupDrawDate")},
        {QStringLiteral("DmdDayOffset"), QStringLiteral("b.BomOffsetDay")},
        {QStringLiteral("DmdPriority"), QStringLiteral("s.SupPriority")},
        {QStringLiteral("DmdPSupIID"), QStringLiteral("s.SupIID")},
        {QStringLiteral("DmdUnitQty"), QStringLiteral("round(b.BomQty/nullif(b.BomBaseQty,0)*coalesce(b.BomPercent,100)/100, 10)")},
        {QStringLiteral("DmdNeedQty"), QString()},
        {QStringLiteral("DmdQty"), QString()},
        {QStringLiteral("DmdBomHook"), QStringLiteral("b.BomRowHook")},
        {QStringLiteral("DmdBomType"), bom.Type},
        {QStringLiteral("DmdBomID"), bom.ID},
        {QStringLiteral("DmdBomLocked"), QStringLiteral("coalesce(b.BomItmBomLocked, (case when coalesce(b.BomItmBomID,'')<>'' then 1 else 0 end))")},
        {QStringLiteral("DmdBomSkip"), QStringLiteral("coalesce(b.BomItmBomSkip, 0)")},
        {QStringLiteral("DmdNote"), QStringLiteral("b.BomNote")},
    };
    QStringList names, inner, outer;
    for (const auto& [name, expression] : columns) {
        names << name;
        if (expression.isEmpty()) {
            outer << QStringLiteral("x.Need");
        } else {
            inner << expression + QStringLiteral(" as ") + name;
            outer << QStringLiteral("x.") + name;
        }
    }
    inner << need + QStringLiteral(" as Need");
    // The level's made supplies sit in a table of their own, analysed, so that the planner
    // knows how many BOM lines they join: it then hashes the narrow item tables rather than the
    // wide joined rows. It would otherwise look up each component's settings one row at a time;
    // every row of the level goes through, and hashing the item tables once is the cheaper way.
    // The inner select is ordered, which keeps it apart: its columns are worked out once.
    Exec(QStringLiteral(
             "set enable_nestloop = off;\r"
             "insert into tmp_KX_MRP_Demands (%1) select %2 from (select %3 "
             "from tmp_KX_MRP_LevelMade as s join tmp_KX_MRP_BOM as b on b.BomType=s.SupBomType and b.BomID=s.SupBomID and b.BomRole=0 "
             "join KX_Base_ItemMaster as ci on ci.ItmID=b.BomItmID left join KX_MRP_ItemSetting as ct on ct.ItmID=b.BomItmID "
             "left join KX_Base_Customer as oc on oc.CustID=s.SupOrigCustID %4 "
             "where (ct.ItmMrpSkip is null or ct.ItmMrpSkip=0) and KX_MRP_ValidAt(b.BomBeginDate, b.BomEndDate, s.SupDrawDate) "
             "order by s.SupIID, b.BomEntry) as x;\r"
             "reset enable_nestloop")
             .arg(names.join(QStringLiteral(", ")), outer.join(QStringLiteral(", ")), inner.join(QStringLiteral(", ")), bom.Join));
    // The not yet issued component lines of the orders used on this level. When every level
    // was gathered at the start, the lines of every order among the supplies came in with it,
    // and those of items left out of the plan stay out.
    if (!GlobalScope()) {
        QString orders = QStringLiteral(" and %1 and tmpsup.SupItmID in (select ItmID from tmp_KX_MRP_ItemLowestCode where "
                                        "LowestCode=%2)")
                             .arg(UsedSupply(QStringLiteral("tmpsup"))).arg(level);
        if (SingleLevelScope())
            orders += QStringLiteral(" and exists (select 1 from tmp_KX_MRP_MainItems as m where m.ManItmID=tmpsup.SupItmID and "
                                     "m.ManItmProps=tmpsup.SupItmProps and m.ManGroupType=tmpsup.SupGroupType and "
                                     "m.ManGroupNo=tmpsup.SupGroupNo)");
        OrderComponents(orders, QString());
        Exec(QStringLiteral("analyze tmp_KX_MRP_Demands"));
    }
    // Gathered all at once, the demands change only by the components each level adds: the
    // planner sees that in the table's size, and the statistics taken after gathering stand.
}

QString TMRPRun::UnusedSuppliesDelete(int level, const std::vector<int>& unusedRead) const
{
    // Supplies nobody used and no demand of this level asked for are left out of the results.
    // Of those the netting read, it tells which it left unused; the others are as they came.
    QStringList unused;
    for (int iid : unusedRead)
        unused << QString::number(iid);
    return QStringLiteral("delete from tmp_KX_MRP_Supplies as s using tmp_KX_MRP_ItemLowestCode as l where s.SupItmID=l.ItmID and "
                          "l.LowestCode=%1 and (case when %2 then %3 else (s.SupAllotQty is null or s.SupAllotQty=0) end) and "
                          "(s.SupPDmdIID is null or s.SupPDmdIID<>-1) and not %4")
        .arg(SQLInt(level), LevelReadsSupply(),
             unused.isEmpty() ? QStringLiteral("false") : QStringLiteral("s.SupIID in (%1)").arg(unused.join(QStringLiteral(", "))),
             LevelDemand(QStringLiteral("s.SupItmID"), QStringLiteral("s.SupItmProps"), QStringLiteral("s.SupGroupType"),
                         QStringLiteral("s.SupGroupNo")));
}

} // namespace kx
