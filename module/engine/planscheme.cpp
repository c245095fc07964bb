#include "engine/planscheme.h"

#include "db/messages.h"
#include "db/quote.h"
#include "db/shared.h"
#include "db/sqlrun.h"
#include "engine/schemestamp.h"

#include <algorithm>

namespace kx {

namespace {

// Entries of DataFilters are joined by two private-use characters.
const QString kFilterSeparator = QString(QChar(0xF8F5)) + QChar(0xF8F5);

QString FilterEntryPrefix(const QString& objectID)
{
    return QLatin1Char('[') + objectID + QLatin1String("]=");
}

TPlanPeriods ReadPeriods(const TQuery& q, const char* column)
{
    TPlanPeriods periods;
    TextToPlanPeriods(q.FieldByName(QLatin1String(column)).AsString(), periods);
    return periods;
}

QDateTime ReadTime(const TQuery& q, const char* column)
{
    const TField f = q.FieldByName(QLatin1String(column));
    return f.IsNull() ? QDateTime() : f.AsDateTime();
}

} // namespace

TPlanScheme::TPlanScheme(TConnection* connection, int planType) : PlanType(planType), FPublicQuery(connection) {}

void TPlanScheme::ReadRow(const TQuery& q)
{
    SchemeName = q.FieldByName(QStringLiteral("SchName")).AsString();
    PlanCalIID = q.FieldByName(QStringLiteral("SchCalIID")).AsInteger();
    PlanPeriods = ReadPeriods(q, "SchPeriods");
    PlanSource = q.FieldByName(QStringLiteral("SchMpsSource")).AsInteger();
    PlanNeedScope = q.FieldByName(QStringLiteral("SchNeedScope")).AsInteger();
    CareItemSafety = q.FieldByName(QStringLiteral("SchCareSafety")).AsInteger();
    CareItemReplace = q.FieldByName(QStringLiteral("SchCareReplace")).AsInteger();
    CareItemSuites = q.FieldByName(QStringLiteral("SchCareSuites")).AsInteger();
    CareMRPTrackMode = q.FieldByName(QStringLiteral("SchTrackMode")).AsInteger();
    CareItemMRPTrack = q.FieldByName(QStringLiteral("SchItemTrack")).AsInteger() != 0;
    CareItemLossRate = q.FieldByName(QStringLiteral("SchCareLoss")).AsInteger() != 0;
    CareItemLotRule = q.FieldByName(QStringLiteral("SchCareLot")).AsInteger() != 0;
    DataFilters = q.FieldByName(QStringLiteral("SchFilters")).AsString();
    PlanState = q.FieldByName(QStringLiteral("SchState")).AsInteger();
    Creater = q.FieldByName(QStringLiteral("UsrName")).AsString();
    CreateTime = ReadTime(q, "SchNewTime");
    UpdateTime = ReadTime(q, "SchUpdTime");
    MpsCalIID = q.FieldByName(QStringLiteral("SchMpsCalIID")).AsInteger();
    MpsPeriods = ReadPeriods(q, "SchMpsPeriods");
    MpsRunTime = ReadTime(q, "SchMpsRunTime");
    MpsUpdTime = ReadTime(q, "SchMpsUpdTime");
    MrpCalIID = q.FieldByName(QStringLiteral("SchMrpCalIID")).AsInteger();
    MrpPeriods = ReadPeriods(q, "SchMrpPeriods");
    MrpRunTime = ReadTime(q, "SchMrpRunTime");
    MrpUpdTime = ReadTime(q, "SchMrpUpdTime");
    ReleaseTime = ReadTime(q, "SchRelTime");
}

bool TPlanScheme::Load(int schemeIID)
{
    TQuery& q = FPublicQuery;
    if (!RunSQL(q, QStringLiteral("select s.*, UsrName from KX_MRP_Schemes as s left join KX_SYS_Users on SchUsrID=UsrID "
                                  "where SchIID=%1 and SchType=%2").arg(SQLInt(schemeIID), SQLInt(PlanType)),
                true)
        || q.IsEmpty())
        return false;
    SchemeIID = schemeIID;
    ReadRow(q);
    return true;
}

bool TPlanScheme::LoadState(bool showError)
{
    TQuery& q = FPublicQuery;
    if (!RunSQL(q, QStringLiteral("select SchState, SchNewTime, SchUpdTime, SchMpsRunTime, SchMpsUpdTime, SchMrpRunTime, "
                                  "SchMrpUpdTime, SchRelTime from KX_MRP_Schemes where SchIID=%1 and SchType=%2")
                       .arg(SQLInt(SchemeIID), SQLInt(PlanType)),
                true, showError)
        || q.IsEmpty())
        return false;
    PlanState = q.FieldByName(QStringLiteral("SchState")).AsInteger();
    CreateTime = ReadTime(q, "SchNewTime");
    UpdateTime = ReadTime(q, "SchUpdTime");
    MpsRunTime = ReadTime(q, "SchMpsRunTime");
    MpsUpdTime = ReadTime(q, "SchMpsUpdTime");
    MrpRunTime = ReadTime(q, "SchMrpRunTime");
    MrpUpdTime = ReadTime(q, "SchMrpUpdTime");
    ReleaseTime = ReadTime(q, "SchRelTime");
    return true;
}

bool TPlanScheme::CheckState()
{
    const int seen = PlanState;
    if (LoadState() && PlanState == seen)
        return true;
    ShowError(SchemeChangedText(SchemeName));
    return false;
}

bool TPlanScheme::Save()
{
    const QString params = QStringLiteral("%1, %2, %3, %4, %5, %6, %7, %8, %9")
                               .arg(SQLInt(PlanType), QuotedStr(SchemeName), SQLInt(PlanCalIID), QuotedStr(PlanPeriodsToText(PlanPeriods)),
                                    SQLInt(PlanSource), SQLInt(PlanNeedScope), SQLInt(CareItemSafety), SQLInt(CareItemReplace),
                                    SQLInt(CareItemSuites));
    const QString switches = QStringLiteral("%1, %2, %3, %4, %5")
                                 .arg(SQLInt(CareMRPTrackMode), SQLInt(CareItemMRPTrack), SQLInt(CareItemLossRate),
                                      SQLInt(CareItemLotRule), QuotedStr(DataFilters));
    QString sql;
    if (SchemeIID == 0) {
        sql = QStringLiteral("insert into KX_MRP_Schemes (SchType, SchName, SchCalIID, SchPeriods, SchMpsSource, SchNeedScope, "
                             "SchCareSafety, SchCareReplace, SchCareSuites, SchTrackMode, SchItemTrack, SchCareLoss, SchCareLot, "
                             "SchFilters, SchUsrID, SchState, SchNewTime, SchUpdTime) values (%1, %2, %3, %4, localtimestamp, "
                             "localtimestamp) returning SchIID as \"IID\", SchNewTime as \"Time\"")
                  .arg(params, switches, QuotedStr(EnvUserID()), SQLInt(PlanState));
    } else {
        sql = QStringLiteral("update KX_MRP_Schemes set (SchType, SchName, SchCalIID, SchPeriods, SchMpsSource, SchNeedScope, "
                             "SchCareSafety, SchCareReplace, SchCareSuites, SchTrackMode, SchItemTrack, SchCareLoss, SchCareLot, "
                             "SchFilters) = (%1, %2), SchState=%3, SchUpdTime=localtimestamp, SchMaxTime=localtimestamp "
                             "where SchIID=%4 returning SchIID as \"IID\", SchUpdTime as \"Time\"")
                  .arg(params, switches, SQLInt(PlanState), SQLInt(SchemeIID));
    }
    TQuery& q = FPublicQuery;
    if (!RunSQL(q, sql, true) || q.IsEmpty())
        return false;
    if (SchemeIID == 0) {
        SchemeIID = q.FieldByName(QStringLiteral("IID")).AsInteger();
        CreateTime = q.FieldByName(QStringLiteral("Time")).AsDateTime();
        UpdateTime = CreateTime;
        Creater = EnvUserName();
    } else {
        UpdateTime = q.FieldByName(QStringLiteral("Time")).AsDateTime();
    }
    return true;
}

QString TPlanScheme::PlanStateText(int state)
{
    static const char* const kTexts[] = {
        "待获取主需求数据", "方案参数有变, 需重取主需求", "主需求就绪, 可以运算MRP", "主需求有变, 需重新运算MRP",
        "方案参数有变, 需重新运算MRP", "MRP结果有变, 需重新运算MRP", "MRP运算完成", "计划方案已取消发布",
        "计划方案已发布", "计划方案已有投放", "计划方案已关闭投放",
    };
    return state >= 0 && state <= 10 ? QString::fromUtf8(kTexts[state]) : QString();
}

QString TPlanScheme::GetPlanStateText() const
{
    return SchemeIID == 0 ? QString() : PlanStateText(PlanState);
}

QString TPlanScheme::Caption() const
{
    return SchemeName.isEmpty() ? AnalysisCaption(PlanType) : SchemeName;
}

QString TPlanScheme::AnalysisCaption(int planType)
{
    switch (planType) {
    case 1: return QStringLiteral("物料配套分析");
    case 2: return QStringLiteral("生产缺料分析");
    default: return QString();
    }
}

QString FilterOf(const QString& filters, const QString& objectID)
{
    const QString prefix = FilterEntryPrefix(objectID);
    for (const QString& entry : filters.split(kFilterSeparator))
        if (entry.startsWith(prefix, Qt::CaseInsensitive))
            return entry.mid(prefix.size());
    return QString();
}

QString WithFilter(const QString& filters, const QString& objectID, const QString& condition)
{
    const QString prefix = FilterEntryPrefix(objectID);
    QStringList entries = filters.isEmpty() ? QStringList() : filters.split(kFilterSeparator);
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&](const QString& e) { return e.startsWith(prefix, Qt::CaseInsensitive) || e.isEmpty(); }),
                  entries.end());
    if (!condition.isEmpty())
        entries << prefix + condition;
    return entries.join(kFilterSeparator);
}

