#include "analysis/invage.h"

#include "analysis/invagetables.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "db/errors.h"
#include "db/messages.h"
#include "db/quote.h"
#include "db/settings.h"
#include "db/shared.h"
#include "db/sqlrun.h"
#include "db/strutils.h"
#include "engine/objectquery.h"
#include "engine/planscheme.h"
#include "engine/progress.h"
#include "masterdata/planperiods.h"

#include <QRegularExpression>

namespace kx {

namespace {

const QString kInvType = QStringLiteral("[InvType]");
const QString kInvDate = QStringLiteral("[InvDate]");
const QString kAllStocks = QStringLiteral("[AllStocks]");
const QString kSelStocks = QStringLiteral("[SelStocks]");
const QString kAgeGroups = QStringLiteral("[AgeGroups]");
const QString kAgeType = QStringLiteral("[AgeType]");
const QString kPlanScheme = QStringLiteral("[PlanScheme]");
const QString kPlanSchemeText = QStringLiteral("{PlanScheme}");
const QString kMergeBatch = QStringLiteral("[MergeBatch]");
const QString kMergeStock = QStringLiteral("[MergeStock]");
const QString kMergePlace = QStringLiteral("[MergePlace]");
const QString kMergeTrack = QStringLiteral("[MergeTrack]");
const QString kCriteria = QStringLiteral("{Criteria}");
const QString kCriteriaCode = QStringLiteral("[Criteria]");
const QString kNoScheme = QStringLiteral("(无)");

QString Flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

bool FlagOf(const QString& params, const QString& key, bool defaultValue)
{
    const QString v = GetParamValue(params, key).trimmed();
    return v.isEmpty() ? defaultValue : v != QLatin1String("0");
}

QString DateText(const QDate& date)
{
    return date.toString(QStringLiteral("yyyy/MM/dd"));
}

// The source orders a stock-in line may execute, with the prefix of their business views.
struct TTraceSource {
    int Type;
    const char* ObjectID;
    const char* Prefix;
    bool Demand;                          // a sales or export order is itself the main demand
};
const TTraceSource kTraceSources[] = {
    {btSO, "KX_MRP.SO", "SO", true},  {btSI, "KX_MRP.SI", "SI", true},  {btMO, "KX_MRP.MO", "MO", false},
    {btOO, "KX_MRP.OO", "OO", false}, {btPO, "KX_MRP.PO", "PO", false}, {btPI, "KX_MRP.PI", "PI", false},
};

// The dimensions of a summary row that the analysis keeps apart, as column name suffixes.
QStringList KeptDimensions(const TInvAgeSettings& s)
{
    QStringList dims;
    if (!s.MergeBatch)
        dims << QStringLiteral("Batch");
    if (!s.MergeStock)
        dims << QStringLiteral("StkID");
    if (!s.MergePlace)
        dims << QStringLiteral("StpID");
    if (!s.MergeTrack)
        dims << QStringLiteral("GroupType") << QStringLiteral("GroupNo");
    return dims;
}

// ", Age<dim>" (or another prefix) for every kept dimension.
QString DimList(const TInvAgeSettings& s, const QString& prefix)
{
    QString list;
    for (const QString& dim : KeptDimensions(s))
        list += QStringLiteral(", ") + prefix + dim;
    return list;
}

QString PropList(const QString& prefix, const QString& wrap = QStringLiteral("%1"))
{
    QStringList list;
    for (int n = 1; n <= 10; ++n)
        list << wrap.arg(prefix + QString::number(n));
    return list.join(QStringLiteral(", "));
}

QString MergeArgs(const TInvAgeSettings& s)
{
    return QStringLiteral("%1, %2, %3, %4").arg(Flag(s.MergeBatch), Flag(s.MergeStock), Flag(s.MergePlace), Flag(s.MergeTrack));
}

// The date argument of the procedures: the cut-off day, null for the stock now.
QString DateArg(const TInvAgeRun& run)
{
    return run.Settings.StockNow ? QStringLiteral("null") : SQLDate(run.Settings.InvDate) + QStringLiteral("::timestamp");
}

qint64 Count(TConnection& connection, const QString& sql)
{
    TQuery q(&connection);
    q.SQL = sql;
    q.Open();
    return q.IsEmpty() ? 0 : q.Fields(0).AsLargeInt();
}

// The stock rows with the merged dimensions blanked and summed: matching and summary rows
// then work on the dimensions the analysis keeps apart.
QString CollapseMergedStock(const TInvAgeSettings& s)
{
    const std::pair<const char*, bool> dims[] = {{"InvBatch", s.MergeBatch}, {"InvStkID", s.MergeStock}, {"InvStpID", s.MergePlace},
                                                 {"InvGroupType", s.MergeTrack}, {"InvGroupNo", s.MergeTrack}};
    QStringList values, kept;
    for (const auto& [column, merged] : dims) {
        values << (merged ? QStringLiteral("null") : QLatin1String(column));
        if (!merged)
            kept << QLatin1String(column);
    }
    const QString keys = (QStringList{QStringLiteral("InvItmID"), QStringLiteral("InvItmProps")} + kept).join(QStringLiteral(", "));
    return QStringLiteral(
               "with m as (delete from tmp_KX_MRP_Inventory returning *)\n"
               "insert into tmp_KX_MRP_Inventory (InvItmID, InvItmProps, %1, InvBatch, InvStkID, InvStpID, InvGroupType,"
               " InvGroupNo, InvQty)\n"
               "select InvItmID, InvItmProps, %2, %3, sum(InvQty) from m\n"
               " group by %4 having sum(InvQty) <> 0 order by %4")
        .arg(PropList(QStringLiteral("InvItmProp")), PropList(QStringLiteral("InvItmProp"), QStringLiteral("max(%1)")),
             values.join(QStringLiteral(", ")), keys);
}

// A round of matching: the lines just found take, newest first, what their stock row has not
// matched yet, and the row's matched quantity grows by the same amount.
const char* const kMatchNewLines = R"sql(
with m as (
  update tmp_KX_MRP_LastStockInBillsB as b set BillOkQty = n.OkQty
    from (select b2.ctid as rid,
                 greatest(0, least(b2.BillQty, i.InvQty - i.InvInQty
                                               - (sum(b2.BillQty) over (partition by b2.BillInvIID
                                                      order by b2.BillDate desc, b2.BillID desc, b2.BillEntry desc)
                                                  - b2.BillQty))) as OkQty
            from tmp_KX_MRP_LastStockInBillsB as b2
            join tmp_KX_MRP_Inventory as i on i.InvIID = b2.BillInvIID
           where b2.BillOkQty is null) as n
   where b.ctid = n.rid
  returning b.BillInvIID, b.BillOkQty)
update tmp_KX_MRP_Inventory as i set InvInQty = i.InvInQty + t.Qty
  from (select BillInvIID, sum(BillOkQty) as Qty from m group by BillInvIID) as t
 where i.InvIID = t.BillInvIID
)sql";

// Age, group, amount of every matched line (step 4 of the run).
QString AgeLinesSQL(const TInvAgeRun& run)
{
    const QDate cut = InvAgeCutOff(run.Settings, run.Today);
    const QString cutText = SQLDate(cut);
    QString sql = QStringLiteral("update tmp_KX_MRP_LastStockInBillsB set BillOkAmt=%1,"
                                 "BillDays=(case when BillDate<%2 then %2::date - BillDate::date else 0 end)")
                      .arg(run.Money ? QStringLiteral("round(BillOkQty*BillAmt/BillQty, 2)") : QStringLiteral("null"), cutText);
    const QList<TAgeGroup> groups = MakeAgeGroups(run.Settings.Intervals);
    if (groups.isEmpty())
        return sql + QStringLiteral(",BillGroup=null where BillOkQty>0");
    sql += QStringLiteral(",BillGroup=(case");
    for (qsizetype k = groups.size(); k >= 2; --k)
        sql += QStringLiteral(" when BillDate<%1 then %2").arg(SQLDate(cut.addDays(-groups[k - 1].Offset + 1))).arg(k);
    return sql + QStringLiteral(" else 1 end) where BillOkQty>0");
}

// The values of the summary rows from their matched lines (step 6).
QString SummaryValuesSQL(const TInvAgeRun& run)
{
    static const char* const kDays[] = {"cast(sum(BillDays*BillOkQty/a.AgeInQty) as decimal(22,2))", "max(BillDays)",
                                        "min(BillDays)"};
    const int type = qBound(0, run.Settings.AgeType, 2);
    const int groups = int(MakeAgeGroups(run.Settings.Intervals).size());
    QStringList set, sums;
    set << QStringLiteral("AgeDays=r.Days") << QStringLiteral("AgeInDate=r.InDate");
    sums << QStringLiteral("%1 as Days").arg(QLatin1String(kDays[type])) << QStringLiteral("max(BillDate) as InDate");
    if (run.Money) {
        set << QStringLiteral("AgePrice=round(r.BillAmt/r.BillQty, 6)")
            << QStringLiteral("AgeAmt=(case when s.AgeQty=r.BillOkQty then r.BillOkAmt else round(s.AgeQty*r.BillAmt/r.BillQty, 2) end)")
            << QStringLiteral("AgeInAmt=r.BillOkAmt");
        sums << QStringLiteral("sum(BillAmt) as BillAmt, sum(BillQty) as BillQty, sum(BillOkQty) as BillOkQty, sum(BillOkAmt) as BillOkAmt");
    }
    for (int k = 1; k <= groups; ++k) {
        set << QStringLiteral("AgeQty%1=r.Q%1").arg(k);
        sums << QStringLiteral("sum(case when BillGroup=%1 then BillOkQty else 0 end) as Q%1").arg(k);
        if (run.Money) {
            set << QStringLiteral("AgeAmt%1=r.A%1").arg(k);
            sums << QStringLiteral("sum(case when BillGroup=%1 then BillOkAmt else 0 end) as A%1").arg(k);
        }
    }
    return QStringLiteral("update tmp_KX_MRP_InvAgeMain as s set %1\n  from (select BillAgeIID, %2\n"
                          "          from tmp_KX_MRP_LastStockInBillsB as b join tmp_KX_MRP_InvAgeMain as a on a.AgeIID=b.BillAgeIID\n"
                          "         where BillOkQty>0 group by BillAgeIID) as r\n where s.AgeIID=r.BillAgeIID")
        .arg(set.join(QStringLiteral(", ")), sums.join(QStringLiteral(", ")));
}

// The summary rows of the stock and the tie of every line to its row (step 5).
QString SummaryRowsSQL(const TInvAgeRun& run)
{
    const TInvAgeSettings& s = run.Settings;
    QString tie;
    for (const QString& dim : KeptDimensions(s))
        tie += dim == QLatin1String("StpID") ? QStringLiteral(" and a.AgeStpID is not distinct from b.BillStpID")
                                             : QStringLiteral(" and a.Age%1=b.Bill%1").arg(dim);
    return QStringLiteral("insert into tmp_KX_MRP_InvAgeMain (AgeItmID, AgeItmProps, %1%2, AgeQty, AgeInQty)\n"
                          "select InvItmID, InvItmProps, %3%4, sum(InvQty), sum(InvInQty) from tmp_KX_MRP_Inventory\n"
                          " where InvQty<>0 group by InvItmID, InvItmProps%4 order by InvItmID, InvItmProps%4;\n"
                          "call KX_MRP_GetLastStockOutDate(%5, %6, %7);\n"
                          "update tmp_KX_MRP_LastStockInBillsB as b set BillAgeIID=a.AgeIID from tmp_KX_MRP_InvAgeMain as a\n"
                          " where a.AgeItmID=b.BillItmID and a.AgeItmProps=b.BillItmProps%8")
        .arg(PropList(QStringLiteral("AgeItmProp")), DimList(s, QStringLiteral("Age")),
             PropList(QStringLiteral("InvItmProp"), QStringLiteral("max(%1)")), DimList(s, QStringLiteral("Inv")), DateArg(run),
             QuotedStr(InvAgeCondition(run)), MergeArgs(s), tie);
}

// The earliest allocation after the cut-off of the reference scheme's stock supplies (step 7).
QString PlanDateSQL(const TInvAgeRun& run)
{
    return QStringLiteral("update tmp_KX_MRP_InvAgeMain as s set AgePlanDate=r.AltDate\n"
                          "  from (select SupItmID, SupItmProps, min(AltDate) as AltDate from KX_MRP_Supplies\n"
                          "          join KX_MRP_Allots on AltSchIID=SupSchIID and AltSupIID=SupIID\n"
                          "         where SupSchIID=%1 and SupBillType=%2 and AltDate>%3 group by SupItmID, SupItmProps) as r\n"
                          " where AgeItmID=SupItmID and AgeItmProps=SupItmProps")
        .arg(run.Settings.PlanScheme)
        .arg(btStock)
        .arg(SQLDate(InvAgeCutOff(run.Settings, run.Today)));
}

// Stores the run's rows under its run row, replacing what the row held (step 9).
void StoreResults(TConnection& connection, TInvAgeRun& run)
{
    TTransaction tran(connection);
    TQuery q(&connection);
    if (run.SchIID > 0) {
        q.SQL = QStringLiteral("update KX_MRP_InvAgeScheme set SchTime=localtimestamp where SchIID=%1 returning SchIID").arg(run.SchIID);
        q.Open();
        if (q.IsEmpty())                  // removed meanwhile by a clean-up: a new row is made
            run.SchIID = 0;
    }
    if (run.SchIID == 0) {
        q.SQL = QStringLiteral("insert into KX_MRP_InvAgeScheme (SchUsrID) values (%1) returning SchIID").arg(QuotedStr(run.UserID));
        q.Open();
        run.SchIID = q.Fields(0).AsInteger();
    }
    const QString id = QString::number(run.SchIID);
    connection.Execute(QStringLiteral("delete from KX_MRP_InvAgeMain where AgeSchIID=%1;\ndelete from KX_MRP_InvAgeDetail where AgeSchIID=%1").arg(id));
    QStringList groupColumns;
    for (int k = 1; k <= kMaxAgeGroups; ++k)
        groupColumns << QStringLiteral("AgeQty%1, AgeAmt%1").arg(k);
    const QString mainColumns = QStringLiteral("AgeIID, AgeItmID, AgeItmProps, %1, AgeBatch, AgeStkID, AgeStpID, AgeGroupType, AgeGroupNo, "
                                               "AgePrice, AgeQty, AgeAmt, AgeInQty, AgeInAmt, AgeInDate, AgeDays, AgeOutDate, AgePlanDate, %2")
                                    .arg(PropList(QStringLiteral("AgeItmProp")), groupColumns.join(QStringLiteral(", ")));
    q.SQL = QStringLiteral("insert into KX_MRP_InvAgeMain (AgeSchIID, %1) select %2, %1 from tmp_KX_MRP_InvAgeMain").arg(mainColumns, id);
    q.ExecSQL();
    run.MainRows = q.RowsAffected();
    q.SQL = QStringLiteral(
                "insert into KX_MRP_InvAgeDetail (AgeSchIID, AgeIID, AgeBillTypID, AgeBillTypName, AgeBillID, AgeBillNo, AgeBillEntry,"
                " AgeBillDate, AgeSupply, AgeBatch, AgeStkID, AgeStpID, AgeGroupType, AgeGroupNo, AgeBillQty, AgeBillAmt, AgePrice,"
                " AgeQty, AgeAmt, AgeDays, AgeGroup, AgeNote, AgeMemo, AgeOrdType, AgeOrdID, AgeOrdNo, AgeOrdEntry, AgeOrigType,"
                " AgeOrigID, AgeOrigNo, AgeOrigEntry, AgeOrigItmID, AgeOrigCustID, AgeOrigCustPO, AgeOrigTag)\n"
                "select %1, BillAgeIID, BillTypID, BillTypName, BillID, BillNo, BillEntry, BillDate, BillSupply, BillBatch, BillStkID,"
                " BillStpID, BillGroupType, BillGroupNo, BillQty, %2, %3, BillOkQty, BillOkAmt, BillDays, BillGroup, BillNote, BillMemo,"
                " BillOrdType, BillOrdID, BillOrdNo, BillOrdEntry, BillOrigType, BillOrigID, BillOrigNo, BillOrigEntry, BillOrigItmID,"
                " BillOrigCustID, BillOrigCustPO, BillOrigTag\n"
                "  from tmp_KX_MRP_LastStockInBillsB where BillOkQty>0 and BillAgeIID is not null")
                .arg(id, run.Money ? QStringLiteral("BillAmt") : QStringLiteral("null"),
                     run.Money ? QStringLiteral("round(BillAmt/BillQty, 6)") : QStringLiteral("null"));
    q.ExecSQL();
    run.DetailRows = q.RowsAffected();
    tran.Commit();
}

} // namespace

