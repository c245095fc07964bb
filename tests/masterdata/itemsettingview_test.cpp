// The item planning settings view on the demo factory: loading, the item picker statement,
// editing and saving through KX_MRP_UpdateItemSetting with what the engine then reads, the
// field checks with their messages and focused cells, and saves that fail without leaving
// anything half stored.
#include "masterdatafixture.h"

#include "db/quote.h"
#include "db/shared.h"
#include "db/sqlrun.h"
#include "masterdata/itemsetting.h"
#include "masterdata/itemsettingframe.h"
#include "masterdata/lossratedlg.h"
#include "views/columneditor.h"
#include "views/gridgroupmodel.h"
#include "views/gridmodel.h"

#include "../db/suiteprocfixture.h"

#include <QTreeView>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

namespace {

int RecordOf(const TInfoGridView& view, const QString& itemNo)
{
    for (int r = 0; r < view.Records().RecordCount(); ++r)
        if (view.Records().Value(r, QStringLiteral("ItmNo")).toString() == itemNo)
            return r;
    return -1;
}

QString FocusedField(const TInfoGridView& view)
{
    return view.grdMain->currentIndex().data(vrFieldName).toString();
}

} // namespace

class ItemSettingView : public TMasterDataTest {
public:
    static void SetUpTestSuite() { TMasterDataTest::SetUpTestSuite(); }

protected:
    // The view of the demo items, in edit mode.
    std::unique_ptr<TItemSettingFrame> OpenForEditing()
    {
        auto view = OpenModuleView<TItemSettingFrame>(QStringLiteral("KX_MRP.Items"));
        EXPECT_TRUE(view && view->ToggleEditMode());
        return view;
    }
    static QString SettingOf(const QString& itemID, const QString& columns)
    {
        return Rows(QStringLiteral("select %1 from KX_MRP_ItemSetting where ItmID=%2").arg(columns, QuotedStr(itemID))).value(0);
    }
};

TEST_F(ItemSettingView, OpensOnTheDemoItemsWithTheirSettingsInBands)
{
    auto view = OpenModuleView<TItemSettingFrame>(QStringLiteral("KX_MRP.Items"));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->Records().RecordCount(), 43);
    EXPECT_TRUE(view->BuiltSQL.contains(QStringLiteral("order by i.ItmNo limit 1000"))) << view->BuiltSQL.toStdString();
    const int fs40 = RecordOf(*view, QStringLiteral("1.01.001"));
    ASSERT_GE(fs40, 0);
    const TRecordTableModel* model = view->RecordModel();
    auto cell = [&](const char* field) { return model->index(fs40, model->ColumnOf(QLatin1String(field))).data().toString(); };
    EXPECT_EQ(cell("ItmName"), QStringLiteral("落地扇"));
    EXPECT_EQ(cell("ItmType"), QStringLiteral("自制"));
    EXPECT_EQ(cell("ItmPlanner"), QStringLiteral("李明"));
    EXPECT_EQ(cell("ItmSafeQty"), QStringLiteral("50"));
    EXPECT_EQ(cell("ItmMODept"), QStringLiteral("总装车间"));
    EXPECT_EQ(cell("UntName"), QStringLiteral("台"));
    EXPECT_EQ(view->Columns.Bands[2].Caption, QStringLiteral("计量单位"));
    EXPECT_FALSE(view->Columns.Bands[4].Visible);
    EXPECT_FALSE(view->Columns.ByField(QStringLiteral("ItmID"))->Visible);
    EXPECT_TRUE(SavePicture(view.get(), QStringLiteral("items_view.png")));

    // "Update" (the object's first action) is offered on a non-empty list and toggles edit mode.
    TCommandState state = 0;
    ASSERT_TRUE(view->QueryCommandState(cmdAction, state));
    EXPECT_EQ(state, TCommandState(csEnabled));
    ASSERT_TRUE(view->ExecCommand(cmdAction));
    ASSERT_TRUE(view->QueryCommandState(cmdAction, state));
    EXPECT_EQ(state, TCommandState(csEnabled | csChecked));
    EXPECT_TRUE(view->BuiltSQL.startsWith(QStringLiteral("drop table if exists tmp_KX_MRP_ItemSettingView;")));
    EXPECT_EQ(view->Records().Value(RecordOf(*view, QStringLiteral("1.01.001")), QStringLiteral("ItmPlannerID")).toString(),
              QStringLiteral("DM-E-02"));
    // The loss-rate column edits with its own button edit.
    std::unique_ptr<QWidget> editor(CreateColumnEditor(*view->Columns.ByField(QStringLiteral("ItmPutLossRate")), nullptr));
    EXPECT_NE(qobject_cast<TLossRateEdit*>(editor.get()), nullptr);
    EXPECT_TRUE(SavePicture(view.get(), QStringLiteral("items_view_editing.png")));
}

