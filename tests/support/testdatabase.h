// Databases for tests: each database test suite works on its own clone of the template
// that the test run built once, reached through the module's shared connection.
#pragma once

#include "db/dataset.h"
#include "masterdata/planperiods.h"
#include "testhost.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <QVariant>

namespace kx::test {

class TTestDatabase {
public:
    // Socket folder of the test run's cluster (KX_TEST_PGHOST).
    static QString Server();
    // Drops a database of that name if present and clones the template into it.
    static void CreateClone(const QString& name);
    static void Drop(const QString& name);
};

class TDatabaseTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();

    static TTestHost& Host() { return *FHost; }
    static const QString& DatabaseName() { return FDatabase; }

    // Runs statements on the shared connection; a failure fails the test.
    static void Exec(const QString& sql);
    // The first column of the first row, null when there is none.
    static QVariant Scalar(const QString& sql);
    // The rows of a query, each row's columns joined by ", " (null as "").
    static QStringList Rows(const QString& sql);

private:
    static TTestHost* FHost;
    static QString FDatabase;
};

// A suite database with the demo factory, whose tester holds every right, as the planner
// who fetches main demand and runs MRP.
class TDemoDatabaseTest : public TDatabaseTest {
protected:
    static void SetUpTestSuite();
};

// count weekly plan periods from a Monday on.
TPlanPeriods WeeklyPeriods(const QDate& monday, int count);

} // namespace kx::test
