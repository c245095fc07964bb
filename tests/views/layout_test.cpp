// Layout codes, layout store and apply, number formats, summaries and field conditions:
// the rules the views keep without a database.
#include "views/commonui.h"
#include "views/conditions.h"
#include "views/gridlayout.h"
#include "views/gridsummary.h"

#include "db/strutils.h"

#include "qtprinters.h"

#include <gtest/gtest.h>

using namespace kx;

namespace {

TInfoObjectDef ItemsDefinition()
{
    TInfoObjectDef def;
    def.ID = QStringLiteral("KX_TEST.Layout");
    auto field = [&](const char* id, const char* name, TFieldType type, const char* expression) {
        TInfoFieldDef f;
        f.ID = QString::fromLatin1(id);
        f.Name = QString::fromUtf8(name);
        f.DataType = type;
        f.SQLExpress = QString::fromLatin1(expression);
        def.Fields << f;
        return &def.Fields.last();
    };
    field("ItmID", "物料ID", ftWideString, "i.ItmID")->IsPrimary = true;
    def.Fields.last().HideList = true;
    field("ItmNo", "编号", ftWideString, "i.ItmNo");
    field("ItmName", "名称", ftWideString, "i.ItmName");
    field("ItmQty", "数量", ftFloat, "i.ItmQty");
    field("ItmAmount", "金额", ftCurrency, "i.ItmAmount");
    field("ItmDate", "日期", ftDateTime, "i.ItmDate");
    field("ItmFlag", "标记", ftBoolean, "i.ItmFlag");
    return def;
}

} // namespace

TEST(NumberFormat, FollowsTheSystemsPictureFormats)
{
    const struct {
        QString Format;
        double Value;
        QString Text;
    } cases[] = {
        {kFloatFormat, 1234567.5, QStringLiteral("1,234,567.5")},
        {kFloatFormat, 0.123456789, QStringLiteral("0.12345679")},
        {kFloatFormat, -42, QStringLiteral("-42")},
        {kFloatFormat, 0, QStringLiteral("0")},
        {kCurrencyFormat, 1234.5, QStringLiteral("1,234.50")},
        {kCurrencyFormat, -0.004, QStringLiteral("0.00")},
        {kMaxSummaryFormat, 12.5, QStringLiteral("≤12.5")},
        {kMaxSummaryFormat, -3, QStringLiteral("≤-3")},
        {kMinSummaryFormat, 1000, QStringLiteral("≥1,000")},
        {QStringLiteral("#,##0.00;(#,##0.00)"), -1500, QStringLiteral("(1,500.00)")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatFloat(c.Format, c.Value), c.Text) << c.Format.toStdString() << " " << c.Value;

    // Display handlers: zero and null are blank.
    EXPECT_EQ(TCommonUI::GridFloatColumnGetDisplayText(QVariant()), QString());
    EXPECT_EQ(TCommonUI::GridFloatColumnGetDisplayText(0.0), QString());
    EXPECT_EQ(TCommonUI::TreeCurrencyColumnGetDisplayText(5), QStringLiteral("5.00"));
}

TEST(ColumnPosition, CodesHoldBandColumnRowLinesAndAClampedWidth)
{
    const struct {
        TColumnPosition In;
        QString Code;
        int Width;
    } cases[] = {
        {{0, 0, 0, 1, 70}, QStringLiteral("000011Y"), 70},
        {{2, 37, 1, 2, 150}, QStringLiteral("2111246"), 150},
        {{0, 3, 0, 1, 2000}, QStringLiteral("0030100"), 1296},    // the widest width is 1296
        {{0, 3, 0, 1, 1296}, QStringLiteral("0030100"), 1296},
        {{0, 3, 0, 1, 1295}, QStringLiteral("00301ZZ"), 1295},
        {{0, 3, 0, 1, 5}, QStringLiteral("00301 0K").remove(QLatin1Char(' ')), 20},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeColumnPosition(c.In), c.Code) << c.In.Width;
        TColumnPosition out;
        ASSERT_TRUE(DecodeColumnPosition(c.Code, out));
        EXPECT_EQ(out.Band, c.In.Band);
        EXPECT_EQ(out.ColIndex, c.In.ColIndex);
        EXPECT_EQ(out.Row, c.In.Row);
        EXPECT_EQ(out.LineCount, c.In.LineCount);
        EXPECT_EQ(out.Width, c.Width);
    }
    TColumnPosition bad;
    EXPECT_FALSE(DecodeColumnPosition(QStringLiteral("0001"), bad));
    EXPECT_FALSE(DecodeColumnPosition(QStringLiteral("00#011Y"), bad));
}

