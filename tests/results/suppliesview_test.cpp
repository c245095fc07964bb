// The supplies view on the demo after a run: the planner changes a planned supply's quantity,
// type and BOM, saves, and finds the adjustments recorded against the old values, the balance
// corrected and the scheme waiting for a run; a run that keeps the adjustments applies exactly
// these again, one without them gives the engine's own plan. Bad input is refused with its
// message and nothing is written.
#include "resultsfixture.h"

#include "db/shared.h"
#include "engine/schemelock.h"
#include "scenariorun.h"
#include "views/gridgroupmodel.h"
#include "views/gridmodel.h"
#include "views/hostobject.h"
#include "workbench/schemeviewlink.h"
#include "workbench/suppliesframe.h"

#include <QComboBox>
#include <QLabel>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

namespace {

const QString kSupplies = QStringLiteral("KX_MRP.MRP.Supplies");

// The record of a supply in the view, by item number and bill number.
int RecordOf(const TMRPSuppliesFrame& view, const QString& itemNo, const QString& billNo)
{
    for (int r = 0; r < view.Records().RecordCount(); ++r)
        if (view.Records().Value(r, QStringLiteral("ItmNo")).toString() == itemNo
            && view.Records().Value(r, QStringLiteral("SupBillNo")).toString() == billNo)
            return r;
    return -1;
}

void ExpectNear(const QList<double>& actual, const QList<double>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (qsizetype i = 0; i < actual.size(); ++i)
        EXPECT_NEAR(actual[i], expected[i], 1e-6) << "column " << i;
}

} // namespace

class SuppliesView : public TResultsTest {
public:
    static void SetUpTestSuite()
    {
        TResultsTest::SetUpTestSuite();
        // A second standard BOM of 扇头组件, and one that ended before the horizon.
        Exec(QStringLiteral(
            "insert into KX_Bom_Head (BomID, BomType, BomNo, BomItmID, BomUntID, BomOkRate, BomIsDefault, BomVersion, BomDate, "
            "BomBeginDate, BomEndDate, BomChecked) values "
            "('T-B-HD40B', 1, 'BOM-2.01.001-B', 'DM-I-HD40', 'DM-U-PCS', 100, 0, 'V2.0', '2026-01-01', null, null, 1), "
            "('T-B-HD40O', 1, 'BOM-2.01.001-OLD', 'DM-I-HD40', 'DM-U-PCS', 100, 0, 'V0.9', '2025-01-01', '2025-01-01', '2026-06-30', 1);\r"
            "insert into KX_Bom_Line (BomID, BomEntry, BolItmID, BolUntID, BolUQty, BolQty) values "
            "('T-B-HD40B', 1, 'DM-I-MT40', 'DM-U-PCS', 1, 1), ('T-B-HD40B', 2, 'DM-I-SCR', 'DM-U-PCS', 8, 8), "
            "('T-B-HD40O', 1, 'DM-I-MT40', 'DM-U-PCS', 1, 1)"));
    }

protected:
    // The stored supply of an item with a tracking key: type, BOM, bill, adjustment and plan quantity, rest.
    QString Supply(const QString& itemNo, const QString& track) const
    {
        return Rows(QStringLiteral("select s.SupBillType, coalesce(b.BomNo, '-'), s.SupBillQty::float8, s.SupAdjQty::float8, "
                                   "s.SupQty::float8, s.SupRestQty::float8 from KX_MRP_Supplies as s join KX_Base_ItemMaster as i on "
                                   "i.ItmID=s.SupItmID left join KX_Bom_Head as b on b.BomID=s.SupBomID where s.SupSchIID=%1 and "
                                   "i.ItmNo='%2' and s.SupTrackKey='%3' and s.SupBillType>=42")
                        .arg(Scheme->SchemeIID).arg(itemNo, track))
            .join(QLatin1Char(';'));
    }
    // The balance row of an item (group 0): plan, planned purchase, production, end and net.
    QList<double> Balance(const QString& itemNo) const
    {
        QList<double> values;
        for (const QString& cell : Rows(QStringLiteral("select concat_ws(' ', BalQty::float8, BalPPOQty::float8, BalPMOQty::float8, "
                                                       "BalEndQty::float8, BalNetQty::float8) from KX_MRP_Balance join KX_Base_ItemMaster "
                                                       "on ItmID=BalItmID where BalSchIID=%1 and ItmNo='%2'")
                                            .arg(Scheme->SchemeIID).arg(itemNo))
                                       .value(0)
                                       .split(QLatin1Char(' ')))
            values << cell.toDouble();
        return values;
    }
    // Every supply of the scheme, in a stable order.
    QString AllSupplies() const
    {
        return Rows(QStringLiteral("select concat_ws(' ', i.ItmNo, s.SupTrackKey, s.SupBillType, s.SupBomID, s.SupQty::float8, "
                                   "s.SupAdjQty::float8, s.SupAllotQty::float8) from KX_MRP_Supplies as s join KX_Base_ItemMaster as i "
                                   "on i.ItmID=s.SupItmID where s.SupSchIID=%1 order by 1")
                        .arg(Scheme->SchemeIID))
            .join(QLatin1Char('\n'));
    }
    QStringList Adjusts() const
    {
        return Rows(QStringLiteral("select concat_ws(' ', i.ItmNo, s.SupTrackKey, j.AdjOldType, coalesce(j.AdjOldBomID, '-'), "
                                   "j.AdjOldQty::float8, j.AdjPending) from KX_MRP_SupAdjusts as j join KX_MRP_Supplies as s on "
                                   "s.SupSchIID=j.AdjSchIID and s.SupIID=j.AdjSupIID join KX_Base_ItemMaster as i on i.ItmID=s.SupItmID "
                                   "where j.AdjSchIID=%1 order by 1")
                        .arg(Scheme->SchemeIID));
    }
    // The view on the scheme, in edit mode on the planned supplies.
    std::unique_ptr<TMRPSuppliesFrame> OpenForEditing()
    {
        auto view = OpenView<TMRPSuppliesFrame>(kSupplies, Scheme.get());
        EXPECT_TRUE(view);
        if (!view)
            return view;
        view->SetPlanType(6);
        EXPECT_TRUE(view->ExecCommand(ObjectActionCommand(view->ObjectDef, QStringLiteral("Update"))));
        EXPECT_TRUE(view->GetEditMode());
        return view;
    }

