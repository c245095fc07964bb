// Named view schemes in the desktop host, on a module grid of the demo factory: the
// planner groups, filters and totals the item list through the scheme dialog and saves it
// as a shared scheme; reopened, the list is grouped, filtered (the filter bar says so) and
// totalled as saved; one click on the bar's clear brings the rows back; the scheme is
// offered in the list and can be deleted. The fixed band (code, name, specification)
// stays in place while the rest scrolls.
#include "shellfixture.h"

#include "objectpage.h"
#include "viewschemedlg.h"

#include "filterdlg.h"
#include "testhost.h"
#include "views/filterbar.h"
#include "views/gridgroupmodel.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

#include <functional>

using namespace kx;
using namespace kx::shell;
using namespace kx::test;

namespace {

// Acts on the modal dialogs that come up: each step looks at the dialog in front and
// answers whether it was its turn. A step that opens another dialog does so from the event
// loop, so that the script sees the new one.
class TModalScript {
public:
    using TStep = std::function<bool(QWidget* modal)>;
    explicit TModalScript(QList<TStep> steps) : FSteps(std::move(steps))
    {
        FTimer.setInterval(50);
        QObject::connect(&FTimer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal && FNext < FSteps.size() && FSteps[FNext](modal))
                ++FNext;
        });
        FTimer.start();
    }
    int Done() const { return FNext; }

private:
    QList<TStep> FSteps;
    QTimer FTimer;
    int FNext = 0;
};

QTreeView* GridOf(TObjectPage* page)
{
    QWidget* view = page ? WidgetOf(page->View()) : nullptr;
    return view ? view->findChild<QTreeView*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

struct TGridRows {
    int Groups = 0;
    int Records = 0;
    int GroupFooters = 0;
    QStringList GroupCaptions;
};

TGridRows RowsOf(const QAbstractItemModel& model, const QModelIndex& parent = QModelIndex())
{
    TGridRows rows;
    for (int r = 0; r < model.rowCount(parent); ++r) {
        const QModelIndex index = model.index(r, 0, parent);
        switch (TRowKind(index.data(vrRowKind).toInt())) {
        case rkGroup: {
            ++rows.Groups;
            rows.GroupCaptions << index.data().toString();
            const TGridRows inner = RowsOf(model, index);
            rows.Groups += inner.Groups;
            rows.Records += inner.Records;
            rows.GroupFooters += inner.GroupFooters;
            rows.GroupCaptions << inner.GroupCaptions;
            break;
        }
        case rkGroupFooter: ++rows.GroupFooters; break;
        case rkData: ++rows.Records; break;
        }
    }
    return rows;
}

QListWidgetItem* ItemOf(QListWidget* list, const QString& fieldID)
{
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->data(Qt::UserRole).toString() == fieldID)
            return list->item(i);
    return nullptr;
}

int ColumnOf(const QAbstractItemModel& model, const QString& caption)
{
    for (int c = 0; c < model.columnCount(); ++c)
        if (model.headerData(c, Qt::Horizontal).toString() == caption)
            return c;
    return -1;
}

} // namespace

class ViewSchemes : public TShellTest {
public:
    static void SetUpTestSuite() { TShellTest::SetUpTestSuite(); }
};

