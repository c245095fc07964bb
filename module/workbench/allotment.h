// The pegging of a run: each demand with the planned supply MRP made for it, and under it the
// demands that supply's BOM caused, level by level. The top level holds the main demand, one
// summary row per kind of demand that has no parent (negative stock, safety stock, order
// scrap and outsourcing issues), and the open orders that supply something or carry component
// demand. A filter keeps only the branches that lead to chosen bottom-level items, planners or
// buyers, collected in a work table of the session.
#pragma once

#include <QString>

namespace kx {

class TConnection;

// What a node of the pegging is.
enum TAllotNodeKind {
    ankMainDemand = 1,        // a main demand with its planned supply
    ankSummary = 2,           // all demands of one kind without parent
    ankOrder = 3,             // an open order with what it supplies and its component demand
    ankDemand = 4,            // a dependent demand with its planned supply
};

// What the filter looks for in the bottom-level items.
enum TAllotFilterKind { afkItem = 0, afkPlanner = 1, afkBuyer = 2 };

// The filter work table of one view on its session: created on first use, emptied for each
// filter, dropped with the object.
class TAllotFilter {
public:
    explicit TAllotFilter(TConnection& connection);
    ~TAllotFilter();
    TAllotFilter(const TAllotFilter&) = delete;
    TAllotFilter& operator=(const TAllotFilter&) = delete;

    // Collects the demands that match (the item's code; the planner's or buyer's name, items
    // without one included; with noBom also every demand whose own made supply lacks a BOM) and
    // every demand above them up to the main demand, and marks those that have collected
    // children. An empty text without noBom switches the filter off. Returns the number of
    // demands collected.
    int Apply(int schemeIID, TAllotFilterKind kind, const QString& text, bool noBom);
    void Clear();
    bool Active() const { return FActive; }
    const QString& TableName() const { return FTable; }

private:
    void Prepare();

    TConnection& FConnection;
    QString FTable;
    bool FCreated = false;
    bool FActive = false;
};

// The top level of the pegging in its order (date, priority first, kind, item, bill number),
// a page of it: limit rows from offset on (limit 0: all). With a filter only the collected
// branches.
QString AllotTopSQL(int schemeIID, const TAllotFilter* filter, int limit = 0, int offset = 0);
// The children of a node: the demands caused by a supply, or every demand of a summary row's
// kind, in bill line and item order.
QString AllotChildrenSQL(int schemeIID, int parentSupIID, const TAllotFilter* filter);
QString AllotSummaryChildrenSQL(int schemeIID, int billType, const TAllotFilter* filter);

} // namespace kx
