// The automatic deduction while another user deducts the same order by hand: the pair whose
// order lost its room meanwhile is not made, and no line ends up over-deducted.
#include "db/connection.h"
#include "db/shared.h"
#include "deduction/autodeduct.h"
#include "deduction/deductlog.h"
#include "engine/progress.h"
#include "testdatabase.h"

#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <thread>

using namespace kx;
using namespace kx::test;

class DeductRace : public TDatabaseTest {
protected:
    static void SetUpTestSuite()
    {
        TDatabaseTest::SetUpTestSuite();
        Exec(QStringLiteral("update KX_SYS_Users set UsrIsAdmin=1 where UsrID='U001'"));
        Host().UseCatalogue();
    }
};

TEST_F(DeductRace, APairWhoseOrderWasDeductedMeanwhileIsNotMade)
{
    // F1/1 wants 100 of A, S1/1 orders 50 of it; F2/1 is the other user's forecast.
    Exec(QStringLiteral(
        "insert into KX_Base_Unit (UntID, UntNo, UntName, UntFactor, UntIsBase) values ('PCS', 'PCS', '个', 1, 1);"
        "insert into KX_Base_Customer (CustID, CustNo, CustName) values ('CU1', 'CU1', '客户');"
        "insert into KX_Base_ItemMaster (ItmID, ItmNo, ItmName, ItmUnitID) values ('A', 'A', 'A', 'PCS');"
        "insert into KX_Bill_ForHead (ForID, ForNo, ForDate, ForChecked) values ('F1', 'F1', '20270201', 1), ('F2', 'F2', '20270201', 1);"
        "insert into KX_Bill_ForLine (ForID, ForEntry, ForItmID, ForUBillQty, ForBillQty, ForDelivDate) values "
        "('F1', 1, 'A', 100, 100, '20270310'), ('F2', 1, 'A', 100, 100, '20270320');"
        "insert into KX_Bill_SOHead (SOID, SONo, SODate, SOCustID, SOChecked) values ('S1', 'S1', '20270201', 'CU1', 1);"
        "insert into KX_Bill_SOLine (SOID, SOEntry, SOItmID, SOUBillQty, SOBillQty, SODelivDate) values ('S1', 1, 'A', 50, 50, '20270310');"
        "insert into KX_MRP_SOExt (SOID, SOEntry, SOItmID, SODedAQty, SODedMQty) values ('S1', 1, 'A', 0, 0)"));

    // The other user saves 40 of S1/1 by hand, and holds the order's row until told.
    TConnection other;
    other.ConnectionString = BuildConnectionString(0, TTestDatabase::Server(), DatabaseName(), {}, {});
    other.Execute(QStringLiteral("begin;"
                                 "update KX_MRP_SOExt set SODedMQty=40 where SOID='S1' and SOEntry=1;"
                                 "insert into KX_MRP_ForcastExt (ForID, ForEntry, ForItmID, ForDedAQty, ForDedMQty) values ('F2', 1, 'A', 0, 40);"
                                 "insert into KX_MRP_Deduction (DedForID, DedForEntry, DedOrdType, DedOrdID, DedOrdEntry, DedForQty, DedOrdQty, "
                                 "DedManual) values ('F2', 1, 2, 'S1', 1, 40, 40, 1)"));

    // The automatic deduction reads S1/1 with all its 50 open, then waits for the row.
    TConnection mine;
    mine.ConnectionString = other.ConnectionString;
    TQuery pid(&mine);
    pid.SQL = QStringLiteral("select pg_backend_pid()");
    pid.Open();
    const QString backend = pid.Fields(0).AsString();
    bool done = false;
    TAutoDeductReport report;
    std::thread run([&] {
        TSilentProgress progress;
        done = AutoDeduct(mine, TAuotDeductOptions(), progress, &report);
    });
    QElapsedTimer waited;
    waited.start();
    bool blocked = false;
    while (!blocked && waited.elapsed() < 60000) {
        blocked = Scalar(QStringLiteral("select count(*) from pg_stat_activity where pid=%1 and wait_event_type='Lock'").arg(backend)).toInt() == 1;
        if (!blocked)
            QThread::msleep(50);
    }
    other.Execute(QStringLiteral("commit"));
    run.join();
    ASSERT_TRUE(blocked) << "the automatic deduction never waited for the order's row";
    EXPECT_TRUE(done);
    EXPECT_EQ(report.Pairs, 0);
    EXPECT_EQ(Rows(QStringLiteral("select DedForID||' '||DedForQty::float8||' m'||DedManual from KX_MRP_Deduction")),
              QStringList{QStringLiteral("F2 40 m1")});
    EXPECT_EQ(Rows(QStringLiteral("select ForID||' '||coalesce(ForDedAQty,0)::float8||' '||coalesce(ForDedMQty,0)::float8 from "
                                  "KX_MRP_ForcastExt order by 1")),
              (QStringList{QStringLiteral("F1 0 0"), QStringLiteral("F2 0 40")}));
    EXPECT_TRUE(CheckDeductionRules(SharedConnection()).isEmpty());
}
