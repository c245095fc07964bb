#include "db/settings.h"

#include "db/dataset.h"
#include "db/messages.h"
#include "db/quote.h"
#include "db/shared.h"
#include "db/sqlrun.h"

namespace kx {

// The settings query of this thread, on this thread's shared connection (long work on a
// worker thread reads settings on its own connection).
TQuery& SettingsQuery()
{
    thread_local TQuery query;
    TConnection* connection = &SharedConnection();
    if (query.Connection != connection) {
        query.Close();
        query.Connection = connection;
    }
    return query;
}

void ReadSetting(const QString& setClass, const QString& key, QString& value, bool isSystem, const QString& defaultValue)
{
    value = defaultValue;
    QString sql;
    if (isSystem) {
        sql = QStringLiteral("select SetValue from KX_SYS_SysSettings where SetClass=%1 and SetKey=%2")
                  .arg(QuotedStr(setClass), QuotedStr(key));
    } else {
        const QString user = EnvUserID();
        if (user.isEmpty())
            return;
        sql = QStringLiteral("select SetValue from KX_SYS_UserSettings where SetUsrID=%1 and SetClass=%2 and SetKey=%3")
                  .arg(QuotedStr(user), QuotedStr(setClass), QuotedStr(key));
    }
    TQuery& q = SettingsQuery();
    if (RunSQL(q, sql, true) && !q.IsEmpty())
        value = q.Fields(0).AsString();
}

bool ReadSettingBool(const QString& setClass, const QString& key, bool isSystem, bool defaultValue)
{
    const QString none = QStringLiteral("\x01");
    QString value;
    ReadSetting(setClass, key, value, isSystem, none);
    if (value == none)
        return defaultValue;
    return value != QLatin1String("0");
}

int ReadSettingInt(const QString& setClass, const QString& key, bool isSystem, int defaultValue)
{
    QString value;
    ReadSetting(setClass, key, value, isSystem);
    bool ok = false;
    const int n = value.trimmed().toInt(&ok);
    return ok ? n : defaultValue;
}

void WriteSetting(const QString& setClass, const QString& key, bool isSystem, const QString& value)
{
    QString sql;
    if (isSystem) {
        sql = QStringLiteral("insert into KX_SYS_SysSettings (SetClass, SetKey, SetValue) values (%1, %2, %3) "
                             "on conflict (SetClass, SetKey) do update set SetValue=excluded.SetValue")
                  .arg(QuotedStr(setClass), QuotedStr(key), QuotedStr(value));
    } else {
        const QString user = EnvUserID();
        if (user.isEmpty())
            return;
        sql = QStringLiteral("insert into KX_SYS_UserSettings (SetUsrID, SetClass, SetKey, SetValue) values (%1, %2, %3, %4) "
                             "on conflict (SetUsrID, SetClass, SetKey) do update set SetValue=excluded.SetValue")
                  .arg(QuotedStr(user), QuotedStr(setClass), QuotedStr(key), QuotedStr(value));
    }
    (void)RunSQL(SettingsQuery(), sql, false);
}

void WriteSettingInt(const QString& setClass, const QString& key, bool isSystem, int value)
{
    WriteSetting(setClass, key, isSystem, QString::number(value));
}

const QList<TEnumItem>& GetEnumList(const QString& enumClass)
{
    static TEnumCache ownCache;
    TEnumCache& cache = (Env() && Env()->EnumCache) ? *Env()->EnumCache : ownCache;
    const QString key = enumClass.toLower();
    auto it = cache.Classes.find(key);
    if (it != cache.Classes.end())
        return it.value();
    QList<TEnumItem>& items = cache.Classes[key];
    TQuery& q = SettingsQuery();
    if (RunSQL(q, QStringLiteral("select EnmID, EnmName from KX_SYS_Enums where EnmClass=%1 order by EnmID")
                      .arg(QuotedStr(enumClass)), true)) {
        for (q.First(); !q.Eof(); q.Next())
            items.append({q.Fields(1).AsString(), q.Fields(0).AsInteger()});
    }
    return items;
}

bool GetEnumText(const QString& enumClass, int id, QString& text)
{
    for (const TEnumItem& item : GetEnumList(enumClass))
        if (item.ID == id) {
            text = item.Name;
            return true;
        }
    text = QStringLiteral("(%1)").arg(id);
    return false;
}

QString EnumText(const QString& enumClass, int id)
{
    QString text;
    GetEnumText(enumClass, id, text);
    return text;
}

bool EnumHasValue(const QString& enumClass, int id)
{
    QString text;
    return GetEnumText(enumClass, id, text);
}

} // namespace kx