TEST_F(ItemSettingView, ItemPickerStatementTakesFieldsFilterAndExtraColumns)
{
    const QString all = BuildItemPickSQL(QStringLiteral("ItmType|"), QString(), QStringLiteral("i.ItmID as \"#ItmID\""));
    EXPECT_TRUE(all.startsWith(QStringLiteral("select i.ItmNo as \"物料代码\", i.ItmName as \"物料名称\", i.ItmSpec as \"规格型号\", "
                                              "i.ItmType as \"物料属性\", i.ItmID as \"#ItmID\" from KX_Base_ItemMaster as i")))
        << all.toStdString();
    EXPECT_TRUE(all.endsWith(QStringLiteral(" order by i.ItmNo limit 1000"))) << all.toStdString();
    TQuery q(&SharedConnection());
    ASSERT_TRUE(RunSQL(q, all, true));
    EXPECT_EQ(q.RecordCount(), 43);
    EXPECT_EQ(q.FieldNames(), (QStringList{"物料代码", "物料名称", "规格型号", "物料属性", "#ItmID"}));

    // With a filter there is no row limit; the search finds number, name or specification.
    const QString search = BuildItemPickSQL(QString(), kItemPickSearch, QString());
    EXPECT_FALSE(search.contains(QStringLiteral("limit")));
    for (const auto& [text, count] : {std::pair{"608", 2}, {"轴承", 2}, {"4.02.00", 5}}) {
        ASSERT_TRUE(RunSQL(q, QString(search).replace(QStringLiteral("%0:s"), QuotedStr(QString::fromUtf8(text))), true));
        EXPECT_EQ(q.RecordCount(), count) << text;
    }
}

TEST_F(ItemSettingView, AnEditedItemIsStoredAndReadByTheEngine)
{
    auto view = OpenForEditing();
    const int br1 = RecordOf(*view, QStringLiteral("4.02.003"));
    ASSERT_GE(br1, 0);
    // Typed codes and names find the employee, workshop and planning item; the name is shown.
    const struct {
        const char* Field;
        QVariant Value;
    } edits[] = {
        {"ItmPlanner", QStringLiteral("E003")}, {"ItmMODept", QStringLiteral("电机车间")}, {"ItmPlanNo", QStringLiteral("4.02.004")},
        {"ItmSafeQty", 500},                     {"ItmFixLeadTime", 12},                   {"ItmVarLeadTime", 1},
        {"ItmVarLeadLot", 1000},                 {"ItmPutLossType", 2},                    {"ItmPutLossRate", QStringLiteral("10|100:2%")},
        {"ItmMrpSkip", true},
    };
    for (const auto& e : edits)
        ASSERT_TRUE(view->SetCellValue(br1, QLatin1String(e.Field), e.Value)) << e.Field;
    const TRecordSet& records = view->Records();
    EXPECT_EQ(records.Value(br1, QStringLiteral("ItmPlanner")).toString(), QStringLiteral("张丽"));
    EXPECT_EQ(records.Value(br1, QStringLiteral("ItmPlannerID")).toString(), QStringLiteral("DM-E-03"));
    EXPECT_EQ(records.Value(br1, QStringLiteral("ItmMODeptID")).toString(), QStringLiteral("DM-D-WS2"));
    EXPECT_EQ(records.Value(br1, QStringLiteral("ItmPlanName")).toString(), QStringLiteral("轴承"));
    EXPECT_EQ(records.Value(br1, QStringLiteral("ItmPlanSpec")).toString(), QStringLiteral("608-2RS"));
    EXPECT_TRUE(view->NeedSave());

    TScriptedMessages script;
    ASSERT_TRUE(view->ExecCommand(cmdSave));
    EXPECT_EQ(script.Count(), 0) << script.LastText().toStdString();
    EXPECT_FALSE(view->NeedSave());
    EXPECT_EQ(SettingOf(QStringLiteral("DM-I-BR1"), QStringLiteral("ItmPlannerID, ItmMODeptID, ItmPlanItmID, ItmSafeQty, ItmFixLeadTime, "
                                                                  "ItmVarLeadTime, ItmVarLeadLot, ItmPutLossType, ItmPutLossRate, ItmMrpSkip")),
              QStringLiteral("DM-E-03, DM-D-WS2, DM-I-BR2, 500.00000000, 12, 1, 1000.00000000, 2, 10|100:2%, 1"));
    // Items not edited keep their rows as they were.
    EXPECT_EQ(SettingOf(QStringLiteral("DM-I-FS40"), QStringLiteral("ItmPlannerID, ItmSafeQty")), QStringLiteral("DM-E-02, 50.00000000"));
    // The view shows what was stored.
    EXPECT_EQ(view->Records().Value(RecordOf(*view, QStringLiteral("4.02.003")), QStringLiteral("ItmPlanner")).toString(),
              QStringLiteral("张丽"));

    // The BOM reader of the engine takes the item's own loss text for its lines.
    Exec(tmp::RefGetBOM + tmp::BOM);
    Exec(QStringLiteral("insert into tmp_KX_MRP_RefGetBOM values ('DM-I-MT40', 1, 'DM-B-MT40'); call KX_MRP_GetBOM()"));
    EXPECT_EQ(Rows(QStringLiteral("select BomPutLossRate from tmp_KX_MRP_BOM where BomItmID='DM-I-BR1'")),
              QStringList{QStringLiteral("10|100:2%")});
}