QList<TAgeGroup> MakeAgeGroups(const QList<int>& intervals)
{
    QList<TAgeGroup> groups;
    int offset = 0;
    for (int days : intervals) {
        groups << TAgeGroup{QStringLiteral("%1 - %2天").arg(offset).arg(offset + days - 1), offset, days};
        offset += days;
    }
    if (!intervals.isEmpty())
        groups << TAgeGroup{QStringLiteral("%1天以上").arg(offset), offset, 0};
    return groups;
}

QList<int> ParseAgeIntervals(const QString& text)
{
    QList<int> intervals;
    for (const QString& part : text.split(QLatin1Char('|'), Qt::SkipEmptyParts))
        intervals << part.trimmed().toInt();
    return intervals;
}

QString AgeIntervalsText(const QList<int>& intervals)
{
    QStringList parts;
    for (int days : intervals)
        parts << QString::number(days);
    return parts.join(QLatin1Char('|'));
}

TInvAgeSettings ReadInvAgeSettings(const QString& params, const QDate& today)
{
    TInvAgeSettings s;
    s.StockNow = GetParamValue(params, kInvType).trimmed() == QLatin1String("1");
    s.InvDate = QDate::fromString(GetParamValue(params, kInvDate).trimmed(), QStringLiteral("yyyy/MM/dd"));
    if (!s.InvDate.isValid())
        s.InvDate = today.addDays(-1);
    s.AllStocks = FlagOf(params, kAllStocks, true);
    s.Stocks = GetParamValue(params, kSelStocks).split(QLatin1Char('|'), Qt::SkipEmptyParts);
    s.Intervals = ParseAgeIntervals(GetParamValue(params, kAgeGroups));
    s.AgeType = qBound(0, GetParamValue(params, kAgeType).toInt(), 2);
    s.PlanScheme = GetParamValue(params, kPlanScheme).toInt();
    s.PlanSchemeText = s.PlanScheme > 0 ? GetParamValue(params, kPlanSchemeText) : kNoScheme;
    s.MergeBatch = FlagOf(params, kMergeBatch, true);
    s.MergeStock = FlagOf(params, kMergeStock, true);
    s.MergePlace = FlagOf(params, kMergePlace, true);
    s.MergeTrack = FlagOf(params, kMergeTrack, true);
    s.Criteria = GetParamValue(params, kCriteria);
    s.CriteriaCode = GetParamValue(params, kCriteriaCode);
    return s;
}

