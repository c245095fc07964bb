#include "schemecommands.h"

#include "clihost.h"
#include "db/errors.h"
#include "db/quote.h"
#include "db/settings.h"
#include "db/strutils.h"
#include "engine/maindemand.h"
#include "engine/mainimport.h"

#include <QElapsedTimer>

#include <cstdio>

namespace kx::cli {

namespace {

void Print(const QString& text)
{
    std::printf("%s\n", text.toUtf8().constData());
}

int Usage(const char* text)
{
    std::fputs(text, stderr);
    return 2;
}

int IntOption(QStringList& args, const char* name, int fallback)
{
    const QString text = TakeOption(args, QLatin1String(name));
    if (text.isEmpty())
        return fallback;
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok)
        throw EKxError(QStringLiteral("参数--%1的值(%2)无效!").arg(QLatin1String(name), text));
    return value;
}

void PrintScheme(const TPlanScheme& s)
{
    auto time = [](const QDateTime& t) { return t.isValid() ? DateTimeToText(t) : QStringLiteral("-"); };
    Print(QStringLiteral("方案 %1: %2").arg(s.SchemeIID).arg(s.SchemeName));
    Print(QStringLiteral("  状态: %1 (%2)").arg(s.PlanState).arg(s.GetPlanStateText()));
    Print(QStringLiteral("  创建者: %1  创建: %2  更新: %3").arg(s.Creater, time(s.CreateTime), time(s.UpdateTime)));
    Print(QStringLiteral("  主需求源 %1, 需求范围 %2, 安全库存 %3, 物料替代 %4, 齐套 %5, 跟踪合并 %6%7%8%9")
              .arg(s.PlanSource).arg(s.PlanNeedScope).arg(s.CareItemSafety).arg(s.CareItemReplace).arg(s.CareItemSuites)
              .arg(s.CareMRPTrackMode)
              .arg(s.CareItemMRPTrack ? QStringLiteral(", 物料跟踪") : QString())
              .arg(s.CareItemLossRate ? QStringLiteral(", 损耗率") : QString())
              .arg(s.CareItemLotRule ? QStringLiteral(", 批量规则") : QString()));
    Print(QStringLiteral("  日历 %1, 展望期 %2 个: %3 至 %4")
              .arg(s.PlanCalIID).arg(qMax(0, int(s.PlanPeriods.size()) - 2))
              .arg(DateToText(HorizonBegin(s.PlanPeriods)), DateToText(HorizonEnd(s.PlanPeriods))));
    Print(QStringLiteral("  主需求: %1  MRP: %2").arg(time(s.MpsRunTime), time(s.MrpRunTime)));
}

const char* const kSchemeUsage =
    "用法:\n"
    "  kxmrp scheme create --name 名称 [--source 0-3] [--scope 0-8] [--calendar ID] [--from yyyy-mm-dd]\n"
    "                      [--weeks N | --days N | --months N] [--safety 0-2] [--replace 0-3] [--suites 0-3]\n"
    "                      [--track 0-5|9] [--item-track] [--loss] [--lot]\n"
    "  kxmrp scheme list\n"
    "  kxmrp scheme show --scheme ID\n"
    "  (每个命令都可加 --login 用户代码, 缺省为系统管理员)\n";

} // namespace

int RunSchemeCommand(const TConnectOptions& options, QStringList args)
{
    if (args.isEmpty())
        return Usage(kSchemeUsage);
    const QString action = args.takeFirst();
    TCliHost host(options, TakeOption(args, QStringLiteral("login")));
    if (action == QLatin1String("create")) {
        TPlanScheme s(&host.Connection());
        s.SchemeName = TakeOption(args, QStringLiteral("name")).trimmed();
        if (s.SchemeName.isEmpty())
            throw EKxError(QStringLiteral("[%1]的内容不能为空!").arg(QStringLiteral("方案名称")));
        s.PlanSource = IntOption(args, "source", srcForcastAndOrders);
        s.PlanNeedScope = IntOption(args, "scope", 0);
        s.PlanCalIID = IntOption(args, "calendar", 0);
        s.CareItemSafety = IntOption(args, "safety", 1);
        s.CareItemReplace = IntOption(args, "replace", 3);
        s.CareItemSuites = IntOption(args, "suites", 0);
        s.CareMRPTrackMode = IntOption(args, "track", 0);
        s.CareItemMRPTrack = TakeFlag(args, QStringLiteral("item-track"));
        s.CareItemLossRate = TakeFlag(args, QStringLiteral("loss"));
        s.CareItemLotRule = TakeFlag(args, QStringLiteral("lot"));
        const QString fromText = TakeOption(args, QStringLiteral("from"));
        QDate from = fromText.isEmpty() ? QDate::currentDate() : TextToDateTime(fromText).date();
        if (!from.isValid())
            throw EKxError(QStringLiteral("参数--from的值(%1)无效!").arg(fromText));
        QString unit = QStringLiteral("weeks");
        int count = 12;
        for (const char* u : {"days", "weeks", "months"}) {
            const int n = IntOption(args, u, 0);
            if (n > 0) {
                unit = QLatin1String(u);
                count = n;
            }
        }
        if (unit == QLatin1String("weeks"))
            from = from.addDays(1 - from.dayOfWeek());
        s.PlanPeriods = ConsecutivePeriods(from, count, unit);
        if (!args.isEmpty())
            return Usage(kSchemeUsage);
        s.PlanState = DeriveSavedState(true, 0, {}, TSchemeParams::Of(s));
        if (!s.Save())
            return 1;
        PrintScheme(s);
        return 0;
    }
    if (action == QLatin1String("list") && args.isEmpty()) {
        TQuery q(&host.Connection());
        q.SQL = QStringLiteral("select SchIID, SchName, SchState, UsrName, SchMaxTime from KX_MRP_Schemes left join KX_SYS_Users "
                               "on SchUsrID=UsrID where SchType=0 order by SchMaxTime desc");
        q.Open();
        for (q.First(); !q.Eof(); q.Next())
            Print(QStringLiteral("%1\t%2\t%3\t%4\t%5")
                      .arg(q.Fields(0).AsString(), q.Fields(1).AsString(), TPlanScheme::PlanStateText(q.Fields(2).AsInteger()),
                           q.Fields(3).AsString(), q.Fields(4).AsString()));
        return 0;
    }
    if (action == QLatin1String("show")) {
        const int iid = IntOption(args, "scheme", 0);
        if (!args.isEmpty() || iid <= 0)
            return Usage(kSchemeUsage);
        TPlanScheme s(&host.Connection());
        if (!s.Load(iid))
            throw EKxError(QStringLiteral("计划方案%1不存在!").arg(iid));
        PrintScheme(s);
        return 0;
    }
    return Usage(kSchemeUsage);
}

