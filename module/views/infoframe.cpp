#include "views/infoframe.h"

#include "views/commonui.h"

#include <QLayout>

namespace kx {

void NameInstance(QObject* object)
{
    QString name = QString::fromLatin1(object->metaObject()->className());
    name = name.mid(name.lastIndexOf(QLatin1Char(':')) + 1);
    if (name.startsWith(QLatin1Char('T')))
        name.remove(0, 1);
    object->setObjectName(name + QString::number(TickCount()));
}

void PlaceInParent(QWidget* widget, QWidget* parent)
{
    widget->setParent(parent);
    if (!parent)
        return;
    if (parent->layout())
        parent->layout()->addWidget(widget);
    widget->show();
}

TCustomInfoFrame::TCustomInfoFrame(QWidget* owner) : QFrame(owner)
{
    NameInstance(this);
}

HRESULT TCustomInfoFrame::QueryInterface(const TGUID& IID, void** Obj)
{
    if (IID == IID_IInfoFrame || IID == IID_IInterface) {
        *Obj = static_cast<IInfoFrame*>(this);
        return S_OK;
    }
    if (IID == IID_IWidgetHandle) {
        *Obj = static_cast<QWidget*>(this);
        return S_OK;
    }
    *Obj = nullptr;
    return E_NOINTERFACE;
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