QString TPlanScheme::DataFilter(const QString& objectID) const
{
    return FilterOf(DataFilters, objectID);
}

void TPlanScheme::SetDataFilter(const QString& objectID, const QString& condition)
{
    DataFilters = WithFilter(DataFilters, objectID, condition);
}

TSchemeParams TSchemeParams::Of(const TPlanScheme& s)
{
    TSchemeParams p;
    p.Source = s.PlanSource;
    p.Periods = PlanPeriodsToText(s.PlanPeriods);
    p.NeedScope = s.PlanNeedScope;
    p.CareSafety = s.CareItemSafety;
    p.CareReplace = s.CareItemReplace;
    p.CareSuites = s.CareItemSuites;
    p.TrackMode = s.CareMRPTrackMode;
    p.ItemTrack = s.CareItemMRPTrack;
    p.CareLoss = s.CareItemLossRate;
    p.CareLot = s.CareItemLotRule;
    p.Filters = s.DataFilters;
    return p;
}

int DeriveSavedState(bool isNew, int state, const TSchemeParams& before, const TSchemeParams& after)
{
    if (isNew)
        return after.Source == srcImport ? psMPSReady : psNeedMPS;
    // Main-demand parameters: the source, the periods, and the conditions of the bills the
    // source reads.
    auto conditionChanged = [&](const char* id) {
        return FilterOf(before.Filters, QLatin1String(id)) != FilterOf(after.Filters, QLatin1String(id));
    };
    const bool readsForcast = after.Source == srcForcastAndOrders || after.Source == srcForcast;
    const bool readsOrders = after.Source == srcForcastAndOrders || after.Source == srcOrders;
    const bool mainChanged = before.Source != after.Source || before.Periods != after.Periods
        || (readsForcast && conditionChanged("KX_MRP.Forcast"))
        || (readsOrders && (conditionChanged("KX_MRP.SO") || conditionChanged("KX_MRP.SI")));
    const bool mrpChanged = before.NeedScope != after.NeedScope || before.CareSafety != after.CareSafety
        || before.CareReplace != after.CareReplace || before.CareSuites != after.CareSuites
        || before.TrackMode != after.TrackMode || before.ItemTrack != after.ItemTrack || before.CareLoss != after.CareLoss
        || before.CareLot != after.CareLot || before.Filters != after.Filters;
    if (mainChanged) {
        if (after.Source != srcImport)
            return state > psNeedMPS ? psParamsChangedMPS : state;
        // An imported main demand is not fetched again: a changed import scheme is ready
        // to run, or, once it has run, asks for a new run.
        return state <= psMPSReady ? psMPSReady : psParamsChangedMRP;
    }
    if (mrpChanged && state > psMPSReady)
        return psParamsChangedMRP;
    return state;
}

