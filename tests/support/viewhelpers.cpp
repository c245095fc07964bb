#include "viewhelpers.h"

#include "db/shared.h"
#include "kx_mrp/exports.h"

namespace kx::test {

IInfoView* LoadModuleView(const TInfoObjectDef* def)
{
    IInfoView* view = nullptr;
    LoadInfoView(&view, Env(), def);
    return view;
}

QWidget* WidgetOf(IInfoView* view)
{
    void* widget = nullptr;
    return view && view->QueryInterface(IID_IWidgetHandle, &widget) == S_OK ? static_cast<QWidget*>(widget) : nullptr;
}

} // namespace kx::test
