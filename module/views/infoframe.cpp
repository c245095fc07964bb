#include "views/infoframe.h"

#include "views/hostobject.h"

namespace kx {

TCustomInfoFrame::TCustomInfoFrame(QWidget* owner) : QFrame(owner)
{
    NameInstance(this);
}

HRESULT TCustomInfoFrame::QueryInterface(const TGUID& IID, void** Obj)
{
    return QueryHostInterface<IInfoFrame>(this, this, IID_IInfoFrame, IID, Obj);
}

void TCustomInfoFrame::ProcessIdle() {}

void TCustomInfoFrame::RefreshMainUI() {}

bool TCustomInfoFrame::QueryClose()
{
    return true;
}

bool TCustomInfoFrame::QueryCommandState(int, TCommandState&)
{
    return false;
}

bool TCustomInfoFrame::ExecCommand(int)
{
    return false;
}

void TCustomInfoFrame::SetParentControl(QWidget* Parent)
{
    PlaceInParent(this, Parent);
}

} // namespace kx
