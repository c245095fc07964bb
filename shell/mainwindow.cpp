#include "mainwindow.h"

#include "erplistview.h"

#include "db/messages.h"
#include "db/settings.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

namespace kx::shell {

namespace {

const char* const kNotProvided = "很抱歉, 此功能处于内部测试阶段, 暂时不开放使用!";
constexpr int kObjectIDRole = Qt::UserRole;
// The user setting that keeps the window's place and size between sessions.
const QString kGeometryClass = QStringLiteral("KX_SYS");
const QString kGeometryKey = QStringLiteral("ShellWindowGeometry");

// Catalogue object types.
enum TObjectKind { okView = 0, okFrame = 1, okForm = 2, okEditor = 3 };

bool ServedByModule(const TInfoObjectDef* def)
{
    return def && !def->DllName.trimmed().isEmpty();
}

} // namespace

TMainWindow::TMainWindow(suite::THostSession& session, TModuleLibrary* module, QWidget* parent)
    : QMainWindow(parent), FSession(session), FModule(module)
{
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("KX_MRP 物料需求计划 - %1 (%2)").arg(session.User().UserName, session.Options().Database));
    resize(1280, 800);
    pgcPages = new QTabWidget(this);
    pgcPages->setObjectName(QStringLiteral("pgcPages"));
    pgcPages->setTabsClosable(true);
    pgcPages->setMovable(true);
    pgcPages->setDocumentMode(true);
    setCentralWidget(pgcPages);
    connect(pgcPages, &QTabWidget::tabCloseRequested, this, [this](int index) { ClosePage(index); });
    connect(pgcPages, &QTabWidget::currentChanged, this, [this] { UpdateCommands(); });

    auto* dock = new QDockWidget(QStringLiteral("功能导航"), this);
    dock->setObjectName(QStringLiteral("dockNavigator"));
    dock->setFeatures(QDockWidget::DockWidgetMovable);
    trvObjects = new QTreeWidget(dock);
    trvObjects->setObjectName(QStringLiteral("trvObjects"));
    trvObjects->setHeaderHidden(true);
    dock->setWidget(trvObjects);
    addDockWidget(Qt::LeftDockWidgetArea, dock);
    connect(trvObjects, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        const QString id = item->data(0, kObjectIDRole).toString();
        if (!id.isEmpty())
            OpenObject(id);
    });

    lblWait = new QLabel(this);
    lblWait->setObjectName(QStringLiteral("lblWait"));
    lblPosition = new QLabel(this);
    lblPosition->setObjectName(QStringLiteral("lblPosition"));
    lblPosition->setMinimumWidth(160);
    statusBar()->addWidget(lblWait, 1);
    statusBar()->addPermanentWidget(lblPosition);
    statusBar()->addPermanentWidget(new QLabel(QStringLiteral("用户: %1").arg(session.User().UserName), this));

    BuildCommands();
    FillNavigator();
    InstallShellCallbacks(session.Env(), this);

    // Commands follow the focus and the data; frames and editors do their idle work.
    FIdleTimer = new QTimer(this);
    FIdleTimer->setInterval(250);
    connect(FIdleTimer, &QTimer::timeout, this, [this] {
        if (QApplication::activeModalWidget())
            return;
        if (TObjectPage* page = CurrentPage())
            page->ProcessIdle();
        UpdateCommands();
    });
    FIdleTimer->start();
}

TMainWindow::~TMainWindow()
{
    FIdleTimer->stop();
    while (pgcPages->count() > 0)
        delete pgcPages->widget(0);
    SetShellServices(nullptr);
}

QAction* TMainWindow::AddCommand(QMenu* menu, QToolBar* bar, int command, const QString& text, const QKeySequence& key)
{
    auto* action = new QAction(text, this);
    action->setShortcut(key);
    action->setData(command);
    menu->addAction(action);
    if (bar)
        bar->addAction(action);
    connect(action, &QAction::triggered, this, [this, command] {
        if (TObjectPage* page = CurrentPage())
            page->ExecCommand(command);
        UpdateCommands();
    });
    FCommands.insert(command, action);
    return action;
}

