#include "releasefixture.h"

#include "db/shared.h"
#include "engine/planscheme.h"
#include "engine/progress.h"
#include "release/publishing.h"

namespace kx::test {

int TReleaseTest::RunScheme = 0;
TTestERPAccess TReleaseTest::Access;

int TRecordingSink::AddLine(TMessageKind kind, const QString& text, int, int row, const QString& field)
{
    static const char* const kinds[] = {"", "信息", "警告", "错误"};
    QString line = QStringLiteral("%1|%2").arg(QString::fromUtf8(kinds[kind]), text);
    if (row >= 0)
        line += QStringLiteral("|%1|%2").arg(FList.Rows[size_t(row)].ItmNo, field);
    Lines << line;
    return int(Lines.size()) - 1;
}

void TRecordingSink::ChangeLine(int line, TMessageKind kind, const QString& text)
{
    static const char* const kinds[] = {"", "信息", "警告", "错误"};
    Lines[line] = QStringLiteral("%1|%2").arg(QString::fromUtf8(kinds[kind]), text);
}

bool TRecordingSink::EditOptions(int destType)
{
    OptionsAsked << destType;
    return OnEditOptions ? OnEditOptions(destType) : false;
}

void TReleaseTest::SetUpTestSuite()
{
    TDemoDatabaseTest::SetUpTestSuite();
    Host().Env.ERPAccess = &Access;
    LoginAs(QStringLiteral("liming"));
    TPlanScheme scheme(&SharedConnection());
    scheme.SchemeName = QStringLiteral("十二月计划");
    scheme.PlanPeriods = WeeklyPeriods(QDate(2026, 12, 7), 8);
    scheme.PlanCalIID = 1;
    scheme.PlanState = DeriveSavedState(true, 0, {}, TSchemeParams::Of(scheme));
    TSilentProgress silent;
    ASSERT_TRUE(scheme.Save());
    ASSERT_TRUE(scheme.RunMPS(false, false, silent));
    ASSERT_TRUE(scheme.RunMRP(false, false, [](int, int, const QString&, const QString&) {}, silent, false));
    RunScheme = scheme.SchemeIID;
}

void TReleaseTest::TearDownTestSuite()
{
    Host().Env.ERPAccess = nullptr;
    TDemoDatabaseTest::TearDownTestSuite();
}

void TReleaseTest::SetUp()
{
    // Every test numbers its own bills from the first.
    for (const char* p : {"MO", "OO", "OR", "PR"})
        Exec(QStringLiteral("delete from KX_Bill_%1Head where %1ID not like 'DM-%'").arg(QLatin1String(p)));
    Exec(QStringLiteral("delete from KX_SYS_BillSerials"));
    Exec(QStringLiteral("delete from KX_SYS_UserSettings where SetClass='KX_MRP' and SetKey like 'Output%'"));
    Access.Stored.clear();
    Access.FailingStatement.clear();
    LoginAs(QStringLiteral("liming"));
}

void TReleaseTest::TearDown()
{
    LoginAs(QStringLiteral("liming"));
}

void TReleaseTest::LoginAs(const QString& userNo)
{
    const QStringList user = Rows(QStringLiteral("select UsrID, UsrName from KX_SYS_Users where UsrNo='%1'").arg(userNo)).value(0).split(QStringLiteral(", "));
    Host().SetUser(user.value(0), user.value(1));
    Host().SetUser(user.value(0), user.value(1), Host().Catalogue()->UserGroups());
}

int TReleaseTest::PublishedCopy(const QString& name)
{
    LoginAs(QStringLiteral("liming"));
    const int iid = CopySchemeForPublish(SharedConnection(), RunScheme, name, false);
    AddReceivers(SharedConnection(), iid, {QStringLiteral("DM-USR-ZHANGLI")});
    TReleaseScheme scheme;
    scheme.IID = iid;
    EXPECT_TRUE(ChangeReleaseState(SharedConnection(), scheme, psPublished, psMRPDone));
    return iid;
}

void TReleaseTest::LoadRows(TMRPOutputList& list, int scheme, int planType)
{
    TMRPOutputFilter filter;
    filter.SchemeIID = scheme;
    filter.PlanType = planType;
    list.Load(SharedConnection(), filter);
}

int TReleaseTest::FindRow(const TMRPOutputList& list, const QString& item, const QString& origin)
{
    for (int row : list.TopRows) {
        const TMRPOutputRow& r = list.Rows[size_t(row)];
        if (r.ItmNo == item && QStringLiteral("%1/%2").arg(r.OrigNo).arg(r.OrigEntry) == origin)
            return row;
    }
    return -1;
}

void TReleaseTest::Check(TMRPOutputList& list, const QStringList& rows)
{
    for (const QString& key : rows) {
        const int row = FindRow(list, key.section(QLatin1Char(' '), 0, 0), key.section(QLatin1Char(' '), 1));
        ASSERT_GE(row, 0) << key.toStdString();
        list.SetChecked(row, true);
    }
}

bool TReleaseTest::Release(int scheme, TMRPOutputList& list, TRecordingSink& sink, TReleaseCounts* counts,
                           IEngineProgress* progress)
{
    TPlanScheme plan(&SharedConnection());
    EXPECT_TRUE(plan.Load(scheme));
    TSilentProgress silent;
    TMRPRelease release(SharedConnection(), plan, list, sink, progress ? *progress : silent);
    release.Rights = ReleaseRightsOf(Host().Env.GetObjectDef(kOutputObjectID));
    release.Access = &Access;
    release.UserID = EnvUserID();
    release.UserName = EnvUserName();
    const bool generated = release.Run();
    if (counts)
        *counts = release.Counts();
    return generated;
}

void TReleaseTest::SetOptions(int destType, const std::function<void(TMRPOutputOptions&)>& change)
{
    TMRPOutputOptions options = LoadOutputOptions(destType, 500);
    change(options);
    SaveOutputOptions(destType, options);
}

} // namespace kx::test
