// Planned supplies of one level: the uncovered details of each item key are grouped by
// tracking key, BOM and kind ("跟踪合并"), each group forms one planned supply whose quantity
// follows the item's lot rule, with its due date, lead time and start date over the factory
// calendar; then the level's allocations, supplies and demands are written back.
#include "engine/mrplevel.h"

#include "db/connection.h"
#include "db/copyrows.h"
#include "db/dataset.h"
#include "db/quote.h"
#include "db/strutils.h"
#include "engine/hints.h"
#include "engine/mrprun_p.h"
#include "engine/progress.h"

#include <QStringBuilder>

#include <algorithm>

namespace kx {

namespace {

// Kinds planned one per demand, without lot rules: level-skipping, virtual and other items.
bool IsPerDemandKind(int kind)
{
    return kind == btPlanMOSkip || kind == btPlanOOSkip || kind == btPlanOther || kind == btPlanMOVirtual || kind == btPlanOOVirtual;
}

// Kinds whose department column names a supplier.
bool SuppliedBySupplier(int kind)
{
    return kind == btPlanPO || kind == btPlanOO || kind == btPlanOOSkip || kind == btPlanOOVirtual;
}

bool IsPlannedKind(int kind)
{
    return kind == btPlanMO || kind == btPlanMOSkip || kind == btPlanOO || kind == btPlanOOSkip || kind == btPlanPO ||
           kind == btPlanOther || kind == btPlanMOVirtual || kind == btPlanOOVirtual;
}

// Quantity of one addition to a planned supply: the need, raised to the minimum (when this is
// the group's first addition or a new date) and to whole lots above it.
double LotQuantity(double need, double minQty, double lotQty, bool newDate)
{
    const double m = (minQty > 0 && newDate) ? minQty : 0;
    if (need <= m)
        return m;
    if (lotQty > 0)
        return Round8(m + std::ceil((need - m) / lotQty - 1e-9) * lotQty);
    return need;
}

// The next planned supply of a group whose current one is full: the same kind, department,
// BOM and tracking key, nothing in it yet; it is named after the demand that opens it. A kept
// adjustment stays with the group's first supply.
TMRPPlannedRec NextPlanned(const TMRPPlannedRec& full, int demand)
{
    TMRPPlannedRec next;
    next.Demand = demand;
    next.Kind = full.Kind;
    next.Dept = full.Dept;
    next.BomType = full.BomType;
    next.BomID = full.BomID;
    next.BomLocked = full.BomLocked;
    next.TrackKey = full.TrackKey;
    next.OldKind = full.OldKind;
    next.OldBomID = full.OldBomID;
    return next;
}

} // namespace

void TMRPLevel::PlanSupplies()
{
    ByItem = Order;
    std::stable_sort(ByItem.begin(), ByItem.end(),
                     [&](int a, int b) { return Dmd[Dtl[a].DtlDmdRec].DmdItmIndex < Dmd[Dtl[b].DtlDmdRec].DmdItmIndex; });
    const bool lotRules = R.Scheme.CareItemLotRule;
    QHash<QString, int> groups;
    int currentItem = -1;
    for (int idx : ByItem) {
        TMRPDemandDetailRec& dtl = Dtl[idx];
        if (dtl.DtlQty <= 0)
            continue;
        const TMRPDemandRec& d = Dmd[dtl.DtlDmdRec];
        const TMRPItemSumRec& item = Items[d.DmdItmIndex];
        if (d.DmdItmIndex != currentItem) {
            groups.clear();           // a new item key closes the groups of the previous one
            currentItem = d.DmdItmIndex;
        }
        int kind = d.DmdSupType;
        QString dept = d.DmdSupDept;
        int bomType = d.DmdBomType;
        QString bomID = d.DmdBomID;
        bool locked = d.DmdBomLocked;
        // The planner's earlier change of this item and tracking key, as far as it is kept.
        const TMRPPlanAdjustRec adjust = Adjusts.isEmpty() ? TMRPPlanAdjustRec()
                                                           : Adjusts.value(d.DmdItemKey % QLatin1Char('\n') % d.DmdTrackKey);
        if (adjust.Adjust) {
            if (R.KeepType && IsPlannedKind(adjust.AdjSupType) && adjust.AdjSupType != kind) {
                kind = adjust.AdjSupType;
                const TKindDepts& depts = ItemDepts[d.DmdItmIndex];
                dept = kind == btPlanPO ? depts.PO : kind == btPlanMO ? depts.MO : kind == btPlanOO ? depts.OO : dept;
            }
            if (R.KeepBom && !adjust.AdjBomID.isEmpty()) {
                bomType = adjust.AdjBomType;
                bomID = adjust.AdjBomID;
                locked = true;
            }
        }
        const QString key = IsPerDemandKind(kind)
                                ? QStringLiteral("D%1").arg(d.DmdIID)
                                : d.DmdTrackKey % QLatin1Char('\x1f') % bomID % QLatin1Char('\x1f') % QString::number(bomType) %
                                      QLatin1Char('\x1f') % QString::number(kind);
        auto g = groups.find(key);
        if (g == groups.end()) {
            TMRPPlannedRec rec;
            rec.Demand = dtl.DtlDmdRec;
            rec.Kind = kind;
            rec.Dept = dept;
            rec.BomType = bomType;
            rec.BomID = bomID;
            rec.BomLocked = locked;
            rec.TrackKey = d.DmdTrackKey;
            rec.OldKind = d.DmdSupType;
            rec.OldBomID = d.DmdBomID;
            if (adjust.Adjust && (R.KeepType || R.KeepBom || R.KeepQty))
                rec.Adjust = adjust;
            g = groups.insert(key, int(Planned.size()));
            Planned.push_back(rec);
        }
        auto link = [&](TMRPPlannedRec& p, double qty) {
            for (auto& parent : p.Parents)
                if (parent.first == d.DmdIID) {
                    parent.second = Round8(parent.second + qty);
                    return;
                }
            p.Parents.append({d.DmdIID, qty});
        };
        double need = dtl.DtlQty;
        // What the group's previous lot left over covers the next demands first.
        {
            TMRPPlannedRec& p = Planned[g.value()];
            const double c = std::min(p.Surplus, need);
            if (c > 0) {
                link(p, c);
                p.Surplus = Round8(p.Surplus - c);
                need = Round8(need - c);
            }
        }
        if (need > 0) {
            const int shift = d.DmdPreLeadTime + ((kind == btPlanOO || kind == btPlanPO) ? item.ItmPostLeadTime : 0);
            const QDate required = WorkDayOffset(DayNumberToDate(dtl.DtlDate), shift, R.Holidays);
            const qint64 day = Day(required);
            const int period = PeriodOf(required);
            const bool lot = lotRules && !IsPerDemandKind(kind);
            // A planned supply holds at most the item's maximum: the need beyond it goes to
            // further supplies of the group, each shaped by the lot rule anew.
            const double maximum = lot ? item.ItmMaxQty : 0;
            for (;;) {
                if (maximum > 0 && Planned[g.value()].Total >= maximum - 1e-9) {
                    Planned.push_back(NextPlanned(Planned[g.value()], dtl.DtlDmdRec));
                    g.value() = int(Planned.size()) - 1;
                }
                TMRPPlannedRec& p = Planned[g.value()];
                double q = lot ? LotQuantity(need, item.ItmMinQty, item.ItmLotQty, p.LastDate < 0 || day != p.LastDate) : need;
                if (maximum > 0)
                    q = std::min(q, Round8(maximum - p.Total));
                const double take = std::min(q, need);
                if (p.LastDate < 0) {
                    p.FirstDate = day;
                    p.FirstPeriod = period;
                }
                p.PeriodQty[period] = Round8(p.PeriodQty.value(period) + q);
                p.Total = Round8(p.Total + q);
                link(p, take);
                p.Surplus = Round8(q - take);
                p.LastDate = day;
                need = Round8(need - take);
                if (need <= 0)
                    break;
            }
        }
        dtl.DtlQty = 0;
    }
}

void TMRPLevel::WritePlanned()
{
    if (Planned.empty())
        return;
    // Row numbers of the new supplies, drawn from the run table's own sequence as one block:
    // the sequence belongs to this session's table, so nothing else draws from it between.
    TQuery q(&R.Connection);
    q.SQL = QStringLiteral("select setval(s::regclass, nextval(s::regclass)+%1-1) from pg_get_serial_sequence('tmp_kx_mrp_supplies', 'supiid') as s")
                .arg(Planned.size());
    q.Open();
    const int firstIID = q.Fields(0).AsInteger() - int(Planned.size()) + 1;
    TCopyRows rows(R.Connection, QStringLiteral("tmp_KX_MRP_Supplies"), QLatin1String(kSupplyColumns));
    TCopyRows adjustRows(R.Connection, QStringLiteral("tmp_KX_MRP_SupAdjusts"),
                         QStringLiteral("AdjSupIID, AdjOldType, AdjOldBomID, AdjOldQty"));
    for (size_t k = 0; k < Planned.size(); ++k) {
        const TMRPPlannedRec& p = Planned[k];
        const TMRPDemandRec& d = Dmd[p.Demand];
        const TMRPItemSumRec& item = Items[d.DmdItmIndex];
        const int iid = firstIID + int(k);
        // Due date: the first demand's date when the earliest period with quantity is its
        // period, else the first day of that period (the period before the horizon: its last).
        const int earliest = p.PeriodQty.isEmpty() ? p.FirstPeriod : p.PeriodQty.firstKey();
        const QDate due = earliest == p.FirstPeriod ? DayNumberToDate(p.FirstDate)
                        : earliest == 0             ? FPeriods[0].DateEnd
                                                    : FPeriods[earliest].DateBegin;
        const double adjQty = (R.KeepQty && p.Adjust.Adjust) ? p.Adjust.AdjQty : 0;
        const double qty = Round8(p.Total + adjQty);
        double allotted = 0;
        QString parents;
        for (const auto& [dmd, parentQty] : p.Parents) {
            allotted = Round8(allotted + parentQty);
            if (!parents.isEmpty())
                parents += QLatin1Char('|');
            parents += QString::number(dmd);
            parents += QLatin1Char(':');
            parents += FloatToText(parentQty);
        }
        int lead = item.ItmFixLeadTime;
        if (item.ItmVarLeadTime >= 1 && item.ItmVarLeadLot > 0)
            lead += int(std::ceil(qty / item.ItmVarLeadLot * item.ItmVarLeadTime - 1e-9));
        const QDate start = WorkDayOffset(due, lead, R.Holidays);
        THints spread;
        for (auto it = p.PeriodQty.begin(); it != p.PeriodQty.end(); ++it)
            if (it.value() > 0)
                spread.insert(it.key(), it.value());
        const QByteArray hints = spread.size() > 1 ? FormatHints(spread).toUtf8() : QByteArray();
        const bool toSupplier = SuppliedBySupplier(p.Kind);
        // A planned supply belongs to the period in which it has to start.
        rows.Int(iid).Int(PeriodOf(start)).Int(p.Kind).Null().Text(d.DmdBillNo).Int(d.DmdBillEntry).Date(start).Qty(p.Total);
        toSupplier ? rows.Text(p.Dept) : rows.Null();
        toSupplier ? rows.Null() : rows.Text(p.Dept);
        rows.Int(d.DmdOrigType).Text(d.DmdOrigID).Text(d.DmdOrigNo).Int(d.DmdOrigEntry).Text(d.DmdOrigItmID).Text(d.DmdOrigCustID)
            .Text(d.DmdOrigCustPO).Text(d.DmdOrigTag).Text(d.DmdOrigSubTag).Int(item.ItmGroupType).Text(item.ItmGroupNo)
            .Text(item.ItmID).Text(item.ItmProps);
        for (const QString& prop : item.ItmProp)
            rows.Text(prop);
        rows.Date(due).Int(lead).Int(d.DmdPriority).Int(d.DmdIID).Qty(adjQty).Qty(qty).Qty(0).Qty(allotted).Qty(0).Qty(0).Int(0)
            .Qty(Round8(qty - allotted)).Int(p.BomLocked ? 1 : 0).Int(p.BomType);
        p.BomID.isEmpty() ? rows.Null() : rows.Text(p.BomID);
        const std::string_view hintsText(hints.constData(), size_t(hints.size()));
        rows.Date(start).Null().Null().Null().Null().Null().Text(d.DmdNote).Text(hintsText).Text(hintsText).Text(parents)
            .Text(p.TrackKey).EndRow();
        if (p.Adjust.Adjust) {
            adjustRows.Int(iid).Int(p.OldKind);
            p.OldBomID.isEmpty() ? adjustRows.Null() : adjustRows.Text(p.OldBomID);
            adjustRows.Qty(adjQty).EndRow();
        }
    }
    rows.Finish();
    adjustRows.Finish();
}

void TMRPLevel::WriteBack()
{
    // Allocations, in the order of the details with the item first.
    std::vector<int> rank(Dtl.size());
    for (size_t i = 0; i < ByItem.size(); ++i)
        rank[ByItem[i]] = int(i);
    std::vector<int> allots(Allots.size());
    for (size_t i = 0; i < allots.size(); ++i)
        allots[i] = int(i);
    std::stable_sort(allots.begin(), allots.end(), [&](int a, int b) { return rank[Allots[a].AltDtlIndex] < rank[Allots[b].AltDtlIndex]; });
    QSet<int> lateOrEarly;
    {
        TCopyRows rows(R.Connection, QStringLiteral("tmp_KX_MRP_Allots"),
                       QStringLiteral("AltPeriod, AltSupIID, AltDmdIID, AltDate, AltAdjDays, AltTrack, AltQty, AltIsGrpx, AltIsRepl, AltReplQty"));
        for (int i : allots) {
            const TMRPAllotRec& a = Allots[i];
            rows.Int(a.AltPeriod).Int(Sup[a.AltSupIndex].SupIID).Int(Dmd[Dtl[a.AltDtlIndex].DtlDmdRec].DmdIID).Date(a.AltDate)
                .Int(a.AltAdjDays).Int(a.AltTrackLevel).Qty(a.AltQty).Int(a.AltGroupX ? 1 : 0).Int(a.AltReplace ? 1 : 0)
                .Qty(a.AltReplQty).EndRow();
            if (a.AltAdjDays != 0)
                lateOrEarly.insert(a.AltSupIndex);
        }
        rows.Finish();
    }
    {
        // Each supply is read by one level only (its item's): its row here is final.
        TCopyRows rows(R.Connection, QStringLiteral("tmp_KX_MRP_SupUpdates"),
                       QStringLiteral("SupIID, SupAllotQty, SupAReplQty, SupRestQty, SupHasAdjDays, SupHints"));
        for (size_t i = 0; i < Sup.size(); ++i) {
            const TMRPSupplyRec& s = Sup[i];
            if (!s.SupAlloted)
                continue;
            rows.Int(s.SupIID).Qty(s.SupAllotQty).Qty(s.SupAReplQty).Qty(s.SupRestQty).Int(lateOrEarly.contains(int(i)) ? 1 : 0)
                .Text(s.SupHints).EndRow();
        }
        rows.Finish();
    }
    for (const TMRPDemandRec& d : Dmd) {
        TDemandResult& r = R.ResultOf(d.DmdIID);
        r.Set = true;
        r.Period = d.DmdPeriod;
        r.Date = d.DmdDate;
        r.Inv = d.DmdInvQty;
        r.MO = d.DmdMOQty;
        r.OO = d.DmdOOQty;
        r.PO = d.DmdPOQty;
        r.MR = d.DmdMRQty;
        r.OR = d.DmdORQty;
        r.PR = d.DmdPRQty;
        r.Chk = d.DmdChkQty;
        r.PChk = d.DmdPChkQty;
        r.Grpx = d.DmdGrpxQty;
        r.Repl = d.DmdReplQty;
        r.PPP1 = d.DmdPPPQty1;
        r.PPP2 = d.DmdPPPQty2;
        r.PDmdIID1 = d.DmdPDmdIID1;
        r.PDmdIID2 = d.DmdPDmdIID2;
        r.Qty = Round8(std::max(0.0, d.DmdQty));
        r.Hints = d.DmdHints;
        r.AsItCame = !d.DmdDateMoved && d.DmdWholeDay && r.Qty == d.DmdReadQty && r.Inv == 0 && r.MO == 0 && r.OO == 0 &&
                     r.PO == 0 && r.MR == 0 && r.OR == 0 && r.PR == 0 && r.Chk == 0 && r.PChk == 0 && r.Grpx == 0 && r.Repl == 0 &&
                     r.PPP1 == 0 && r.PPP2 == 0 && r.PDmdIID1 == 0 && r.PDmdIID2.isEmpty();
    }
    WritePlanned();
}

} // namespace kx
