// The host's definition of an information object: fields, actions, relations, data
// sources, access groups and the user's permit codes. Built by the host, read by the module.
#pragma once

#include "kx_mrp/types.h"

#include <QList>
#include <QString>

namespace kx {

struct TModuleEnvironment;

enum TInfoDataSourceType { dsTable, dsSelect, dsStoredProc, dsFunction };
enum TInfoFieldValueType { vtNormal, vtCreater, vtUser, vtSysEnum, vtInnerEnum, vtLookup, vtObject };
enum TInfoFieldLayout { flNormal, flFixedLeft, flFixedRight, flDefaultHide };
enum TInfoFieldViewSign { vsNormal, vsBizClosed, vsBizToDo, vsBizWarning, vsBizError };
enum TInfoActionType { atNew, atUpdate, atDelete, atCopy, atPrint, atExport, atCustom, atImport, atCheck, atUnCheck };
enum TInfoActionKind { akSimple, akSingle, akView, akGlobal };

struct TInfoDataSourceDef {
    QString ID;
    bool IsMain = false;
    TInfoDataSourceType DataType = dsTable;
    QString SQLData;              // table name, select text, procedure or function name
    QString Filter;
    QString Join;
};

struct TInfoAccessGroup {
    QString ID;
    QString Name;
};

struct TEnumValue {
    QString Text;
    int Value = 0;
};

struct TInfoFieldDef {
    QString ID;
    QString Name;
    bool IsPrimary = false;
    TFieldType DataType = ftString;
    int Precision = 0;
    QString SQLExpress;
    TInfoFieldValueType ValueType = vtNormal;
    QString ValueSource;
    QList<TEnumValue> EnumValues;
    bool HideList = false;
    bool HideSort = false;
    bool HideFilter = false;
    bool HideTotal = false;
    TInfoFieldLayout Layout = flNormal;
    TInfoFieldViewSign ViewSign = vsNormal;
};

struct TInfoActionDef {
    QString ID;
    QString Name;
    TInfoActionType ActType = atCustom;
    TInfoActionKind Kind = akSimple;
    int Group = 0;
    bool InEditor = false;
    QString Context;
    QString Filter;               // SQL condition a record must meet for the action
    QString DllName;
};

struct TInfoRelationDef {
    QString ID;
    QString Name;
    bool AsBody = false;
    QString RelObjID;
    QString FieldMaps;
};

namespace detail {
// Lookups search from the last element to the first, so a later element with the
// same ID hides an earlier one; IDs compare without regard to case.
template <class T>
const T* FindByID(const QList<T>& list, const QString& id)
{
    for (qsizetype i = list.size() - 1; i >= 0; --i)
        if (list[i].ID.compare(id, Qt::CaseInsensitive) == 0)
            return &list[i];
    return nullptr;
}
} // namespace detail

class TInfoObjectDef {
public:
    QString ID;
    QString Name;
    int ObjType = 0;
    bool Internal = false;
    bool HasEditor = false;
    bool CanPrint = false;
    bool CanExport = false;
    QString DllName;
    QString SID;
    QString PermitCodes;          // each code followed by "|"; empty: no restriction; "1=0": nothing
    QList<TInfoDataSourceDef> DataSources;
    QList<TInfoAccessGroup> AccessGroups;
    QList<TInfoFieldDef> Fields;
    QList<TInfoActionDef> Actions;
    QList<TInfoRelationDef> Relations;

    const TInfoAccessGroup* GetAccessGroup(const QString& id) const { return detail::FindByID(AccessGroups, id); }
    const TInfoFieldDef* GetFieldDef(const QString& id) const { return detail::FindByID(Fields, id); }
    const TInfoActionDef* GetActionDef(const QString& id) const { return detail::FindByID(Actions, id); }
    const TInfoRelationDef* GetRelationDef(const QString& id) const { return detail::FindByID(Relations, id); }

    // The SQL condition of the user's permit codes: the host's condition of every code,
    // each in parentheses, joined by " or ". Defined in environment.h, where the host's
    // GetPermitSQL callback is known.
    QString GetPermitFilter(bool AByQuery, const TModuleEnvironment* Env) const;
};

} // namespace kx
