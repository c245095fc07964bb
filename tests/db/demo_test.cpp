#include "db/shared.h"
#include "demofactory.h"
#include "passwords.h"

#include "bomchecks.h"
#include "testdatabase.h"

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::suite;
using namespace kx::test;

namespace {

// Row count of every table of the database, as "table=count" joined by ",".
const char* const kAllTableCounts =
    "select string_agg(table_name || '=' || (xpath('/row/c/text()', query_to_xml('select count(*) as c from ' || table_name,"
    " false, true, '')))[1]::text, ',' order by table_name) from information_schema.tables"
    " where table_schema = 'public' and table_type = 'BASE TABLE'";

// Depth of every (BOM parent item, component) use below one root item, through default BOMs.
QString BomUseDepths(const QString& root, const QString& item)
{
    return QStringLiteral("with recursive walk (ItmID, Depth) as ("
                          " select l.BolItmID, 1 from KX_Bom_Head as h join KX_Bom_Line as l on l.BomID = h.BomID"
                          "  where h.BomItmID = '%1'"
                          " union"
                          " select l.BolItmID, w.Depth + 1 from walk as w join KX_Bom_Head as h on h.BomItmID = w.ItmID"
                          "  join KX_Bom_Line as l on l.BomID = h.BomID)"
                          " select string_agg(Depth::text, ',' order by Depth) from walk where ItmID = '%2'")
        .arg(root, item);
}

} // namespace

class DemoFactory : public TDatabaseTest {};

TEST_F(DemoFactory, LoadingAgainNeitherDuplicatesNorOverwrites)
{
    const TDemoLoadResult first = LoadDemoFactory(SharedConnection());
    EXPECT_FALSE(first.AlreadyPresent);
    EXPECT_EQ(first.Items, 43);
    const QString counts = Scalar(QLatin1String(kAllTableCounts)).toString();
    EXPECT_TRUE(counts.contains(QStringLiteral("kx_bill_soline=11,")));
    EXPECT_TRUE(counts.contains(QStringLiteral("kx_bom_line=73,")));
    EXPECT_TRUE(counts.contains(QStringLiteral("kx_mrp_calendar=2,")));

    // A planner's change to a demo row survives the next load.
    Exec(QStringLiteral("update KX_Bill_SOLine set SOUBillQty=90, SOBillQty=90 where SOID='DM-SO-04' and SOEntry=1"));
    const TDemoLoadResult second = LoadDemoFactory(SharedConnection());
    EXPECT_TRUE(second.AlreadyPresent);
    EXPECT_EQ(second.Items, 43);
    EXPECT_EQ(Scalar(QLatin1String(kAllTableCounts)).toString(), counts);
    EXPECT_EQ(Scalar(QStringLiteral("select SOBillQty from KX_Bill_SOLine where SOID='DM-SO-04' and SOEntry=1")).toDouble(), 90.0);
    // Prices have no unique key of their own: one per supplier, item and kind all the same.
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) - count(distinct (SprSuppID, SprItmID, SprKind)) from KX_Base_SuppPrice")).toInt(), 0);

    // A deleted row comes back; its neighbours stay as they are.
    Exec(QStringLiteral("delete from KX_Bill_POLine where POID='DM-PO-05' and POEntry=3"));
    LoadDemoFactory(SharedConnection());
    EXPECT_EQ(Scalar(QLatin1String(kAllTableCounts)).toString(), counts);
}

