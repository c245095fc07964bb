// Editing a scheme's main demand, without widgets: the period cells of a line (what each
// period shows, typing a quantity into one, moving the whole quantity by double-click), the
// checks of a free demand line, the statements that store the edited lines, and the batch
// adjustment of delivery periods. The main-demand view binds these to its grid; tests and
// kxmrp call them directly.
#pragma once

#include "engine/hints.h"
#include "engine/mainimport.h"
#include "masterdata/planperiods.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>

namespace kx {

class TConnection;
class TPlanScheme;

inline const QString kMainObjectID = QStringLiteral("KX_MRP.MRP.Main");

// The quantities and distribution of one main-demand line.
struct TMainLineQty {
    QDate Date;                   // need date: its period is the line's own period
    double NeedQty = 0;
    double AdjQty = 0;
    double Qty = 0;
    QString Hints;
};

// The quantity a line shows in a period: without hints all of it in its own period, with
// hints the share of that period.
double PeriodCellQty(const TMainLineQty& line, const TPlanPeriods& periods, int period);
// "1,234.5": empty for zero, a leading "-" for a negative quantity.
QString PeriodCellText(double qty);
// Typing text into a period cell: empty counts as 0; text that is no number, or a negative
// number, is ignored (false). The line's quantity follows the period's new share and the
// adjustment follows the quantity.
bool TypePeriodQty(TMainLineQty& line, const TPlanPeriods& periods, int period, const QString& text);
// Double-click (or space) on a period cell: when at most one period holds the quantity and
// the clicked one holds none, the whole quantity moves there (back to the own period: the
// hints are emptied). False when nothing moved.
bool MovePeriodQty(TMainLineQty& line, const TPlanPeriods& periods, int period);

// The batch adjustment of delivery periods: the line's distribution after moving it to the
// target period; only the periods before the target with onlyEarlier. False when unchanged.
bool AdjustLineToPeriod(TMainLineQty& line, const TPlanPeriods& periods, int target, bool onlyEarlier);

// One line of the view as its save reads and writes it.
struct TMainLine {
    int IID = 0;                  // 0: a new line
    int BillType = 12;
    int Priority = 0;
    QString ItmID, ItmNo, ItmProps, PropMask;
    QString ItmProp[10];
    int BomType = 0;
    QString BomID;
    QString BomNo;                // as typed or picked; the save resolves it on a free line
    QString OrigTag, OrigSubTag;
    int GroupType = 0;
    QString GroupNo;
    QString Note;
    TMainLineQty Q;
};

// The fault of a line found by the save's checks: the field to focus and the message.
struct TMainLineFault {
    QString Field;
    QString Message;
    bool IsFault() const { return !Field.isEmpty(); }
};

// Checks a changed free line in the order the save takes, and completes it: the item's
// identity and property key resolved, the BOM number resolved among the item's BOMs valid on
// the need date (none named: no BOM), the group number cleared for group type 0 (and copied
// into the tag when the tag column is hidden). caption gives a field's column caption.
TMainLineFault CheckFreeLine(TConnection& connection, TMainLine& line, const TPlanPeriods& periods,
                             const std::function<QString(const QString& field)>& caption, bool tagHidden);

// The item a code names on a free line (enabled items only): identity, name, specification,
// unit, planner, buyer and property mask. False when there is none.
struct TMainItem {
    QString ItmID, ItmName, ItmSpec, UntName, Planner, Buyer, PropMask;
};
bool FindMainItem(TConnection& connection, const QString& itemNo, TMainItem& item);

// The statements of a save: deleting the listed lines, then one statement per changed line
// (insert for a new line, the full update for a free line, priority/quantities/hints/note for
// the others), then the scheme's state and main-demand time.
QString MainDeleteSQL(int schemeIID, const QList<int>& deleted);
QString MainLineSaveSQL(int schemeIID, const TMainLine& line, const TPlanPeriods& periods);
QString MainStateSQL(int schemeIID);
// Sends the statements in one transaction: all lines or none. Raises the database error.
void SaveMainLines(TConnection& connection, int schemeIID, const QList<int>& deleted, const QStringList& statements);

// Batch adjustment of the scheme's lines (all, or the listed identities) to a target period;
// writes the changed hints and the state in one transaction. Returns the lines changed.
int AdjustMainToPeriod(TConnection& connection, const TPlanScheme& scheme, const QList<int>& lines, int target, bool onlyEarlier,
                       IEngineProgress& progress);

// The columns a delivery-adjustment file carries besides one "[period caption]" column per
// plan period.
QStringList DeliveryImportFields();
// Imports delivery adjustments: each row's per-period quantities are spread over the
// scheme's matching lines in order, each line taking at most its plan quantity. Rows with
// faults are reported and skipped. Returns the lines changed; raises on a database error.
int ImportDeliveryAdjustments(TConnection& connection, const TPlanScheme& scheme, const TTableFile& table,
                              IEngineProgress& progress, QList<TImportIssue>& issues);

// The display caption of a plan period in a period column: "前期", "后期", "12/07" for a day,
// "12/07-12/13" for longer.
QString PeriodColumnCaption(const TPlanPeriods& periods, int index);

} // namespace kx
