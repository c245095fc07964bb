#include "deduction/deductlog.h"

#include "db/dataset.h"
#include "db/quote.h"
#include "db/sqlrun.h"

namespace kx {

QString DeductPrefix(TDeductBillKind kind)
{
    switch (kind) {
    case dkSO: return QStringLiteral("SO");
    case dkSI: return QStringLiteral("SI");
    case dkForcast: break;
    }
    return QStringLiteral("For");
}

QString DeductExtTable(TDeductBillKind kind)
{
    return kind == dkForcast ? QStringLiteral("KX_MRP_ForcastExt") : QStringLiteral("KX_MRP_%1Ext").arg(DeductPrefix(kind));
}

QString DeductBillView(TDeductBillKind kind)
{
    return kind == dkForcast ? QStringLiteral("KX_MRP_Forcast") : QStringLiteral("KX_MRP_%1").arg(DeductPrefix(kind));
}

void SetAutoDeductExcluded(TConnection& connection, TDeductBillKind kind, const QList<TBillLineKey>& lines, bool excluded)
{
    const QString p = DeductPrefix(kind);
    TSQLBatch batch(connection);
    for (const TBillLineKey& line : lines)
        batch.Add(QStringLiteral("insert into %1 (%2ID, %2Entry, %2ItmID, %2DedADis) select %2ID, %2Entry, %2ItmID, %3 from %4 "
                                 "where %2ID=%5 and %2Entry=%6 on conflict (%2ID, %2Entry) do update set %2DedADis=excluded.%2DedADis")
                      .arg(DeductExtTable(kind), p, SQLInt(excluded ? 1 : 0), DeductBillView(kind), QuotedStr(line.ID),
                           SQLInt(line.Entry)));
    batch.Flush();
}

int ClearDeductions(TConnection& connection, const QList<int>& dedIIDs)
{
    if (dedIIDs.isEmpty())
        return 0;
    QStringList ids;
    for (int id : dedIIDs)
        ids << SQLInt(id);
    // One statement: the rows deleted are exactly the rows whose quantities are taken back.
    const QString orderSide = QStringLiteral(
        "%1 as (update KX_MRP_%2Ext as x set %2DedAQty=coalesce(x.%2DedAQty,0)-r.AQty, %2DedMQty=coalesce(x.%2DedMQty,0)-r.MQty "
        "from (select DedOrdID, DedOrdEntry, sum(case when DedManual=1 then 0 else DedOrdQty end) as AQty, "
        "sum(case when DedManual=1 then DedOrdQty else 0 end) as MQty from d where DedOrdType=%3 group by DedOrdID, DedOrdEntry) as r "
        "where r.DedOrdID=x.%2ID and r.DedOrdEntry=x.%2Entry returning 1)");
    TQuery q(&connection);
    q.SQL = QStringLiteral(
        "with d as (delete from KX_MRP_Deduction where DedIID in (%1) returning DedForID, DedForEntry, DedOrdType, DedOrdID, "
        "DedOrdEntry, DedForQty, DedOrdQty, DedManual), "
        "fx as (update KX_MRP_ForcastExt as x set ForDedAQty=coalesce(x.ForDedAQty,0)-r.AQty, ForDedMQty=coalesce(x.ForDedMQty,0)-r.MQty "
        "from (select DedForID, DedForEntry, sum(case when DedManual=1 then 0 else DedForQty end) as AQty, "
        "sum(case when DedManual=1 then DedForQty else 0 end) as MQty from d group by DedForID, DedForEntry) as r "
        "where r.DedForID=x.ForID and r.DedForEntry=x.ForEntry returning 1), %2, %3 "
        "select (select count(*) from d), (select count(*) from fx), (select count(*) from so), (select count(*) from si)")
                .arg(ids.join(QLatin1Char(',')), orderSide.arg(QStringLiteral("so"), QStringLiteral("SO"), SQLInt(dkSO)),
                     orderSide.arg(QStringLiteral("si"), QStringLiteral("SI"), SQLInt(dkSI)));
    q.Open();
    return q.Fields(0).AsInteger();
}

QStringList CheckDeductionRules(TConnection& connection)
{
    QStringList faults;
    TQuery q(&connection);
    // Per line: its extension totals against the sums of its log rows, and against what the
    // line can give (a forecast its open quantity, an order its quantity).
    const auto check = [&](TDeductBillKind kind, const QString& logKey, const QString& logQty, const QString& logFilter,
                           const QString& capacity) {
        const QString p = DeductPrefix(kind);
        q.SQL = QStringLiteral(
            "select coalesce(x.%1ID, l.ID), coalesce(x.%1Entry, l.Entry), coalesce(x.%1DedAQty,0), coalesce(l.AQty,0), "
            "coalesce(x.%1DedMQty,0), coalesce(l.MQty,0), b.Capacity "
            "from %2 as x full join (select %3 as ID, %4 as Entry, sum(case when DedManual=0 then %5 else 0 end) as AQty, "
            "sum(case when DedManual=1 then %5 else 0 end) as MQty from KX_MRP_Deduction where %6 group by 1, 2) as l "
            "on l.ID=x.%1ID and l.Entry=x.%1Entry "
            "left join (select %1ID as ID, %1Entry as Entry, %7 as Capacity from %8) as b "
            "on b.ID=coalesce(x.%1ID, l.ID) and b.Entry=coalesce(x.%1Entry, l.Entry) "
            "where coalesce(x.%1DedAQty,0)<>coalesce(l.AQty,0) or coalesce(x.%1DedMQty,0)<>coalesce(l.MQty,0) "
            "or coalesce(x.%1DedAQty,0)+coalesce(x.%1DedMQty,0)>b.Capacity order by 1, 2")
                    .arg(p, DeductExtTable(kind), logKey.section(QLatin1Char(','), 0, 0), logKey.section(QLatin1Char(','), 1, 1),
                         logQty, logFilter, capacity, DeductBillView(kind));
        q.Open();
        for (; !q.Eof(); q.Next())
            faults << QStringLiteral("%1 %2/%3: 自动 %4 (日志 %5), 手动 %6 (日志 %7), 可冲销 %8")
                          .arg(p, q.Fields(0).AsString(), q.Fields(1).AsString(), q.Fields(2).AsString(), q.Fields(3).AsString(),
                               q.Fields(4).AsString(), q.Fields(5).AsString(), q.Fields(6).AsString());
    };
    check(dkForcast, QStringLiteral("DedForID,DedForEntry"), QStringLiteral("DedForQty"), QStringLiteral("true"),
          QStringLiteral("ForQty"));
    check(dkSO, QStringLiteral("DedOrdID,DedOrdEntry"), QStringLiteral("DedOrdQty"), QStringLiteral("DedOrdType=2"),
          QStringLiteral("SOBillQty"));
    check(dkSI, QStringLiteral("DedOrdID,DedOrdEntry"), QStringLiteral("DedOrdQty"), QStringLiteral("DedOrdType=4"),
          QStringLiteral("SIBillQty"));
    return faults;
}

} // namespace kx
