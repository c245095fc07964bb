// Item substitutes without widgets: the listing of BOMs, component lines and their substitutes
// through KX_MRP_GetItemSubsList, the checks of an edited BOM, and the substitute bill with
// which the host's bill service stores a BOM's substitutes.
#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include <functional>

namespace kx {

class IERPAccess;
class IBill;
class TQuery;

// Bill kind of the substitute bill; its row list and the values of head and rows.
constexpr int kItemSubsBillKind = 16;
inline const QString kItemSubsRowList = QStringLiteral("ItemSubs");

// What the listing shows, the "[LimitKind]" of the view's filter bar.
enum TItemSubsLimit { islComponent = 0, islComponentWithSubs = 1, islSubstitute = 2 };

// Field captions the checks report.
inline const QString kCaptionItemNo = QStringLiteral("物料代码");
inline const QString kCaptionBeginDate = QStringLiteral("生效日期");
inline const QString kCaptionEndDate = QStringLiteral("失效日期");
QString PropCaption(int n);               // "辅助项1" ... "辅助项10"

// A substitute of a component line, as the view edits it.
struct TItemSub {
    QString SubItemID;                    // empty while the typed code names no item
    QString SubItemNo;
    QString SubItemName;
    QString SubItemSpec;
    QString PropMask;                     // "1" for each property slot the substitute uses
    QString SubItemProps;                 // the property set, found by the checks
    QStringList SubProps = QStringList(10, QString());
    double Qty = 1;                       // of the substitute, in its base unit
    double RQty = 1;                      // of the replaced item, in its base unit
    QDate BeginDate;
    QDate EndDate;
    QString Note;
    int Replace = 0;                      // 1: may replace the component outright
};

// A component line of a BOM, or a replaced item under the global range.
struct TItemSubLine {
    int Entry = 0;
    QString RowHook;                      // empty under the global range
    QString ItemID;
    QString ItemNo;
    QString ItemName;
    QString ItemSpec;
    QList<TItemSub> Subs;                 // in priority order
};

struct TItemSubBom {
    int BomType = 0;                      // 0 with an empty BomID: the global range "(全局范围)"
    QString BomID;
    QString BomNo;
    QString ProductID;
    QList<TItemSubLine> Lines;
    bool IsGlobal() const { return BomID.isEmpty(); }
};

// The work table of the listing as KX_MRP_GetItemSubsList expects its caller to create it,
// dropped first when a former listing left it.
inline constexpr const char* kItemSubsListTable = R"sql(
drop table if exists tmp_KX_MRP_GetItemSubsList;
create temp table tmp_KX_MRP_GetItemSubsList (
  BomLevel smallint not null, BomType smallint, BomID varchar(50), BomNo varchar(80), BomEntry int,
  BomRowHook varchar(50), BomItmID varchar(50), BomSubSeq int, BomSubItmID varchar(50), BomSubReplace smallint,
  BomProps varchar(100), BomProp1 varchar(80), BomProp2 varchar(80), BomProp3 varchar(80), BomProp4 varchar(80),
  BomProp5 varchar(80), BomProp6 varchar(80), BomProp7 varchar(80), BomProp8 varchar(80), BomProp9 varchar(80),
  BomProp10 varchar(80), BomFixed smallint, BomUntID varchar(50), BomUQty numeric(28,8), BomQty numeric(28,8),
  BomBaseQty numeric(28,8), BomBeginDate timestamp(3), BomEndDate timestamp(3), BomPosNo varchar(500),
  BomOperSeq varchar(50), BomOperID varchar(50), BomPosition varchar(500), BomNote varchar(500));
)sql";

// Values of one listing row or tree node by field name.
using TFieldValues = std::function<QVariant(const QString& field)>;

// The listing statement: the work table, the procedure and the rows with their items
// (the substitute for substitute rows, the component for lines, the product for BOMs), in
// BOM, line and priority order.
QString ItemSubsListSQL(const QString& filter, TItemSubsLimit limit, const QString& limitItemID);
// The filter that lists one BOM, or the global range for an empty BOM ID.
QString ItemSubsBomFilter(const QString& bomID);
// The item of a typed substitute code: ItmID, ItmName, ItmSpec, ItmTypeName, UntName,
// ItmMrpType (the plan type) and PropMask; virtual and disabled items are not found.
QString ItemSubLookupSQL(const QString& itemNo);
// The row of ItemSubLookupSQL under the names ItmID, ItmName, ItmSpec, ItmTypeName, UntName,
// ItmMrpType and PropMask; empty when no such item (or the statement failed,
// which is shown).
QVariantMap LookupSubItem(TQuery& query, const QString& itemNo);

// Substitute, line and BOM of listing rows (levels 2, 1 and 0).
TItemSub ItemSubOfRow(const TFieldValues& row);
// The BOMs of an opened listing statement.
QList<TItemSubBom> ItemSubBomsOfList(TQuery& list);
// Reads one BOM (or the global range) as stored. False when the statement failed (shown).
bool LoadItemSubBom(TQuery& query, const QString& bomID, TItemSubBom& bom);
// The stored BOM with the lines of `shown` in place of its own (matched by row hook, or by
// item under the global range); lines only in `shown` are added.
TItemSubBom MergeShownLines(const TItemSubBom& stored, const TItemSubBom& shown);

// Copying substitutes between BOMs: a substitute picked from a source BOM with the component
// it replaces there.
struct TCopiedSub {
    QString ComponentID;
    TItemSub Sub;
};
// The copy search: products whose number is like the text ("%" and "_" are wildcards).
QString CopySearchFilter(const QString& text);
// The BOMs a copy search found, kept to their lines with substitutes whose component the target
// BOM also uses; the target itself and the global range are left out, and BOMs left without
// lines go.
QList<TItemSubBom> CopySources(const QList<TItemSubBom>& found, const TItemSubBom& target);
// Puts the substitutes into every line of the target that uses their component. With overwrite
// such a line loses its own substitutes first; a substitute a line has already (same item and
// property values) is not added again. Returns the number of substitutes added.
int ApplyCopiedSubs(TItemSubBom& target, const QList<TCopiedSub>& copied, bool overwrite);

struct TItemSubsFault {
    int Line = -1;                        // -1: no fault
    int Sub = -1;
    QString Field;                        // listing field of the faulty cell
    QString Message;
    bool Failed() const { return Line >= 0; }
};
// Checks every substitute of the BOM in order and finds the property set of each
// (KX_MRP_GetItemPropsID); the first fault ends the check.
TItemSubsFault CheckItemSubBom(TQuery& query, TItemSubBom& bom);

// Fills a substitute bill: head BomType, BomID, UserID; one "ItemSubs" row per substitute in
// line and priority order with ItemID, SubItemID, RowHook, SubItemProps, SubItemProp1..10,
// Qty, RQty, BeginDate, EndDate, Note and Replace.
void WriteItemSubsBill(IBill& bill, const TItemSubBom& bom, const QString& userID);
// Stores the BOM's substitutes as one bill through the host's bill service. False with the
// reason when there is no service or the bill was not stored.
bool SaveItemSubBom(IERPAccess* access, const TItemSubBom& bom, const QString& userID, QString& error);

} // namespace kx
