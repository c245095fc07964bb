// The records of one level of the MRP run: the level's demands, their dated details, the
// existing supplies of the level's items, allocations, substitutes and planned supplies.
#pragma once

#include "db/strutils.h"
#include "masterdata/planperiods.h"
#include "masterdata/workcalendar.h"

#include <QMap>

#include <QDate>
#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace kx {

class TSentAhead;

// Positions of rows by their row number. The run numbers its rows densely from 1, so a
// vector holds them; -1 for a number not held.
class TIndexOfIID {
public:
    void Insert(int iid, int index)
    {
        if (iid < 0)
            return;
        if (size_t(iid) >= FIndex.size())
            FIndex.resize(std::max(size_t(iid) + 1, FIndex.size() * 3 / 2), -1);
        FIndex[size_t(iid)] = index;
    }
    int Value(int iid) const { return iid >= 0 && size_t(iid) < FIndex.size() ? FIndex[size_t(iid)] : -1; }

private:
    std::vector<int> FIndex;
};

constexpr int kItemProps = 10;  // property columns of an item

struct TMRPDemandRec {
    int DmdRecNo = 0;             // read position
    int DmdIID = 0;
    int DmdPriority = 0;
    int DmdBillType = 0;
    QString DmdBillNo;
    int DmdBillEntry = 0;
    int DmdOrigType = 0;
    QString DmdOrigID, DmdOrigNo;
    int DmdOrigEntry = 0;
    QString DmdOrigItmID, DmdOrigCustID, DmdOrigCustPO, DmdOrigTag, DmdOrigSubTag;
    qint64 DmdOrigDate = 0;       // day number; all equal unless demands are ordered by origin date
    bool DmdBomLocked = false;
    int DmdBomType = 0;
    QString DmdBomID;
    QString DmdItemKey;
    double DmdInvQty = 0, DmdMOQty = 0, DmdOOQty = 0, DmdPOQty = 0, DmdMRQty = 0, DmdORQty = 0, DmdPRQty = 0;
    double DmdChkQty = 0, DmdPChkQty = 0, DmdGrpxQty = 0, DmdReplQty = 0, DmdPPPQty1 = 0, DmdPPPQty2 = 0;
    int DmdPDmdIID1 = 0;
    QString DmdPDmdIID2;
    double DmdQty = 0;            // what is still uncovered
    double DmdReadQty = 0;        // the quantity as the row came in
    QString DmdHints;
    QDate DmdDate;
    bool DmdWholeDay = true;      // the row's date has no time of day
    int DmdPeriod = 0;
    bool DmdDateMoved = false;
    QString DmdNote;
    int DmdSupType = 0;           // kind of planned supply it asks for
    QString DmdSupDept;           // department (made) or supplier (bought, outsourced) of that supply
    int DmdPreLeadTime = 0;       // the parent's preparation days
    QString DmdTrackKey;
    int DmdItmIndex = 0;
    int DmdRplBegin = 0, DmdRplEnd = 0;   // the demand's substitutes
    QString DmdDeptID;
};

struct TMRPSupplyRec {
    int SupIID = 0;
    QDate SupDate;
    int SupBillType = 0;
    int SupOrigType = 0;
    QString SupOrigID;
    int SupOrigEntry = 0;
    QString SupOrigCustID, SupOrigTag;
    double SupChkQty = 0, SupAllotQty = 0, SupAGrpxQty = 0, SupAReplQty = 0, SupRestQty = 0;
    bool SupBomLocked = false;
    int SupBomType = 0;
    QString SupBomID;
    QString SupHints;
    int SupRestPeriod = -1;
    int SupPostLeadTime = 0;
    bool SupAlloted = false;
    QString SupItemKey;
};

struct TMRPDemandDetailRec {
    int DtlDmdRec = 0;            // index of the demand
    int DtlPeriod = 0;
    qint64 DtlDate = 0;           // day number
    double DtlQty = 0;
};

struct TMRPAllotRec {
    int AltPeriod = 0;
    int AltTrackLevel = 0;        // the pass: 2 same origin line, 1 same origin, 0 any
    bool AltGroupX = false;
    bool AltReplace = false;
    int AltDtlIndex = 0;
    int AltSupIndex = 0;
    QDate AltDate;
    int AltAdjDays = 0;
    double AltQty = 0;            // on the supply side
    double AltChkQty = 0;
    double AltReplQty = 0;        // a substitute's quantity on the demand side
};