TEST_F(ViewSchemes, AGroupedFilteredTotalledSchemeSavedThroughTheDialogComesBackWithTheView)
{
    TScriptedMessages messages;
    TMainWindow* window = StartAsPlanner();
    ASSERT_NE(window, nullptr);
    const int allItems = Scalar(QStringLiteral("select count(*) from KX_Base_ItemMaster")).toInt();
    const int filteredItems = Scalar(QStringLiteral("select count(*) from KX_Base_ItemMaster where ItmNo like '2.%'")).toInt();
    const int filteredTypes = Scalar(QStringLiteral("select count(distinct ItmType) from KX_Base_ItemMaster where ItmNo like '2.%'")).toInt();
    ASSERT_GT(filteredItems, 0);
    ASSERT_LT(filteredItems, allItems);
    ASSERT_GT(filteredTypes, 1);

    TObjectPage* page = window->OpenObject(QStringLiteral("KX_MRP.Items"));
    ASSERT_NE(page, nullptr) << messages.Texts().join(QLatin1Char('\n')).toStdString();
    QTreeView* grid = GridOf(page);
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(RowsOf(*grid->model()).Records, allItems);
    EXPECT_FALSE(page->FilterBar()->isVisible());

    // Group by 物料属性, keep the codes starting "2.", sum the safety stock, count codes;
    // save as a shared scheme, then confirm.
    {
        TModalScript script({
            [](QWidget* modal) {
                auto* dlg = qobject_cast<TViewSchemeDlg*>(modal);
                if (!dlg)
                    return false;
                QListWidgetItem* type = ItemOf(dlg->lstSorts, QStringLiteral("ItmType"));
                EXPECT_NE(type, nullptr);
                dlg->lstSorts->setCurrentItem(type);
                dlg->findChild<QPushButton*>(QStringLiteral("btnGroup"))->click();
                dlg->FFilter->SetConditions({false, {{QStringLiteral("ItmNo"), foStartsWith, QStringLiteral("2.")}}});
                dlg->chkFooter->setChecked(true);
                dlg->chkGroupFooters->setChecked(true);
                dlg->SetSummary(QStringLiteral("ItmSafeQty"), 1);
                dlg->SetSummary(QStringLiteral("ItmNo"), 2);
                QTimer::singleShot(0, dlg->btnSchemeSave, &QPushButton::click);
                return true;
            },
            [](QWidget* modal) {
                auto* save = qobject_cast<TViewSettingSaveDlg*>(modal);
                if (!save)
                    return false;
                save->edtName->setEditText(QStringLiteral("成品分组"));
                save->chkShared->setChecked(true);
                save->btnOk->click();
                return true;
            },
            [](QWidget* modal) {
                auto* dlg = qobject_cast<TViewSchemeDlg*>(modal);
                if (!dlg)
                    return false;
                EXPECT_EQ(dlg->cboScheme->currentText(), QStringLiteral("成品分组"));
                dlg->btnOk->click();
                return true;
            },
        });
        window->CommandAction(cmdSchemeSettings)->trigger();
        EXPECT_EQ(script.Done(), 3);
    }
    EXPECT_EQ(Scalar(QStringLiteral("select ViwKind from KX_SYS_ViewSchemes where ViwID='KX_MRP.Items' and ViwName='成品分组'")).toInt(),
              int(vkPublic));

    auto expectAsSaved = [&](TObjectPage* p) {
        QTreeView* g = GridOf(p);
        ASSERT_NE(g, nullptr);
        const TGridRows rows = RowsOf(*g->model());
        EXPECT_EQ(rows.Records, filteredItems);
        EXPECT_EQ(rows.Groups, filteredTypes);
        EXPECT_EQ(rows.GroupFooters, filteredTypes);
        EXPECT_TRUE(rows.GroupCaptions.first().startsWith(QStringLiteral("物料属性: "))) << rows.GroupCaptions.first().toStdString();
        EXPECT_TRUE(p->FilterBar()->isVisible());
        EXPECT_EQ(p->FilterBar()->Label()->text(), QStringLiteral("已筛选: 物料代码 开头是 2."));
        // The group footer counts the group's codes.
        const QModelIndex firstGroup = g->model()->index(0, 0);
        const int groupSize = g->model()->rowCount(firstGroup) - 1;
        const QModelIndex footer = g->model()->index(groupSize, ColumnOf(*g->model(), QStringLiteral("物料代码")), firstGroup);
        EXPECT_EQ(footer.data(vrRowKind).toInt(), int(rkGroupFooter));
        EXPECT_EQ(footer.data().toString(), QString::number(groupSize));
        QWidget* view = WidgetOf(p->View());
        EXPECT_TRUE(view->findChild<QWidget*>(QStringLiteral("grdMainFooter"))->isVisible());
    };
    expectAsSaved(page);

    // Closed and opened again: the last-used scheme brings it all back.
    ASSERT_TRUE(window->ClosePage(window->Pages()->indexOf(page)));
    page = window->OpenObject(QStringLiteral("KX_MRP.Items"));
    expectAsSaved(page);

    // One click clears the filter: every item is back, still grouped.
    page->FilterBar()->ClearButton()->click();
    EXPECT_FALSE(page->FilterBar()->isVisible());
    grid = GridOf(page);
    EXPECT_EQ(RowsOf(*grid->model()).Records, allItems);
    EXPECT_GT(RowsOf(*grid->model()).Groups, filteredTypes - 1);

    // The shared scheme is offered; choosing it filters again; deleting it asks first.
    {
        TScriptedMessages answers({mrOK});
        TModalScript script({[](QWidget* modal) {
            auto* dlg = qobject_cast<TViewSchemeDlg*>(modal);
            if (!dlg)
                return false;
            const int at = dlg->cboScheme->findText(QStringLiteral("成品分组"));
            EXPECT_GT(at, 0);
            dlg->ChooseEntry(at);
            EXPECT_EQ(dlg->FFilter->Conditions().Items.size(), 1);
            EXPECT_TRUE(dlg->btnSchemeDelete->isEnabled());
            dlg->btnSchemeDelete->click();
            EXPECT_EQ(dlg->cboScheme->findText(QStringLiteral("成品分组")), -1);
            dlg->btnCancel->click();
            return true;
        }});
        window->CommandAction(cmdSchemeSettings)->trigger();
        EXPECT_EQ(script.Done(), 1);
        EXPECT_EQ(answers.Texts(), QStringList{QStringLiteral("您所选的项目将被删除, 确定?")});
    }
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_SYS_ViewSchemes where ViwName='成品分组' and ViwKind<>0")).toInt(), 0);
}

