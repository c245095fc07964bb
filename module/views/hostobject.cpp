#include "views/hostobject.h"

#include "views/commonui.h"

#include <QLayout>
#include <QWidget>

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

int ObjectActionCommand(const TInfoObjectDef* def, const QString& actionID)
{
    if (!def)
        return -1;
    for (qsizetype i = 0; i < def->Actions.size(); ++i)
        if (def->Actions[i].ID.compare(actionID, Qt::CaseInsensitive) == 0)
            return cmdAction + int(i);
    return -1;
}

} // namespace kx