TEST_F(DemoFactory, BomHasFourLevelsSharedScrewsPhantomOutsourcingColoursAndSubstitutes)
{
    LoadDemoFactory(SharedConnection());
    // The screw is used below the floor fan directly, in the fan head and in the motor.
    EXPECT_EQ(Scalar(BomUseDepths(QStringLiteral("DM-I-FS40"), QStringLiteral("DM-I-SCR"))).toString(), QStringLiteral("1,2,3"));
    EXPECT_EQ(Scalar(BomUseDepths(QStringLiteral("DM-I-FS40"), QStringLiteral("DM-I-WIRE"))).toString(), QStringLiteral("3"));
    EXPECT_EQ(Scalar(QString::fromLatin1(kBomDepthBelow).arg(QStringLiteral("i.ItmID like 'DM-%'"))).toInt(), 3);
    EXPECT_EQ(Scalar(QLatin1String(kBomLoopCount)).toInt(), 0);

    // 底座组件 is outsourced with its own BOM and an open outsourcing order; 网罩组件 is a phantom.
    EXPECT_EQ(Scalar(QStringLiteral("select ItmType || '/' || (select count(*) from KX_Bom_Line where BomID='DM-B-BS40') || '/' ||"
                                    " (select OOBillQty - OOInQty from KX_Bill_OOLine where OOID='DM-OO-01')"
                                    " from KX_Base_ItemMaster where ItmID='DM-I-BS40'"))
                  .toString(),
              QStringLiteral("3/3/200.00000000"));
    EXPECT_EQ(Scalar(QStringLiteral("select ItmType from KX_Base_ItemMaster where ItmID='DM-I-GD40'")).toInt(), 4);

    // 台扇 comes in two colours, one BOM each, whose shell has the same colour; its order lines
    // carry the property set of their colour.
    EXPECT_EQ(Scalar(QStringLiteral("select string_agg(hp.PrsProp1 || ':' || lp.PrsProp1, ',' order by hp.PrsProp1)"
                                    " from KX_Bom_Head as h join KX_Base_ItemProps as hp on hp.PrsID = h.BomItmProps"
                                    " join KX_Bom_Line as l on l.BomID = h.BomID and l.BolItmID = 'DM-I-SHL30'"
                                    " join KX_Base_ItemProps as lp on lp.PrsID = l.BolItmProps where h.BomItmID = 'DM-I-DS30'"))
                  .toString(),
              QStringLiteral("白色:白色,蓝色:蓝色"));
    EXPECT_EQ(Scalar(QStringLiteral("select string_agg(p.PrsProp1 || '=' || s.SOQty::integer, ',' order by s.SONo, s.SOEntry)"
                                    " from KX_MRP_SO as s join KX_Base_ItemProps as p on p.PrsID = s.SOItmProps"
                                    " where s.SOItmID = 'DM-I-DS30' and s.SOItmProp1 = p.PrsProp1"))
                  .toString(),
              QStringLiteral("白色=300,蓝色=150,白色=200"));

    // A global substitute for the capacitor and a local one for the bearing of the YYF-40 motor.
    EXPECT_EQ(Scalar(QStringLiteral("select string_agg(SubItmID || '>' || SubRItmID || '@' || coalesce(l.BomID || '/' || l.BomEntry, '*'),"
                                    " ',' order by SubItmID) from KX_Bom_ItemSubs as s left join KX_Bom_Line as l on l.BolRowHook = s.SubRowHook"
                                    " where SubItmID like 'DM-%'"))
                  .toString(),
              QStringLiteral("DM-I-BR1>DM-I-BR2@DM-B-MT40/4,DM-I-CP15>DM-I-CP15B@*"));
}

