// A product forecast bill as its editor holds it: the head, the lines, the rules of editing
// a line (inherited customer and date, item and customer look-ups, the two quantities kept in
// step), the checks before saving and the save through the host's bill service. Widget-free:
// the forecast editor shows it, tests drive it directly.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace kx {

class IERPAccess;
class TConnection;

struct TForcastLine {
    int ForEntry = 0;                     // the stored line number; -1 for a line added in the editor; 0 untouched
    QString ItmID, ItmNo, ItmName, ItmSpec;
    QString ItmProps;
    QStringList Props{QStringList(10, QString())};
    QString PropMask;                     // "1" for each property the item uses
    QString CustID, CustName;
    QString UntID, UntName, ItmUntName;
    double UntFactor = 1;
    QVariant UQty;                        // "数量", in the line's unit; null when empty
    QVariant Qty;                         // "数量(基本)", in the item's base unit
    QDate DelivDate;
    QString Note, OrigTag, OrigSubTag;
    int GroupType = 0;
    QString GroupNo;

    bool IsEmpty() const { return ForEntry == 0 && ItmNo.isEmpty() && ItmID.isEmpty(); }
};

struct TForcastHead {
    QString ForID;                        // empty for a new bill
    QString ForNo;
    QDate ForDate;
    QString Creater, Checker;
    QDateTime CheckDate;
    bool Checked = false;
    QString Stamp;                        // the stored bill as read, to tell whether another user changed it
};

// A fault found by the checks: the message, the line (-1: the head) and the field to focus.
struct TForcastFault {
    QString Message;
    int Line = -1;
    QString Field;
    bool Failed() const { return !Message.isEmpty(); }
};

// The captions the checks name.
QString ForcastFieldCaption(const QString& field);

class TForcastBill {
public:
    TForcastHead Head;
    QList<TForcastLine> Lines;

    // Reads the bill through the object's statement; a new, empty bill for an empty ID.
    // False when a bill of that ID cannot be read (it is gone). Raises EKxError when the
    // statement cannot be composed or fails.
    bool Load(TConnection& connection, const QString& billID);

    // A line is first edited: it becomes a line of the bill with MRP group 0 and takes the
    // customer and the delivery date from the nearest line above that has them, else below.
    void StartLine(int row);
    // The item number typed into a line: the item's names, production unit, factor and
    // property mask; the base quantity follows; properties the item does not use are
    // cleared. False (item cleared, the text kept) when there is no such enabled item.
    bool SetItemNo(TConnection& connection, int row, const QString& itemNo);
    // The customer typed (its name or number): the first match. False when none.
    bool SetCustomer(TConnection& connection, int row, const QString& text);
    // Each quantity follows the other through the unit's factor; a 0 or empty one empties both.
    void SetUnitQty(int row, const QVariant& value);
    void SetBaseQty(int row, const QVariant& value);
    // Whether a line's cell may be edited: the group number only in an MRP group, property n
    // only where the item uses it.
    bool CellEditable(int row, const QString& field) const;

    // The checks before saving, in their order, with the properties of each line resolved
    // into their key. maxRows: the most lines the bill service takes (0: no limit).
    TForcastFault Check(TConnection& connection, int maxRows);
    // Checks and stores the bill through the host's bill service, asking when its number is
    // taken and telling when another was given. On success Head.ForID and ForNo are the
    // stored bill's. False after a fault or a failure has been shown.
    bool Save(TConnection& connection, IERPAccess* access, TForcastFault& fault);

    // The stored bill's fingerprint (empty when it does not exist).
    static QString StoredStamp(TConnection& connection, const QString& billID);
};

} // namespace kx
