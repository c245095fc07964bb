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

} // namespace

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
    return RefRows(boms) + QStringLiteral("drop table if exists tmp_KX_MRP_BOM;\n") + RunTableStatement(QStringLiteral("tmp_KX_MRP_BOM"))
         + QStringLiteral(
               "call KX_MRP_GetBOM(ForceOneLevel => %1);\n"
               "call KX_MRP_SetBOMForBomItem();\n"
               "select s.BomID, s.BomEntry, s.BomRoleName, s.BomPercent, s.BomFixed, s.BomQty, s.BomBaseQty, s.BomUQty, s.BomUBaseQty,"
               " s.BomLossRate, s.BomPutLossRate, s.BomBeginDate, s.BomEndDate, s.BomNote, s.BomUntID, %2,"
               " (case when t.ItmMrpType<>0 then t.ItmMrpType else i.ItmType end) as ItmMrpType, i.ItmType, i.ItmNo, i.ItmName,"
               " i.ItmSpec, i.ItmTypeName, u.UntName, ub.UntName as ItmUntName, %3 as PropMask, s.BomItmBomNo, s.BomItmBomOkRate,"
               " s.BomItmID, s.BomProps, s.BomRowHook, s.BomItmBomType, s.BomItmBomID, coalesce(u.UntFactor, 1) as UntFactor,"
               " (case when s.BomItmBomLocked=1 then 1 else m.ItmBomCount end) as ItmBomCount\n"
               "  from tmp_KX_MRP_BOM as s left join KX_Base_ItemMaster as i on s.BomItmID=i.ItmID\n"
               "  left join KX_Base_Unit as u on s.BomUntID=u.UntID left join KX_Base_Unit as ub on i.ItmUnitID=ub.UntID\n"
               "  left join KX_MRP_ItemSetting as t on s.BomItmID=t.ItmID\n"
               "  left join (select s.BomItmID, count(*) as ItmBomCount\n"
               "               from (select distinct BomItmID from tmp_KX_MRP_BOM) as s join KX_MRP_ItemBOMs as m on s.BomItmID=m.BomItmID\n"
               "              where BomStandalone=1 group by s.BomItmID) as m on s.BomItmID=m.BomItmID\n"
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
    const int colBomID = q.FieldIndex(QStringLiteral("BomID"));
    for (q.First(); !q.Eof(); q.Next()) {
        auto v = [&q](const char* field) { return q.FieldByName(QLatin1String(field)).Value(); };
        auto date = [&q](const char* field) {
            const TField f = q.FieldByName(QLatin1String(field));
            return f.IsNull() ? QVariant() : QVariant(f.AsDate());
        };
        TBomLineRow row;
        row.Factor = q.FieldByName(QStringLiteral("UntFactor")).AsFloat();
        row.Qty.Fixed = q.FieldByName(QStringLiteral("BomFixed")).AsInteger() == 1;
        row.Qty.Qty = q.FieldByName(QStringLiteral("BomQty")).AsFloat();
        row.Qty.BaseQty = q.FieldByName(QStringLiteral("BomBaseQty")).AsFloat();
        row.Qty.Percent = q.FieldByName(QStringLiteral("BomPercent")).IsNull() ? 100 : q.FieldByName(QStringLiteral("BomPercent")).AsFloat();
        row.Qty.LossRate = q.FieldByName(QStringLiteral("BomLossRate")).AsFloat();
        row.Qty.PutLossRate = q.FieldByName(QStringLiteral("BomPutLossRate")).AsString();
        row.Bom = TBomRef{q.FieldByName(QStringLiteral("BomItmID")).AsString(), q.FieldByName(QStringLiteral("BomItmBomType")).AsInteger(),
                          q.FieldByName(QStringLiteral("BomItmBomID")).AsString()};
        row.RowHook = q.FieldByName(QStringLiteral("BomRowHook")).AsString();
        row.HasBom = q.FieldByName(QStringLiteral("ItmBomCount")).AsInteger() > 0 && !row.Bom.BomID.isEmpty();
        row.Phantom = q.FieldByName(QStringLiteral("ItmMrpType")).AsInteger() == 4;
        row.Values = QVariantMap{{QStringLiteral("BomEntry"), v("BomEntry")},
                                 {QStringLiteral("BomItmNo"), v("ItmNo")},
                                 {QStringLiteral("BomItmName"), v("ItmName")},
                                 {QStringLiteral("BomItmSpec"), v("ItmSpec")},
                                 {QStringLiteral("BomItmTypeName"), v("ItmTypeName")},
                                 {QStringLiteral("BomItmMrpType"), v("ItmMrpType")},
                                 {QStringLiteral("BomRole"), v("BomRoleName")},
                                 {QStringLiteral("BomPercent"), v("BomPercent")},
                                 {QStringLiteral("BomUnit"), v("UntName")},
                                 {QStringLiteral("BomBaseUnit"), v("ItmUntName")},
                                 {QStringLiteral("BomFixed"), row.Qty.Fixed},
                                 {QStringLiteral("BomUCurrQty"), FUseStdQty && row.Factor > 0 ? QVariant(row.Qty.Qty / row.Factor) : v("BomUQty")},
                                 {QStringLiteral("BomUBaseQty"), FUseStdQty ? QVariant(row.Qty.BaseQty) : v("BomUBaseQty")},
                                 {QStringLiteral("BomCurrQty"), row.Qty.Qty},
                                 {QStringLiteral("BomBaseQty"), row.Qty.BaseQty},
                                 {QStringLiteral("BomLossRate"), v("BomLossRate")},
                                 {QStringLiteral("BomPutLossRate"), v("BomPutLossRate")},
                                 {QStringLiteral("BomBeginDate"), date("BomBeginDate")},
                                 {QStringLiteral("BomEndDate"), date("BomEndDate")},
                                 {QStringLiteral("BomNote"), v("BomNote")},
                                 {QStringLiteral("BomItmBomNo"), v("BomItmBomNo")},
                                 {QStringLiteral("BomItmOkRate"), v("BomItmBomOkRate")},
                                 {QStringLiteral("BomItmID"), v("BomItmID")},
                                 {QStringLiteral("BomRowHook"), row.RowHook},
                                 {QStringLiteral("BomProps"), v("BomProps")},
                                 {QStringLiteral("BomPropMask"), v("PropMask")},
                                 {QStringLiteral("BomUnitFactor"), row.Factor},
                                 {QStringLiteral("BomItmBomType"), v("BomItmBomType")},
                                 {QStringLiteral("BomItmBomID"), v("BomItmBomID")}};
        for (int n = 1; n <= 10; ++n)
            row.Values.insert(QStringLiteral("BomProp%1").arg(n), q.FieldByName(QStringLiteral("BomProp%1").arg(n)).Value());
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