int RunMpsCommand(const TConnectOptions& options, QStringList args)
{
    static const char* const kUsage =
        "用法: kxmrp mps --scheme ID [--keep-free] [--keep-adj] [--import 文件 [--type so|mo|free] [--merge]] [--login 用户代码]\n";
    TCliHost host(options, TakeOption(args, QStringLiteral("login")));
    const int iid = IntOption(args, "scheme", 0);
    const bool keepFree = TakeFlag(args, QStringLiteral("keep-free"));
    const bool keepAdj = TakeFlag(args, QStringLiteral("keep-adj"));
    const QString file = TakeOption(args, QStringLiteral("import"));
    const QString type = TakeOption(args, QStringLiteral("type"), QStringLiteral("so"));
    const bool merge = TakeFlag(args, QStringLiteral("merge"));
    if (iid <= 0 || !args.isEmpty())
        return Usage(kUsage);
    TPlanScheme s(&host.Connection());
    if (!s.Load(iid))
        throw EKxError(QStringLiteral("计划方案%1不存在!").arg(iid));
    if (s.PlanState >= psPublished)
        throw EKxError(QStringLiteral("计划方案[%1]已发布, 不能获取主需求!").arg(s.SchemeName));
    TConsoleProgress progress;
    QElapsedTimer timer;
    timer.start();
    bool ok = false;
    if (file.isEmpty()) {
        ok = s.RunMPS(keepFree, keepAdj, progress);
    } else {
        const TMRPMainImportType importType = type == QLatin1String("mo") ? itImportMOorOO
                                            : type == QLatin1String("free") ? itImportFreeNeed
                                                                           : itImportSOorForcast;
        QList<TImportIssue> issues;
        ok = ImportMainDemand(s, importType, ReadTableFile(file), merge ? wtInsertOrUpdate : wtOverwriteAll, progress, issues);
        for (const TImportIssue& issue : issues)
            Print(QStringLiteral("第%1行: %2").arg(issue.Row).arg(QString(issue.Text).replace(QLatin1Char('\r'), QLatin1Char(' '))));
    }
    if (!ok)
        return 1;
    TQuery q(&host.Connection());
    q.SQL = QStringLiteral("select count(*), coalesce(sum(ManQty), 0) from KX_MRP_Main where ManSchIID=%1").arg(SQLInt(iid));
    q.Open();
    Print(QStringLiteral("主需求 %1 行, 计划数量合计 %2, 用时 %3 秒; 状态: %4")
              .arg(q.Fields(0).AsString(), FloatToText(q.Fields(1).AsFloat()))
              .arg(double(timer.elapsed()) / 1000.0, 0, 'f', 2)
              .arg(s.GetPlanStateText()));
    return 0;
}

} // namespace kx::cli

namespace kx::cli {

int RunMrpCommand(const TConnectOptions& options, QStringList args)
{
    static const char* const kUsage = "用法: kxmrp run --scheme ID [--keep-type] [--keep-bom] [--keep-qty] [--login 用户代码]\n";
    TCliHost host(options, TakeOption(args, QStringLiteral("login")));
    const int iid = IntOption(args, "scheme", 0);
    const bool keepType = TakeFlag(args, QStringLiteral("keep-type"));
    const bool keepBom = TakeFlag(args, QStringLiteral("keep-bom"));
    const bool keepQty = TakeFlag(args, QStringLiteral("keep-qty"));
    if (iid <= 0 || !args.isEmpty())
        return Usage(kUsage);
    TPlanScheme s(&host.Connection());
    if (!s.Load(iid))
        throw EKxError(QStringLiteral("计划方案%1不存在!").arg(iid));
    TConsoleProgress progress(false);
    QElapsedTimer timer;
    timer.start();
    const TMRPLogEvent log = [](int kind, int indent, const QString& text, const QString& time) {
        const char* mark = kind == 3 ? "错误 " : kind == 2 ? "警告 " : "";
        std::printf("%s%s%s%s\n", time.toUtf8().constData(), indent ? "    " : "", mark,
                    QString(text).replace(QLatin1Char('\r'), QStringLiteral("\n        ")).toUtf8().constData());
        std::fflush(stdout);
    };
    const bool ok = s.RunMRP(keepType, keepBom, log, progress, keepQty);
    Print(QStringLiteral("用时 %1 秒; 状态: %2").arg(double(timer.elapsed()) / 1000.0, 0, 'f', 2).arg(s.GetPlanStateText()));
    return ok ? 0 : 1;
}

} // namespace kx::cli
