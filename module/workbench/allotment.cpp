#include "workbench/allotment.h"

#include "db/connection.h"
#include "db/dataset.h"
#include "db/quote.h"
#include "engine/planscheme.h"

#include <QStringList>

#include <atomic>

namespace kx {

namespace {

// The columns of a node, as a demand row shows them (demand d with its planned supply p) and as
// an open order row shows them (supply s). The order's allocated quantity stands in the
// coverage column of its kind.
struct TAllotColumn {
    const char* Field;
    const char* Demand;
    const char* Order;
};

const TAllotColumn kColumns[] = {
    {"DmdPriority", "d.DmdPriority", "s.SupPriority"},
    {"DmdBillType", "d.DmdBillType", "s.SupBillType"},
    {"DmdBillNo", "d.DmdBillNo", "s.SupBillNo"},
    {"DmdBillEntry", "d.DmdBillEntry", "s.SupBillEntry"},
    {"DmdBillDate", "d.DmdBillDate", "s.SupBillDate"},
    {"OrigType", "nullif(d.DmdOrigType, 0)", "nullif(s.SupOrigType, 0)"},
    {"OrigNo", "(case when coalesce(d.DmdOrigEntry,0)<>0 then d.DmdOrigNo||'/'||d.DmdOrigEntry else d.DmdOrigNo end)",
     "(case when coalesce(s.SupOrigEntry,0)<>0 then s.SupOrigNo||'/'||s.SupOrigEntry else s.SupOrigNo end)"},
    {"ItmNo", "i.ItmNo", "i.ItmNo"},
    {"ItmName", "i.ItmName", "i.ItmName"},
    {"ItmSpec", "i.ItmSpec", "i.ItmSpec"},
    {"OrigCust", "c.CustName", "c.CustName"},
    {"OrigCustPO", "d.DmdOrigCustPO", "s.SupOrigCustPO"},
    {"DmdOrigTag", "d.DmdOrigTag", "s.SupOrigTag"},
    {"DmdGroupType", "d.DmdGroupType", "s.SupGroupType"},
    {"DmdGroupNo", "d.DmdGroupNo", "s.SupGroupNo"},
    {"DmdDate", "d.DmdDate", "s.SupDate"},
    {"DmdDept", "coalesce(sv.SuppName, dp.DeptName)", "coalesce(sv.SuppName, dp.DeptName)"},
    {"DmdNote", "d.DmdNote", "s.SupNote"},
    {"UntName", "u.UntName", "u.UntName"},
    {"DmdUnitQty", "d.DmdUnitQty", "null"},
    {"DmdBillQty", "d.DmdBillQty", "s.SupBillQty"},
    {"DmdOkQty", "(case when d.DmdBillQty>d.DmdNeedQty then d.DmdBillQty-d.DmdNeedQty else 0 end)",
     "(case when s.SupBillQty>s.SupQty then s.SupBillQty-s.SupQty else 0 end)"},
    {"DmdNeedQty", "d.DmdNeedQty", "null"},
    {"DmdInvQty", "d.DmdInvQty", "null"},
    {"DmdPOQty", "d.DmdPOQty", "null"},
    {"DmdOOQty", "d.DmdOOQty", "(case when s.SupBillType=24 then s.SupAllotQty end)"},
    {"DmdMOQty", "d.DmdMOQty", "(case when s.SupBillType=22 then s.SupAllotQty end)"},
    {"DmdChkQty", "d.DmdChkQty", "s.SupChkQty"},
    {"DmdPRQty", "d.DmdPRQty", "null"},
    {"DmdORQty", "d.DmdORQty", "(case when s.SupBillType=36 then s.SupAllotQty end)"},
    {"DmdMRQty", "d.DmdMRQty", "(case when s.SupBillType=34 then s.SupAllotQty end)"},
    {"DmdReplQty", "d.DmdReplQty", "null"},
    {"DmdASetQty", "d.DmdASetQty", "null"},
    {"DmdASetRate", "d.DmdASetRate", "null"},
    {"DmdNetQty", "coalesce(d.DmdQty,0)+coalesce(d.DmdPPPQty1,0)+coalesce(d.DmdPPPQty2,0)", "null"},
    {"DmdPPPQty", "coalesce(d.DmdPPPQty1,0)+coalesce(d.DmdPPPQty2,0)", "null"},
    {"SupBillType", "p.SupBillType", "s.SupBillType"},
    {"BomNo", "pb.BomNo", "pb.BomNo"},
    {"SupQty", "p.SupQty", "s.SupQty"},
    {"SupDSetQty", "p.SupDSetQty", "s.SupDSetQty"},
    {"SupDSetRate", "p.SupDSetRate", "s.SupDSetRate"},
    {"ItmPlanner", "pl.EmpName", "pl.EmpName"},
    {"ItmBuyer", "by.EmpName", "by.EmpName"},
    {"ItmMinQty", "mt.ItmMinQty", "mt.ItmMinQty"},
    {"ItmLotQty", "mt.ItmLotQty", "mt.ItmLotQty"},
    {"ItmFixLeadTime", "mt.ItmFixLeadTime", "mt.ItmFixLeadTime"},
    {"ItmVarLeadTime", "mt.ItmVarLeadTime", "mt.ItmVarLeadTime"},
    {"ItmVarLeadLot", "mt.ItmVarLeadLot", "mt.ItmVarLeadLot"},
    {"BalNeedQty", "coalesce(bl.BalForQty,0)+coalesce(bl.BalSOQty,0)+coalesce(bl.BalFreeQty,0)+coalesce(bl.BalPOODQty,0)"
                   "+coalesce(bl.BalPMODQty,0)+coalesce(bl.BalVirDQty,0)", nullptr},
    {"BalPBomQty", "coalesce(bl.BalMODQty,0)+coalesce(bl.BalOODQty,0)", nullptr},
    {"BalROutQty", "bl.BalROutQty", nullptr},
    {"BalSafeQty", "bl.BalSafeQty", nullptr},
    {"BalInvQty", "bl.BalInvQty", nullptr},
    {"BalPOQty", "bl.BalPOQty", nullptr},
    {"BalOOQty", "bl.BalOOQty", nullptr},
    {"BalMOQty", "bl.BalMOQty", nullptr},
    {"BalChkQty", "bl.BalChkQty", nullptr},
    {"BalPRQty", "bl.BalPRQty", nullptr},
    {"BalORQty", "bl.BalORQty", nullptr},
    {"BalMRQty", "bl.BalMRQty", nullptr},
    {"BalRInQty", "bl.BalRInQty", nullptr},
    {"BalNetQty", "bl.BalNetQty", nullptr},
    {"BalQty", "bl.BalQty", nullptr},
    {"BalXQty", "bl.BalXQty", nullptr},
    {"BalEndQty", "bl.BalEndQty", nullptr},
    {"DmdIID", "d.DmdIID", "null"},
    {"DmdBillID", "d.DmdBillID", "s.SupBillID"},
    {"DmdHints", "d.DmdHints", "s.SupHints"},
    {"DmdItmProps", "d.DmdItmProps", "s.SupItmProps"},
    {"DmdPeriod", "d.DmdPeriod", "s.SupPeriod"},
    {"SupIID", "p.SupIID", "s.SupIID"},
    {"SupBomLocked", "p.SupBomLocked", "s.SupBomLocked"},
};

// The balance columns read the same for a demand and an order: the order's are those of its item key.
QString Expression(const TAllotColumn& c, bool order)
{
    const char* expr = order ? (c.Order ? c.Order : c.Demand) : c.Demand;
    return QString::fromUtf8(expr);
}

QString SelectList(bool order, const QString& kind, const QString& hasChild)
{
    QStringList items;
    for (const TAllotColumn& c : kColumns)
        items << Expression(c, order) + QStringLiteral(" as ") + QuotedIdent(QLatin1String(c.Field));
    for (int n = 1; n <= 10; ++n)
        items << QStringLiteral("%1.%2ItmProp%3 as \"DmdItmProp%3\"").arg(order ? QStringLiteral("s") : QStringLiteral("d"),
                                                                           order ? QStringLiteral("Sup") : QStringLiteral("Dmd"))
                     .arg(n);
    items << kind + QStringLiteral(" as \"DmdMainKind\"") << hasChild + QStringLiteral(" as \"HasChild\"");
    return items.join(QLatin1String(", "));
}

// The joins of a row of prefix P (Dmd or Sup) over the alias a: item, unit, settings, planner,
// buyer, customer, supplier or department, and the balance of its item key.
QString Joins(const QString& a, const QString& prefix)
{
    return QStringLiteral(" join KX_Base_ItemMaster as i on i.ItmID=%1.%2ItmID left join KX_Base_Unit as u on u.UntID=i.ItmUnitID"
                          " left join KX_MRP_ItemSetting as mt on mt.ItmID=%1.%2ItmID"
                          " left join KX_Base_Employee as pl on pl.EmpID=mt.ItmPlannerID left join KX_Base_Employee as by on by.EmpID=mt.ItmBuyerID"
                          " left join KX_Base_Customer as c on c.CustID=%1.%2OrigCustID"
                          " left join KX_Base_Supplier as sv on sv.SuppID=%1.%2SuppID left join KX_Base_Department as dp on dp.DeptID=%1.%2DeptID"
                          " left join KX_MRP_Balance as bl on bl.BalSchIID=%1.%2SchIID and bl.BalItmID=%1.%2ItmID"
                          " and bl.BalItmProps=%1.%2ItmProps and bl.BalGroupType=%1.%2GroupType and bl.BalGroupNo=%1.%2GroupNo")
        .arg(a, prefix);
}

// Demands (with their planned supply p and its BOM pb) that match a condition, as nodes of a kind.
QString DemandRows(int schemeIID, const QString& condition, const QString& kind, const TAllotFilter* filter)
{
    const bool filtered = filter && filter->Active();
    const QString hasChild = filtered ? QStringLiteral("coalesce(r.RefHasChild,0)")
                                      : QStringLiteral("(case when exists (select 1 from KX_MRP_Demands as x where x.DmdSchIID=d.DmdSchIID "
                                                       "and x.DmdPSupIID=p.SupIID) then 1 else 0 end)");
    return QStringLiteral("select %1 from KX_MRP_Demands as d%2 left join KX_MRP_Supplies as p on p.SupSchIID=d.DmdSchIID and "
                          "p.SupPDmdIID=d.DmdIID left join KX_Bom_Head as pb on pb.BomID=p.SupBomID%3 where d.DmdSchIID=%4 and %5")
        .arg(SelectList(false, kind, hasChild),
             filtered ? QStringLiteral(" join %1 as r on r.RefDmdIID=d.DmdIID").arg(filter->TableName()) : QString(),
             Joins(QStringLiteral("d"), QStringLiteral("Dmd")), SQLInt(schemeIID), condition);
}

// One row standing for all demands of a kind without parent, when there is any.
QString SummaryRow(int schemeIID, int billType, int priority, const TAllotFilter* filter)
{
    QStringList items;
    for (const TAllotColumn& c : kColumns) {
        const QString field = QLatin1String(c.Field);
        const QString value = field == QLatin1String("DmdBillType") ? SQLInt(billType)
                            : field == QLatin1String("DmdPriority") ? SQLInt(priority)
                                                                     : QStringLiteral("null");
        items << value + QStringLiteral(" as ") + QuotedIdent(field);
    }
    for (int n = 1; n <= 10; ++n)
        items << QStringLiteral("null as \"DmdItmProp%1\"").arg(n);
    items << QStringLiteral("%1 as \"DmdMainKind\", 1 as \"HasChild\"").arg(ankSummary);
    const bool filtered = filter && filter->Active();
    return QStringLiteral("select %1 where exists (select 1 from KX_MRP_Demands as d%2 where d.DmdSchIID=%3 and d.DmdBillType=%4)")
        .arg(items.join(QLatin1String(", ")),
             filtered ? QStringLiteral(" join %1 as r on r.RefDmdIID=d.DmdIID").arg(filter->TableName()) : QString(),
             SQLInt(schemeIID), SQLInt(billType));
}

// Open orders that supply something or carry component demand of their own.
QString OrderRows(int schemeIID, const TAllotFilter* filter)
{
    const bool filtered = filter && filter->Active();
    const QString hasChild = filtered ? QStringLiteral("(case when exists (select 1 from %1 as x where x.RefPSupIID=s.SupIID) then 1 else 0 end)")
                                            .arg(filter->TableName())
                                      : QStringLiteral("(case when exists (select 1 from KX_MRP_Demands as x where x.DmdSchIID=s.SupSchIID "
                                                       "and x.DmdPSupIID=s.SupIID) then 1 else 0 end)");
    QString condition = QStringLiteral("s.SupSchIID=%1 and s.SupBillType in (%2, %3, %4, %5) and (s.SupAllotQty>0 or s.SupPDmdIID<0)")
                            .arg(SQLInt(schemeIID)).arg(btMO).arg(btOO).arg(btMR).arg(btOR);
    // Filtered: the orders above a collected demand, and those of the items of the collected main demand.
    if (filtered)
        condition += QStringLiteral(" and (s.SupIID in (select RefPSupIID from %1) or s.SupItmID in (select d.DmdItmID from KX_MRP_Demands "
                                    "as d join %1 as r on r.RefDmdIID=d.DmdIID where d.DmdSchIID=%2 and d.DmdBillType in (%3, %4, %5, %6)))")
                         .arg(filter->TableName(), SQLInt(schemeIID))
                         .arg(btSO).arg(btSI).arg(btForcast).arg(btFreeNeed);
    return QStringLiteral("select %1 from KX_MRP_Supplies as s left join KX_Bom_Head as pb on pb.BomID=s.SupBomID%2 where %3")
        .arg(SelectList(true, QString::number(ankOrder), hasChild), Joins(QStringLiteral("s"), QStringLiteral("Sup")), condition);
}

std::atomic<int> gTableNumber{0};

} // namespace

TAllotFilter::TAllotFilter(TConnection& connection)
    : FConnection(connection), FTable(QStringLiteral("tmp_KX_MRP_Demand_%1").arg(++gTableNumber))
{
}

TAllotFilter::~TAllotFilter()
{
    if (!FCreated)
        return;
    try {
        FConnection.Execute(QStringLiteral("drop table if exists %1").arg(FTable));
    } catch (const std::exception&) {
        // The session that held it is gone, and the table with it.
    }
}

void TAllotFilter::Prepare()
{
    if (FCreated) {
        FConnection.Execute(QStringLiteral("truncate table %1").arg(FTable));
        return;
    }
    FConnection.Execute(QStringLiteral("drop table if exists %1;\r"
                                       "create temp table %1 (RefDmdIID integer not null primary key, RefItmID varchar(50) null, "
                                       "RefPSupIID integer null, RefHasChild integer null);\r"
                                       "create index %1_Idx on %1 (RefPSupIID)")
                            .arg(FTable));
    FCreated = true;
}

void TAllotFilter::Clear()
{
    FActive = false;
}

int TAllotFilter::Apply(int schemeIID, TAllotFilterKind kind, const QString& text, bool noBom)
{
    const QString value = text.trimmed();
    if (value.isEmpty() && !noBom) {
        FActive = false;
        return 0;
    }
    Prepare();
    QStringList conditions;
    QString joins = QStringLiteral(" left join KX_MRP_Supplies as p on p.SupSchIID=d.DmdSchIID and p.SupPDmdIID=d.DmdIID");
    if (!value.isEmpty() && kind == afkItem) {
        joins += QStringLiteral(" join KX_Base_ItemMaster as i on i.ItmID=d.DmdItmID");
        conditions << QStringLiteral("i.ItmNo=%1").arg(QuotedStr(value));
    } else if (!value.isEmpty()) {
        joins += QStringLiteral(" left join KX_MRP_ItemSetting as mt on mt.ItmID=d.DmdItmID left join KX_Base_Employee as e on e.EmpID=mt.%1")
                     .arg(kind == afkPlanner ? QStringLiteral("ItmPlannerID") : QStringLiteral("ItmBuyerID"));
        conditions << QStringLiteral("(e.EmpName=%1 or e.EmpName='' or e.EmpName is null)").arg(QuotedStr(value));
    }
    if (noBom)
        conditions << QStringLiteral("p.SupBillType in (%1, %2, %3, %4, %5, %6, %7, %8, %9) and (p.SupBomID='' or p.SupBomID is null)")
                          .arg(btMR).arg(btOR).arg(btPlanMO).arg(btPlanMOSkip).arg(btPlanOO).arg(btPlanOOSkip).arg(btPlanOther)
                          .arg(btPlanMOVirtual).arg(btPlanOOVirtual);
    FConnection.Execute(QStringLiteral("insert into %1 (RefDmdIID, RefItmID, RefPSupIID) select distinct d.DmdIID, d.DmdItmID, d.DmdPSupIID "
                                       "from KX_MRP_Demands as d%2 where d.DmdSchIID=%3 and (%4)")
                            .arg(FTable, joins, SQLInt(schemeIID), conditions.join(QLatin1String(" or "))));
    // Climb: the demand whose supply is the parent of a collected demand, up to the main demand.
    TQuery q(&FConnection);
    q.SQL = QStringLiteral("insert into %1 (RefDmdIID, RefItmID, RefPSupIID) select distinct d.DmdIID, d.DmdItmID, d.DmdPSupIID "
                           "from KX_MRP_Demands as d left join %1 as r on d.DmdIID=r.RefDmdIID join KX_MRP_Supplies as s on "
                           "d.DmdSchIID=s.SupSchIID and d.DmdIID=s.SupPDmdIID join %1 as c on s.SupIID=c.RefPSupIID "
                           "where d.DmdSchIID=%2 and r.RefDmdIID is null")
                .arg(FTable, SQLInt(schemeIID));
    do
        q.ExecSQL();
    while (q.RowsAffected() > 0);
    FConnection.Execute(QStringLiteral("update %1 as r set RefHasChild=1 from KX_MRP_Supplies as s where s.SupSchIID=%2 and "
                                       "r.RefDmdIID=s.SupPDmdIID and exists (select 1 from %1 as c where c.RefPSupIID=s.SupIID)")
                            .arg(FTable, SQLInt(schemeIID)));
    FActive = true;
    q.SQL = QStringLiteral("select count(*) from %1").arg(FTable);
    q.Open();
    return q.Fields(0).AsInteger();
}

QString AllotTopSQL(int schemeIID, const TAllotFilter* filter, int limit, int offset)
{
    QStringList parts;
    parts << DemandRows(schemeIID, QStringLiteral("d.DmdBillType in (%1, %2, %3, %4)").arg(btSO).arg(btSI).arg(btForcast).arg(btFreeNeed),
                        QString::number(ankMainDemand), filter);
    parts << SummaryRow(schemeIID, btNegStock, 99, filter) << SummaryRow(schemeIID, btSafety, 98, filter)
          << SummaryRow(schemeIID, btMOScrap, 50, filter) << SummaryRow(schemeIID, btOOComponent, 50, filter);
    parts << OrderRows(schemeIID, filter);
    QString sql = QStringLiteral("select * from (%1) as s order by \"DmdDate\" nulls first, \"DmdPriority\" desc, \"DmdBillType\", \"ItmNo\", "
                                 "\"DmdBillNo\", \"DmdIID\", \"SupIID\"")
                      .arg(parts.join(QLatin1String("\runion all\r")));
    if (limit > 0)
        sql += QStringLiteral(" limit %1").arg(limit);
    if (offset > 0)
        sql += QStringLiteral(" offset %1").arg(offset);
    return sql;
}

QString AllotChildrenSQL(int schemeIID, int parentSupIID, const TAllotFilter* filter)
{
    return DemandRows(schemeIID, QStringLiteral("d.DmdPSupIID=%1").arg(SQLInt(parentSupIID)), QString::number(ankDemand), filter)
        + QStringLiteral(" order by d.DmdBillEntry, i.ItmNo");
}

QString AllotSummaryChildrenSQL(int schemeIID, int billType, const TAllotFilter* filter)
{
    return DemandRows(schemeIID, QStringLiteral("d.DmdBillType=%1").arg(SQLInt(billType)), QString::number(ankDemand), filter)
        + QStringLiteral(" order by d.DmdBillEntry, i.ItmNo");
}

} // namespace kx
