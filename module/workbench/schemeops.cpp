#include "workbench/schemeops.h"

#include "db/errors.h"
#include "db/messages.h"
#include "db/quote.h"
#include "db/shared.h"
#include "db/strutils.h"
#include "engine/progress.h"
#include "engine/schemeaccess.h"
#include "engine/schemelock.h"

#include <QStringList>

namespace kx {

namespace {

// Publishing words of states 7 to 10.
const char* const kPublishWords[] = {"已取消发布", "已发布", "已投放", "已关闭投放"};

// The entries of a scheme list whose rows are identity, name, state, a time, owner and
// owner's name; caption names each.
QList<TSchemeListItem> ReadSchemeItems(TConnection& connection, const QString& sql,
                                       const std::function<QString(const TSchemeListItem& item, const QDateTime& time)>& caption)
{
    TQuery q(&connection);
    q.SQL = sql;
    q.Open();
    QList<TSchemeListItem> items;
    for (int r = 0; r < q.RecordCount(); ++r) {
        TSchemeListItem item;
        item.IID = q.IntAt(r, 0);
        item.Name = q.TextAt(r, 1);
        item.State = q.IntAt(r, 2);
        item.OwnerID = q.TextAt(r, 4);
        item.OwnerName = q.TextAt(r, 5);
        item.Caption = caption(item, q.IsNullAt(r, 3) ? QDateTime() : q.ValueAt(r, 3).toDateTime());
        items << item;
    }
    return items;
}

} // namespace

QString SchemeListSQL(const QString& schemeTable, bool maintainMode, const QString& userID, const QString& groups)
{
    return QStringLiteral("select SchIID, SchName, SchState, SchRelTime, SchUsrID, UsrName from %1 left join KX_SYS_Users "
                          "on SchUsrID=UsrID where SchType=%2 and %3 order by (case when SchState>=%4 then 1 else 0 end), "
                          "SchMaxTime desc")
        .arg(schemeTable, SQLInt(0), SchemeListCondition(maintainMode, userID, groups), SQLInt(psPublished));
}

QString SchemeListCaption(const QString& name, int state, const QString& ownerID, const QString& ownerName,
                          const QString& userID)
{
    QString caption = name;
    if (state >= psUnpublished && state <= psReleaseClosed)
        caption += QStringLiteral(" (") + QString::fromUtf8(kPublishWords[state - psUnpublished]) + QLatin1Char(')');
    if (ownerID != userID)
        caption += QLatin1Char('[') + ownerName + QLatin1Char(']');
    return caption;
}

QList<TSchemeListItem> ReadSchemeList(TConnection& connection, const QString& schemeTable, bool maintainMode)
{
    const QString userID = EnvUserID();
    return ReadSchemeItems(connection, SchemeListSQL(schemeTable, maintainMode, userID, EnvText(Env() ? Env()->UserGroups : nullptr)),
                           [&userID](const TSchemeListItem& item, const QDateTime&) {
                               return SchemeListCaption(item.Name, item.State, item.OwnerID, item.OwnerName, userID);
                           });
}

QString SourceSchemeListSQL(const QString& userID, const QString& groups, int currentIID)
{
    // The published schemes the user may read, and his own once they have main demand.
    return QStringLiteral("select SchIID, SchName, SchState, (case when SchMpsUpdTime>SchMpsRunTime then SchMpsUpdTime else "
                          "coalesce(SchMpsRunTime, SchMpsUpdTime) end) as MpsTime, SchUsrID, UsrName from KX_MRP_Schemes left join "
                          "KX_SYS_Users on SchUsrID=UsrID where SchType=%1 and SchIID<>%2 and (SchUsrID=%3 and SchState>=%4 or %5) "
                          "order by MpsTime desc nulls last")
        .arg(SQLInt(0), SQLInt(currentIID), QuotedStr(userID), SQLInt(psMPSReady), SchemeListCondition(false, userID, groups));
}

QList<TSchemeListItem> ReadSourceSchemes(TConnection& connection, int currentIID)
{
    const QString userID = EnvUserID();
    return ReadSchemeItems(connection, SourceSchemeListSQL(userID, EnvText(Env() ? Env()->UserGroups : nullptr), currentIID),
                           [&userID](const TSchemeListItem& item, const QDateTime& mpsTime) {
                               const QString time = mpsTime.isValid() ? DateTimeToText(mpsTime) : QString();
                               return item.OwnerID == userID ? QStringLiteral("%1 (%2)").arg(item.Name, time)
                                                             : QStringLiteral("%1 (%2 %3)").arg(item.Name, time, item.OwnerName);
                           });
}

void AssignScheme(TPlanScheme& to, const TPlanScheme& from)
{
    to.SchemeIID = from.SchemeIID;
    to.SchemeName = from.SchemeName;
    to.PlanType = from.PlanType;
    to.PlanCalIID = from.PlanCalIID;
    to.PlanPeriods = from.PlanPeriods;
    to.PlanSource = from.PlanSource;
    to.PlanNeedScope = from.PlanNeedScope;
    to.CareItemSafety = from.CareItemSafety;
    to.CareItemReplace = from.CareItemReplace;
    to.CareItemSuites = from.CareItemSuites;
    to.CareMRPTrackMode = from.CareMRPTrackMode;
    to.CareItemMRPTrack = from.CareItemMRPTrack;
    to.CareItemLossRate = from.CareItemLossRate;
    to.CareItemLotRule = from.CareItemLotRule;
    to.DemandByOrigDate = from.DemandByOrigDate;
    to.DataFilters = from.DataFilters;
    to.PlanState = from.PlanState;
    to.Editing = from.Editing;
    to.Creater = from.Creater;
    to.CreateTime = from.CreateTime;
    to.UpdateTime = from.UpdateTime;
    to.MpsCalIID = from.MpsCalIID;
    to.MpsPeriods = from.MpsPeriods;
    to.MpsRunTime = from.MpsRunTime;
    to.MpsUpdTime = from.MpsUpdTime;
    to.MrpCalIID = from.MrpCalIID;
    to.MrpPeriods = from.MrpPeriods;
    to.MrpRunTime = from.MrpRunTime;
    to.MrpUpdTime = from.MrpUpdTime;
    to.ReleaseTime = from.ReleaseTime;
}

TSchemeFault CheckSchemeForSave(TConnection& connection, const TPlanScheme& scheme, QString& message)
{
    const QString caption = QStringLiteral("方案名称");
    const QString name = scheme.SchemeName.trimmed();
    if (name.isEmpty()) {
        message = FieldCheckText(fcEmpty, caption);
        return sfEmptyName;
    }
    // Names are told apart without regard to case, among the schemes of one owner and kind.
    TQuery q(&connection);
    q.SQL = QStringLiteral("select SchIID from KX_MRP_Schemes where lower(SchName)=lower(%1) and SchUsrID=%2 and SchType=%3 "
                           "and SchIID<>%4")
                .arg(QuotedStr(name), QuotedStr(scheme.SchemeIID == 0 ? EnvUserID() : SchemeOwnerID(connection, scheme.SchemeIID)),
                     SQLInt(scheme.PlanType), SQLInt(scheme.SchemeIID));
    q.Open();
    if (!q.IsEmpty()) {
        message = QStringLiteral("[%1]的值(%2)已经存在!").arg(caption, name);
        return sfDuplicateName;
    }
    if (scheme.PlanPeriods.size() <= 2) {
        message = QStringLiteral("展望期间不能为空, 请设置!");
        return sfNoPeriods;
    }
    message.clear();
    return sfNone;
}

QString SchemeOwnerID(TConnection& connection, int schemeIID)
{
    TQuery q(&connection);
    q.SQL = QStringLiteral("select SchUsrID from KX_MRP_Schemes where SchIID=%1").arg(SQLInt(schemeIID));
    q.Open();
    return q.IsEmpty() ? EnvUserID() : q.TextAt(0, 0);
}

bool CopyResultsAsked(const QDateTime& sourceMrpRunTime, int sourceSource, int copySource)
{
    return sourceMrpRunTime.isValid() && sourceMrpRunTime.date().year() > 1900
        && (copySource == sourceSource || copySource == srcImport);
}

int CopiedState(int derivedState, bool withResults)
{
    if (withResults)
        return qMin(derivedState, int(psMRPDone));
    return qMin(derivedState, int(psMPSReady));
}

QString MainBillTypesOf(int source)
{
    switch (source) {
    case srcForcastAndOrders: return QStringLiteral("%1, %2, %3, %4").arg(btSO).arg(btSI).arg(btForcast).arg(btFreeNeed);
    case srcOrders: return QStringLiteral("%1, %2, %3").arg(btSO).arg(btSI).arg(btFreeNeed);
    case srcForcast: return QStringLiteral("%1, %2").arg(btForcast).arg(btFreeNeed);
    default: return QString();
    }
}

bool SaveSchemeWithData(TPlanScheme& scheme, const TSchemeCopy* copy, const QString& sourceName, IEngineProgress& progress)
{
    TConnection& connection = *scheme.Query().Connection;
    const int oldIID = scheme.SchemeIID;
    const QDateTime oldCreate = scheme.CreateTime, oldUpdate = scheme.UpdateTime;
    const QString oldCreater = scheme.Creater;
    auto restore = [&] {
        scheme.SchemeIID = oldIID;
        scheme.CreateTime = oldCreate;
        scheme.UpdateTime = oldUpdate;
        scheme.Creater = oldCreater;
    };
    try {
        TTransaction transaction(connection);
        progress.ShowText(QStringLiteral("正在保存数据, 请稍候..."));
        if (!scheme.Save()) {
            restore();
            return false;
        }
        if (copy) {
            progress.ShowText((copy->WithResults ? QStringLiteral("正在从计划方案[%1]复制全部数据至[%2], 请稍候...")
                                                 : QStringLiteral("正在从计划方案[%1]复制主需求数据至[%2], 请稍候..."))
                                  .arg(sourceName, scheme.SchemeName));
            progress.CheckAbort();
            CopySchemeData(connection, scheme.SchemeIID, copy->SourceIID, !copy->WithResults,
                           copy->WithResults ? QString() : MainBillTypesOf(copy->Source));
            QString columns = QStringLiteral("SchMpsRunTime=r.SchMpsRunTime, SchMpsUpdTime=r.SchMpsUpdTime, "
                                             "SchMpsCalIID=r.SchMpsCalIID, SchMpsPeriods=r.SchMpsPeriods");
            if (copy->WithResults)
                columns += QStringLiteral(", SchMrpCalIID=r.SchMrpCalIID, SchMrpPeriods=r.SchMrpPeriods, "
                                          "SchMrpRunTime=r.SchMrpRunTime, SchMrpUpdTime=r.SchMrpUpdTime");
            connection.Execute(QStringLiteral("update KX_MRP_Schemes as s set %1 from KX_MRP_Schemes as r where r.SchIID=%2 "
                                              "and s.SchIID=%3")
                                   .arg(columns, SQLInt(copy->SourceIID), SQLInt(scheme.SchemeIID)));
            progress.CheckAbort();
        }
        transaction.Commit();
    } catch (const EAbort&) {
        restore();
        return false;
    } catch (const EKxError& e) {
        restore();
        ShowError(QStringLiteral("保存过程中出现意外错误, 操作被中止!\r\r原因: %1").arg(e.Message()));
        return false;
    }
    if (copy && !scheme.Load(scheme.SchemeIID))
        return false;
    return true;
}

int ReleasedSupplyCount(TConnection& connection, int schemeIID)
{
    TQuery q(&connection);
    q.SQL = QStringLiteral("select count(*) as Cnt from KX_MRP_Supplies where SupSchIID=%1 and SupDestQty>0").arg(SQLInt(schemeIID));
    q.Open();
    return q.IntAt(0, 0);
}

QString DeleteSchemeQuestion(const QString& name, int state, int releasedCount)
{
    if (state == psReleaseClosed && releasedCount > 0)
        return QStringLiteral("计划方案[%1]有%2条MRP供应计划已被投放, 删除后意味着不能进行追溯查询, 确定?").arg(name).arg(releasedCount);
    return QStringLiteral("删除计划方案[%1], 其主需求、MRP结果以及手工调整数据都被永久清除, 确定?").arg(name);
}

void DeleteSchemeData(TConnection& connection, int schemeIID, const QString& schemeName, IEngineProgress& progress)
{
    TSchemeLock lock(connection, schemeIID, schemeName, kDeleteOperation);
    progress.ShowText(QStringLiteral("正在删除数据, 请稍候..."));
    static const struct {
        const char* Table;
        const char* Column;
    } kTables[] = {{"KX_MRP_Demands", "DmdSchIID"},   {"KX_MRP_Supplies", "SupSchIID"}, {"KX_MRP_SupAdjusts", "AdjSchIID"},
                   {"KX_MRP_Allots", "AltSchIID"},    {"KX_MRP_DestAlters", "DstSchIID"}, {"KX_MRP_Balance", "BalSchIID"},
                   {"KX_MRP_RunLog", "LogSchIID"},    {"KX_MRP_Main", "ManSchIID"},      {"KX_MRP_Schemes", "SchIID"}};
    const QString iid = SQLInt(schemeIID);
    QStringList batch;
    for (const auto& t : kTables)
        batch << QStringLiteral("delete from %1 where %2=%3").arg(QLatin1String(t.Table), QLatin1String(t.Column), iid);
    batch << QStringLiteral("delete from KX_SYS_DataPermissions where DpmObjID='KX_MRP.MRP' and DpmDataID=%1")
                 .arg(QuotedStr(QString::number(schemeIID)));
    TTransaction transaction(connection);
    connection.Execute(batch.join(QStringLiteral(";\r")));
    transaction.Commit();
}

bool RunFetchJob(TConnection& connection, int schemeIID, const TFetchOptions& options, IEngineProgress& progress)
{
    TPlanScheme scheme(&connection);
    if (!scheme.Load(schemeIID))
        return false;
    return scheme.RunMPS(options.KeepFreeDemand, options.KeepAdjustments, progress);
}

bool RunCopyMPSJob(TConnection& connection, int schemeIID, int sourceIID, TMPSOverwriteType writeType, bool takePeriods,
                   IEngineProgress& progress)
{
    TPlanScheme scheme(&connection);
    if (!scheme.Load(schemeIID))
        return false;
    return CopyMPS(scheme, sourceIID, writeType, takePeriods, progress);
}

bool RunMRPJob(TConnection& connection, int schemeIID, const TRunOptions& options, const TMRPLogEvent& log,
               IEngineProgress& progress)
{
    TPlanScheme scheme(&connection);
    if (!scheme.Load(schemeIID))
        return false;
    return scheme.RunMRP(options.KeepSupplyType, options.KeepSupplyBom, log, progress, options.KeepSupplyQty);
}

} // namespace kx