TEST(ColumnLayout, HiddenColumnsKeepTheirStoredWidthAndGridModeKeepsTheSorting)
{
    const TInfoObjectDef def = ItemsDefinition();
    TViewColumns columns;
    QString params = SetParamValue(QString(), QStringLiteral("[Positions]"),
                                   QStringLiteral("ItmNo:000018C|ItmName:001018C|ItmQty:00201AU|"));
    params = SetParamValue(params, QStringLiteral("[Sorts]"), QStringLiteral("ItmNo:1:0"));
    ApplyColumnLayout(columns, def, params, QStringLiteral("|ItmNo|ItmQty|ItmName|"), {});
    // Stored positions order the columns; a column without a stored code keeps its place
    // after them.
    QStringList shown;
    for (const TViewColumn* c : columns.DisplayOrder())
        shown << c->FieldName;
    EXPECT_EQ(shown, (QStringList{"ItmNo", "ItmName", "ItmQty"}));
    EXPECT_EQ(columns.ByField(QStringLiteral("ItmQty"))->Width, 390);
    EXPECT_EQ(columns.ByField(QStringLiteral("ItmQty"))->Kind, ckNumber);
    EXPECT_EQ(columns.ByField(QStringLiteral("ItmNo"))->SortIndex, 0);
    EXPECT_TRUE(columns.ByField(QStringLiteral("ItmNo"))->Descending);

    // The user hides the name column (a hidden section reports no width) and widens the
    // quantity beyond the limit.
    TViewColumn* name = columns.ByField(QStringLiteral("ItmName"));
    name->Visible = false;
    name->Width = 0;
    columns.ByField(QStringLiteral("ItmQty"))->Width = 5000;
    params = StoreColumnLayout(columns, params, {});
    EXPECT_EQ(GetParamValue(params, QStringLiteral("[Fields]")), QStringLiteral("|ItmNo|ItmQty|"));
    EXPECT_EQ(GetParamValue(params, QStringLiteral("[Positions]")), QStringLiteral("ItmNo:000018C|ItmName:001018C|ItmQty:0020100|"));

    // Applied and stored again the hidden name keeps its code; shown again it comes back
    // 300 pixels wide, and the quantity is 1296 wide.
    TViewColumns again;
    ApplyColumnLayout(again, def, params, GetParamValue(params, QStringLiteral("[Fields]")), {});
    EXPECT_EQ(again.ByField(QStringLiteral("ItmName")), nullptr);
    params = StoreColumnLayout(again, params, {});
    EXPECT_EQ(GetParamValue(params, QStringLiteral("[Positions]")), QStringLiteral("ItmNo:000018C|ItmName:001018C|ItmQty:0010100|"));
    ApplyColumnLayout(again, def, params, QStringLiteral("|ItmNo|ItmName|ItmQty|"), {});
    ASSERT_NE(again.ByField(QStringLiteral("ItmName")), nullptr);
    EXPECT_TRUE(again.ByField(QStringLiteral("ItmName"))->Visible);
    EXPECT_EQ(again.ByField(QStringLiteral("ItmName"))->Width, 300);
    EXPECT_EQ(again.ByField(QStringLiteral("ItmQty"))->Width, 1296);

    // A designed column stays when hidden, with its stored width.
    TViewColumns designed;
    designed.Add(QStringLiteral("ItmName"), QStringLiteral("名称"))->Width = 80;
    ApplyColumnLayout(designed, def, params, QStringLiteral("|ItmNo|"), {});
    EXPECT_FALSE(designed.ByField(QStringLiteral("ItmName"))->Visible);
    EXPECT_EQ(designed.ByField(QStringLiteral("ItmName"))->Width, 300);

    // In grid mode the stored sorting is neither applied nor rewritten.
    TViewColumns gridMode;
    ApplyColumnLayout(gridMode, def, params, QStringLiteral("|ItmNo|"), {true, true, true});
    EXPECT_EQ(gridMode.ByField(QStringLiteral("ItmNo"))->SortIndex, -1);
    EXPECT_EQ(GetParamValue(StoreColumnLayout(gridMode, params, {true, true, true}), QStringLiteral("[Sorts]")),
              QStringLiteral("ItmNo:1:0"));
}

TEST(ColumnLayout, TotalsAndSummariesComeFromTheScheme)
{
    const TInfoObjectDef def = ItemsDefinition();
    const struct {
        QString Total;
        bool Footer, GroupFooters;
        TSummaryKind Qty;
    } cases[] = {
        {QString(), true, true, skSum},
        {QStringLiteral("10"), true, false, skSum},
        {QStringLiteral("01"), false, false, skNone},
    };
    for (const auto& c : cases) {
        TViewColumns columns;
        QString params = SetParamValue(QString(), QStringLiteral("[Total]"), c.Total);
        params = SetParamValue(params, QStringLiteral("[Summaries]"), QStringLiteral("ItmQty:1|ItmAmount:4|ItmNo:9"));
        ApplyColumnLayout(columns, def, params, QStringLiteral("|ItmNo|ItmQty|ItmAmount|"), {});
        EXPECT_EQ(columns.FooterVisible, c.Footer) << c.Total.toStdString();
        EXPECT_EQ(columns.GroupFootersVisible, c.GroupFooters) << c.Total.toStdString();
        EXPECT_EQ(columns.ByField(QStringLiteral("ItmQty"))->Summary, c.Qty);
        EXPECT_EQ(columns.ByField(QStringLiteral("ItmNo"))->Summary, skNone);   // 9 is no summary kind
    }
}

