// The record a host fills and passes by pointer to every entry point of the module,
// with the host's callbacks. Every slot is one pointer wide and keeps its position.
#pragma once

#include "kx_mrp/objectdef.h"
#include "kx_mrp/viewscheme.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstddef>
#include <cstdint>

namespace kx {

class IInfoView;
class IInfoEdit;
class IERPAccess;

struct TEnumItem {
    QString Name;
    int ID = 0;
};

// Enumeration classes the module has read, by lower-cased class name; owned by the host,
// filled by the module, never invalidated.
struct TEnumCache {
    QHash<QString, QList<TEnumItem>> Classes;
};

// Host callbacks. A null slot means the host does not offer the service: the module then
// behaves as if the call had returned false or an empty result.
using TGetObjectDefProc = const TInfoObjectDef* (*)(const QString& ObjectID);
// Composes the statement of an object. With an empty Pattern the host builds
// "select <Fields> from <data sources> where <Where and the user's permit filter> order by
// <OrderBy>"; a Fields text that starts with "top N " limits the rows to N. With a Pattern,
// the host replaces "$$Fields$$" in it by Fields and "$$MainJoin$$" by the FROM and JOIN
// text of the object's data sources. MasterCondition is the part of Where that links a
// detail view to its master.
using TBuildObjectSQLProc = bool (*)(const TInfoObjectDef* ObjectDef, const QString& Pattern, QString& SQL,
                                     const QString& Fields, const QString& Where, const QString& OrderBy,
                                     const QString& MasterCondition);
// The object's base statement for a select list, and the FROM/JOIN text it used.
using TBuildObjectSelectProc = bool (*)(const TInfoObjectDef* ObjectDef, const QString& SelectList, QString& SQL,
                                        QString& Join);
using TCreateInfoViewProc = IInfoView* (*)(const TInfoObjectDef* ObjectDef);
using TRefreshMainUIProc = void (*)(std::intptr_t Value1, std::intptr_t Value2);
using TShowStatusTextProc = void (*)(const QString& Text, int Kind);      // 0 wait text, 1 record position
using TShowEditorProc = bool (*)(const TInfoObjectDef* ObjectDef, const QString& KeyValues, const QString& ActionID,
                                 IInfoEdit** Editor);
using TSelectFilterProc = bool (*)(const TInfoObjectDef* ObjectDef, QString& FilterCode, bool Flag,
                                   QString& FilterText, void* DataSet);
using TPrepareViewSchemeProc = bool (*)(const TInfoObjectDef* ObjectDef, TViewScheme& Scheme,
                                        const QString& ViewCaption, bool ShowDialog, void* SharedQuery);
using TSelectUsersProc = bool (*)(QStringList& Selection, bool AllowGroups, bool MultiSelect,
                                  const QStringList& Exclude);
// Shows Items (rows of values) for the user to choose from; Callback is called with each
// chosen row and Context. Returns the number of rows chosen.
using TListSelectCallback = bool (*)(void* Context, const QVariantList& Row);
using TListSelectProc = int (*)(const QList<QVariantList>& Items, const QString& Caption, const QStringList& Columns,
                                 bool MultiSelect, void* Context, TListSelectCallback Callback);
using TPrepareDetailSchemeProc = bool (*)(const TInfoObjectDef* ObjectDef, TViewScheme& Scheme, void* SharedQuery);
using TGetPermitSQLProc = QString (*)(const TInfoObjectDef* ObjectDef, const QString& PermitCode, bool ByQuery);
using TValueLookupProc = bool (*)(const QVariant& Value, QVariant& Result);

struct TModuleEnvironment {
    void* Reserved0 = nullptr;
    void* SettingsQuery = nullptr;        // 1: unused by this module, which keeps its own settings query
    TEnumCache* EnumCache = nullptr;      // 2
    IERPAccess* ERPAccess = nullptr;      // 3
    const char* UserID = nullptr;         // 4: text slots are UTF-8, owned by the host
    void* Reserved5 = nullptr;
    const char* UserName = nullptr;       // 6
    const char* UserGroups = nullptr;     // 7: quoted, comma-separated group IDs
    void* Reserved8 = nullptr;
    void* Reserved9 = nullptr;
    void* Reserved10 = nullptr;
    void* Reserved11 = nullptr;
    std::intptr_t DBType = 0;             // 12: 0 the PostgreSQL server; others cannot connect
    const char* DBServer = nullptr;       // 13: host, host:port or socket directory
    const char* DBName = nullptr;         // 14
    const char* DBUser = nullptr;         // 15: empty means the operating-system login
    const char* DBPassword = nullptr;     // 16
    const char* DBFilePassword = nullptr; // 17
    void* Reserved18 = nullptr;
    std::intptr_t ContextID = 0;          // 19: a change makes the module reconnect
    std::intptr_t ResultSink = 0;         // 20: written by the module
    std::intptr_t MaxRows = 0;            // 21: row limit of list queries
    TGetObjectDefProc GetObjectDef = nullptr;                 // 22
    TBuildObjectSQLProc BuildObjectSQL = nullptr;             // 23
    TBuildObjectSelectProc BuildObjectSelect = nullptr;       // 24
    TCreateInfoViewProc CreateInfoView = nullptr;             // 25
    TRefreshMainUIProc RefreshMainUI = nullptr;               // 26
    TShowStatusTextProc ShowStatusText = nullptr;             // 27
    TShowEditorProc ShowEditor = nullptr;                     // 28
    TSelectFilterProc SelectFilter = nullptr;                 // 29
    TPrepareViewSchemeProc PrepareViewScheme = nullptr;       // 30
    TSelectUsersProc SelectUsers = nullptr;                   // 31
    TListSelectProc ListSelect = nullptr;                     // 32
    TPrepareDetailSchemeProc PrepareDetailScheme = nullptr;   // 33
    TGetPermitSQLProc GetPermitSQL = nullptr;                 // 34
    TValueLookupProc ValueLookup = nullptr;                   // 35
};

#define KX_ENV_SLOT(field, n) \
    static_assert(offsetof(TModuleEnvironment, field) == (n) * sizeof(void*), #field " must be slot " #n)
KX_ENV_SLOT(SettingsQuery, 1);
KX_ENV_SLOT(EnumCache, 2);
KX_ENV_SLOT(ERPAccess, 3);
KX_ENV_SLOT(UserID, 4);
KX_ENV_SLOT(UserName, 6);
KX_ENV_SLOT(UserGroups, 7);
KX_ENV_SLOT(DBType, 12);
KX_ENV_SLOT(DBServer, 13);
KX_ENV_SLOT(DBName, 14);
KX_ENV_SLOT(DBUser, 15);
KX_ENV_SLOT(DBPassword, 16);
KX_ENV_SLOT(DBFilePassword, 17);
KX_ENV_SLOT(ContextID, 19);
KX_ENV_SLOT(ResultSink, 20);
KX_ENV_SLOT(MaxRows, 21);
KX_ENV_SLOT(GetObjectDef, 22);
KX_ENV_SLOT(ShowStatusText, 27);
KX_ENV_SLOT(GetPermitSQL, 34);
KX_ENV_SLOT(ValueLookup, 35);
#undef KX_ENV_SLOT
static_assert(sizeof(TModuleEnvironment) == 36 * sizeof(void*), "the environment has 36 slots");

inline QString TInfoObjectDef::GetPermitFilter(bool AByQuery, const TModuleEnvironment* Env) const
{
    if (PermitCodes.isEmpty() || PermitCodes == QLatin1String("1=0"))
        return PermitCodes;
    QString result;
    qsizetype start = 0;
    for (qsizetype bar = PermitCodes.indexOf(QLatin1Char('|')); bar >= 0;
         start = bar + 1, bar = PermitCodes.indexOf(QLatin1Char('|'), start)) {
        const QString code = PermitCodes.mid(start, bar - start);
        if (code.isEmpty())
            continue;
        const QString condition = (Env && Env->GetPermitSQL) ? Env->GetPermitSQL(this, code, AByQuery) : QString();
        result += QLatin1String(" or (") + condition + QLatin1Char(')');
    }
    return result.mid(4);
}

} // namespace kx