void TMainWindow::BuildCommands()
{
    auto* bar = addToolBar(QStringLiteral("常用"));
    bar->setObjectName(QStringLiteral("tbrCommands"));
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    QMenu* file = menuBar()->addMenu(QStringLiteral("文件(&F)"));
    AddCommand(file, bar, cmdRefresh, QStringLiteral("刷新(&R)"), QKeySequence(Qt::Key_F5));
    AddCommand(file, bar, cmdExport, QStringLiteral("导出(&E)..."));
    file->addSeparator();
    AddCommand(file, nullptr, cmdPageSetup, QStringLiteral("页面设置(&U)..."));
    AddCommand(file, nullptr, cmdDesignReport, QStringLiteral("设计报表(&D)..."));
    AddCommand(file, bar, cmdPrintPreview, QStringLiteral("打印预览(&V)..."));
    AddCommand(file, bar, cmdPrint, QStringLiteral("打印(&P)..."), QKeySequence::Print);
    file->addSeparator();
    file->addAction(QStringLiteral("关闭当前页(&C)"), QKeySequence(Qt::CTRL | Qt::Key_W), this,
                    [this] { ClosePage(pgcPages->currentIndex()); });
    file->addAction(QStringLiteral("退出(&X)"), this, &QWidget::close);
    bar->addSeparator();
    QMenu* edit = menuBar()->addMenu(QStringLiteral("编辑(&E)"));
    AddCommand(edit, bar, cmdSave, QStringLiteral("保存(&S)"), QKeySequence::Save);
    AddCommand(edit, bar, cmdCancel, QStringLiteral("取消(&C)"));
    edit->addSeparator();
    AddCommand(edit, bar, cmdFillValues, QStringLiteral("批量填充(&F)..."));
    bar->addSeparator();
    QMenu* view = menuBar()->addMenu(QStringLiteral("视图(&V)"));
    AddCommand(view, bar, cmdSchemeSettings, QStringLiteral("视图方案(&S)..."));
    AddCommand(view, nullptr, cmdSchemeFields, QStringLiteral("显示字段(&F)..."));
    AddCommand(view, bar, cmdSchemeFilter, QStringLiteral("筛选条件(&L)..."));
    AddCommand(view, nullptr, cmdSchemeQuickFilter, QStringLiteral("快速筛选(&Q)"));
    mnuActions = menuBar()->addMenu(QStringLiteral("操作(&A)"));
    tbrActions = addToolBar(QStringLiteral("操作"));
    tbrActions->setObjectName(QStringLiteral("tbrActions"));
    tbrActions->setToolButtonStyle(Qt::ToolButtonTextOnly);
    QMenu* window = menuBar()->addMenu(QStringLiteral("窗口(&W)"));
    window->addAction(QStringLiteral("关闭全部页(&A)"), this, [this] {
        while (pgcPages->count() > 0 && ClosePage(pgcPages->count() - 1)) {
        }
    });
}

// Folders come from the catalogue's menu paths ("计划\主数据"); objects in menu order.
void TMainWindow::FillNavigator()
{
    trvObjects->clear();
    QHash<QString, QTreeWidgetItem*> folders;
    for (const suite::TCatalogueEntry& entry : FSession.Catalogue().Entries()) {
        QTreeWidgetItem* parent = nullptr;
        QString path;
        for (const QString& part : entry.Menu.split(QLatin1Char('\\'), Qt::SkipEmptyParts)) {
            path += QLatin1Char('\\') + part;
            QTreeWidgetItem*& folder = folders[path];
            if (!folder) {
                folder = parent ? new QTreeWidgetItem(parent, {part}) : new QTreeWidgetItem(trvObjects, {part});
                folder->setExpanded(true);
            }
            parent = folder;
        }
        auto* item = parent ? new QTreeWidgetItem(parent, {entry.Name}) : new QTreeWidgetItem(trvObjects, {entry.Name});
        item->setData(0, kObjectIDRole, entry.ID);
        item->setToolTip(0, entry.ID);
    }
    trvObjects->expandAll();
}

TObjectPage* TMainWindow::CurrentPage() const
{
    return qobject_cast<TObjectPage*>(pgcPages->currentWidget());
}

