#include "workbench/mainpick.h"

#include "db/quote.h"
#include "engine/mainimport.h"
#include "engine/objectquery.h"

#include <QStringList>

#include <algorithm>

namespace kx {

namespace {

const struct {
    TMRPMainImportType Type;
    int BillType;
    const char* Prefix;
    const char* DeptCaption;
} kPicks[] = {
    {itSelectSO, btSO, "SO", "部门"},      {itSelectSI, btSI, "SI", "部门"},      {itSelectForcast, btForcast, "For", "部门"},
    {itSelectMO, btMO, "MO", "生产单位"},  {itSelectMR, btMR, "MR", "生产单位"},  {itSelectOO, btOO, "OO", "部门"},
    {itSelectOR, btOR, "OR", "部门"},
};

// Hidden columns carry the values of a line: "#" before each name.
QString Hidden(const QString& fields)
{
    return QString(fields).replace(QStringLiteral(" as \""), QStringLiteral(" as \"#"));
}

} // namespace

int BillTypeOfPick(TMRPMainImportType type)
{
    for (const auto& p : kPicks)
        if (p.Type == type)
            return p.BillType;
    return 0;
}

QString MainPickSQL(TMRPMainImportType type, const QString& condition)
{
    const auto* pick = std::find_if(std::begin(kPicks), std::end(kPicks), [type](const auto& p) { return p.Type == type; });
    if (pick == std::end(kPicks))
        return QString();
    const TInfoObjectDef* def = RequireObjectDef(MainBillObjectID(pick->BillType));
    if (!def)
        return QString();
    const QString p = QLatin1String(pick->Prefix);
    const bool customer = pick->BillType == btSO || pick->BillType == btSI || pick->BillType == btForcast;
    const bool forcast = pick->BillType == btForcast;
    const bool made = pick->BillType == btMO || pick->BillType == btOO;
    QStringList shown;
    shown << QStringLiteral("s.%1DelivDate as \"需求日期\"").arg(p) << QStringLiteral("s.%1No as \"单据编号\"").arg(p)
          << QStringLiteral("s.%1Entry as \"单据行\"").arg(p)
          << QStringLiteral("i.ItmNo as \"%1\"").arg(forcast ? QStringLiteral("产品代码") : QStringLiteral("物料代码"))
          << QStringLiteral("i.ItmName as \"%1\"").arg(forcast ? QStringLiteral("产品名称") : QStringLiteral("物料名称"))
          << QStringLiteral("i.ItmSpec as \"规格型号\"");
    if (customer)
        shown << QStringLiteral("(select c.CustName from KX_Base_Customer as c where c.CustID=s.%1CustID) as \"客户\"").arg(p)
              << (forcast ? QStringLiteral("null as \"客户单号\"") : QStringLiteral("s.%1CustPO as \"客户单号\"").arg(p));
    shown << QStringLiteral("left(coalesce(s.%1Note,''), 500) as \"备注\"").arg(p) << QStringLiteral("s.%1BillQty as \"单据数量\"").arg(p)
          << QStringLiteral("s.%1OkQty as \"%2\"").arg(p, forcast ? QStringLiteral("已执行数") : QStringLiteral("已交数量"))
          << QStringLiteral("(select u.UntName from KX_Base_Unit as u where u.UntID=i.ItmUnitID) as \"单位\"")
          << QStringLiteral("$$BomNo$$ as \"BOM\"")
          << QStringLiteral("(select d.DeptName from KX_Base_Department as d where d.DeptID=s.%1DeptID) as \"%2\"")
                 .arg(p, QString::fromUtf8(pick->DeptCaption))
          << QStringLiteral("s.%1Date as \"单据日期\"").arg(p);
    QString where = QStringLiteral("s.CanMRP<>0 and (mt.ItmMrpSkip=0 or mt.ItmMrpSkip is null)");
    // Work and outsourcing orders are offered only with a component MRP may use.
    if (made)
        where += QStringLiteral(" and exists (select 1 from KX_MRP_%1BOM as b left join KX_MRP_ItemSetting as bt on bt.ItmID=b.BomItmID "
                                "where b.%1ID=s.%1ID and b.%1Entry=s.%1Entry and b.CanMRP<>0 and b.BomQty>0 and b.BomRole=0 "
                                "and (bt.ItmMrpSkip=0 or bt.ItmMrpSkip is null))")
                     .arg(p);
    if (!condition.trimmed().isEmpty())
        where += QStringLiteral(" and (%1)").arg(condition);
    const QString fields = shown.join(QStringLiteral(", ")) + QStringLiteral(", ") + Hidden(MainBillLineFields(pick->BillType));
    const QString sql = ComposeObjectStatement(def, QString(), fields, where, QStringLiteral("s.%1DelivDate, s.%1No, s.%1Entry").arg(p));
    return sql.isEmpty() ? QString()
                         : QStringLiteral("select t.*, t.\"#NeedQty\" as \"需求数量\" from (%1) as t where t.\"#NeedQty\">0").arg(sql);
}

QString SupplyPickSQL(int sourceSchemeIID, const QString& sourceName)
{
    // A planned supply without a bill is named by the source scheme: its line number, and
    // the bill number joined with the scheme's name.
    QStringList types;
    for (int t : {btMO, btMR, btPlanMO, btPlanMOSkip, btOO, btOR, btPlanOO, btPlanOOSkip, btPlanOther, btPlanMOVirtual, btPlanOOVirtual})
        types << SQLInt(t);
    return QStringLiteral(
               "select s.SupDate as \"需求日期\", coalesce(nullif(s.SupBillNo,''), '')||'@'||%2 as \"单据编号\", "
               "coalesce(nullif(s.SupBillEntry, 0), s.SupIID) as \"单据行\", i.ItmNo as \"物料代码\", i.ItmName as \"物料名称\", "
               "i.ItmSpec as \"规格型号\", left(coalesce(s.SupNote,''), 500) as \"备注\", s.SupQty as \"需求数量\", "
               "(select u.UntName from KX_Base_Unit as u where u.UntID=i.ItmUnitID) as \"单位\", "
               "s.SupBillType as \"#BillType\", coalesce(nullif(s.SupBillID,''), cast(s.SupSchIID as varchar(50))) as \"#BillID\", "
               "coalesce(nullif(s.SupBillNo,''), '')||'@'||%2 as \"#BillNo\", coalesce(nullif(s.SupBillEntry, 0), s.SupIID) as \"#BillEntry\", "
               "s.SupBillDate as \"#BillDate\", s.SupBillQty as \"#BillQty\", s.SupDeptID as \"#DeptID\", s.SupSuppID as \"#SuppID\", "
               "s.SupItmID as \"#ItmID\", s.SupItmProps as \"#ItmProps\", %3, s.SupOrigTag as \"#OrigTag\", "
               "s.SupOrigSubTag as \"#OrigSubTag\", s.SupGroupType as \"#GroupType\", s.SupGroupNo as \"#GroupNo\", "
               "s.SupBomType as \"#BomType\", s.SupBomID as \"#BomID\", coalesce(s.SupOrigType, 0) as \"#OrigType\", "
               "s.SupOrigID as \"#OrigID\", s.SupOrigNo as \"#OrigNo\", coalesce(s.SupOrigEntry, 0) as \"#OrigEntry\", "
               "s.SupOrigItmID as \"#OrigItmID\", s.SupOrigCustID as \"#OrigCustID\", s.SupOrigCustPO as \"#OrigCustPO\", "
               "0 as \"#DedQty\", 0 as \"#ExeQty\", s.SupQty as \"#NeedQty\", s.SupDate as \"#NeedDate\", "
               "left(coalesce(s.SupNote,''), 500) as \"#Note\" "
               "from KX_MRP_Supplies as s join KX_Base_ItemMaster as i on i.ItmID=s.SupItmID "
               "where s.SupSchIID=%1 and s.SupBillType in (%4) and s.SupQty>0")
        .arg(SQLInt(sourceSchemeIID), QuotedStr(sourceName),
             [] {
                 QStringList props;
                 for (int n = 1; n <= 10; ++n)
                     props << QStringLiteral("s.SupItmProp%1 as \"#ItmProp%1\"").arg(n);
                 return props.join(QStringLiteral(", "));
             }(),
             types.join(QStringLiteral(", ")));
}

QString MainPickSearch()
{
    return QStringLiteral("\"单据编号\" like '%'||%0:s||'%' or \"物料名称\" like '%'||%0:s||'%' or coalesce(\"备注\",'') like '%'||%0:s||'%' "
                          "order by \"需求日期\", \"单据编号\", \"单据行\"");
}

TMainDemandLine PickedMainLine(TMRPMainImportType type, const std::function<QVariant(const QString& column)>& value)
{
    TMainDemandLine line;
    ReadBillLine([&value](const QString& name) { return value(QLatin1Char('#') + name); }, line);
    const int billType = BillTypeOfPick(type);
    line.BillType = billType != 0 ? billType : value(QStringLiteral("#BillType")).toInt();
    // Customer bills are their own origin; the others carry one.
    if (line.OrigType == 0 && (line.BillType == btSO || line.BillType == btSI || line.BillType == btForcast))
        line.OrigType = line.BillType;
    line.NeedQty = value(QStringLiteral("需求数量")).toDouble();
    line.Qty = line.NeedQty;
    line.AdjQty = 0;
    return line;
}

} // namespace kx