void CopySchemeData(TConnection& connection, int newIID, int sourceIID, bool mainOnly, const QString& billTypes)
{
    const QString to = SQLInt(newIID);
    const QString from = SQLInt(sourceIID);
    // Each table's columns after the scheme column, in the order of the table.
    auto copy = [&](const QString& table, const QString& schemeColumn, const QString& select = QString(),
                    const QString& extra = QString()) {
        TQuery q(&connection);
        q.SQL = QStringLiteral("select string_agg(column_name, ', ' order by ordinal_position) from information_schema.columns "
                               "where table_schema=current_schema() and table_name=%1 and column_name<>%2")
                    .arg(QuotedStr(table.toLower()), QuotedStr(schemeColumn.toLower()));
        q.Open();
        const QString columns = q.Fields(0).AsString();
        connection.Execute(QStringLiteral("insert into %1 (%2, %3) select %4, %5 from %1 where %2=%6%7")
                               .arg(table, schemeColumn, columns, to, select.isEmpty() ? columns : select, from, extra));
    };
    copy(QStringLiteral("KX_MRP_Main"), QStringLiteral("ManSchIID"), QString(),
         billTypes.isEmpty() ? QString() : QStringLiteral(" and ManBillType in (%1)").arg(billTypes));
    if (mainOnly)
        return;
    copy(QStringLiteral("KX_MRP_Demands"), QStringLiteral("DmdSchIID"));
    // The copy releases nothing: the release columns start empty.
    TQuery q(&connection);
    q.SQL = QStringLiteral("select string_agg(case when column_name in ('supdestqty', 'supdester', 'supdesttime') then 'null' "
                           "else column_name end, ', ' order by ordinal_position) from information_schema.columns "
                           "where table_schema=current_schema() and table_name='kx_mrp_supplies' and column_name<>'supschiid'");
    q.Open();
    copy(QStringLiteral("KX_MRP_Supplies"), QStringLiteral("SupSchIID"), q.Fields(0).AsString());
    copy(QStringLiteral("KX_MRP_SupAdjusts"), QStringLiteral("AdjSchIID"));
    copy(QStringLiteral("KX_MRP_Allots"), QStringLiteral("AltSchIID"));
    copy(QStringLiteral("KX_MRP_Balance"), QStringLiteral("BalSchIID"));
    copy(QStringLiteral("KX_MRP_RunLog"), QStringLiteral("LogSchIID"));
}

} // namespace kx
