#include "workbenchfixture.h"

#include "db/shared.h"
#include "engine/progress.h"
#include "kx_mrp/exports.h"
#include "workbench/mainframe.h"
#include "workbench/mrpframe.h"

#include <QApplication>
#include <QTabWidget>

namespace kx::test {

QString TWorkbenchTest::FilterCode;
QString TWorkbenchTest::FilterText;
QStringList TWorkbenchTest::FilterObjects;

namespace {

bool FakeSelectFilter(const TInfoObjectDef* def, QString& code, bool, QString& text, void*)
{
    TWorkbenchTest::FilterObjects << def->ID + QLatin1Char('|') + code;
    if (TWorkbenchTest::FilterCode.isEmpty() && TWorkbenchTest::FilterText.isEmpty())
        return false;
    code = TWorkbenchTest::FilterCode;
    text = TWorkbenchTest::FilterText;
    return true;
}

} // namespace

void TWorkbenchTest::SetUpTestSuite()
{
    TMasterDataTest::SetUpTestSuite();
    Host().Env.SelectFilter = FakeSelectFilter;
}

void TWorkbenchTest::SetUp()
{
    TMasterDataTest::SetUp();
    Exec(QStringLiteral("delete from KX_MRP_Schemes; delete from KX_SYS_UserSettings"));
    FilterCode.clear();
    FilterText.clear();
    FilterObjects.clear();
}

std::unique_ptr<TMRPFrame> TWorkbenchTest::OpenWorkbench(const QString& objectID)
{
    IInfoFrame* frame = nullptr;
    LoadInfoFrame(&frame, Env(), Def(objectID));
    auto* typed = dynamic_cast<TMRPFrame*>(frame);
    if (!typed)
        return nullptr;
    typed->resize(1280, 760);
    typed->show();
    QApplication::processEvents();
    return std::unique_ptr<TMRPFrame>(typed);
}

TMRPMainFrame* TWorkbenchTest::ShowMainDemand(TMRPFrame& frame)
{
    frame.Pages->setCurrentIndex(1);
    QApplication::processEvents();
    TSchemeResultTab* tab = frame.ResultTab(QStringLiteral("KX_MRP.MRP.Main"));
    return tab ? dynamic_cast<TMRPMainFrame*>(tab->View()) : nullptr;
}

int TWorkbenchTest::PrepareScheme(const QString& name, bool fetch, bool run)
{
    TPlanScheme s(&SharedConnection());
    s.SchemeName = name;
    s.PlanPeriods = WeeklyPeriods(QDate(2026, 12, 7), 8);
    s.PlanCalIID = 1;
    s.PlanState = DeriveSavedState(true, 0, {}, TSchemeParams::Of(s));
    EXPECT_TRUE(s.Save());
    TSilentProgress silent;
    if (fetch) {
        EXPECT_TRUE(s.RunMPS(false, false, silent));
    }
    if (run) {
        EXPECT_TRUE(s.RunMRP(false, false, [](int, int, const QString&, const QString&) {}, silent, false));
    }
    return s.SchemeIID;
}

QString TWorkbenchTest::ResultsDigest(int schemeIID)
{
    auto digest = [&](const char* table, const char* scheme, const char* key) {
        return QStringLiteral("(select md5(coalesce(string_agg(t::text, '|' order by t.%3), '')) from %1 as t where t.%2=%4)")
            .arg(QLatin1String(table), QLatin1String(scheme), QLatin1String(key))
            .arg(schemeIID);
    };
    return Scalar(QStringLiteral("select concat_ws(' ', %1, %2, %3, %4, %5)")
                      .arg(digest("KX_MRP_Main", "ManSchIID", "ManIID"), digest("KX_MRP_Demands", "DmdSchIID", "DmdIID"),
                           digest("KX_MRP_Supplies", "SupSchIID", "SupIID"), digest("KX_MRP_RunLog", "LogSchIID", "LogIID"),
                           digest("KX_MRP_Schemes", "SchIID", "SchIID")))
        .toString();
}

} // namespace kx::test
