#include "cliargs.h"

#include "db/strutils.h"

#include <QFileInfo>

namespace kx::cli {

namespace {

QString OptionName(const char* name)
{
    return QStringLiteral("--") + QLatin1String(name);
}

bool HasControlCharacter(const QString& text)
{
    for (const QChar c : text)
        if (c.category() == QChar::Other_Control)
            return true;
    return false;
}

} // namespace

TCliArgs::TCliArgs(QStringList args, const QString& command, const QString& usage)
    : FArgs(std::move(args)), FCommand(command), FUsage(usage)
{
    if (FArgs.contains(QStringLiteral("--help")) || FArgs.contains(QStringLiteral("-h")))
        throw ECliHelp(FUsage);
}

void TCliArgs::Refuse(const QString& text) const
{
    throw ECliRefusal(QStringLiteral("kxmrp %1: %2").arg(FCommand, text), esUsage, FUsage);
}

void TCliArgs::RefuseValue(const char* name, const QString& value, const QString& expected) const
{
    Refuse(QStringLiteral("参数%1的值(%2)无效, %3!").arg(OptionName(name), value.left(60), expected));
}

bool TCliArgs::Has(const char* name) const
{
    const QString flag = OptionName(name);
    for (const QString& a : FArgs)
        if (a == flag || a.startsWith(flag + QLatin1Char('=')))
            return true;
    return false;
}

QString TCliArgs::Take(const char* name)
{
    const QString flag = OptionName(name);
    QString value;
    bool found = false;
    for (qsizetype i = 0; i < FArgs.size();) {
        if (FArgs[i] == flag) {
            if (i + 1 >= FArgs.size() || FArgs[i + 1].startsWith(QLatin1String("--")))
                Refuse(QStringLiteral("参数%1缺少值!").arg(flag));
            if (found)
                Refuse(QStringLiteral("参数%1重复给出!").arg(flag));
            value = FArgs[i + 1];
            FArgs.remove(i, 2);
            found = true;
        } else if (FArgs[i].startsWith(flag + QLatin1Char('='))) {
            if (found)
                Refuse(QStringLiteral("参数%1重复给出!").arg(flag));
            value = FArgs[i].mid(flag.size() + 1);
            FArgs.remove(i);
            found = true;
        } else {
            ++i;
        }
    }
    return found ? (value.isNull() ? QStringLiteral("") : value) : QString();
}

bool TCliArgs::Flag(const char* name)
{
    const QString flag = OptionName(name);
    for (const QString& a : FArgs)
        if (a.startsWith(flag + QLatin1Char('=')))
            Refuse(QStringLiteral("参数%1不带值!").arg(flag));
    return FArgs.removeAll(flag) > 0;
}

QString TCliArgs::Text(const char* name, int maxLength, const QString& fallback)
{
    const QString raw = Take(name);
    if (raw.isNull())
        return fallback;
    const QString text = raw.trimmed();
    if (HasControlCharacter(text))
        RefuseValue(name, text, QStringLiteral("不能含有制表符、换行等控制字符"));
    if (text.size() > maxLength)
        RefuseValue(name, text, QStringLiteral("长度%1个字符, 不能超过%2个字符").arg(text.size()).arg(maxLength));
    return text;
}

QString TCliArgs::Required(const char* name, int maxLength)
{
    const QString text = Text(name, maxLength);
    if (text.isEmpty())
        Refuse(QStringLiteral("必须给出参数%1!").arg(OptionName(name)));
    return text;
}

int TCliArgs::Int(const char* name, int min, int max, int fallback)
{
    const QString text = Take(name);
    if (text.isNull())
        return fallback;
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok);
    if (!ok || value < min || value > max)
        RefuseValue(name, text, QStringLiteral("应为%1到%2之间的整数").arg(min).arg(max));
    return int(value);
}

int TCliArgs::RequiredInt(const char* name, int min, int max)
{
    if (!Has(name))
        Refuse(QStringLiteral("必须给出参数%1!").arg(OptionName(name)));
    return Int(name, min, max, min);
}

int TCliArgs::OneOf(const char* name, std::initializer_list<int> allowed, int fallback)
{
    const QString text = Take(name);
    if (text.isNull())
        return fallback;
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    QStringList shown;
    for (const int a : allowed) {
        if (ok && a == value)
            return value;
        shown << QString::number(a);
    }
    RefuseValue(name, text, QStringLiteral("应为%1之一").arg(shown.join(QStringLiteral(", "))));
}

QString TCliArgs::OneOf(const char* name, const QStringList& allowed, const QString& fallback)
{
    const QString text = Take(name);
    if (text.isNull())
        return fallback;
    for (const QString& a : allowed)
        if (a.compare(text.trimmed(), Qt::CaseInsensitive) == 0)
            return a;
    RefuseValue(name, text, QStringLiteral("应为%1之一").arg(allowed.join(QStringLiteral(", "))));
}

QDate TCliArgs::Date(const char* name, const QDate& min, const QDate& max, const QDate& fallback)
{
    const QString text = Take(name);
    if (text.isNull())
        return fallback;
    const QDateTime read = TextToDateTime(text);
    const QDate date = read.isValid() && read.time() == QTime(0, 0) ? read.date() : QDate();
    if (!date.isValid() || date < min || date > max)
        RefuseValue(name, text,
                    QStringLiteral("应为%1至%2之间的日期(yyyy-mm-dd)")
                        .arg(min.toString(QStringLiteral("yyyy-MM-dd")), max.toString(QStringLiteral("yyyy-MM-dd"))));
    return date;
}

QString TCliArgs::ExistingFile(const char* name)
{
    const QString path = Take(name);
    if (path.isNull())
        return path;
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile() || !info.isReadable())
        RefuseValue(name, path, QStringLiteral("文件不存在或不能读取"));
    return path;
}

QStringList TCliArgs::TakeWords()
{
    QStringList words;
    for (qsizetype i = 0; i < FArgs.size();) {
        if (FArgs[i].startsWith(QLatin1String("--"))) {
            ++i;
        } else {
            words << FArgs[i];
            FArgs.remove(i);
        }
    }
    return words;
}

void TCliArgs::Finish()
{
    if (!FArgs.isEmpty())
        Refuse(QStringLiteral("未知参数 %1").arg(FArgs.join(QLatin1Char(' '))));
}

} // namespace kx::cli
