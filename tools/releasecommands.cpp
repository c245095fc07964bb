#include "releasecommands.h"

#include "clihost.h"
#include "db/errors.h"
#include "db/messages.h"
#include "db/quote.h"
#include "db/shared.h"
#include "engine/planscheme.h"
#include "release/outputlist.h"
#include "release/publishing.h"
#include "release/release.h"

#include <cstdio>

namespace kx::cli {

namespace {

void Print(const QString& text)
{
    std::printf("%s\n", QString(text).replace(QLatin1Char('\r'), QLatin1Char(' ')).toUtf8().constData());
}

int Usage(const char* text)
{
    std::fputs(text, stderr);
    return 2;
}

// The scheme named by --scheme: 0 when missing, -1 (after saying so) when it is no number.
int SchemeOption(QStringList& args)
{
    const QString text = TakeOption(args, QStringLiteral("scheme"));
    bool ok = false;
    const int iid = text.toInt(&ok);
    if (!text.isEmpty() && (!ok || iid <= 0)) {
        std::fprintf(stderr, "%s\n", QStringLiteral("参数--scheme的值(%1)无效!").arg(text).toUtf8().constData());
        return -1;
    }
    return text.isEmpty() ? 0 : iid;
}

// The IDs of users and groups given by their numbers.
QStringList ReceiverIDs(TConnection& connection, const QString& numbers)
{
    QStringList ids;
    for (const QString& raw : numbers.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString no = raw.trimmed();
        TQuery q(&connection);
        q.SQL = QStringLiteral("select UsrID from KX_SYS_Users where UsrNo=%1 union all select GrpID from KX_SYS_UserGroups where GrpNo=%1")
                    .arg(QuotedStr(no));
        q.Open();
        if (q.IsEmpty())
            throw EKxError(QStringLiteral("用户或用户组\"%1\"不存在!").arg(no));
        ids << q.Fields(0).AsString();
    }
    return ids;
}

[[noreturn]] void RefuseState(const TReleaseScheme& scheme)
{
    throw EKxError(QStringLiteral("计划方案[%1]的当前状态(%2)不能执行本操作!").arg(scheme.Name, TPlanScheme::PlanStateText(scheme.State)));
}

void ChangeState(TConnection& connection, TReleaseScheme& scheme, int newState)
{
    if (!ChangeReleaseState(connection, scheme, newState, scheme.State))
        throw EKxError(StateChangeFailedText());
}

const char* const kPublishUsage =
    "用法: kxmrp publish --scheme ID [--to 用户代码[,用户代码...]] [--copy 新名称] [--only-mps] [--no-output]\n"
    "      kxmrp publish --scheme ID (--withdraw | --allow | --close) [--to 用户代码[,...]]\n"
    "  发布自己的计划方案给接收用户或用户组 (默认直接发布并允许投放); --copy 复制为新方案后发布,\n"
    "  --only-mps 仅发布主需求(复制发布时), --no-output 发布后不允许投放;\n"
    "  --withdraw 取消发布, --allow 允许投放, --close 关闭投放。[--login 用户代码]\n";

} // namespace

int RunPublishCommand(const TConnectOptions& options, QStringList args)
{
    TCliHost host(options, TakeOption(args, QStringLiteral("login")));
    const int iid = SchemeOption(args);
    const QString to = TakeOption(args, QStringLiteral("to"));
    const QString copyName = TakeOption(args, QStringLiteral("copy"));
    const bool onlyMpsWanted = TakeFlag(args, QStringLiteral("only-mps"));
    const bool noOutput = TakeFlag(args, QStringLiteral("no-output"));
    const bool withdraw = TakeFlag(args, QStringLiteral("withdraw"));
    const bool allow = TakeFlag(args, QStringLiteral("allow"));
    const bool close = TakeFlag(args, QStringLiteral("close"));
    if (iid < 0)
        return 2;
    if (iid == 0 || !args.isEmpty() || int(withdraw) + int(allow) + int(close) > 1
        || ((withdraw || allow || close) && (!copyName.isEmpty() || onlyMpsWanted || noOutput)))
        return Usage(kPublishUsage);
    TConnection& connection = host.Connection();
    const QString user = EnvUserID();
    TReleaseScheme scheme;
    for (const TReleaseScheme& s : LoadOwnSchemes(connection, user))
        if (s.IID == iid)
            scheme = s;
    if (scheme.IID == 0)
        throw EKxError(QStringLiteral("计划方案%1不存在, 或不是可发布的自有方案!").arg(iid));
    const QStringList receivers = to.isEmpty() ? QStringList() : ReceiverIDs(connection, to);

    if (withdraw || allow || close) {
        const bool can = withdraw ? CanWithdraw(scheme.State) : allow ? CanAllowRelease(scheme.State) : CanCloseRelease(scheme.State, scheme.MrpRun);
        if (!can)
            RefuseState(scheme);
        const QString question = withdraw ? QStringLiteral("计划方案取消发布后, 您可以修改计划和再发布。确定取消所选计划方案的发布?")
                               : allow    ? QStringLiteral("允许所选计划方案的发布接收用户投放计划结果至ERP系统?")
                                          : QStringLiteral("计划方案关闭投放后, 发布接收用户可以继续查询计划。确定对所选的计划方案关闭投放?");
        if (ShowQuestion(question, mbOKCancel) != mrOK)
            return 1;
        ChangeState(connection, scheme, withdraw ? psUnpublished : allow ? psPublished : psReleaseClosed);
        if (!receivers.isEmpty() && CanEditReceivers(scheme.State))
            AddReceivers(connection, scheme.IID, receivers);
    } else {
        if (!CanPublish(scheme.State))
            RefuseState(scheme);
        const bool canCopy = scheme.State == psMPSReady || scheme.State == psMRPDone;
        if (!copyName.isEmpty() && !canCopy)
            throw EKxError(QStringLiteral("计划方案[%1]只能直接发布!").arg(scheme.Name));
        // Without a run only the main demand can be published; otherwise only a copy may leave
        // the results behind.
        const bool onlyMps = scheme.State == psMPSReady || !scheme.MrpRun || (onlyMpsWanted && !copyName.isEmpty());
        if (onlyMpsWanted && copyName.isEmpty() && !onlyMps)
            return Usage(kPublishUsage);
        if (!onlyMps) {
            const int missing = MissingBomCount(connection, scheme.IID);
            if (missing > 0
                && ShowQuestion(QStringLiteral("所选方案存在%1条非采购性质的MRP供应计划缺少BOM, 这意味着MRP数据可能不完整, 确定发布?").arg(missing),
                                mbOKCancel) != mrOK)
                return 1;
        }
        if (!copyName.isEmpty()) {
            const QString fault = CheckCopyName(connection, copyName, scheme.Name, user);
            if (!fault.isEmpty())
                throw EKxError(fault);
            const int copied = CopySchemeForPublish(connection, scheme.IID, copyName, onlyMps);
            Print(QStringLiteral("已从计划方案[%1]复制全部数据至[%2]").arg(scheme.Name, copyName.trimmed()));
            scheme.IID = copied;
            scheme.Name = copyName.trimmed();
            scheme.MrpRun = scheme.MrpRun && !onlyMps;
        }
        AddReceivers(connection, scheme.IID, receivers);
        if (LoadReceivers(connection, scheme.IID).isEmpty())
            Print(QStringLiteral("提示: 您刚取消了选择计划发布的接收用户, 发布完成后可以通过\"增加用户\"功能再作选择。"));
        ChangeState(connection, scheme, onlyMps || !noOutput ? psPublished : psReleaseClosed);
    }
    Print(QStringLiteral("执行完成。"));
    Print(QStringLiteral("方案 %1: %2").arg(scheme.IID).arg(scheme.Text()));
    for (const TUserRec& u : LoadReceivers(connection, scheme.IID))
        Print(QStringLiteral("  %1 %2").arg(u.IsGroup ? QStringLiteral("用户组") : QStringLiteral("用户"), u.DisplayName()));
    return 0;
}

namespace {

// The result list on the terminal: printed as a tree once the release is over, findings
// naming the row they concern.
class TConsoleReleaseSink : public IReleaseSink {
public:
    explicit TConsoleReleaseSink(const TMRPOutputList& list) : FList(list) {}