    std::unique_ptr<TPlanScheme> Scheme;
};

TEST_F(SuppliesView, AdjustedQuantityTypeAndBomAreStoredAndKeptByARerunThatKeepsThem)
{
    Scheme = RunDemoScheme(QStringLiteral("供应调整"));
    const QString engineSupplies = AllSupplies();
    const QList<double> wire = Balance(QStringLiteral("4.01.001")), blade = Balance(QStringLiteral("2.05.001"));
    ASSERT_EQ(Supply(QStringLiteral("4.01.001"), QStringLiteral("2|DM-SO-06|1")), QStringLiteral("58, -, 40, 0, 40, 0"));
    ASSERT_EQ(Supply(QStringLiteral("2.05.001"), QStringLiteral("2|DM-SO-04|1")), QStringLiteral("42, BOM-2.05.001, 80, 0, 80, 0"));
    ASSERT_EQ(Supply(QStringLiteral("2.01.001"), QStringLiteral("2|DM-SO-04|1")), QStringLiteral("42, BOM-2.01.001, 80, 0, 80, 0"));

    auto view = OpenView<TMRPSuppliesFrame>(kSupplies, Scheme.get());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->Link->lblPlanState->text(), QStringLiteral("(MRP运算完成)"));
    EXPECT_TRUE(SavePicture(view.get(), QStringLiteral("supplies_view.png")));
    // "MRP" waits for a changed scheme; "Update" is offered on a run scheme.
    TCommandState state = 0;
    ASSERT_TRUE(view->QueryCommandState(ObjectActionCommand(view->ObjectDef, QStringLiteral("MRP")), state));
    EXPECT_EQ(state, 0);
    view.reset();

    view = OpenForEditing();
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->BuiltSQL.startsWith(QStringLiteral("drop table if exists tmp_KX_MRP_SuppliesView;"))) << view->BuiltSQL.toStdString();
    const int wireLine = RecordOf(*view, QStringLiteral("4.01.001"), QStringLiteral("SO2612-004/1/1/1"));
    const int bladeLine = RecordOf(*view, QStringLiteral("2.05.001"), QStringLiteral("SO2612-002/1"));
    const int headLine = RecordOf(*view, QStringLiteral("2.01.001"), QStringLiteral("SO2612-002/1"));
    ASSERT_TRUE(wireLine >= 0 && bladeLine >= 0 && headLine >= 0);
    // Only the planned types are offered and shown while editing.
    QList<int> offered;
    for (const TEnumValue& item : view->Columns.ByField(QStringLiteral("SupBillType"))->EnumItems)
        offered << item.Value;
    EXPECT_EQ(offered, (QList<int>{btPlanMO, btPlanOO, btPlanPO}));

    // The cells as the planner types them.
    ASSERT_TRUE(view->SetCellValue(wireLine, QStringLiteral("SupQty"), 55));
    ASSERT_TRUE(view->SetCellValue(bladeLine, QStringLiteral("SupBillType"), btPlanPO));
    ASSERT_TRUE(view->SetCellValue(headLine, QStringLiteral("BomNo"), QStringLiteral("bom-2.01.001-b")));
    auto value = [&](int record, const char* field) { return view->Records().Value(record, QLatin1String(field)); };
    EXPECT_EQ(value(wireLine, "SupAdjQty").toDouble(), 15);
    EXPECT_EQ(value(wireLine, "SupRestQty").toDouble(), 15);
    EXPECT_TRUE(value(bladeLine, "BomNo").isNull());
    EXPECT_EQ(value(bladeLine, "AdjPending").toInt(), 1);
    EXPECT_EQ(value(headLine, "BomNo").toString(), QStringLiteral("BOM-2.01.001-B"));
    EXPECT_EQ(value(headLine, "SupBomID").toString(), QStringLiteral("T-B-HD40B"));
    view->grdMain->setCurrentIndex(view->RowModel()->IndexOfSourceRow(wireLine, view->RecordModel()->ColumnOf(QStringLiteral("SupQty"))));
    EXPECT_TRUE(SavePicture(view.get(), QStringLiteral("supplies_view_editing.png")));

    {
        TScriptedMessages messages;
        ASSERT_TRUE(view->ExecCommand(cmdSave));
        EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("数据保存完成。\r\r保存的内容存在以下情况需注意:\r- 涉及到父级物料的BOM或数量变化, "
                                                               "请重新运算MRP以使相关子级物料需求计划同步!")});
    }
    EXPECT_FALSE(view->Modified);
    // Each change against the values before it, the made ones waiting for a run.
    EXPECT_EQ(Adjusts(), (QStringList{"2.01.001 2|DM-SO-04|1 42 DM-B-HD40 0 1", "2.05.001 2|DM-SO-04|1 42 DM-B-BL40 0 1",
                                      "4.01.001 2|DM-SO-06|1 58 - 0 0"}));
    EXPECT_EQ(Supply(QStringLiteral("4.01.001"), QStringLiteral("2|DM-SO-06|1")), QStringLiteral("58, -, 40, 15, 55, 15"));
    EXPECT_EQ(Supply(QStringLiteral("2.05.001"), QStringLiteral("2|DM-SO-04|1")), QStringLiteral("58, -, 80, 0, 80, 0"));
    EXPECT_EQ(Supply(QStringLiteral("2.01.001"), QStringLiteral("2|DM-SO-04|1")), QStringLiteral("42, BOM-2.01.001-B, 80, 0, 80, 0"));
    // The balance: 15 more planned purchase of the wire; 80 of the blade moved from production to purchase.
    ExpectNear(Balance(QStringLiteral("4.01.001")), {wire[0] + 15, wire[1] + 15, wire[2], wire[3] + 15, wire[4]});
    ExpectNear(Balance(QStringLiteral("2.05.001")), {blade[0], blade[1] + 80, blade[2] - 80, blade[3], blade[4]});
    EXPECT_EQ(Scalar(QStringLiteral("select SchState from KX_MRP_Schemes where SchIID=%1").arg(Scheme->SchemeIID)).toInt(), psResultsChanged);
    EXPECT_EQ(Scheme->PlanState, psResultsChanged);
    EXPECT_GE(RefreshStateCalls, 1);
    EXPECT_EQ(view->Link->lblPlanState->text(), QStringLiteral("(MRP结果有变, 需重新运算MRP)"));
    // "MRP" is offered once out of edit mode.
    ASSERT_TRUE(view->ToggleEditMode());
    TCommandState mrp = 0;
    ASSERT_TRUE(view->QueryCommandState(ObjectActionCommand(view->ObjectDef, QStringLiteral("MRP")), mrp));
    EXPECT_EQ(mrp, TCommandState(csEnabled));
    view->ExecCommand(ObjectActionCommand(view->ObjectDef, QStringLiteral("MRP")));
    EXPECT_EQ(RunMRPCalls, 1);

    // The balance still adds up, supply by supply and item by item.
    const scenario::TScenario none;
    scenario::TScenarioRunner runner(none);
    runner.AdoptScheme(Scheme->SchemeIID);
    for (const scenario::TDifference& d : runner.CheckIdentities())
        ADD_FAILURE() << d.Text.toStdString();

    // A run that keeps all three kinds of adjustment plans them again.
    ASSERT_TRUE(Rerun(*Scheme, true, true, true));
    EXPECT_EQ(Supply(QStringLiteral("4.01.001"), QStringLiteral("2|DM-SO-06|1")), QStringLiteral("58, -, 40, 15, 55, 15"));
    EXPECT_EQ(Supply(QStringLiteral("2.05.001"), QStringLiteral("2|DM-SO-04|1")).left(3), QStringLiteral("58,"));
    EXPECT_EQ(Supply(QStringLiteral("2.01.001"), QStringLiteral("2|DM-SO-04|1")), QStringLiteral("42, BOM-2.01.001-B, 80, 0, 80, 0"));
    EXPECT_EQ(Adjusts().size(), 3);
    // The kept BOM is exploded: its eight screws per head.
    EXPECT_EQ(Rows(QStringLiteral("select concat_ws(' ', i.ItmNo, d.DmdNeedQty::float8) from KX_MRP_Demands as d join KX_MRP_Supplies as s on "
                                  "s.SupSchIID=d.DmdSchIID and s.SupIID=d.DmdPSupIID join KX_Base_ItemMaster as i on i.ItmID=d.DmdItmID "
                                  "join KX_Base_ItemMaster as p on p.ItmID=s.SupItmID where d.DmdSchIID=%1 and p.ItmNo='2.01.001' and "
                                  "s.SupTrackKey='2|DM-SO-04|1' order by 1")
                       .arg(Scheme->SchemeIID)),
              (QStringList{"3.01.001 80", "4.04.001 640"}));
    // Without the keep flags the engine's own plan comes back.
    ASSERT_TRUE(Rerun(*Scheme, false, false, false));
    EXPECT_EQ(AllSupplies(), engineSupplies);
    EXPECT_TRUE(Adjusts().isEmpty());
}

