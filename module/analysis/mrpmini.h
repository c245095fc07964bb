// The kit analysis and the production shortage analysis without widgets: the private plan
// scheme of an analysis frame, its options as the view scheme keeps them, the demand lines
// picked from business bills, the checks of the settings dialogs and the main demand and
// scheme parameters that the quick MRP run works on.
#pragma once

#include "engine/maindemand.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace kx {

class IEngineProgress;
class TConnection;
class TPlanScheme;
class TQuery;

// The two analyses; the number is the private scheme's SchType.
enum TMiniKind { mkKit = 1, mkLack = 2 };

// "投料单据" of the shortage analysis.
enum TLackBills { lbChosen = 0, lbOrdersAll = 1, lbMOOnly = 2, lbOOOnly = 3 };

// The options of a run (page " 参数(&2) " of the settings dialogs).
struct TMiniOptions {
    int TrackMode = 0;                    // "跟踪合并(&H):"
    bool ItemTrack = false;               // "考虑物料的计划跟踪合并参数(&I)"
    bool CareLoss = true;                 // "考虑BOM损耗率(&B)"
    bool CareLot = false;                 // "考虑供应批量规则(&O)"
    bool CareSafety = false;              // "考虑安全库存(&S)"
    bool OtherOut = false;                // "考虑目标需求之外的预计出库量(&W)"
    bool GrossOnly = false;               // "主需求自身只计算毛需求(&A)"
    int Replace = 0;                      // "物料替代(&R):"
    int Suites = 0;                       // "齐套计算(&T):"
    bool OneLevel = false;                // "仅展开单级物料清单(&D)"
    int LackBills = lbChosen;             // shortage analysis: "投料单据(&T):"
    bool AllDates = true;                 // "全部(&A)", else "截止交货日期(&D):"
    QDate DelivDate;
    bool CurrentBom = false;              // shortage analysis: the orders' material from their BOM as it is now
    QString Filters;                      // "参与范围": the user's conditions on the objects the run reads
};

TMiniOptions ReadMiniOptions(const QString& params);
QString WriteMiniOptions(const QString& params, const TMiniOptions& options);
// The demand scope of the options: main demand with its own lines gross or net, the other
// outgoing stock of the same items or not, the BOMs one level or all levels deep.
int NeedScopeOf(const TMiniOptions& options);

// Texts of the analysis kind: caption, status text of the run.
QString MiniCaption(TMiniKind kind);
QString MiniRunText(TMiniKind kind);

// A demand line as the settings grids show it: the main-demand line and what is shown beside.
struct TMiniLine {
    TMainDemandLine Line;
    int Priority = 0;
    QString TypeName;                     // of Line.BillType ("MrpBillType")
    QString CustName;
    QString ItemNo, ItemName, ItemSpec;
    QString UnitName;                     // the item's base unit
    QString DeptName;                     // production department or processor (shortage)
    double PlanQty = 0;                   // shortage: the order's open quantity
    QDate DelivDate;                      // shortage: the order line's due date
};

// The open lines of a business bill object (2, 4, 8, 22 or 24 of "MrpBillType") that may take
// part in MRP, through the host's statement of the object and the extra condition; the date
// of a production or outsourcing line is its draw date. False when the object may not be read
// or the statement failed (shown).
bool ReadMiniLines(TQuery& query, int billType, const QString& where, QList<TMiniLine>& lines);
// The condition of ReadMiniLines for the lines of the bills numbered.
QString MiniBillNoCondition(int billType, const QStringList& billNos);

// Indexes of the lines dated before today.
QList<int> LinesBeforeToday(const QList<TMiniLine>& lines, const QDate& today);
// The refusal for the first line that repeats an earlier one (same bill type, bill and line),
// empty when none does.
QString DuplicateLineMessage(const QList<TMiniLine>& lines, TMiniKind kind);
// "发现存在需求日期早于今天的主需求行, 统一自动修正为今天?" and its shortage twin.
QString PastDateQuestion(TMiniKind kind);
// The checks of the lines before a run: lines dated before today move to today when
// moveToToday, asked with their indexes, agrees; then the refusal of a line that occurs twice
// (empty when none does).
QString CheckMiniLines(QList<TMiniLine>& lines, TMiniKind kind, const QDate& today,
                       const std::function<bool(const QList<int>& past)>& moveToToday);

// The private scheme of a frame: a new unnamed scheme of the kind owned by the user.
int CreateMiniScheme(TConnection& connection, TMiniKind kind, const QString& userID);
// Deletes the frame's scheme and the user's schemes of the kind created more than 7 days ago,
// and every result row whose scheme no longer exists.
void DeleteMiniSchemes(TConnection& connection, int schemeIID, TMiniKind kind, const QString& userID);

// Writes the options and the lines into the scheme: its parameters (calendar, weekly periods
// from this week's Monday to two weeks past the latest line, demand scope and switches, the
// order conditions of the shortage analysis) and its main demand. False on failure (shown).
bool SaveMiniDemand(TPlanScheme& scheme, TMiniKind kind, const TMiniOptions& options, const QList<TMiniLine>& lines,
                    const QDate& today, IEngineProgress& progress);
// The answer of a run at a glance: for the kit analysis every main-demand line with its need,
// kit-complete and short quantities; for the shortage analysis every material line of the
// chosen orders that stock does not cover, with what is missing. Columns named by the captions.
QString MiniSummarySQL(TMiniKind kind, int schemeIID);
QStringList MiniSummaryCaptions(TMiniKind kind);
// The first of the summary's columns that hold quantities (the rest of the row).
int MiniSummaryNumbersFrom(TMiniKind kind);

// The conditions of a shortage analysis' run: the user's, with the orders whose material it
// looks at (the chosen lines, one kind of order or all, up to a last due date) among the open
// orders, and the material lines and scrap replacements of those orders only, unless the other
// open issues count too; with the current BOM the orders' own material lines stay out.
QString LackFilters(const TMiniOptions& options, const QList<TMiniLine>& lines);

} // namespace kx
