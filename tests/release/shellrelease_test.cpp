// A release seen from the desktop host: the production order it wrote is listed in the shell's
// production orders with its material lines.
#include "../shell/shellfixture.h"

#include "billservice.h"
#include "mainwindow.h"
#include "objectpage.h"

#include "db/shared.h"
#include "engine/planscheme.h"
#include "engine/progress.h"
#include "release/outputlist.h"
#include "release/publishing.h"
#include "release/release.h"

#include <QApplication>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::shell;
using namespace kx::test;

namespace {

class TQuietSink : public IReleaseSink {
public:
    void Clear() override {}
    int AddLine(TMessageKind, const QString& text, int, int, const QString&) override
    {
        Lines << text;
        return int(Lines.size()) - 1;
    }
    void ChangeLine(int, TMessageKind, const QString&) override {}
    bool EditOptions(int) override { return false; }
    QStringList Lines;
};

} // namespace

class ShellRelease : public TShellTest {};

TEST_F(ShellRelease, AReleasedProductionOrderIsListedWithItsMaterial)
{
    // The tester plans with every right, as the planner would.
    Exec(QStringLiteral("update KX_SYS_Users set UsrIsAdmin=1 where UsrID='U001'"));
    Host().UseCatalogue();
    TPlanScheme scheme(&SharedConnection());
    scheme.SchemeName = QStringLiteral("桌面投放");
    scheme.PlanPeriods = WeeklyPeriods(QDate(2026, 12, 7), 8);
    scheme.PlanCalIID = 1;
    scheme.PlanState = DeriveSavedState(true, 0, {}, TSchemeParams::Of(scheme));
    TSilentProgress silent;
    ASSERT_TRUE(scheme.Save());
    ASSERT_TRUE(scheme.RunMPS(false, false, silent));
    ASSERT_TRUE(scheme.RunMRP(false, false, [](int, int, const QString&, const QString&) {}, silent, false));
    TReleaseScheme published;
    published.IID = scheme.SchemeIID;
    ASSERT_TRUE(ChangeReleaseState(SharedConnection(), published, psPublished, psMRPDone));
    ASSERT_TRUE(scheme.LoadState());
    TMRPOutputOptions options = LoadOutputOptions(btMO, 500);
    options.OutPBoms = true;
    options.ItemSubs = oisNone;
    options.DepartmentID = QStringLiteral("DM-D-PMC");
    SaveOutputOptions(btMO, options);

    TMRPOutputList list;
    TMRPOutputFilter filter;
    filter.SchemeIID = scheme.SchemeIID;
    filter.PlanType = 1;
    list.Load(SharedConnection(), filter);
    for (int row : list.TopRows) {
        const TMRPOutputRow& r = list.Rows[size_t(row)];
        if (r.ItmNo == QLatin1String("1.01.001") && r.OrigNo == QLatin1String("SO2612-001"))
            list.SetChecked(row, true);
    }
    ASSERT_EQ(list.CheckedCount(), 1);
    suite::TERPAccess access(SharedConnection(), EnvUserID());
    TQuietSink sink;
    TMRPRelease release(SharedConnection(), scheme, list, sink, silent);
    release.Rights.ToMO = true;
    release.Access = &access;
    release.UserID = EnvUserID();
    ASSERT_TRUE(release.Run()) << sink.Lines.join(QLatin1Char('\n')).toStdString();
    const QString no = Scalar(QStringLiteral("select MONo from KX_Bill_MOHead where MOID not like 'DM-%'")).toString();
    ASSERT_EQ(no, QStringLiteral("MO2026120001"));

    TMainWindow* window = StartAsPlanner();
    ASSERT_NE(window, nullptr);
    window->resize(1280, 760);
    TObjectPage* page = window->OpenObject(QStringLiteral("KX_MRP.MO"));
    ASSERT_NE(page, nullptr);
    auto* orders = dynamic_cast<TERPListView*>(page->View());
    ASSERT_NE(orders, nullptr);
    const int row = RowWhere(*orders, QStringLiteral("MONo"), no);
    ASSERT_GE(row, 0);
    orders->FocusRow(row);
    auto* material = dynamic_cast<TERPListView*>(page->DetailViews().value(0));
    ASSERT_NE(material, nullptr);
    EXPECT_EQ(material->Model()->Records().RecordCount(), 10);
    QApplication::processEvents();
    EXPECT_TRUE(window->grab().save(TestOutputPath(QStringLiteral("release_shell_production_order.png"))));
}
