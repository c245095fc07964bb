// BOM expansion without widgets: the statements that read a BOM's head, its lines and their
// substitutes through the suite's BOM procedures, and the usage arithmetic of the expansion
// tree (usage per parent, usage for the whole product, trial quantity with loss and yield).
#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <utility>

namespace kx {

// "试算考虑": what the trial quantity adds to the usage.
enum TBomLossChoice {
    blNone = 0,                           // "(无损耗率)": the trial quantity is the full usage
    blLossRate = 1,                       // "损耗率(%)": the line's loss percentage
    blPutLossRate = 2,                    // "投料损耗率": the line's loss-rate text, segment by segment
};
QStringList BomLossChoiceTexts();

// The head of a BOM (the root of the tree): the product with its unit and yield. An empty BOM ID
// stands for the product's default standard BOM today.
QString BomHeadSQL(const QString& productID, int bomType, const QString& bomID);

// A BOM named by a node: its product, type and ID.
struct TBomRef {
    QString ProductID;
    int BomType = 0;
    QString BomID;
};
// The lines of the BOMs named, with their items, units, planning types, the BOM each component
// uses and the number of stand-alone BOMs of the component (ItmBomCount; a locked BOM counts as
// one), in BOM and line order. forceOneLevel 0 lets skip-level components show their own lines in
// their place.
QString BomLinesSQL(const QList<TBomRef>& boms, bool forceOneLevel);
// The global and local substitutes of lines (component and row hook), in line, kind and priority
// order.
QString BomSubstitutesSQL(int bomType, const QString& bomID, const QList<std::pair<QString, QString>>& lines);
// Drops the work tables of the statements above.
QString BomDropTablesSQL();

// What the usage of a BOM line depends on, in the component's base unit.
struct TBomLineQty {
    bool Fixed = false;                   // a fixed usage per parent lot, whatever the parent's quantity
    double Qty = 0;                       // usage ...
    double BaseQty = 1;                   // ... per this many parent units
    double Percent = 100;                 // "计划%": the share of the parents that use the line
    double LossRate = 0;                  // "损耗率(%)"
    QString PutLossRate;                  // "投料损耗率", the loss-rate text
};

// The usage of a node: for the whole product and the trial quantity, in base units.
struct TBomNodeQty {
    double Full = 0;
    double Trial = 0;
};

// The usage of a line under its parent node. The full usage is the parent's full usage times
// the usage per base quantity and the plan share (a fixed line: once). The trial quantity
// without loss is the full usage; with a loss choice it starts from the parent's trial
// quantity over the parent BOM's yield (a fixed line ignores both), and adds the loss of the
// line's percentage or of its loss-rate text. Results are rounded to 8 decimals.
TBomNodeQty BomLineQuantity(const TBomLineQty& line, const TBomNodeQty& parent, double parentYield, TBomLossChoice choice);

// The fields of a line node, in the order of TBomLineRow::Values.
const QStringList& BomLineFields();

// A line as a node of the tree shows it, with what its quantities and its own BOM need.
struct TBomLineRow {
    QVariantList Values;                  // the node's field values, in the order of BomLineFields()
    TBomLineQty Qty;
    TBomRef Bom;                          // the component's own BOM (empty ID: none)
    QString RowHook;
    double Factor = 1;                    // base units in one unit of the line
    bool HasBom = false;                  // the component has a BOM the tree may expand
    bool Phantom = false;                 // a phantom (planned as virtual) component
};

class TConnection;

// Reads BOM lines through the suite's procedures and keeps them by BOM: a BOM used under many
// parents is read once, and a whole product is read in one statement per BOM level.
class TBomLineReader {
public:
    // With useStdQty the line's unit shows the standard usage converted by the unit factor
    // instead of the usage typed in that unit.
    TBomLineReader(TConnection& connection, bool useStdQty) : FConnection(connection), FUseStdQty(useStdQty) {}
    // The lines of a BOM, read when they are not kept yet; null when the statement failed (the
    // failure is shown).
    const QList<TBomLineRow>* Lines(const TBomRef& bom, bool forceOneLevel);
    // Reads every BOM below the given one, level by level, so that expanding the whole tree
    // reads nothing more. False when a statement failed.
    bool ReadTree(const TBomRef& bom, bool forceOneLevel);
    void Clear() { FLines.clear(); }
    int Statements() const { return FStatements; }

private:
    bool Read(const QList<TBomRef>& boms, bool forceOneLevel);
    static QString Key(const QString& bomID, bool forceOneLevel);

    TConnection& FConnection;
    bool FUseStdQty;
    QHash<QString, QList<TBomLineRow>> FLines;
    int FStatements = 0;
};

} // namespace kx
