// The MRP run of one plan scheme, step by step: run tables on the scheme's connection, the
// starting data, low-level codes, the levels (netting, planned supplies, BOM explosion), the
// balance, kit quantities, the result check and the save. Private to the engine.
#pragma once

#include "engine/planscheme.h"
#include "engine/schemestamp.h"
#include "masterdata/workcalendar.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kx {

class TConnection;
class IEngineProgress;

// Log kinds of the run log.
enum TRunLogKind { rlStep = 1, rlWarning = 2, rlError = 3 };

// A demand row as its level read it, for the kit quantities.
struct TDemandAsRead {
    bool Read = false;
    bool SuitSkip = false;        // its item is left out of kit quantities
    int BillType = 0, Level = -1, PSupIID = 0;
    double NeedQty = 0, BillQty = 0;
};

// What one level's netting found for a demand; written once, after the last level.
struct TDemandResult {
    bool Set = false;
    // Nothing was allotted to the demand and its date, quantity and hints are those it came in
    // with: its saved row is the row itself, with zero allotted.
    bool AsItCame = false;
    int Period = 0;
    QDate Date;
    double Inv = 0, MO = 0, OO = 0, PO = 0, MR = 0, OR = 0, PR = 0, Chk = 0, PChk = 0, Grpx = 0, Repl = 0, PPP1 = 0, PPP2 = 0;
    int PDmdIID1 = 0;
    QString PDmdIID2;
    double Qty = 0;
    QString Hints;
    TDemandAsRead AsRead;
};

// The demand side of an item key's balance, summed as its level read the demands: exact sums
// in hundred-millionths (the quantities' scale), and the greatest value of each property
// column in code-point order.
struct TDemandBalance {
    QString ItmID, ItmProps, GroupNo;
    int GroupType = 0;
    std::optional<QByteArray> Prop[10];
    __int128 Qty[11] = {};        // by the balance's demand columns (DemandBalanceColumn), then all
};
// The balance's demand column (0 to 9) that sums demands of a kind; -1 for none.
int DemandBalanceColumn(int billType);

// An item's planning settings, as the levels use them.
struct TItemPlanning {
    int MrpType = 0;              // the planning type, else the item's own type
    int MOBomSkip = 0, OOBomSkip = 0, Track = 0;
    double MinQty = 0, LotQty = 0, MaxQty = 0;
    int FixLeadTime = 0, VarLeadTime = 0;
    double VarLeadLot = 0;
    int PostLeadTime = 0, PreLeadTime = 0;
    bool PutInteger = false;
    int Decimal = 0;
    QString POSuppID, MODeptID, OOSuppID;
    bool SuitSkip = false;
};

struct TRunLogLine {
    int Indent = 0;
    int Kind = rlStep;
    QString Text;
    QDateTime Time;
};

class TMRPRun {
public:
    TMRPRun(TPlanScheme& scheme, bool keepType, bool keepBom, bool keepQty, const TMRPLogEvent& log, IEngineProgress& progress);
    // True when the results are saved. Failures are logged and shown; an Esc ends it too.
    bool Execute();

    // --- shared by the parts of the run -------------------------------------------------
    TPlanScheme& Scheme;
    TConnection& Connection;
    IEngineProgress& Progress;
    bool KeepType, KeepBom, KeepQty;
    bool AnyKeep() const { return KeepType || KeepBom || KeepQty; }
    THolidayList Holidays;
    // Results of every demand by its row number, filled level by level.
    std::vector<TDemandResult> DemandResults;
    void ReserveResults(int maxIID)
    {
        if (maxIID >= int(DemandResults.size()))
            DemandResults.resize(size_t(maxIID) + 1);
    }
    TDemandResult& ResultOf(int dmdIID)
    {
        ReserveResults(dmdIID);
        return DemandResults[size_t(dmdIID)];
    }
    // The results of a demand, none (not Set) for one no level read.
    const TDemandResult& ResultIfRead(qint64 dmdIID) const
    {
        static const TDemandResult unread;
        return dmdIID < qint64(DemandResults.size()) ? DemandResults[size_t(dmdIID)] : unread;
    }
    QDateTime RunTime;
    // The scheme's row as the run found it; the save writes only onto that row (see TSchemeStamp).
    TSchemeStamp Stamp;
    int Levels = 0;               // deepest low-level code + 1

