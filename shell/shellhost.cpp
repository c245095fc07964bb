#include "shellhost.h"

#include "filterdlg.h"
#include "pickdlgs.h"
#include "viewschemedlg.h"

#include "catalogue.h"
#include "viewschemeprep.h"

#include <QApplication>

namespace kx::shell {

namespace {

TShellServices* gServices = nullptr;

IInfoView* CreateInfoView(const TInfoObjectDef* def)
{
    return gServices && def ? gServices->CreateView(def) : nullptr;
}

void RefreshMainUI(std::intptr_t, std::intptr_t)
{
    if (gServices)
        gServices->RefreshMainUI();
}

void ShowStatusText(const QString& text, int kind)
{
    if (gServices)
        gServices->ShowStatus(text, kind);
}

bool ShowEditor(const TInfoObjectDef* def, const QString& keys, const QString& actionID, IInfoEdit** editor)
{
    if (editor)
        *editor = nullptr;
    return gServices && def && gServices->OpenEditor(def, keys, actionID, editor);
}

// The filter code keeps the dialog's conditions; the text is their SQL condition.
bool SelectFilter(const TInfoObjectDef* def, QString& filterCode, bool, QString& filterText, void*)
{
    if (!def)
        return false;
    TFilterDlg dialog(def, filterCode, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    filterCode = dialog.Code();
    filterText = dialog.ConditionSQL();
    return true;
}

bool PrepareDetailScheme(const TInfoObjectDef* def, TViewScheme& scheme, void* sharedQuery)
{
    return suite::HostPrepareDetailScheme(def, scheme, sharedQuery);
}

} // namespace

void SetShellServices(TShellServices* services)
{
    gServices = services;
}

void InstallShellCallbacks(TModuleEnvironment& env, TShellServices* services)
{
    gServices = services;
    suite::InstallCatalogueCallbacks(env);
    env.CreateInfoView = CreateInfoView;
    env.RefreshMainUI = RefreshMainUI;
    env.ShowStatusText = ShowStatusText;
    env.ShowEditor = ShowEditor;
    env.SelectFilter = SelectFilter;
    env.PrepareViewScheme = HostPrepareViewSchemeDlg;
    env.SelectUsers = HostSelectUsers;
    env.ListSelect = HostListSelect;
    env.PrepareDetailScheme = PrepareDetailScheme;
    env.ValueLookup = HostValueLookup;
}

bool HostValueLookup(const QVariant& Value, QVariant& Result)
{
    const QString text = Value.toString();
    const qsizetype bar = text.indexOf(QLatin1Char('|'));
    const TInfoObjectDef* def = suite::HostGetObjectDef(bar < 0 ? text.trimmed() : text.left(bar).trimmed());
    if (!def)
        return false;
    TLookupDlg dialog(def, bar < 0 ? QString() : text.mid(bar + 1), QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted || dialog.ChosenKey().isEmpty())
        return false;
    Result = dialog.ChosenKey();
    return true;
}

} // namespace kx::shell