QString WriteInvAgeSettings(const QString& params, const TInvAgeSettings& s)
{
    QString p = params;
    p = SetParamValue(p, kInvType, s.StockNow ? QStringLiteral("1") : QStringLiteral("0"));
    p = SetParamValue(p, kInvDate, DateText(s.InvDate));
    p = SetParamValue(p, kAllStocks, Flag(s.AllStocks));
    p = SetParamValue(p, kSelStocks, s.Stocks.join(QLatin1Char('|')));
    p = SetParamValue(p, kAgeGroups, AgeIntervalsText(s.Intervals));
    p = SetParamValue(p, kAgeType, QString::number(s.AgeType));
    p = SetParamValue(p, kPlanScheme, s.PlanScheme > 0 ? QString::number(s.PlanScheme) : QString());
    p = SetParamValue(p, kPlanSchemeText, s.PlanScheme > 0 ? s.PlanSchemeText : kNoScheme);
    p = SetParamValue(p, kMergeBatch, Flag(s.MergeBatch));
    p = SetParamValue(p, kMergeStock, Flag(s.MergeStock));
    p = SetParamValue(p, kMergePlace, Flag(s.MergePlace));
    p = SetParamValue(p, kMergeTrack, Flag(s.MergeTrack));
    p = SetParamValue(p, kCriteria, s.Criteria);
    p = SetParamValue(p, kCriteriaCode, s.CriteriaCode);
    return p;
}

