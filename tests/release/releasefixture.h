// The demo factory planned by the planner liming: one scheme run over eight weeks from Monday
// 2026-12-07. Each test works on a published copy of it, acting as the planner or as the
// buyer zhangli with the rights the demo gives them, and the bills go to the suite's own bill
// service.
#pragma once

#include "release/outputlist.h"
#include "release/release.h"
#include "testdatabase.h"
#include "testerpaccess.h"

#include <QStringList>

namespace kx::test {

// A result list that keeps its lines as "kind|text" (findings as "kind|text|item|field").
class TRecordingSink : public IReleaseSink {
public:
    explicit TRecordingSink(const TMRPOutputList& list) : FList(list) {}
    void Clear() override { Lines.clear(); }
    int AddLine(TMessageKind kind, const QString& text, int parent, int row, const QString& field) override;
    void ChangeLine(int line, TMessageKind kind, const QString& text) override;
    bool EditOptions(int destType) override;

    QStringList Lines;
    QList<int> OptionsAsked;
    // What the settings dialog does when asked: fills in these settings, or is cancelled.
    std::function<bool(int destType)> OnEditOptions;

private:
    const TMRPOutputList& FList;
};

// The database helpers of the tests, for the free functions of the test files.
struct TSql : TDatabaseTest {
    using TDatabaseTest::Exec;
    using TDatabaseTest::Rows;
    using TDatabaseTest::Scalar;
};

class TReleaseTest : public TDemoDatabaseTest {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Acts as a demo user ("liming", "zhangli"), with his groups and rights.
    static void LoginAs(const QString& userNo);
    // A copy of the run scheme under a new name, published by liming to zhangli.
    static int PublishedCopy(const QString& name);
    // The output rows of a scheme as the view loads them.
    static void LoadRows(TMRPOutputList& list, int scheme, int planType = 0);
public:
    // The level-0 row of an item for a main demand ("SO2612-001/1", "/0" for none), -1 when
    // absent: rows are found by what they plan, the run's supply numbers are its own business.
    static int FindRow(const TMRPOutputList& list, const QString& item, const QString& origin);
    // Checks the rows named "item origin".
    static void Check(TMRPOutputList& list, const QStringList& rows);

protected:
    // Releases the checked rows of the list as the current user (with silent progress when
    // none is given).
    static bool Release(int scheme, TMRPOutputList& list, TRecordingSink& sink, TReleaseCounts* counts = nullptr,
                        IEngineProgress* progress = nullptr);
    // Output settings of the current user for a destination type.
    static void SetOptions(int destType, const std::function<void(TMRPOutputOptions&)>& change);

    static int RunScheme;
    static TTestERPAccess Access;
};

} // namespace kx::test
