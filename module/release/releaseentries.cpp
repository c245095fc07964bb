// Merging accepted rows into bill entries, the lot rule on merged quantities, the material
// lines of released orders and the substitutes requisitions offer, and the statements that
// record each row's release.
#include "release/release.h"

#include "db/dataset.h"
#include "db/quote.h"
#include "db/strutils.h"
#include "engine/hints.h"
#include "engine/planscheme.h"
#include "engine/runtables.h"
#include "masterdata/lossrate.h"
#include "release/outputlist.h"

#include <QSet>

#include <cmath>

namespace kx {

namespace {

const QChar kKeySeparator(0xF8F5);

// The quantity a lot rule gives a need: at least the minimum supply, then whole lot
// increments above it.
double LotRuleQty(double need, double minQty, double lotQty)
{
    const double m = minQty > 0 ? minQty : 0;
    if (need <= m)
        return m;
    if (lotQty > 0)
        return Round8(m + std::ceil((need - m) / lotQty - 1e-9) * lotQty);
    return need;
}

int LeadDays(int fixLead, int varLead, double varLeadLot, double qty)
{
    int lead = fixLead;
    if (varLead >= 1 && varLeadLot > 0)
        lead += int(std::ceil(qty / varLeadLot * varLead - 1e-9));
    return lead;
}

bool HasBom(int destType)
{
    return destType == btMO || destType == btOO || destType == btOR;
}

} // namespace

QString TMRPRelease::MergeKey(int row, int period) const
{
    const TMRPOutputRow& r = FList.Rows[size_t(row)];
    const TMRPOutputRow& top = r.Level == 0 ? r : FList.Rows[size_t(r.Parent)];
    const TMRPOutputOptions& o = FOptions[r.DestType];
    QStringList parts{QString::number(r.DestType), r.ItmID, r.ItmProps, QString::number(r.GroupType), r.GroupNo, r.DeptID};
    QString key = parts.join(kKeySeparator);
    // Orders of different BOMs are never one entry.
    if (HasBom(r.DestType))
        key += QStringLiteral(":%1%2%3").arg(r.BomType).arg(kKeySeparator).arg(r.BomID);
    if (o.MergeTrack == 0) {
        key += kKeySeparator + top.TrackKey;
    } else {
        QStringList attrs;
        switch (o.MergeTrack) {
        case 1: attrs << QString::number(r.OrigType) << r.OrigID << QString::number(r.OrigEntry); break;
        case 2: attrs << QString::number(r.OrigType) << r.OrigID << r.OrigItmID; break;
        case 3: attrs << QString::number(r.OrigType) << r.OrigID; break;
        case 4: attrs << r.OrigCustID << r.OrigItmID; break;
        case 5: attrs << r.OrigCustID; break;
        case 6: attrs << r.OrigTag; break;
        default: attrs << QString::number(o.MergeTrack); break;
        }
        key += QLatin1Char('|') + attrs.join(QLatin1Char('|'));
    }
    if (period >= 0)
        key += kKeySeparator + QStringLiteral("P%1").arg(period);
    return key;
}

// A row joins its entry whole, or, when periods are not merged, one part per plan period of
// its hints: what was released already is taken from the earliest periods, the proposal
// fills the next ones, and a part of a later period is due when that period begins.
void TMRPRelease::MergeRow(int row)
{
    const TMRPOutputRow& r = FList.Rows[size_t(row)];
    const TMRPOutputOptions& o = FOptions[r.DestType];
    const QDate draw = r.DrawDate.isValid() ? r.DrawDate : r.Date;
    const QMap<int, double> periods = r.Level == 0 && !r.Hints.isEmpty() ? ParseHints(r.Hints) : QMap<int, double>();
    if (o.MergePeriods || periods.size() < 2) {
        AddToEntry(row, r.DoDestQty, r.Date, draw, -1);
        return;
    }
    double released = r.DestQty;
    double left = r.DoDestQty;
    for (auto it = periods.begin(); it != periods.end() && left > 0; ++it) {
        double room = it.value();
        const double used = qMin(room, released);
        released = Round8(released - used);
        room = Round8(room - used);
        const bool last = std::next(it) == periods.end();
        const double part = last ? left : qMin(room, left);
        if (part <= 0)
            continue;
        left = Round8(left - part);
        QDate due = r.Date, start = draw;
        if (it.key() > r.Period && it.key() < FList.Periods.size() && FList.Periods[it.key()].DateBegin > r.Date) {
            due = FList.Periods[it.key()].DateBegin;
            start = WorkDayOffset(due, LeadDays(r.FixLeadTime, r.VarLeadTime, r.VarLeadLot, part), FHolidays);
        }
        AddToEntry(row, part, due, start, it.key());
    }
}

void TMRPRelease::AddToEntry(int row, double qty, const QDate& date, const QDate& drawDate, int period)
{
    const TMRPOutputRow& r = FList.Rows[size_t(row)];
    const QString key = MergeKey(row, period);
    auto found = FEntryOfKey.find(key);
    if (found == FEntryOfKey.end()) {
        TMRPOutputRec e;
        e.SupType = r.DestType;
        e.SupOrigType = r.OrigType;
        e.SupOrigID = r.OrigID;
        e.SupOrigNo = r.OrigNo;
        e.SupOrigEntry = r.OrigEntry;
        e.SupOrigItmID = r.OrigItmID;
        e.SupOrigCustID = r.OrigCustID;
        e.SupOrigCustName = r.OrigCust;
        e.SupOrigCustPO = r.OrigCustPO;
        e.SupOrigTag = r.OrigTag;
        e.SupOrigSubTag = r.OrigSubTag;
        e.SupGroupType = r.GroupType;
        e.SupGroupNo = r.GroupNo;
        e.SupItmID = r.ItmID;
        e.SupItmNo = r.ItmNo;
        e.SupItmProps = r.ItmProps;
        for (int n = 0; n < 10; ++n)
            e.SupItmProp[n] = r.ItmProp[n];
        e.SupMinQty = r.MinQty;
        e.SupLotQty = r.LotQty;
        e.SupUnitID = r.DestUnitID;
        e.SupUnitRate = r.DestUnitRate;
        e.SupBomType = r.BomType;
        e.SupBomID = r.BomID;
        e.SupSuppID = r.DeptID;
        e.SupCurID = r.CurID;
        e.SupBuyerID = r.BuyerID;
        e.SupPlannerID = r.PlannerID;
        e.SupNote = r.Note;
        e.SupDate = date;
        e.SupDrawDate = drawDate;
        e.SupBillDate = r.BillDate.isValid() ? r.BillDate : drawDate;
        e.FixLeadTime = r.FixLeadTime;
        e.VarLeadTime = r.VarLeadTime;
        e.VarLeadLot = r.VarLeadLot;
        FEntries.push_back(e);
        found = FEntryOfKey.insert(key, int(FEntries.size()) - 1);
    }
    TMRPOutputRec& e = FEntries[size_t(found.value())];
    e.SupStdQty = Round8(e.SupStdQty + qty);
    e.SupNodes.append({row, qty});
    // The entry is due when its earliest row is.
    if (date.isValid() && (!e.SupDate.isValid() || date < e.SupDate))
        e.SupDate = date;
    if (drawDate.isValid() && (!e.SupDrawDate.isValid() || drawDate < e.SupDrawDate))
        e.SupDrawDate = drawDate;
    if (e.SupNote.isEmpty())
        e.SupNote = r.Note;
    if (!e.SupUpdateSQL.isEmpty())
        e.SupUpdateSQL += QStringLiteral(";\n");
    e.SupUpdateSQL += WriteBackSQL(row, qty);
}

// What a row's release records: the supply's released quantity, releaser and time (and its
// note, when one was written), or for a substitute its released quantity against the
// supply and the demand it serves, and on the supply as much of its own item as that
// stands for, so that the supply offers only what is still uncovered.
QString TMRPRelease::WriteBackSQL(int row, double qty) const
{
    const TMRPOutputRow& r = FList.Rows[size_t(row)];
    const QString scheme = SQLInt(FScheme.SchemeIID);
    const QString supply = QStringLiteral("update KX_MRP_Supplies set SupDestQty=coalesce(SupDestQty,0)+%1, SupDester=%2, SupDestTime=%3, "
                                          "SupNote=(case when %4<>'' then %4 else SupNote end) where SupSchIID=%5 and SupIID=%6");
    if (r.Level == 0)
        return supply.arg(SQLQty(qty), QuotedStr(UserID), SQLDateTime(FServerTime), QuotedStr(r.Note), scheme, SQLInt(r.SupIID));
    return QStringLiteral("insert into KX_MRP_DestAlters (DstSchIID, DstSupIID, DstDmdIID, DstItmID, DstItmProps, DstQty) "
                          "values (%1, %2, %3, %4, %5, %6) on conflict (DstSchIID, DstSupIID, DstDmdIID, DstItmID, DstItmProps) "
                          "do update set DstQty=KX_MRP_DestAlters.DstQty+excluded.DstQty;\n")
               .arg(scheme, SQLInt(r.SupIID), SQLInt(r.DmdIID), QuotedStr(r.ItmID), QuotedStr(r.ItmProps), SQLQty(qty))
        + supply.arg(SQLQty(r.ParentQtyOf(qty)), QuotedStr(UserID), SQLDateTime(FServerTime), QStringLiteral("''"), scheme,
                     SQLInt(r.SupIID));
}

void TMRPRelease::FinishEntries()
{
    for (TMRPOutputRec& e : FEntries) {
        const TMRPOutputOptions& o = FOptions[e.SupType];
        if (o.LotRule)
            ApplyLotRule(e);
        if (o.OutPBoms && OutputHasMaterial(e.SupType) && !e.SupBomID.isEmpty())
            AddMaterial(e);
        if (e.SupType == btPR && FPROutputItemSubs)
            AddPurchaseSubs(e);
    }
}

// The merged quantity raised to the item's lot rule, and the start recomputed from the lead
// times over the factory calendar.
void TMRPRelease::ApplyLotRule(TMRPOutputRec& e)
{
    const double qty = LotRuleQty(e.SupStdQty, e.SupMinQty, e.SupLotQty);
    if (qty == e.SupStdQty)
        return;
    e.SupStdQty = qty;
    if (e.SupDate.isValid())
        e.SupDrawDate = WorkDayOffset(e.SupDate, LeadDays(e.FixLeadTime, e.VarLeadTime, e.VarLeadLot, qty), FHolidays);
}

// The material lines of an order's BOM at its start date, each line one group with its issue
// quantity (usage plus loss) and, as the settings say, its substitutes.
void TMRPRelease::AddMaterial(TMRPOutputRec& e)
{
    const TMRPOutputOptions& o = FOptions[e.SupType];
    const QDate draw = Raised(e.SupDrawDate.isValid() ? e.SupDrawDate : e.SupDate);
    TQuery q(&FConnection);
    q.SQL = QStringLiteral("drop table if exists tmp_KX_MRP_RefGetBOM; drop table if exists tmp_KX_MRP_BOM; %1%2"
                           "insert into tmp_KX_MRP_RefGetBOM (PrdID, BomType, BomID) values (%3, %4, %5); "
                           "call KX_MRP_GetBOM(); call KX_MRP_SetBOMForBomItem(%6); "
                           "select b.BomEntry, b.BomItmID, b.BomProps, b.BomProp1, b.BomProp2, b.BomProp3, b.BomProp4, b.BomProp5, "
                           "b.BomProp6, b.BomProp7, b.BomProp8, b.BomProp9, b.BomProp10, b.BomFixed, b.BomQty, b.BomBaseQty, "
                           "b.BomPercent, b.BomLossRate, b.BomPutLossRate, b.BomRowHook, coalesce(mt.ItmPutInteger, 0) as PutInteger "
                           "from tmp_KX_MRP_BOM as b left join KX_MRP_ItemSetting as mt on mt.ItmID=b.BomItmID "
                           "where coalesce(b.BomRole, 0)=0 order by b.BomEntry")
                .arg(RunTableStatement(QStringLiteral("tmp_KX_MRP_RefGetBOM")), RunTableStatement(QStringLiteral("tmp_KX_MRP_BOM")),
                     QuotedStr(e.SupItmID), SQLInt(e.SupBomType), QuotedStr(e.SupBomID), SQLDate(draw));
    q.Open();
    struct TLine {
        int Entry;
        QString Hook;
    };
    QList<TLine> lines;
    for (int i = 0; i < q.RecordCount(); ++i) {
        const double base = q.NumberAt(i, 15) > 0 ? q.NumberAt(i, 15) : 1.0;
        const double percent = q.IsNullAt(i, 16) ? 100.0 : q.NumberAt(i, 16);
        const double usage = Round8(q.IntAt(i, 13) == 1 ? q.NumberAt(i, 14) : e.SupStdQty * q.NumberAt(i, 14) * percent / 100.0 / base);
        const double loss = CalcLossQty(q.TextAt(i, 18), q.NumberAt(i, 17), usage);
        double issue = Round8(usage + loss);
        if (q.IntAt(i, 20) == 1)
            issue = std::ceil(issue - 1e-9);
        TMRPOutputSub group;
        group.Key = QString::number(q.IntAt(i, 0));
        group.Qty = issue;
        group.LossRate = LossQtyToPercent(loss, usage);
        TMRPOutputSubItem item;
        item.ItemID = q.TextAt(i, 1);
        item.ItemProps = q.TextAt(i, 2);
        for (int n = 0; n < 10; ++n)
            item.ItemProp[n] = q.TextAt(i, 3 + n);
        item.MRPGroupType = e.SupGroupType;
        item.MRPGroupNo = e.SupGroupNo;
        group.Items.push_back(item);
        e.SupSubItems.push_back(group);
        lines.append({q.IntAt(i, 0), q.TextAt(i, 19)});
    }
    if (o.ItemSubs == oisNone || lines.isEmpty())
        return;

    // The substitutes offered for each line at the start date; unless all are wanted, only
    // those the run let replace the component or that were released for it before.
    QStringList refs, supplies;
    for (const auto& [row, qty] : e.SupNodes)
        supplies << SQLInt(FList.Rows[size_t(row)].SupIID);
    for (size_t g = 0; g < e.SupSubItems.size(); ++g)
        refs << QStringLiteral("(0, %1, %2, %3, %4, %5)")
                    .arg(SQLInt(lines[int(g)].Entry), QuotedStr(e.SupSubItems[g].Items[0].ItemID),
                         QuotedStr(e.SupSubItems[g].Items[0].ItemProps),
                         lines[int(g)].Hook.isEmpty() ? QStringLiteral("null") : QuotedStr(lines[int(g)].Hook), SQLDate(draw));
    const QString used = o.ItemSubs == oisAll
                             ? QStringLiteral("true")
                             : QStringLiteral("(exists (select 1 from KX_MRP_Demands as d join KX_MRP_Allots as l on l.AltSchIID=d.DmdSchIID "
                                              "and l.AltDmdIID=d.DmdIID and l.AltIsRepl=1 join KX_MRP_Supplies as s on s.SupSchIID=l.AltSchIID "
                                              "and s.SupIID=l.AltSupIID where d.DmdSchIID=%1 and d.DmdPSupIID in (%2) and d.DmdItmID=x.SubItmID "
                                              "and s.SupItmID=x.SubRItmID) or exists (select 1 from KX_MRP_DestAlters as a where "
                                              "a.DstSchIID=%1 and a.DstSupIID in (%2) and a.DstItmID=x.SubRItmID))")
                                   .arg(SQLInt(FScheme.SchemeIID), supplies.join(QLatin1Char(',')));
    QString props;
    for (int n = 1; n <= 10; ++n)
        props += QStringLiteral(", x.SubRProp%1").arg(n);
    q.SQL = QStringLiteral("drop table if exists tmp_KX_MRP_DemandRefItems; drop table if exists tmp_KX_MRP_ItemSubsForDemand; "
                           "create temp table tmp_KX_MRP_DemandRefItems (SupIID int, DmdIID int, DmdItmID varchar(50) not null, "
                           "DmdItmProps varchar(100) not null default '', DmdBomHook varchar(50), DmdDate timestamp(3)); "
                           "create temp table tmp_KX_MRP_ItemSubsForDemand (SupIID int, DmdIID int, SubGlobal smallint, SubPriority int, "
                           "SubItmID varchar(50), SubRItmID varchar(50), SubRProps varchar(100), SubRProp1 varchar(80), "
                           "SubRProp2 varchar(80), SubRProp3 varchar(80), SubRProp4 varchar(80), SubRProp5 varchar(80), "
                           "SubRProp6 varchar(80), SubRProp7 varchar(80), SubRProp8 varchar(80), SubRProp9 varchar(80), "
                           "SubRProp10 varchar(80), SubQty numeric(28,8), SubRQty numeric(28,8), SubReplace smallint, SubBomType smallint, "
                           "SubBomID varchar(50), SubBomNo varchar(80), SubBeginDate timestamp(3), SubEndDate timestamp(3), "
                           "SubNote varchar(500)); "
                           "insert into tmp_KX_MRP_DemandRefItems (SupIID, DmdIID, DmdItmID, DmdItmProps, DmdBomHook, DmdDate) values %1; "
                           "call KX_MRP_GetItemSubsForDemand(); "
                           "select x.DmdIID, x.SubRItmID, x.SubRProps%2, x.SubQty, x.SubRQty from tmp_KX_MRP_ItemSubsForDemand as x "
                           "where %3 order by x.DmdIID, x.SubGlobal, x.SubPriority")
                .arg(refs.join(QStringLiteral(", ")), props, used);
    q.Open();
    QHash<int, size_t> groupOfEntry;
    for (size_t g = 0; g < e.SupSubItems.size(); ++g)
        groupOfEntry.insert(lines[int(g)].Entry, g);
    for (int i = 0; i < q.RecordCount(); ++i) {
        auto g = groupOfEntry.find(q.IntAt(i, 0));
        if (g == groupOfEntry.end())
            continue;
        TMRPOutputSubItem sub;
        sub.ItemID = q.TextAt(i, 1);
        sub.ItemProps = q.TextAt(i, 2);
        for (int n = 0; n < 10; ++n)
            sub.ItemProp[n] = q.TextAt(i, 3 + n);
        sub.MRPGroupType = e.SupGroupType;
        sub.MRPGroupNo = e.SupGroupNo;
        // A substitute may take the whole line, in its own ratio to the component.
        const double subQty = q.NumberAt(i, 13), subRQty = q.NumberAt(i, 14);
        sub.SubRate = subQty > 0 ? Round8(100.0 * subRQty / subQty) : 100.0;
        e.SupSubItems[g.value()].Items.push_back(sub);
    }
}

// A requisition line offers the checked substitutes of its rows as one group.
void TMRPRelease::AddPurchaseSubs(TMRPOutputRec& e)
{
    TMRPOutputSub group;
    group.Key = e.SupItmID;
    group.Qty = e.SupStdQty;
    QSet<QString> seen;
    for (const auto& [row, qty] : e.SupNodes) {
        const TMRPOutputRow& r = FList.Rows[size_t(row)];
        if (r.Level != 0)
            continue;
        for (int child : r.Children) {
            const TMRPOutputRow& s = FList.Rows[size_t(child)];
            const QString key = s.ItmID + kKeySeparator + s.ItmProps;
            if (!s.Checked || seen.contains(key))
                continue;
            seen.insert(key);
            TMRPOutputSubItem item;
            item.ItemID = s.ItmID;
            item.ItemProps = s.ItmProps;
            for (int n = 0; n < 10; ++n)
                item.ItemProp[n] = s.ItmProp[n];
            item.MRPGroupType = s.GroupType;
            item.MRPGroupNo = s.GroupNo;
            item.SuppID = s.DeptID;
            item.SubRate = s.SubQty > 0 ? Round8(100.0 * s.SubRQty / s.SubQty) : 100.0;
            group.Items.push_back(item);
        }
    }
    if (!group.Items.empty())
        e.SupSubItems.push_back(group);
}

} // namespace kx