QDate InvAgeCutOff(const TInvAgeSettings& settings, const QDate& today)
{
    return settings.StockNow ? today : settings.InvDate;
}

QStringList StockIDsOfFilter(const QString& filter)
{
    static const QRegularExpression quoted(QStringLiteral("'((?:[^']|'')*)'"));
    QStringList ids;
    for (auto it = quoted.globalMatch(filter); it.hasNext();)
        ids << it.next().captured(1).replace(QStringLiteral("''"), QStringLiteral("'"));
    return ids;
}

QString CheckInvAgeSettings(TQuery& query, const TInvAgeSettings& s, const QDate& today)
{
    for (int days : s.Intervals)
        if (days < 1)
            return FieldCheckText(fcNotGreaterOrEqual, QStringLiteral("区间天数"), QString::number(days), QStringLiteral("1"));
    if (!s.AllStocks && s.Stocks.isEmpty())
        return QStringLiteral("请选择参与库龄分析的仓库!");
    if (MakeAgeGroups(s.Intervals).size() > kMaxAgeGroups)
        return QStringLiteral("库龄分组不能超过20个!");
    if (s.PlanScheme <= 0)
        return QString();
    query.SQL = QStringLiteral("select SchName, SchMrpPeriods, SchFilters from KX_MRP_Schemes where SchIID=%1").arg(s.PlanScheme);
    query.Open();
    if (query.IsEmpty())
        return FieldCheckText(fcNotExists, QStringLiteral("参考计划方案"), s.PlanSchemeText);
    const QString name = query.FieldByName(QStringLiteral("SchName")).AsString();
    TPlanPeriods periods;
    TextToPlanPeriods(query.FieldByName(QStringLiteral("SchMrpPeriods")).AsString(), periods);
    const QDate begin = HorizonBegin(periods), end = HorizonEnd(periods), cut = InvAgeCutOff(s, today);
    if (!begin.isValid() || cut > end || cut < begin.addDays(-1))
        return QStringLiteral("库龄分析的截止日期(%1)未与参考计划方案\"%2\"的展望期间(%3至%4)起始相连或不在其范围之内!")
            .arg(DateText(cut), name, DateText(begin), DateText(end));
    const QStringList schemeStocks = StockIDsOfFilter(FilterOf(query.FieldByName(QStringLiteral("SchFilters")).AsString(),
                                                               QStringLiteral("KX_MRP.Stocks")));
    if (schemeStocks.isEmpty() || s.AllStocks)
        return QString();
    for (const QString& id : schemeStocks)
        if (s.Stocks.contains(id))
            return QString();
    QStringList names;
    for (const QString& id : schemeStocks) {
        TQuery n(query.Connection);
        n.SQL = QStringLiteral("select StkName from KX_Base_Stock where StkID=%1").arg(QuotedStr(id));
        n.Open();
        names << (n.IsEmpty() ? id : n.Fields(0).AsString());
    }
    return QStringLiteral("库龄分析的参与仓库和参考计划方案\"%1\"的参与仓库(%2)范围上不存在交集!").arg(name, names.join(QStringLiteral("、")));
}