struct TMRPSubItemsRec {
    int SubDmdIID = 0;
    QString SubKey;
    double SubQty = 1, SubRQty = 1;
    bool SubReplace = false;
};

// Planning settings of an item key.
struct TMRPItemSumRec {
    QString ItmID, ItmProps;
    QString ItmProp[kItemProps];
    int ItmGroupType = 0;
    QString ItmGroupNo;
    double ItmMinQty = 0, ItmLotQty = 0, ItmMaxQty = 0;
    int ItmFixLeadTime = 0, ItmVarLeadTime = 0;
    double ItmVarLeadLot = 0;
    int ItmPostLeadTime = 0;
    bool ItmPutInteger = false;
    int ItmDecimal = 4;
    int ItmSupBegin = 0, ItmSupEnd = 0;   // range of the item key's supplies
};

// A planner's change of an earlier run that this run applies again.
struct TMRPPlanAdjustRec {
    bool Adjust = false;
    int AdjSupType = 0;
    int AdjBomType = 0;
    QString AdjBomID;
    double AdjQty = 0;
};

// One planned supply in the making.
struct TMRPPlannedRec {
    int Demand = 0;               // first demand it serves
    int Kind = 0;
    QString Dept;
    int BomType = 0;
    QString BomID;
    bool BomLocked = false;
    QString TrackKey;
    QMap<int, double> PeriodQty;
    QList<QPair<int, double>> Parents;     // demand IID, quantity
    double Surplus = 0;
    qint64 LastDate = -1;
    qint64 FirstDate = 0;
    int FirstPeriod = 0;
    double Total = 0;
    TMRPPlanAdjustRec Adjust;
    int OldKind = 0;
    QString OldBomID;
};

class TMRPRun;
class TCopyRows;

inline qint64 Day(const QDate& d)
{
    return DateToDayNumber(d);
}


// Plans one level of the run (mrplevel.cpp reads and allocates, mrpplanned.cpp forms the
// planned supplies and writes the level back).
class TMRPLevel {
public:
    TMRPLevel(TMRPRun& run, int level);
    void Run();
    // The supplies the level read and left without any quantity allotted, after Run.
    std::vector<int> UnusedReadSupplies() const;

private:
    // whenRead runs once every row is in, before they are put in order.
    void ReadDemands(const std::function<void()>& whenRead);
    QString SupplySelect() const;
    void ReadSupplies(TSentAhead& select);
    void ReadSubstitutes();
    void ReadAdjustments();
    void MakeDetails();
    void Allocate();
    bool Matches(const TMRPDemandRec& d, const TMRPSupplyRec& s, int pass) const;
    void AllocateStep(int dtlIndex, int supIndex, int pass, const TMRPSubItemsRec* sub);
    void PlanSupplies();
    void WriteBack();
    void WritePlanned();
    int PeriodOf(const QDate& d) const { return PeriodOfDate(FPeriods, d); }

    TMRPRun& R;
    int FLevel;
    const TPlanPeriods& FPeriods;
    std::vector<TMRPDemandRec> Dmd;
    std::vector<TMRPItemSumRec> Items;
    QHash<QString, int> ItemOfKey;
    std::vector<TMRPSupplyRec> Sup;
    QHash<QString, QPair<int, int>> SupOfKey;     // item key -> range in Sup
    std::vector<TMRPSubItemsRec> Subs;
    std::vector<TMRPDemandDetailRec> Dtl;
    std::vector<int> Order;                       // details in allocation order
    std::vector<TMRPAllotRec> Allots;
    QHash<QString, TMRPPlanAdjustRec> Adjusts;    // item key + tracking key
    TIndexOfIID DmdOfIID;
    std::vector<int> ByItem;                      // details with the item first
    std::vector<TMRPPlannedRec> Planned;
    // Departments and suppliers of an item's planned kinds, for a kept change of kind.
    struct TKindDepts { QString PO, MO, OO; };
    std::vector<TKindDepts> ItemDepts;
};

} // namespace kx