TEST_F(ItemSettingView, AnUnknownPickerTextLeavesAnEmptyReference)
{
    auto view = OpenForEditing();
    const int fs40 = RecordOf(*view, QStringLiteral("1.01.001"));
    ASSERT_TRUE(view->SetCellValue(fs40, QStringLiteral("ItmPlanNo"), QStringLiteral("9.99.999")));
    ASSERT_TRUE(view->SetCellValue(fs40, QStringLiteral("ItmBuyer"), QStringLiteral("无此人")));
    EXPECT_EQ(view->Records().Value(fs40, QStringLiteral("ItmPlanItmID")).toString(), QString());
    EXPECT_EQ(view->Records().Value(fs40, QStringLiteral("ItmPlanName")), QVariant());
    EXPECT_EQ(view->Records().Value(fs40, QStringLiteral("ItmBuyerID")).toString(), QString());
    TScriptedMessages script;
    ASSERT_TRUE(view->SaveData());
    EXPECT_EQ(SettingOf(QStringLiteral("DM-I-FS40"), QStringLiteral("ItmPlanItmID, ItmBuyerID, ItmPlannerID")),
              QStringLiteral(", , DM-E-02"));
}

TEST_F(ItemSettingView, EveryFieldCheckShowsItsMessageFocusesTheCellAndStoresNothing)
{
    const struct {
        QList<std::pair<const char*, QVariant>> Edits;
        const char* Message;
        const char* Focus;
    } cases[] = {
        {{{"ItmPreLeadTime", -1}}, "[开工备料提前期]的值(-1)没有大于或等于0 !", "ItmPreLeadTime"},
        {{{"ItmFixLeadTime", -2}}, "[固定提前期]的值(-2)没有大于或等于0 !", "ItmFixLeadTime"},
        {{{"ItmVarLeadTime", -1}}, "[变动提前期]的值(-1)没有大于或等于0 !", "ItmVarLeadTime"},
        {{{"ItmVarLeadLot", -0.5}}, "[变动提前期批量]的值(-0.5)没有大于或等于0 !", "ItmVarLeadLot"},
        {{{"ItmPostLeadTime", -3}}, "[来料检验提前期]的值(-3)没有大于或等于0 !", "ItmPostLeadTime"},
        {{{"ItmSafeQty", -1000}}, "[安全库存]的值(-1,000)没有大于或等于0 !", "ItmSafeQty"},
        {{{"ItmMinQty", -1}}, "[最小供应量]的值(-1)没有大于或等于0 !", "ItmMinQty"},
        {{{"ItmLotQty", -1}}, "[批量增量]的值(-1)没有大于或等于0 !", "ItmLotQty"},
        {{{"ItmMaxQty", -1}}, "[最大供应量]的值(-1)没有大于或等于0 !", "ItmMaxQty"},
        {{{"ItmVarLeadTime", 3}, {"ItmVarLeadLot", 0}}, "设置[变动提前期]时(值大于0), [变动提前期批量]不能小于0 !", "ItmVarLeadLot"},
        {{{"ItmMinQty", 10}, {"ItmMaxQty", 5}}, "设置[最大供应量]时(值大于0), 不能小于[最小供应量]!", "ItmMaxQty"},
        {{{"ItmPutLossType", 2}, {"ItmPutLossRate", ""}}, "设置[投料损耗控制]为\"默认损耗率\"时, 必须设置[投料默认损耗率]的值!",
         "ItmPutLossRate"},
        {{{"ItmPutLossRate", "2 percent"}}, "[投料默认损耗率]的值(2 percent)无效!", "ItmPutLossRate"},
    };
    const QString before = Rows(QStringLiteral("select * from KX_MRP_ItemSetting order by ItmID")).join(QLatin1Char('\n'));
    auto view = OpenForEditing();
    const int wire = RecordOf(*view, QStringLiteral("4.01.001"));
    const int manual = RecordOf(*view, QStringLiteral("5.03.001"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Message);
        view->RefreshData(false);
        // A valid change on another row is not stored either.
        ASSERT_TRUE(view->SetCellValue(manual, QStringLiteral("ItmSafeQty"), 7));
        for (const auto& [field, value] : c.Edits)
            ASSERT_TRUE(view->SetCellValue(wire, QLatin1String(field), value));
        TScriptedMessages script;
        EXPECT_FALSE(view->SaveData());
        EXPECT_EQ(script.Texts(), QStringList{QString::fromUtf8(c.Message)});
        EXPECT_EQ(view->FocusedRecord(), wire);
        EXPECT_EQ(FocusedField(*view), QLatin1String(c.Focus));
        EXPECT_TRUE(view->GetEditMode());
        EXPECT_TRUE(view->NeedSave());
    }
    EXPECT_EQ(Rows(QStringLiteral("select * from KX_MRP_ItemSetting order by ItmID")).join(QLatin1Char('\n')), before);
}

