// The release of checked output rows into ERP bills: every row is checked (warnings and
// errors reported against the row and column concerned), the accepted rows merge into bill
// entries by the output settings, the entries are sorted and split into bills, and each bill
// goes to the host's bill service with the statements that record what was released, run in
// the bill's own transaction. Widget-free: the output view runs it as long work, `kxmrp
// release` on the console.
#pragma once

#include "kx_mrp/types.h"
#include "masterdata/workcalendar.h"
#include "release/outputoptions.h"

#include <QDateTime>
#include <QHash>
#include <QMap>
#include <QString>

#include <functional>
#include <vector>

namespace kx {

class IEngineProgress;
class IERPAccess;
class TConnection;
class TInfoObjectDef;
class TMRPOutputList;
class TPlanScheme;

// Where a release reports: the result list under the output view, the console, a test.
class IReleaseSink {
public:
    virtual ~IReleaseSink() = default;
    // Clears the list for a new release.
    virtual void Clear() = 0;
    // A line (under parent, -1: at the top) about a row and column of the output list (row
    // -1: none); returns its handle.
    virtual int AddLine(TMessageKind kind, const QString& text, int parent = -1, int row = -1, const QString& field = {}) = 0;
    // Rewrites a line; its kind is only ever raised.
    virtual void ChangeLine(int line, TMessageKind kind, const QString& text) = 0;
    // Asks the user to complete a destination type's output settings; false when cancelled.
    virtual bool EditOptions(int destType) = 0;
};

// The rights of the user to release into each kind of bill.
struct TReleaseRights {
    bool ToMO = false;            // production orders
    bool ToOR = false;            // outsourcing orders and requisitions
    bool ToPR = false;            // purchase requisitions
    bool Any() const { return ToMO || ToOR || ToPR; }
    bool Allows(int destType) const;
};

// The rights an object definition of the output view carries ("ToMO", "ToOR", "ToPR").
TReleaseRights ReleaseRightsOf(const TInfoObjectDef* def);
inline const QString kOutputObjectID = QStringLiteral("KX_MRP.MRPOutput");

// A material line of a released order, or the substitutes a requisition line offers: items
// that share the group's quantity.
struct TMRPOutputSubItem {
    QString ItemID, ItemProps;
    QString ItemProp[10];
    int MRPGroupType = 0;
    QString MRPGroupNo;
    QString SuppID;
    double SubRate = 100;         // percent of the group's quantity
};

struct TMRPOutputSub {
    QString Key;
    std::vector<TMRPOutputSubItem> Items;
    double Qty = 0;
    double LossRate = 0;          // percent of the usage added for issue loss
};

// One bill entry: the rows merged into it, its values and the statements that record them.
struct TMRPOutputRec {
    int SupType = 0;              // destination type
    QList<QPair<int, double>> SupNodes;   // (output row, quantity) merged into it
    int SupOrigType = 0;
    QString SupOrigID, SupOrigNo;
    int SupOrigEntry = 0;
    QString SupOrigItmID, SupOrigCustID, SupOrigCustName, SupOrigCustPO, SupOrigTag, SupOrigSubTag;
    int SupGroupType = 0;
    QString SupGroupNo;
    QString SupItmID, SupItmNo, SupItmProps;
    QString SupItmProp[10];
    double SupMinQty = 0, SupLotQty = 0, SupStdQty = 0;
    QString SupUnitID;
    double SupUnitRate = 1;
    int SupBomType = 0;
    QString SupBomID;
    QString SupSuppID, SupCurID, SupBuyerID, SupPlannerID;
    QString SupNote;
    QDate SupDate, SupBillDate, SupDrawDate;
    int FixLeadTime = 0, VarLeadTime = 0;
    double VarLeadLot = 0;
    QString SupUpdateSQL;
    std::vector<TMRPOutputSub> SupSubItems;
};

// Counters and the closing text of one release.
struct TReleaseCounts {
    int Warnings = 0, Errors = 0, Accepted = 0;
    int Entries = 0, BillsSaved = 0, RowsSaved = 0, RowsFailed = 0;
    int Left() const { return Entries - RowsSaved - RowsFailed; }
};

class TMRPRelease {
public:
    // connection: the release's own (temporary tables, state); scheme: loaded on it.
    TMRPRelease(TConnection& connection, TPlanScheme& scheme, TMRPOutputList& list, IReleaseSink& sink,
                IEngineProgress& progress);

    TReleaseRights Rights;
    IERPAccess* Access = nullptr;     // the host's bill service
    QString UserID, UserName;
    // Runs a call of the host's bill service where the host wants it (its own thread).
    std::function<void(const std::function<void()>&)> HostCall;

    // Runs the release over the checked rows. False when it stopped before generating
    // bills (checks failed, the user declined, Esc); true when it generated, whatever the
    // outcome of each bill (see Counts).
    bool Run();
    const TReleaseCounts& Counts() const { return FCounts; }
    const QString& SummaryText() const { return FSummary; }
    const std::vector<TMRPOutputRec>& Entries() const { return FEntries; }

private:
    // Raised when the user cancels the settings a release needs: the release ends.
    struct TCancelledOptions {};

    bool Prepare();
    bool CheckState();
    void CheckRows();
    bool CheckRow(int row);
    bool CheckMainDemand(int row);
    bool LoadOptions(int destType);
    void AddFinding(TMessageKind kind, const QString& text, int row, const QString& field);
    void MergeRow(int row);
    QString MergeKey(int row, int period) const;
    void AddToEntry(int row, double qty, const QDate& date, const QDate& drawDate, int period);
    void FinishEntries();
    void ApplyLotRule(TMRPOutputRec& e);
    void AddMaterial(TMRPOutputRec& e);
    void AddPurchaseSubs(TMRPOutputRec& e);
    QString WriteBackSQL(int row, double qty) const;
    void Generate();
    void SaveBill(const std::vector<int>& entries);
    int CompareEntries(const TMRPOutputRec& a, const TMRPOutputRec& b, bool withSort) const;
    QDate Raised(const QDate& date) const;

    TConnection& FConnection;
    TPlanScheme& FScheme;
    TMRPOutputList& FList;
    IReleaseSink& FSink;
    IEngineProgress& FProgress;

    THolidayList FHolidays;
    QDateTime FServerTime;
    QDate FToday;
    bool FPROutputItemSubs = false;
    bool FBomQtyUseStdQty = false;
    QMap<int, TMRPOutputOptions> FOptions;        // by destination type
    QHash<QString, bool> FMainDemandFound;
    TReleaseCounts FCounts;
    int FSummaryLine = -1;
    int FGenerateLine = -1;
    bool FStateMoved = false;
    std::vector<TMRPOutputRec> FEntries;
    QHash<QString, int> FEntryOfKey;
    QString FSummary;
};

// "共生成%d行单据, 其中%d行成功保存(%d张单据), %d行失败保存, %d行未保存!"
QString ReleaseSummaryText(const TReleaseCounts& counts);

} // namespace kx
