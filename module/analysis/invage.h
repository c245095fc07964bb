// Inventory aging without widgets: the settings of an analysis as its view scheme keeps them,
// their checks, the run that matches the stock against its most recent stock-in lines and
// stores the results, and the statements that read the stored results back.
#pragma once

#include <QDate>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace kx {

class IEngineProgress;
class TConnection;
class TQuery;

constexpr int kMaxAgeGroups = 20;

// An age group: stock aged Offset to Offset + Days - 1 days; Days 0 for the open last group.
struct TAgeGroup {
    QString Name;
    int Offset = 0;
    int Days = 0;
};

// The groups of a list of intervals: one per interval ("%d - %d天") and the open group
// after them ("%d天以上"); no group for an empty list.
QList<TAgeGroup> MakeAgeGroups(const QList<int>& intervals);
// "[AgeGroups]": intervals separated by "|"; unreadable parts read as 0.
QList<int> ParseAgeIntervals(const QString& text);
QString AgeIntervalsText(const QList<int>& intervals);

// "库龄统计" of a summary row over its matched stock-in lines.
enum TAgeStatistic { asWeighted = 0, asMaximum = 1, asMinimum = 2 };

struct TInvAgeSettings {
    bool StockNow = false;                // "[InvType]" 1: "即时库存"; 0: "截止日期库存"
    QDate InvDate;                        // "[InvDate]"
    bool AllStocks = true;                // "[AllStocks]"
    QStringList Stocks;                   // "[SelStocks]"
    QList<int> Intervals;                 // "[AgeGroups]"
    int AgeType = asWeighted;             // "[AgeType]"
    int PlanScheme = 0;                   // "[PlanScheme]": reference plan scheme, 0 none
    QString PlanSchemeText;               // "{PlanScheme}"
    bool MergeBatch = true;               // "[MergeBatch]", "[MergeStock]", "[MergePlace]", "[MergeTrack]"
    bool MergeStock = true;
    bool MergePlace = true;
    bool MergeTrack = true;
    QString Criteria;                     // "{Criteria}": the data condition as SQL
    QString CriteriaCode;                 // "[Criteria]": the filter dialog's own form of it
};

// The settings of a parameter text; missing entries take their defaults (cut-off yesterday).
TInvAgeSettings ReadInvAgeSettings(const QString& params, const QDate& today);
// The parameter text with the settings written into it.
QString WriteInvAgeSettings(const QString& params, const TInvAgeSettings& settings);
// The day whose closing stock is aged: today for the stock now.
QDate InvAgeCutOff(const TInvAgeSettings& settings, const QDate& today);

// The checks of the settings dialog's OK, in order; the refusal's text, empty when the
// settings may run. Reads the reference scheme when one is chosen.
QString CheckInvAgeSettings(TQuery& query, const TInvAgeSettings& settings, const QDate& today);
// The warehouse IDs of a scheme's "[KX_MRP.Stocks]" filter, such as "('A','B')".
QStringList StockIDsOfFilter(const QString& filter);

// The list of the settings dialog: warehouses that are neither virtual nor disabled.
QString InvAgeStocksSQL();
// The reference plan schemes the user may use: own ones and those published to the user or a
// group of the user's, run at least to the given state.
QString InvAgeSchemesSQL(const QString& userID, const QString& userGroups);

// One run of the analysis: what it needs and, in SchIID, its stored run.
struct TInvAgeRun {
    TInvAgeSettings Settings;
    QDate Today;
    QString UserID;
    bool Money = false;                   // the user holds "Money": prices and amounts
    QStringList AllStocks;                // the warehouses of "all"
    // Source trace per order type (2, 4, 22, 24, 26, 28): the update statement, or the
    // caption of the type when the user may not read its object.
    QMap<int, QString> TraceSQL;
    QMap<int, QString> TraceRefused;
    int SchIID = 0;                       // the view's run row; 0 until the first run stores one
    int MainRows = 0;                     // summary rows stored by the run
    int DetailRows = 0;
};

// The warehouse condition and the data condition of the run, for the aging procedures.
QString InvAgeCondition(const TInvAgeRun& run);
// Composes the source-trace statements through the host's object definitions.
void PrepareInvAgeTrace(TInvAgeRun& run);
// Runs the analysis on the connection and replaces the run's stored results in one
// transaction. Raises EAbort on a confirmed Esc and EKxError (shown by the caller) on a failed
// step; a source order the user may not read stops the run with its message (false).
bool RunInvAgeAnalysis(TConnection& connection, TInvAgeRun& run, IEngineProgress& progress);
// Deletes the run row and every run of the user older than 7 days, with their rows.
void DeleteInvAgeRuns(TConnection& connection, int schIID, const QString& userID);

// Detail filter of the view ("显示入库单满足").
enum TInvAgeFilterKind {
    afkSupply = 0,                        // "往来单位"
    afkOrdNo,                             // "源订单号"
    afkOrigNo,                            // "源需求单号"
    afkOrigCust,                          // "源需求客户"
    afkOrigCustPO,                        // "源需求客户单号"
    afkOrigItemNo,                        // "源需求物料代码"
    afkOrigItemName,                      // "源需求物料名称"
    afkOrigItemSpec,                      // "源需求物料规格"
};
QStringList InvAgeFilterKinds();
// The condition on a detail row "d" for a kind and the text it must contain; empty for no text.
QString InvAgeDetailCondition(int kind, const QString& text);

// The summary rows of a run with their names, the filter keeping rows with a matching detail.
QString InvAgeMainSQL(int schIID, const QString& detailCondition);
// The matched stock-in lines of one summary row (or of all rows for ageIID < 0).
QString InvAgeDetailSQL(int schIID, int ageIID, const QString& detailCondition);

} // namespace kx