TEST_F(SuppliesView, BadInputIsRefusedWithItsMessageAndNothingIsWritten)
{
    Scheme = RunDemoScheme(QStringLiteral("供应调整错误"));
    // A line released to an ERP bill meanwhile.
    Exec(QStringLiteral("update KX_MRP_Supplies as s set SupDestQty=30 from KX_Base_ItemMaster as i where i.ItmID=s.SupItmID and "
                        "s.SupSchIID=%1 and i.ItmNo='3.01.001' and s.SupTrackKey='2|DM-SO-04|1'")
             .arg(Scheme->SchemeIID));
    const QString before = AllSupplies();
    const QString balance = Rows(QStringLiteral("select sum(BalEndQty)::float8 || ' ' || sum(BalQty)::float8 from KX_MRP_Balance where "
                                                "BalSchIID=%1")
                                     .arg(Scheme->SchemeIID))
                                .value(0);
    auto nothingWritten = [&] {
        EXPECT_EQ(AllSupplies(), before);
        EXPECT_TRUE(Adjusts().isEmpty());
        EXPECT_EQ(Rows(QStringLiteral("select sum(BalEndQty)::float8 || ' ' || sum(BalQty)::float8 from KX_MRP_Balance where BalSchIID=%1")
                           .arg(Scheme->SchemeIID))
                      .value(0),
                  balance);
        EXPECT_EQ(Scalar(QStringLiteral("select SchState from KX_MRP_Schemes where SchIID=%1").arg(Scheme->SchemeIID)).toInt(), psMRPDone);
    };

    // Values refused as they are typed: the cell takes back its value.
    const struct {
        const char* Item;
        const char* Bill;
        const char* Field;
        QVariant Value;
        const char* Message;
        QVariant Kept;
    } typed[] = {
        {"2.01.001", "SO2612-002/1", "SupBillType", btMO, "[类型]的值(生产任务)无效!", btPlanMO},
        {"2.01.001", "SO2612-002/1", "BomNo", QStringLiteral("BOM-2.01.001-OLD"), "[BOM单]的值(BOM-2.01.001-OLD)不存在!",
         QStringLiteral("BOM-2.01.001")},
        {"3.01.001", "SO2612-002/1/1", "SupQty", 90, "供应计划[SO2612-002/1/1]已有投放数量, 不能调整!", 80},
    };
    for (const auto& c : typed) {
        SCOPED_TRACE(c.Field);
        auto view = OpenForEditing();
        const int line = RecordOf(*view, QLatin1String(c.Item), QLatin1String(c.Bill));
        ASSERT_GE(line, 0);
        TScriptedMessages messages;
        view->SetCellValue(line, QLatin1String(c.Field), c.Value);
        EXPECT_EQ(messages.Texts(), QStringList{QString::fromUtf8(c.Message)});
        EXPECT_EQ(view->Records().Value(line, QLatin1String(c.Field)), c.Kept);
        ASSERT_TRUE(view->SaveData());
        nothingWritten();
    }

    // A negative plan quantity is refused by the save, on its cell.
    {
        auto view = OpenForEditing();
        const int line = RecordOf(*view, QStringLiteral("4.01.001"), QStringLiteral("SO2612-004/1/1/1"));
        view->SetCellValue(line, QStringLiteral("SupQty"), -5);
        TScriptedMessages messages;
        EXPECT_FALSE(view->SaveData());
        EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("[计划数量]的值(-5)没有大于或等于0 !")});
        EXPECT_EQ(view->FocusedRecord(), line);
        EXPECT_EQ(view->grdMain->currentIndex().data(vrFieldName).toString(), QStringLiteral("SupQty"));
        nothingWritten();
    }

    // Another session is rewriting the scheme (a run) while the planner saves.
    {
        auto view = OpenForEditing();
        view->SetCellValue(RecordOf(*view, QStringLiteral("4.01.001"), QStringLiteral("SO2612-004/1/1/1")), QStringLiteral("SupQty"), 60);
        TConnection other;
        other.ConnectionString = SharedConnection().ConnectionString;
        TSchemeLock running(other, Scheme->SchemeIID, Scheme->SchemeName, QStringLiteral("运算MRP"));
        TScriptedMessages messages;
        EXPECT_FALSE(view->SaveData());
        ASSERT_EQ(messages.Count(), 1);
        EXPECT_TRUE(messages.LastText().startsWith(QStringLiteral("计划方案[供应调整错误]正被[测试员]运算MRP(自"))) << messages.LastText().toStdString();
        EXPECT_TRUE(view->Modified);
        nothingWritten();
    }

    // Another session changed the scheme between loading and saving: its run, or its own adjustments.
    for (const char* other : {"update KX_MRP_Schemes set SchMrpUpdTime=localtimestamp - interval '1 minute' where SchIID=%1",
                              "update KX_MRP_Schemes set SchState=5 where SchIID=%1"}) {
        SCOPED_TRACE(other);
        auto view = OpenForEditing();
        const QVariant updTime = Scalar(QStringLiteral("select SchMrpUpdTime from KX_MRP_Schemes where SchIID=%1").arg(Scheme->SchemeIID));
        view->SetCellValue(RecordOf(*view, QStringLiteral("4.01.001"), QStringLiteral("SO2612-004/1/1/1")), QStringLiteral("SupQty"), 60);
        Exec(QString::fromLatin1(other).arg(Scheme->SchemeIID));
        TScriptedMessages messages;
        EXPECT_FALSE(view->SaveData());
        EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("计划方案[供应调整错误]最新状态已被改变, 不能执行本操作!")});
        EXPECT_EQ(AllSupplies(), before);
        EXPECT_TRUE(Adjusts().isEmpty());
        // What the other session did is put back for the next case.
        Exec(QStringLiteral("update KX_MRP_Schemes set SchState=6, SchMrpUpdTime=%2 where SchIID=%1")
                 .arg(Scheme->SchemeIID)
                 .arg(updTime.isNull() ? QStringLiteral("null") : QStringLiteral("'%1'").arg(updTime.toDateTime().toString(Qt::ISODateWithMs))));
        (void)Scheme->LoadState();
    }
}
