#include "catalogue.h"

#include "objectsql.h"

#include "db/dataset.h"
#include "db/quote.h"

namespace kx::suite {

namespace {

TCatalogue* gCurrent = nullptr;

bool Flag(const TQuery& q, const char* name)
{
    return q.FieldByName(QLatin1String(name)).AsInteger() != 0;
}

QString Text(const TQuery& q, const char* name)
{
    return q.FieldByName(QLatin1String(name)).AsString();
}

int Int(const TQuery& q, const char* name)
{
    return q.FieldByName(QLatin1String(name)).AsInteger();
}

} // namespace

TCatalogue::TCatalogue(TConnection& connection) : FConnection(connection) {}

void TCatalogue::SetUser(const QString& userID)
{
    FDefs.clear();
    FUserID = userID;
    FIsAdmin = false;
    FGroupIDs.clear();
    TQuery q(&FConnection);
    q.SQL = QStringLiteral("select UsrIsAdmin from KX_SYS_Users where UsrID=%1 and UsrDisabled=0").arg(QuotedStr(userID));
    q.Open();
    FIsAdmin = !q.IsEmpty() && q.Fields(0).AsInteger() != 0;
    q.SQL = QStringLiteral("select m.UgmGrpID from KX_SYS_UserGroupMembers as m join KX_SYS_UserGroups as g on g.GrpID=m.UgmGrpID "
                           "where m.UgmUsrID=%1 and g.GrpDisabled=0 order by m.UgmGrpID").arg(QuotedStr(userID));
    q.Open();
    QStringList quoted;
    for (q.First(); !q.Eof(); q.Next()) {
        FGroupIDs << q.Fields(0).AsString();
        quoted << QuotedStr(q.Fields(0).AsString());
    }
    FUserGroups = quoted.join(QLatin1Char(','));
}

bool TCatalogue::HoldsAny(const QString& objectID, const QStringList& groups, QStringList& held)
{
    held.clear();
    if (FIsAdmin) {
        held = groups;
        return !groups.isEmpty();
    }
    TQuery q(&FConnection);
    q.SQL = QStringLiteral("select distinct AcrGroup from KX_SYS_AccessRights where AcrObjID=%1 and "
                           "(AcrIsGroup=0 and AcrUsrID=%2%3)")
                .arg(QuotedStr(objectID), QuotedStr(FUserID),
                     FUserGroups.isEmpty() ? QString() : QStringLiteral(" or AcrIsGroup=1 and AcrUsrID in (%1)").arg(FUserGroups));
    q.Open();
    for (q.First(); !q.Eof(); q.Next())
        for (const QString& g : groups)
            if (g.compare(q.Fields(0).AsString(), Qt::CaseInsensitive) == 0)
                held << g;
    return !held.isEmpty();
}

std::unique_ptr<TInfoObjectDef> TCatalogue::Load(const QString& id)
{
    TQuery q(&FConnection);
    q.SQL = QStringLiteral("select * from KX_SYS_Objects where ObjID=%1").arg(QuotedStr(id));
    q.Open();
    if (q.IsEmpty())
        return nullptr;
    auto def = std::make_unique<TInfoObjectDef>();
    def->ID = Text(q, "ObjID");
    def->Name = Text(q, "ObjName");
    def->ObjType = Int(q, "ObjType");
    def->Internal = Flag(q, "ObjInternal");
    def->HasEditor = Flag(q, "ObjHasEditor");
    def->CanPrint = Flag(q, "ObjCanPrint");
    def->CanExport = Flag(q, "ObjCanExport");
    def->DllName = Text(q, "ObjDllName");
    def->SID = Text(q, "ObjSID");
    const QString quotedID = QuotedStr(def->ID);

    // Access groups: an object without any is open to everyone; otherwise the user must
    // hold at least one, and the definition lists the ones held.
    q.SQL = QStringLiteral("select AgrID, AgrName from KX_SYS_ObjAccessGroups where AgrObjID=%1 order by AgrSeq, AgrID").arg(quotedID);
    q.Open();
    QStringList groups;
    QMap<QString, QString> groupNames;
    for (q.First(); !q.Eof(); q.Next()) {
        groups << q.Fields(0).AsString();
        groupNames.insert(q.Fields(0).AsString().toLower(), q.Fields(1).AsString());
    }
    QStringList held;
    if (!groups.isEmpty() && !HoldsAny(def->ID, groups, held))
        return nullptr;
    for (const QString& g : held)
        def->AccessGroups << TInfoAccessGroup{g, groupNames.value(g.toLower())};

    q.SQL = QStringLiteral("select * from KX_SYS_ObjDataSources where DsrObjID=%1 order by DsrSeq").arg(quotedID);
    q.Open();
    for (q.First(); !q.Eof(); q.Next())
        def->DataSources << TInfoDataSourceDef{Text(q, "DsrID"), Flag(q, "DsrIsMain"), TInfoDataSourceType(Int(q, "DsrType")),
                                               Text(q, "DsrSQLData"), Text(q, "DsrFilter"), Text(q, "DsrJoin")};

    q.SQL = QStringLiteral("select f.*, (select string_agg(e.EnmID || '=' || e.EnmName, '|' order by e.EnmID) from KX_SYS_Enums as e "
                           "where f.FldEnumClass<>'' and e.EnmClass=f.FldEnumClass) as SysEnumValues "
                           "from KX_SYS_ObjFields as f where FldObjID=%1 order by FldSeq").arg(quotedID);
    q.Open();
    for (q.First(); !q.Eof(); q.Next()) {
        TInfoFieldDef f;
        f.ID = Text(q, "FldID");
        f.Name = Text(q, "FldName");
        f.IsPrimary = Flag(q, "FldIsPrimary");
        f.DataType = TFieldType(Int(q, "FldDataType"));
        f.Precision = Int(q, "FldPrecision");
        f.SQLExpress = Text(q, "FldSQLExpress");
        f.ValueType = TInfoFieldValueType(Int(q, "FldValueType"));
        f.ValueSource = Text(q, "FldValueSource");
        const QString enumItems = f.ValueType == vtInnerEnum ? Text(q, "FldEnumValues") : Text(q, "SysEnumValues");
        for (const QString& item : enumItems.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
            const qsizetype eq = item.indexOf(QLatin1Char('='));
            if (eq > 0)
                f.EnumValues << TEnumValue{item.mid(eq + 1), item.left(eq).toInt()};
        }
        f.HideList = Flag(q, "FldHideList");
        f.HideSort = Flag(q, "FldHideSort");
        f.HideFilter = Flag(q, "FldHideFilter");
        f.HideTotal = Flag(q, "FldHideTotal");
        f.Layout = TInfoFieldLayout(Int(q, "FldLayout"));
        f.ViewSign = TInfoFieldViewSign(Int(q, "FldViewSign"));
        def->Fields << f;
    }

    q.SQL = QStringLiteral("select * from KX_SYS_ObjActions where ActObjID=%1 order by ActSeq").arg(quotedID);
    q.Open();
    for (q.First(); !q.Eof(); q.Next()) {
        const QString access = Text(q, "ActAccess");
        if (!access.isEmpty() && !def->GetAccessGroup(access))
            continue;
        TInfoActionDef a;
        a.ID = Text(q, "ActID");
        a.Name = Text(q, "ActName");
        a.ActType = TInfoActionType(Int(q, "ActType"));
        a.Kind = TInfoActionKind(Int(q, "ActKind"));
        a.Group = Int(q, "ActGroup");
        a.InEditor = Flag(q, "ActInEditor");
        a.Context = Text(q, "ActContext");
        a.Filter = Text(q, "ActFilter");
        a.DllName = Text(q, "ActDllName");
        def->Actions << a;
    }

    q.SQL = QStringLiteral("select * from KX_SYS_ObjRelations where RelObjID=%1 order by RelSeq").arg(quotedID);
    q.Open();
    for (q.First(); !q.Eof(); q.Next())
        def->Relations << TInfoRelationDef{Text(q, "RelID"), Text(q, "RelName"), Flag(q, "RelAsBody"), Text(q, "RelRelObjID"),
                                           Text(q, "RelFieldMaps")};

    // Data permissions: an object with permit codes shows a user only the rows of the codes
    // he holds, and nothing when he holds none.
    q.SQL = QStringLiteral("select p.PmtCode, exists (select 1 from KX_SYS_UserPermits as u where u.UpmObjID=p.PmtObjID and "
                           "u.UpmCode=p.PmtCode and (u.UpmIsGroup=0 and u.UpmUsrID=%2%3)) as Held "
                           "from KX_SYS_ObjPermits as p where p.PmtObjID=%1 order by p.PmtCode")
                .arg(quotedID, QuotedStr(FUserID),
                     FUserGroups.isEmpty() ? QString() : QStringLiteral(" or u.UpmIsGroup=1 and u.UpmUsrID in (%1)").arg(FUserGroups));
    q.Open();
    if (!q.IsEmpty() && !FIsAdmin) {
        for (q.First(); !q.Eof(); q.Next())
            if (q.Fields(1).AsBoolean())
                def->PermitCodes += q.Fields(0).AsString() + QLatin1Char('|');
        if (def->PermitCodes.isEmpty())
            def->PermitCodes = QStringLiteral("1=0");
    }
    return def;
}

const TInfoObjectDef* TCatalogue::ObjectDef(const QString& id)
{
    const QString key = id.toLower();
    auto it = FDefs.find(key);
    if (it == FDefs.end())
        it = FDefs.emplace(key, Load(id)).first;
    return it->second.get();
}

QList<TCatalogueEntry> TCatalogue::Entries()
{
    TQuery q(&FConnection);
    q.SQL = QStringLiteral("select ObjID, ObjName, ObjType, ObjMenu, ObjDllName from KX_SYS_Objects where ObjInternal=0 "
                           "order by ObjMenu, ObjOrder, ObjID");
    q.Open();
    QList<TCatalogueEntry> entries;
    for (q.First(); !q.Eof(); q.Next())
        if (ObjectDef(q.Fields(0).AsString()))
            entries << TCatalogueEntry{q.Fields(0).AsString(), q.Fields(1).AsString(), q.Fields(2).AsInteger(),
                                       q.Fields(3).AsString(), q.Fields(4).AsString()};
    return entries;
}

QString TCatalogue::PermitSQL(const TInfoObjectDef* def, const QString& code, bool byQuery)
{
    if (!def)
        return QStringLiteral("1=0");
    TQuery q(&FConnection);
    q.SQL = QStringLiteral("select PmtSQL, PmtQuerySQL from KX_SYS_ObjPermits where PmtObjID=%1 and PmtCode=%2")
                .arg(QuotedStr(def->ID), QuotedStr(code));
    q.Open();
    if (q.IsEmpty())
        return QStringLiteral("1=0");
    QString sql = q.Fields(0).AsString();
    if (byQuery && !q.Fields(1).AsString().trimmed().isEmpty())
        sql = q.Fields(1).AsString();
    sql.replace(QLatin1String("$$UserID$$"), QuotedStr(FUserID), Qt::CaseInsensitive);
    sql.replace(QLatin1String("$$UserGroups$$"), FUserGroups.isEmpty() ? QStringLiteral("''") : FUserGroups, Qt::CaseInsensitive);
    return sql;
}

void SetCurrentCatalogue(TCatalogue* catalogue)
{
    gCurrent = catalogue;
}

TCatalogue* CurrentCatalogue()
{
    return gCurrent;
}

const TInfoObjectDef* HostGetObjectDef(const QString& objectID)
{
    return gCurrent ? gCurrent->ObjectDef(objectID) : nullptr;
}

QString HostGetPermitSQL(const TInfoObjectDef* def, const QString& code, bool byQuery)
{
    return gCurrent ? gCurrent->PermitSQL(def, code, byQuery) : QStringLiteral("1=0");
}

bool HostBuildObjectSQL(const TInfoObjectDef* def, const QString& pattern, QString& sql, const QString& fields,
                        const QString& where, const QString& orderBy, const QString& /*masterCondition*/)
{
    if (!def)
        return false;
    TModuleEnvironment env;
    env.GetPermitSQL = HostGetPermitSQL;
    sql = ComposeObjectSQL(*def, {pattern, fields, where, orderBy, def->GetPermitFilter(false, &env)});
    return !sql.isEmpty();
}

bool HostBuildObjectSelect(const TInfoObjectDef* def, const QString& selectList, QString& sql, QString& join)
{
    if (!def)
        return false;
    sql = ComposeObjectSelect(*def, selectList, join);
    return !sql.isEmpty();
}

void InstallCatalogueCallbacks(TModuleEnvironment& env)
{
    env.GetObjectDef = HostGetObjectDef;
    env.BuildObjectSQL = HostBuildObjectSQL;
    env.BuildObjectSelect = HostBuildObjectSelect;
    env.GetPermitSQL = HostGetPermitSQL;
}

} // namespace kx::suite
