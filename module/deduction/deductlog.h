// The deduction bookkeeping beside the automatic run: lines excluded from (or readmitted to)
// automatic deduction, log rows cleared with the quantities they had added, and the rules
// that join the log to the lines' extension rows.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace kx {

class TConnection;

// The kinds of bill line that take part in deduction, by their bill type code.
enum TDeductBillKind { dkSO = 2, dkSI = 4, dkForcast = 8 };

// Column prefix ("SO", "SI", "For"), extension table and bill view of a kind.
QString DeductPrefix(TDeductBillKind kind);
QString DeductExtTable(TDeductBillKind kind);
QString DeductBillView(TDeductBillKind kind);

struct TBillLineKey {
    QString ID;
    int Entry = 0;
};

// Sets (true) or clears the exclusion from automatic deduction of bill lines of one kind;
// a line without an extension row gets one with the line's item. Lines that no longer exist
// are left out. One statement text, sent as a whole.
void SetAutoDeductExcluded(TConnection& connection, TDeductBillKind kind, const QList<TBillLineKey>& lines, bool excluded);

// Deletes the log rows and takes their quantities back from both sides' extension rows,
// automatic and manual apart, in one transaction. Returns the number of rows deleted.
int ClearDeductions(TConnection& connection, const QList<int>& dedIIDs);

// Where the log and the extension rows disagree: a line whose automatic or manual total is
// not the sum of its log rows, or whose deducted quantities pass what it can give. One text
// per fault, empty when the bookkeeping is sound.
QStringList CheckDeductionRules(TConnection& connection);

} // namespace kx