TEST_F(ViewSchemes, TheFixedBandStaysInPlaceWhileTheListScrollsSideways)
{
    Exec(QStringLiteral("delete from KX_SYS_ViewSchemes"));
    TScriptedMessages messages;
    TMainWindow* window = StartAsPlanner();
    ASSERT_NE(window, nullptr);
    window->showNormal();
    window->resize(760, 560);
    TObjectPage* page = window->OpenObject(QStringLiteral("KX_MRP.Items"));
    QTreeView* grid = GridOf(page);
    ASSERT_NE(grid, nullptr);
    for (int i = 0; i < 10; ++i)
        QApplication::processEvents();
    auto* fixed = grid->findChild<QTreeView*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_NE(fixed, nullptr);
    ASSERT_TRUE(fixed->isVisible());
    const QHeaderView* header = fixed->header();
    QStringList shown;
    for (int i = 0; i < header->count(); ++i)
        if (!header->isSectionHidden(i))
            shown << fixed->model()->headerData(i, Qt::Horizontal).toString();
    // The item list keeps code, name and specification in its fixed band.
    EXPECT_EQ(shown, (QStringList{QStringLiteral("物料代码"), QStringLiteral("物料名称"), QStringLiteral("规格型号")}));

    // The grid itself still shows every column of the default set.
    int visible = 0;
    for (int i = 0; i < grid->header()->count(); ++i)
        visible += grid->header()->isSectionHidden(i) || grid->header()->sectionSize(i) == 0 ? 0 : 1;
    EXPECT_GT(visible, 20);
    grid->horizontalScrollBar()->setValue(grid->horizontalScrollBar()->maximum());
    QApplication::processEvents();
    EXPECT_GT(grid->horizontalScrollBar()->value(), 0) << "the list is wider than the window";
    EXPECT_EQ(fixed->geometry().left(), grid->frameWidth());
    int fixedWidth = 0;
    for (const QString& caption : shown)
        fixedWidth += grid->header()->sectionSize(ColumnOf(*grid->model(), caption));
    EXPECT_EQ(fixed->width(), fixedWidth);
    // Scrolling down moves both lists together.
    grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum());
    QApplication::processEvents();
    EXPECT_EQ(fixed->verticalScrollBar()->value(), grid->verticalScrollBar()->value());
    window->grab().save(TestOutputPath(QStringLiteral("scheme_fixed_columns.png")));
}
