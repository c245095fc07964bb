#include "analysis/bomexpand.h"

#include "db/dataset.h"
#include "db/quote.h"
#include "db/sqlrun.h"
#include "db/strutils.h"
#include "engine/runtables.h"
#include "masterdata/lossrate.h"

#include <QSet>

namespace kx {

namespace {

// The BOMs named as reference rows of the BOM procedures.
QString RefRows(const QList<TBomRef>& boms)
{
    QStringList rows;
    for (const TBomRef& b : boms)
        rows << QStringLiteral("(%1, %2, %3)")
                    .arg(QuotedStr(b.ProductID), SQLInt(b.BomType), b.BomID.isEmpty() ? QStringLiteral("null") : QuotedStr(b.BomID));
    return QStringLiteral("drop table if exists tmp_KX_MRP_RefGetBOM;\n") + RunTableStatement(QStringLiteral("tmp_KX_MRP_RefGetBOM"))
         + QStringLiteral("insert into tmp_KX_MRP_RefGetBOM (PrdID, BomType, BomID) values %1;\n").arg(rows.join(QStringLiteral(", ")));
}

QString PropColumns(const QString& prefix, const QString& alias)
{
    QStringList list;
    for (int n = 1; n <= 10; ++n)
        list << QStringLiteral("%1.%2%3").arg(alias, prefix).arg(n);
    return list.join(QStringLiteral(", "));
}

QString PropMask(const QString& alias)
{
    QStringList list;
    for (int n = 1; n <= 10; ++n)
        list << QStringLiteral("cast(coalesce(%1.ItmHasProp%2, 0) as char(1))").arg(alias).arg(n);
    return list.join(QStringLiteral("||"));
}

// The fields of a line node taken as they are from a column of the lines' statement.
const std::pair<const char*, const char*> kCopiedFields[] = {
    {"BomEntry", "BomEntry"},       {"BomItmNo", "ItmNo"},          {"BomItmName", "ItmName"},
    {"BomItmSpec", "ItmSpec"},      {"BomItmTypeName", "ItmTypeName"}, {"BomItmMrpType", "ItmMrpType"},
    {"BomRole", "BomRoleName"},     {"BomPercent", "BomPercent"},   {"BomUnit", "UntName"},
    {"BomBaseUnit", "ItmUntName"},  {"BomLossRate", "BomLossRate"}, {"BomPutLossRate", "BomPutLossRate"},
    {"BomNote", "BomNote"},         {"BomItmBomNo", "BomItmBomNo"}, {"BomItmOkRate", "BomItmBomOkRate"},
    {"BomItmID", "BomItmID"},       {"BomProps", "BomProps"},       {"BomPropMask", "PropMask"},
    {"BomItmBomType", "BomItmBomType"}, {"BomItmBomID", "BomItmBomID"}, {"BomProp1", "BomProp1"},
    {"BomProp2", "BomProp2"},       {"BomProp3", "BomProp3"},       {"BomProp4", "BomProp4"},
    {"BomProp5", "BomProp5"},       {"BomProp6", "BomProp6"},       {"BomProp7", "BomProp7"},
    {"BomProp8", "BomProp8"},       {"BomProp9", "BomProp9"},       {"BomProp10", "BomProp10"}};

} // namespace

const QStringList& BomLineFields()
{
    static const QStringList fields = [] {
        QStringList list;
        for (const auto& [field, source] : kCopiedFields)
            list << QLatin1String(field);
        // Then the fields worked out from the columns, in the order TBomLineReader adds them.
        list << QStringLiteral("BomFixed") << QStringLiteral("BomUCurrQty") << QStringLiteral("BomUBaseQty") << QStringLiteral("BomCurrQty")
             << QStringLiteral("BomBaseQty") << QStringLiteral("BomBeginDate") << QStringLiteral("BomEndDate")
             << QStringLiteral("BomRowHook") << QStringLiteral("BomUnitFactor");
        return list;
    }();
    return fields;
}

QStringList BomLossChoiceTexts()
{
    return {QStringLiteral("(无损耗率)"), QStringLiteral("损耗率(%)"), QStringLiteral("投料损耗率")};
}

QString BomHeadSQL(const QString& productID, int bomType, const QString& bomID)
{
    return RefRows({TBomRef{productID, bomType, bomID}})
         + QStringLiteral(
               "drop table if exists tmp_KX_MRP_BOMHead;\n"
               "create temp table tmp_KX_MRP_BOMHead (BomType smallint, BomID varchar(50), BomNo varchar(80), BomItmID varchar(50),"
               " BomUntID varchar(50), BomOkRate numeric(28,8), BomIsDefault smallint, BomChecked smallint, BomVersion varchar(20),"
               " BomDate timestamp(3), BomBeginDate timestamp(3), BomEndDate timestamp(3), BomRemark varchar(500),"
               " BomProps varchar(100), %1);\n"
               "call KX_MRP_GetBOMHead();\n"
               "select s.*, (case when t.ItmMrpType<>0 then t.ItmMrpType else i.ItmType end) as ItmMrpType, i.ItmNo, i.ItmName,"
               " i.ItmSpec, i.ItmTypeName, u.UntName, coalesce(u.UntFactor, 1) as UntFactor, ub.UntName as ItmUntName, %2 as PropMask\n"
               "  from tmp_KX_MRP_BOMHead as s left join KX_Base_ItemMaster as i on s.BomItmID=i.ItmID\n"
               "  left join KX_Base_Unit as u on s.BomUntID=u.UntID left join KX_Base_Unit as ub on i.ItmUnitID=ub.UntID\n"
               "  left join KX_MRP_ItemSetting as t on s.BomItmID=t.ItmID")
               .arg(QStringLiteral("BomProp1 varchar(80), BomProp2 varchar(80), BomProp3 varchar(80), BomProp4 varchar(80), "
                                   "BomProp5 varchar(80), BomProp6 varchar(80), BomProp7 varchar(80), BomProp8 varchar(80), "
                                   "BomProp9 varchar(80), BomProp10 varchar(80)"),
                    PropMask(QStringLiteral("i")));
}

QString BomLinesSQL(const QList<TBomRef>& boms, bool forceOneLevel)
{
    // The BOMs of each component are counted by a lookup per line: the work table has no
    // statistics, and a join with a grouped count made the planner compare every line with
    // every counted component (a fifth of a second for a level of a few thousand lines).
    return RefRows(boms) + QStringLiteral("drop table if exists tmp_KX_MRP_BOM;\n") + RunTableStatement(QStringLiteral("tmp_KX_MRP_BOM"))
         + QStringLiteral(
               "call KX_MRP_GetBOM(ForceOneLevel => %1);\n"
               "call KX_MRP_SetBOMForBomItem();\n"
               "select s.BomID, s.BomEntry, s.BomRoleName, s.BomPercent, s.BomFixed, s.BomQty, s.BomBaseQty, s.BomUQty, s.BomUBaseQty,"
               " s.BomLossRate, s.BomPutLossRate, s.BomBeginDate, s.BomEndDate, s.BomNote, s.BomUntID, %2,"
               " (case when t.ItmMrpType<>0 then t.ItmMrpType else i.ItmType end) as ItmMrpType, i.ItmType, i.ItmNo, i.ItmName,"
               " i.ItmSpec, i.ItmTypeName, u.UntName, ub.UntName as ItmUntName, %3 as PropMask, s.BomItmBomNo, s.BomItmBomOkRate,"
               " s.BomItmID, s.BomProps, s.BomRowHook, s.BomItmBomType, s.BomItmBomID, coalesce(u.UntFactor, 1) as UntFactor,"
               " (case when s.BomItmBomLocked=1 then 1 else (select count(*) from KX_MRP_ItemBOMs as m"
               " where m.BomItmID=s.BomItmID and m.BomStandalone=1) end) as ItmBomCount\n"
               "  from tmp_KX_MRP_BOM as s left join KX_Base_ItemMaster as i on s.BomItmID=i.ItmID\n"
               "  left join KX_Base_Unit as u on s.BomUntID=u.UntID left join KX_Base_Unit as ub on i.ItmUnitID=ub.UntID\n"
               "  left join KX_MRP_ItemSetting as t on s.BomItmID=t.ItmID\n"
               " order by s.BomID, s.BomEntry")
               .arg(forceOneLevel ? 1 : 0)
               .arg(PropColumns(QStringLiteral("BomProp"), QStringLiteral("s")), PropMask(QStringLiteral("i")));
}

QString BomSubstitutesSQL(int bomType, const QString& bomID, const QList<std::pair<QString, QString>>& lines)
{
    QStringList rows;
    for (const auto& [item, hook] : lines)
        rows << QStringLiteral("(%1, %2)").arg(QuotedStr(item), QuotedStr(hook));
    return QStringLiteral(
               "drop table if exists tmp_KX_MRP_BomRefItems;\n"
               "create temp table tmp_KX_MRP_BomRefItems (BomItmID varchar(50), BomRowHook varchar(50));\n")
         + (rows.isEmpty() ? QString() : QStringLiteral("insert into tmp_KX_MRP_BomRefItems values %1;\n").arg(rows.join(QStringLiteral(", "))))
         + QStringLiteral(
               "drop table if exists tmp_KX_MRP_ItemSubs;\n"
               "create temp table tmp_KX_MRP_ItemSubs (BomRowHook varchar(50), SubGlobal smallint, SubPriority int,"
               " SubItmID varchar(50), SubItmProps varchar(100), SubRItmID varchar(50), SubRProps varchar(100), %1,"
               " SubQty numeric(28,8), SubRQty numeric(28,8), SubReplace smallint, SubBeginDate timestamp(3),"
               " SubEndDate timestamp(3), SubNote varchar(500));\n"
               "call KX_MRP_GetItemSubstitutes(%2, %3);\n"
               "select s.*, i.ItmNo, i.ItmName, i.ItmSpec, i.ItmTypeName, (case when t.ItmMrpType<>0 then t.ItmMrpType else i.ItmType end)"
               " as ItmMrpType, u.UntName, coalesce(u.UntFactor, 1) as UntFactor, %4 as PropMask\n"
               "  from tmp_KX_MRP_ItemSubs as s left join KX_Base_ItemMaster as i on s.SubRItmID=i.ItmID\n"
               "  left join KX_Base_Unit as u on i.ItmInvUnitID=u.UntID left join KX_MRP_ItemSetting as t on s.SubRItmID=t.ItmID\n"
               " order by s.BomRowHook, s.SubGlobal, s.SubPriority")
               .arg(QStringLiteral("SubRProp1 varchar(80), SubRProp2 varchar(80), SubRProp3 varchar(80), SubRProp4 varchar(80), "
                                   "SubRProp5 varchar(80), SubRProp6 varchar(80), SubRProp7 varchar(80), SubRProp8 varchar(80), "
                                   "SubRProp9 varchar(80), SubRProp10 varchar(80)"))
               .arg(bomType)
               .arg(QuotedStr(bomID), PropMask(QStringLiteral("i")));
}

QString BomDropTablesSQL()
{
    return QStringLiteral("drop table if exists tmp_KX_MRP_RefGetBOM, tmp_KX_MRP_BomRefItems, tmp_KX_MRP_ItemSubs, tmp_KX_MRP_BOM, "
                          "tmp_KX_MRP_BOMHead");
}

QString TBomLineReader::Key(const QString& bomID, bool forceOneLevel)
{
    return bomID + (forceOneLevel ? QStringLiteral("|1") : QStringLiteral("|0"));
}

const QList<TBomLineRow>* TBomLineReader::Lines(const TBomRef& bom, bool forceOneLevel)
{
    const QString key = Key(bom.BomID, forceOneLevel);
    if (!FLines.contains(key) && !Read({bom}, forceOneLevel))
        return nullptr;
    return &FLines[key];
}

bool TBomLineReader::ReadTree(const TBomRef& bom, bool forceOneLevel)
{
    QList<TBomRef> level{bom};
    QSet<QString> named;
    while (!level.isEmpty()) {
        QList<TBomRef> missing;
        for (const TBomRef& b : level)
            if (!FLines.contains(Key(b.BomID, forceOneLevel)))
                missing << b;
        if (!missing.isEmpty() && !Read(missing, forceOneLevel))
            return false;
        QList<TBomRef> next;
        for (const TBomRef& b : level)
            for (const TBomLineRow& line : FLines.value(Key(b.BomID, forceOneLevel)))
                if (line.HasBom && !named.contains(line.Bom.BomID)) {
                    named.insert(line.Bom.BomID);
                    next << line.Bom;
                }
        level = next;
    }
    return true;
}

bool TBomLineReader::Read(const QList<TBomRef>& boms, bool forceOneLevel)
{
    TQuery q(&FConnection);
    ++FStatements;
    const bool read = RunSQL(q, BomLinesSQL(boms, forceOneLevel), true);
    TQuery drop(&FConnection);
    if (!RunSQL(drop, BomDropTablesSQL(), false) || !read)
        return false;
    for (const TBomRef& b : boms)
        FLines[Key(b.BomID, forceOneLevel)];
    // Columns are looked up once: a big level has thousands of lines.
    auto column = [&q](const char* field) { return q.FieldIndex(QLatin1String(field)); };
    QList<int> copied;
    for (const auto& [field, source] : kCopiedFields)
        copied << column(source);
    const int colBomID = column("BomID"), colFactor = column("UntFactor"), colFixed = column("BomFixed"), colQty = column("BomQty"),
              colBaseQty = column("BomBaseQty"), colPercent = column("BomPercent"), colLossRate = column("BomLossRate"),
              colPutLossRate = column("BomPutLossRate"), colItmID = column("BomItmID"), colBomType = column("BomItmBomType"),
              colItmBomID = column("BomItmBomID"), colRowHook = column("BomRowHook"), colBomCount = column("ItmBomCount"),
              colMrpType = column("ItmMrpType"), colUQty = column("BomUQty"), colUBaseQty = column("BomUBaseQty"),
              colBegin = column("BomBeginDate"), colEnd = column("BomEndDate");
    auto date = [&q](int col) {
        const TField f = q.Fields(col);
        return f.IsNull() ? QVariant() : QVariant(f.AsDate());
    };
    for (q.First(); !q.Eof(); q.Next()) {
        TBomLineRow row;
        row.Factor = q.Fields(colFactor).AsFloat();
        row.Qty.Fixed = q.Fields(colFixed).AsInteger() == 1;
        row.Qty.Qty = q.Fields(colQty).AsFloat();
        row.Qty.BaseQty = q.Fields(colBaseQty).AsFloat();
        row.Qty.Percent = q.Fields(colPercent).IsNull() ? 100 : q.Fields(colPercent).AsFloat();
        row.Qty.LossRate = q.Fields(colLossRate).AsFloat();
        row.Qty.PutLossRate = q.Fields(colPutLossRate).AsString();
        row.Bom = TBomRef{q.Fields(colItmID).AsString(), q.Fields(colBomType).AsInteger(), q.Fields(colItmBomID).AsString()};
        row.RowHook = q.Fields(colRowHook).AsString();
        row.HasBom = q.Fields(colBomCount).AsInteger() > 0 && !row.Bom.BomID.isEmpty();
        row.Phantom = q.Fields(colMrpType).AsInteger() == 4;
        row.Values.reserve(BomLineFields().size());
        for (const int col : copied)
            row.Values << q.Fields(col).Value();
        row.Values << row.Qty.Fixed << (FUseStdQty && row.Factor > 0 ? QVariant(row.Qty.Qty / row.Factor) : q.Fields(colUQty).Value())
                   << (FUseStdQty ? QVariant(row.Qty.BaseQty) : q.Fields(colUBaseQty).Value()) << row.Qty.Qty << row.Qty.BaseQty
                   << date(colBegin) << date(colEnd) << row.RowHook << row.Factor;
        FLines[Key(q.Fields(colBomID).AsString(), forceOneLevel)] << row;
    }
    return true;
}

TBomNodeQty BomLineQuantity(const TBomLineQty& line, const TBomNodeQty& parent, double parentYield, TBomLossChoice choice)
{
    const double base = line.BaseQty > 0 ? line.BaseQty : 1;
    const double perParent = line.Qty * line.Percent / (base * 100);
    TBomNodeQty q;
    q.Full = Round8(line.Fixed ? perParent : parent.Full * perParent);
    if (choice == blNone) {
        q.Trial = q.Full;
        return q;
    }
    const double yield = parentYield > 0 ? parentYield : 100;
    const double usage = line.Fixed ? perParent : parent.Trial * 100 / yield * perParent;
    const double loss = choice == blLossRate ? PercentToLossQty(line.LossRate, usage) : CalcLossQty(line.PutLossRate, 0, usage);
    q.Trial = Round8(usage + loss);
    return q;
}

} // namespace kx
