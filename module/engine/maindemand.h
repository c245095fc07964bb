// Main demand of a plan scheme: gathering it from sales orders, export orders and
// forecasts, copying it from another scheme, and writing picked or imported lines. Every
// path builds the new set in tmp_KX_MRP_Main and replaces the scheme's KX_MRP_Main rows in
// one final batch together with the state update.
#pragma once

#include "engine/planscheme.h"
#include "engine/schemelock.h"
#include "engine/schemestamp.h"

#include <QList>
#include <QVariant>

namespace kx {

enum TMRPMainImportType {
    itSelectSO, itSelectSI, itSelectForcast, itSelectMO, itSelectMR, itSelectOO, itSelectOR,
    itImportSOorForcast, itImportMOorOO, itImportFreeNeed, itMRPMain, itMRPSupplies,
};

enum TMPSOverwriteType { wtInsertOrUpdate, wtOverwriteAll };

// A scheme held by an operation that rewrites its main demand, for the operation's duration:
// the scheme's lock, and its row as the operation found it, which the final replacement
// checks (ReplaceMainDemand). Raises EKxError naming the holder when another session holds
// the scheme, and when the scheme is published or beyond, where main demand is read-only.
class TMainDemandHold {
public:
    TMainDemandHold(TPlanScheme& scheme, const QString& operation);
    const TSchemeStamp& Stamp() const { return FStamp; }

private:
    TSchemeLock FLock;
    TSchemeStamp FStamp;
};

// (Re)creates tmp_KX_MRP_Main on the connection, without index: it is filled in bulk first.
void CreateMainTempTable(TConnection& connection);
// Indexes the filled tmp_KX_MRP_Main by bill line, for the statements that match lines to it.
void IndexMainTempTable(TConnection& connection);

// Re-maps the hints of the rows a query returns (IID, QtySum, QtyHints) from one period list
// to another and writes them into the named table ("update <table> set ManHints=... where
// ManIID=...").
void RemapMainHints(TConnection& connection, const QString& rowsSQL, const TPlanPeriods& from, const TPlanPeriods& to,
                    const QString& table);

// The statements that replace the scheme's main demand with tmp_KX_MRP_Main and set the
// state (2, or 3 once MRP has run) with the given main-demand columns.
QString MainReplaceBatch(const TPlanScheme& scheme, const QString& schemeColumns);
// Sends a replacement of the scheme's main demand in one transaction that first checks the
// scheme is as the hold found it (raising ESchemeChanged otherwise).
void ReplaceMainDemand(TConnection& connection, const TPlanScheme& scheme, const TMainDemandHold& hold, const QString& batch);

// Copies another scheme's main demand (see TPlanScheme::CopyMPS).
[[nodiscard]] bool CopyMPS(TPlanScheme& scheme, int sourceIID, TMPSOverwriteType writeType, bool takePeriods,
                           IEngineProgress& progress);

// One main-demand line chosen by the user or read from a file, ready to be inserted.
struct TMainDemandLine {
    int BillType = btFreeNeed;
    QString BillID, BillNo;
    int BillEntry = 0;
    QDateTime BillDate;
    double BillQty = 0;
    QString SuppID, DeptID;
    int OrigType = 0;
    QString OrigID, OrigNo;
    int OrigEntry = 0;
    QString OrigItmID, OrigCustID, OrigCustPO, OrigTag, OrigSubTag;
    int GroupType = 0;
    QString GroupNo;
    QDate Date;
    QString ItmID, ItmProps;
    QString ItmProp[10];
    int BomType = 0;
    QString BomID;
    double ExeQty = 0, DedQty = 0, NeedQty = 0, AdjQty = 0, Qty = 0;
    QString Note, Hints;
};

// The periods chosen or imported lines take their period in: those of the current main
// demand, or the scheme's own when none was fetched yet.
const TPlanPeriods& MainLinePeriods(const TPlanScheme& scheme);

// Writes chosen or imported lines as the scheme's main demand: with wtInsertOrUpdate the
// scheme's other lines (not of the same bill lines) stay. Holds the scheme itself unless the
// caller holds it already (an import, from before it read its rows).
[[nodiscard]] bool SaveMainDemandLines(TPlanScheme& scheme, const QList<TMainDemandLine>& lines, TMPSOverwriteType writeType,
                                       IEngineProgress& progress, const TMainDemandHold* hold = nullptr);

} // namespace kx