TEST(GridSummary, ZerosBlanksAndNullsDoNotCount)
{
    const QVariantList values{0, 5, QVariant(), QString(), QStringLiteral("  "), 0.0};
    const struct {
        TSummaryKind Kind;
        QVariant Result;
        QString Text;
    } cases[] = {
        {skCount, 1, QStringLiteral("1")},
        {skSum, 5.0, QStringLiteral("5")},
        {skMin, 5, QStringLiteral("≥5")},
        {skMax, 5, QStringLiteral("≤5")},
        {skAverage, 5.0, QStringLiteral("5")},
    };
    for (const auto& c : cases) {
        TSummaryItem item(c.Kind);
        for (const QVariant& v : values)
            item.Add(v);
        EXPECT_EQ(item.Count, 1) << c.Kind;
        EXPECT_EQ(item.Result().toDouble(), c.Result.toDouble()) << c.Kind;
        EXPECT_EQ(item.Text(), c.Text) << c.Kind;
    }
    TSummaryItem minimum(skMin);
    for (const QVariant& v : {QVariant(7.5), QVariant(-2), QVariant(0), QVariant(3)})
        minimum.Add(v);
    EXPECT_EQ(minimum.Result().toDouble(), -2.0);
    EXPECT_EQ(minimum.Text(), QStringLiteral("≥-2"));
}

TEST(FieldCondition, FollowsTheFieldsDataType)
{
    const TInfoObjectDef def = ItemsDefinition();
    const struct {
        const char* Field;
        QString Value;
        QString Condition;
    } cases[] = {
        {"ItmNo", QStringLiteral("'A001'"), QStringLiteral("i.ItmNo='A001'")},
        {"ItmNo", QStringLiteral(" "), QStringLiteral("(i.ItmNo='' or i.ItmNo is null)")},
        {"ItmNo", QStringLiteral("NULL"), QStringLiteral("i.ItmNo is null")},
        {"ItmQty", QStringLiteral("12.5"), QStringLiteral("i.ItmQty=12.5")},
        {"ItmQty", QStringLiteral("0"), QStringLiteral("(i.ItmQty=0 or i.ItmQty is null)")},
        {"ItmQty", QStringLiteral("''"), QStringLiteral("(i.ItmQty=0 or i.ItmQty is null)")},
        {"ItmFlag", QStringLiteral("True"), QStringLiteral("i.ItmFlag=1")},
        {"ItmFlag", QStringLiteral("0"), QStringLiteral("(i.ItmFlag=0 or i.ItmFlag is null)")},
        {"ItmDate", QStringLiteral("2026/03/05 10:20:30"), QStringLiteral("i.ItmDate='20260305'")},
        {"ItmDate", QStringLiteral("''"), QStringLiteral("i.ItmDate is null")},
        {"itmdate", QStringLiteral("null"), QStringLiteral("i.ItmDate is null")},
        {"NoSuchField", QStringLiteral("1"), QStringLiteral("1=0")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FieldCondition(&def, QString::fromLatin1(c.Field), c.Value), c.Condition) << c.Field;
    EXPECT_EQ(KeyValuesCondition(&def, QStringLiteral("ItmNo='A'\r\nItmQty=3\r\n")), QStringLiteral("i.ItmNo='A' and i.ItmQty=3"));
    EXPECT_EQ(KeyValuesCondition(&def, QStringLiteral("ItmNo='A'\r\nItmQty=3"), QStringLiteral("itmqty")), QStringLiteral("i.ItmQty=3"));
}

TEST(RecordValueText, GivesSQLReadyTexts)
{
    EXPECT_EQ(RecordValueText(QVariant(), ftWideString), QStringLiteral("null"));
    EXPECT_EQ(RecordValueText(QString(), ftWideString), QStringLiteral("null"));
    EXPECT_EQ(RecordValueText(QStringLiteral("O'Neil"), ftWideString), QStringLiteral("'O''Neil'"));
    EXPECT_EQ(RecordValueText(QDateTime(QDate(2026, 3, 5), QTime(8, 0)), ftDateTime), QStringLiteral("2026/03/05 08:00:00"));
    EXPECT_EQ(RecordValueText(42, ftInteger), QStringLiteral("42"));
    EXPECT_EQ(RecordValueText(2.5, ftBCD), QStringLiteral("2.5"));
    EXPECT_EQ(RecordValueText(true, ftBoolean), QStringLiteral("1"));
    EXPECT_EQ(RecordValueText(7, ftUnknown), QStringLiteral("7"));
}
