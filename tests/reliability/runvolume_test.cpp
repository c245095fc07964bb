// A run tracked so finely that its demand rows would not fit in the memory it may use stops
// before its first level, with its estimate and the coarser tracking modes and theirs, and
// changes nothing; the estimate is close to what a run that fits really makes.
#include "sessionfixture.h"

#include "db/settings.h"
#include "db/shared.h"
#include "engine/maindemand.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

class RunVolume : public TDemoDatabaseTest {
protected:
    std::unique_ptr<TPlanScheme> NewScheme(const QString& name, int trackMode)
    {
        auto s = std::make_unique<TPlanScheme>(&SharedConnection());
        s->SchemeName = name;
        s->CareMRPTrackMode = trackMode;
        s->PlanPeriods = WeeklyPeriods(QDate(2026, 12, 7), 8);
        s->PlanCalIID = 1;
        s->PlanState = DeriveSavedState(true, 0, {}, TSchemeParams::Of(*s));
        EXPECT_TRUE(s->Save());
        EXPECT_TRUE(s->RunMPS(false, false, Silent));
        return s;
    }

    bool Run(TPlanScheme& s)
    {
        Log.clear();
        return s.RunMRP(false, false, [this](int, int, const QString& text, const QString&) { Log << text; }, Silent, false);
    }

    // The estimate the run logged for its own mode.
    qint64 Estimate() const
    {
        static const QRegularExpression logged(QStringLiteral("估计的物料需求记录: ([0-9,]+) 条"));
        for (const QString& line : Log) {
            const QRegularExpressionMatch m = logged.match(line);
            if (m.hasMatch())
                return m.captured(1).remove(QLatin1Char(',')).toLongLong();
        }
        return -1;
    }

    TSilentProgress Silent;
    QStringList Log;
};

TEST_F(RunVolume, ARunThatWouldNotFitStopsBeforeItsLevelsWithTheEstimateAndTheCoarserModes)
{
    auto s = NewScheme(QStringLiteral("按订单行跟踪"), 0);
    // Tracked by order line, the demo fits: the estimate is what the run then makes.
    ASSERT_TRUE(Run(*s));
    const qint64 estimate = Estimate();
    const qint64 made = Scalar(QStringLiteral("select count(*) from KX_MRP_Demands where DmdSchIID=%1").arg(s->SchemeIID)).toLongLong();
    EXPECT_GT(estimate, 0);
    EXPECT_LT(std::abs(estimate - made), made / 2) << estimate << " estimated, " << made << " made";

    // Allowed no memory at all, it stops before the first level and keeps the results it had.
    WriteSetting(QStringLiteral("KX_MRP"), QStringLiteral("RunMemoryLimitMB"), true, QStringLiteral("0"));
    const QString before = ModuleTablesDigest();
    TScriptedMessages messages;
    EXPECT_FALSE(Run(*s));
    EXPECT_EQ(ModuleTablesDigest(), before);
    EXPECT_FALSE(Log.join(u'\n').contains(QStringLiteral("运算第1层")));
    const QString text = messages.LastText();
    EXPECT_TRUE(text.startsWith(QStringLiteral("MRP运算过程被中止（原因: 按跟踪合并方式\"主需求单据行\"运算, 估计将产生约%1条物料需求记录, ")
                                    .arg(QLocale(QLocale::Chinese, QLocale::China).toString(estimate))))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("超过了本次运算允许的0.0 GB, 运算未开始计算各层。\r\r请改用较粗的跟踪合并方式:\r1 \"主需求单据+物料\": 约")))
        << text.toStdString();
    // Every coarser mode is named, down to none.
    for (const char* mode : {"\r2 \"主需求单据\"", "\r3 \"主需求客户+物料\"", "\r4 \"主需求客户\"", "\r5 \"需求分类号\"", "\r9 \"(不跟踪)\""})
        EXPECT_TRUE(text.contains(QString::fromUtf8(mode))) << mode;

    // Without tracking nothing multiplies: the run goes on whatever it is allowed.
    auto untracked = NewScheme(QStringLiteral("不跟踪"), 9);
    EXPECT_TRUE(Run(*untracked));
    WriteSetting(QStringLiteral("KX_MRP"), QStringLiteral("RunMemoryLimitMB"), true, QStringLiteral("2048"));
}
