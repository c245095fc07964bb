// The scenario checks tried on results written by hand: the results lot_for_lot.scn
// derives pass, and each kind of fault a run could make is reported.
#include "scenariorun.h"

#include "db/shared.h"
#include "testdatabase.h"

#include <gtest/gtest.h>

#include <memory>

using namespace kx;
using namespace kx::scenario;

namespace {

// What a run stores for lot_for_lot.scn: stock 30 to FD1, one planned purchase of 85.
const char* const kLotForLotResults = R"sql(
insert into KX_MRP_Supplies (SupSchIID, SupIID, SupPeriod, SupBillType, SupBillNo, SupBillEntry, SupItmID, SupItmProps,
  SupDate, SupDrawDate, SupLeadDays, SupQty, SupBillQty, SupAdjQty, SupAllotQty, SupRestQty, SupHints, SupPDmdIIDs, SupTrackKey)
values (%1, 1, 0, 16, 'S-1', 0, 'A', '', '2027-02-28', '2027-02-28', 0, 30, 30, 0, 30, 0, '', '', ''),
       (%1, 2, 1, 58, 'FD1', 1, 'A', '', '2027-03-03', '2027-02-26', 5, 85, 85, 0, 85, 0, E'01=20\r\n02=65', '1:20|2:40|3:25', '');
insert into KX_MRP_Demands (DmdSchIID, DmdIID, DmdPeriod, DmdBillType, DmdBillNo, DmdBillEntry, DmdItmID, DmdItmProps, DmdDate,
  DmdPriority, DmdNeedQty, DmdInvQty, DmdQty)
values (%1, 1, 1, 12, 'FD1', 1, 'A', '', '2027-03-03', 1, 50, 30, 20),
       (%1, 2, 2, 12, 'FD2', 1, 'A', '', '2027-03-10', 1, 40, 0, 40),
       (%1, 3, 2, 12, 'FD3', 1, 'A', '', '2027-03-11', 1, 25, 0, 25);
insert into KX_MRP_Allots (AltSchIID, AltIID, AltPeriod, AltSupIID, AltDmdIID, AltDate, AltAdjDays, AltTrack, AltQty, AltIsGrpx,
  AltIsRepl, AltReplQty)
values (%1, 1, 1, 1, 1, '2027-03-03', 0, 0, 30, 0, 0, 0);
insert into KX_MRP_Balance (BalSchIID, BalIID, BalItmID, BalFreeQty, BalInvQty, BalPPOQty, BalQty, BalNetQty, BalEndQty)
values (%1, 1, 'A', 115, 30, 85, 85, 85, 0);
update KX_MRP_Schemes set SchState=6 where SchIID=%1;
)sql";

} // namespace

class ScenarioChecks : public test::TDatabaseTest {
protected:
    static inline TScenario Scenario;
    static inline std::unique_ptr<TScenarioRunner> Runner;

    static void SetUpTestSuite()
    {
        TDatabaseTest::SetUpTestSuite();
        QStringList errors;
        Scenario = ReadScenario(QStringLiteral(KX_SCENARIO_DIR "/lot_for_lot.scn"), errors);
        ASSERT_EQ(errors, QStringList());
        Runner = std::make_unique<TScenarioRunner>(Scenario);
        Runner->Load();
    }

    static void TearDownTestSuite()
    {
        Runner.reset();
        TDatabaseTest::TearDownTestSuite();
    }

    // The results as lot_for_lot.scn derives them, then one change.
    static void StoreResults(const QString& change = QString())
    {
        Exec(QStringLiteral("delete from KX_MRP_Supplies; delete from KX_MRP_Demands; delete from KX_MRP_Allots; "
                            "delete from KX_MRP_Balance;\n") +
             QString::fromUtf8(kLotForLotResults).arg(Runner->SchemeIID()));
        if (!change.isEmpty())
            Exec(QString(change).arg(Runner->SchemeIID()));
    }

    static QStringList Differences()
    {
        QStringList texts;
        for (const TDifference& d : Runner->Check())
            texts << QStringLiteral("%1: %2").arg(d.Line).arg(d.Text);
        return texts;
    }
};