    // The planning settings of an item by its code in UTF-8 (all zero for an item without any),
    // read once per run.
    const TItemPlanning& ItemPlanning(QByteArrayView itemID);
    // The demand side of the balance, key by key as the levels read them; not exact once a
    // quantity could not be read exactly.
    std::vector<TDemandBalance> DemandBalance;
    bool DemandBalanceExact = true;
    // True when the demands are those the levels read: no row was left unread, none was
    // added or taken out since (their count and row numbers tell). Asked once.
    bool AllDemandsAsRead();

    // Writes a log line (kind, indent) with the time now on the server's clock.
    void Log(int kind, int indent, const QString& text);
    // A step: logged, shown as progress, and a chance to stop with Esc.
    void Step(const QString& text, int indent = 0);
    // Sends statements; the first failing one stops the run.
    void Exec(const QString& sql);
    QString Iid() const;

    // Conditions of the scheme for an object (may be empty).
    QString Filter(const QString& objectID) const { return Scheme.DataFilter(objectID); }
    // The scope of demands: 0 all items at once, otherwise level by level. A shortage analysis
    // takes no main demand that could lead from level to level: everything it plans is gathered
    // at once, and its scope says only whether its BOMs are followed one level or all levels.
    bool GlobalScope() const { return Scheme.PlanNeedScope == 0 || Scheme.PlanType == 2; }
    bool SingleLevelScope() const { return Scheme.PlanNeedScope >= 5 && Scheme.PlanNeedScope <= 8; }
    bool GrossScope() const { int s = Scheme.PlanNeedScope; return s == 3 || s == 4 || s == 7 || s == 8; }
    // The scopes that count the other open issues of the items planned ("同料待出"): the
    // component lines of open orders that no demand of the plan uses.
    bool OpenIssuesScope() const { int s = Scheme.PlanNeedScope; return s == 2 || s == 4 || s == 6 || s == 8; }
    // A kit analysis plans only what its chosen lines reach through BOMs, the component lines
    // of open orders and substitutes: the other items' BOMs are not read, their open orders
    // not kept (see LowLevelCodes).
    bool ReachScope() const { return Scheme.PlanType == 1 && !GlobalScope(); }

