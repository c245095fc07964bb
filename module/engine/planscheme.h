// A plan scheme: one row of KX_MRP_Schemes with its planning parameters, lifecycle state and
// time stamps, and the long operations that work on it (main demand, the MRP run).
#pragma once

#include "db/dataset.h"
#include "masterdata/planperiods.h"

#include <QDateTime>
#include <QString>

#include <functional>

namespace kx {

class IEngineProgress;

enum TPlanState {
    psNeedMPS = 0,              // 待获取主需求数据
    psParamsChangedMPS = 1,     // 方案参数有变, 需重取主需求
    psMPSReady = 2,             // 主需求就绪, 可以运算MRP
    psMPSChanged = 3,           // 主需求有变, 需重新运算MRP
    psParamsChangedMRP = 4,     // 方案参数有变, 需重新运算MRP
    psResultsChanged = 5,       // MRP结果有变, 需重新运算MRP
    psMRPDone = 6,              // MRP运算完成
    psUnpublished = 7,          // 计划方案已取消发布
    psPublished = 8,            // 计划方案已发布
    psReleased = 9,             // 计划方案已有投放
    psReleaseClosed = 10,       // 计划方案已关闭投放
};

enum TPlanSourceKind { srcForcastAndOrders = 0, srcOrders = 1, srcForcast = 2, srcImport = 3 };

// Bill type codes of main demand, demands and supplies.
enum TMrpBillType : int {
    btSO = 2, btSI = 4, btForcast = 8, btFreeNeed = 12, btStock = 16, btMO = 22, btOO = 24, btPO = 26, btPI = 28,
    btMR = 34, btOR = 36, btPR = 38, btPlanMO = 42, btPlanMOSkip = 44, btPlanOO = 52, btPlanOOSkip = 54,
    btPlanPO = 58, btPlanOther = 62, btPlanMOVirtual = 64, btPlanOOVirtual = 66, btNegStock = 72, btSafety = 74,
    btOOComponent = 79, btMOScrap = 80, btOOBom = 82, btMOBom = 84, btPlanOOComp = 92, btPlanMOComp = 94,
    btVirtualComp = 96,
};

// One line of the MRP run log: kind 1 a step, 2 a warning, 3 an error; indent 1 marks a
// detail under the previous step; time as "yyyy/mm/dd hh:nn:ss ".
using TMRPLogEvent = std::function<void(int kind, int indent, const QString& text, const QString& time)>;

// Callbacks a workbench hands to its result views so they can act on the scheme.
struct TPlanSchemeUIEvents {
    std::function<void()> RunMPS;
    std::function<void()> RunMRP;
    std::function<void()> RefreshState;
    std::function<bool(bool reloadList)> CheckState;
};

class TPlanScheme {
public:
    explicit TPlanScheme(TConnection* connection, int planType = 0);
    TPlanScheme(const TPlanScheme&) = delete;
    TPlanScheme& operator=(const TPlanScheme&) = delete;

    TQuery& Query() { return FPublicQuery; }

    int SchemeIID = 0;
    QString SchemeName;
    int PlanType = 0;
    int PlanCalIID = 0;
    TPlanPeriods PlanPeriods;
    int PlanSource = srcForcastAndOrders;
    int PlanNeedScope = 0;
    int CareItemSafety = 1;
    int CareItemReplace = 3;
    int CareItemSuites = 0;
    int CareMRPTrackMode = 0;
    bool CareItemMRPTrack = false;
    bool CareItemLossRate = false;
    bool CareItemLotRule = false;
    bool DemandByOrigDate = false;
    QString DataFilters;
    int PlanState = psNeedMPS;
    bool Editing = false;
    QString Creater;
    QDateTime CreateTime;
    QDateTime UpdateTime;
    int MpsCalIID = 0;
    TPlanPeriods MpsPeriods;
    QDateTime MpsRunTime;
    QDateTime MpsUpdTime;
    int MrpCalIID = 0;
    TPlanPeriods MrpPeriods;
    QDateTime MrpRunTime;
    QDateTime MrpUpdTime;
    QDateTime ReleaseTime;

    [[nodiscard]] bool Load(int schemeIID);
    // Reads the state and times again; showError false leaves a failure unsaid (a caller that
    // has already said why the work stopped).
    [[nodiscard]] bool LoadState(bool showError = true);
    // False, with "计划方案[%s]最新状态已被改变, 不能执行本操作!", when another session changed
    // or deleted the scheme since it was loaded.
    [[nodiscard]] bool CheckState();
    // Inserts a new scheme (SchemeIID 0, owner = the current user) or updates the parameters
    // and PlanState of an existing one.
    [[nodiscard]] bool Save();
    QString GetPlanStateText() const;
    static QString PlanStateText(int state);
    // The name shown for the scheme: its name, or for the unnamed private scheme of a kit
    // (type 1) or shortage (type 2) analysis the analysis' caption.
    QString Caption() const;
    static QString AnalysisCaption(int planType);

    // The condition of an object in DataFilters ("[ID]=condition" entries).
    QString DataFilter(const QString& objectID) const;
    void SetDataFilter(const QString& objectID, const QString& condition);

    // Main demand (defined with main-demand acquisition).
    [[nodiscard]] bool RunMPS(bool keepFreeDemand, bool keepAdjustments, IEngineProgress& progress);
    // The MRP run: true when the results are saved and the scheme is in state 6. A failed or
    // cancelled run leaves the previous results and state as they were.
    [[nodiscard]] bool RunMRP(bool keepSupplyType, bool keepSupplyBom, const TMRPLogEvent& log, IEngineProgress& progress,
                              bool keepSupplyQty);

private:
    void ReadRow(const TQuery& q);

    TQuery FPublicQuery;
};

// The entries of a shortage analysis' conditions that choose the production and outsourcing
// orders whose material it looks at, as conditions on the objects "KX_MRP.MO" and "KX_MRP.OO".
// The run holds those orders as demand-driven supplies (SupPDmdIID -1): they stay among the
// results with their kit quantities, and one whose own open material lines are kept out of the
// run (by the conditions on "KX_MRP.MOBOM"/"KX_MRP.OOBOM") is planned from its BOM as it is now.
constexpr const char* kLackOrdersMO = "Lack.KX_MRP.MO";
constexpr const char* kLackOrdersOO = "Lack.KX_MRP.OO";

// The condition of an object in a scheme's conditions text, and the text with it replaced
// (an empty condition removes the entry).
QString FilterOf(const QString& filters, const QString& objectID);
QString WithFilter(const QString& filters, const QString& objectID, const QString& condition);

// The scheme's parameters that decide its state when it is saved after editing.
struct TSchemeParams {
    int Source = 0;
    QString Periods;              // period list text
    int NeedScope = 0, CareSafety = 0, CareReplace = 0, CareSuites = 0, TrackMode = 0;
    bool ItemTrack = false, CareLoss = false, CareLot = false;
    QString Filters;

    static TSchemeParams Of(const TPlanScheme& scheme);
};

// The state a scheme takes when it is saved: a new scheme waits for main demand (or, fed
// by import, is ready to run); a changed main-demand parameter asks for main demand again,
// a changed MRP parameter for a new run.
int DeriveSavedState(bool isNew, int state, const TSchemeParams& before, const TSchemeParams& after);

// Copies a scheme's stored rows to another scheme, keeping every row key; the copy's
// supplies carry no release quantities and release alterations are not copied. With
// mainOnly only the main demand (restricted by billTypes when not empty). Raises on failure.
void CopySchemeData(TConnection& connection, int newIID, int sourceIID, bool mainOnly, const QString& billTypes = {});

} // namespace kx