QString InvAgeStocksSQL()
{
    return QStringLiteral("select * from KX_Base_Stock where StkVirtual=0 and StkDisabled=0 order by StkNo");
}

QString InvAgeSchemesSQL(const QString& userID, const QString& userGroups)
{
    const QString groups = userGroups.trimmed().isEmpty() ? QStringLiteral("''") : userGroups;
    return QStringLiteral("select SchIID, SchName, SchMrpRunTime, SchUsrID, UsrName from KX_MRP_Schemes"
                          " left join KX_SYS_Users on SchUsrID=UsrID where SchType=%1 and SchState>=%2 and (SchUsrID=%3"
                          " or SchIID::text in (select distinct DpmDataID from KX_SYS_DataPermissions where DpmObjID='KX_MRP.MRP'"
                          " and (DpmIsGroup=0 and DpmUsrID=%3 or DpmIsGroup=1 and DpmUsrID in (%4)))) order by SchName")
        .arg(0)
        .arg(psMRPDone)
        .arg(QuotedStr(userID), groups);
}

QString InvAgeCondition(const TInvAgeRun& run)
{
    const QStringList& ids = run.Settings.AllStocks ? run.AllStocks : run.Settings.Stocks;
    QStringList quoted;
    for (const QString& id : ids)
        quoted << QuotedStr(id);
    const QString stocks = quoted.isEmpty() ? QStringLiteral("$$StockID$$ is null")
                                            : QStringLiteral("$$StockID$$ in (%1)").arg(quoted.join(QStringLiteral(", ")));
    const QString criteria = run.Settings.Criteria.trimmed();
    return criteria.isEmpty() ? stocks : CombineFilter(stocks, QStringLiteral("(%1)").arg(criteria));
}

