// The grid's quick filter: conditions on what the cells show (numbers and dates by value),
// set through the dialog "自定义快速筛选方式"; the records that fail are hidden, totals,
// position and export follow what is shown, the panel under the grid says what filters
// and one click brings every record back.
#include "exportfixture.h"

#include "views/exportservice.h"
#include "views/filterbar.h"
#include "views/gridgroupmodel.h"
#include "views/gridsummary.h"
#include "views/quickfilter.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

namespace {

TViewColumn Column(TColumnKind kind)
{
    TViewColumn c;
    c.Kind = kind;
    c.EnumItems = {{QStringLiteral("内销"), 1}, {QStringLiteral("外销"), 2}};
    return c;
}

QStringList ShownOrders(const TInfoGridView& view)
{
    QStringList numbers;
    for (int record : view.RowModel()->DataRowsInOrder())
        numbers << view.Records().Value(record, QStringLiteral("OrdNo")).toString();
    return numbers;
}

} // namespace

TEST(QuickCondition, ComparesNumbersAndDatesByValueAndTextsAsShown)
{
    struct TCase {
        TColumnKind Kind;
        QVariant Value;
        TQuickFilterOperator Operator;
        QString Text;
        bool Passes;
    };
    const QDate march5(2024, 3, 5);
    const QList<TCase> cases{
        {ckNumber, 120.0, qfGreater, "100", true},
        {ckNumber, 120.0, qfLess, "100", false},
        {ckNumber, 1200.0, qfEqual, "1,200", true},
        {ckNumber, 120.0, qfGreaterEqual, "1,200", false},          // not a text comparison ("120" > "1,200")
        {ckNumber, QVariant(), qfEqual, "0", true},                  // an empty number cell is zero
        {ckNumber, 0.0, qfBlank, "", true},                          // and shows nothing
        {ckNumber, 120.0, qfNotBlank, "", true},
        {ckCurrency, 63.75, qfLessEqual, "63.75", true},
        {ckDate, march5, qfGreaterEqual, "2024/03/01", true},
        {ckDate, march5, qfLess, "2024/03/05", false},
        {ckDate, QDateTime(march5, QTime(0, 0)), qfEqual, "2024/03/05", true},
        {ckDate, QVariant(), qfEqual, "2024/03/05", false},
        {ckDate, QVariant(), qfNotEqual, "2024/03/05", true},
        {ckText, "华东机电, 上海", qfContains, "上海", true},
        {ckText, "华东机电, 上海", qfStartsWith, "华东", true},
        {ckText, "华东机电, 上海", qfEndsWith, "海", true},
        {ckText, "华东机电, 上海", qfNotContains, "广州", true},
        {ckText, "ACME Ltd.", qfEqual, "acme ltd.", true},
        {ckText, "", qfBlank, "", true},
        {ckText, "B", qfGreater, "A", true},
        {ckEnum, 2, qfEqual, "外销", true},
        {ckEnum, 2, qfEqual, "2", false},                            // what the cell shows is the caption
        {ckBoolean, 1, qfEqual, "√", true},
    };
    for (const TCase& c : cases) {
        const TViewColumn column = Column(c.Kind);
        EXPECT_EQ((TQuickCondition{c.Operator, c.Text}).Matches(column, c.Value), c.Passes)
            << "kind " << c.Kind << " value " << c.Value.toString().toStdString() << " op " << c.Operator << " "
            << c.Text.toStdString();
    }
}

class QuickFilter : public TExportTest {
public:
    static void SetUpTestSuite() { TExportTest::SetUpTestSuite(); }
};

