// kxmrp publish and kxmrp release, as a nightly job runs them: the same checks, result lines and
// bills as the desktop, the user's saved settings, warnings that stop the job unless --all, and
// bad options refused with exit status 2.
#include "releasefixture.h"

#include "db/shared.h"
#include "engine/planscheme.h"
#include "release/publishing.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

namespace {

struct TRun {
    int Exit = -1;
    QString Out;
    QString Err;
};

// kxmrp as a user of the demo (password: the login followed by "123").
TRun Kxmrp(const QString& user, const QStringList& args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"KXMRP_LOGIN", "KXMRP_PASSWORD", "KXMRP_DATABASE", "KXMRP_SERVER"})
        env.remove(QLatin1String(name));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(KX_KXMRP_PROGRAM),
            QStringList{QStringLiteral("--server"), TTestDatabase::Server(), QStringLiteral("--database"),
                        QStringLiteral("kxt_kxmrprelease"), QStringLiteral("--login"), user, QStringLiteral("--password"),
                        user + QStringLiteral("123")} + args);
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(120000));
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

int PRBills()
{
    return TSql::Scalar(QStringLiteral("select count(*) from KX_Bill_PRHead where PRID not like 'DM-%'")).toInt();
}

} // namespace

class KxmrpRelease : public TReleaseTest {};

TEST_F(KxmrpRelease, PublishThenReleaseRequisitionsAsTheBuyerWithHisSettings)
{
    const int iid = CopySchemeForPublish(SharedConnection(), RunScheme, QStringLiteral("夜间投放"), false);
    const QString scheme = QString::number(iid);

    TRun run = Kxmrp(QStringLiteral("liming"), {QStringLiteral("publish"), QStringLiteral("--scheme"), scheme, QStringLiteral("--to"),
                                                QStringLiteral("zhangli")});
    ASSERT_EQ(run.Exit, 0) << run.Err.toStdString();
    EXPECT_TRUE(run.Out.contains(QStringLiteral("执行完成。")));
    EXPECT_TRUE(run.Out.contains(QStringLiteral("  用户 张丽(zhangli)")));
    EXPECT_EQ(Scalar(QStringLiteral("select SchState from KX_MRP_Schemes where SchIID=%1").arg(iid)).toInt(), int(psPublished));

    const QStringList release{QStringLiteral("release"), QStringLiteral("--scheme"), scheme, QStringLiteral("--dest"), QStringLiteral("38")};
    // Without a department and an employee for requisitions nothing is released.
    run = Kxmrp(QStringLiteral("zhangli"), release);
    EXPECT_EQ(run.Exit, 1);
    EXPECT_TRUE(run.Err.contains(QStringLiteral("[采购申请]的投放选项缺少部门或业务员")));
    EXPECT_EQ(PRBills(), 0);

    LoginAs(QStringLiteral("zhangli"));
    SetOptions(btPR, [](TMRPOutputOptions& o) {
        o.DepartmentID = QStringLiteral("DM-D-PUR");
        o.EmployeeID = QStringLiteral("DM-E-03");
    });
    // Rows started before today warn; a nightly job stops there unless told to go on.
    run = Kxmrp(QStringLiteral("zhangli"), release);
    EXPECT_EQ(run.Exit, 1);
    EXPECT_TRUE(run.Err.contains(QStringLiteral("继续执行投放? (未指定--all, 投放中止)")));
    EXPECT_TRUE(run.Out.contains(QStringLiteral("4.06.004] [开工日期]的值(2026/11/20)早于今天")));
    EXPECT_EQ(PRBills(), 0);

    run = Kxmrp(QStringLiteral("zhangli"), release + QStringList{QStringLiteral("--all")});
    EXPECT_EQ(run.Exit, 0) << run.Err.toStdString();
    const int bills = PRBills();
    EXPECT_GT(bills, 0);
    EXPECT_TRUE(run.Out.contains(QStringLiteral("成功保存(%1张单据), 0行失败保存, 0行未保存!").arg(bills))) << run.Out.toStdString();
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_MRP_Supplies where SupSchIID=%1 and SupBillType=58 and "
                                    "SupQty>coalesce(SupDestQty,0)").arg(iid)).toInt(), 0);
    EXPECT_EQ(Scalar(QStringLiteral("select SchState from KX_MRP_Schemes where SchIID=%1").arg(iid)).toInt(), int(psReleased));
}

TEST_F(KxmrpRelease, RefusesBadOptionsAndBillKindsTheUserMayNotRelease)
{
    const int iid = PublishedCopy(QStringLiteral("拒绝方案"));
    const QString scheme = QString::number(iid);
    TRun run = Kxmrp(QStringLiteral("zhangli"), {QStringLiteral("release"), QStringLiteral("--scheme"), scheme, QStringLiteral("--dest"),
                                                 QStringLiteral("99")});
    EXPECT_EQ(run.Exit, 2);
    EXPECT_TRUE(run.Err.contains(QStringLiteral("参数--dest的值(99)"))) << run.Err.toStdString();
    run = Kxmrp(QStringLiteral("liming"), {QStringLiteral("publish"), QStringLiteral("--scheme"), QStringLiteral("x1")});
    EXPECT_EQ(run.Exit, 2);
    // The planner holds no right to requisitions.
    run = Kxmrp(QStringLiteral("liming"), {QStringLiteral("release"), QStringLiteral("--scheme"), scheme, QStringLiteral("--dest"),
                                           QStringLiteral("38")});
    EXPECT_EQ(run.Exit, 3);
    EXPECT_TRUE(run.Err.contains(QStringLiteral("(需要[投放采购申请]权限)"))) << run.Err.toStdString();
    // Nor may the buyer publish.
    run = Kxmrp(QStringLiteral("zhangli"), {QStringLiteral("publish"), QStringLiteral("--scheme"), scheme, QStringLiteral("--close")});
    EXPECT_EQ(run.Exit, 3);
    // Withdrawing twice: the second finds the scheme withdrawn already.
    const QStringList withdraw{QStringLiteral("publish"), QStringLiteral("--scheme"), scheme, QStringLiteral("--withdraw")};
    run = Kxmrp(QStringLiteral("liming"), withdraw);
    EXPECT_EQ(run.Exit, 0) << run.Err.toStdString();
    run = Kxmrp(QStringLiteral("liming"), withdraw);
    EXPECT_EQ(run.Exit, 1);
    EXPECT_TRUE(run.Err.contains(QStringLiteral("计划方案[拒绝方案]的当前状态(计划方案已取消发布)不能执行本操作!"))) << run.Err.toStdString();
    // A withdrawn scheme is not the buyer's to release.
    run = Kxmrp(QStringLiteral("zhangli"), {QStringLiteral("release"), QStringLiteral("--scheme"), scheme});
    EXPECT_EQ(run.Exit, 1);
    EXPECT_EQ(PRBills(), 0);
}