void PrepareInvAgeTrace(TInvAgeRun& run)
{
    run.TraceSQL.clear();
    run.TraceRefused.clear();
    for (const TTraceSource& src : kTraceSources) {
        const TInfoObjectDef* def = (Env() && Env()->GetObjectDef) ? Env()->GetObjectDef(QLatin1String(src.ObjectID)) : nullptr;
        const QString p = QLatin1String(src.Prefix);
        const QString fields =
            src.Demand ? QStringLiteral("s.%1ID, s.%1Entry, %2, s.%1ID, s.%1No, s.%1Entry, s.%1ItmID, s.%1CustID, s.%1CustPO, $$OrigTag$$")
                             .arg(p)
                             .arg(src.Type)
                       : QStringLiteral("s.%1ID, s.%1Entry, coalesce($$OrigType$$, 0), $$OrigID$$, $$OrigNo$$, $$OrigEntry$$, "
                                        "$$OrigItmID$$, $$OrigCustID$$, $$OrigCustPO$$, $$OrigTag$$")
                             .arg(p);
        const QString where = QStringLiteral("s.%1ID in (select BillOrdID from tmp_KX_MRP_LastStockInBillsB where BillOrdType=%2)")
                                  .arg(p)
                                  .arg(src.Type);
        const QString select = ComposeObjectStatement(def, QString(), fields, where);
        if (select.isEmpty()) {
            run.TraceRefused.insert(src.Type, EnumText(QStringLiteral("MrpBillType"), src.Type));
            continue;
        }
        run.TraceSQL.insert(src.Type,
                            QStringLiteral("update tmp_KX_MRP_LastStockInBillsB as b set BillOrigType=o.OrigType, BillOrigID=o.OrigID,"
                                           " BillOrigNo=o.OrigNo, BillOrigEntry=o.OrigEntry, BillOrigItmID=o.OrigItmID,"
                                           " BillOrigCustID=o.OrigCustID, BillOrigCustPO=o.OrigCustPO, BillOrigTag=o.OrigTag\n"
                                           "  from (%1) as o(OrdID, OrdEntry, OrigType, OrigID, OrigNo, OrigEntry, OrigItmID, OrigCustID,"
                                           " OrigCustPO, OrigTag)\n"
                                           " where b.BillOrdType=%2 and b.BillOrdID=o.OrdID and b.BillOrdEntry=o.OrdEntry and b.BillOkQty>0")
                                .arg(select)
                                .arg(src.Type));
    }
}

