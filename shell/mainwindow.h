// The main window: the object catalogue as a navigation tree, the opened objects in tabs,
// the shared commands and the object's actions in menus and tool bars, enabled from the
// focused part when the application is idle, and the status bar for wait texts and record
// positions.
#pragma once

#include "modulelibrary.h"
#include "objectpage.h"
#include "shellhost.h"

#include "hostsession.h"

#include <QHash>
#include <QMainWindow>

class QAction;
class QLabel;
class QMenu;
class QTabWidget;
class QTimer;
class QToolBar;
class QTreeWidget;

namespace kx::shell {

class TMainWindow : public QMainWindow, public TShellServices {
    Q_OBJECT

public:
    // The module may be null or not loaded: the host's own lists still work.
    TMainWindow(suite::THostSession& session, TModuleLibrary* module, QWidget* parent = nullptr);
    ~TMainWindow() override;

    // Opens an object of the catalogue in a tab (or shows its form); the page, or null when
    // the user may not open it or nothing serves it (the reason is shown).
    TObjectPage* OpenObject(const QString& objectID);
    TObjectPage* CurrentPage() const;
    QTabWidget* Pages() const { return pgcPages; }
    QTreeWidget* Navigator() const { return trvObjects; }
    // Asks the page and closes it; false when it refused.
    bool ClosePage(int index);
    // Enables, checks and hides the commands as the focused part says; done when idle.
    void UpdateCommands();
    QAction* CommandAction(int command) const { return FCommands.value(command); }
    QList<QAction*> ObjectActions() const { return FObjectActions; }
    QLabel* WaitLabel() const { return lblWait; }
    QLabel* PositionLabel() const { return lblPosition; }

    IInfoView* CreateView(const TInfoObjectDef* def) override;
    bool OpenEditor(const TInfoObjectDef* def, const QString& keyValues, const QString& actionID, IInfoEdit** editor) override;
    void ShowStatus(const QString& text, int kind) override;
    // Shows the window where the user left it last time, maximised the first time.
    void ShowAtLastGeometry();
    void RefreshMainUI() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildCommands();
    void FillNavigator();
    QAction* AddCommand(QMenu* menu, QToolBar* bar, int command, const QString& text, const QKeySequence& key = {});
    void RebuildObjectActions(const TInfoObjectDef* def);
    bool RunModuleAction(const TInfoObjectDef* def, const QString& actionID, IInfoView* view);
    bool ModuleReady();
    TObjectPage* AddPage(TObjectPage* page);

    suite::THostSession& FSession;
    TModuleLibrary* FModule;
    QTreeWidget* trvObjects;
    QTabWidget* pgcPages;
    QMenu* mnuActions;
    QToolBar* tbrActions;
    QLabel* lblWait;
    QLabel* lblPosition;
    QTimer* FIdleTimer;
    QHash<int, QAction*> FCommands;
    QList<QAction*> FObjectActions;
    const TInfoObjectDef* FActionsDef = nullptr;
};

} // namespace kx::shell
