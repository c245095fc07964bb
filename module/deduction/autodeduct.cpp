#include "deduction/autodeduct.h"

#include "db/copyrows.h"
#include "db/dataset.h"
#include "db/messages.h"
#include "db/quote.h"
#include "db/shared.h"
#include "db/strutils.h"
#include "engine/objectquery.h"
#include "engine/progress.h"

namespace kx {

namespace {

// Forecast lines matched per call of the matching procedure: between calls the progress is
// shown and Esc is looked at.
constexpr int kLinesPerCall = 250;
// Pairs that share a transaction: few enough that the lines they lock are free again within
// some milliseconds, enough that committing costs little beside the pairs.
constexpr int kPairsPerCommit = 100;

struct TSource {
    const char* ObjectID;
    const char* Prefix;
    const char* Quantity;         // what deduction consumes: the forecast still open, the order quantity
    const char* BaseCondition;
};

// Approved order lines not made from a forecast line (those already count against theirs).
const TSource kForcast{"KX_MRP.Forcast", "For", "ForQty", "s.CanMRP<>0"};
const TSource kSO{"KX_MRP.SO", "SO", "SOBillQty", "s.Checked=1 and s.SOForcastID is null"};
const TSource kSI{"KX_MRP.SI", "SI", "SIBillQty", "s.Checked=1 and s.SIForcastID is null"};

// The lines of one source as the user's condition and data permissions restrict them; empty
// when the object's statement cannot be composed.
QString SourceSelect(const TSource& src, const QString& userCondition)
{
    const TInfoObjectDef* def = RequireObjectDef(QLatin1String(src.ObjectID));
    const QString p = QLatin1String(src.Prefix);
    const QString fields = QStringLiteral("s.%1ID, s.%1Entry, s.%1CustID, s.%1DelivDate, s.%1ItmID, s.%2, "
                                          "$$OrigTag$$ as OrigTag, coalesce($$ItmProps$$, '') as ItmProps")
                               .arg(p, QLatin1String(src.Quantity));
    return ComposeObjectStatement(def, QStringLiteral("select $$Fields$$ $$MainJoin$$"), fields,
                                  CombineFilter(QLatin1String(src.BaseCondition), userCondition));
}

// Takes back the automatic deductions of the chosen forecast lines. The log rows are deleted
// and exactly what they had added is subtracted from both sides, in one statement, so that a
// deduction another user makes meanwhile is either taken back whole or left whole.
int UndoAutoDeductions(TConnection& connection, const QString& forcastSelect)
{
    connection.Execute(QStringLiteral(
        "drop table if exists tmp_KX_MRP_Forcast;\n"
        "create temp table tmp_KX_MRP_Forcast as select x.ForID, x.ForEntry from KX_MRP_ForcastExt as x join (%1) as s "
        "on x.ForID=s.ForID and x.ForEntry=s.ForEntry where x.ForDedAQty>0")
                           .arg(forcastSelect));
    TQuery q(&connection);
    q.SQL = QStringLiteral(
        "with d as (delete from KX_MRP_Deduction as d using tmp_KX_MRP_Forcast as f "
        "where f.ForID=d.DedForID and f.ForEntry=d.DedForEntry and d.DedManual=0 "
        "returning d.DedForID, d.DedForEntry, d.DedOrdType, d.DedOrdID, d.DedOrdEntry, d.DedForQty, d.DedOrdQty), "
        "so as (update KX_MRP_SOExt as x set SODedAQty=coalesce(x.SODedAQty,0)-r.Qty "
        "from (select DedOrdID, DedOrdEntry, sum(DedOrdQty) as Qty from d where DedOrdType=2 group by DedOrdID, DedOrdEntry) as r "
        "where r.DedOrdID=x.SOID and r.DedOrdEntry=x.SOEntry returning 1), "
        "si as (update KX_MRP_SIExt as x set SIDedAQty=coalesce(x.SIDedAQty,0)-r.Qty "
        "from (select DedOrdID, DedOrdEntry, sum(DedOrdQty) as Qty from d where DedOrdType=4 group by DedOrdID, DedOrdEntry) as r "
        "where r.DedOrdID=x.SIID and r.DedOrdEntry=x.SIEntry returning 1), "
        "fx as (update KX_MRP_ForcastExt as x set ForDedAQty=coalesce(x.ForDedAQty,0)-r.Qty "
        "from (select DedForID, DedForEntry, sum(DedForQty) as Qty from d group by DedForID, DedForEntry) as r "
        "where r.DedForID=x.ForID and r.DedForEntry=x.ForEntry returning 1) "
        "select (select count(*) from fx), (select count(*) from so) + (select count(*) from si)");
    q.Open();
    connection.Execute(QStringLiteral("drop table if exists tmp_KX_MRP_Forcast"));
    return q.Fields(0).AsInteger();
}

// The open forecast lines in the order they deduct: earlier delivery first; on one date those
// with a customer, then those with a tag, before the others.
int GatherForcasts(TConnection& connection, const QString& forcastSelect)
{
    connection.Execute(QStringLiteral(
        "drop table if exists tmp_KX_MRP_DedFor;\n"
        "create temp table tmp_KX_MRP_DedFor as select row_number() over (order by s.ForDelivDate, nullif(s.ForCustID, '') desc "
        "nulls last, nullif(s.OrigTag, '') desc nulls last, s.ForID, s.ForEntry)::integer as DedSeq, s.ForID, s.ForEntry, "
        "s.ForItmID, s.ItmProps, coalesce(s.ForCustID, '') as ForCustID, coalesce(s.OrigTag, '') as OrigTag, s.ForQty, "
        "s.ForDelivDate::date as ForDelivDate, null::date as DedFrom, null::date as DedTo "
        "from (%1) as s left join KX_MRP_ForcastExt as x on s.ForID=x.ForID and s.ForEntry=x.ForEntry "
        "where coalesce(x.ForDedADis,0)=0 and s.ForQty>coalesce(x.ForDedMQty,0)+coalesce(x.ForDedAQty,0);\n"
        "alter table tmp_KX_MRP_DedFor add primary key (DedSeq)")
                           .arg(forcastSelect));
    TQuery q(&connection);
    q.SQL = QStringLiteral("select count(*) from tmp_KX_MRP_DedFor");
    q.Open();
    return q.Fields(0).AsInteger();
}

// Puts each forecast line's window of delivery dates beside it.
void SetWindows(TConnection& connection, const TAuotDeductOptions& options)
{
    TQuery q(&connection);
    q.SQL = QStringLiteral("select DedSeq, ForDelivDate from tmp_KX_MRP_DedFor");
    q.Open();
    connection.Execute(QStringLiteral("drop table if exists tmp_KX_MRP_DedWin;\n"
                                      "create temp table tmp_KX_MRP_DedWin (DedSeq integer primary key, DedFrom date, DedTo date)"));
    TCopyRows windows(connection, QStringLiteral("tmp_KX_MRP_DedWin"), QStringLiteral("DedSeq, DedFrom, DedTo"));
    for (int row = 0; row < q.RecordCount(); ++row) {
        const TDeductWindow w = DeductWindow(options, q.DateAt(row, 1));
        windows.Int(q.IntAt(row, 0)).Date(w.From).Date(w.To).EndRow();
    }
    windows.Finish();
    connection.Execute(QStringLiteral("update tmp_KX_MRP_DedFor as f set DedFrom=w.DedFrom, DedTo=w.DedTo from tmp_KX_MRP_DedWin as w "
                                      "where w.DedSeq=f.DedSeq;\n"
                                      "drop table tmp_KX_MRP_DedWin;\n"
                                      "analyze tmp_KX_MRP_DedFor"));
}

// The order lines that may deduct, with the planning item of each line's item.
void GatherOrders(TConnection& connection, const QString& soSelect, const QString& siSelect)
{
    const QString select = QStringLiteral(
        "select %1::smallint as OrdType, s.%2ID as OrdID, s.%2Entry as OrdEntry, s.%2ItmID as ItmID, s.ItmProps, "
        "nullif(t.ItmPlanItmID, '') as PlanItmID, coalesce(s.%2CustID, '') as CustID, coalesce(s.OrigTag, '') as OrigTag, "
        "s.%2DelivDate::date as DelivDate, s.%2BillQty as BillQty from (%3) as s left join KX_MRP_ItemSetting as t on t.ItmID=s.%2ItmID");
    connection.Execute(QStringLiteral("drop table if exists tmp_KX_MRP_DedOrd;\n"
                                      "create temp table tmp_KX_MRP_DedOrd as %1;\n"
                                      "insert into tmp_KX_MRP_DedOrd %2;\n"
                                      "create index on tmp_KX_MRP_DedOrd (ItmID, ItmProps, DelivDate);\n"
                                      "create index on tmp_KX_MRP_DedOrd (PlanItmID, DelivDate) where PlanItmID is not null;\n"
                                      "analyze tmp_KX_MRP_DedOrd")
                           .arg(select.arg(SQLInt(2), QStringLiteral("SO"), soSelect),
                                select.arg(SQLInt(4), QStringLiteral("SI"), siSelect)));
}

void DropWorkTables(TConnection& connection)
{
    try {
        connection.Execute(QStringLiteral("reset synchronous_commit;\n"
                                          "drop table if exists tmp_KX_MRP_DedFor, tmp_KX_MRP_DedOrd, tmp_KX_MRP_DedWin, "
                                          "tmp_KX_MRP_Forcast"));
    } catch (const EDatabaseError&) {
        // the connection is gone, and its temporary tables with it
    }
}

} // namespace

bool AutoDeduct(TConnection& connection, const TAuotDeductOptions& options, IEngineProgress& progress, TAutoDeductReport* report)
{
    TAutoDeductReport done;
    struct TCleanup {
        TConnection& Connection;
        ~TCleanup() { DropWorkTables(Connection); }
    } cleanup{connection};
    try {
        progress.ShowText(QStringLiteral("正在进行自动冲销, 请稍候..."));
        const QString forcasts = SourceSelect(kForcast, options.ForcastFilterText);
        const QString so = forcasts.isEmpty() ? QString() : SourceSelect(kSO, options.SOFilterText);
        const QString si = so.isEmpty() ? QString() : SourceSelect(kSI, options.SIFilterText);
        if (si.isEmpty())
            return false;
        if (!options.KeepLast) {
            progress.CheckAbort();
            done.Undone = UndoAutoDeductions(connection, forcasts);
        }
        progress.CheckAbort();
        done.Forecasts = GatherForcasts(connection, forcasts);
        SetWindows(connection, options);
        progress.CheckAbort();
        GatherOrders(connection, so, si);

        // The pairs are committed in small groups, and without waiting for each group to reach
        // the disk: they reach it together (within a fraction of a second, and for certain when
        // the run ends). A group is written whole or not at all.
        connection.Execute(QStringLiteral("set synchronous_commit = off"));
        const QString user = QuotedStr(EnvUserID());
        for (int first = 1; first <= done.Forecasts; first += kLinesPerCall) {
            progress.ShowPosition(first - 1, done.Forecasts);
            progress.CheckAbort();
            TQuery call(&connection);
            call.SQL = QStringLiteral("call KX_MRP_AutoDeductLines(%1, %2, %3, %4, 0)")
                           .arg(SQLInt(first), SQLInt(first + kLinesPerCall - 1), user, SQLInt(kPairsPerCommit));
            call.Open();
            done.Pairs += call.Fields(0).AsInteger();
        }
        progress.ShowPosition(done.Forecasts, done.Forecasts);
        // A transaction that commits on the disk takes every pair committed before it along.
        connection.Execute(QStringLiteral("reset synchronous_commit;\nbegin;\nselect txid_current();\ncommit"));
    } catch (const EAbort&) {
        if (report)
            *report = done;
        throw;
    } catch (const EKxError& e) {
        ShowException(e);
        if (report)
            *report = done;
        return false;
    }
    if (report)
        *report = done;
    return true;
}

} // namespace kx