bool RunInvAgeAnalysis(TConnection& connection, TInvAgeRun& run, IEngineProgress& progress)
{
    const TInvAgeSettings& s = run.Settings;
    const QString dateArg = DateArg(run), merge = MergeArgs(s);

    progress.ShowText(QStringLiteral("正在读取库存数据, 请稍候..."));
    connection.Execute(QLatin1String(kInvAgeInventoryTable)
                       + QStringLiteral("call KX_MRP_GetHistoryInventory(%1, %2)").arg(dateArg, QuotedStr(InvAgeCondition(run))));
    if (s.MergeBatch || s.MergeStock || s.MergePlace || s.MergeTrack)
        connection.Execute(CollapseMergedStock(s));
    connection.Execute(StockInBillTables() + InvAgeMainTable());
    const qint64 stockRows = Count(connection, QStringLiteral("select count(*) from tmp_KX_MRP_Inventory"));

    if (stockRows > 0) {
        progress.ShowText(QStringLiteral("正在匹配入库单据, 请稍候..."));
        for (int round = 1;; ++round) {
            progress.CheckAbort();
            connection.Execute(QStringLiteral("call KX_MRP_GetLastStockInBills(%1, %2)").arg(dateArg, merge));
            if (Count(connection, QStringLiteral("select count(*) from tmp_KX_MRP_LastStockInBillsA")) == 0)
                break;
            connection.Execute(QStringLiteral("insert into tmp_KX_MRP_LastStockInBillsB select * from tmp_KX_MRP_LastStockInBillsA;\n"
                                              "truncate tmp_KX_MRP_LastStockInBillsA;\n"
                                              "call KX_MRP_UndoInnerTransBills(%1, %2);\n")
                                   .arg(dateArg, merge)
                               + QLatin1String(kMatchNewLines));
            progress.ShowPosition(round, 0);
            if (Count(connection, QStringLiteral("select count(*) from tmp_KX_MRP_Inventory where InvDone=0 and InvQty>InvInQty")) == 0)
                break;
        }
        progress.CheckAbort();
        if (run.Money) {
            progress.ShowText(QStringLiteral("正在计算入库单价, 请稍候..."));
            connection.Execute(QStringLiteral("call KX_MRP_GetLastStockInPrice()"));
        }
        progress.ShowText(QStringLiteral("正在计算库龄, 请稍候..."));
        connection.Execute(AgeLinesSQL(run));
        progress.CheckAbort();
        connection.Execute(SummaryRowsSQL(run));
        connection.Execute(SummaryValuesSQL(run));
        if (s.PlanScheme > 0) {
            progress.CheckAbort();
            connection.Execute(PlanDateSQL(run));
        }
        progress.ShowText(QStringLiteral("正在追溯源需求, 请稍候..."));
        TQuery types(&connection);
        types.SQL = QStringLiteral("select distinct BillOrdType from tmp_KX_MRP_LastStockInBillsB where BillOkQty>0 and BillOrdType in (2, 4, 22, 24, 26, 28)"
                                   " and coalesce(BillOrdID, '')<>'' order by 1");
        types.Open();
        for (; !types.Eof(); types.Next()) {
            progress.CheckAbort();
            const int type = types.Fields(0).AsInteger();
            if (run.TraceRefused.contains(type)) {
                ShowError(QStringLiteral("访问信息对象\"%1\"受到限制!").arg(run.TraceRefused.value(type)));
                return false;
            }
            if (run.TraceSQL.contains(type))
                connection.Execute(run.TraceSQL.value(type));
        }
    }
    progress.CheckAbort();
    progress.ShowText(QStringLiteral("正在保存库龄分析结果, 请稍候..."));
    StoreResults(connection, run);
    connection.Execute(QStringLiteral("drop table if exists tmp_KX_MRP_Inventory, tmp_KX_MRP_LastStockInBillsA, "
                                      "tmp_KX_MRP_LastStockInBillsB, tmp_KX_MRP_InvAgeMain"));
    return true;
}

void DeleteInvAgeRuns(TConnection& connection, int schIID, const QString& userID)
{
    TTransaction tran(connection);
    connection.Execute(QStringLiteral("delete from KX_MRP_InvAgeScheme where SchIID=%1 or SchUsrID=%2 and SchTime<localtimestamp-interval '7 days';\n"
                                      "delete from KX_MRP_InvAgeMain as m where not exists (select 1 from KX_MRP_InvAgeScheme as s where s.SchIID=m.AgeSchIID);\n"
                                      "delete from KX_MRP_InvAgeDetail as d where not exists (select 1 from KX_MRP_InvAgeScheme as s where s.SchIID=d.AgeSchIID)")
                           .arg(schIID)
                           .arg(QuotedStr(userID)));
    tran.Commit();
}

QStringList InvAgeFilterKinds()
{
    return {QStringLiteral("往来单位"),       QStringLiteral("源订单号"),       QStringLiteral("源需求单号"),
            QStringLiteral("源需求客户"),     QStringLiteral("源需求客户单号"), QStringLiteral("源需求物料代码"),
            QStringLiteral("源需求物料名称"), QStringLiteral("源需求物料规格")};
}

QString InvAgeDetailCondition(int kind, const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return QString();
    const QString pattern = QuotedStr(QLatin1Char('%') + t + QLatin1Char('%'));
    switch (kind) {
    case afkSupply:
        return QStringLiteral("d.AgeSupply like ") + pattern;
    case afkOrdNo:
        return QStringLiteral("d.AgeOrdNo like ") + pattern;
    case afkOrigNo:
        return QStringLiteral("d.AgeOrigNo like ") + pattern;
    case afkOrigCust:
        return QStringLiteral("d.AgeOrigCustID in (select CustID from KX_Base_Customer where CustName like %1)").arg(pattern);
    case afkOrigCustPO:
        return QStringLiteral("d.AgeOrigCustPO like ") + pattern;
    case afkOrigItemNo:
    case afkOrigItemName:
    case afkOrigItemSpec: {
        const char* column = kind == afkOrigItemNo ? "ItmNo" : kind == afkOrigItemName ? "ItmName" : "ItmSpec";
        return QStringLiteral("d.AgeOrigItmID in (select ItmID from KX_Base_ItemMaster where %1 like %2)").arg(QLatin1String(column), pattern);
    }
    default:
        return QString();
    }
}

