// What every view, frame and editor the host drives shares: its instance name, its place
// under the host's parent widget and the interfaces it answers.
#pragma once

#include "kx_mrp/interfaces.h"

class QObject;
class QString;
class QWidget;

namespace kx {

// Gives an object its class name (without the "T") and the tick count, so that several
// instances of one class can live side by side.
void NameInstance(QObject* object);
// Puts a created frame, view or editor under the host's control: parented, laid out in
// the parent's layout when it has one, shown.
void PlaceInParent(QWidget* widget, QWidget* parent);

// The command of one of the object's actions ("Update", "AddSubs" ...): cmdAction plus its
// position in the definition, found without regard to case; -1 when the object has none.
int ObjectActionCommand(const TInfoObjectDef* def, const QString& actionID);

// QueryInterface of a widget that implements one host interface: that interface (also as
// IInterface) and the widget handle a host parents and frees.
template <class TInterface>
HRESULT QueryHostInterface(TInterface* self, QWidget* widget, const TGUID& ownIID, const TGUID& IID, void** Obj)
{
    if (IID == ownIID || IID == IID_IInterface) {
        *Obj = self;
        return S_OK;
    }
    if (IID == IID_IWidgetHandle) {
        *Obj = widget;
        return S_OK;
    }
    *Obj = nullptr;
    return E_NOINTERFACE;
}

} // namespace kx
