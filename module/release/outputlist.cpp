#include "release/outputlist.h"

#include "db/dataset.h"
#include "db/quote.h"
#include "db/settings.h"
#include "db/strutils.h"
#include "engine/hints.h"
#include "engine/planscheme.h"
#include "release/outputoptions.h"

namespace kx {

namespace {

// The planned supply type a plan-type filter shows (0: all three).
int FilteredSupplyType(int planType)
{
    switch (planType) {
    case 1: return btPlanMO;
    case 2: return btPlanOO;
    case 3: return btPlanPO;
    default: return 0;
    }
}

// Reads a query's rows by field name, looking each name up once.
class TColumnReader {
public:
    explicit TColumnReader(const TQuery& q) : FQuery(q) {}
    int Col(const char* name)
    {
        const QString key = QLatin1String(name);
        auto it = FCols.find(key);
        if (it == FCols.end())
            it = FCols.insert(key, FQuery.FieldIndex(key));
        return it.value();
    }
    QString Text(int row, const char* name) { return FQuery.TextAt(row, Col(name)); }
    int Int(int row, const char* name) { return FQuery.IntAt(row, Col(name)); }
    double Number(int row, const char* name) { return FQuery.NumberAt(row, Col(name)); }
    QDate Date(int row, const char* name) { return FQuery.DateAt(row, Col(name)); }
    QVariant Value(int row, const char* name) { return FQuery.ValueAt(row, Col(name)); }
    // The ten property values of columns stem1 .. stem10.
    void Props(int row, const char* stem, QString (&props)[10])
    {
        for (int n = 0; n < 10; ++n) {
            const QString name = QLatin1String(stem) + QString::number(n + 1);
            auto it = FCols.find(name);
            if (it == FCols.end())
                it = FCols.insert(name, FQuery.FieldIndex(name));
            props[n] = FQuery.TextAt(row, it.value());
        }
    }

private:
    const TQuery& FQuery;
    QHash<QString, int> FCols;
};

// The supply unit a planned supply goes to by default: the item's workshop for production,
// its outsourcing or purchase supplier otherwise (by price or latest order when so chosen).
QString DefaultDeptExpr(int supplyType, bool bySupplierDef)
{
    if (supplyType == btPlanMO)
        return QStringLiteral("nullif(mt.ItmMODeptID, '')");
    const QString column = supplyType == btPlanOO ? QStringLiteral("OOSuppID") : QStringLiteral("POSuppID");
    return bySupplierDef ? QStringLiteral("coalesce(sd.%1, nullif(mt.Itm%1, ''))").arg(column)
                         : QStringLiteral("nullif(mt.Itm%1, '')").arg(column);
}

QString DestTypeOf(int supplyType, int outsourcing)
{
    return QString::number(supplyType == btPlanMO ? btMO : supplyType == btPlanOO ? outsourcing : btPR);
}

QString OutputSuppliesSQL(const TMRPOutputFilter& f, int outsourcing)
{
    const int only = FilteredSupplyType(f.PlanType);
    const bool bySupplierDef = f.SuppDef != 0;
    QString dept, destType, unitColumn, typeCondition;
    if (only != 0) {
        dept = DefaultDeptExpr(only, bySupplierDef);
        destType = DestTypeOf(only, outsourcing);
        unitColumn = only == btPlanPO ? QStringLiteral("i.ItmBuyUnitID") : QStringLiteral("i.ItmProdUnitID");
        typeCondition = QStringLiteral("=%1").arg(only);
    } else {
        dept = QStringLiteral("(case s.SupBillType when %1 then %2 when %3 then %4 else %5 end)")
                   .arg(btPlanMO).arg(DefaultDeptExpr(btPlanMO, bySupplierDef)).arg(btPlanOO)
                   .arg(DefaultDeptExpr(btPlanOO, bySupplierDef), DefaultDeptExpr(btPlanPO, bySupplierDef));
        destType = QStringLiteral("(case s.SupBillType when %1 then %2 when %3 then %4 else %5 end)")
                       .arg(btPlanMO).arg(btMO).arg(btPlanOO).arg(outsourcing).arg(btPR);
        unitColumn = QStringLiteral("(case s.SupBillType when %1 then i.ItmBuyUnitID else i.ItmProdUnitID end)").arg(btPlanPO);
        typeCondition = QStringLiteral(" in (%1, %2, %3)").arg(btPlanMO).arg(btPlanOO).arg(btPlanPO);
    }
    QString props;
    for (int n = 1; n <= 10; ++n)
        props += QStringLiteral("s.SupItmProp%1, ").arg(n);
    QString sql = QStringLiteral(
        "select s.SupIID, s.SupPeriod, s.SupBillType, s.SupBillNo, s.SupBillDate, s.SupItmID, s.SupQty, s.SupBomType, s.SupBomID, "
        "s.SupDate, s.SupDrawDate, s.SupItmProps, %1s.SupOrigType, s.SupOrigID, s.SupOrigNo, s.SupOrigEntry, s.SupOrigItmID, "
        "s.SupOrigCustID, s.SupOrigCustPO, s.SupOrigTag, s.SupOrigSubTag, s.SupGroupType, s.SupGroupNo, "
        "coalesce(s.SupDestQty, 0) as SupDestQty, s.SupDester, s.SupDestTime, s.SupHints, s.SupPDmdIIDs, s.SupTrackKey, s.SupNote, "
        "i.ItmNo, i.ItmName, i.ItmSpec, u.UntName, c.CustName as SupOrigCust, o.ItmNo as SupOrigItmNo, o.ItmName as SupOrigItmName, "
        "o.ItmSpec as SupOrigItmSpec, b.BomNo, us.UsrName, mt.ItmPlannerID, ep.EmpName as ItmPlanner, mt.ItmBuyerID, "
        "eb.EmpName as ItmBuyer, coalesce(mt.ItmMinQty, 0) as ItmMinQty, coalesce(mt.ItmLotQty, 0) as ItmLotQty, "
        "coalesce(mt.ItmFixLeadTime, 0) as ItmFixLeadTime, coalesce(mt.ItmVarLeadTime, 0) as ItmVarLeadTime, "
        "coalesce(mt.ItmVarLeadLot, 0) as ItmVarLeadLot, du.UntID as DestUnitID, du.UntName as DestUnitName, "
        "coalesce(du.UntFactor, 1) as DestUnitRate, %2 as SupDeptID, %3 as DestType "
        "from KX_MRP_Supplies as s "
        "join KX_Base_ItemMaster as i on i.ItmID=s.SupItmID "
        "left join KX_Base_Unit as u on u.UntID=i.ItmUnitID "
        "left join KX_Base_Customer as c on c.CustID=s.SupOrigCustID "
        "left join KX_Base_ItemMaster as o on o.ItmID=s.SupOrigItmID "
        "left join KX_MRP_BOMsOfSupply as b on b.SupSchIID=s.SupSchIID and b.SupIID=s.SupIID "
        "left join KX_SYS_Users as us on us.UsrID=s.SupDester "
        "left join KX_MRP_ItemSetting as mt on mt.ItmID=s.SupItmID "
        "left join KX_Base_Employee as ep on ep.EmpID=mt.ItmPlannerID "
        "left join KX_Base_Employee as eb on eb.EmpID=mt.ItmBuyerID "
        "left join KX_Base_Unit as du on du.UntID=%4 ")
                      .arg(props, dept, destType, unitColumn);
    if (bySupplierDef)
        sql += QStringLiteral("left join tmp_KX_MRP_ItemSupplierDef as sd on sd.ItmID=s.SupItmID ");
    sql += QStringLiteral("where s.SupSchIID=%1 and s.SupBillType%2 and s.SupQty>coalesce(s.SupDestQty, 0) "
                          "and coalesce(mt.ItmOutSkip, 0)=0")
               .arg(f.SchemeIID).arg(typeCondition);
    if (!f.Filter.trimmed().isEmpty())
        sql += QStringLiteral(" and (%1)").arg(f.Filter);
    return sql;
}

// History quantities per item and property set from the start date on: purchases ordered
// (received, where more came or the line is closed) and received without an order, and
// material issued to production and outsourcing orders.
QString HistoryJoins(const TMRPOutputFilter& f)
{
    QString sql;
    const QString from = SQLDate(f.RefDate);
    if (f.RefPOQty)
        sql += QStringLiteral(
                   " left join (select ItmID, ItmProps, sum(Qty) as Qty from ("
                   "select POItmID as ItmID, POItmProps as ItmProps, (case when PORecvQty>POBillQty or Closed=1 then PORecvQty "
                   "else POBillQty end) as Qty from KX_MRP_PO where PODate>=%1 "
                   "union all select PIItmID, PIItmProps, PIBillQty from KX_MRP_PI where PIDate>=%1 and coalesce(PIPOID, '')='') as h "
                   "group by ItmID, ItmProps) as rp on rp.ItmID=t.SupItmID and rp.ItmProps=t.SupItmProps")
                   .arg(from);
    if (f.RefUseQty)
        sql += QStringLiteral(
                   " left join (select ItmID, ItmProps, sum(Qty) as Qty from ("
                   "select BomItmID as ItmID, BomItmProps as ItmProps, BomOkQty as Qty from KX_MRP_MOBOM where BomDrawDate>=%1 "
                   "union all select BomItmID, BomItmProps, BomOkQty from KX_MRP_OOBOM where BomDrawDate>=%1) as h "
                   "group by ItmID, ItmProps) as ru on ru.ItmID=t.SupItmID and ru.ItmProps=t.SupItmProps")
                   .arg(from);
    return sql;
}

void ReadTopRow(TColumnReader& c, int i, TMRPOutputRow& r)
{
    r.SupIID = c.Int(i, "SupIID");
    r.Period = c.Int(i, "SupPeriod");
    r.SupBillType = c.Int(i, "SupBillType");
    r.DestType = c.Int(i, "DestType");
    r.BillNo = c.Text(i, "SupBillNo");
    r.ItmID = c.Text(i, "SupItmID");
    r.ItmNo = c.Text(i, "ItmNo");
    r.ItmName = c.Text(i, "ItmName");
    r.ItmSpec = c.Text(i, "ItmSpec");
    r.ItmProps = c.Text(i, "SupItmProps");
    c.Props(i, "SupItmProp", r.ItmProp);
    r.UnitName = c.Text(i, "UntName");
    r.DeptID = c.Text(i, "DeptID");
    r.DeptName = c.Text(i, "DeptName");
    r.CurID = c.Text(i, "CurID");
    r.BillDate = c.Date(i, "SupBillDate");
    r.DrawDate = c.Date(i, "SupDrawDate");
    r.Date = c.Date(i, "SupDate");
    r.OldDate = r.Date;
    r.OrigType = c.Int(i, "SupOrigType");
    r.OrigID = c.Text(i, "SupOrigID");
    r.OrigNo = c.Text(i, "SupOrigNo");
    r.OrigEntry = c.Int(i, "SupOrigEntry");
    r.OrigItmID = c.Text(i, "SupOrigItmID");
    r.OrigItmNo = c.Text(i, "SupOrigItmNo");
    r.OrigItmName = c.Text(i, "SupOrigItmName");
    r.OrigItmSpec = c.Text(i, "SupOrigItmSpec");
    r.OrigCustID = c.Text(i, "SupOrigCustID");
    r.OrigCust = c.Text(i, "SupOrigCust");
    r.OrigCustPO = c.Text(i, "SupOrigCustPO");
    r.OrigTag = c.Text(i, "SupOrigTag");
    r.OrigSubTag = c.Text(i, "SupOrigSubTag");
    r.GroupType = c.Int(i, "SupGroupType");
    r.GroupNo = c.Text(i, "SupGroupNo");
    r.PDmdIIDs = c.Text(i, "SupPDmdIIDs");
    r.TrackKey = c.Text(i, "SupTrackKey");
    r.Hints = c.Text(i, "SupHints");
    r.BomType = c.Int(i, "SupBomType");
    r.BomID = c.Text(i, "SupBomID");
    r.BomNo = c.Text(i, "BomNo");
    r.Qty = c.Number(i, "SupQty");
    r.DestQty = c.Number(i, "SupDestQty");
    r.DestUnitID = c.Text(i, "DestUnitID");
    r.DestUnitName = c.Text(i, "DestUnitName");
    r.DestUnitRate = c.Number(i, "DestUnitRate");
    if (r.DestUnitRate <= 0)
        r.DestUnitRate = 1;
    r.RefPOQty = c.Value(i, "RefPOQty");
    r.RefUseQty = c.Value(i, "RefUseQty");
    r.Dester = c.Text(i, "UsrName");
    r.DestTime = c.Value(i, "SupDestTime").toDateTime();
    r.Note = c.Text(i, "SupNote");
    r.PlannerID = c.Text(i, "ItmPlannerID");
    r.Planner = c.Text(i, "ItmPlanner");
    r.BuyerID = c.Text(i, "ItmBuyerID");
    r.Buyer = c.Text(i, "ItmBuyer");
    r.MinQty = c.Number(i, "ItmMinQty");
    r.LotQty = c.Number(i, "ItmLotQty");
    r.FixLeadTime = c.Int(i, "ItmFixLeadTime");
    r.VarLeadTime = c.Int(i, "ItmVarLeadTime");
    r.VarLeadLot = c.Number(i, "ItmVarLeadLot");
    r.HasSubs = !c.Text(i, "SubItmID").isEmpty();
}

} // namespace

double TMRPOutputRow::ParentQtyOf(double qty) const
{
    return SubRQty > 0 ? Round8(qty * SubQty / SubRQty) : 0.0;
}

void RecomputeOutputRow(TMRPOutputRow& r)
{
    r.UnDestQty = Round8(r.Qty - r.DestQty - r.DoDestQty);
    r.DoDestQtyU = Round8(r.DoDestQty / (r.DestUnitRate > 0 ? r.DestUnitRate : 1.0));
}

QString MrpBillTypeText(int type)
{
    return EnumText(QStringLiteral("MrpBillType"), type);
}

void TMRPOutputList::Load(TConnection& connection, const TMRPOutputFilter& filter)
{
    Filter = filter;
    Rows.clear();
    TopRows.clear();
    Periods.clear();
    const int outsourcing = filter.OutsourcingType ? filter.OutsourcingType : OutsourcingDestType();
    TQuery q(&connection);
    q.SQL = QStringLiteral("select SchMrpPeriods from KX_MRP_Schemes where SchIID=%1").arg(filter.SchemeIID);
    q.Open();
    if (!q.IsEmpty() && !TextToPlanPeriods(q.Fields(0).AsString(), Periods))
        Periods.clear();

    if (filter.SuppDef != 0) {
        const int only = FilteredSupplyType(filter.PlanType);
        connection.Execute(QStringLiteral("drop table if exists tmp_KX_MRP_ItemSupplierDef; "
                                          "create temp table tmp_KX_MRP_ItemSupplierDef (ItmID varchar(50) primary key, "
                                          "POSuppID varchar(50), OOSuppID varchar(50)); "
                                          "call KX_MRP_GetItemSupplierDef(%1, %2, %3)")
                               .arg(filter.SuppDef).arg(only == btPlanOO ? 0 : 1).arg(only == btPlanPO ? 0 : 1));
    }
    QString order = filter.OrderBy.trimmed();
    if (order.isEmpty())
        order = QStringLiteral("t.SupBillType, t.ItmNo, t.SupDate, t.SupIID");
    q.SQL = QStringLiteral("select t.*, (case t.SupBillType when %1 then td.DeptID else ts.SuppID end) as DeptID, "
                           "(case t.SupBillType when %1 then td.DeptName else ts.SuppName end) as DeptName, "
                           "(case when t.SupBillType<>%1 then ts.SuppCurID end) as CurID, %2 as RefPOQty, %3 as RefUseQty, %4 as SubItmID "
                           "from (%5) as t "
                           "left join KX_Base_Department as td on td.DeptID=t.SupDeptID "
                           "left join KX_Base_Supplier as ts on ts.SuppID=t.SupDeptID%6 "
                           "order by %7%8")
                .arg(btPlanMO)
                .arg(filter.RefPOQty ? QStringLiteral("coalesce(rp.Qty, 0)") : QStringLiteral("null::numeric"),
                     filter.RefUseQty ? QStringLiteral("coalesce(ru.Qty, 0)") : QStringLiteral("null::numeric"),
                     filter.ItemSubs ? QStringLiteral("KX_MRP_FirstOfferedSubItem(t.SupItmID, t.SupItmProps)")
                                     : QStringLiteral("null::varchar"),
                     OutputSuppliesSQL(filter, outsourcing), HistoryJoins(filter), order,
                     filter.MaxRows > 0 ? QStringLiteral(" limit %1").arg(filter.MaxRows) : QString());
    q.Open();
    TColumnReader c(q);
    Rows.resize(size_t(q.RecordCount()));
    for (int i = 0; i < q.RecordCount(); ++i) {
        TMRPOutputRow& r = Rows[size_t(i)];
        ReadTopRow(c, i, r);
        r.DoDestQty = ProposedQty(r);
        r.BaseDoDestQty = r.DoDestQty;
        RecomputeOutputRow(r);
        TopRows << i;
    }
}

QMap<int, double> TMRPOutputList::PeriodQuantities(const TMRPOutputRow& row) const
{
    QMap<int, double> quantities;
    if (!row.Hints.isEmpty())
        quantities = ParseHints(row.Hints);
    if (quantities.isEmpty())
        quantities.insert(row.Period, row.Qty);
    return quantities;
}

double TMRPOutputList::ProposedQty(const TMRPOutputRow& row) const
{
    if (row.Level != 0)
        return 0;
    double planned = row.Qty;
    if (Filter.EndPeriod >= 0) {
        planned = 0;
        const QMap<int, double> quantities = PeriodQuantities(row);
        for (auto it = quantities.begin(); it != quantities.end() && it.key() <= Filter.EndPeriod; ++it)
            planned += it.value();
    }
    return qMax(0.0, Round8(planned - row.DestQty));
}

void TMRPOutputList::SetDoDestQty(int row, double qty)
{
    TMRPOutputRow& r = Rows[size_t(row)];
    r.DoDestQty = Round8(qty);
    RecomputeOutputRow(r);
    if (r.Level == 0) {
        double taken = 0;
        for (int child : r.Children)
            taken += Rows[size_t(child)].ParentQtyOf(Rows[size_t(child)].DoDestQty);
        r.BaseDoDestQty = Round8(r.DoDestQty + taken);
    } else {
        RecomputeParent(r.Parent);
    }
}

void TMRPOutputList::SetDoDestQtyU(int row, double qtyU)
{
    const TMRPOutputRow& r = Rows[size_t(row)];
    SetDoDestQty(row, Round8(qtyU * r.DestUnitRate));
}

// What the substitutes propose replaces as much of the parent's own item.
void TMRPOutputList::RecomputeParent(int parent)
{
    TMRPOutputRow& p = Rows[size_t(parent)];
    double taken = 0;
    for (int child : p.Children)
        taken += Rows[size_t(child)].ParentQtyOf(Rows[size_t(child)].DoDestQty);
    p.DoDestQty = qMax(0.0, Round8(p.BaseDoDestQty - taken));
    RecomputeOutputRow(p);
}

void TMRPOutputList::SetDestType(TConnection& connection, int row, int destType)
{
    TMRPOutputRow& r = Rows[size_t(row)];
    if (r.DestType == destType)
        return;
    r.DestType = destType;
    TQuery q(&connection);
    const QString item = QuotedStr(r.ItmID);
    if (destType == btMO) {
        q.SQL = QStringLiteral("select DeptID as ID, DeptName as Name, null::varchar as CurID from KX_MRP_ItemSetting "
                               "join KX_Base_Department on ItmMODeptID=DeptID where ItmID=%1").arg(item);
    } else {
        const QString column = destType == btPR ? QStringLiteral("POSuppID") : QStringLiteral("OOSuppID");
        if (Filter.SuppDef == 0) {
            q.SQL = QStringLiteral("select SuppID as ID, SuppName as Name, SuppCurID as CurID from KX_MRP_ItemSetting "
                                   "join KX_Base_Supplier on Itm%1=SuppID where ItmID=%2").arg(column, item);
        } else {
            q.SQL = QStringLiteral("drop table if exists tmp_KX_MRP_ItemSupplierDef; "
                                   "create temp table tmp_KX_MRP_ItemSupplierDef (ItmID varchar(50) primary key, POSuppID varchar(50), "
                                   "OOSuppID varchar(50)); call KX_MRP_GetItemSupplierDef(%1, 1, 1, %2); "
                                   "select SuppID as ID, SuppName as Name, SuppCurID as CurID from tmp_KX_MRP_ItemSupplierDef "
                                   "join KX_Base_Supplier on %3=SuppID")
                        .arg(Filter.SuppDef).arg(item, column);
        }
    }
    q.Open();
    r.DeptID = q.IsEmpty() ? QString() : q.Fields(0).AsString();
    r.DeptName = q.IsEmpty() ? QString() : q.Fields(1).AsString();
    r.CurID = q.IsEmpty() ? QString() : q.Fields(2).AsString();
    r.DeptText.clear();
    q.SQL = QStringLiteral("select u.UntID, u.UntName, coalesce(u.UntFactor, 1) from KX_Base_ItemMaster join KX_Base_Unit as u on %1=UntID "
                           "where ItmID=%2")
                .arg(destType == btPR ? QStringLiteral("ItmBuyUnitID") : QStringLiteral("ItmProdUnitID"), item);
    q.Open();
    if (!q.IsEmpty() && q.Fields(0).AsString() != r.DestUnitID) {
        r.DestUnitID = q.Fields(0).AsString();
        r.DestUnitName = q.Fields(1).AsString();
        r.DestUnitRate = q.Fields(2).AsFloat() > 0 ? q.Fields(2).AsFloat() : 1.0;
        RecomputeOutputRow(r);
    }
}

void TMRPOutputList::SetDeptText(TConnection& connection, int row, const QString& text)
{
    TMRPOutputRow& r = Rows[size_t(row)];
    const QString typed = text.trimmed();
    r.DeptID.clear();
    r.CurID.clear();
    r.DeptName = typed;
    r.DeptText = typed;
    if (typed.isEmpty()) {
        r.DeptText.clear();
        return;
    }
    TQuery q(&connection);
    if (r.DestType == btMO)
        q.SQL = QStringLiteral("select DeptID as ID, DeptName as Name, null::varchar from KX_Base_Department where DeptWorkShop=1 "
                               "and DeptDisabled=0 and (DeptNo=%1 or DeptName=%1)").arg(QuotedStr(typed));
    else
        q.SQL = QStringLiteral("select SuppID as ID, SuppName as Name, SuppCurID from KX_Base_Supplier where %1=1 and SuppDisabled=0 "
                               "and (SuppNo=%2 or SuppName=%2)")
                    .arg(r.DestType == btPR ? QStringLiteral("SuppPO") : QStringLiteral("SuppOO"), QuotedStr(typed));
    q.Open();
    if (q.IsEmpty())
        return;
    r.DeptID = q.Fields(0).AsString();
    r.DeptName = q.Fields(1).AsString();
    r.CurID = q.Fields(2).AsString();
    r.DeptText.clear();
}

void TMRPOutputList::SetBomText(TConnection& connection, int row, const QString& text)
{
    TMRPOutputRow& r = Rows[size_t(row)];
    r.BomID.clear();
    r.BomNo = text.trimmed();
    if (r.BomNo.isEmpty())
        return;
    TQuery q(&connection);
    q.SQL = QStringLiteral("select BomType, BomID, BomNo from KX_MRP_ItemBOMs where BomItmID=%1 and BomNo=%2 order by BomIsDefault desc limit 1")
                .arg(QuotedStr(r.ItmID), QuotedStr(r.BomNo));
    q.Open();
    if (q.IsEmpty())
        return;
    r.BomType = q.Fields(0).AsInteger();
    r.BomID = q.Fields(1).AsString();
    r.BomNo = q.Fields(2).AsString();
}

void TMRPOutputList::SetChecked(int row, bool checked)
{
    TMRPOutputRow& r = Rows[size_t(row)];
    r.Checked = checked;
    for (int child : r.Children)
        Rows[size_t(child)].Checked = checked;
}

void TMRPOutputList::SetAllChecked(bool checked)
{
    for (int row : TopRows)
        SetChecked(row, checked);
}

int TMRPOutputList::CheckedCount() const
{
    int n = 0;
    for (const TMRPOutputRow& r : Rows)
        n += r.Checked ? 1 : 0;
    return n;
}

void TMRPOutputList::ApplyReleased(int row, double qty, const QString& dester, const QDateTime& time)
{
    TMRPOutputRow& r = Rows[size_t(row)];
    r.DestQty = Round8(r.DestQty + qty);
    r.DoDestQty = qMax(0.0, Round8(r.DoDestQty - qty));
    r.Dester = dester;
    r.DestTime = time;
    RecomputeOutputRow(r);
    if (r.Level == 0) {
        r.BaseDoDestQty = qMax(0.0, Round8(r.BaseDoDestQty - qty));
    } else {
        // A substitute released stands for as much of the parent's item as released.
        TMRPOutputRow& p = Rows[size_t(r.Parent)];
        const double replaced = r.ParentQtyOf(qty);
        p.DestQty = Round8(p.DestQty + replaced);
        p.BaseDoDestQty = qMax(0.0, Round8(p.BaseDoDestQty - replaced));
        RecomputeOutputRow(p);
    }
    if (r.DoDestQty <= 0)
        r.Checked = false;
}

} // namespace kx