    void Clear() override { FLines.clear(); }
    int AddLine(TMessageKind kind, const QString& text, int parent, int row, const QString&) override
    {
        FLines.push_back({kind, text, parent, row});
        return int(FLines.size()) - 1;
    }
    void ChangeLine(int line, TMessageKind kind, const QString& text) override
    {
        FLines[size_t(line)].Kind = qMax(FLines[size_t(line)].Kind, kind);
        FLines[size_t(line)].Text = text;
    }
    bool EditOptions(int destType) override
    {
        std::fprintf(stderr, "%s\n", QStringLiteral("[%1]的投放选项缺少部门或%2, 请先在桌面的\"投放选项\"中设置!")
                                         .arg(MrpBillTypeText(destType), OutputEmployeeLabel(destType).left(3))
                                         .toUtf8().constData());
        return false;
    }
    void PrintLines(int parent = -1, int depth = 0) const
    {
        for (size_t i = 0; i < FLines.size(); ++i) {
            const TLine& line = FLines[i];
            if (line.Parent != parent)
                continue;
            const char* mark = line.Kind == mkError ? "错误 " : line.Kind == mkWarning ? "警告 " : "";
            QString where;
            if (line.Row >= 0) {
                const TMRPOutputRow& r = FList.Rows[size_t(line.Row)];
                where = QStringLiteral("[%1 %2] ").arg(r.BillNo, r.ItmNo);
            }
            Print(QString(depth * 4, QLatin1Char(' ')) + QLatin1String(mark) + where + line.Text);
            PrintLines(int(i), depth + 1);
        }
    }

private:
    struct TLine {
        TMessageKind Kind;
        QString Text;
        int Parent;
        int Row;
    };
    const TMRPOutputList& FList;
    std::vector<TLine> FLines;
};

const char* const kReleaseUsage =
    "用法: kxmrp release --scheme ID [--dest 22|24|36|38] [--all] [--login 用户代码]\n"
    "  按用户保存的投放选项, 投放已发布方案的全部可投放计划 (--dest 只投放该类目标单据);\n"
    "  检查发现警告时默认停止, --all 在有警告时仍继续投放。\n";

} // namespace

int RunReleaseCommand(const TConnectOptions& options, QStringList args)
{
    TCliHost host(options, TakeOption(args, QStringLiteral("login")));
    const int iid = SchemeOption(args);
    const QString destText = TakeOption(args, QStringLiteral("dest"));
    const bool all = TakeFlag(args, QStringLiteral("all"));
    if (iid < 0)
        return 2;
    if (iid == 0 || !args.isEmpty())
        return Usage(kReleaseUsage);
    const int dest = destText.toInt();
    if (!destText.isEmpty() && dest != btMO && dest != btOO && dest != btOR && dest != btPR) {
        std::fprintf(stderr, "%s\n", QStringLiteral("参数--dest的值(%1)无效, 应为22、24、36或38!").arg(destText).toUtf8().constData());
        return 2;
    }
    TConnection& connection = host.Connection();
    const TModuleEnvironment* env = Env();
    const TReleaseRights rights = ReleaseRightsOf(env && env->GetObjectDef ? env->GetObjectDef(kOutputObjectID) : nullptr);
    if (!rights.Any())
        throw EKxError(QStringLiteral("用户没有投放计划的权限!"));
    bool releasable = false;
    for (const TReleaseScheme& s : LoadReleasableSchemes(connection, EnvUserID(), EnvText(env->UserGroups)))
        releasable = releasable || s.IID == iid;
    TPlanScheme scheme(&connection);
    if (!scheme.Load(iid))
        throw EKxError(QStringLiteral("计划方案%1不存在!").arg(iid));
    if (!releasable)
        throw EKxError(QStringLiteral("计划方案[%1]已取消发布, 或已关闭投放, 不能继续进行投放!").arg(scheme.SchemeName));

    TMRPOutputFilter filter;
    filter.SchemeIID = iid;
    filter.PlanType = dest == btMO ? 1 : dest == btPR ? 3 : dest != 0 ? 2 : 0;
    TMRPOutputList list;
    list.Load(connection, filter);
    for (int row : list.TopRows)
        if (dest != 0 && list.Rows[size_t(row)].DestType != dest)
            list.SetDestType(connection, row, dest);
    list.SetAllChecked(true);
    Print(QStringLiteral("计划方案[%1]: 可投放计划 %2 行").arg(scheme.SchemeName).arg(list.TopRows.size()));

    TConsoleReleaseSink sink(list);
    TConsoleProgress progress;
    TMRPRelease release(connection, scheme, list, sink, progress);
    release.Rights = rights;
    release.Access = env->ERPAccess;
    release.UserID = EnvUserID();
    release.UserName = EnvUserName();
    // Warnings stop a nightly release unless it was told to go on.
    const TMessageResponder previous = SetMessageResponder([&](const TMessageRequest& request) {
        if (request.Icon == miQuestion && !all) {
            std::fprintf(stderr, "%s (未指定--all, 投放中止)\n", QString(request.Text).replace(QLatin1Char('\r'), QLatin1Char(' ')).toUtf8().constData());
            return int(mrNo);
        }
        return previous ? previous(request) : DefaultAnswer(request.Buttons);
    });
    const bool generated = release.Run();
    SetMessageResponder(previous);
    sink.PrintLines();
    const TReleaseCounts& c = release.Counts();
    return generated && c.RowsFailed == 0 && c.Left() == 0 ? 0 : 1;
}

} // namespace kx::cli
