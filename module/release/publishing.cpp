#include "release/publishing.h"

#include "db/dataset.h"
#include "db/errors.h"
#include "db/messages.h"
#include "db/quote.h"
#include "db/strutils.h"
#include "engine/planscheme.h"
#include "engine/schemelock.h"

namespace kx {

namespace {

const QString kStateWords[] = {QStringLiteral("已取消发布"), QStringLiteral("已发布"), QStringLiteral("已投放"),
                               QStringLiteral("已关闭投放")};

TUserRec ReadUser(const TQuery& q)
{
    TUserRec u;
    u.IsGroup = q.FieldByName(QStringLiteral("IsGroup")).AsInteger() != 0;
    u.UserID = q.FieldByName(QStringLiteral("UsrID")).AsString();
    u.UserNo = q.FieldByName(QStringLiteral("UsrNo")).AsString();
    u.UserName = q.FieldByName(QStringLiteral("UsrName")).AsString();
    u.IsDisabled = q.FieldByName(QStringLiteral("UsrDisabled")).AsInteger() != 0;
    return u;
}

QString InList(const QStringList& ids)
{
    QStringList quoted;
    for (const QString& id : ids)
        quoted << QuotedStr(id);
    return quoted.join(QStringLiteral(", "));
}

} // namespace

QString TReleaseScheme::Text() const
{
    if (State < psUnpublished || State > psReleaseClosed)
        return Name;
    return QStringLiteral("%1 (%2 %3)").arg(Name, kStateWords[State - psUnpublished], DateTimeToText(RelTime));
}

QString TUserRec::DisplayName() const
{
    return UserNo == UserName ? UserName : QStringLiteral("%1(%2)").arg(UserName, UserNo);
}

QList<TReleaseScheme> LoadOwnSchemes(TConnection& connection, const QString& userID)
{
    TQuery q(&connection);
    q.SQL = QStringLiteral("select SchIID, SchName, SchState, SchMrpCalIID, SchRelTime from KX_MRP_Schemes where SchType=%1 "
                           "and (SchState=%2 or SchState>=%3) and SchUsrID=%4 order by (case when SchState=%2 then "
                           "(case when SchMpsUpdTime>SchMpsRunTime then SchMpsUpdTime else SchMpsRunTime end) else "
                           "(case when SchMrpUpdTime>SchMrpRunTime then SchMrpUpdTime else SchMrpRunTime end) end) desc nulls last, SchIID desc")
                .arg(0).arg(psMPSReady).arg(psMRPDone).arg(QuotedStr(userID));
    q.Open();
    QList<TReleaseScheme> list;
    for (; !q.Eof(); q.Next())
        list << TReleaseScheme{q.Fields(0).AsInteger(), q.Fields(1).AsString(), q.Fields(2).AsInteger(),
                               q.Fields(3).AsInteger() != 0, q.Fields(4).AsDateTime(), userID, QString()};
    return list;
}

QList<TReleaseScheme> LoadReleasableSchemes(TConnection& connection, const QString& userID, const QString& groups, int schemeType)
{
    TQuery q(&connection);
    q.SQL = QStringLiteral("select SchIID, SchName, SchState, SchMrpCalIID, SchRelTime, SchUsrID, UsrName from KX_MRP_Schemes "
                           "left join KX_SYS_Users on SchUsrID=UsrID where SchType=%1 and SchState in (%4, %5) and SchMrpCalIID<>0 "
                           "and (SchUsrID=%2 or SchIID::text in (select distinct DpmDataID from KX_SYS_DataPermissions where DpmObjID=%6 "
                           "and (DpmUsrID=%2 and DpmIsGroup=0 or DpmUsrID in (%3) and DpmIsGroup=1))) order by SchRelTime desc, SchIID desc")
                .arg(schemeType)
                .arg(QuotedStr(userID), groups.trimmed().isEmpty() ? QStringLiteral("null") : groups)
                .arg(psPublished).arg(psReleased)
                .arg(QuotedStr(kSchemeObjectID));
    q.Open();
    QList<TReleaseScheme> list;
    for (; !q.Eof(); q.Next())
        list << TReleaseScheme{q.Fields(0).AsInteger(), q.Fields(1).AsString(), q.Fields(2).AsInteger(), q.Fields(3).AsInteger() != 0,
                               q.Fields(4).AsDateTime(), q.Fields(5).AsString(), q.Fields(6).AsString()};
    return list;
}

QString ReleasableSchemeText(const TReleaseScheme& scheme, const QString& userID)
{
    QString text = QStringLiteral("%1 (%2").arg(scheme.Name, DateTimeToText(scheme.RelTime));
    if (scheme.OwnerID != userID)
        text += QLatin1Char(' ') + scheme.OwnerName;
    return text + QLatin1Char(')');
}

QList<TUserRec> LoadReceivers(TConnection& connection, int schemeIID)
{
    TQuery q(&connection);
    q.SQL = QStringLiteral("select 0 as IsGroup, UsrID, UsrNo::text as UsrNo, UsrName::text as UsrName, UsrDisabled "
                           "from KX_SYS_DataPermissions join KX_SYS_Users on DpmUsrID=UsrID and DpmIsGroup=0 "
                           "where DpmObjID=%1 and DpmDataID=%2 "
                           "union "
                           "select 1, GrpID, GrpNo::text, GrpName::text, 0 from KX_SYS_DataPermissions join KX_SYS_UserGroups "
                           "on DpmUsrID=GrpID and DpmIsGroup=1 where DpmObjID=%1 and DpmDataID=%2 "
                           "order by IsGroup desc, UsrNo")
                .arg(QuotedStr(kSchemeObjectID), QuotedStr(QString::number(schemeIID)));
    q.Open();
    QList<TUserRec> users;
    for (; !q.Eof(); q.Next())
        users << ReadUser(q);
    return users;
}

bool CanPublish(int state)
{
    return state == psMPSReady || state == psMRPDone || state == psUnpublished;
}

bool CanWithdraw(int state)
{
    return state == psPublished;
}

bool CanAllowRelease(int state)
{
    return state == psReleaseClosed;
}

bool CanCloseRelease(int state, bool mrpRun)
{
    return (state == psPublished && mrpRun) || state == psReleased;
}

bool CanEditReceivers(int state)
{
    return state >= psPublished && state <= psReleaseClosed;
}

bool ChangeReleaseState(TConnection& connection, TReleaseScheme& scheme, int newState, int seenState)
{
    // Not while someone releases from it or runs it.
    const TSchemeLock lock(connection, scheme.IID, scheme.Name, QStringLiteral("变更计划发布状态"));
    // Reopening a closed scheme that has released supplies continues as released.
    const QString state = seenState == psReleaseClosed
                              ? QStringLiteral("(case when exists (select 1 from KX_MRP_Supplies where SupSchIID=%1 and SupDestQty>0) "
                                               "then %2 else %3 end)").arg(scheme.IID).arg(psReleased).arg(newState)
                              : SQLInt(newState);
    TQuery q(&connection);
    q.SQL = QStringLiteral("update KX_MRP_Schemes set SchState=%1, SchRelTime=localtimestamp, SchMaxTime=localtimestamp "
                           "where SchIID=%2 and SchState=%3 returning SchName, SchState, SchRelTime")
                .arg(state).arg(scheme.IID).arg(seenState);
    q.Open();
    if (q.IsEmpty())
        return false;
    scheme.Name = q.Fields(0).AsString();
    scheme.State = q.Fields(1).AsInteger();
    scheme.RelTime = q.Fields(2).AsDateTime();
    return true;
}

void ShowSchemeRefusal(const std::exception& e)
{
    const auto* refusal = dynamic_cast<const EKxError*>(&e);
    if (refusal && !dynamic_cast<const EDatabaseError*>(&e) && !dynamic_cast<const EAbort*>(&e))
        ShowError(refusal->Message());
    else
        ShowException(e);
}

QString StateChangeFailedText()
{
    return QStringLiteral("执行过程中发现错误, 操作被停止!\r\r可能原因: 计划方案最新状态已被改变, 请刷新计划方案列表后再试!");
}

int MissingBomCount(TConnection& connection, int schemeIID)
{
    TQuery q(&connection);
    q.SQL = QStringLiteral("select count(*) from KX_MRP_Supplies where SupSchIID=%1 and SupBillType in (%2, %3, %4, %5, %6, %7, %8) "
                           "and (SupBomID is null or SupBomID='')")
                .arg(schemeIID).arg(btPlanMO).arg(btPlanMOSkip).arg(btPlanOO).arg(btPlanOOSkip).arg(btPlanOther)
                .arg(btPlanMOVirtual).arg(btPlanOOVirtual);
    q.Open();
    return q.Fields(0).AsInteger();
}

QString CheckCopyName(TConnection& connection, const QString& name, const QString& origName, const QString& userID)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return QStringLiteral("名称不能为空, 请输入!");
    if (trimmed.compare(origName.trimmed(), Qt::CaseInsensitive) == 0)
        return QStringLiteral("您选择复制方案方式发布, 原计划方案\"%1\"将被保留, 请输入新名称进行发布!").arg(origName);
    TQuery q(&connection);
    q.SQL = QStringLiteral("select SchIID from KX_MRP_Schemes where lower(SchName)=lower(%1) and SchType=0 and SchUsrID=%2")
                .arg(QuotedStr(trimmed), QuotedStr(userID));
    q.Open();
    if (!q.IsEmpty())
        return QStringLiteral("计划方案\"%1\"已存在, 请输入新名称进行发布!").arg(trimmed);
    return QString();
}

