// Main demand of a plan scheme: gathering it from sales orders, export orders and
// forecasts, copying it from another scheme, and writing picked or imported lines. Every
// path builds the new set in tmp_KX_MRP_Main and replaces the scheme's KX_MRP_Main rows in
// one final batch together with the state update.
#pragma once

#include "engine/planscheme.h"

#include <QList>
#include <QVariant>

namespace kx {

enum TMRPMainImportType {
    itSelectSO, itSelectSI, itSelectForcast, itSelectMO, itSelectMR, itSelectOO, itSelectOR,
    itImportSOorForcast, itImportMOorOO, itImportFreeNeed, itMRPMain, itMRPSupplies,
};

enum TMPSOverwriteType { wtInsertOrUpdate, wtOverwriteAll };

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

// Writes chosen or imported lines as the scheme's main demand: with wtInsertOrUpdate the
// scheme's other lines (not of the same bill lines) stay.
[[nodiscard]] bool SaveMainDemandLines(TPlanScheme& scheme, const QList<TMainDemandLine>& lines, TMPSOverwriteType writeType,
                                       IEngineProgress& progress);

} // namespace kx
