#include "releasecommands.h"

#include "cliargs.h"
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
#include <limits>

namespace kx::cli {

namespace {

const QString kReleaseObjectID = QStringLiteral("KX_MRP.MRPRelease");

// Bill and line texts may hold carriage returns: each answer stays on its one line.
void PrintOneLine(const QString& text)
{
    Print(QString(text).replace(QLatin1Char('\r'), QLatin1Char(' ')));
}

// The IDs of users and groups given by their numbers ("zhangli,BUY").
QStringList ReceiverIDs(TConnection& connection, const TCliArgs& a, const QString& numbers)
{
    QStringList ids;
    for (const QString& raw : numbers.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString no = raw.trimmed();
        TQuery q(&connection);
        q.SQL = QStringLiteral("select UsrID from KX_SYS_Users where UsrNo=%1 union all select GrpID from KX_SYS_UserGroups where GrpNo=%1")
                    .arg(QuotedStr(no));
        q.Open();
        if (q.IsEmpty())
            a.RefuseValue("to", no, QStringLiteral("用户或用户组不存在"));
        ids << q.Fields(0).AsString();
    }
    return ids;
}

[[noreturn]] void RefuseState(const TReleaseScheme& scheme)
{
    throw ECliRefusal(QStringLiteral("kxmrp publish: 计划方案[%1]的当前状态(%2)不能执行本操作!")
                          .arg(scheme.Name, TPlanScheme::PlanStateText(scheme.State)),
                      esFailed);
}

void ChangeState(TConnection& connection, TReleaseScheme& scheme, int newState)
{
    if (!ChangeReleaseState(connection, scheme, newState, scheme.State))
        throw ECliRefusal(QStringLiteral("kxmrp publish: ") + StateChangeFailedText(), esFailed);
}

const char* const kPublishUsage =
    "用法: kxmrp publish --scheme ID [--to 用户或组代码[,...]] [--copy 新名称] [--only-mps] [--no-output]\n"
    "       kxmrp publish --scheme ID (--withdraw | --allow | --close) [--to 用户或组代码[,...]]\n"
    "  发布自己的计划方案给接收用户或用户组 (默认直接发布并允许投放); --copy 复制为新方案后发布,\n"
    "  --only-mps 仅发布主需求 (复制发布时), --no-output 发布后不允许投放;\n"
    "  --withdraw 取消发布, --allow 允许投放, --close 关闭投放。需要[计划方案发布]的修改权限。\n";

} // namespace

int RunPublishCommand(const TConnectOptions& options, QStringList args)
{
    TCliArgs a(args, QStringLiteral("publish"), QString::fromUtf8(kPublishUsage));
    const int iid = a.RequiredInt("scheme", 1, std::numeric_limits<int>::max());
    const QString to = a.Text("to", 2000);
    const QString copyName = a.Text("copy", 80);
    const bool onlyMpsWanted = a.Flag("only-mps");
    const bool noOutput = a.Flag("no-output");
    const bool withdraw = a.Flag("withdraw");
    const bool allow = a.Flag("allow");
    const bool close = a.Flag("close");
    a.Finish();
    if (int(withdraw) + int(allow) + int(close) > 1)
        a.Refuse(QStringLiteral("参数--withdraw, --allow和--close只能给出一个!"));
    if ((withdraw || allow || close) && (!copyName.isNull() || onlyMpsWanted || noOutput))
        a.Refuse(QStringLiteral("参数--copy, --only-mps和--no-output只用于发布!"));
    if (onlyMpsWanted && copyName.isNull())
        a.Refuse(QStringLiteral("参数--only-mps只用于复制发布(--copy)!"));

    TCliHost host(options);
    host.RequireRight(kReleaseObjectID, QStringLiteral("Update"));
    TConnection& connection = host.Connection();
    TReleaseScheme scheme;
    for (const TReleaseScheme& s : LoadOwnSchemes(connection, host.UserID()))
        if (s.IID == iid)
            scheme = s;
    if (scheme.IID == 0)
        throw ECliRefusal(QStringLiteral("kxmrp publish: 计划方案%1不存在, 或不是用户[%2]主需求就绪或MRP运算完成的方案!")
                              .arg(iid).arg(host.UserName()),
                          esFailed);
    const QStringList receivers = to.isEmpty() ? QStringList() : ReceiverIDs(connection, a, to);

    if (withdraw || allow || close) {
        const bool can = withdraw ? CanWithdraw(scheme.State) : allow ? CanAllowRelease(scheme.State) : CanCloseRelease(scheme.State, scheme.MrpRun);
        if (!can)
            RefuseState(scheme);
        const QString question = withdraw ? QStringLiteral("计划方案取消发布后, 您可以修改计划和再发布。确定取消所选计划方案的发布?")
                               : allow    ? QStringLiteral("允许所选计划方案的发布接收用户投放计划结果至ERP系统?")
                                          : QStringLiteral("计划方案关闭投放后, 发布接收用户可以继续查询计划。确定对所选的计划方案关闭投放?");
        if (ShowQuestion(question, mbOKCancel) != mrOK)
            return esFailed;
        ChangeState(connection, scheme, withdraw ? psUnpublished : allow ? psPublished : psReleaseClosed);
        if (!receivers.isEmpty() && CanEditReceivers(scheme.State))
            AddReceivers(connection, scheme.IID, receivers);
    } else {
        if (!CanPublish(scheme.State))
            RefuseState(scheme);
        if (!copyName.isNull() && scheme.State != psMPSReady && scheme.State != psMRPDone)
            throw ECliRefusal(QStringLiteral("kxmrp publish: 计划方案[%1]已取消发布, 只能直接发布!").arg(scheme.Name), esFailed);
        // Without a run only the main demand can be published; only a copy may leave the run behind.
        const bool onlyMps = scheme.State == psMPSReady || !scheme.MrpRun || onlyMpsWanted;
        if (!onlyMps) {
            const int missing = MissingBomCount(connection, scheme.IID);
            if (missing > 0
                && ShowQuestion(QStringLiteral("所选方案存在%1条非采购性质的MRP供应计划缺少BOM, 这意味着MRP数据可能不完整, 确定发布?").arg(missing),
                                mbOKCancel) != mrOK)
                return esFailed;
        }
        if (!copyName.isNull()) {
            const QString fault = CheckCopyName(connection, copyName, scheme.Name, host.UserID());
            if (!fault.isEmpty())
                a.Refuse(fault);
            NoteWorkSavedInSteps();
            scheme.IID = CopySchemeForPublish(connection, scheme.IID, copyName, onlyMps);
            PrintOneLine(QStringLiteral("已从计划方案[%1]复制全部数据至[%2]").arg(scheme.Name, copyName));
            scheme.Name = copyName;
            scheme.MrpRun = scheme.MrpRun && !onlyMps;
        }
        AddReceivers(connection, scheme.IID, receivers);
        if (LoadReceivers(connection, scheme.IID).isEmpty())
            PrintOneLine(QStringLiteral("提示: 您刚取消了选择计划发布的接收用户, 发布完成后可以通过\"增加用户\"功能再作选择。"));
        ChangeState(connection, scheme, onlyMps || !noOutput ? psPublished : psReleaseClosed);
    }
    PrintOneLine(QStringLiteral("执行完成。"));
    PrintOneLine(QStringLiteral("方案 %1: %2").arg(scheme.IID).arg(scheme.Text()));
    for (const TUserRec& u : LoadReceivers(connection, scheme.IID))
        PrintOneLine(QStringLiteral("  %1 %2").arg(u.IsGroup ? QStringLiteral("用户组") : QStringLiteral("用户"), u.DisplayName()));
    return esDone;
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
            PrintOneLine(QString(depth * 4, QLatin1Char(' ')) + QLatin1String(mark) + where + line.Text);
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
    "用法: kxmrp release --scheme ID [--dest 22|24|36|38] [--all]\n"
    "  按用户保存的投放选项, 投放已发布给用户的方案的全部可投放计划 (--dest 只投放该类目标单据:\n"
    "  22 生产任务, 24 委外订单, 36 委外申请, 38 采购申请); 检查发现警告时停止, --all 有警告时仍继续投放。\n"
    "  需要[MRP计划投放]及相应的投放权限。\n";

} // namespace

int RunReleaseCommand(const TConnectOptions& options, QStringList args)
{
    TCliArgs a(args, QStringLiteral("release"), QString::fromUtf8(kReleaseUsage));
    const int iid = a.RequiredInt("scheme", 1, std::numeric_limits<int>::max());
    const int dest = a.OneOf("dest", {btMO, btOO, btOR, btPR}, 0);
    const bool all = a.Flag("all");
    a.Finish();

    TCliHost host(options);
    // Releasing one kind of bill needs its right; releasing all needs one of them.
    static const char* const kRightOf[] = {"ToMO", "ToOR", "ToPR"};
    const char* needed = dest == btMO ? kRightOf[0] : dest == btPR ? kRightOf[2] : dest != 0 ? kRightOf[1] : nullptr;
    const TInfoObjectDef* def = host.RequireRight(kOutputObjectID, needed ? QLatin1String(needed) : QString());
    const TReleaseRights rights = ReleaseRightsOf(def);
    if (!rights.Any())
        host.RequireRight(kOutputObjectID, QLatin1String(kRightOf[0]));
    TConnection& connection = host.Connection();
    bool releasable = false;
    for (const TReleaseScheme& s : LoadReleasableSchemes(connection, host.UserID(), host.Catalogue().UserGroups()))
        releasable = releasable || s.IID == iid;
    TPlanScheme scheme(&connection);
    if (!scheme.Load(iid))
        throw ECliRefusal(QStringLiteral("kxmrp release: 计划方案%1不存在!").arg(iid), esFailed);
    if (!releasable)
        throw ECliRefusal(QStringLiteral("kxmrp release: 计划方案[%1]没有发布给用户[%2], 或已取消发布, 或已关闭投放, 不能投放!")
                              .arg(scheme.SchemeName, host.UserName()),
                          esFailed);

    TMRPOutputFilter filter;
    filter.SchemeIID = iid;
    filter.PlanType = dest == btMO ? 1 : dest == btPR ? 3 : dest != 0 ? 2 : 0;
    TMRPOutputList list;
    list.Load(connection, filter);
    for (int row : list.TopRows)
        if (dest != 0 && list.Rows[size_t(row)].DestType != dest)
            list.SetDestType(connection, row, dest);
    list.SetAllChecked(true);
    PrintOneLine(QStringLiteral("计划方案[%1]: 可投放计划 %2 行").arg(scheme.SchemeName).arg(list.TopRows.size()));

    TConsoleReleaseSink sink(list);
    TConsoleProgress progress;
    TMRPRelease release(connection, scheme, list, sink, progress);
    release.Rights = rights;
    release.Access = Env()->ERPAccess;
    release.UserID = host.UserID();
    release.UserName = host.UserName();
    // A nightly job stops on warnings unless it was told to go on.
    const TMessageResponder previous = SetMessageResponder([&all, &previous](const TMessageRequest& request) {
        if (request.Icon == miQuestion && !all) {
            std::fprintf(stderr, "%s (未指定--all, 投放中止)\n", QString(request.Text).replace(QLatin1Char('\r'), QLatin1Char(' ')).toUtf8().constData());
            return int(mrNo);
        }
        return previous ? previous(request) : DefaultAnswer(request.Buttons);
    });
    NoteWorkSavedInSteps();
    const bool generated = release.Run();
    SetMessageResponder(previous);
    sink.PrintLines();
    const TReleaseCounts& c = release.Counts();
    return generated && c.RowsFailed == 0 && c.Left() == 0 ? esDone : esFailed;
}

} // namespace kx::cli
