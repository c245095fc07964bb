// The fourteen host callbacks of the desktop host. The catalogue callbacks are the suite's;
// the others reach the main window through TShellServices or show the host's dialogs.
#pragma once

#include "kx_mrp/environment.h"
#include "kx_mrp/interfaces.h"

namespace kx::shell {

// What the callbacks need from the window that hosts the module's objects.
class TShellServices {
public:
    // A view of the object, parented by the caller: the module's, else the host's own list.
    virtual IInfoView* CreateView(const TInfoObjectDef* def) = 0;
    // Opens (or brings forward) the object's bill editor on the record key for the action.
    virtual bool OpenEditor(const TInfoObjectDef* def, const QString& keyValues, const QString& actionID, IInfoEdit** editor) = 0;
    virtual void ShowStatus(const QString& text, int kind) = 0;
    virtual void RefreshMainUI() = 0;

protected:
    ~TShellServices() = default;
};

// Fills the callback slots of the environment; the services may be replaced later.
void InstallShellCallbacks(TModuleEnvironment& env, TShellServices* services);
void SetShellServices(TShellServices* services);

// The value lookup (slot 35): Value is an object ID, optionally followed by "|" and a
// condition on the object's fields; the user picks one record of the object's list and
// Result becomes its key, "field=value" lines of the primary fields. False when nothing
// was picked.
bool HostValueLookup(const QVariant& Value, QVariant& Result);

} // namespace kx::shell
