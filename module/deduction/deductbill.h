// The deduction of one bill line by hand: the line (a forecast, sales or export order line)
// as the root, its deductions with counterpart lines as children, the counterparts a user may
// add, the checks before saving and the save itself. Widget-free; the deduction view shows it.
#pragma once

#include "deduction/deductlog.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace kx {

class TConnection;

// One bill line as the deduction sees it: what it is, what it can give and what it gave.
struct TDeductLine {
    TDeductBillKind Kind = dkForcast;
    QString BillID;
    int Entry = 0;
    QString BillNo;
    QString ItmID, ItmProps, ItmNo, ItmName, ItmSpec, UntName, BomNo, OrigTag;
    QString PlanItmID;                    // the item this line's item is planned under, if any
    QStringList ItmPropValues;            // ItmProp1 .. ItmProp10
    QString CustID, CustName, CustPO, DeptName;
    QDate NeedDate, BillDate;
    double BillQty = 0;
    double ExeQty = 0;                    // delivered (orders), taken over by orders made from it (forecasts)
    double DedAQty = 0;                   // the line's deducted totals as stored
    double DedMQty = 0;
    // The bill line changed its item after it was deducted, or is gone: it cannot take part.
    bool DedError = false;

    // As a counterpart of the root: its log row with the root (none for a line just added).
    int DedIID = 0;
    bool Manual = true;
    double OldQty = 0;                    // the quantity of that log row as loaded
    double Qty = 0;                       // "本次冲销数": the quantity the save records
    QString DedUsrName;
    QDateTime DedTime;

    // What a line can give to deduction: a forecast what is still open, an order its quantity.
    double Capacity() const { return Kind == dkForcast ? BillQty - ExeQty : BillQty; }
    double LeftQty() const { return Capacity() - DedAQty - DedMQty; }
    // "产品预测" ..., and "FC2611-001/1".
    QString KindName() const;
    QString LineText() const;
};

// Which items a counterpart may have: the root's and those planned under it (or the one
// the root is planned under), the root's only, or any.
enum TDeductItemScope { disSameAndPlan = 0, disSame = 1, disAll = 2 };

struct TDeductPickOptions {
    TDeductItemScope Scope = disSameAndPlan;
    bool DiffCustom = false;              // counterparts of other customers too
    QString Condition;                    // the user's condition on the counterpart's object
    QDate ClosedFrom;                     // closed orders are offered when due on or after it
};

// A fault found before saving: the message and the child it concerns (-1: the root).
struct TDeductFault {
    QString Message;
    int Child = -1;
    bool Failed() const { return !Message.isEmpty(); }
};

class TDeductBill {
public:
    TDeductLine Root;
    QList<TDeductLine> Children;

    bool HasRoot() const { return !Root.BillID.isEmpty(); }
    // Reads the line and its deductions through the objects' statements. False when the line
    // cannot be read (it is gone, or the user may not see it). Raises EKxError when a
    // statement cannot be composed or fails.
    bool Load(TConnection& connection, TDeductBillKind kind, const QString& billID, int entry);
    // The kinds of counterpart the root takes: orders for a forecast, forecasts for an order.
    bool TakesKind(TDeductBillKind kind) const;

    // The picker's statement of the open lines of a kind that may be added as counterparts,
    // without those already among the children; columns "[...]" shown, "#..." hidden.
    QString PickSQL(TDeductBillKind kind, const TDeductPickOptions& options) const;
    // The picker's statement of the approved lines of a kind, any of which may be a root.
    static QString RootPickSQL(TDeductBillKind kind, const QString& condition);
    // Reads lines of a kind by key and adds them as new manual counterparts, each proposing
    // what both it and the root still have open. A line outside the item scope is refused
    // with its message, and nothing is added. Returns the number added.
    int AddCounterparts(TConnection& connection, TDeductBillKind kind, const QList<TBillLineKey>& keys,
                        const TDeductPickOptions& options, QString& refusal);
    // Whether a line's item lies within the root's item scope.
    bool InScope(const TDeductLine& line, TDeductItemScope scope) const;

    // The most a counterpart may take by hand: what it can give less its manual deductions
    // with other lines (its automatic ones give way, newest first).
    static double MaxManualQty(const TDeductLine& child);
    // The checks before saving, in their order; the first fault found.
    TDeductFault Check(const TDeductPickOptions& options) const;
    // Writes the root's deductions in one transaction: the root's old log rows and what they
    // had added are taken back, the children's rows written anew, and where a manual quantity
    // leaves a counterpart over-deducted its automatic deductions with other lines are taken
    // back, newest first. Raises EKxError (nothing written) when a statement fails or another
    // user's deductions meanwhile leave a line over-deducted.
    void Save(TConnection& connection, const QString& userID) const;

private:
    QList<TDeductLine> ReadLines(TConnection& connection, const QString& sql, TDeductBillKind kind) const;
    static double DeductedTotal(TConnection& connection, const TDeductLine& line);
    static void TakeBackAutoDeductions(TConnection& connection, const TDeductLine& line, const QString& user);
};

// The select list of a bill line of a kind, every column under its common name (BillID,
// BillEntry, BillNo, ItmID ... DedError), over the object's statement.
QString DeductLineFields(TDeductBillKind kind);
QString DeductObjectID(TDeductBillKind kind);

} // namespace kx
