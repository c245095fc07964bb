// The six entry points of the module library, and their pointer types for hosts that
// resolve them at run time.
#pragma once

#include "kx_mrp/environment.h"
#include "kx_mrp/interfaces.h"

#if defined(KX_MRP_BUILDING_MODULE)
#define KX_MRP_EXPORT extern "C" __attribute__((visibility("default")))
#else
#define KX_MRP_EXPORT extern "C"
#endif

KX_MRP_EXPORT void SetDllEnvironment(kx::TModuleEnvironment* Env);
KX_MRP_EXPORT void LoadInfoView(kx::IInfoView** View, kx::TModuleEnvironment* Env, const kx::TInfoObjectDef* ObjectDef);
KX_MRP_EXPORT void LoadInfoFrame(kx::IInfoFrame** Frame, kx::TModuleEnvironment* Env, const kx::TInfoObjectDef* ObjectDef);
KX_MRP_EXPORT int LoadInfoForm(kx::TModuleEnvironment* Env, const kx::TInfoObjectDef* ObjectDef);
KX_MRP_EXPORT void LoadInfoEdit(kx::IInfoEdit** Edit, kx::TModuleEnvironment* Env, const kx::TInfoObjectDef* ObjectDef);
KX_MRP_EXPORT void LoadInfoAction(kx::TModuleEnvironment* Env, const kx::TInfoObjectDef* ObjectDef,
                                  const QString& ActionID, kx::IInfoView* View, bool* Handled);

namespace kx {
using TSetDllEnvironmentProc = void (*)(TModuleEnvironment*);
using TLoadInfoViewProc = void (*)(IInfoView**, TModuleEnvironment*, const TInfoObjectDef*);
using TLoadInfoFrameProc = void (*)(IInfoFrame**, TModuleEnvironment*, const TInfoObjectDef*);
using TLoadInfoFormProc = int (*)(TModuleEnvironment*, const TInfoObjectDef*);
using TLoadInfoEditProc = void (*)(IInfoEdit**, TModuleEnvironment*, const TInfoObjectDef*);
using TLoadInfoActionProc = void (*)(TModuleEnvironment*, const TInfoObjectDef*, const QString&, IInfoView*, bool*);
} // namespace kx