int CopySchemeForPublish(TConnection& connection, int sourceIID, const QString& newName, bool onlyMPS)
{
    TTransaction transaction(connection);
    TQuery q(&connection);
    q.SQL = QStringLiteral("insert into KX_MRP_Schemes (SchType, SchName, SchCalIID, SchPeriods, SchMpsSource, SchNeedScope, "
                           "SchCareSafety, SchCareReplace, SchCareSuites, SchTrackMode, SchItemTrack, SchCareLoss, SchCareLot, "
                           "SchFilters, SchUsrID, SchNewTime, SchUpdTime, SchRelTime, SchState, SchMpsCalIID, SchMpsPeriods, "
                           "SchMpsRunTime, SchMpsUpdTime, SchMrpCalIID, SchMrpPeriods, SchMrpRunTime, SchMrpUpdTime, SchMaxTime) "
                           "select SchType, %1, SchCalIID, SchPeriods, SchMpsSource, SchNeedScope, SchCareSafety, SchCareReplace, "
                           "SchCareSuites, SchTrackMode, SchItemTrack, SchCareLoss, SchCareLot, SchFilters, SchUsrID, SchNewTime, "
                           "SchUpdTime, SchRelTime, SchState, SchMpsCalIID, SchMpsPeriods, SchMpsRunTime, SchMpsUpdTime, %2, SchMaxTime "
                           "from KX_MRP_Schemes where SchIID=%3 returning SchIID")
                .arg(QuotedStr(newName.trimmed()),
                     // A copy of the main demand alone carries no run.
                     onlyMPS ? QStringLiteral("0, '', null, null")
                             : QStringLiteral("SchMrpCalIID, SchMrpPeriods, SchMrpRunTime, SchMrpUpdTime"))
                .arg(sourceIID);
    q.Open();
    if (q.IsEmpty())
        throw EKxError(QStringLiteral("计划方案%1不存在!").arg(sourceIID));
    const int newIID = q.Fields(0).AsInteger();
    CopySchemeData(connection, newIID, sourceIID, onlyMPS);
    transaction.Commit();
    return newIID;
}

