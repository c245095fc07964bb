// After the automatic deduction of the demo factory through "kxmrp deduct", fetching main
// demand through "kxmrp mps" (both as the demo planner) plans what is left of each forecast and the orders as they are:
// the order quantity a forecast covered is no longer planned twice.
#include "db/shared.h"
#include "testdatabase.h"

#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

namespace {

struct TRun {
    int Status = -1;
    QString Output;
};

TRun Kxmrp(const QString& database, const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(KX_KXMRP_PATH),
            QStringList{QStringLiteral("--server"), TTestDatabase::Server(), QStringLiteral("--database"), database,
                        QStringLiteral("--login"), QStringLiteral("liming"), QStringLiteral("--password"), QStringLiteral("liming123")} + args);
    p.waitForFinished(300000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()) + QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

class DeductThenFetchMainDemand : public TDemoDatabaseTest {
public:
    static void SetUpTestSuite() { TDemoDatabaseTest::SetUpTestSuite(); }
};

TEST_F(DeductThenFetchMainDemand, PlansTheForecastsRemainderAndTheOrdersOnce)
{
    const QString monday = QDate::currentDate().addDays(1 - QDate::currentDate().dayOfWeek()).toString(QStringLiteral("yyyy-MM-dd"));
    const TRun created = Kxmrp(DatabaseName(), {QStringLiteral("scheme"), QStringLiteral("create"), QStringLiteral("--name"),
                                                QStringLiteral("冲销检查"), QStringLiteral("--source"), QStringLiteral("0"),
                                                QStringLiteral("--from"), monday, QStringLiteral("--weeks"), QStringLiteral("26")});
    ASSERT_EQ(created.Status, 0) << created.Output.toStdString();
    const QString scheme = QRegularExpression(QStringLiteral("方案 (\\d+):")).match(created.Output).captured(1);
    ASSERT_FALSE(scheme.isEmpty()) << created.Output.toStdString();
    // What main demand plans per bill line: forecasts (8) and orders (2, 4).
    const QString planned = QStringLiteral("select ManBillType||' '||ManBillNo||'/'||ManBillEntry||' '||ManQty::float8||' '||ManDedQty::float8 "
                                           "from KX_MRP_Main where ManSchIID=%1 and ManBillType in (2, 4, 8) order by 1").arg(scheme);
    ASSERT_EQ(Kxmrp(DatabaseName(), {QStringLiteral("mps"), QStringLiteral("--scheme"), scheme}).Status, 0);
    const QStringList before = Rows(planned);
    const double totalBefore = Scalar(QStringLiteral("select sum(ManQty) from KX_MRP_Main where ManSchIID=%1").arg(scheme)).toDouble();

    // Orders due at most 14 days before or 30 days after a forecast (delivery days from the
    // demo's base date in brackets):
    //   FC2611-001/2 wall fan, no customer, 300 [24]: SO2611-001/2 [10] 100, SI2611-001/2 [18] 200 of 240.
    //   FC2611-001/3 desk fan white, 粤美, 400 [24]: SO2611-002/1 [12] 300.
    //   FC2612-001/2 desk fan blue, no customer, 300 [52]: SI2612-001/1 [40] 300 of 400.
    // The floor fans find nothing: SO2612-001/1 was made from its forecast, SO2612-003 is a draft,
    // SO2612-002/2 [45] lies outside FC2612-001/3's window [56 .. 100].
    const TRun deducted = Kxmrp(DatabaseName(), {QStringLiteral("deduct"), QStringLiteral("--before"), QStringLiteral("14"),
                                                 QStringLiteral("--after"), QStringLiteral("30")});
    ASSERT_EQ(deducted.Status, 0) << deducted.Output.toStdString();
    EXPECT_TRUE(deducted.Output.contains(QStringLiteral("冲销 4 对"))) << deducted.Output.toStdString();
    EXPECT_EQ(Rows(QStringLiteral("select f.ForNo||'/'||d.DedForEntry||' '||coalesce(so.SONo, si.SINo)||'/'||d.DedOrdEntry||' '||"
                                  "d.DedForQty::float8 from KX_MRP_Deduction as d join KX_MRP_ForcastHead as f on f.ForID=d.DedForID "
                                  "left join KX_MRP_SOHead as so on so.SOID=d.DedOrdID and d.DedOrdType=2 "
                                  "left join KX_MRP_SIHead as si on si.SIID=d.DedOrdID and d.DedOrdType=4 order by 1")),
              (QStringList{QStringLiteral("FC2611-001/2 SI2611-001/2 200"), QStringLiteral("FC2611-001/2 SO2611-001/2 100"),
                           QStringLiteral("FC2611-001/3 SO2611-002/1 300"), QStringLiteral("FC2612-001/2 SI2612-001/1 300")}));

    ASSERT_EQ(Kxmrp(DatabaseName(), {QStringLiteral("mps"), QStringLiteral("--scheme"), scheme}).Status, 0);
    const QStringList after = Rows(planned);
    // The two forecasts used up are gone, the third plans its 100 left; the orders plan what
    // they did, now showing what they deducted.
    for (const QString& gone : {QStringLiteral("8 FC2611-001/2 300 0"), QStringLiteral("8 FC2612-001/2 300 0")}) {
        EXPECT_TRUE(before.contains(gone)) << gone.toStdString();
        EXPECT_FALSE(after.join(u';').contains(gone.section(u' ', 0, 1) + u' ')) << gone.toStdString();
    }
    EXPECT_TRUE(before.contains(QStringLiteral("8 FC2611-001/3 400 0")));
    EXPECT_TRUE(after.contains(QStringLiteral("8 FC2611-001/3 100 300")));
    for (const auto& [was, is] : {std::pair{"2 SO2611-001/2 100 0", "2 SO2611-001/2 100 100"},
                                  {"2 SO2611-002/1 300 0", "2 SO2611-002/1 300 300"},
                                  {"4 SI2611-001/2 240 0", "4 SI2611-001/2 240 200"}}) {
        EXPECT_TRUE(before.contains(QLatin1String(was))) << was;
        EXPECT_TRUE(after.contains(QLatin1String(is))) << is;
    }
    const double totalAfter = Scalar(QStringLiteral("select sum(ManQty) from KX_MRP_Main where ManSchIID=%1").arg(scheme)).toDouble();
    EXPECT_DOUBLE_EQ(totalBefore - totalAfter, 900);

    // A bad option is named, with the usage, and nothing runs.
    const TRun refused = Kxmrp(DatabaseName(), {QStringLiteral("deduct"), QStringLiteral("--span"), QStringLiteral("year")});
    EXPECT_EQ(refused.Status, 2);
    EXPECT_TRUE(refused.Output.startsWith(QStringLiteral("kxmrp deduct: 参数--span的值(year)无效, 应为date, week, month之一!")))
        << refused.Output.toStdString();
}