bool TMainWindow::ModuleReady()
{
    if (FModule && FModule->Loaded())
        return true;
    ShowError(FModule ? FModule->ErrorText() : QStringLiteral("模块库没有加载!"));
    return false;
}

TObjectPage* TMainWindow::AddPage(TObjectPage* page)
{
    const int index = pgcPages->addTab(page, page->Caption());
    pgcPages->setCurrentIndex(index);
    UpdateCommands();
    return page;
}

TObjectPage* TMainWindow::OpenObject(const QString& objectID)
{
    const TInfoObjectDef* def = FSession.Catalogue().ObjectDef(objectID);
    if (!def) {
        ShowWarning(QStringLiteral("对象[%1]不存在, 或您没有打开它的权限!").arg(objectID));
        return nullptr;
    }
    for (int i = 0; i < pgcPages->count(); ++i) {
        auto* page = qobject_cast<TObjectPage*>(pgcPages->widget(i));
        if (page && page->ObjectDef() == def && !page->Editor()) {
            pgcPages->setCurrentIndex(i);
            return page;
        }
    }
    const bool module = ServedByModule(def);
    if (module && !ModuleReady())
        return nullptr;
    TModuleEnvironment* env = &FSession.Env();
    if (module && def->ObjType == okForm) {
        FModule->LoadInfoForm(env, def);
        return nullptr;
    }
    if (module && def->ObjType == okFrame) {
        IInfoFrame* frame = nullptr;
        FModule->LoadInfoFrame(&frame, env, def);
        return frame ? AddPage(new TObjectPage(def, frame)) : nullptr;
    }
    if (module && def->ObjType == okEditor) {
        IInfoEdit* editor = nullptr;
        return OpenEditor(def, QString(), QString(), &editor) ? CurrentPage() : nullptr;
    }
    IInfoView* view = CreateView(def);
    if (!view) {
        ShowInfo(QString::fromUtf8(kNotProvided));
        return nullptr;
    }
    view->InitializeView(QString(), nullptr);
    TObjectPage* page = AddPage(new TObjectPage(def, view, [this](const TInfoObjectDef* d) { return CreateView(d); },
                                                [this](const QString& id) { return FSession.Catalogue().ObjectDef(id); }));
    view->RefreshData(false);
    view->MakeFocus();
    return page;
}

IInfoView* TMainWindow::CreateView(const TInfoObjectDef* def)
{
    if (!ServedByModule(def))
        return new TERPListView(def, [this](const TInfoObjectDef* d, const QString& a, IInfoView* v) { return RunModuleAction(d, a, v); });
    if (!FModule || !FModule->Loaded())
        return nullptr;
    IInfoView* view = nullptr;
    FModule->LoadInfoView(&view, &FSession.Env(), def);
    return view;
}

// An action whose catalogue row names a library belongs to the module.
bool TMainWindow::RunModuleAction(const TInfoObjectDef* def, const QString& actionID, IInfoView* view)
{
    const TInfoActionDef* action = def ? def->GetActionDef(actionID) : nullptr;
    if (!action || action->DllName.trimmed().isEmpty() || !ModuleReady())
        return false;
    bool handled = false;
    FModule->LoadInfoAction(&FSession.Env(), def, actionID, view, &handled);
    return handled;
}

bool TMainWindow::OpenEditor(const TInfoObjectDef* def, const QString& keyValues, const QString& actionID, IInfoEdit** editor)
{
    *editor = nullptr;
    const TInfoActionDef* action = def->GetActionDef(actionID);
    const TEditMode mode = !action ? emNone : action->ActType == atNew ? emNew : action->ActType == atUpdate ? emModify : emNone;
    // An editor that shows a new, untouched bill takes the request instead of another tab.
    for (int i = 0; i < pgcPages->count(); ++i) {
        auto* page = qobject_cast<TObjectPage*>(pgcPages->widget(i));
        if (page && page->Editor() && page->ObjectDef() == def && page->Editor()->DataInEdit(keyValues)) {
            pgcPages->setCurrentIndex(i);
            page->Editor()->OpenData(keyValues, mode);
            *editor = page->Editor();
            return true;
        }
    }
    if (!ModuleReady())
        return false;
    IInfoEdit* created = nullptr;
    FModule->LoadInfoEdit(&created, &FSession.Env(), def);
    if (!created) {
        ShowInfo(QString::fromUtf8(kNotProvided));
        return false;
    }
    AddPage(new TObjectPage(def, created));
    created->OpenData(keyValues, mode);
    pgcPages->setTabText(pgcPages->currentIndex(), created->GetCaption());
    *editor = created;
    return true;
}