    // Parts (mrpgather.cpp, mrplowlevel.cpp, mrplevel.cpp, mrpexplode.cpp, mrpresults.cpp).
    void CreateRunTables();
    void DropRunTables();
    void RefreshMainDemand();
    void GatherStartingData();
    void IndexDemands();              // once the starting demands are in
    void LevelItems(int level);       // tmp_KX_MRP_CurLevelDmdItems of the level
    // The condition that the level being planned has demand of an item key: the item's column
    // and, for the whole key, those of its property set, group type and group number.
    QString LevelDemand(const QString& item, const QString& props = QString(), const QString& groupType = QString(),
                        const QString& groupNo = QString()) const;
    void SafetyStock(int level);
    void Gather(int level);           // -1: every level at once
    void LeaveOutExcludedItems();
    // A shortage analysis: the orders among the supplies whose material it looks at become
    // demand-driven (see kLackOrdersMO).
    void MarkAnalysedOrders();
    // Open component lines of the production and outsourcing orders among the run's supplies
    // (restricted by a join condition on the order's supply "tmpsup" and a condition on the
    // component line "s") become demands of the kinds 84 and 82.
    void LoadOrderComponents();
    // Brings in as demands the open component lines of the orders among the supplies, or with
    // anyOrder those of every open order (without a parent when the order is not among them);
    // orderCondition is on the order's supply row "tmpsup", componentCondition on the line "c".
    void OrderComponents(const QString& orderCondition, const QString& componentCondition, bool anyOrder = false);
    // The BOM a demand row comes in with (see TDemandBom). item, props, date: the row's
    // columns; type, id: the BOM it names.
    struct TDemandBom DemandBom(const QString& item, const QString& props, const QString& date, const QString& type,
                                const QString& id) const;
    int LowLevelCodes();              // number of levels, 0 without items; raises on a BOM loop
    // Raises, before any level is planned, when the run tracked by its scheme's mode would hold
    // more demand rows than its memory allows (mrpvolume.cpp). items and children: the item
    // graph of the low-level codes.
    void CheckRunVolume(const QStringList& items, const std::function<QList<int>(int)>& children);
    // Nets the level and plans its supplies; those nobody used are left out after it, and the
    // BOMs of its made supplies are read for the explosion.
    void PlanLevel(int level);
    // unusedRead: the supplies the level's netting read and left without any quantity allotted.
    QString UnusedSuppliesDelete(int level, const std::vector<int>& unusedRead) const;
    QString ExplosionBOMs(int level) const;
    void Explode(int level);          // after PlanLevel
    void BuildBalance();
    void KitQuantities();
    void WriteDemandResults();
    void CheckResults();
    void SaveResults();
    void AnalyseResults();

private:
    const TMRPLogEvent& FLogEvent;
    QList<TRunLogLine> FLog;
    QElapsedTimer FClock;
    bool FOrderComponentsLoaded = false;
    bool FOrderComponentsTaken = false;
    bool FAnyDatedBoms = true;        // some made item has a BOM valid on some days only
    std::optional<bool> FAllDemandsAsRead;
    // Looked up by the code as a level's rows bring it, without a copy.
    struct TCodeHash {
        using is_transparent = void;
        size_t operator()(std::string_view code) const { return std::hash<std::string_view>()(code); }
    };
    std::unordered_map<std::string, TItemPlanning, TCodeHash, std::equal_to<>> FItemPlanning;
    bool FItemPlanningLoaded = false;
};

// Kit-complete quantities of the run's demands and supplies, level by level from the deepest,
// computed in memory from the run's results (mrpkit.cpp).
class TKitCalculation {
public:
    explicit TKitCalculation(TMRPRun& run) : R(run) {}
    // demandsAsRead: no demand changed its parent since its level read it.
    void Run(bool demandsAsRead);

private:
    TMRPRun& R;
};

// The BOM a demand row comes in with: the one it names, else for a made item its default BOM
// for the row's property set on the row's date. That is the choice a level makes for its
// demands without BOM; taken while the row is written, it spares the level rewriting the row.
// Rows without property set or date keep what they name, as the level would leave them.
struct TDemandBom {
    QString Join;                 // left joins giving "dbe", "dbb" and, with dated BOMs, "dbd"
    QString Type, ID;             // the row's DmdBomType and DmdBomID
};
// The condition that an item is made (its planning type, else its own type, above bought), on
// the aliases of its KX_Base_ItemMaster and KX_MRP_ItemSetting rows.
QString MadeItem(const QString& master, const QString& setting);

// A level's netting leaves what it did to the supplies it read (the allotted, substituted and
// remaining quantities, whether some allocation was late or early, the hints) in
// tmp_KX_MRP_SupUpdates, one row per supply, rather than rewriting those supplies. A statement
// that reads such a column of tmp_KX_MRP_Supplies "s" after the supply's level takes it through
// this expression, with the staging table joined as "u" on SupIID.
QString NettedSupply(const QString& column);
// The condition on a supply "s" of a level's items that the level's netting reads it: a
// bill with quantity left, or stock. It holds as at the reading until the save: the
// netting's results wait apart (see NettedSupply).
QString LevelReadsSupply();
// The columns of a supply that its level's netting sets (see NettedSupply).
constexpr const char* kNettedSupplyColumns[] = {"SupAllotQty", "SupAReplQty", "SupRestQty", "SupHasAdjDays", "SupHints"};

// SQL text shared by the parts: the columns of the run's demand and supply tables.
extern const char* const kDemandColumns;   // every column of KX_MRP_Demands after the scheme column
extern const char* const kSupplyColumns;   // every column of KX_MRP_Supplies after the scheme column

} // namespace kx
