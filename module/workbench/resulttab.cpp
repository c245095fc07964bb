#include "workbench/resulttab.h"

#include "db/shared.h"
#include "views/checkoptionsdlg.h"
#include "views/messagebox.h"
#include "workbench/schemeops.h"
#include "workbench/schemeview.h"

#include <QAction>
#include <QLabel>
#include <QRegularExpression>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

namespace kx {

namespace {

// What each result tab lists, for a tab that cannot show its view.
QString TabContent(const QString& objectID)
{
    static const struct {
        const char* ID;
        const char* Content;
    } kContents[] = {
        {"KX_MRP.MRP.Main", "计划方案的主需求及其在各展望期间的计划数量"},
        {"KX_MRP.MRP.Allot", "每条需求由哪些库存、在途订单或计划供应满足"},
        {"KX_MRP.MRP.Balance", "每个物料在各展望期间的期初、需求、供应和期末结存"},
        {"KX_MRP.MRP.Supplies", "运算产生的计划生产、委外和采购供应, 以及参与运算的已有供应"},
        {"KX_MRP.MRP.Replaces", "运算中以替代料或挪用其他需求的供应满足的明细"},
        {"KX_MRP.MRPOutput", "可投放的计划供应; 勾选后直接生成生产任务、委外订单或采购申请"},
    };
    for (const auto& c : kContents)
        if (objectID.compare(QLatin1String(c.ID), Qt::CaseInsensitive) == 0)
            return QString::fromUtf8(c.Content);
    return QStringLiteral("计划方案的运算结果");
}

// Why the tab is empty: the user may not open the object (or the host does not know it), or
// no view serves it.
QString PlaceholderText(const QString& objectID, const QString& caption, bool hasDefinition)
{
    const QString name = QString(caption).remove(QRegularExpression(QStringLiteral("\\(&.\\)"))).trimmed();
    if (!hasDefinition)
        return QStringLiteral("访问信息对象\"%1\"受到限制!\n\n[%2]页列出%3。请系统管理员授予您此信息对象的使用权限, "
                              "然后重新打开计划方案。")
            .arg(objectID, name, TabContent(objectID));
    return QStringLiteral("[%1]视图在当前版本中尚未提供。\n\n此页将列出%2。运算MRP的结果已保存在计划方案中, "
                          "其他页和kxmrp命令可以查看已提供的内容。")
        .arg(name, TabContent(objectID));
}

} // namespace

bool AskRunKeepOptions(QWidget* parent, TRunOptions& options)
{
    QList<bool> keep;
    if (!AskKeepOptions(parent, QStringLiteral("重新运算MRP"),
                        {QStringLiteral("供应类型调整(&1)"), QStringLiteral("供应BOM调整(&2)"), QStringLiteral("供应数量调整(&3)")}, keep))
        return false;
    options = {keep.value(0), keep.value(1), keep.value(2)};
    return true;
}

TSchemeResultTab::TSchemeResultTab(const QString& objectID, const QString& caption, TResultViewFactory factory, QWidget* parent,
                                   const QString& generalObjectID)
    : QWidget(parent), ObjectID(objectID), GeneralObjectID(generalObjectID), FCaption(caption), FFactory(std::move(factory))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    tbrActions = new QToolBar(this);
    tbrActions->setObjectName(QStringLiteral("tbrViewActions"));
    tbrActions->setToolButtonStyle(Qt::ToolButtonTextOnly);
    tbrActions->hide();
    layout->addWidget(tbrActions);
    lblPlaceholder = new QLabel(this);
    lblPlaceholder->setObjectName(QStringLiteral("lblPlaceholder"));
    lblPlaceholder->setAlignment(Qt::AlignCenter);
    lblPlaceholder->setWordWrap(true);
    lblPlaceholder->setMargin(40);
    lblPlaceholder->hide();
    layout->addWidget(lblPlaceholder, 1);
}

TSchemeResultTab::~TSchemeResultTab()
{
    delete FViewWidget;
}

bool TSchemeResultTab::EnsureView(TPlanScheme* scheme, const TPlanSchemeUIEvents* events)
{
    if (FTried)
        return FView != nullptr;
    FTried = true;
    TModuleEnvironment* env = Env();
    const TInfoObjectDef* def = env && env->GetObjectDef ? env->GetObjectDef(ObjectID) : nullptr;
    if (!def && env && env->GetObjectDef && !GeneralObjectID.isEmpty())
        def = env->GetObjectDef(GeneralObjectID);
    FView = def && FFactory ? FFactory(def) : nullptr;
    void* widget = nullptr;
    if (FView && FView->QueryInterface(IID_IWidgetHandle, &widget) == S_OK)
        FViewWidget = static_cast<QWidget*>(widget);
    if (!FView || !FViewWidget) {
        FView = nullptr;
        lblPlaceholder->setText(PlaceholderText(def ? def->ID : GeneralObjectID.isEmpty() ? ObjectID : GeneralObjectID, FCaption, def != nullptr));
        lblPlaceholder->show();
        return false;
    }
    FView->InitializeView(QString(), nullptr);
    FView->SetParentControl(this);
    if (layout()->indexOf(FViewWidget) < 0)
        layout()->addWidget(FViewWidget);
    BuildActions(def);
    SetPlanScheme(scheme, events);
    return true;
}

