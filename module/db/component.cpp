#include "db/component.h"

#include <QMetaProperty>
#include <QObject>
#include <QStringList>

namespace kx {

namespace {

QString ValueText(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Bool: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Double:
        return v.toString();
    default: {
        QString s = v.toString();
        s.replace(QLatin1Char('\''), QLatin1String("''"));
        s.replace(QLatin1Char('\n'), QLatin1String("'#10'"));
        s.replace(QLatin1Char('\r'), QLatin1String("'#13'"));
        return QLatin1Char('\'') + s + QLatin1Char('\'');
    }
    }
}

QVariant TextValue(const QString& text)
{
    if (text.startsWith(QLatin1Char('\''))) {
        QString s = text.mid(1, text.size() - 2);
        s.replace(QLatin1String("'#10'"), QLatin1String("\n"));
        s.replace(QLatin1String("'#13'"), QLatin1String("\r"));
        s.replace(QLatin1String("''"), QLatin1String("'"));
        return s;
    }
    if (text == QLatin1String("True") || text == QLatin1String("False"))
        return text == QLatin1String("True");
    return text;
}

void WriteObject(const QObject* obj, int depth, QStringList& lines)
{
    const QString indent(depth * 2, QLatin1Char(' '));
    lines << indent + QStringLiteral("object %1: %2").arg(obj->objectName(), QString::fromLatin1(obj->metaObject()->className()));
    const QMetaObject* mo = obj->metaObject();
    for (int i = 0; i < mo->propertyCount(); ++i) {
        const QMetaProperty p = mo->property(i);
        if (!p.isStored() || !p.isWritable() || qstrcmp(p.name(), "objectName") == 0)
            continue;
        const QVariant v = p.read(obj);
        if (!v.isValid() || !v.canConvert<QString>())
            continue;
        lines << indent + QStringLiteral("  %1 = %2").arg(QString::fromLatin1(p.name()), ValueText(v));
    }
    for (const QObject* child : obj->children())
        if (!child->objectName().isEmpty())
            WriteObject(child, depth + 1, lines);
    lines << indent + QStringLiteral("end");
}

} // namespace

QString ComponentToText(const QObject* component)
{
    QStringList lines;
    if (component)
        WriteObject(component, 0, lines);
    return lines.join(QLatin1String("\r\n"));
}

bool TextToComponent(const QString& text, QObject* component)
{
    if (!component)
        return false;
    const QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.isEmpty() || !lines.first().trimmed().startsWith(QLatin1String("object ")))
        return false;
    QList<QObject*> stack;
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty())
            continue;
        if (line.startsWith(QLatin1String("object "))) {
            const QString name = line.mid(7).section(QLatin1Char(':'), 0, 0).trimmed();
            QObject* target = nullptr;
            if (stack.isEmpty())
                target = component;
            else if (stack.last())
                target = stack.last()->findChild<QObject*>(name, Qt::FindDirectChildrenOnly);
            stack << target;
        } else if (line == QLatin1String("end")) {
            if (stack.isEmpty())
                return false;
            stack.removeLast();
        } else {
            const qsizetype eq = line.indexOf(QLatin1String(" = "));
            if (eq < 0 || stack.isEmpty())
                return false;
            if (QObject* target = stack.last())
                target->setProperty(line.left(eq).toLatin1().constData(), TextValue(line.mid(eq + 3)));
        }
    }
    return stack.isEmpty();
}

} // namespace kx