void TMainWindow::ShowStatus(const QString& text, int kind)
{
    if (kind == 1) {
        lblPosition->setText(text);
        return;
    }
    lblWait->setText(text);
    // A wait text is shown while the operation that set it still runs.
    lblWait->repaint();
}

void TMainWindow::RefreshMainUI()
{
    for (int i = 0; i < pgcPages->count(); ++i)
        if (auto* page = qobject_cast<TObjectPage*>(pgcPages->widget(i)))
            pgcPages->setTabText(i, page->Caption());
    UpdateCommands();
}

void TMainWindow::RebuildObjectActions(const TInfoObjectDef* def)
{
    if (def == FActionsDef)
        return;
    FActionsDef = def;
    qDeleteAll(FObjectActions);
    FObjectActions.clear();
    mnuActions->clear();
    tbrActions->clear();
    for (qsizetype n = 0; def && n < def->Actions.size(); ++n) {
        const int command = cmdAction + int(n);
        auto* action = new QAction(def->Actions[n].Name, this);
        action->setData(command);
        connect(action, &QAction::triggered, this, [this, command] {
            if (TObjectPage* page = CurrentPage())
                page->ExecCommand(command);
            UpdateCommands();
        });
        mnuActions->addAction(action);
        tbrActions->addAction(action);
        FObjectActions << action;
    }
    mnuActions->setEnabled(!FObjectActions.isEmpty());
}

void TMainWindow::UpdateCommands()
{
    TObjectPage* page = CurrentPage();
    const auto apply = [page](QAction* action) {
        TCommandState state = 0;
        const bool handled = page && page->QueryCommandState(action->data().toInt(), state);
        action->setVisible(!(handled && (state & csHidden)));
        action->setEnabled(handled && (state & csEnabled));
        action->setCheckable(handled && (state & csChecked));
        action->setChecked(handled && (state & csChecked));
    };
    for (QAction* action : std::as_const(FCommands))
        apply(action);
    IInfoView* view = page ? page->ActiveView() : nullptr;
    // A module list tells its record position ("n / m") when asked for it.
    TCommandState position = 0;
    if (view && view->QueryCommandState(cmdPosition, position) && (position & csEnabled))
        view->ExecCommand(cmdPosition);
    const TInfoObjectDef* def = view ? view->GetObjectDef() : page && page->Editor() ? page->Editor()->GetObjectDef() : nullptr;
    RebuildObjectActions(def);
    for (QAction* action : std::as_const(FObjectActions))
        apply(action);
}

bool TMainWindow::ClosePage(int index)
{
    auto* page = qobject_cast<TObjectPage*>(pgcPages->widget(index));
    if (!page)
        return false;
    if (!page->QueryClose())
        return false;
    pgcPages->removeTab(index);
    if (FActionsDef && page->ObjectDef() == FActionsDef)
        RebuildObjectActions(nullptr);
    delete page;
    lblPosition->clear();
    UpdateCommands();
    return true;
}

void TMainWindow::ShowAtLastGeometry()
{
    QString stored;
    ReadSetting(kGeometryClass, kGeometryKey, stored, false);
    if (!stored.isEmpty() && restoreGeometry(QByteArray::fromBase64(stored.toLatin1())))
        show();
    else
        showMaximized();
}

void TMainWindow::closeEvent(QCloseEvent* event)
{
    for (int i = 0; i < pgcPages->count(); ++i) {
        auto* page = qobject_cast<TObjectPage*>(pgcPages->widget(i));
        pgcPages->setCurrentIndex(i);
        if (page && !page->QueryClose()) {
            event->ignore();
            return;
        }
    }
    while (pgcPages->count() > 0)
        delete pgcPages->widget(0);
    WriteSetting(kGeometryClass, kGeometryKey, false, QString::fromLatin1(saveGeometry().toBase64()));
    event->accept();
}

} // namespace kx::shell