void TSchemeResultTab::BuildActions(const TInfoObjectDef* def)
{
    for (qsizetype n = 0; n < def->Actions.size(); ++n) {
        const int command = cmdAction + int(n);
        QAction* action = tbrActions->addAction(def->Actions[n].Name);
        action->setObjectName(QStringLiteral("act") + def->Actions[n].ID);
        connect(action, &QAction::triggered, this, [this, command] {
            TCommandState state = 0;
            if (FView && FView->QueryCommandState(command, state) && (state & csEnabled))
                FView->ExecCommand(command);
            UpdateActions();
        });
        FActions << action;
    }
    tbrActions->setVisible(!FActions.isEmpty());
}

void TSchemeResultTab::SetPlanScheme(TPlanScheme* scheme, const TPlanSchemeUIEvents* events)
{
    FStale = true;
    if (auto* schemeView = dynamic_cast<ISchemeView*>(FView))
        schemeView->SetPlanScheme(scheme, events);
    if (isVisible())
        RefreshIfStale();
}

void TSchemeResultTab::RefreshIfStale()
{
    if (!FView || !FStale)
        return;
    FStale = false;
    FView->RefreshData(true);
    UpdateActions();
}

void TSchemeResultTab::UpdateActions()
{
    for (qsizetype n = 0; n < FActions.size(); ++n) {
        TCommandState state = 0;
        const bool handled = FView && FView->QueryCommandState(cmdAction + int(n), state);
        FActions[n]->setVisible(!(handled && (state & csHidden)));
        FActions[n]->setEnabled(handled && (state & csEnabled));
        FActions[n]->setCheckable(handled && (state & csChecked));
        FActions[n]->setChecked(handled && (state & csChecked));
    }
}

bool TSchemeResultTab::LeaveEditMode()
{
    if (!FView || !FView->GetEditMode())
        return true;
    const TInfoObjectDef* def = FView->GetObjectDef();
    for (qsizetype n = 0; def && n < def->Actions.size(); ++n)
        if (def->Actions[n].ID.compare(QLatin1String("Update"), Qt::CaseInsensitive) == 0) {
            FView->ExecCommand(cmdAction + int(n));
            break;
        }
    UpdateActions();
    return !FView->GetEditMode();
}

bool TSchemeResultTab::QueryViewCommand(int command, TCommandState& state) const
{
    return FView && FView->QueryCommandState(command, state);
}

bool TSchemeResultTab::ExecViewCommand(int command)
{
    const bool done = FView && FView->ExecCommand(command);
    UpdateActions();
    return done;
}

TSchemeResultPages::TSchemeResultPages(QTabWidget* pages, TResultViewFactory factory) : FPages(pages), FFactory(std::move(factory)) {}

TSchemeResultPages::~TSchemeResultPages()
{
    Clear();
}

TSchemeResultTab* TSchemeResultPages::Add(const QString& objectID, const QString& caption, const QString& generalObjectID)
{
    auto* tab = new TSchemeResultTab(objectID, caption, FFactory, FPages, generalObjectID);
    FTabs << tab;
    FPages->addTab(tab, caption);
    return tab;
}

TSchemeResultTab* TSchemeResultPages::Tab(const QString& objectID) const
{
    for (TSchemeResultTab* tab : FTabs)
        if (tab->ObjectID.compare(objectID, Qt::CaseInsensitive) == 0)
            return tab;
    return nullptr;
}

TSchemeResultTab* TSchemeResultPages::Active() const
{
    auto* shown = qobject_cast<TSchemeResultTab*>(FPages->currentWidget());
    return FTabs.contains(shown) ? shown : nullptr;
}

void TSchemeResultPages::SetPlanScheme(TPlanScheme* scheme, const TPlanSchemeUIEvents* events)
{
    for (TSchemeResultTab* tab : FTabs)
        if (tab->View())
            tab->SetPlanScheme(scheme, events);
}

void TSchemeResultPages::ShowActive(TPlanScheme* scheme, const TPlanSchemeUIEvents* events)
{
    if (TSchemeResultTab* tab = Active()) {
        TWaitCursor wait;
        tab->EnsureView(scheme, events);
        tab->RefreshIfStale();
    }
}

QString TSchemeResultPages::EditingViewCaption() const
{
    for (TSchemeResultTab* tab : FTabs)
        if (tab->View() && tab->View()->GetEditMode())
            return tab->View()->GetViewCaption();
    return QString();
}

bool TSchemeResultPages::LeaveEditMode()
{
    for (TSchemeResultTab* tab : FTabs)
        if (!tab->LeaveEditMode())
            return false;
    return true;
}

bool TSchemeResultPages::QueryClose()
{
    for (TSchemeResultTab* tab : FTabs)
        if (tab->View() && !tab->View()->QueryClose())
            return false;
    return true;
}

void TSchemeResultPages::Clear()
{
    qDeleteAll(FTabs);
    FTabs.clear();
}

} // namespace kx
