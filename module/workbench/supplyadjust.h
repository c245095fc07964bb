// The planner's changes to the planned supplies of a run: a planned purchase, production or
// outsourcing supply may take another of these types, another BOM and another quantity. Each
// change is recorded against the supply's values before its first change, so that a later run
// can keep it, and the balance of the supply's item is corrected with it. The supplies view
// and "kxmrp supplies" both work through these functions.
#pragma once

#include "engine/planscheme.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace kx {

class TConnection;

// The planned types a supply can be given, in the order the type editor offers them.
inline constexpr int kAdjustableSupplyTypes[] = {btPlanPO, btPlanMO, btPlanOO};
bool IsAdjustableSupplyType(int type);

// The plan types a supplies list is chosen by: their captions in order, and the bill types each
// shows (while editing only the planned types among them).
const QStringList& SupplyPlanTypeCaptions();
QList<int> SupplyPlanTypeBillTypes(int planType, bool editing);
constexpr int kSupplyPlanTypeAll = 9;

// Fields of a supply line in the supplies view; the functions below name them in faults.
namespace sf {
inline const QString BillType = QStringLiteral("SupBillType");
inline const QString BomNo = QStringLiteral("BomNo");
inline const QString Qty = QStringLiteral("SupQty");
inline const QString AdjQty = QStringLiteral("SupAdjQty");
inline const QString DestQty = QStringLiteral("SupDestQty");
} // namespace sf

// One supply line as it is edited.
struct TSupplyLine {
    int SupIID = 0;
    QString BillNo;
    QString ItmID;
    QString ItmProps;
    QDate DrawDate;                   // the day the BOM must be valid on
    int BillType = 0;
    int BomType = 0;
    QString BomID;
    QString BomNo;
    double BillQty = 0;               // what the run planned
    double AdjQty = 0;                // the planner's difference: Qty = BillQty + AdjQty
    double Qty = 0;
    double AllotQty = 0;              // given to the parent demands
    double RestQty = 0;               // Qty - AllotQty; may go below 0 (a warning, not a fault)
    double DestQty = 0;               // released to ERP bills
    QString Hints;                    // the quantity per plan period
    QString PHints;                   // the run's distribution, which a new quantity is spread by

    // The supply as it was read: another session's change meanwhile refuses the save.
    int SeenType = 0;
    QString SeenBomID;
    double SeenQty = 0;

    // The adjustment record: the type, BOM and adjustment quantity before the first change, and
    // whether the change still has to be carried into the lower levels by a run.
    bool HasAdjust = false;
    int AdjOldType = 0;
    QString AdjOldBomID;
    double AdjOldQty = 0;
    bool AdjPending = false;
};

// Whether a line differs from the supply as it was read (type, BOM or quantity): only such
// lines are saved.
bool SupplyLineChanged(const TSupplyLine& line);

// A refused value: the field it concerns and the message (one of the shared field-check texts,
// or the refusal of a released supply). Empty when the value was taken.
struct TSupplyFault {
    QString Field;
    QString Message;
    int Line = -1;                    // the line of a save's list
    bool IsEmpty() const { return Message.isEmpty(); }
};

// Each change first records the line's values before its first change (when it has no
// adjustment record yet), then recomputes the pending flag.
//
// A new type: purchase clears the BOM; production and outsourcing take the item's default BOM
// at the draw date (none found: no BOM). A type other than planned purchase, production or
// outsourcing is refused with "[类型]的值(%s)无效!", as is any change of a line of another kind.
[[nodiscard]] TSupplyFault ChangeSupplyType(TConnection& connection, TSupplyLine& line, int type);
// A typed BOM number: empty clears the BOM; otherwise the item's BOM of that number valid at
// the draw date, or "[BOM单]的值(%s)不存在!" and the line keeps its BOM.
[[nodiscard]] TSupplyFault ChangeSupplyBom(TConnection& connection, TSupplyLine& line, const QString& bomNo);
// A new plan quantity: the adjustment is its difference to the bill quantity, the rest what
// is not allotted, the hints the run's distribution brought to the new quantity.
void ChangeSupplyQty(TSupplyLine& line, double qty);
// A new adjustment: the plan quantity follows, then as ChangeSupplyQty.
void ChangeSupplyAdjQty(TSupplyLine& line, double adjQty);

// The run's distribution (hints) brought to a new total: what is added goes to the earliest
// period, what is taken away comes from the latest periods first. Empty when at most one period
// keeps quantity (the whole quantity then belongs to the supply's own period).
QString SpreadSupplyHints(const QString& runHints, double qty);

// What a save found worth telling the planner about.
struct TSupplySaveNotes {
    bool Pending = false;             // a parent's BOM or quantity changed: the lower levels need a run
    bool MissingBom = false;          // a made (not purchased) supply without BOM
    bool NegativeRest = false;        // a supply planned below what is allotted of it
    bool Any() const { return Pending || MissingBom || NegativeRest; }
    // "数据保存完成。" and the lines that apply.
    QString Text() const;
};

struct TSupplySaveResult {
    bool Saved = false;
    TSupplyFault Fault;               // the first faulty line; nothing was written
    TSupplySaveNotes Notes;
};

// Stores the changed lines: each line's adjustment record, balance correction and supply row,
// then the scheme's change time, and state 5 ("MRP结果有变, 需重新运算MRP") when a saved line is
// pending, all in one transaction under the scheme's lock (another session holding it: its
// refusal, nothing written). Before anything is written every line
// is checked (a plan quantity below 0, a type that cannot be planned, a released supply give the
// fault) and the scheme must be as it was loaded (state, run and change times), else
// "计划方案[%s]最新状态已被改变, 不能执行本操作!". A failed write is shown with
// "保存过程中出现意外错误, 操作被中止!" and leaves everything as it was. On success the scheme's
// state is read again.
[[nodiscard]] TSupplySaveResult SaveSupplyAdjustments(TConnection& connection, TPlanScheme& scheme,
                                                      const QList<TSupplyLine>& lines);

// The columns a statement gives for a line (after "select "), over KX_MRP_Supplies as s, the
// BOM head as b and the adjustment record as j, named as SupplyLineOf reads them.
QString SupplyLineColumns();
// A line from the values of a row of those columns (a query row or a grid record).
TSupplyLine SupplyLineOf(const std::function<QVariant(const QString&)>& value);

// Reads planned supplies of a scheme as lines to edit: those of the given identities, or every
// planned purchase, production and outsourcing supply when the list is empty.
QList<TSupplyLine> ReadSupplyLines(TConnection& connection, int schemeIID, const QList<int>& supIIDs = {});

} // namespace kx