namespace kx {

namespace {

// The demands a planned supply serves, with the quantity it gives each ("dmd:qty|...").
QList<QPair<int, double>> SuppliedDemands(const QString& text)
{
    QList<QPair<int, double>> demands;
    for (const QString& part : text.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        const int colon = part.indexOf(QLatin1Char(':'));
        const int dmd = part.left(colon).toInt();
        if (dmd > 0)
            demands.append({dmd, colon < 0 ? 0.0 : part.mid(colon + 1).toDouble()});
    }
    return demands;
}

} // namespace

void TMRPOutputList::LoadSubstitutes(TConnection& connection, int row)
{
    if (Rows[size_t(row)].Level != 0 || Rows[size_t(row)].ChildrenLoaded)
        return;
    Rows[size_t(row)].ChildrenLoaded = true;
    // A copy: the rows grow below, which moves them.
    const TMRPOutputRow parent = Rows[size_t(row)];
    const QList<QPair<int, double>> demands = SuppliedDemands(parent.PDmdIIDs);
    if (demands.isEmpty())
        return;
    QStringList ids;
    QHash<int, double> shares;
    for (const auto& [dmd, qty] : demands) {
        ids << QString::number(dmd);
        shares[dmd] += qty;
    }
    const QString scheme = QString::number(Filter.SchemeIID);
    const int unitKind = parent.DestType;
    const QString deptColumn = unitKind == btMO ? QStringLiteral("ItmMODeptID")
                             : unitKind == btPR ? QStringLiteral("ItmPOSuppID")
                                                : QStringLiteral("ItmOOSuppID");
    QString props;
    for (int n = 1; n <= 10; ++n)
        props += QStringLiteral("x.SubRProp%1, ").arg(n);
    TQuery q(&connection);
    q.SQL = QStringLiteral(
                "drop table if exists tmp_KX_MRP_DemandRefItems; drop table if exists tmp_KX_MRP_ItemSubsForDemand; "
                "create temp table tmp_KX_MRP_DemandRefItems (SupIID int, DmdIID int, DmdItmID varchar(50) not null, "
                "DmdItmProps varchar(100) not null default '', DmdBomHook varchar(50), DmdDate timestamp(3)); "
                "create temp table tmp_KX_MRP_ItemSubsForDemand (SupIID int, DmdIID int, SubGlobal smallint, SubPriority int, "
                "SubItmID varchar(50), SubRItmID varchar(50), SubRProps varchar(100), SubRProp1 varchar(80), SubRProp2 varchar(80), "
                "SubRProp3 varchar(80), SubRProp4 varchar(80), SubRProp5 varchar(80), SubRProp6 varchar(80), SubRProp7 varchar(80), "
                "SubRProp8 varchar(80), SubRProp9 varchar(80), SubRProp10 varchar(80), SubQty numeric(28,8), SubRQty numeric(28,8), "
                "SubReplace smallint, SubBomType smallint, SubBomID varchar(50), SubBomNo varchar(80), SubBeginDate timestamp(3), "
                "SubEndDate timestamp(3), SubNote varchar(500)); "
                "insert into tmp_KX_MRP_DemandRefItems (SupIID, DmdIID, DmdItmID, DmdItmProps, DmdBomHook, DmdDate) "
                "select %1, DmdIID, DmdItmID, DmdItmProps, DmdBomHook, DmdDate from KX_MRP_Demands where DmdSchIID=%2 and DmdIID in (%3); "
                "call KX_MRP_GetItemSubsForDemand(); "
                "select x.DmdIID, x.SubRItmID, x.SubRProps, %4x.SubQty, x.SubRQty, x.SubBomType, x.SubBomID, x.SubBomNo, x.SubPriority, "
                "i.ItmNo, i.ItmName, i.ItmSpec, u.UntName, du.UntID as DestUnitID, du.UntName as DestUnitName, "
                "coalesce(du.UntFactor, 1) as DestUnitRate, coalesce(a.DstQty, 0) as DstQty, "
                "(a.DstQty is not null or exists (select 1 from KX_MRP_Allots as l join KX_MRP_Supplies as r on r.SupSchIID=l.AltSchIID "
                "and r.SupIID=l.AltSupIID where l.AltSchIID=%2 and l.AltDmdIID=x.DmdIID and l.AltIsRepl=1 and r.SupItmID=x.SubRItmID)) as Used, "
                "(case when %6 then d.DeptID else v.SuppID end) as DeptID, (case when %6 then d.DeptName else v.SuppName end) as DeptName, "
                "v.SuppCurID as CurID, mt.ItmPlannerID, mt.ItmBuyerID "
                "from tmp_KX_MRP_ItemSubsForDemand as x "
                "join KX_Base_ItemMaster as i on i.ItmID=x.SubRItmID "
                "left join KX_Base_Unit as u on u.UntID=i.ItmUnitID "
                "left join KX_Base_Unit as du on du.UntID=%5 "
                "left join KX_MRP_ItemSetting as mt on mt.ItmID=x.SubRItmID "
                "left join KX_Base_Department as d on d.DeptID=mt.%7 "
                "left join KX_Base_Supplier as v on v.SuppID=mt.%7 "
                "left join KX_MRP_DestAlters as a on a.DstSchIID=%2 and a.DstSupIID=x.SupIID and a.DstDmdIID=x.DmdIID "
                "and a.DstItmID=x.SubRItmID and a.DstItmProps=x.SubRProps "
                "order by x.DmdIID, x.SubGlobal, x.SubPriority, i.ItmNo")
                .arg(parent.SupIID).arg(scheme, ids.join(QLatin1Char(',')), props,
                     unitKind == btPR ? QStringLiteral("i.ItmBuyUnitID") : QStringLiteral("i.ItmProdUnitID"),
                     unitKind == btMO ? QStringLiteral("true") : QStringLiteral("false"), deptColumn);
    q.Open();
    TColumnReader c(q);
    for (int i = 0; i < q.RecordCount(); ++i) {
        TMRPOutputRow s;
        s.Level = 1;
        s.Parent = row;
        s.Checked = parent.Checked;
        s.SupIID = parent.SupIID;
        s.Period = parent.Period;
        s.SupBillType = parent.SupBillType;
        s.DestType = parent.DestType;
        s.DmdIID = c.Int(i, "DmdIID");
        s.ItmID = c.Text(i, "SubRItmID");
        s.ItmProps = c.Text(i, "SubRProps");
        c.Props(i, "SubRProp", s.ItmProp);
        s.ItmNo = c.Text(i, "ItmNo");
        s.ItmName = c.Text(i, "ItmName");
        s.ItmSpec = c.Text(i, "ItmSpec");
        s.UnitName = c.Text(i, "UntName");
        s.SubQty = c.Number(i, "SubQty");
        s.SubRQty = c.Number(i, "SubRQty");
        s.SubSeqNo = c.Int(i, "SubPriority");
        s.SubUsed = c.Text(i, "Used") == QLatin1String("t") || c.Int(i, "Used") != 0;
        s.BomType = c.Int(i, "SubBomType");
        s.BomID = c.Text(i, "SubBomID");
        s.BomNo = c.Text(i, "SubBomNo");
        s.DestUnitID = c.Text(i, "DestUnitID");
        s.DestUnitName = c.Text(i, "DestUnitName");
        s.DestUnitRate = c.Number(i, "DestUnitRate") > 0 ? c.Number(i, "DestUnitRate") : 1.0;
        s.DeptID = c.Text(i, "DeptID");
        s.DeptName = c.Text(i, "DeptName");
        s.CurID = c.Text(i, "CurID");
        s.PlannerID = c.Text(i, "ItmPlannerID");
        s.BuyerID = c.Text(i, "ItmBuyerID");
        // The most of the substitute that may stand in for the parent's share of the demand.
        s.Qty = s.SubQty > 0 ? Round8(shares.value(s.DmdIID) * s.SubRQty / s.SubQty) : 0.0;
        s.DestQty = c.Number(i, "DstQty");
        // Trace, group and dates follow the parent: the substitute serves its demand.
        const TMRPOutputRow& p = parent;
        s.BillNo = p.BillNo;
        s.BillDate = p.BillDate, s.DrawDate = p.DrawDate, s.Date = p.Date, s.OldDate = p.OldDate;
        s.OrigType = p.OrigType, s.OrigID = p.OrigID, s.OrigNo = p.OrigNo, s.OrigEntry = p.OrigEntry;
        s.OrigItmID = p.OrigItmID, s.OrigItmNo = p.OrigItmNo, s.OrigItmName = p.OrigItmName, s.OrigItmSpec = p.OrigItmSpec;
        s.OrigCustID = p.OrigCustID, s.OrigCust = p.OrigCust, s.OrigCustPO = p.OrigCustPO;
        s.OrigTag = p.OrigTag, s.OrigSubTag = p.OrigSubTag, s.GroupType = p.GroupType, s.GroupNo = p.GroupNo;
        s.TrackKey = p.TrackKey;
        RecomputeOutputRow(s);
        Rows.push_back(s);
        Rows[size_t(row)].Children << int(Rows.size()) - 1;
    }
    Rows[size_t(row)].HasSubs = !Rows[size_t(row)].Children.isEmpty();
}

} // namespace kx
