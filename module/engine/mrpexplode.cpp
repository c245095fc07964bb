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
QString GroupExpressions()
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
    return type + QStringLiteral(", ") + number;
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

QString TMRPRun::ExplosionBOMs(int level) const
{
    return QStringLiteral("truncate table tmp_KX_MRP_RefGetBOM;\rtruncate table tmp_KX_MRP_BOM;\r"
                          "insert into tmp_KX_MRP_RefGetBOM (PrdID, BomType, BomID) select distinct s.SupItmID, s.SupBomType, s.SupBomID "
                          "from tmp_KX_MRP_Supplies as s %1 where s.SupBillType in (%2) and coalesce(s.SupBomID,'')<>'';\r"
                          "call KX_MRP_GetBOM();\r"
                          "analyze tmp_KX_MRP_BOM;\ranalyze tmp_KX_MRP_Supplies")
        .arg(OnLevel(level), MadeKinds());
}

void TMRPRun::Explode(int level)
{
    const QString onLevel = OnLevel(level);
    const QString made = MadeKinds();

    // The parent quantity a component line asks for: a fixed line once per parent, otherwise
    // the parent's quantity, with loss rates grossed up over the parent's yield.
    QString q = QStringLiteral("(case b.BomFixed when 1 then 1 else s.SupQty end)");
    if (Scheme.CareItemLossRate) {
        const QString base = QStringLiteral("(case b.BomFixed when 1 then 1 else s.SupQty*100/coalesce(nullif(b.BomPrdOkRate,0),100) end)");
        q = GetLossRateType() ? QStringLiteral("%1*100/nullif(100-coalesce(b.BomLossRate,0),0)").arg(base)
                              : QStringLiteral("%1*(100+coalesce(b.BomLossRate,0))/100").arg(base);
    }
    const QString raw = QStringLiteral("(%1*b.BomQty/nullif(b.BomBaseQty,0)*coalesce(b.BomPercent,100)/100)").arg(q);
    const QString need = QStringLiteral("coalesce((case when coalesce(ct.ItmPutInteger,0)=1 then ceil(%1) else round(%1, ci.ItmDecimal) end), 0)")
                             .arg(raw);
    QString scope;
    if (SingleLevelScope())
        scope = QStringLiteral(" and (s.SupBillType not in (%1, %2, %3, %4) or exists (select 1 from tmp_KX_MRP_MainItems as m where "
                               "m.ManItmID=s.SupItmID and m.ManItmProps=s.SupItmProps and m.ManGroupType=s.SupGroupType and "
                               "m.ManGroupNo=s.SupGroupNo))")
                    .arg(btMR).arg(btPlanMO).arg(btOR).arg(btPlanOO);
    const QString used = GlobalScope() ? QStringLiteral(" and s.SupQty>0") : QStringLiteral(" and (s.SupAllotQty>0 or s.SupPDmdIID=-1)");
    // A component line that names the component's BOM binds the component to it; without one
    // a made component gets its default BOM, unbound.
    const TDemandBom bom = DemandBom(QStringLiteral("b.BomItmID"), QStringLiteral("b.BomProps"), QStringLiteral("s.SupDrawDate"),
                                     QStringLiteral("coalesce(b.BomItmBomType, 0)"), QStringLiteral("b.BomItmBomID"));
    QStringList props, bomProps;
    for (int n = 1; n <= 10; ++n) {
        props << QStringLiteral("DmdItmProp%1").arg(n);
        bomProps << QStringLiteral("b.BomProp%1").arg(n);
    }
    // The planner expects about a tenth of the rows the join of the level's supplies with their
    // BOM lines gives (the supplies' BOM column is sampled over every level), and would look up
    // each component's settings one row at a time; every row of the level goes through, and
    // hashing the item tables once is the cheaper way.
    Exec(QStringLiteral(
             "set enable_nestloop = off;\r"
             "insert into tmp_KX_MRP_Demands (DmdPeriod, DmdBillType, DmdBillID, DmdBillNo, DmdBillEntry, DmdBillDate, DmdBillQty, "
             "DmdSuppID, DmdDeptID, DmdOrigType, DmdOrigID, DmdOrigNo, DmdOrigEntry, DmdOrigItmID, DmdOrigCustID, DmdOrigCustPO, "
             "DmdOrigTag, DmdOrigSubTag, DmdGroupType, DmdGroupNo, DmdItmID, DmdItmProps, %1, DmdDate, DmdDayOffset, DmdPriority, "
             "DmdPSupIID, DmdUnitQty, DmdNeedQty, DmdQty, DmdBomHook, DmdBomType, DmdBomID, DmdBomLocked, DmdBomSkip, DmdNote) "
             "select %2, (case when s.SupBillType in (%3, %4, %5, %6) then %7 when s.SupBillType in (%8, %9, %10, %11) then %12 else %13 end), "
             "b.BomID, (case when coalesce(s.SupBillNo,'')<>'' then s.SupBillNo||(case when coalesce(s.SupBillEntry,0)<>0 then "
             "'/'||s.SupBillEntry else '' end) else b.BomNo end), b.BomEntry, s.SupDrawDate, %14, s.SupSuppID, s.SupDeptID, "
             "s.SupOrigType, s.SupOrigID, s.SupOrigNo, s.SupOrigEntry, s.SupOrigItmID, s.SupOrigCustID, s.SupOrigCustPO, "
             "(case when coalesce(s.SupOrigSubTag,'')<>'' then s.SupOrigSubTag else s.SupOrigTag end), null, %15, b.BomItmID, "
             "b.BomProps, %16, s.SupDrawDate, b.BomOffsetDay, s.SupPriority, s.SupIID, "
             "round(b.BomQty/nullif(b.BomBaseQty,0)*coalesce(b.BomPercent,100)/100, 10), %14, %14, b.BomRowHook, "
             "%21, %22, coalesce(b.BomItmBomLocked, (case when coalesce(b.BomItmBomID,'')<>'' then 1 else 0 end)), "
             "coalesce(b.BomItmBomSkip, 0), b.BomNote "
             "from tmp_KX_MRP_Supplies as s %17 join tmp_KX_MRP_BOM as b on b.BomType=s.SupBomType and b.BomID=s.SupBomID and b.BomRole=0 "
             "join KX_Base_ItemMaster as ci on ci.ItmID=b.BomItmID left join KX_MRP_ItemSetting as ct on ct.ItmID=b.BomItmID "
             "left join KX_Base_Customer as oc on oc.CustID=s.SupOrigCustID "
             "%23 "
             "where s.SupBillType in (%18) and (ct.ItmMrpSkip is null or ct.ItmMrpSkip=0) and KX_MRP_ValidAt(b.BomBeginDate, b.BomEndDate, s.SupDrawDate)%19%20 "
             "order by s.SupIID, b.BomEntry;\r"
             "reset enable_nestloop")
             .arg(props.join(QStringLiteral(", ")), PeriodCaseExpr(Scheme.MpsPeriods, QStringLiteral("s.SupDrawDate")))
             .arg(btMR).arg(btPlanMO).arg(btPlanMOSkip).arg(btPlanMOVirtual).arg(btPlanMOComp)
             .arg(btOR).arg(btPlanOO).arg(btPlanOOSkip).arg(btPlanOOVirtual).arg(btPlanOOComp).arg(btVirtualComp)
             .arg(need, GroupExpressions(), bomProps.join(QStringLiteral(", ")), onLevel, made, scope, used)
             .arg(bom.Type, bom.ID, bom.Join));
    // The not yet issued component lines of the orders used on this level. When every level
    // was gathered at the start, the lines of every order among the supplies came in with it,
    // and those of items left out of the plan stay out.
    if (!GlobalScope()) {
        QString orders = QStringLiteral(" and (tmpsup.SupAllotQty>0 or tmpsup.SupPDmdIID=-1) and tmpsup.SupItmID in "
                                        "(select ItmID from tmp_KX_MRP_ItemLowestCode where LowestCode=%1)")
                             .arg(level);
        if (SingleLevelScope())
            orders += QStringLiteral(" and exists (select 1 from tmp_KX_MRP_MainItems as m where m.ManItmID=tmpsup.SupItmID and "
                                     "m.ManItmProps=tmpsup.SupItmProps and m.ManGroupType=tmpsup.SupGroupType and "
                                     "m.ManGroupNo=tmpsup.SupGroupNo)");
        OrderComponents(orders, QString());
    }
    Exec(QStringLiteral("analyze tmp_KX_MRP_Demands"));
}

QString TMRPRun::UnusedSuppliesDelete(int level) const
{
    // Supplies nobody used and no demand of this level asked for are left out of the results.
    return QStringLiteral("delete from tmp_KX_MRP_Supplies as s using tmp_KX_MRP_ItemLowestCode as l where s.SupItmID=l.ItmID and "
                          "l.LowestCode=%1 and (s.SupAllotQty is null or s.SupAllotQty=0) and (s.SupPDmdIID is null or s.SupPDmdIID<>-1) "
                          "and not %2")
        .arg(SQLInt(level), LevelDemand(QStringLiteral("s.SupItmID"), QStringLiteral("s.SupItmProps"), QStringLiteral("s.SupGroupType"),
                                        QStringLiteral("s.SupGroupNo")));
}

} // namespace kx