TEST_F(ItemSettingView, AFailedSaveStoresNoRowAndKeepsTheEdits)
{
    const QString before = Rows(QStringLiteral("select * from KX_MRP_ItemSetting order by ItmID")).join(QLatin1Char('\n'));
    auto view = OpenForEditing();
    ASSERT_TRUE(view->SetCellValue(RecordOf(*view, QStringLiteral("1.01.001")), QStringLiteral("ItmSafeQty"), 99));
    // A plan type the table does not know passes the view's checks but not the server's.
    ASSERT_TRUE(view->SetCellValue(RecordOf(*view, QStringLiteral("5.03.001")), QStringLiteral("ItmMrpType"), 7));
    TScriptedMessages script;
    EXPECT_FALSE(view->SaveData());
    ASSERT_EQ(script.Count(), 2);
    EXPECT_TRUE(script.Texts()[0].startsWith(QStringLiteral("错误: "))) << script.Texts()[0].toStdString();
    EXPECT_EQ(script.Texts()[1], QStringLiteral("保存过程中出现意外错误, 操作被中止!"));
    EXPECT_TRUE(view->NeedSave());
    EXPECT_EQ(Rows(QStringLiteral("select * from KX_MRP_ItemSetting order by ItmID")).join(QLatin1Char('\n')), before);
}

