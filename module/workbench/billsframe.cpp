#include "workbench/billsframe.h"

#include "db/shared.h"
#include "views/designedcolumns.h"
#include "views/messagebox.h"
#include "workbench/schemeviewlink.h"

#include "views/gridmodel.h"

#include <QRegularExpression>

#include <QTreeView>

namespace kx {

namespace {

// The value of a "name=value" line of master values, a quoted text unquoted.
QString MasterValue(const QString& values, const QString& name)
{
    for (const QString& line : values.split(QRegularExpression(QStringLiteral("[\r\n]+")), Qt::SkipEmptyParts)) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0 || line.left(eq).trimmed().compare(name, Qt::CaseInsensitive) != 0)
            continue;
        QString value = line.mid(eq + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(QLatin1Char('\'')) && value.endsWith(QLatin1Char('\'')))
            value = value.mid(1, value.size() - 2).replace(QLatin1String("''"), QLatin1String("'"));
        return value.compare(QLatin1String("null"), Qt::CaseInsensitive) == 0 ? QString() : value;
    }
    return QString();
}

} // namespace

TMRPBillsFrame::TMRPBillsFrame(QWidget* owner, const TInfoObjectDef* objectDef) : TInfoGridView(owner, objectDef)
{
    grdMain->setObjectName(QStringLiteral("grvBills"));
    AddDesignedColumns(
        *this,
        {{"", flFixedLeft, {{"BillClass", "类别", 90}, {"SupBillType", "类型", 80}, {"SupBillNo", "单据编号", 120}}},
         {"",
          flNormal,
          {{"SupBillEntry", "单据行", 44},      {"SupBillDate", "单据日期", 80},        {"SupDate", "供需日期", 80},
           {"DeptName", "供需单位", 80},        {"SupNote", "备注", 80},                {"BomNo", "BOM单", 110},
           {"OrigType", "主需求", 66},          {"OrigNo", "主需求号", 110},            {"OrigCust", "主需求客户", 90},
           {"OrigCustPO", "主需求客户单号", 100}, {"OrigItmNo", "主需求物料代码", 100},  {"OrigItmName", "主需求物料名称", 100},
           {"OrigItmSpec", "主需求规格型号", 100}, {"SupOrigTag", "需求分类号", 80},      {"SupBillQty", "单据数量", 66},
           {"SupOkQty", "执行数量", 66},        {"SupInvQty", "分配库存数", 70},        {"SupPOQty", "分配采购数", 70},
           {"SupOOQty", "分配委外数", 70},      {"SupMOQty", "分配生产数", 70},         {"SupChkQty", "(在检数)", 66},
           {"SupPRQty", "分配采购申请", 80},    {"SupORQty", "分配委外申请", 80},       {"SupMRQty", "分配生产计划", 80},
           {"SupPPPQty", "分配MRP计划", 80},    {"SupReplQty", "(替代数)", 66},         {"SupQty", "供需数量", 66},
           {"SupRestQty", "剩余数量", 66},      {"AltItmNo", "替代物料代码", 90},       {"AltItmName", "替代物料名称", 90},
           {"AltItmSpec", "替代规格型号", 90},  {"AltQty", "替代对方数", 70}}}});
}

void TMRPBillsFrame::SetBalanceRow(const TBalanceKey& key, int period)
{
    FKey = key;
    FPeriod = period;
    DataIsFresh = false;
    if (isVisible() || !ViewScheme.ID.isEmpty())
        RefreshData(false);
}

void TMRPBillsFrame::SetMasterValues(const QString& Values, bool Refresh)
{
    TCustomInfoView::SetMasterValues(Values, false);
    TBalanceKey key;
    key.SchemeIID = MasterValue(Values, QStringLiteral("BalSchIID")).toInt();
    key.ItmID = MasterValue(Values, QStringLiteral("BalItmID"));
    key.ItmProps = MasterValue(Values, QStringLiteral("BalItmProps"));
    key.GroupType = MasterValue(Values, QStringLiteral("BalGroupType")).toInt();
    key.GroupNo = MasterValue(Values, QStringLiteral("BalGroupNo"));
    bool ok = false;
    const int period = MasterValue(Values, QStringLiteral("Period")).toInt(&ok);
    FKey = key;
    FPeriod = ok ? period : -1;
    if (Refresh)
        RefreshData(false);
}

void TMRPBillsFrame::LoadData(bool KeepPosition)
{
    const QString position = KeepPosition ? GetViewPosition() : QString();
    if (FKey.SchemeIID <= 0 || FKey.ItmID.isEmpty()) {
        RecordModel()->Clear();
        return;
    }
    BuiltSQL = BalanceBillsSQL(FKey, FPeriod, ViewScheme.OrderBySQL.trimmed());
    LoadRows(BuiltSQL, false, position);
}

} // namespace kx
