// The release's preparation and its check pass: calendar, server time and scheme state, then
// every checked row in tree order, each accepted row merged into its entry.
#include "release/release.h"

#include "db/errors.h"
#include "db/messages.h"
#include "db/quote.h"
#include "db/settings.h"
#include "db/sqlrun.h"
#include "db/strutils.h"
#include "engine/planscheme.h"
#include "engine/progress.h"
#include "engine/schemelock.h"
#include "kx_mrp/erpaccess.h"
#include "kx_mrp/objectdef.h"
#include "release/outputlist.h"
#include "release/publishing.h"

namespace kx {

namespace {

const QString kClass = QStringLiteral("KX_MRP");

QString QtyText(double qty)
{
    return FloatToText(Round8(qty));
}

} // namespace

bool TReleaseRights::Allows(int destType) const
{
    switch (destType) {
    case btMO: return ToMO;
    case btOO:
    case btOR: return ToOR;
    case btPR: return ToPR;
    default: return false;
    }
}

TReleaseRights ReleaseRightsOf(const TInfoObjectDef* def)
{
    TReleaseRights rights;
    if (def) {
        rights.ToMO = def->GetAccessGroup(QStringLiteral("ToMO")) != nullptr;
        rights.ToOR = def->GetAccessGroup(QStringLiteral("ToOR")) != nullptr;
        rights.ToPR = def->GetAccessGroup(QStringLiteral("ToPR")) != nullptr;
    }
    return rights;
}

QString ReleaseSummaryText(const TReleaseCounts& c)
{
    return QStringLiteral("共生成%1行单据, 其中%2行成功保存(%3张单据), %4行失败保存, %5行未保存!")
        .arg(c.Entries).arg(c.RowsSaved).arg(c.BillsSaved).arg(c.RowsFailed).arg(c.Left());
}

TMRPRelease::TMRPRelease(TConnection& connection, TPlanScheme& scheme, TMRPOutputList& list, IReleaseSink& sink,
                         IEngineProgress& progress)
    : FConnection(connection), FScheme(scheme), FList(list), FSink(sink), FProgress(progress)
{
    HostCall = [](const std::function<void()>& call) { call(); };
}

bool TMRPRelease::Run()
{
    FCounts = TReleaseCounts();
    FEntries.clear();
    FEntryOfKey.clear();
    FOptions.clear();
    FStateMoved = false;
    FSummary.clear();
    // Nobody else rewrites the scheme while it is being released from.
    std::unique_ptr<TSchemeLock> lock;
    try {
        lock = std::make_unique<TSchemeLock>(FConnection, FScheme.SchemeIID, FScheme.Caption(), QStringLiteral("投放计划"));
    } catch (const EKxError& e) {
        ShowSchemeRefusal(e);
        return false;
    }
    try {
        if (!Prepare())
            return false;
        CheckRows();
        if (FCounts.Accepted == 0 && FCounts.Errors == 0) {
            const QString text = QStringLiteral("未发现有可投放的数据。");
            FSink.AddLine(mkInformation, text);
            ShowInfo(text);
            return false;
        }
        if (FCounts.Errors > 0) {
            ShowError(QStringLiteral("检查待投放数据时发现错误%1个, 请修正后再投放!").arg(FCounts.Errors));
            return false;
        }
        if (FCounts.Warnings > 0
            && ShowQuestion(QStringLiteral("检查待投放数据时发现警告%1个, 继续执行投放?").arg(FCounts.Warnings), mbYesNo) != mrYes)
            return false;
        if (!CheckState())
            return false;
        FinishEntries();
        Generate();
        return true;
    } catch (const EAbort&) {
        return false;
    } catch (const TCancelledOptions&) {
        return false;
    } catch (const EKxError& e) {
        ShowException(e);
        return false;
    }
}

// Steps before the checks: the calendar's holidays, the server's time and the scheme state.
bool TMRPRelease::Prepare()
{
    TQuery q(&FConnection);
    const QDate from = FScheme.MrpPeriods.isEmpty() ? QDate::currentDate().addYears(-1) : FScheme.MrpPeriods.first().DateBegin;
    if (!LoadHolidays(q, FScheme.MrpCalIID, from, FHolidays)) {
        ShowError(QStringLiteral("获取工厂日历信息失败, 中止投放!"));
        return false;
    }
    if (!GetServerTime(q, FServerTime)) {
        ShowError(QStringLiteral("获取服务器当前时间失败, 中止投放!"));
        return false;
    }
    FToday = FServerTime.date();
    if (!CheckState())
        return false;
    FProgress.ShowText(QStringLiteral("正在投放计划数据, 按[Esc]键可以中止..."));
    FSink.Clear();
    FSummaryLine = FSink.AddLine(mkInformation, QStringLiteral("检查待投放数据: 警告0个, 错误0个 ..."));
    FPROutputItemSubs = ReadSettingBool(kClass, QStringLiteral("PROutputItemSubs"), true, false);
    FBomQtyUseStdQty = ReadSettingBool(kClass, QStringLiteral("BomQtyUseStdQty"), true, false);
    return true;
}

// Only a published scheme, or one already released from, may be released (schemes of the
// analyses have no publishing).
bool TMRPRelease::CheckState()
{
    if (FScheme.PlanType != 0)
        return true;
    if (FScheme.LoadState() && (FScheme.PlanState == psPublished || FScheme.PlanState == psReleased))
        return true;
    ShowError(QStringLiteral("计划方案[%1]已取消发布, 或已关闭投放, 不能继续进行投放!").arg(FScheme.SchemeName));
    return false;
}

void TMRPRelease::AddFinding(TMessageKind kind, const QString& text, int row, const QString& field)
{
    if (kind == mkError)
        ++FCounts.Errors;
    else
        ++FCounts.Warnings;
    FSink.AddLine(kind, text, FSummaryLine, row, field);
    FSink.ChangeLine(FSummaryLine, FCounts.Errors > 0 ? mkError : mkWarning,
                     QStringLiteral("检查待投放数据: 警告%1个, 错误%2个 ...").arg(FCounts.Warnings).arg(FCounts.Errors));
}

void TMRPRelease::CheckRows()
{
    int done = 0;
    for (int row : FList.TopRows) {
        FProgress.ShowPosition(++done, FList.TopRows.size());
        const TMRPOutputRow& r = FList.Rows[size_t(row)];
        if (!r.Checked)
            continue;
        FProgress.CheckAbort();
        // Purchase rows take their substitutes along when requisitions carry them.
        if (r.DestType == btPR && !r.ChildrenLoaded && Rights.ToPR && FPROutputItemSubs)
            FList.LoadSubstitutes(FConnection, row);
        if (CheckRow(row) && FCounts.Errors == 0)
            MergeRow(row);
        const QList<int> children = FList.Rows[size_t(row)].Children;
        for (int child : children)
            if (FList.Rows[size_t(child)].Checked && CheckRow(child) && FCounts.Errors == 0)
                MergeRow(child);
    }
}

// The checks of one row; true when it is accepted for release.
bool TMRPRelease::CheckRow(int row)
{
    TMRPOutputRow& r = FList.Rows[size_t(row)];
    const int errors = FCounts.Errors;
    if (r.Level == 0 && !CheckMainDemand(row))
        return false;
    const QString doDest = QStringLiteral("SupDoDestQty");
    if (r.UnDestQty < 0)
        AddFinding(mkWarning, QStringLiteral("拟投放数(%1)超过可投放数(%2=计划数量%3-已投放数%4)!")
                                  .arg(QtyText(r.DoDestQty), QtyText(r.Qty - r.DestQty), QtyText(r.Qty), QtyText(r.DestQty)),
                   row, doDest);
    if (r.DoDestQty < 0) {
        // A row whose substitutes are shown is judged by them.
        if (r.Level == 0 && !r.Children.isEmpty())
            return false;
        AddFinding(mkError, FieldCheckText(r.Level == 0 ? fcNotGreater : fcNotGreaterOrEqual, QStringLiteral("拟投放数"),
                                           QtyText(r.DoDestQty), QStringLiteral("0")),
                   row, doDest);
        return false;
    }
    if (r.DoDestQty == 0)
        return false;
    if (!Rights.Allows(r.DestType)) {
        AddFinding(mkWarning, QStringLiteral("没有投放%1的权限, 该行放弃投放!").arg(MrpBillTypeText(r.DestType)), row,
                   QStringLiteral("SupDestType"));
        return false;
    }
    if (!LoadOptions(r.DestType))
        throw TCancelledOptions();
    if ((r.DestType == btMO || r.DestType == btOO) && r.DeptID.isEmpty()) {
        const QString caption = QStringLiteral("供应单位");
        AddFinding(mkError, r.DeptText.isEmpty() ? FieldCheckText(fcEmpty, caption) : FieldCheckText(fcNotExists, caption, r.DeptText),
                   row, QStringLiteral("SupDept"));
    }
    const QDate draw = r.DrawDate.isValid() ? r.DrawDate : r.Date;
    if (draw.isValid() && draw < FToday)
        AddFinding(mkWarning, QStringLiteral("[%1]的值(%2)早于今天(%3), 投放时自动调整为今天!")
                                  .arg(QStringLiteral("开工日期"), DateToText(draw), DateToText(FToday)),
                   row, QStringLiteral("SupDrawDate"));
    if (r.Date.isValid() && r.Date < FToday)
        AddFinding(mkWarning, QStringLiteral("[%1]的值(%2)早于今天(%3), 投放时自动调整为今天!")
                                  .arg(QStringLiteral("交货日期"), DateToText(r.Date), DateToText(FToday)),
                   row, QStringLiteral("SupDate"));
    if (!r.Date.isValid())
        AddFinding(mkError, FieldCheckText(fcEmpty, QStringLiteral("交货日期")), row, QStringLiteral("SupDate"));
    else if (Raised(r.Date) < Raised(draw))
        AddFinding(mkError, FieldCheckText(fcNotGreaterOrEqualField, QStringLiteral("交货日期"), QString(), QStringLiteral("开工日期")),
                   row, QStringLiteral("SupDate"));
    if ((r.DestType == btMO || r.DestType == btOO || r.DestType == btOR) && r.BomID.isEmpty())
        AddFinding(mkError, FieldCheckText(fcEmpty, QStringLiteral("BOM单")), row, QStringLiteral("SupBOM"));
    if (FCounts.Errors > errors)
        return false;
    ++FCounts.Accepted;
    return true;
}

// The main demand a row serves must still exist as a checked sales line, export line or
// forecast.
bool TMRPRelease::CheckMainDemand(int row)
{
    const TMRPOutputRow& r = FList.Rows[size_t(row)];
    if (r.OrigNo.isEmpty() || (r.OrigType != btSO && r.OrigType != btSI && r.OrigType != btForcast))
        return true;
    const QString key = QStringLiteral("%1\n%2\n%3\n%4").arg(r.OrigType).arg(r.OrigID).arg(r.OrigEntry).arg(r.OrigItmID);
    auto found = FMainDemandFound.find(key);
    if (found == FMainDemandFound.end()) {
        const char* view = r.OrigType == btSO ? "SO" : r.OrigType == btSI ? "SI" : "For";
        const QString table = r.OrigType == btForcast ? QStringLiteral("KX_MRP_Forcast") : QStringLiteral("KX_MRP_%1").arg(QLatin1String(view));
        TQuery q(&FConnection);
        q.SQL = QStringLiteral("select 1 from %1 where %2ID=%3 and Checked=1 and (%4=0 or %2Entry=%4) and (%5='' or %2ItmID=%5) limit 1")
                    .arg(table, QLatin1String(view), QuotedStr(r.OrigID)).arg(r.OrigEntry).arg(QuotedStr(r.OrigItmID));
        q.Open();
        found = FMainDemandFound.insert(key, !q.IsEmpty());
    }
    if (found.value())
        return true;
    QString what = MrpBillTypeText(r.OrigType) + QStringLiteral(": ") + r.OrigNo;
    if (r.OrigEntry != 0)
        what += QLatin1Char('/') + QString::number(r.OrigEntry);
    what += QStringLiteral(" | ") + r.OrigItmNo;
    AddFinding(mkError, QStringLiteral("主需求信息(%1)不存在或未审核!").arg(what), row, QStringLiteral("SupOrigNo"));
    return false;
}

// A destination type's settings, loaded on its first row; requisitions must name the
// department and the employee of their bills, or the user completes them now.
bool TMRPRelease::LoadOptions(int destType)
{
    if (FOptions.contains(destType))
        return true;
    int hostMax = 0;
    HostCall([&] { hostMax = Access ? Access->MaxBillRows(BillKindOf(destType)) : 0; });
    TMRPOutputOptions options = LoadOutputOptions(destType, hostMax);
    while ((destType == btOR || destType == btPR) && (options.DepartmentID.isEmpty() || options.EmployeeID.isEmpty())) {
        if (!FSink.EditOptions(destType))
            return false;
        options = LoadOutputOptions(destType, hostMax);
    }
    FOptions.insert(destType, options);
    return true;
}

QDate TMRPRelease::Raised(const QDate& date) const
{
    return date.isValid() && date < FToday ? FToday : date;
}

} // namespace kx
