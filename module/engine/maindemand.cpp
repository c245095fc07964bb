#include "engine/maindemand.h"

#include "db/messages.h"
#include "db/quote.h"
#include "db/shared.h"
#include "db/sqlrun.h"
#include "db/strutils.h"
#include "engine/hints.h"
#include "engine/objectquery.h"
#include "engine/progress.h"
#include "engine/schemerows.h"

#include <QStringList>

#include <optional>

namespace kx {

namespace {

// Columns of a main-demand line after ManIID, in table order.
const QString kMainColumns = QStringLiteral(
    "ManPeriod, ManBillType, ManBillID, ManBillNo, ManBillEntry, ManBillDate, ManBillQty, ManSuppID, ManDeptID, "
    "ManOrigType, ManOrigID, ManOrigNo, ManOrigEntry, ManOrigItmID, ManOrigCustID, ManOrigCustPO, ManOrigTag, "
    "ManOrigSubTag, ManGroupType, ManGroupNo, ManDate, ManPriority, ManItmID, ManItmProps, ManItmProp1, ManItmProp2, "
    "ManItmProp3, ManItmProp4, ManItmProp5, ManItmProp6, ManItmProp7, ManItmProp8, ManItmProp9, ManItmProp10, "
    "ManBomType, ManBomID, ManExeQty, ManDedQty, ManNeedQty, ManAdjQty, ManQty, ManNote, ManHints");

// The columns a business-bill select fills: all but ManAdjQty and ManHints.
const QString kBillColumns = QStringLiteral(
    "ManPeriod, ManBillType, ManBillID, ManBillNo, ManBillEntry, ManBillDate, ManBillQty, ManSuppID, ManDeptID, "
    "ManOrigType, ManOrigID, ManOrigNo, ManOrigEntry, ManOrigItmID, ManOrigCustID, ManOrigCustPO, ManOrigTag, "
    "ManOrigSubTag, ManGroupType, ManGroupNo, ManDate, ManPriority, ManItmID, ManItmProps, ManItmProp1, ManItmProp2, "
    "ManItmProp3, ManItmProp4, ManItmProp5, ManItmProp6, ManItmProp7, ManItmProp8, ManItmProp9, ManItmProp10, "
    "ManBomType, ManBomID, ManExeQty, ManDedQty, ManNeedQty, ManQty, ManNote");

// Drops the work table however the operation ends.
struct TTempTableGuard {
    TConnection& Connection;
    ~TTempTableGuard()
    {
        try {
            Connection.Execute(QStringLiteral("drop table if exists tmp_KX_MRP_Main"));
        } catch (const EDatabaseError&) {
            // the connection is gone: so is the table
        }
    }
};

struct TBillSource {
    const char* Prefix;
    int BillType;
    const char* ObjectID;
};

// The select list of one business bill's lines as main demand.
QString BillFields(const TBillSource& src, const TPlanPeriods& periods)
{
    const QString p = QLatin1String(src.Prefix);
    const bool forcast = src.BillType == btForcast;
    auto c = [&](const char* column) { return QStringLiteral("s.") + p + QLatin1String(column); };
    const QString ded = QStringLiteral("coalesce(x.%1DedAQty,0)+coalesce(x.%1DedMQty,0)").arg(p);
    const QString qty = forcast ? QStringLiteral("s.ForQty-coalesce(x.ForDedAQty,0)-coalesce(x.ForDedMQty,0)") : c("Qty");
    QStringList f;
    f << PeriodCaseExpr(periods, c("DelivDate")) << QString::number(src.BillType) << c("ID") << c("No") << c("Entry") << c("Date")
      << c("BillQty") << QStringLiteral("null") << c("DeptID") << QString::number(src.BillType) << c("ID") << c("No") << c("Entry")
      << c("ItmID") << c("CustID") << (forcast ? QStringLiteral("null") : c("CustPO")) << QStringLiteral("$$OrigTag$$")
      << QStringLiteral("$$OrigSubTag$$") << QStringLiteral("coalesce($$MRPGroupType$$, 0)")
      << QStringLiteral("coalesce($$MRPGroupNo$$, '')") << c("DelivDate") << (forcast ? QStringLiteral("1") : QStringLiteral("2"))
      << c("ItmID") << QStringLiteral("coalesce($$ItmProps$$, '')");
    for (int n = 1; n <= 10; ++n)
        f << QStringLiteral("$$ItmProp%1$$").arg(n);
    f << QStringLiteral("coalesce(%1, 0)").arg(c("BomType")) << c("BomID") << c("OkQty") << ded << qty << qty
      << QStringLiteral("left(coalesce(%1,'')||'  '||coalesce(%2,''), 500)").arg(c("Note"), c("Remark"));
    return f.join(QStringLiteral(", "));
}

QString BillCondition(const TBillSource& src, const QDate& horizonEnd)
{
    const QString p = QLatin1String(src.Prefix);
    QString cond = QStringLiteral("s.CanMRP<>0 and s.%1Date<%2 and ").arg(p, SQLDate(horizonEnd.addDays(1)));
    cond += src.BillType == btForcast ? QStringLiteral("s.ForQty>coalesce(x.ForDedAQty,0)+coalesce(x.ForDedMQty,0)")
                                      : QStringLiteral("s.%1Qty>0").arg(p);
    return cond + QStringLiteral(" and (mt.ItmMrpSkip=0 or mt.ItmMrpSkip is null)");
}

// Merging main demand: a line s of the incoming set replaces the existing line m of the same
// bill line. Free demand lines name no bill line, so merging adds them and never replaces one.
QString SameBillLine()
{
    return QStringLiteral("s.ManBillType=m.ManBillType and s.ManBillID=m.ManBillID and s.ManBillEntry=m.ManBillEntry and m.ManBillType<>%1")
        .arg(btFreeNeed);
}

// Merging picked or imported lines: bill lines as above; an incoming free demand line replaces
// the free line of the same demand number and line, or, when it has no number, the one of the
// same item, property set and date, so that importing a file again does not add its lines twice.
QString SameSavedLine()
{
    return QStringLiteral("(%1 or s.ManBillType=%2 and m.ManBillType=%2 and (case when coalesce(s.ManBillNo, '')<>'' then "
                          "s.ManBillNo=m.ManBillNo and s.ManBillEntry=m.ManBillEntry else coalesce(m.ManBillNo, '')='' and "
                          "s.ManItmID=m.ManItmID and s.ManItmProps=m.ManItmProps and s.ManDate=m.ManDate end))")
        .arg(SameBillLine(), SQLInt(btFreeNeed));
}

// Runs an operation on main demand: failures are shown and answered with false, an Esc
// ends it silently.
template <class F>
bool RunGuarded(F&& body, const QString& failureText = QString())
{
    try {
        return body();
    } catch (const EAbort&) {
        return false;
    } catch (const ESchemeChanged& e) {
        ShowError(e.Message());
        return false;
    } catch (const EKxError& e) {
        if (failureText.isEmpty())
            ShowException(e);
        else
            ShowError(failureText.arg(e.Message()));
        return false;
    }
}

// Holds the scheme for the operation, or shows why it cannot be held.
bool Hold(std::optional<TMainDemandHold>& hold, TPlanScheme& scheme, const QString& operation)
{
    try {
        hold.emplace(scheme, operation);
        return true;
    } catch (const EKxError& e) {
        ShowError(e.Message());
        return false;
    }
}

} // namespace

TMainDemandHold::TMainDemandHold(TPlanScheme& scheme, const QString& operation)
    : FLock(*scheme.Query().Connection, scheme.SchemeIID, scheme.SchemeName, operation),
      FStamp(ReadSchemeStamp(*scheme.Query().Connection, scheme))
{
    if (FStamp.State >= psPublished)
        throw EKxError(QStringLiteral("计划方案[%1]当前状态为\"%2\", 不能%3!")
                           .arg(scheme.SchemeName, TPlanScheme::PlanStateText(FStamp.State), operation));
}

void ReplaceMainDemand(TConnection& connection, const TPlanScheme& scheme, const TMainDemandHold& hold, const QString& batch)
{
    TTransaction transaction(connection);
    RecheckSchemeStamp(connection, scheme, hold.Stamp());
    connection.Execute(batch);
    transaction.Commit();
}

void CreateMainTempTable(TConnection& connection)
{
    QString props;
    for (int n = 1; n <= 10; ++n)
        props += QStringLiteral("ManItmProp%1 varchar(80), ").arg(n);
    connection.Execute(QStringLiteral(
        "drop table if exists tmp_KX_MRP_Main;\r"
        "create temp table tmp_KX_MRP_Main (ManIID integer generated by default as identity primary key, "
        "ManPeriod smallint not null, ManBillType smallint not null, ManBillID varchar(50), ManBillNo varchar(80), "
        "ManBillEntry integer, ManBillDate timestamp(3), ManBillQty numeric(28,8), ManSuppID varchar(50), ManDeptID varchar(50), "
        "ManOrigType smallint, ManOrigID varchar(50), ManOrigNo varchar(80), ManOrigEntry integer, ManOrigItmID varchar(50), "
        "ManOrigCustID varchar(50), ManOrigCustPO varchar(80), ManOrigTag varchar(80), ManOrigSubTag varchar(80), "
        "ManGroupType smallint not null default 0, ManGroupNo varchar(100) not null default '', ManDate timestamp(3) not null, "
        "ManPriority integer default 0, ManItmID varchar(50) not null, ManItmProps varchar(100) not null default '', %1"
        "ManBomType smallint not null default 0, ManBomID varchar(50), ManExeQty numeric(28,8), ManDedQty numeric(28,8), "
        "ManNeedQty numeric(28,8), ManAdjQty numeric(28,8) default 0, ManQty numeric(28,8) not null, ManNote varchar(500), "
        "ManHints varchar(1000))")
                           .arg(props));
}

void IndexMainTempTable(TConnection& connection)
{
    connection.Execute(QStringLiteral("create index tmp_KX_MRP_ManBillType on tmp_KX_MRP_Main (ManBillType, ManBillID, ManBillEntry);\r"
                                      "analyze tmp_KX_MRP_Main"));
}

void RemapMainHints(TConnection& connection, const QString& rowsSQL, const TPlanPeriods& from, const TPlanPeriods& to,
                    const QString& table)
{
    TQuery q(&connection);
    q.SQL = rowsSQL;
    q.Open();
    TSQLBatch batch(connection);
    for (int row = 0; row < q.RecordCount(); ++row) {
        const double total = q.ValueAt(row, 1).toDouble();
        if (total <= 0)
            continue;
        const THints hints = RemapHints(ParseHints(q.TextAt(row, 2)), total, from, to);
        batch.Add(QStringLiteral("update %1 set ManHints=%2 where ManIID=%3")
                      .arg(table, QuotedStr(FormatHints(hints)), SQLInt(q.ValueAt(row, 0).toLongLong())));
    }
    batch.Flush();
}

namespace {

const TSchemeTable kMainTable{"KX_MRP_Main", "ManSchIID"};

// The statements that put the lines selected by "select" (the scheme, the line number, then
// the columns of kMainColumns) in place of the scheme's main demand.
QString MainReplacement(const TPlanScheme& scheme, const QString& select)
{
    return QStringList{SetAsideSchemeRows(kMainTable, scheme.SchemeIID),
                       QStringLiteral("insert into %1 (ManSchIID, ManIID, %2) %3").arg(SchemeRowsTable(kMainTable, scheme.SchemeIID), kMainColumns, select),
                       SwapInSchemeRows(kMainTable, scheme.SchemeIID), AnalyseSchemeRows(&kMainTable, 1, scheme.SchemeIID)}
        .join(QStringLiteral(";\r"));
}

} // namespace

QString MainReplaceBatch(const TPlanScheme& scheme, const QString& schemeColumns)
{
    const QString iid = SQLInt(scheme.SchemeIID);
    return MainReplacement(scheme, QStringLiteral("select %1, row_number() over (order by ManIID), %2 from tmp_KX_MRP_Main").arg(iid, kMainColumns)) +
           QStringLiteral(";\rupdate KX_MRP_Schemes set SchState=(case when SchMrpRunTime is null then %2 else %3 end), %4, "
                          "SchMaxTime=localtimestamp where SchIID=%1")
               .arg(iid, SQLInt(psMPSReady), SQLInt(psMPSChanged), schemeColumns);
}

bool TPlanScheme::RunMPS(bool keepFreeDemand, bool keepAdjustments, IEngineProgress& progress)
{
    TConnection& connection = *FPublicQuery.Connection;
    std::optional<TMainDemandHold> hold;
    if (!Hold(hold, *this, QStringLiteral("获取主需求")))
        return false;
    return RunGuarded([&] {
        if (PlanPeriods.size() <= 2) {
            ShowWarning(QStringLiteral("展望期间不能为空, 请设置!"));
            return false;
        }
        progress.ShowText(QStringLiteral("正在获取主需求数据, 请稍候..."));
        QDateTime runTime;
        if (!GetServerTime(FPublicQuery, runTime))
            return false;
        CreateMainTempTable(connection);
        TTempTableGuard guard{connection};
        const QString iid = SQLInt(SchemeIID);
        // Kept free lines take their period in the periods fetched into (their spread follows
        // below).
        if (keepFreeDemand)
            connection.Execute(QStringLiteral("insert into tmp_KX_MRP_Main (%1) select %2, null from KX_MRP_Main "
                                              "where ManSchIID=%3 and ManBillType=%4;\r"
                                              "update tmp_KX_MRP_Main set ManPeriod=%5")
                                   .arg(kMainColumns, QString(kMainColumns).remove(QStringLiteral(", ManHints")), iid,
                                        SQLInt(btFreeNeed), PeriodCaseExpr(PlanPeriods, QStringLiteral("ManDate"))));
        static const TBillSource kSources[] = {{"SO", btSO, "KX_MRP.SO"}, {"SI", btSI, "KX_MRP.SI"},
                                               {"For", btForcast, "KX_MRP.Forcast"}};
        for (const TBillSource& src : kSources) {
            const bool orders = src.BillType != btForcast;
            if ((orders && PlanSource == srcForcast) || (!orders && PlanSource == srcOrders))
                continue;
            progress.CheckAbort();
            const TInfoObjectDef* def = RequireObjectDef(QLatin1String(src.ObjectID));
            const QString sql = ComposeObjectStatement(
                def, QStringLiteral("insert into tmp_KX_MRP_Main (%1) select $$Fields$$ $$MainJoin$$").arg(kBillColumns),
                BillFields(src, PlanPeriods),
                CombineFilter(BillCondition(src, HorizonEnd(PlanPeriods)), DataFilter(QLatin1String(src.ObjectID))));
            if (sql.isEmpty())
                return false;
            connection.Execute(sql);
        }
        const bool kept = (keepFreeDemand || keepAdjustments) && PlanState != psNeedMPS;
        if (kept) {
            progress.CheckAbort();
            IndexMainTempTable(connection);
            if (keepAdjustments)
                connection.Execute(QStringLiteral(
                    "update tmp_KX_MRP_Main as m set ManAdjQty=r.ManAdjQty, ManQty=m.ManQty+r.ManAdjQty from KX_MRP_Main as r "
                    "where r.ManSchIID=%1 and m.ManBillType=r.ManBillType and m.ManBillID=r.ManBillID and "
                    "m.ManBillEntry=r.ManBillEntry and r.ManAdjQty<>0 and m.ManBillType<>%2").arg(iid, SQLInt(btFreeNeed)));
            // The planner's period distribution follows the same bill lines into the new periods.
            RemapMainHints(connection,
                           QStringLiteral("select m.ManIID, m.ManQty, r.ManHints from tmp_KX_MRP_Main as m join KX_MRP_Main as r "
                                          "on r.ManSchIID=%1 and m.ManBillType=r.ManBillType and m.ManBillID=r.ManBillID and "
                                          "m.ManBillEntry=r.ManBillEntry where r.ManHints<>''%2")
                               .arg(iid, keepAdjustments ? QString() : QStringLiteral(" and m.ManBillType=%1").arg(btFreeNeed)),
                           MpsPeriods, PlanPeriods, QStringLiteral("tmp_KX_MRP_Main"));
        }
        progress.CheckAbort();
        ReplaceMainDemand(connection, *this, *hold,
                          MainReplaceBatch(*this, QStringLiteral("SchMpsCalIID=%1, SchMpsPeriods=%2, SchMpsRunTime=%3, SchMpsUpdTime=%4")
                                                      .arg(SQLInt(PlanCalIID), QuotedStr(PlanPeriodsToText(PlanPeriods)),
                                                           SQLDateTime(runTime),
                                                           kept ? QStringLiteral("SchMpsUpdTime") : QStringLiteral("null"))));
        return Load(SchemeIID);
    });
}

bool CopyMPS(TPlanScheme& scheme, int sourceIID, TMPSOverwriteType writeType, bool takePeriods, IEngineProgress& progress)
{
    TConnection& connection = *scheme.Query().Connection;
    std::optional<TMainDemandHold> hold;
    if (!Hold(hold, scheme, QStringLiteral("复制主需求")))
        return false;
    return RunGuarded(
        [&] {
            progress.ShowText(QStringLiteral("正在获取主需求数据, 请稍候..."));
            TQuery q(&connection);
            q.SQL = QStringLiteral("select SchMpsCalIID, SchMpsPeriods, SchMpsRunTime, SchMpsUpdTime from KX_MRP_Schemes where SchIID=%1")
                        .arg(SQLInt(sourceIID));
            q.Open();
            if (q.IsEmpty())
                return false;
            const int sourceCal = q.Fields(0).AsInteger();
            const QString sourcePeriodsText = q.Fields(1).AsString();
            const QString runTime = SQLValue(q.Fields(2).Value());
            const QString updTime = SQLValue(q.Fields(3).Value());
            TPlanPeriods sourcePeriods;
            TextToPlanPeriods(sourcePeriodsText, sourcePeriods);
            const QString iid = SQLInt(scheme.SchemeIID);
            const QString src = SQLInt(sourceIID);
            if (writeType == wtOverwriteAll && takePeriods) {
                ReplaceMainDemand(connection, scheme, *hold,
                    MainReplacement(scheme, QStringLiteral("select %1, ManIID, %2 from KX_MRP_Main where ManSchIID=%3").arg(iid, kMainColumns, src)) +
                    QStringLiteral(";\rupdate KX_MRP_Schemes set SchState=(case when SchMrpRunTime is null then %2 else %3 end), SchCalIID=%4, "
                                   "SchMpsCalIID=%4, SchPeriods=%5, SchMpsPeriods=%5, SchMpsRunTime=%6, SchMpsUpdTime=%7, "
                                   "SchMaxTime=localtimestamp where SchIID=%1")
                        .arg(iid, SQLInt(psMPSReady), SQLInt(psMPSChanged), SQLInt(sourceCal), QuotedStr(sourcePeriodsText), runTime, updTime));
                return scheme.Load(scheme.SchemeIID);
            }
            CreateMainTempTable(connection);
            TTempTableGuard guard{connection};
            const QString noHints = QString(kMainColumns).remove(QStringLiteral(", ManHints"));
            connection.Execute(QStringLiteral("insert into tmp_KX_MRP_Main (ManIID, %1) select ManIID, %2, null from KX_MRP_Main where ManSchIID=%3")
                                   .arg(kMainColumns, noHints, src));
            // Periods are counted in this scheme's list from here on.
            connection.Execute(QStringLiteral("update tmp_KX_MRP_Main set ManPeriod=%1").arg(PeriodCaseExpr(scheme.PlanPeriods, QStringLiteral("ManDate"))));
            RemapMainHints(connection,
                           QStringLiteral("select ManIID, ManQty, ManHints from KX_MRP_Main where ManSchIID=%1 and ManHints<>''").arg(src),
                           sourcePeriods, scheme.PlanPeriods, QStringLiteral("tmp_KX_MRP_Main"));
            progress.CheckAbort();
            if (writeType == wtInsertOrUpdate) {
                IndexMainTempTable(connection);
                connection.Execute(QStringLiteral(
                    "insert into tmp_KX_MRP_Main (ManIID, %1) select (select coalesce(max(ManIID), 0) from tmp_KX_MRP_Main) + "
                    "row_number() over (order by m.ManIID), %2 from KX_MRP_Main as m left join tmp_KX_MRP_Main as s on %4 "
                    "where m.ManSchIID=%3 and s.ManIID is null")
                                       .arg(kMainColumns, QStringLiteral("m.") + QString(kMainColumns).replace(QStringLiteral(", "), QStringLiteral(", m.")), iid,
                                            SameBillLine()));
            }
            ReplaceMainDemand(connection, scheme, *hold,
                              MainReplaceBatch(scheme, QStringLiteral("SchMpsCalIID=%1, SchMpsPeriods=%2, SchMpsRunTime=%3, SchMpsUpdTime=%4")
                                                           .arg(SQLInt(scheme.PlanCalIID), QuotedStr(PlanPeriodsToText(scheme.PlanPeriods)),
                                                                runTime, updTime)));
            return scheme.Load(scheme.SchemeIID);
        },
        QStringLiteral("保存过程中出现意外错误, 操作被中止!\r\r原因: %1"));
}

const TPlanPeriods& MainLinePeriods(const TPlanScheme& scheme)
{
    return scheme.MpsPeriods.size() <= 2 ? scheme.PlanPeriods : scheme.MpsPeriods;
}

bool SaveMainDemandLines(TPlanScheme& scheme, const QList<TMainDemandLine>& lines, TMPSOverwriteType writeType,
                         IEngineProgress& progress, const TMainDemandHold* hold)
{
    TConnection& connection = *scheme.Query().Connection;
    std::optional<TMainDemandHold> ownHold;
    if (!hold) {
        if (!Hold(ownHold, scheme, QStringLiteral("保存主需求")))
            return false;
        hold = &*ownHold;
    }
    return RunGuarded([&] {
        QDateTime now;
        if (!GetServerTime(scheme.Query(), now))
            return false;
        const bool fresh = scheme.MpsPeriods.size() <= 2;
        const TPlanPeriods& periods = MainLinePeriods(scheme);
        CreateMainTempTable(connection);
        TTempTableGuard guard{connection};
        const QString head = QStringLiteral("insert into tmp_KX_MRP_Main (%1) values ").arg(kMainColumns);
        QString batch;
        for (const TMainDemandLine& l : lines) {
            progress.CheckAbort();
            QStringList v;
            v << SQLInt(PeriodOfDate(periods, l.Date)) << SQLInt(l.BillType) << QuotedStr(l.BillID) << QuotedStr(l.BillNo)
              << SQLInt(l.BillEntry) << SQLDateTime(l.BillDate.isValid() ? l.BillDate : l.Date.startOfDay()) << SQLQty(l.BillQty)
              << (l.SuppID.isEmpty() ? QStringLiteral("null") : QuotedStr(l.SuppID))
              << (l.DeptID.isEmpty() ? QStringLiteral("null") : QuotedStr(l.DeptID)) << SQLInt(l.OrigType) << QuotedStr(l.OrigID)
              << QuotedStr(l.OrigNo) << SQLInt(l.OrigEntry) << QuotedStr(l.OrigItmID) << QuotedStr(l.OrigCustID)
              << QuotedStr(l.OrigCustPO) << QuotedStr(l.OrigTag) << QuotedStr(l.OrigSubTag) << SQLInt(l.GroupType)
              << QuotedStr(l.GroupNo) << SQLDate(l.Date) << SQLInt(1) << QuotedStr(l.ItmID) << QuotedStr(l.ItmProps);
            for (const QString& p : l.ItmProp)
                v << QuotedStr(p);
            v << SQLInt(l.BomType) << (l.BomID.isEmpty() ? QStringLiteral("null") : QuotedStr(l.BomID)) << SQLQty(l.ExeQty)
              << SQLQty(l.DedQty) << SQLQty(l.NeedQty) << SQLQty(l.AdjQty) << SQLQty(l.Qty) << QuotedStr(l.Note.left(500))
              << QuotedStr(l.Hints);
            batch += (batch.isEmpty() ? head : QStringLiteral(",\r")) + QLatin1Char('(') + v.join(QStringLiteral(", ")) + QLatin1Char(')');
            if (batch.size() > 65000) {
                connection.Execute(batch);
                batch.clear();
            }
        }
        if (!batch.isEmpty())
            connection.Execute(batch);
        const QString iid = SQLInt(scheme.SchemeIID);
        if (writeType == wtInsertOrUpdate) {
            IndexMainTempTable(connection);
            connection.Execute(QStringLiteral(
                "insert into tmp_KX_MRP_Main (%1) select %2 from KX_MRP_Main as m left join tmp_KX_MRP_Main as s on %4 "
                "where m.ManSchIID=%3 and s.ManIID is null order by m.ManIID")
                                   .arg(kMainColumns, QStringLiteral("m.") + QString(kMainColumns).replace(QStringLiteral(", "), QStringLiteral(", m.")), iid,
                                        SameSavedLine()));
        }
        QString columns = QStringLiteral("SchMpsRunTime=%1, SchMpsUpdTime=%1").arg(SQLDateTime(now));
        if (fresh)
            columns += QStringLiteral(", SchMpsCalIID=%1, SchMpsPeriods=%2").arg(SQLInt(scheme.PlanCalIID), QuotedStr(PlanPeriodsToText(periods)));
        ReplaceMainDemand(connection, scheme, *hold, MainReplaceBatch(scheme, columns));
        return scheme.Load(scheme.SchemeIID);
    });
}

} // namespace kx
