#include "masterdata/itemsubs.h"

#include "db/messages.h"
#include "db/quote.h"
#include "db/sqlrun.h"
#include "db/strutils.h"
#include "kx_mrp/erpaccess.h"
#include "masterdata/itemsetting.h"

#include <QSet>

#include <algorithm>
#include <optional>

namespace kx {

namespace {

const QString kPlanType = QStringLiteral("(case when t.ItmMrpType<>0 then t.ItmMrpType else i.ItmType end)");

QString Text(const TFieldValues& row, const char* field)
{
    return row(QLatin1String(field)).toString();
}

QDate Date(const TFieldValues& row, const char* field)
{
    const QVariant v = row(QLatin1String(field));
    return v.typeId() == QMetaType::QDate ? v.toDate() : v.toDateTime().date();
}

QString LineKey(const TItemSubLine& line)
{
    return line.RowHook.isEmpty() ? QLatin1Char('#') + line.ItemID : line.RowHook;
}

TItemSubsFault Fault(int line, int sub, const QString& field, const QString& message)
{
    return TItemSubsFault{line, sub, field, message};
}

QString PropField(int n)
{
    return QStringLiteral("BomProp%1").arg(n);
}

} // namespace

QString PropCaption(int n)
{
    return QStringLiteral("辅助项%1").arg(n);
}

QString ItemSubsListSQL(const QString& filter, TItemSubsLimit limit, const QString& limitItemID)
{
    return QString::fromUtf8(kItemSubsListTable)
        + QStringLiteral("call KX_MRP_GetItemSubsList(Filter => %1, LimitType => %2, LimitItmID => %3);\r")
              .arg(QuotedStr(filter), SQLInt(limit), QuotedStr(limitItemID))
        + QStringLiteral("select s.*, %1 as \"ItmMrpType\", i.ItmID, i.ItmNo, i.ItmName, i.ItmSpec, i.ItmTypeName, u.UntName, "
                         "coalesce(u.UntFactor, 1) as \"UntFactor\", ub.UntName as \"ItmUntName\", %2 as \"PropMask\", "
                         "s.BomBaseQty as \"BomUBaseQty\" "
                         "from tmp_KX_MRP_GetItemSubsList as s "
                         "left join KX_Base_ItemMaster as ri on ri.ItmID=s.BomItmID "
                         "left join KX_Base_ItemMaster as i on i.ItmID=(case when s.BomLevel>=2 then s.BomSubItmID else s.BomItmID end) "
                         "left join KX_Base_Unit as u on u.UntID=s.BomUntID "
                         "left join KX_Base_Unit as ub on ub.UntID=i.ItmUnitID "
                         "left join KX_MRP_ItemSetting as t on t.ItmID=i.ItmID "
                         "order by s.BomType, s.BomNo, s.BomID, s.BomEntry, ri.ItmNo, s.BomLevel, s.BomSubSeq")
              .arg(kPlanType, ItemPropMaskSQL(QStringLiteral("i")));
}

QString ItemSubsBomFilter(const QString& bomID)
{
    return bomID.isEmpty() ? QStringLiteral("$$ItemNo$$=''") : QStringLiteral("h.BomID=") + QuotedStr(bomID);
}

QString ItemSubLookupSQL(const QString& itemNo)
{
    return QStringLiteral("select i.ItmID, i.ItmName, i.ItmSpec, i.ItmTypeName, u.UntName, %1 as \"ItmMrpType\", %2 as \"PropMask\" "
                          "from KX_Base_ItemMaster as i left join KX_Base_Unit as u on u.UntID=i.ItmUnitID "
                          "left join KX_MRP_ItemSetting as t on t.ItmID=i.ItmID "
                          "where i.ItmType<>%3 and i.ItmDisabled=0 and i.ItmNo=%4")
        .arg(kPlanType, ItemPropMaskSQL(QStringLiteral("i")), SQLInt(kItemTypeVirtual), QuotedStr(itemNo.trimmed()));
}

QVariantMap LookupSubItem(TQuery& query, const QString& itemNo)
{
    QVariantMap item;
    if (itemNo.trimmed().isEmpty() || !RunSQL(query, ItemSubLookupSQL(itemNo), true) || query.IsEmpty())
        return item;
    for (const char* name : {"ItmID", "ItmName", "ItmSpec", "ItmTypeName", "UntName", "ItmMrpType", "PropMask"})
        item.insert(QLatin1String(name), query.FieldByName(QLatin1String(name)).Value());
    return item;
}

TItemSub ItemSubOfRow(const TFieldValues& row)
{
    TItemSub sub;
    sub.SubItemID = Text(row, "BomSubItmID");
    sub.SubItemNo = Text(row, "ItmNo");
    sub.SubItemName = Text(row, "ItmName");
    sub.SubItemSpec = Text(row, "ItmSpec");
    sub.PropMask = Text(row, "PropMask");
    sub.SubItemProps = Text(row, "BomProps");
    for (int n = 1; n <= 10; ++n)
        sub.SubProps[n - 1] = row(PropField(n)).toString();
    sub.Qty = row(QStringLiteral("BomQty")).toDouble();
    sub.RQty = row(QStringLiteral("BomBaseQty")).toDouble();
    sub.BeginDate = Date(row, "BomBeginDate");
    sub.EndDate = Date(row, "BomEndDate");
    sub.Note = Text(row, "BomNote");
    sub.Replace = row(QStringLiteral("BomSubReplace")).toInt();
    return sub;
}

QList<TItemSubBom> ItemSubBomsOfList(TQuery& list)
{
    QList<TItemSubBom> boms;
    const TFieldValues row = [&list](const QString& field) { return FieldValueOrNull(list, field); };
    for (list.First(); !list.Eof(); list.Next()) {
        const int level = row(QStringLiteral("BomLevel")).toInt();
        const int type = row(QStringLiteral("BomType")).toInt();
        const QString id = Text(row, "BomID");
        if (boms.isEmpty() || boms.last().BomType != type || boms.last().BomID != id) {
            TItemSubBom bom;
            bom.BomType = type;
            bom.BomID = id;
            bom.BomNo = Text(row, "BomNo");
            boms << bom;
        }
        TItemSubBom& bom = boms.last();
        if (level == 0) {
            bom.ProductID = Text(row, "BomItmID");
            continue;
        }
        const int entry = row(QStringLiteral("BomEntry")).toInt();
        if (level == 1 || bom.Lines.isEmpty() || bom.Lines.last().Entry != entry) {
            TItemSubLine line;
            line.Entry = entry;
            line.RowHook = Text(row, "BomRowHook");
            line.ItemID = Text(row, "BomItmID");
            if (level == 1) {
                line.ItemNo = Text(row, "ItmNo");
                line.ItemName = Text(row, "ItmName");
                line.ItemSpec = Text(row, "ItmSpec");
            }
            bom.Lines << line;
        }
        if (level >= 2)
            bom.Lines.last().Subs << ItemSubOfRow(row);
    }
    return boms;
}

bool LoadItemSubBom(TQuery& query, const QString& bomID, TItemSubBom& bom)
{
    if (!RunSQL(query, ItemSubsListSQL(ItemSubsBomFilter(bomID), islComponent, QString()), true))
        return false;
    bom = TItemSubBom{};
    bom.BomID = bomID;
    for (const TItemSubBom& b : ItemSubBomsOfList(query))
        if (b.BomID == bomID)
            bom = b;
    return true;
}

TItemSubBom MergeShownLines(const TItemSubBom& stored, const TItemSubBom& shown)
{
    TItemSubBom merged = stored;
    merged.BomType = shown.BomType;
    merged.BomID = shown.BomID;
    merged.BomNo = shown.BomNo;
    if (merged.ProductID.isEmpty())
        merged.ProductID = shown.ProductID;
    for (const TItemSubLine& line : shown.Lines) {
        bool found = false;
        for (TItemSubLine& own : merged.Lines)
            if (LineKey(own) == LineKey(line)) {
                own = line;
                found = true;
            }
        if (!found)
            merged.Lines << line;
    }
    return merged;
}

QString CopySearchFilter(const QString& text)
{
    return QStringLiteral("$$ItemNo$$ like ") + QuotedStr(text.trimmed());
}

QList<TItemSubBom> CopySources(const QList<TItemSubBom>& found, const TItemSubBom& target)
{
    QSet<QString> components;
    for (const TItemSubLine& line : target.Lines)
        components.insert(line.ItemID);
    QList<TItemSubBom> sources;
    for (const TItemSubBom& bom : found) {
        if (bom.IsGlobal() || bom.BomID == target.BomID)
            continue;
        TItemSubBom kept = bom;
        kept.Lines.removeIf([&components](const TItemSubLine& line) { return line.Subs.isEmpty() || !components.contains(line.ItemID); });
        if (!kept.Lines.isEmpty())
            sources << kept;
    }
    return sources;
}

int ApplyCopiedSubs(TItemSubBom& target, const QList<TCopiedSub>& copied, bool overwrite)
{
    int added = 0;
    for (TItemSubLine& line : target.Lines) {
        bool cleared = false;
        for (const TCopiedSub& c : copied) {
            if (c.ComponentID != line.ItemID)
                continue;
            if (overwrite && !cleared) {
                line.Subs.clear();
                cleared = true;
            }
            const bool present = std::any_of(line.Subs.begin(), line.Subs.end(), [&c](const TItemSub& own) {
                return own.SubItemID == c.Sub.SubItemID && own.SubProps == c.Sub.SubProps;
            });
            if (present)
                continue;
            line.Subs << c.Sub;
            ++added;
        }
    }
    return added;
}

namespace {

// The item and every product above it: those whose BOMs use it, directly or through other
// products' BOMs.
QSet<QString> ItemAndProductsAbove(TQuery& query, const QString& itemID)
{
    query.Close();
    query.SQL = QStringLiteral("with recursive up(ItmID) as (select %1::varchar union select h.BomItmID from KX_Bom_Line as l "
                               "join KX_Bom_Head as h on h.BomID=l.BomID join up on l.BolItmID=up.ItmID) select ItmID from up")
                    .arg(QuotedStr(itemID));
    query.Open();
    QSet<QString> items;
    for (int r = 0; r < query.RecordCount(); ++r)
        items.insert(query.TextAt(r, 0));
    return items;
}

} // namespace

TItemSubsFault CheckItemSubBom(TQuery& query, TItemSubBom& bom)
{
    // A substitute may be neither the item it replaces nor a product above that item: the
    // BOM's product and its parents for a line of a BOM, the item's parents for a global one.
    std::optional<QSet<QString>> aboveProduct;
    for (int li = 0; li < bom.Lines.size(); ++li) {
        std::optional<QSet<QString>> aboveItem;
        TItemSubLine& line = bom.Lines[li];
        for (int si = 0; si < line.Subs.size(); ++si) {
            TItemSub& sub = line.Subs[si];
            const QString itemNo = QStringLiteral("ItmNo");
            if (sub.SubItemNo.trimmed().isEmpty())
                return Fault(li, si, itemNo, FieldCheckText(fcEmpty, kCaptionItemNo));
            if (sub.SubItemID.isEmpty())
                return Fault(li, si, itemNo, FieldCheckText(fcNotExists, kCaptionItemNo, sub.SubItemNo.trimmed()));

            int firstUsed = 0;
            for (int n = 1; n <= 10; ++n) {
                if (sub.PropMask.mid(n - 1, 1) != QLatin1String("1"))
                    continue;
                if (firstUsed == 0)
                    firstUsed = n;
                if (sub.SubProps[n - 1].trimmed().isEmpty())
                    return Fault(li, si, PropField(n), FieldCheckText(fcEmpty, PropCaption(n)));
            }
            sub.SubItemProps.clear();
            if (firstUsed > 0) {
                QStringList args{QuotedStr(sub.SubItemID)};
                for (const QString& p : sub.SubProps)
                    args << QuotedStr(p);
                query.Close();
                query.SQL = QStringLiteral("select * from KX_MRP_GetItemPropsID(%1)").arg(args.join(QLatin1String(", ")));
                query.Open();
                const int errNum = query.FieldByName(QStringLiteral("ErrNum")).AsInteger();
                if (errNum >= 1 && errNum <= 10)
                    return Fault(li, si, PropField(errNum), FieldCheckText(fcInvalid, PropCaption(errNum), sub.SubProps[errNum - 1]));
                sub.SubItemProps = query.FieldByName(QStringLiteral("ID")).AsString();
                if (sub.SubItemProps.isEmpty())
                    return Fault(li, si, PropField(firstUsed), FieldCheckText(fcEmpty, PropCaption(firstUsed)));
            }

            for (int earlier = 0; earlier < si; ++earlier)
                if (line.Subs[earlier].SubItemID == sub.SubItemID)
                    return Fault(li, si, itemNo, QStringLiteral("替代物料不允许重复, \"%1\"已存在!").arg(sub.SubItemNo));
            bool above = sub.SubItemID == line.ItemID;
            if (!above && !bom.ProductID.isEmpty()) {
                if (!aboveProduct)
                    aboveProduct = ItemAndProductsAbove(query, bom.ProductID);
                above = aboveProduct->contains(sub.SubItemID);
            } else if (!above) {
                if (!aboveItem)
                    aboveItem = ItemAndProductsAbove(query, line.ItemID);
                above = aboveItem->contains(sub.SubItemID);
            }
            if (above)
                return Fault(li, si, itemNo, QStringLiteral("替代物料\"%1\"与被替代物料(或其上级产品)出现重复!").arg(sub.SubItemNo));
            // The bill service keeps only positive exchange quantities.
            if (sub.Qty <= 0)
                return Fault(li, si, QStringLiteral("BomQty"),
                             FieldCheckText(fcNotGreater, QStringLiteral("用量(基本)"), FloatToText(sub.Qty), QStringLiteral("0")));
            if (sub.RQty <= 0)
                return Fault(li, si, QStringLiteral("BomBaseQty"),
                             FieldCheckText(fcNotGreater, QStringLiteral("用量基数(基本)"), FloatToText(sub.RQty), QStringLiteral("0")));
            if (sub.BeginDate.isValid() && sub.EndDate.isValid() && sub.EndDate <= sub.BeginDate)
                return Fault(li, si, QStringLiteral("BomEndDate"), FieldCheckText(fcNotGreaterField, kCaptionEndDate, QString(), kCaptionBeginDate));
        }
    }
    return {};
}

void WriteItemSubsBill(IBill& bill, const TItemSubBom& bom, const QString& userID)
{
    IValueList* head = bill.Head();
    head->SetValue(QStringLiteral("BomType"), bom.BomType);
    head->SetValue(QStringLiteral("BomID"), bom.BomID);
    head->SetValue(QStringLiteral("UserID"), userID);
    IRowList* rows = bill.GetRowList(kItemSubsRowList);
    auto date = [](const QDate& d) { return d.isValid() ? QVariant(d) : QVariant(); };
    for (const TItemSubLine& line : bom.Lines)
        for (const TItemSub& sub : line.Subs) {
            IValueList* row = rows->Add();
            row->SetValue(QStringLiteral("ItemID"), line.ItemID);
            row->SetValue(QStringLiteral("SubItemID"), sub.SubItemID);
            row->SetValue(QStringLiteral("RowHook"), line.RowHook);
            row->SetValue(QStringLiteral("SubItemProps"), sub.SubItemProps);
            for (int n = 1; n <= 10; ++n)
                row->SetValue(QStringLiteral("SubItemProp%1").arg(n), sub.SubProps.value(n - 1).trimmed());
            row->SetValue(QStringLiteral("Qty"), sub.Qty);
            row->SetValue(QStringLiteral("RQty"), sub.RQty);
            row->SetValue(QStringLiteral("BeginDate"), date(sub.BeginDate));
            row->SetValue(QStringLiteral("EndDate"), date(sub.EndDate));
            row->SetValue(QStringLiteral("Note"), sub.Note);
            row->SetValue(QStringLiteral("Replace"), sub.Replace);
        }
}

bool SaveItemSubBom(IERPAccess* access, const TItemSubBom& bom, const QString& userID, QString& error)
{
    error.clear();
    std::unique_ptr<IBill> bill = access ? access->NewBill(kItemSubsBillKind) : nullptr;
    if (!bill) {
        error = QStringLiteral("主程序没有提供替代物料的单据服务, 不能保存!");
        return false;
    }
    WriteItemSubsBill(*bill, bom, userID);
    return !bill->Save(error).isEmpty();
}

} // namespace kx
