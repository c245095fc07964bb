// Issue loss rates: a single percentage or a progressive table of segments by standard
// usage, stored as one short text ("10|100:2%|1000:1%+"), and the loss they add to a usage.
#pragma once

#include <QList>
#include <QString>

namespace kx {

class TQuery;

enum TLossSegmentType { lstPercent = 0, lstSmooth = 1, lstFixed = 2 };

struct TLossSegment {
    double Bound = 0;             // upper bound of standard usage; 0: any usage (first) or no limit (last)
    TLossSegmentType Type = lstPercent;
    double Value = 0;             // a percentage, or a fixed loss quantity
};

// Formula mode: true for "issue = usage / (1 - rate/100)", false for "issue = usage * (1 + rate/100)".
// Read from KX_MRP_LossRateType on first use and kept for the process.
bool GetLossRateType();
// Sets the mode without asking the database (the engine reads it per run; tests choose it).
void SetLossRateType(bool divide);

double PercentToLossQty(double rate, double usage);
double LossQtyToPercent(double lossQty, double usage);
// Loss quantity of a loss-rate text for a usage; an empty text takes the default rate.
double CalcLossQty(const QString& text, double defaultRate, double usage);

// The segments of a text, read leniently: unreadable numbers count as 0 (the rule of the
// stored texts; input is checked with CheckLossRateText first).
QList<TLossSegment> ParseLossRate(const QString& text);
// Strict reading of typed input: empty when the text is a valid loss-rate text, else the
// reason ("损耗率文本(%s)格式无效!" style messages).
QString CheckLossRateText(const QString& text);

// A fault found in a segment table, as the editing dialog reports it.
struct TLossRateFault {
    int Row = -1;                 // -1: no fault
    int Column = 0;               // 0 standard usage, 1 type, 2 loss value
    QString Message;
};
// Checks the rows in order and, when they are valid, writes the text (fault.Row == -1).
TLossRateFault WriteLossRate(const QList<TLossSegment>& rows, bool divide, QString& text);
// The description of row i in the dialog's column "分段说明".
QString LossSegmentDescription(const QList<TLossSegment>& rows, int i);

} // namespace kx