TEST_F(ScenarioChecks, HandDerivedResultsPassAndEveryFaultIsReportedAtItsLine)
{
    Runner->AdoptStoredResults(true);
    StoreResults();
    EXPECT_EQ(Differences(), QStringList());

    struct TFault {
        const char* Change;
        QStringList Reports;
    };
    const TFault faults[] = {
        {"update KX_MRP_Supplies set SupQty=80, SupAllotQty=80, SupBillQty=80 where SupSchIID=%1 and SupIID=2",
         {QStringLiteral("41: supplies item=A kind=58 bill=FD1 entry=1 date=2027-03-03 draw=2027-02-26 lead=5 qty=85 allot=85 "
                         "rest=0 hints=01=20;02=65 pdmds=FD1#1:20|FD2#1:40|FD3#1:25: qty expected 85, stored 80; "
                         "allot expected 85, stored 80"),
          QStringLiteral("1: identity: balance of A: end 0 and net 85, the rows give -5 and 90 (demand 115, supply 110)")}},
        {"update KX_MRP_Supplies set SupHints=E'01=20\\r\\n02=60\\r\\n03=5', SupPDmdIIDs='2:40|1:20|3:25' "
         "where SupSchIID=%1 and SupIID=2",
         {QStringLiteral("41: supplies item=A kind=58 bill=FD1 entry=1 date=2027-03-03 draw=2027-02-26 lead=5 qty=85 allot=85 "
                         "rest=0 hints=01=20;02=65 pdmds=FD1#1:20|FD2#1:40|FD3#1:25: hints expected 01=20;02=65, stored "
                         "01=20;02=60;03=5; pdmds expected FD1#1:20|FD2#1:40|FD3#1:25, stored FD2#1:40|FD1#1:20|FD3#1:25")}},
        {"insert into KX_MRP_Supplies (SupSchIID, SupIID, SupPeriod, SupBillType, SupItmID, SupQty, SupAllotQty, SupRestQty) "
         "values (%1, 3, 2, 58, 'A', 5, 0, 5)",
         {QStringLiteral("39: supplies: unexpected stored row item=A kind=58 bill=- entry=- date=- draw=- lead=- qty=5 allot=0 "
                         "rest=5 hints=- pdmds=-"),
          QStringLiteral("1: identity: balance of A: end 0 and net 85, the rows give 5 and 80 (demand 115, supply 120)")}},
        {"insert into KX_MRP_Allots (AltSchIID, AltIID, AltPeriod, AltSupIID, AltDmdIID, AltDate, AltAdjDays, AltTrack, AltQty) "
         "values (%1, 2, 2, 2, 2, '2027-03-10', 0, 0, 40)",
         {QStringLiteral("53: allots: unexpected stored row item=A dmdbill=FD2 supkind=58 qty=40 date=2027-03-10 period=2 "
                         "adjdays=0 track=0 repl=-"),
          QStringLiteral("1: identity: demand A 12 FD2#1 2027-03-10: coverage columns add up to 0, its allocations to 40"),
          QStringLiteral("1: identity: supply A 58 FD1 2027-03-03: allotted 85 (as substitute 0), its allocations give 40 (0)")}},
        {"update KX_MRP_Demands set DmdInvQty=20 where DmdSchIID=%1 and DmdIID=1",
         {QStringLiteral("49: demands item=A kind=12 bill=FD1 date=2027-03-03 period=1 need=50 inv=30 net=20: inv expected 30, "
                         "stored 20"),
          QStringLiteral("1: identity: demand A 12 FD1#1 2027-03-03: coverage columns add up to 20, its allocations to 30"),
          QStringLiteral("1: identity: item key A|/0|: its supplies allotted 30 to it, its demands were covered 20")}},
        {"update KX_MRP_Allots set AltSupIID=2 where AltSchIID=%1 and AltIID=1",
         {QStringLiteral("55: allots: no stored row like item=A dmdbill=FD1 supkind=16 qty=30 date=2027-03-03 period=1 "
                         "adjdays=0 track=0 repl=0")}},
        {"delete from KX_MRP_Balance where BalSchIID=%1", {QStringLiteral("1: identity: item key A|/0| has no balance row")}},
    };
    for (const TFault& fault : faults) {
        StoreResults(QString::fromUtf8(fault.Change));
        const QStringList reported = Differences();
        for (const QString& report : fault.Reports)
            EXPECT_TRUE(reported.contains(report)) << fault.Change << "\nwanted: " << report.toStdString() << "\ngot:\n"
                                                   << reported.join(u'\n').toStdString();
    }
}

TEST_F(ScenarioChecks, RefusedRunIsReportedWithItsMessagesAndNoIdentities)
{
    Runner->AdoptStoredResults(false);
    StoreResults(QStringLiteral("update KX_MRP_Schemes set SchState=2 where SchIID=%1"));
    const QStringList reported = Differences();
    EXPECT_TRUE(reported.contains(QStringLiteral("35: RunMRP returned false, expected true; message boxes: none")));
    EXPECT_TRUE(reported.contains(QStringLiteral("37: run: state expected 6, stored 2")));
    EXPECT_FALSE(reported.join(u'\n').contains(QLatin1String("identity")));
}