TEST_F(DemoFactory, OpenBillsQuantitiesAndDatesFollowTheBaseDate)
{
    LoadDemoFactory(SharedConnection());
    EXPECT_EQ(DemoBaseDate(), QDate(2026, 12, 7));
    struct {
        const char* Sql;
        const char* Expected;
    } const cases[] = {
        // Export order in cartons of four: base quantity 600, due 18 days after the base date.
        {"select SIBillQty::integer || ' ' || to_char(SIDelivDate, 'YYYY-MM-DD') from KX_MRP_SI where SIID='DM-SI-01' and SIEntry=1",
         "600 2026-12-25"},
        // The overdue order: 200 ordered, 150 delivered, due three days before the base date.
        {"select SOQty::integer || ' ' || to_char(SODelivDate, 'YYYY-MM-DD') from KX_MRP_SO where SOID='DM-SO-01' and SOEntry=1",
         "50 2026-12-04"},
        // Only the checked, open lines may be planned: the closed line and the draft order not.
        {"select string_agg(SONo || '/' || SOEntry, ',' order by SONo, SOEntry) from KX_MRP_SO where CanMRP = 0",
         "SO2612-002/2,SO2612-003/1"},
        // Forecasts partly consumed by the orders made from them.
        {"select string_agg(f.ForNo || '/' || f.ForEntry || '=' || f.ForQty::integer, ',' order by f.ForNo) from KX_MRP_Forcast as f"
         " where f.ForOkQty > 0 and f.ForOkQty = (select sum(SOBillQty) from KX_Bill_SOLine as s where s.SOForcastID = f.ForID"
         " and s.SOForcastEntry = f.ForEntry)",
         "FC2611-001/1=300,FC2612-001/1=400"},
        // Copper wire: 200 kg not arrived, 300 kg in inspection; stock in two batches of 180 and 220 kg.
        {"select (select POQty::integer from KX_MRP_PO where POID='DM-PO-01') || ' ' ||"
         " (select PIChkQty::integer from KX_MRP_PI where PIID='DM-PI-01') || ' ' ||"
         " (select string_agg(InvBatch || ':' || InvQty::integer, ',' order by InvBatch) from KX_MRP_Inventory where InvItmID='DM-I-WIRE')",
         "200 300 W261102:180,W261118:220"},
        // Stock in the virtual transit warehouse is not planned.
        {"select string_agg(distinct InvStkID || ':' || CanMRP, ',') from KX_MRP_Inventory where InvItmID in ('DM-I-CP15', 'DM-I-ABS')",
         "DM-K-MAIN:1,DM-K-TRAN:0"},
        // The stock equals the checked movements: receipts in, issues out, transfers from one
        // warehouse and place to another; the history left no stock where none is kept.
        {"select count(*) from (select l.StlItmID, l.StlItmProps, l.StlBatch, m.StkID, m.StpID, sum(m.Sign * l.StlQty) as Qty"
         " from KX_Stk_BillLine as l join KX_Stk_BillHead as h on h.StbID = l.StbID and h.StbChecked = 1"
         " cross join lateral (values (l.StlStkID, l.StlStpID, case when h.StbDir = 0 then -1 else h.StbDir end),"
         " (l.StlToStkID, l.StlToStpID, 1)) as m(StkID, StpID, Sign) where m.StkID is not null and l.StlItmID like 'DM-%'"
         " group by 1, 2, 3, 4, 5) as b full join (select * from KX_Stk_Inventory where InvItmID like 'DM-%') as i"
         " on i.InvItmID = b.StlItmID and i.InvItmProps = b.StlItmProps and i.InvBatch = b.StlBatch and i.InvStkID = b.StkID"
         " and i.InvStpID is not distinct from b.StpID where coalesce(i.InvQty, 0) <> coalesce(b.Qty, 0)",
         "0"},
        // Aging has history: older receipts issued again, a transfer, receipts from orders.
        {"select string_agg(StbType || ':' || n, ',' order by StbType) from (select StbType, count(*) as n from KX_Stk_BillHead"
         " where StbID like 'DM-STB-H%' group by StbType) as t",
         "1:6,2:2,11:2,13:5,21:1"},
        // The motor BOM counts copper wire in grams on the line and kilograms in base units.
        {"select BolUQty::integer || 'g=' || BolQty || 'kg' from KX_Bom_Line where BomID='DM-B-MT40' and BomEntry=1", "280g=0.28000000kg"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Scalar(QString::fromUtf8(c.Sql)).toString(), QString::fromUtf8(c.Expected)) << c.Sql;
}

TEST_F(DemoFactory, CalendarsHaveWeekendsHolidaysAndMakeUpWorkdays)
{
    LoadDemoFactory(SharedConnection());
    const QString isHoliday = QStringLiteral("select string_agg(d || case when exists (select 1 from KX_MRP_Holidays as h"
                                             " join KX_MRP_Calendar as c on c.CalIID = h.CalIID where c.CalName = '%1'"
                                             " and h.CalHoliday = d::date) then ':休' else ':班' end, ',' order by d)"
                                             " from unnest('{2026-10-01,2026-10-07,2026-10-10,2026-12-07,2026-12-12,2026-12-13,"
                                             "2027-01-01,2027-02-05,2027-02-20}'::text[]) as d");
    EXPECT_EQ(Scalar(isHoliday.arg(QStringLiteral("标准工作日历"))).toString(),
              QStringLiteral("2026-10-01:休,2026-10-07:休,2026-10-10:班,2026-12-07:班,2026-12-12:休,2026-12-13:休,"
                             "2027-01-01:休,2027-02-05:休,2027-02-20:班"));
    EXPECT_EQ(Scalar(isHoliday.arg(QStringLiteral("六天工作制日历"))).toString(),
              QStringLiteral("2026-10-01:休,2026-10-07:休,2026-10-10:班,2026-12-07:班,2026-12-12:班,2026-12-13:休,"
                             "2027-01-01:休,2027-02-05:休,2027-02-20:班"));
    // 104 weekend days and 19 weekday holidays of 2026, less the six make-up Saturdays and Sundays.
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_MRP_Holidays as h join KX_MRP_Calendar as c on c.CalIID = h.CalIID"
                                    " where c.CalName = '标准工作日历' and h.CalHoliday < '20270101'"))
                  .toInt(),
              117);
    // A calendar its users edited keeps its holidays on the next load.
    Exec(QStringLiteral("delete from KX_MRP_Holidays where CalHoliday = '20261212'"));
    LoadStandardCalendars(SharedConnection());
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_MRP_Holidays where CalHoliday = '20261212'")).toInt(), 0);
}