TEST_F(QuickFilter, TheDialogsConditionsHideRecordsAndTheTotalsPositionAndExportFollow)
{
    auto view = OpenOrders(QStringLiteral("[Total]=10\r\n[Summaries]=OrdAmount:1"));
    const TViewColumn* customer = view->Columns.ByField(QStringLiteral("OrdCust"));
    ASSERT_NE(customer, nullptr);
    EXPECT_FALSE(view->QuickFilterPanel()->isVisibleTo(view.get()));

    // 客户 包含 公司 或 开头是 acme, in the dialog as the user fills it.
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<TQuickFilterDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        shown = true;
        EXPECT_EQ(dlg->windowTitle(), QStringLiteral("自定义快速筛选方式"));
        EXPECT_EQ(dlg->lblColumn->text(), QStringLiteral("客户"));
        EXPECT_EQ(dlg->cboValue1->count(), 6) << "every customer once";
        dlg->cboOperator1->setCurrentIndex(qfContains);
        dlg->cboValue1->setEditText(QStringLiteral("公司"));
        dlg->rbOr->setChecked(true);
        dlg->cboOperator2->setCurrentIndex(qfStartsWith);
        dlg->cboValue2->setEditText(QStringLiteral("acme"));
        dlg->btnOk->click();
    });
    ASSERT_TRUE(view->ShowQuickFilterDialog(customer));
    ASSERT_TRUE(shown);
    EXPECT_EQ(ShownOrders(*view), (QStringList{"SO-004", "SO-006"}));
    EXPECT_TRUE(view->QuickFilterPanel()->isVisibleTo(view.get()));
    EXPECT_EQ(view->QuickFilterPanel()->Label()->text(), QStringLiteral("筛选: (客户 包含 公司 或 客户 开头是 acme)"));
    const int amount = view->Columns.IndexOf(view->Columns.ByField(QStringLiteral("OrdAmount")));
    EXPECT_DOUBLE_EQ(view->RowModel()->FooterSummary(amount)->Result().toDouble(), 26440);

    // A second column narrows it further; the position counts what is shown.
    TQuickFilter quantity;
    quantity.FieldName = QStringLiteral("OrdQty");
    quantity.First = {qfGreater, QStringLiteral("100")};
    view->SetQuickFilter(quantity);
    EXPECT_EQ(ShownOrders(*view), QStringList{"SO-004"});
    Host().Calls.clear();
    view->ExecCommand(cmdPosition);
    EXPECT_EQ(CallsStartingWith(QStringLiteral("ShowStatusText:1")), QStringList{QStringLiteral("ShowStatusText:1:1 / 1")});

    // Export writes what is shown.
    const QString file = FilePath(QStringLiteral("shown.csv"));
    {
        TChosenExportFile chosen(file);
        view->ExecCommand(cmdExport);
    }
    QFile csv(file);
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QByteArray text = csv.readAll();
    EXPECT_EQ(text.count("\r\n"), 2);
    EXPECT_TRUE(text.contains("SO-004,2024/03/12,ACME Ltd."));

    // One click: every record back, the panel gone.
    view->QuickFilterPanel()->ClearButton()->click();
    EXPECT_EQ(ShownOrders(*view).size(), 6);
    EXPECT_FALSE(view->QuickFilterPanel()->isVisibleTo(view.get()));
    EXPECT_DOUBLE_EQ(view->RowModel()->FooterSummary(amount)->Result().toDouble(), 31344.25);
}

TEST_F(QuickFilter, TheDialogWantsAValueUnlessTheConditionIsBlankness)
{
    TScriptedMessages script;
    TQuickFilter customer;
    customer.FieldName = QStringLiteral("OrdCust");
    TQuickFilterDlg dialog(QStringLiteral("客户"), {}, customer);
    dialog.cboOperator1->setCurrentIndex(qfContains);
    dialog.btnOk->click();
    EXPECT_EQ(script.Texts(), QStringList{QStringLiteral("[条件]的内容不能为空!")});
    EXPECT_EQ(dialog.result(), 0);
    dialog.cboOperator1->setCurrentIndex(qfBlank);
    dialog.btnOk->click();
    EXPECT_EQ(dialog.result(), int(QDialog::Accepted));
    EXPECT_EQ(dialog.Filter().Text(QStringLiteral("客户")), QStringLiteral("客户 为空"));
}