QString InvAgeMainSQL(int schIID, const QString& detailCondition)
{
    QString sql = QStringLiteral(
                      "select a.*, i.ItmNo, i.ItmName, i.ItmSpec, i.ItmTypeName, u.UntName, k.StkName, p.StpName,"
                      " pe.EmpName as PlannerName, be.EmpName as BuyerName\n"
                      "  from KX_MRP_InvAgeMain as a\n"
                      "  join KX_Base_ItemMaster as i on i.ItmID=a.AgeItmID\n"
                      "  left join KX_Base_Unit as u on u.UntID=i.ItmUnitID\n"
                      "  left join KX_Base_Stock as k on k.StkID=a.AgeStkID\n"
                      "  left join KX_Base_StockPlace as p on p.StpID=a.AgeStpID\n"
                      "  left join KX_MRP_ItemSetting as t on t.ItmID=a.AgeItmID\n"
                      "  left join KX_Base_Employee as pe on pe.EmpID=t.ItmPlannerID\n"
                      "  left join KX_Base_Employee as be on be.EmpID=t.ItmBuyerID\n"
                      " where a.AgeSchIID=%1")
                      .arg(schIID);
    if (!detailCondition.isEmpty())
        sql += QStringLiteral(" and exists (select 1 from KX_MRP_InvAgeDetail as d where d.AgeSchIID=a.AgeSchIID and d.AgeIID=a.AgeIID and %1)")
                   .arg(detailCondition);
    return sql + QStringLiteral("\n order by i.ItmNo, a.AgeBatch, k.StkName, p.StpName");
}

QString InvAgeDetailSQL(int schIID, int ageIID, const QString& detailCondition)
{
    QString sql = QStringLiteral(
                      "select d.*, k.StkName, p.StpName, c.CustName as OrigCustName, oi.ItmNo as OrigItmNo, oi.ItmName as OrigItmName,"
                      " oi.ItmSpec as OrigItmSpec\n"
                      "  from KX_MRP_InvAgeDetail as d\n"
                      "  left join KX_Base_Stock as k on k.StkID=d.AgeStkID\n"
                      "  left join KX_Base_StockPlace as p on p.StpID=d.AgeStpID\n"
                      "  left join KX_Base_Customer as c on c.CustID=d.AgeOrigCustID\n"
                      "  left join KX_Base_ItemMaster as oi on oi.ItmID=d.AgeOrigItmID\n"
                      " where d.AgeSchIID=%1")
                      .arg(schIID);
    if (ageIID >= 0)
        sql += QStringLiteral(" and d.AgeIID=%1").arg(ageIID);
    if (!detailCondition.isEmpty())
        sql += QStringLiteral(" and ") + detailCondition;
    return sql + QStringLiteral("\n order by d.AgeIID, d.AgeBillDate, d.AgeBillTypID, d.AgeBillNo, d.AgeBillEntry");
}

QString StockInBillTables()
{
    QString sql;
    for (const char* table : {"tmp_KX_MRP_LastStockInBillsA", "tmp_KX_MRP_LastStockInBillsB"})
        sql += QStringLiteral("drop table if exists %1;\ncreate temp table %1 (%2);\n").arg(QLatin1String(table), QLatin1String(kStockInBillColumns));
    return sql;
}

QString InvAgeMainTable()
{
    QStringList groups;
    for (int k = 1; k <= kMaxAgeGroups; ++k)
        groups << QStringLiteral("AgeQty%1 numeric(28,8), AgeAmt%1 numeric(28,8)").arg(k);
    return QStringLiteral(
               "drop table if exists tmp_KX_MRP_InvAgeMain;\n"
               "create temp table tmp_KX_MRP_InvAgeMain (AgeIID integer generated by default as identity primary key,"
               " AgeItmID varchar(50) not null, AgeItmProps varchar(100) not null default '', %1, AgeBatch varchar(80),"
               " AgeStkID varchar(50), AgeStpID varchar(50), AgeGroupType smallint, AgeGroupNo varchar(100), AgePrice numeric(28,8),"
               " AgeQty numeric(28,8) not null default 0, AgeAmt numeric(28,8), AgeInQty numeric(28,8) not null default 0,"
               " AgeInAmt numeric(28,8), AgeInDate timestamp(3), AgeDays numeric(22,2), AgeOutDate timestamp(3),"
               " AgePlanDate timestamp(3), %2);\n")
        .arg(PropList(QStringLiteral("AgeItmProp"), QStringLiteral("%1 varchar(80)")), groups.join(QStringLiteral(", ")));
}

} // namespace kx