TEST_F(DemoFactory, UsersHoldDigestsGroupsAndTheirRights)
{
    LoadDemoFactory(SharedConnection());
    TQuery q(&SharedConnection());
    q.SQL = QStringLiteral("select UsrNo, UsrPwdHash, UsrPwdSalt, UsrPwdIter, UsrIsAdmin from KX_SYS_Users where UsrID like 'DM-%' order by UsrNo");
    q.Open();
    ASSERT_EQ(q.RecordCount(), 3);
    const char* const passwords[][2] = {{"admin", "admin123"}, {"liming", "liming123"}, {"zhangli", "zhangli123"}};
    for (const auto& [no, password] : passwords) {
        ASSERT_TRUE(q.Locate(QStringLiteral("UsrNo"), {QString::fromLatin1(no)}));
        const TPasswordDigest stored{q.FieldByName(QStringLiteral("UsrPwdHash")).AsString(),
                                     q.FieldByName(QStringLiteral("UsrPwdSalt")).AsString(),
                                     q.FieldByName(QStringLiteral("UsrPwdIter")).AsInteger()};
        EXPECT_TRUE(VerifyPassword(QString::fromLatin1(password), stored)) << no;
        EXPECT_FALSE(VerifyPassword(QString::fromLatin1(no), stored)) << no;
    }
    EXPECT_EQ(Scalar(QStringLiteral("select string_agg(UsrNo, ',' order by UsrNo) from KX_SYS_Users where UsrIsAdmin = 1")).toString(),
              QStringLiteral("admin"));

    // Rights reach a user through his group.
    const QString held = QStringLiteral("select string_agg(a.AcrGroup::text, ',' order by a.AcrGroup) from KX_SYS_AccessRights as a"
                                        " join KX_SYS_UserGroupMembers as m on m.UgmGrpID = a.AcrUsrID and a.AcrIsGroup = 1"
                                        " join KX_SYS_Users as u on u.UsrID = m.UgmUsrID where u.UsrNo = '%1' and a.AcrObjID = '%2'");
    EXPECT_EQ(Scalar(held.arg(QStringLiteral("liming"), QStringLiteral("kx_mrp.mrp"))).toString(), QStringLiteral("Browse,Update"));
    EXPECT_EQ(Scalar(held.arg(QStringLiteral("liming"), QStringLiteral("KX_MRP.MRPOutput"))).toString(), QStringLiteral("Browse,ToMO"));
    EXPECT_EQ(Scalar(held.arg(QStringLiteral("zhangli"), QStringLiteral("KX_MRP.MRPOutput"))).toString(),
              QStringLiteral("Browse,ToOR,ToPR"));
    EXPECT_TRUE(Scalar(held.arg(QStringLiteral("zhangli"), QStringLiteral("KX_MRP.MRP"))).isNull());
}

TEST_F(DemoFactory, ItemSettingsLoadOnceTheSettingsTableExists)
{
    // The columns of the item planning settings, as the module's settings table has them.
    Exec(QStringLiteral(
        "create table if not exists KX_MRP_ItemSetting (ItmID varchar(50) primary key, ItmMrpType smallint, ItmMrpSkip smallint,"
        " ItmPlannerID varchar(50), ItmBuyerID varchar(50), ItmMrpGroup smallint, ItmMrpTrack smallint, ItmPreLeadTime integer,"
        " ItmFixLeadTime integer, ItmVarLeadTime integer, ItmVarLeadLot numeric(28,8), ItmPostLeadTime integer,"
        " ItmSafeQty numeric(28,8), ItmMinQty numeric(28,8), ItmLotQty numeric(28,8), ItmMaxQty numeric(28,8),"
        " ItmPutLossType smallint, ItmPutLossRate varchar(500), ItmPutInteger smallint, ItmSuitSkip smallint, ItmOutSkip smallint,"
        " ItmMOBomSkip smallint, ItmOOBomSkip smallint, ItmMODeptID varchar(50), ItmPOSuppID varchar(50), ItmOOSuppID varchar(50),"
        " ItmPlanItmID varchar(50))"));
    const TDemoLoadResult loaded = LoadDemoFactory(SharedConnection());
    EXPECT_TRUE(loaded.ItemSettings);
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_MRP_ItemSetting where ItmID like 'DM-%'")).toInt(), 43);
    EXPECT_EQ(Scalar(QStringLiteral("select ItmFixLeadTime || ' ' || ItmSafeQty::integer || ' ' || ItmPutLossType || ' ' || ItmPutLossRate"
                                    " || ' ' || ItmBuyerID || ' ' || ItmPOSuppID from KX_MRP_ItemSetting where ItmID = 'DM-I-SCR'"))
                  .toString(),
              QStringLiteral("5 5000 2 10|2% DM-E-04 DM-S-04"));
    EXPECT_EQ(Scalar(QStringLiteral("select ItmOOSuppID || ' ' || ItmBuyerID from KX_MRP_ItemSetting where ItmID = 'DM-I-BS40'")).toString(),
              QStringLiteral("DM-S-08 DM-E-03"));
    // Settings the planner changed stay.
    Exec(QStringLiteral("update KX_MRP_ItemSetting set ItmSafeQty = 80 where ItmID = 'DM-I-FS40'"));
    LoadDemoFactory(SharedConnection());
    EXPECT_EQ(Scalar(QStringLiteral("select ItmSafeQty::integer from KX_MRP_ItemSetting where ItmID = 'DM-I-FS40'")).toInt(), 80);
}
