// The rows of the output view without widgets: the still releasable planned supplies of one
// scheme (level 0) with, on demand, the substitutes that may take their place (level 1), and
// the editing rules that keep their quantities consistent. The output view shows them, the
// release and `kxmrp release` work on them.
#pragma once

#include "masterdata/planperiods.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QVariant>

#include <vector>

namespace kx {

class TConnection;

// What the rows are loaded with: the header options of the output view.
struct TMRPOutputFilter {
    int SchemeIID = 0;
    int PlanType = 0;             // 0 all, 1 "MRP生产", 2 "MRP委外", 3 "MRP采购"
    int EndPeriod = -1;           // last period whose quantities are proposed; -1 all
    int SuppDef = 0;              // default supplier: 0 item settings, 1 lowest price, 2 latest order
    bool ItemSubs = false;        // rows tell whether they have substitutes
    bool RefPOQty = false;        // history purchase and issue quantities from RefDate on
    bool RefUseQty = false;
    QDate RefDate;
    QString Filter;               // the view's own condition on the supplies ("s")
    QString OrderBy;              // the view's sort; empty: type, item number, date, supply
    int MaxRows = 0;              // the host's row limit; 0 none
    int OutsourcingType = 0;      // destination of planned outsourcing (24 or 36); 0: read the setting
};

struct TMRPOutputRow {
    int Level = 0;                // 0 a planned supply, 1 one of its substitutes
    int Parent = -1;              // the level-0 row of a substitute
    QList<int> Children;          // substitute rows, once loaded
    bool ChildrenLoaded = false;
    bool HasSubs = false;         // substitutes are offered for the item
    bool Checked = false;

    int SupIID = 0;
    int Period = 0;               // the plan period of its due date
    int SupBillType = 0;          // 42, 52, 58
    int DestType = 0;             // 22, 24 or 36, 38
    QString BillNo;
    QString ItmID, ItmNo, ItmName, ItmSpec, ItmProps;
    QString ItmProp[10];
    QString UnitName;             // the item's stock unit
    QString DeptID, DeptName;     // supply unit: workshop or supplier
    QString DeptText;             // what was typed when it matched nothing
    QString CurID;                // the supplier's currency
    QDate BillDate, DrawDate, Date, OldDate;

    int OrigType = 0;
    QString OrigID, OrigNo;
    int OrigEntry = 0;
    QString OrigItmID, OrigItmNo, OrigItmName, OrigItmSpec;
    QString OrigCustID, OrigCust, OrigCustPO, OrigTag, OrigSubTag;
    int GroupType = 0;
    QString GroupNo;
    QString PDmdIIDs, TrackKey, Hints;

    int BomType = 0;
    QString BomID, BomNo;

    double Qty = 0;               // planned (a substitute: the most that may replace)
    double DestQty = 0;           // released
    double DoDestQty = 0;         // proposed for release
    double DoDestQtyU = 0;        // the same in the destination unit
    double UnDestQty = 0;         // left after the proposal
    QString DestUnitID, DestUnitName;
    double DestUnitRate = 1;
    QVariant RefPOQty, RefUseQty;
    QString Dester;
    QDateTime DestTime;
    QString Note;

    QString PlannerID, Planner, BuyerID, Buyer;
    double MinQty = 0, LotQty = 0, VarLeadLot = 0;
    int FixLeadTime = 0, VarLeadTime = 0;

    // The parent's own proposal before its substitutes took their share of it.
    double BaseDoDestQty = 0;

    // A substitute: the demand it serves, and how much of the replaced item one unit of it
    // stands for (SubQty of the item is exchanged for SubRQty of the substitute).
    int DmdIID = 0;
    double SubQty = 1, SubRQty = 1;
    bool SubUsed = false;         // the run or an earlier release used it
    int SubSeqNo = 0;

    // The replaced quantity of the parent's item that a substitute quantity stands for.
    double ParentQtyOf(double qty) const;
};

class TMRPOutputList {
public:
    std::vector<TMRPOutputRow> Rows;
    QList<int> TopRows;           // level-0 rows in display order
    TPlanPeriods Periods;         // the scheme's periods of its last run
    TMRPOutputFilter Filter;

    // Replaces the rows by those of the filter. Raises EDatabaseError.
    void Load(TConnection& connection, const TMRPOutputFilter& filter);
    // The substitute rows of a level-0 row, loaded once.
    void LoadSubstitutes(TConnection& connection, int row);

    // The proposed quantity of a level-0 row: its planned quantity, or with an end period
    // its quantities up to that period, less what was released; never below 0.
    double ProposedQty(const TMRPOutputRow& row) const;
    // Period index -> quantity of a row's hints (its whole quantity in its due period when
    // it has none).
    QMap<int, double> PeriodQuantities(const TMRPOutputRow& row) const;

    // Edits, each keeping UnDestQty = Qty - DestQty - DoDestQty and DoDestQtyU = DoDestQty /
    // DestUnitRate; a substitute's edit recomputes its parent's proposal.
    void SetDoDestQty(int row, double qty);
    void SetDoDestQtyU(int row, double qtyU);
    // A new destination type looks up the supply unit and destination unit again.
    void SetDestType(TConnection& connection, int row, int destType);
    // A typed supply unit, by number or name among enabled workshops or suppliers; an
    // unknown text leaves the ID empty (the release reports it).
    void SetDeptText(TConnection& connection, int row, const QString& text);
    // A typed BOM number of the row's item; an unknown number leaves the BOM empty.
    void SetBomText(TConnection& connection, int row, const QString& text);
    // Checks or clears a row with its children.
    void SetChecked(int row, bool checked);
    void SetAllChecked(bool checked);
    int CheckedCount() const;

    // After a release: the released quantity of a row is added to what it has released and
    // taken off its proposal; a row is cleared when nothing positive is left to propose.
    void ApplyReleased(int row, double qty, const QString& dester, const QDateTime& time);

private:
    void RecomputeParent(int parent);
};

// Recomputes UnDestQty and DoDestQtyU from the other quantities.
void RecomputeOutputRow(TMRPOutputRow& row);

// Captions of destination and plan types from the "MrpBillType" enumeration.
QString MrpBillTypeText(int type);

} // namespace kx
