// The run's starting data and the gathering of existing demands and supplies: main demand,
// open orders picked as main demand, safety stock, open orders, requisitions, purchase
// orders and goods in inspection, the open component and scrap lines of orders, and stock.
#include "engine/mrprun_p.h"

#include "db/connection.h"
#include "db/errors.h"
#include "db/quote.h"
#include "db/shared.h"
#include "db/strutils.h"
#include "engine/maindemand.h"
#include "engine/objectquery.h"
#include "engine/progress.h"

#include <QStringList>

namespace kx {

namespace {

const QString kSupInsertColumns = QStringLiteral(
    "SupPeriod, SupBillType, SupBillID, SupBillNo, SupBillEntry, SupBillDate, SupBillQty, SupSuppID, SupDeptID, SupOrigType, "
    "SupOrigID, SupOrigNo, SupOrigEntry, SupOrigItmID, SupOrigCustID, SupOrigCustPO, SupOrigTag, SupOrigSubTag, SupGroupType, "
    "SupGroupNo, SupItmID, SupItmProps, SupItmProp1, SupItmProp2, SupItmProp3, SupItmProp4, SupItmProp5, SupItmProp6, "
    "SupItmProp7, SupItmProp8, SupItmProp9, SupItmProp10, SupDate, SupPriority, SupPDmdIID, SupAdjQty, SupQty, SupChkQty, "
    "SupAllotQty, SupRestQty, SupBomLocked, SupBomType, SupBomID, SupDrawDate, SupHints, SupNote");

const QString kDmdInsertColumns = QStringLiteral(
    "DmdPeriod, DmdBillType, DmdBillID, DmdBillNo, DmdBillEntry, DmdBillDate, DmdBillQty, DmdSuppID, DmdDeptID, DmdOrigType, "
    "DmdOrigID, DmdOrigNo, DmdOrigEntry, DmdOrigItmID, DmdOrigCustID, DmdOrigCustPO, DmdOrigTag, DmdOrigSubTag, DmdGroupType, "
    "DmdGroupNo, DmdItmID, DmdItmProps, DmdItmProp1, DmdItmProp2, DmdItmProp3, DmdItmProp4, DmdItmProp5, DmdItmProp6, "
    "DmdItmProp7, DmdItmProp8, DmdItmProp9, DmdItmProp10, DmdDate, DmdPriority, DmdPSupIID, DmdUnitQty, DmdNeedQty, DmdQty, "
    "DmdBomType, DmdBomID, DmdBomSkip, DmdNote");

// An ERP bill that supplies: production, outsourcing and purchase orders, goods in
// inspection, requisitions.
struct TSupplyBill {
    int Type;
    const char* P;
    const char* ObjectID;
    const char* Qty;      // quantity to plan with: the larger of open and in-inspection quantity
    const char* Chk;      // in-inspection quantity
    const char* Draw;     // start date column, or null
    const char* Dept;
    const char* Supp;
    bool Bom;
};

const TSupplyBill kSupplyBills[] = {
    {btMO, "MO", "KX_MRP.MO", "(case when s.MOQty>$$MOChkQty$$ then s.MOQty else $$MOChkQty$$ end)", "$$MOChkQty$$",
     "s.MODrawDate", "s.MODeptID", "null", true},
    {btOO, "OO", "KX_MRP.OO", "(case when s.OOQty>$$OOChkQty$$ then s.OOQty else $$OOChkQty$$ end)", "$$OOChkQty$$",
     "s.OODrawDate", "s.OODeptID", "s.OOSuppID", true},
    {btPO, "PO", "KX_MRP.PO", "(case when s.POQty>$$POChkQty$$ then s.POQty else $$POChkQty$$ end)", "$$POChkQty$$",
     "null", "s.PODeptID", "s.POSuppID", false},
    {btPI, "PI", "KX_MRP.PI", "(case when s.PIQty>$$PIChkQty$$ then s.PIQty else $$PIChkQty$$ end)", "$$PIChkQty$$",
     "null", "s.PIDeptID", "s.PISuppID", false},
    {btMR, "MR", "KX_MRP.MR", "s.MRQty", "0", "s.MRDrawDate", "s.MRDeptID", "null", true},
    {btOR, "OR", "KX_MRP.OR", "s.ORQty", "0", "s.ORDrawDate", "null", "s.ORSuppID", true},
    {btPR, "PR", "KX_MRP.PR", "s.PRQty", "0", "null", "s.PRDeptID", "s.PRSuppID", false},
};

QString Props(const QString& prefix)
{
    QStringList p;
    for (int n = 1; n <= 10; ++n)
        p << prefix.arg(n);
    return p.join(QStringLiteral(", "));
}

// The select list of a supply bill line as a run supply.
QString SupplyFields(const TSupplyBill& b, const TPlanPeriods& periods, const QString& priority, const QString& parent,
                     const QString& locked, const QString& hints)
{
    const QString p = QLatin1String(b.P);
    const QString qty = QLatin1String(b.Qty);
    QStringList f;
    f << PeriodCaseExpr(periods, QStringLiteral("s.%1DelivDate").arg(p)) << QString::number(b.Type)
      << QStringLiteral("s.%1ID, s.%1No, s.%1Entry, s.%1Date, s.%1BillQty").arg(p) << QLatin1String(b.Supp) << QLatin1String(b.Dept)
      << QStringLiteral("coalesce($$OrigType$$, 0), $$OrigID$$, $$OrigNo$$, coalesce($$OrigEntry$$, 0), $$OrigItmID$$, "
                        "$$OrigCustID$$, $$OrigCustPO$$, $$OrigTag$$, $$OrigSubTag$$, coalesce($$MRPGroupType$$, 0), "
                        "coalesce($$MRPGroupNo$$, '')")
      << QStringLiteral("s.%1ItmID, coalesce($$ItmProps$$, '')").arg(p) << Props(QStringLiteral("$$ItmProp%1$$"))
      << QStringLiteral("s.%1DelivDate").arg(p) << priority << parent << QStringLiteral("0") << qty << QLatin1String(b.Chk)
      << QStringLiteral("0") << qty << locked
      << (b.Bom ? QStringLiteral("coalesce(s.%1BomType, 0), s.%1BomID").arg(p) : QStringLiteral("0, null"))
      << QLatin1String(b.Draw) << hints << QStringLiteral("left(s.%1Note, 500)").arg(p);
    return f.join(QStringLiteral(", "));
}

// The lock of an order's BOM as the order comes in: an order that names its BOM is bound to it.
// Bills without BOM get theirs, unlocked, from the BOM binding of the supplies.
QString LockedAsNamed(const TSupplyBill& b)
{
    return b.Bom ? QStringLiteral("(case when coalesce(s.%1BomID, '')<>'' then 1 else 0 end)").arg(QLatin1String(b.P))
                 : QStringLiteral("null");
}

// That a bill line "s" of a supply bill is not among the supplies yet: a join to add to the
// statement and a condition. Level by level it is asked as "not exists": the planner then
// counts the lines left and hashes the item tables and the level's items, where after an
// outer join it expects one line and looks each line's item up in turn. Gathered all at once
// (hashing anyway), the outer join stands.
struct TNotAmongSupplies {
    QString Join, Condition;
};
TNotAmongSupplies NotAmongSupplies(const TSupplyBill& b, bool allAtOnce)
{
    const QString line = QStringLiteral("tmpsup.SupBillType=%1 and tmpsup.SupBillID=s.%2ID and tmpsup.SupBillEntry=s.%2Entry")
                             .arg(SQLInt(b.Type), QLatin1String(b.P));
    if (allAtOnce)
        return {QStringLiteral(" left join tmp_KX_MRP_Supplies as tmpsup on ") + line, QStringLiteral("tmpsup.SupIID is null")};
    return {QString(), QStringLiteral("not exists (select 1 from tmp_KX_MRP_Supplies as tmpsup where %1)").arg(line)};
}

const TSupplyBill& SupplyBill(int type)
{
    for (const TSupplyBill& b : kSupplyBills)
        if (b.Type == type)
            return b;
    return kSupplyBills[0];
}

} // namespace

// The host's definition of an object the run reads; a denied object stops the run.
static const TInfoObjectDef* RunObjectDef(const char* objectID)
{
    const TInfoObjectDef* def = (Env() && Env()->GetObjectDef) ? Env()->GetObjectDef(QLatin1String(objectID)) : nullptr;
    if (!def)
        throw EKxError(QStringLiteral("访问信息对象\"%1\"受到限制!").arg(QLatin1String(objectID)));
    return def;
}

// An object's statement for the run. Rows it inserts are numbered in the order given (the
// bill and line), so that the run's results do not hang on the order a plan reads them in.
static QString Composed(const TInfoObjectDef* def, const QString& pattern, const QString& fields, const QString& where,
                        const QString& orderBy)
{
    const QString sql = ComposeObjectStatement(def, pattern, fields, where, orderBy);
    if (sql.isEmpty())
        throw EKxError(QStringLiteral("信息对象\"%1\"的查询语句无法生成!").arg(def->ID));
    return sql;
}

void TMRPRun::RefreshMainDemand()
{
    // Quantities of the scheme's sales, export and forecast lines as the bills stand now, of the
    // lines where they changed; they replace the stored ones before anything is planned.
    Exec(QStringLiteral("drop table if exists tmp_KX_MRP_MainX;\r"
                        "create temp table tmp_KX_MRP_MainX (ManIID integer primary key, ManBillQty numeric(28,8), "
                        "ManExeQty numeric(28,8), ManDedQty numeric(28,8), ManNeedQty numeric(28,8), ManAdjQty numeric(28,8), "
                        "ManQty numeric(28,8), OldQty numeric(28,8), ManHints varchar(1000))"));
    if (Scheme.PlanType != 0)
        return;
    struct TSource { int Type; const char* P; const char* View; const char* Ext; const char* Need; };
    const TSource sources[] = {
        {btForcast, "For", "KX_MRP_Forcast", "KX_MRP_ForcastExt", "s.ForQty-coalesce(x.ForDedAQty,0)-coalesce(x.ForDedMQty,0)"},
        {btSO, "SO", "KX_MRP_SO", "KX_MRP_SOExt", "s.SOQty"},
        {btSI, "SI", "KX_MRP_SI", "KX_MRP_SIExt", "s.SIQty"},
    };
    // Every stored line meets its bill line, where the planner, joining on bill and line as if
    // they were unrelated, expects a few: hashing the bills' heads beats looking each one up.
    for (const TSource& src : sources) {
        const QString p = QLatin1String(src.P);
        Exec(QStringLiteral("set enable_nestloop = off;\r"
                            "insert into tmp_KX_MRP_MainX select m.ManIID, s.%1BillQty, s.%1OkQty, "
                            "coalesce(x.%1DedAQty,0)+coalesce(x.%1DedMQty,0), %2, m.ManAdjQty, %2+coalesce(m.ManAdjQty,0), m.ManQty, "
                            "m.ManHints from KX_MRP_Main as m join %3 as s on s.%1ID=m.ManBillID and s.%1Entry=m.ManBillEntry "
                            "left join %4 as x on x.%1ID=s.%1ID and x.%1Entry=s.%1Entry where m.ManSchIID=%5 and m.ManBillType=%6 "
                            "and (m.ManBillQty, m.ManExeQty, m.ManDedQty, m.ManNeedQty, m.ManQty) is distinct from (s.%1BillQty, "
                            "s.%1OkQty, coalesce(x.%1DedAQty,0)+coalesce(x.%1DedMQty,0), %2, %2+coalesce(m.ManAdjQty,0));\r"
                            "reset enable_nestloop")
                 .arg(p, QLatin1String(src.Need), QLatin1String(src.View), QLatin1String(src.Ext), Iid(), SQLInt(src.Type)));
    }
    RemapMainHints(Connection, QStringLiteral("select ManIID, ManQty, ManHints from tmp_KX_MRP_MainX where ManQty<>OldQty and ManHints<>''"),
                   Scheme.MpsPeriods, Scheme.MpsPeriods, QStringLiteral("tmp_KX_MRP_MainX"));
    // The main demand is brought up to date now, whatever becomes of the run.
    Exec(QStringLiteral("update KX_MRP_Main as m set ManBillQty=x.ManBillQty, ManExeQty=x.ManExeQty, ManDedQty=x.ManDedQty, "
                        "ManNeedQty=x.ManNeedQty, ManQty=x.ManQty, ManHints=x.ManHints from tmp_KX_MRP_MainX as x "
                        "where m.ManSchIID=%1 and m.ManIID=x.ManIID and (m.ManBillQty, m.ManExeQty, m.ManDedQty, m.ManNeedQty, "
                        "m.ManQty, m.ManHints) is distinct from (x.ManBillQty, x.ManExeQty, x.ManDedQty, x.ManNeedQty, x.ManQty, "
                        "x.ManHints)")
             .arg(Iid()));
}

void TMRPRun::GatherStartingData()
{
    const TPlanPeriods& periods = Scheme.MpsPeriods;
    RefreshMainDemand();
    if (Scheme.PlanType != 2) {
        // Main-demand lines of demand kinds become demands.
        const TDemandBom bom = DemandBom(QStringLiteral("m.ManItmID"), QStringLiteral("m.ManItmProps"), QStringLiteral("m.ManDate"),
                                         QStringLiteral("m.ManBomType"), QStringLiteral("nullif(m.ManBomID, '')"));
        Exec(QStringLiteral(
                 "insert into tmp_KX_MRP_Demands (DmdPeriod, DmdBillType, DmdBillID, DmdBillNo, DmdBillEntry, DmdBillDate, DmdBillQty, "
                 "DmdSuppID, DmdDeptID, DmdOrigType, DmdOrigID, DmdOrigNo, DmdOrigEntry, DmdOrigItmID, DmdOrigCustID, DmdOrigCustPO, "
                 "DmdOrigTag, DmdOrigSubTag, DmdGroupType, DmdGroupNo, DmdItmID, DmdItmProps, %1, DmdDate, DmdPriority, DmdNeedQty, "
                 "DmdQty, DmdBomType, DmdBomID, DmdBomLocked, DmdBomSkip, DmdNote, DmdHints, DmdPHints) "
                 "select m.ManPeriod, m.ManBillType, m.ManBillID, (case when coalesce(m.ManBillNo,'')<>'' then m.ManBillNo else "
                 "'M-'||m.ManIID end), m.ManBillEntry, m.ManBillDate, coalesce(x.ManBillQty, m.ManBillQty), m.ManSuppID, m.ManDeptID, "
                 "m.ManOrigType, m.ManOrigID, m.ManOrigNo, m.ManOrigEntry, m.ManOrigItmID, m.ManOrigCustID, m.ManOrigCustPO, "
                 "m.ManOrigTag, m.ManOrigSubTag, m.ManGroupType, m.ManGroupNo, m.ManItmID, m.ManItmProps, %2, m.ManDate, "
                 "m.ManPriority, coalesce(x.ManQty, m.ManQty), coalesce(x.ManQty, m.ManQty), %5, %6, "
                 "(case when coalesce(m.ManBomID, '')<>'' then 1 else 0 end), 0, m.ManNote, coalesce(x.ManHints, m.ManHints), coalesce(x.ManHints, m.ManHints) "
                 "from KX_MRP_Main as m left join tmp_KX_MRP_MainX as x on x.ManIID=m.ManIID %7 "
                 "where m.ManSchIID=%3 and m.ManBillType<=%4 and coalesce(x.ManQty, m.ManQty)>0 order by m.ManIID")
                 .arg(Props(QStringLiteral("DmdItmProp%1")), Props(QStringLiteral("m.ManItmProp%1")), Iid(), SQLInt(btFreeNeed), bom.Type,
                      bom.ID, bom.Join));
        // Production, outsourcing and requisition lines picked as main demand are supplies whose
        // components must be planned; their whole quantity is placed on the picked date.
        // A production order picked so plans with what is left to stock in (none when more came
        // in than ordered), however much of it waits for inspection.
        for (int type : {int(btMO), int(btOO), int(btMR), int(btOR)}) {
            TSupplyBill b = SupplyBill(type);
            if (type == btMO)
                b.Qty = "(case when s.MOQty>0 then s.MOQty else 0 end)";
            const TInfoObjectDef* def = RunObjectDef(b.ObjectID);
            const QString p = QLatin1String(b.P);
            Exec(Composed(def,
                          QStringLiteral("insert into tmp_KX_MRP_Supplies (%1) select $$Fields$$ $$MainJoin$$ join KX_MRP_Main as tmpm on "
                                         "tmpm.ManSchIID=%2 and tmpm.ManBillType=%3 and s.%4ID=tmpm.ManBillID and s.%4Entry=tmpm.ManBillEntry")
                              .arg(kSupInsertColumns, Iid(), SQLInt(type), p),
                          SupplyFields(b, periods, QStringLiteral("50+coalesce(tmpm.ManPriority,0)"), QStringLiteral("-1"),
                                       QStringLiteral("1"),
                                       QStringLiteral("(case when tmpm.ManHints<>'' then tmpm.ManHints else '='||to_char(tmpm.ManDate,'YYYYMMDD') end)")),
                          QStringLiteral("s.CanMRP<>0 and (mt.ItmMrpSkip=0 or mt.ItmMrpSkip is null)"),
                          QStringLiteral("s.%1ID, s.%1Entry").arg(p)));
        }
        // Open production and outsourcing orders due within the horizon come in too.
        for (int type : {int(btMO), int(btOO)}) {
            const TSupplyBill& b = SupplyBill(type);
            const TInfoObjectDef* def = RunObjectDef(b.ObjectID);
            const QString p = QLatin1String(b.P);
            const TNotAmongSupplies notAmong = NotAmongSupplies(b, GlobalScope());
            Exec(Composed(def,
                          QStringLiteral("insert into tmp_KX_MRP_Supplies (%1) select $$Fields$$ $$MainJoin$$%2").arg(kSupInsertColumns, notAmong.Join),
                          SupplyFields(b, periods, QStringLiteral("50"), QStringLiteral("null"), LockedAsNamed(b), QStringLiteral("null")),
                          CombineFilter(QStringLiteral("%4 and s.CanMRP<>0 and (mt.ItmMrpSkip=0 or mt.ItmMrpSkip is null) "
                                                       "and %1>0 and s.%2DelivDate<%3")
                                            .arg(QLatin1String(b.Qty), p, SQLDate(HorizonEnd(periods).addDays(1)), notAmong.Condition),
                                        Filter(QLatin1String(b.ObjectID))),
                          QStringLiteral("s.%1ID, s.%1Entry").arg(p)));
        }
        // Planned supplies of another scheme picked as main demand.
        Exec(QStringLiteral(
                 "insert into tmp_KX_MRP_Supplies (%1) select m.ManPeriod, m.ManBillType, m.ManBillID, m.ManBillNo, m.ManBillEntry, "
                 "m.ManBillDate, m.ManBillQty, m.ManSuppID, m.ManDeptID, m.ManOrigType, m.ManOrigID, m.ManOrigNo, m.ManOrigEntry, "
                 "m.ManOrigItmID, m.ManOrigCustID, m.ManOrigCustPO, m.ManOrigTag, m.ManOrigSubTag, m.ManGroupType, m.ManGroupNo, "
                 "m.ManItmID, m.ManItmProps, %2, m.ManDate, 50+coalesce(m.ManPriority,0), -1, 0, m.ManQty, 0, 0, m.ManQty, "
                 "(case when coalesce(m.ManBomID,'')<>'' then 1 else null end), m.ManBomType, nullif(m.ManBomID,''), m.ManDate, "
                 "(case when m.ManHints<>'' then m.ManHints else '='||to_char(m.ManDate,'YYYYMMDD') end), m.ManNote "
                 "from KX_MRP_Main as m where m.ManSchIID=%3 and m.ManBillType>=%4 and m.ManQty>0 order by m.ManIID")
                 .arg(kSupInsertColumns, Props(QStringLiteral("m.ManItmProp%1")), Iid(), SQLInt(btPlanMO)));
    }
    if (GlobalScope() && Scheme.CareItemSafety == 2) {
        Exec(QStringLiteral("insert into tmp_KX_MRP_Demands (DmdPeriod, DmdBillType, DmdOrigType, DmdOrigItmID, DmdPriority, DmdItmID, "
                            "DmdDate, DmdNeedQty, DmdQty) select 0, %1, %1, t.ItmID, 98, t.ItmID, %2, t.ItmSafeQty, t.ItmSafeQty "
                            "from KX_MRP_ItemSetting as t join KX_Base_ItemMaster as i on i.ItmID=t.ItmID "
                            "where i.ItmDisabled=0 and t.ItmMrpSkip=0 and t.ItmSafeQty>0 order by t.ItmID")
                 .arg(SQLInt(btSafety), SQLDate(HorizonBegin(periods).addDays(-1)) + QStringLiteral("::timestamp")));
    }
    const int scope = Scheme.PlanNeedScope;
    if (((scope == 3 || scope == 4) && Scheme.CareItemReplace != 0) || SingleLevelScope()) {
        Exec(QStringLiteral("insert into tmp_KX_MRP_MainItems select distinct DmdItmID, DmdItmProps, DmdGroupType, DmdGroupNo "
                            "from tmp_KX_MRP_Demands union select SupItmID, SupItmProps, SupGroupType, SupGroupNo from tmp_KX_MRP_Supplies"));
    }
    if (GlobalScope()) {
        Gather(-1);
        if (Scheme.PlanType == 2)
            MarkAnalysedOrders();
    } else {
        LeaveOutExcludedItems();
        Exec(QStringLiteral("analyze tmp_KX_MRP_Supplies;\ranalyze tmp_KX_MRP_Demands"));
    }
}

void TMRPRun::MarkAnalysedOrders()
{
    for (int type : {int(btMO), int(btOO)}) {
        const QString condition = Filter(QLatin1String(type == btMO ? kLackOrdersMO : kLackOrdersOO)).trimmed();
        if (condition.isEmpty())
            continue;
        const TSupplyBill& b = SupplyBill(type);
        const QString p = QLatin1String(b.P);
        Exec(QStringLiteral("drop table if exists tmp_KX_MRP_LackOrders;\r"
                            "create temp table tmp_KX_MRP_LackOrders (OrdID varchar(50), OrdEntry integer)"));
        Exec(Composed(RunObjectDef(b.ObjectID), QStringLiteral("insert into tmp_KX_MRP_LackOrders select $$Fields$$ $$MainJoin$$"),
                      QStringLiteral("s.%1ID, s.%1Entry").arg(p), condition, QString()));
        Exec(QStringLiteral("update tmp_KX_MRP_Supplies as t set SupPDmdIID=-1 from tmp_KX_MRP_LackOrders as o where "
                            "t.SupBillType=%1 and t.SupBillID=o.OrdID and t.SupBillEntry=o.OrdEntry;\r"
                            "drop table tmp_KX_MRP_LackOrders")
                 .arg(SQLInt(type)));
    }
}

void TMRPRun::LevelItems(int level)
{
    // With the gross scopes only demands that come from a parent supply bring in an item's
    // existing supplies.
    Exec(QStringLiteral("truncate table tmp_KX_MRP_CurLevelDmdItems;\r"
                        "insert into tmp_KX_MRP_CurLevelDmdItems select distinct DmdItmID, DmdItmProps, DmdGroupType, DmdGroupNo "
                        "from tmp_KX_MRP_Demands join tmp_KX_MRP_ItemLowestCode as l on DmdItmID=l.ItmID and l.LowestCode=%1%2;\r"
                        "analyze tmp_KX_MRP_CurLevelDmdItems")
             .arg(SQLInt(level), GrossScope() ? QStringLiteral(" where DmdPSupIID<>0") : QString()));
}

QString TMRPRun::LevelDemand(const QString& item, const QString& props, const QString& groupType, const QString& groupNo) const
{
    QString key = QStringLiteral("c.DmdItmID=%1").arg(item);
    if (!props.isEmpty())
        key += QStringLiteral(" and c.DmdItmProps=%1 and c.DmdGroupType=%2 and c.DmdGroupNo=%3").arg(props, groupType, groupNo);
    if (!GlobalScope())
        return QStringLiteral("exists (select 1 from tmp_KX_MRP_CurLevelDmdItems as c where %1)").arg(key);
    // When every demand came in at the start, a level's demands are there before it starts,
    // but for the safety stock it adds. Without safety stock to plan no item key counts, and
    // the level's unused supplies all go.
    if (Scheme.CareItemSafety != 1)
        return QStringLiteral("false");
    return QStringLiteral("exists (select 1 from tmp_KX_MRP_Demands as c where %1 and c.DmdBillType<>%2)").arg(key, SQLInt(btSafety));
}

void TMRPRun::SafetyStock(int level)
{
    Exec(QStringLiteral("insert into tmp_KX_MRP_Demands (DmdPeriod, DmdBillType, DmdOrigType, DmdOrigItmID, DmdPriority, DmdItmID, "
                        "DmdDate, DmdNeedQty, DmdQty) select 0, %1, %1, t.ItmID, 98, t.ItmID, %2, t.ItmSafeQty, t.ItmSafeQty "
                        "from KX_MRP_ItemSetting as t join tmp_KX_MRP_ItemLowestCode as l on l.ItmID=t.ItmID and l.LowestCode=%3 "
                        "join KX_Base_ItemMaster as i on i.ItmID=t.ItmID where i.ItmDisabled=0 and t.ItmSafeQty>0 and %4 "
                        "order by t.ItmID")
             .arg(SQLInt(btSafety), SQLDate(HorizonBegin(Scheme.MpsPeriods).addDays(-1)) + QStringLiteral("::timestamp"), SQLInt(level),
                  LevelDemand(QStringLiteral("t.ItmID"))));
}

void TMRPRun::LeaveOutExcludedItems()
{
    const QString excludes = Filter(QStringLiteral("Excludes"));
    QStringList numbers;
    for (const QString& no : excludes.split(QLatin1Char('|'), Qt::SkipEmptyParts))
        numbers << QuotedStr(no.trimmed());
    if (numbers.isEmpty())
        return;
    const QString items = QStringLiteral("(select ItmID from KX_Base_ItemMaster where ItmNo in (%1))").arg(numbers.join(QStringLiteral(", ")));
    Exec(QStringLiteral("delete from tmp_KX_MRP_Demands where DmdItmID in %1;\rdelete from tmp_KX_MRP_Supplies where SupItmID in %1")
             .arg(items));
}

void TMRPRun::Gather(int level)
{
    const TPlanPeriods& periods = Scheme.MpsPeriods;
    const QString horizonEnd = SQLDate(HorizonEnd(periods).addDays(1));
    // Restricted to the items of the level being planned, unless gathering for all levels.
    auto onLevel = [&](const QString& itemColumn) {
        return level < 0 ? QString()
                         : QStringLiteral(" and %1 in (select DmdItmID from tmp_KX_MRP_CurLevelDmdItems)").arg(itemColumn);
    };
    // Supplies also of the items that may stand in for an item the level needs, though they have
    // no demand of their own (one that is a main item comes in only with demand on the level).
    auto onLevelSupply = [&](const QString& itemColumn) {
        if (level < 0 || Scheme.CareItemReplace == 0)
            return onLevel(itemColumn);
        return QStringLiteral(" and (%1 in (select DmdItmID from tmp_KX_MRP_CurLevelDmdItems) or %1 in (select c.SubRItmID "
                              "from tmp_KX_MRP_ItemSubsCouples as c join tmp_KX_MRP_CurLevelDmdItems as d on d.DmdItmID=c.SubItmID "
                              "join tmp_KX_MRP_ItemLowestCode as l on l.ItmID=c.SubRItmID and l.LowestCode=%2 where not exists "
                              "(select 1 from tmp_KX_MRP_MainItems as m where m.ManItmID=c.SubRItmID)))")
            .arg(itemColumn, SQLInt(level));
    };
    // Gathered all at once, every open line of a bill comes in, where the planner, misled by
    // the conditions on the lines, expects a few: hashing the item tables beats looking up
    // each line's item.
    if (level < 0)
        Exec(QStringLiteral("set enable_nestloop = off"));
    for (const TSupplyBill& b : kSupplyBills) {
        Progress.CheckAbort();
        const TInfoObjectDef* def = RunObjectDef(b.ObjectID);
        const QString p = QLatin1String(b.P);
        const TNotAmongSupplies notAmong = NotAmongSupplies(b, level < 0);
        Exec(Composed(def,
                      QStringLiteral("insert into tmp_KX_MRP_Supplies (%1) select $$Fields$$ $$MainJoin$$%2").arg(kSupInsertColumns, notAmong.Join),
                      SupplyFields(b, periods, QStringLiteral("50"), QStringLiteral("null"), LockedAsNamed(b), QStringLiteral("null")),
                      CombineFilter(QStringLiteral("%3 and s.CanMRP<>0 and (mt.ItmMrpSkip=0 or mt.ItmMrpSkip is null) and %1>0%2")
                                        .arg(QLatin1String(b.Qty), onLevelSupply(QStringLiteral("s.%1ItmID").arg(p)), notAmong.Condition),
                                    Filter(QLatin1String(b.ObjectID))),
                      QStringLiteral("s.%1ID, s.%1Entry").arg(p)));
    }
    Exec(QStringLiteral("reset enable_nestloop;\rcall KX_MRP_SetBOMForSupply(-1)"));

    // A line of an order or of the stock taken on an earlier level comes in once; gathered all
    // at once, there is no earlier level to look at.
    auto notTaken = [&](int type, const QString& line) {
        return level < 0 ? qMakePair(QString(), QString())
                         : qMakePair(QStringLiteral(" left join tmp_KX_MRP_Demands as tmpdmd on tmpdmd.DmdBillType=%1 and %2")
                                         .arg(SQLInt(type), line),
                                     QStringLiteral("tmpdmd.DmdIID is null and "));
    };

    // Open component lines of the orders present as supplies (of any open order with the scopes
    // that count other open issues), and scrap replacements.
    OrderComponents(QString(), onLevel(QStringLiteral("c.DmdItmID")), level >= 0 && OpenIssuesScope());
    {
        const auto scrap = notTaken(btMOScrap, QStringLiteral("tmpdmd.DmdBillID=s.MOID and tmpdmd.DmdBillEntry=s.MspEntry"));
        const TInfoObjectDef* def = RunObjectDef("KX_MRP.MOScrap");
        Exec(Composed(def,
                      QStringLiteral("insert into tmp_KX_MRP_Demands (%1) select $$Fields$$ $$MainJoin$$%2").arg(kDmdInsertColumns, scrap.first),
                      QStringLiteral("%1, %2, s.MOID, s.MONo, s.MspEntry, s.MODate, s.MspBillQty, null, s.MODeptID, "
                                     "coalesce(s.MOOrigType, 0), s.MOOrigID, s.MOOrigNo, coalesce(s.MOOrigEntry, 0), s.MOOrigItmID, "
                                     "s.MOOrigCustID, s.MOOrigCustPO, s.MOOrigTag, s.MOOrigSubTag, coalesce(s.MOGroupType, 0), "
                                     "coalesce(s.MOGroupNo, ''), s.MspItmID, coalesce($$ItmProps$$, ''), %3, s.MspDrawDate, 50, null, null, "
                                     "s.MspQty, s.MspQty, 0, null, null, left(s.MONo||'/'||cast(s.MOEntry as varchar(10))||'/'||"
                                     "cast(s.BomEntry as varchar(10))||'  '||coalesce(s.MspNote,'')||'  '||coalesce(s.BomNote,'')||'  '||"
                                     "coalesce(s.MONote,''), 500)")
                          .arg(PeriodCaseExpr(periods, QStringLiteral("s.MspDrawDate")), SQLInt(btMOScrap),
                               Props(QStringLiteral("$$ItmProp%1$$"))),
                      CombineFilter(QStringLiteral("%1s.CanMRP<>0 and s.MspDrawDate<%2 and s.MspQty>0 and "
                                                   "(mt.ItmMrpSkip=0 or mt.ItmMrpSkip is null)%3")
                                        .arg(scrap.second, horizonEnd, onLevel(QStringLiteral("s.MspItmID"))),
                                    Filter(QStringLiteral("KX_MRP.MOScrap"))),
                      QStringLiteral("s.MOID, s.MspEntry")));
    }

    // Stock of the scheme's warehouses: a shortage is a demand, what is on hand becomes supplies.
    {
        Progress.CheckAbort();
        const TInfoObjectDef* def = RunObjectDef("KX_MRP.Inventory");
        QString where = QStringLiteral("s.CanMRP<>0 and (mt.ItmMrpSkip=0 or mt.ItmMrpSkip is null)");
        const QString stocks = Filter(QStringLiteral("KX_MRP.Stocks")).trimmed();
        if (!stocks.isEmpty())
            where += QStringLiteral(" and s.InvStkID in ") + stocks;
        const QString onHand = CombineFilter(where + onLevelSupply(QStringLiteral("s.InvItmID")), Filter(QStringLiteral("KX_MRP.Inventory")));
        where = CombineFilter(where + onLevel(QStringLiteral("s.InvItmID")), Filter(QStringLiteral("KX_MRP.Inventory")));
        const QDate today = RunTime.date();
        const auto shortage = notTaken(btNegStock, QStringLiteral("tmpdmd.DmdBillID=cast(s.InvIID as varchar(50))"));
        Exec(Composed(def,
                      QStringLiteral("insert into tmp_KX_MRP_Demands (%1) select $$Fields$$ $$MainJoin$$%2").arg(kDmdInsertColumns, shortage.first),
                      QStringLiteral("%1, %2, cast(s.InvIID as varchar(50)), k.StkNo, 0, %3, -s.InvQty, null, null, "
                                     "coalesce(s.InvOrigType, 0), s.InvOrigID, s.InvOrigNo, coalesce(s.InvOrigEntry, 0), s.InvOrigItmID, "
                                     "s.InvOrigCustID, s.InvOrigCustPO, s.InvOrigTag, null, coalesce(s.InvGroupType, 0), "
                                     "coalesce(s.InvGroupNo, ''), s.InvItmID, coalesce(s.InvItmProps, ''), %4, %3, 99, null, null, "
                                     "-s.InvQty, -s.InvQty, 0, null, null, left(k.StkName||' '||coalesce(s.InvBatch,''), 500)")
                          .arg(SQLInt(PeriodOfDate(periods, today)), SQLInt(btNegStock), SQLDate(today) + QStringLiteral("::timestamp"), Props(QStringLiteral("s.InvItmProp%1"))),
                      CombineFilter(where, shortage.second + QStringLiteral("s.InvQty<0")), QStringLiteral("s.InvIID")));
        Exec(QStringLiteral("truncate table tmp_KX_MRP_ItemInventory;\r") +
             Composed(def,
                      QStringLiteral("insert into tmp_KX_MRP_ItemInventory (InvItmID, InvItmProps, %1, InvBatch, InvOrigType, InvOrigID, "
                                     "InvOrigNo, InvOrigEntry, InvOrigItmID, InvOrigCustID, InvOrigCustPO, InvOrigTag, InvGroupType, "
                                     "InvGroupNo, InvQty) select $$Fields$$ $$MainJoin$$")
                          .arg(Props(QStringLiteral("InvItmProp%1"))),
                      QStringLiteral("s.InvItmID, coalesce(s.InvItmProps, ''), %1, s.InvBatch, s.InvOrigType, s.InvOrigID, s.InvOrigNo, "
                                     "s.InvOrigEntry, s.InvOrigItmID, s.InvOrigCustID, s.InvOrigCustPO, s.InvOrigTag, "
                                     "coalesce(s.InvGroupType, 0), coalesce(s.InvGroupNo, ''), s.InvQty")
                          .arg(Props(QStringLiteral("s.InvItmProp%1"))),
                      CombineFilter(onHand, QStringLiteral("s.InvQty>0")), QStringLiteral("s.InvIID")));
        Exec(QStringLiteral("call KX_MRP_GetInventoryForDemand(%1);\rcall KX_MRP_GetInventoryForSupply(%1)").arg(SQLDate(today)));
    }
    LeaveOutExcludedItems();
    Exec(QStringLiteral("analyze tmp_KX_MRP_Supplies;\ranalyze tmp_KX_MRP_Demands"));

    if (Scheme.DemandByOrigDate) {
        struct THead { int Type; const char* P; const char* View; };
        for (const THead& h : {THead{btSO, "SO", "KX_MRP_SOHead"}, THead{btSI, "SI", "KX_MRP_SIHead"},
                               THead{btForcast, "For", "KX_MRP_ForcastHead"}})
            Exec(QStringLiteral("insert into tmp_KX_MRP_MainOrigDates (ManBillType, ManBillID, ManBillDate) select d.DmdOrigType, "
                                "d.DmdOrigID, min(h.%1Date) from tmp_KX_MRP_Demands as d join %2 as h on h.%1ID=d.DmdOrigID "
                                "where d.DmdOrigType=%3 and not exists (select 1 from tmp_KX_MRP_MainOrigDates as o where "
                                "o.ManBillType=%3 and o.ManBillID=d.DmdOrigID) group by d.DmdOrigType, d.DmdOrigID")
                     .arg(QLatin1String(h.P), QLatin1String(h.View), SQLInt(h.Type)));
    }
}

void TMRPRun::LoadOrderComponents()
{
    // The open component lines of every production and outsourcing order, read once: each
    // level then takes those of the orders it used. The order's own supply row is joined
    // when they are taken, for its priority and as their parent.
    const TPlanPeriods& periods = Scheme.MpsPeriods;
    Exec(QStringLiteral("create temp table tmp_KX_MRP_OrderComps as select * from tmp_KX_MRP_Demands with no data;\r"
                        "alter table tmp_KX_MRP_OrderComps add OrdType smallint, add OrdID varchar(50), add OrdEntry integer;\r"
                        "create temp table tmp_KX_MRP_LevelOrders as select SupIID, SupPriority, SupBillType, SupBillID, SupBillEntry "
                        "from tmp_KX_MRP_Supplies with no data"));
    // Restricted to what the demands reach, a line counts when its order or its component is
    // reached: an order comes in only then, and a line of an order not in the run is taken
    // only for a component that some level plans.
    const QString reached = ReachScope() ? QStringLiteral(" and (s.%1ItmID in (select ItmID from tmp_KX_MRP_ItemLowestCode) or "
                                                          "s.BomItmID in (select ItmID from tmp_KX_MRP_ItemLowestCode))")
                                         : QString();
    for (int type : {int(btMO), int(btOO)}) {
        Progress.CheckAbort();
        const bool mo = type == btMO;
        const QString p = mo ? QStringLiteral("MO") : QStringLiteral("OO");
        const TInfoObjectDef* def = RunObjectDef(mo ? "KX_MRP.MOBOM" : "KX_MRP.OOBOM");
        Exec(Composed(def,
                      QStringLiteral("insert into tmp_KX_MRP_OrderComps (%1, OrdType, OrdID, OrdEntry) select $$Fields$$ $$MainJoin$$")
                          .arg(kDmdInsertColumns),
                      QStringLiteral("%1, %2, s.BomID, s.%3No, s.BomEntry, s.%3Date, s.BomBillQty, %4, %5, coalesce(s.%3OrigType, 0), "
                                     "s.%3OrigID, s.%3OrigNo, coalesce(s.%3OrigEntry, 0), s.%3OrigItmID, s.%3OrigCustID, s.%3OrigCustPO, "
                                     "s.%3OrigTag, s.%3OrigSubTag, coalesce(s.%3GroupType, 0), coalesce(s.%3GroupNo, ''), s.BomItmID, "
                                     "coalesce($$ItmProps$$, ''), %6, s.BomDrawDate, null, null, "
                                     "s.BomUnitQty, s.BomQty, s.BomQty, coalesce(s.BomItmBomType, 0), s.BomItmBomID, s.BomItmBomSkip, "
                                     "left(s.BomNote, 500), %7, s.%3ID, s.%3Entry")
                          .arg(PeriodCaseExpr(periods, QStringLiteral("s.BomDrawDate")), SQLInt(mo ? btMOBom : btOOBom), p,
                               mo ? QStringLiteral("null") : QStringLiteral("s.OOSuppID"), QStringLiteral("s.%1DeptID").arg(p),
                               Props(QStringLiteral("$$ItmProp%1$$")), SQLInt(type)),
                      CombineFilter(QStringLiteral("s.CanMRP<>0 and s.BomQty>0 and s.BomRole=0 and (mt.ItmMrpSkip=0 or mt.ItmMrpSkip is null)") +
                                        (reached.isEmpty() ? QString() : reached.arg(p)),
                                    Filter(QLatin1String(mo ? "KX_MRP.MOBOM" : "KX_MRP.OOBOM"))),
                      QString()));
    }
    Exec(QStringLiteral("create index on tmp_KX_MRP_OrderComps (OrdType, OrdID, OrdEntry, DmdBillEntry);\ranalyze tmp_KX_MRP_OrderComps"));
    FOrderComponentsLoaded = true;
}

void TMRPRun::OrderComponents(const QString& orderCondition, const QString& componentCondition, bool anyOrder)
{
    if (!FOrderComponentsLoaded)
        LoadOrderComponents();
    Progress.CheckAbort();
    // A line that names the component's BOM binds the component to it; a made component
    // without one comes in with its default BOM, unbound.
    const TDemandBom bom = DemandBom(QStringLiteral("c.DmdItmID"), QStringLiteral("c.DmdItmProps"), QStringLiteral("c.DmdDate"),
                                     QStringLiteral("c.DmdBomType"), QStringLiteral("c.DmdBomID"));
    QStringList columns;
    for (const QString& c : kDmdInsertColumns.split(QStringLiteral(", ")))
        columns << (c == QLatin1String("DmdPriority") ? QStringLiteral("coalesce(tmpsup.SupPriority, 50)")
                    : c == QLatin1String("DmdPSupIID") ? QStringLiteral("tmpsup.SupIID")
                    : c == QLatin1String("DmdBomSkip") ? QStringLiteral("coalesce(c.DmdBomSkip, 0)")
                    : c == QLatin1String("DmdBomType") ? bom.Type
                    : c == QLatin1String("DmdBomID")   ? bom.ID
                                                       : QStringLiteral("c.") + c);
    columns << QStringLiteral("(case when coalesce(c.DmdBomID, '')<>'' then 1 else 0 end)");
    // A line already among the demands (taken on an earlier level) comes in once. Only
    // these lines are demands of their kinds, so the first take finds none and looks for
    // none; the later ones name the kinds again, which lets them use the index of such rows.
    // Asked as "not exists", the planner counts the lines left rather than expecting one.
    const QString notTaken = FOrderComponentsTaken
        ? QStringLiteral("not exists (select 1 from tmp_KX_MRP_Demands as tmpdmd where tmpdmd.DmdBillType=c.DmdBillType and "
                         "tmpdmd.DmdBillID=c.DmdBillID and tmpdmd.DmdBillEntry=c.DmdBillEntry and tmpdmd.DmdBillType in (%1, %2))")
              .arg(SQLInt(btOOBom), SQLInt(btMOBom))
        : QStringLiteral("true");
    // Taken for all orders at once (every level gathered at the start), the lines come in the
    // order of their index, matched to their orders in the order of the supplies' bill-line
    // index: sorting them whole, as wide as they are, would take longer. A level's few take
    // the plan that finds them.
    QString insert = QStringLiteral(
        "insert into tmp_KX_MRP_Demands (%1, DmdBomLocked) select %2 from tmp_KX_MRP_OrderComps as c %7 tmp_KX_MRP_Supplies as "
        "tmpsup on tmpsup.SupBillType=c.OrdType and tmpsup.SupBillID=c.OrdID and tmpsup.SupBillEntry=c.OrdEntry%3 "
        "%5 where %6%4 order by c.OrdType, c.OrdID, c.OrdEntry, c.DmdBillEntry");
    // The lines of the orders a level used: those orders are found first and counted, and
    // their lines through the index. Left to itself the planner, which cannot tell how few
    // orders the condition leaves, hashes every open line of every order on each level; told
    // a guess, it may as well take one order for many and compare every line with each.
    const bool levelOrders = !orderCondition.isEmpty() && !anyOrder;
    if (levelOrders) {
        Exec(QStringLiteral("truncate table tmp_KX_MRP_LevelOrders;\r"
                            "insert into tmp_KX_MRP_LevelOrders select tmpsup.SupIID, tmpsup.SupPriority, tmpsup.SupBillType, "
                            "tmpsup.SupBillID, tmpsup.SupBillEntry from tmp_KX_MRP_Supplies as tmpsup where tmpsup.SupBillType in (%1, %2)%3;\r"
                            "analyze tmp_KX_MRP_LevelOrders")
                 .arg(SQLInt(btMO), SQLInt(btOO), orderCondition));
        insert = QStringLiteral(
            "insert into tmp_KX_MRP_Demands (%1, DmdBomLocked) select %2 from tmp_KX_MRP_LevelOrders as tmpsup %7 tmp_KX_MRP_OrderComps "
            "as c on c.OrdType=tmpsup.SupBillType and c.OrdID=tmpsup.SupBillID and c.OrdEntry=tmpsup.SupBillEntry%3 %5 where %6%4 "
            "order by c.OrdType, c.OrdID, c.OrdEntry, c.DmdBillEntry");
    }
    insert = insert.arg(kDmdInsertColumns, columns.join(QStringLiteral(", ")), levelOrders ? QString() : orderCondition, componentCondition,
                        bom.Join, notTaken,
                        anyOrder ? QStringLiteral("left join") : QStringLiteral("join"));
    Exec((GlobalScope() ? QStringLiteral("set enable_sort = off;\r%1;\rreset enable_sort") : QStringLiteral("%1")).arg(insert));
    FOrderComponentsTaken = true;
}

} // namespace kx