TEST_F(ItemSettingView, LeavingEditModeAsksAboutUnsavedRows)
{
    auto view = OpenForEditing();
    const int fs40 = RecordOf(*view, QStringLiteral("1.01.001"));
    ASSERT_TRUE(view->SetCellValue(fs40, QStringLiteral("ItmLotQty"), 20));
    {
        TScriptedMessages cancel({mrCancel});
        EXPECT_FALSE(view->ToggleEditMode());
        EXPECT_EQ(cancel.LastText(), QStringLiteral("您将退出[物料计划资料]的当前编辑状态, 对未保存过的内容进行保存?"));
        EXPECT_EQ(cancel.Requests().value(0).Buttons, mbYesNoCancel | mbDefButton3);
        EXPECT_TRUE(view->GetEditMode());
    }
    {
        TScriptedMessages no({mrNo});
        EXPECT_TRUE(view->ToggleEditMode());
        EXPECT_FALSE(view->GetEditMode());
        EXPECT_EQ(SettingOf(QStringLiteral("DM-I-FS40"), QStringLiteral("ItmLotQty")), QStringLiteral("10.00000000"));
    }
    ASSERT_TRUE(view->ToggleEditMode());
    ASSERT_TRUE(view->SetCellValue(RecordOf(*view, QStringLiteral("1.01.001")), QStringLiteral("ItmLotQty"), 20));
    {
        TScriptedMessages yes({mrYes});
        EXPECT_TRUE(view->ToggleEditMode());
        EXPECT_FALSE(view->GetEditMode());
        EXPECT_EQ(SettingOf(QStringLiteral("DM-I-FS40"), QStringLiteral("ItmLotQty")), QStringLiteral("20.00000000"));
    }
}

TEST_F(ItemSettingView, ThousandsOfRowsGoInOneTransactionOfBatches)
{
    Exec(QStringLiteral("insert into KX_Base_ItemMaster (ItmID, ItmNo, ItmName, ItmUnitID) "
                        "select 'BULK-' || n, 'BULK-' || lpad(n::text, 5, '0'), '批量物料', 'DM-U-PCS' from generate_series(1, 3000) as n"));
    QStringList statements;
    for (int n = 1; n <= 3000; ++n) {
        const QVariantMap values{{QStringLiteral("ItmID"), QStringLiteral("BULK-%1").arg(n)}, {QStringLiteral("ItmSafeQty"), n}};
        statements << ItemSettingUpdateSQL({[&values](const QString& f) { return values.value(f); }, {}, {}});
    }
    SaveItemSettings(SharedConnection(), statements);
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_MRP_ItemSetting where ItmID like 'BULK-%'")).toInt(), 3000);
    EXPECT_EQ(Scalar(QStringLiteral("select ItmSafeQty from KX_MRP_ItemSetting where ItmID='BULK-2999'")).toDouble(), 2999);

    // The last statement fails: none of the earlier batches stays.
    Exec(QStringLiteral("delete from KX_MRP_ItemSetting where ItmID like 'BULK-%'"));
    statements << QStringLiteral("call KX_MRP_UpdateItemSetting(ItmID => 'BULK-1', ItmMrpType => 9, ItmMrpSkip => 0, "
                                 "ItmPlannerID => '', ItmBuyerID => '', ItmMrpGroup => 0, ItmMrpTrack => 0, ItmPreLeadTime => 0, "
                                 "ItmFixLeadTime => 0, ItmVarLeadTime => 0, ItmVarLeadLot => 0, ItmPostLeadTime => 0, ItmSafeQty => 0, "
                                 "ItmMinQty => 0, ItmLotQty => 0, ItmMaxQty => 0, ItmPutLossType => 0, ItmPutLossRate => '', "
                                 "ItmPutInteger => 0, ItmSuitSkip => 0, ItmOutSkip => 0, ItmMOBomSkip => 0, ItmOOBomSkip => 0, "
                                 "ItmMODeptID => '', ItmPOSuppID => '', ItmOOSuppID => '', ItmPlanItmID => '')");
    EXPECT_THROW(SaveItemSettings(SharedConnection(), statements), EDatabaseError);
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_MRP_ItemSetting where ItmID like 'BULK-%'")).toInt(), 0);

    TSQLBatch batch(SharedConnection());
    for (int n = 0; n < 700; ++n)
        batch.Add(QStringLiteral("select %1 as \"%2\"").arg(n).arg(QString(80, QLatin1Char('x'))));
    batch.Flush();
    EXPECT_EQ(batch.BatchesSent(), 2);   // 700 statements of about 100 characters: one batch past 65000, then the rest
}