QList<TUserRec> AddReceivers(TConnection& connection, int schemeIID, const QStringList& ids)
{
    if (ids.isEmpty())
        return {};
    TQuery q(&connection);
    q.SQL = QStringLiteral("with chosen as (select 0 as IsGroup, UsrID, UsrNo::text as UsrNo, UsrName::text as UsrName, UsrDisabled "
                           "from KX_SYS_Users where UsrID in (%1) union all select 1, GrpID, GrpNo::text, GrpName::text, 0 "
                           "from KX_SYS_UserGroups where GrpID in (%1)), "
                           "added as (insert into KX_SYS_DataPermissions (DpmUsrID, DpmIsGroup, DpmObjID, DpmDataID, DpmActID) "
                           "select UsrID, IsGroup, %2, %3, '' from chosen on conflict do nothing returning DpmUsrID, DpmIsGroup) "
                           "select c.* from chosen as c join added as a on a.DpmUsrID=c.UsrID and a.DpmIsGroup=c.IsGroup "
                           "order by c.IsGroup desc, c.UsrNo")
                .arg(InList(ids), QuotedStr(kSchemeObjectID), QuotedStr(QString::number(schemeIID)));
    q.Open();
    QList<TUserRec> added;
    for (; !q.Eof(); q.Next())
        added << ReadUser(q);
    return added;
}

void RemoveReceiver(TConnection& connection, int schemeIID, const TUserRec& user)
{
    connection.Execute(QStringLiteral("delete from KX_SYS_DataPermissions where DpmUsrID=%1 and DpmIsGroup=%2 and DpmObjID=%3 "
                                      "and DpmDataID=%4")
                           .arg(QuotedStr(user.UserID)).arg(user.IsGroup ? 1 : 0)
                           .arg(QuotedStr(kSchemeObjectID), QuotedStr(QString::number(schemeIID))));
}

} // namespace kx
