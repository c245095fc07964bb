#include "resultsfixture.h"

#include "db/shared.h"
#include "engine/progress.h"
#include "host/dispatch.h"

#include <QApplication>

namespace kx::test {

TPlanSchemeUIEvents TResultsTest::Events;
TPlanScheme* TResultsTest::EventsScheme = nullptr;
int TResultsTest::RunMRPCalls = 0;
int TResultsTest::RefreshStateCalls = 0;

void TResultsTest::SetUpTestSuite()
{
    TDemoDatabaseTest::SetUpTestSuite();
    Events.RunMRP = [] { ++RunMRPCalls; };
    Events.RunMPS = [] {};
    Events.RefreshState = [] {
        ++RefreshStateCalls;
        if (EventsScheme)
            (void)EventsScheme->LoadState();
    };
    Events.CheckState = [](bool) { return EventsScheme && EventsScheme->CheckState(); };
}

void TResultsTest::SetUp()
{
    Exec(QStringLiteral("delete from KX_SYS_ViewSchemes"));
    RunMRPCalls = 0;
    RefreshStateCalls = 0;
    EventsScheme = nullptr;
}

std::unique_ptr<TPlanScheme> TResultsTest::RunDemoScheme(const QString& name)
{
    auto scheme = std::make_unique<TPlanScheme>(&SharedConnection());
    scheme->SchemeName = name;
    scheme->PlanPeriods = WeeklyPeriods(QDate(2026, 12, 7), 8);
    scheme->PlanCalIID = 1;
    scheme->PlanState = DeriveSavedState(true, 0, {}, TSchemeParams::Of(*scheme));
    TSilentProgress progress;
    if (!scheme->Save() || !scheme->RunMPS(false, false, progress) || !Rerun(*scheme, false, false, false))
        ADD_FAILURE() << "the demo scheme could not be run";
    EventsScheme = scheme.get();
    return scheme;
}

bool TResultsTest::Rerun(TPlanScheme& scheme, bool keepType, bool keepBom, bool keepQty)
{
    TSilentProgress progress;
    return scheme.RunMRP(keepType, keepBom, [](int, int, const QString&, const QString&) {}, progress, keepQty);
}

IInfoView* TResultsTest::CreateView(const QString& objectID)
{
    return CreateInfoViewFor(Host().Catalogue()->ObjectDef(objectID));
}

bool TResultsTest::SavePicture(QWidget* widget, const QString& fileName)
{
    widget->show();
    QApplication::processEvents();
    return widget->grab().save(TestOutputPath(fileName));
}

TPlanScheme* TSharedRunTest::Scheme = nullptr;

void TSharedRunTest::RunShared(const QString& name)
{
    TResultsTest::SetUpTestSuite();
    Scheme = RunDemoScheme(name).release();
}

void TSharedRunTest::TearDownTestSuite()
{
    delete Scheme;
    Scheme = nullptr;
    TResultsTest::TearDownTestSuite();
}

void TSharedRunTest::SetUp()
{
    TResultsTest::SetUp();
    EventsScheme = Scheme;
}

} // namespace kx::test
