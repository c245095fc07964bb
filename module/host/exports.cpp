// The six entry points. Each Load... export hands the environment over first, clears its
// out slot, then dispatches on the object ID.
#include "kx_mrp/exports.h"

#include "db/errors.h"
#include "db/messages.h"
#include "db/shared.h"
#include "host/dispatch.h"

using namespace kx;

namespace {

// Nothing the module raises may cross into the host: a failure is shown, an abort
// (Esc) just ends the call.
template <class F>
void Guarded(F&& body)
{
    try {
        body();
    } catch (const std::exception& e) {
        ShowException(e);
    }
}

} // namespace

void SetDllEnvironment(TModuleEnvironment* Env)
{
    SetEnvironment(Env);
}

void LoadInfoView(IInfoView** View, TModuleEnvironment* Env, const TInfoObjectDef* ObjectDef)
{
    SetDllEnvironment(Env);
    if (!View)
        return;
    *View = nullptr;
    Guarded([&] { *View = CreateInfoViewFor(ObjectDef); });
}

void LoadInfoFrame(IInfoFrame** Frame, TModuleEnvironment* Env, const TInfoObjectDef* ObjectDef)
{
    SetDllEnvironment(Env);
    if (!Frame)
        return;
    *Frame = nullptr;
    Guarded([&] { *Frame = CreateInfoFrameFor(ObjectDef); });
}

int LoadInfoForm(TModuleEnvironment* Env, const TInfoObjectDef* ObjectDef)
{
    SetDllEnvironment(Env);
    Guarded([&] { ShowInfoFormFor(ObjectDef); });
    return 0;
}

void LoadInfoEdit(IInfoEdit** Edit, TModuleEnvironment* Env, const TInfoObjectDef* ObjectDef)
{
    SetDllEnvironment(Env);
    if (!Edit)
        return;
    *Edit = nullptr;
    Guarded([&] { *Edit = CreateInfoEditFor(ObjectDef); });
}

void LoadInfoAction(TModuleEnvironment* Env, const TInfoObjectDef* ObjectDef, const QString& ActionID, IInfoView* View,
                    bool* Handled)
{
    SetDllEnvironment(Env);
    Guarded([&] { RunInfoActionFor(ObjectDef, ActionID, View, Handled); });
}
