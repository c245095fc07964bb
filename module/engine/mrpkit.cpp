// Kit-complete ("齐套") quantities: how much of each demand is covered down through all its
// BOM levels by the supplies the scheme's kit basis counts, and how much of each supply its
// components make complete. Worked from the deepest level up, in memory.
#include "engine/mrprun_p.h"

#include "db/connection.h"
#include "db/copyrows.h"
#include "db/dataset.h"
#include "engine/mrplevel.h"
#include "engine/progress.h"

#include <QHash>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <optional>

namespace kx {

namespace {

struct TKitDemand {
    int IID = 0;
    int Type = 0;
    int Level = -1;
    double Need = 0, BillQty = 0;
    int Parent = -1;              // index of the parent supply
    bool SuitSkip = false;
    double ASet = 0;
    std::optional<double> Rate;
    bool ASetTouched = false;
};

struct TKitSupply {
    int IID = 0;
    int Level = -1;
    int Type = 0;
    double Qty = 0, BillQty = 0;
    int PDmdIID = 0;
    QString Parents;              // "demand:qty|..."
    bool PutInteger = false;
    int Decimals = 4;
    std::optional<double> DSetQty, DSetRate;
    QList<int> Components;        // demand indexes
    QList<int> Allots;            // indexes into allocations
};

struct TKitAllot {
    int Demand = -1;
    double Qty = 0;
    bool Repl = false;
    double ReplQty = 0;
};

double Round2(double v)
{
    return std::round(v * 100) / 100;
}

// Whole pieces for an item issued in whole numbers, otherwise cut to the item's decimals.
double Cut(double v, const TKitSupply& parent)
{
    if (parent.PutInteger)
        return std::floor(v + 1e-9);
    const double scale = std::pow(10.0, parent.Decimals);
    return std::trunc(v * scale + (v >= 0 ? 1e-9 : -1e-9)) / scale;
}

} // namespace

void TKitCalculation::Run(bool demandsAsRead)
{
    TQuery q(&R.Connection);
    std::vector<TKitDemand> dmd;
    std::vector<TKitSupply> sup;
    std::vector<TKitAllot> allots;
    TIndexOfIID dmdIndex, supIndex;
    std::vector<int> parentIID;
    auto add = [&](int iid, const TDemandAsRead& a) {
        TKitDemand& d = dmd.emplace_back();
        d.IID = iid;
        d.Type = a.BillType;
        d.Level = a.Level;
        d.Need = a.NeedQty;
        d.BillQty = a.BillQty;
        d.SuitSkip = a.SuitSkip;
        parentIID.push_back(a.PSupIID);
        dmdIndex.Insert(iid, int(dmd.size()) - 1);
    };

    // Every demand was read by its level, as it is now, unless a demand is among the rows
    // that no level read or has had its parent set since.
    demandsAsRead = demandsAsRead && R.AllDemandsAsRead();
    if (demandsAsRead) {
        for (size_t iid = 0; iid < R.DemandResults.size(); ++iid)
            if (R.DemandResults[iid].AsRead.Read)
                add(int(iid), R.DemandResults[iid].AsRead);
    } else {
        q.SQL = QStringLiteral("select d.DmdIID, d.DmdBillType, coalesce(l.LowestCode, -1), d.DmdNeedQty, coalesce(d.DmdBillQty, 0), "
                               "coalesce(d.DmdPSupIID, 0), coalesce(t.ItmSuitSkip, 0) from tmp_KX_MRP_Demands as d left join "
                               "tmp_KX_MRP_ItemLowestCode as l on l.ItmID=d.DmdItmID left join KX_MRP_ItemSetting as t on t.ItmID=d.DmdItmID");
        q.Open();
        dmd.reserve(size_t(q.RecordCount()));
        for (int r = 0; r < q.RecordCount(); ++r) {
            TDemandAsRead a;
            a.BillType = q.IntAt(r, 1);
            a.Level = q.IntAt(r, 2);
            a.NeedQty = q.NumberAt(r, 3);
            a.BillQty = q.NumberAt(r, 4);
            a.PSupIID = q.IntAt(r, 5);
            a.SuitSkip = q.IntAt(r, 6) != 0;
            add(q.IntAt(r, 0), a);
        }
    }
    q.SQL = QStringLiteral("select s.SupIID, coalesce(l.LowestCode, -1), s.SupBillType, s.SupQty, coalesce(s.SupBillQty, 0), "
                           "coalesce(s.SupPDmdIID, 0), coalesce(s.SupPDmdIIDs, ''), coalesce(t.ItmPutInteger, 0), i.ItmDecimal "
                           "from tmp_KX_MRP_Supplies as s join KX_Base_ItemMaster as i on i.ItmID=s.SupItmID left join "
                           "tmp_KX_MRP_ItemLowestCode as l on l.ItmID=s.SupItmID left join KX_MRP_ItemSetting as t on t.ItmID=s.SupItmID");
    q.Open();
    sup.resize(size_t(q.RecordCount()));
    for (int r = 0; r < q.RecordCount(); ++r) {
        TKitSupply& s = sup[size_t(r)];
        s.IID = q.IntAt(r, 0);
        s.Level = q.IntAt(r, 1);
        s.Type = q.IntAt(r, 2);
        s.Qty = q.NumberAt(r, 3);
        s.BillQty = q.NumberAt(r, 4);
        s.PDmdIID = q.IntAt(r, 5);
        s.Parents = q.TextAt(r, 6);
        s.PutInteger = q.IntAt(r, 7) != 0;
        s.Decimals = q.IntAt(r, 8);
        supIndex.Insert(s.IID, r);
    }
    for (size_t i = 0; i < dmd.size(); ++i) {
        const int p = supIndex.Value(parentIID[i]);
        dmd[i].Parent = p;
        if (p >= 0)
            sup[size_t(p)].Components << int(i);
    }
    q.SQL = QStringLiteral("select AltSupIID, AltDmdIID, AltQty, coalesce(AltIsRepl, 0), coalesce(AltReplQty, 0) from tmp_KX_MRP_Allots "
                           "order by AltSupIID, AltIID");
    q.Open();
    allots.reserve(size_t(q.RecordCount()));
    for (int r = 0; r < q.RecordCount(); ++r) {
        const int s = supIndex.Value(q.IntAt(r, 0));
        if (s < 0)
            continue;
        allots.push_back({dmdIndex.Value(q.IntAt(r, 1)), q.NumberAt(r, 2), q.IntAt(r, 3) != 0,
                          q.NumberAt(r, 4)});
        sup[size_t(s)].Allots << int(allots.size() - 1);
    }

    // What covers a demand: what its components made complete and stock, plus what the
    // scheme's kit basis counts (goods in inspection, purchase orders, purchase requisitions).
    const int basis = R.Scheme.CareItemSuites;
    auto result = [&](const TKitDemand& d) -> const TDemandResult& { return R.ResultIfRead(d.IID); };
    auto covered = [&](const TKitDemand& d) {
        const TDemandResult& r = result(d);
        double c = d.ASet + r.Inv;
        if (basis == 1)
            c += r.PChk;
        else if (basis >= 2)
            c += r.PO + (basis == 3 ? r.PR : 0);
        return c;
    };
    auto coveredAny = [&](const TKitDemand& d) {
        const TDemandResult& r = result(d);
        return d.ASet > 0 || r.Inv > 0 || (basis == 1 && r.PChk > 0) || (basis >= 2 && r.PO > 0) || (basis == 3 && r.PR > 0);
    };

    std::vector<std::vector<int>> supByLevel(size_t(std::max(R.Levels, 1))), dmdByLevel(size_t(std::max(R.Levels, 1)));
    for (size_t i = 0; i < sup.size(); ++i)
        if (sup[i].Level >= 0 && sup[i].Level < R.Levels)
            supByLevel[size_t(sup[i].Level)].push_back(int(i));
    for (size_t i = 0; i < dmd.size(); ++i)
        if (dmd[i].Level >= 0 && dmd[i].Level < R.Levels)
            dmdByLevel[size_t(dmd[i].Level)].push_back(int(i));

    for (int level = R.Levels - 1; level >= 0; --level) {
        R.Progress.CheckAbort();
        std::vector<int> supplies = supByLevel[size_t(level)];
        // On level 0 the orders whose components MRP plans count whatever their code.
        if (level == 0)
            for (size_t i = 0; i < sup.size(); ++i)
                if (sup[i].PDmdIID < 0 && sup[i].Level != 0)
                    supplies.push_back(int(i));
        if (level < R.Levels - 1) {
            // A supply is as complete as its least complete component (components left out of
            // kit counting do not count; with none left it is complete).
            for (int si : supplies) {
                TKitSupply& s = sup[size_t(si)];
                bool any = false;
                std::optional<double> qty, rate;
                for (int di : s.Components) {
                    const TKitDemand& c = dmd[size_t(di)];
                    if (c.BillQty <= 0)
                        continue;
                    any = true;
                    if (c.SuitSkip)
                        continue;
                    qty = qty ? std::min(*qty, c.ASet) : c.ASet;
                    const double r = c.Rate.value_or(0);
                    rate = rate ? std::min(*rate, r) : r;
                }
                if (any) {
                    s.DSetQty = qty.value_or(s.Qty);
                    s.DSetRate = rate.value_or(100);
                }
            }
            for (int si : supByLevel[size_t(level)]) {
                TKitSupply& s = sup[size_t(si)];
                if ((s.Type == btMO || s.Type == btOO) && s.Qty > 0 && !s.DSetQty && s.Components.isEmpty()) {
                    s.DSetQty = s.Qty;
                    s.DSetRate = 100;
                }
            }
        }
        // Kit quantities handed up: planned supplies to the demands they were made for, in
        // order; every supply through its allocations.
        for (int si : supByLevel[size_t(level)]) {
            const TKitSupply& s = sup[size_t(si)];
            if (!s.DSetQty || *s.DSetQty <= 0)
                continue;
            if (s.Type >= btPlanMO) {
                double left = *s.DSetQty;
                for (const QString& entry : s.Parents.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
                    if (left <= 0)
                        break;
                    const int di = dmdIndex.Value(entry.section(QLatin1Char(':'), 0, 0).toInt());
                    const double give = std::min(entry.section(QLatin1Char(':'), 1).toDouble(), left);
                    if (di >= 0)
                        dmd[size_t(di)].ASet = Round8(dmd[size_t(di)].ASet + give);
                    left = Round8(left - give);
                }
            }
            double left = *s.DSetQty;
            for (int ai : s.Allots) {
                const TKitAllot& a = allots[size_t(ai)];
                if (left <= 0)
                    break;
                if (a.Qty <= 0 || a.Demand < 0)
                    continue;
                const double give = std::min(a.Qty, left);
                TKitDemand& d = dmd[size_t(a.Demand)];
                d.ASet = Round8(d.ASet + (a.Repl ? Round8(a.ReplQty * give / a.Qty) : give));
                left = Round8(left - give);
            }
        }
        for (int di : dmdByLevel[size_t(level)]) {
            TKitDemand& d = dmd[size_t(di)];
            const TKitSupply* parent = d.Parent >= 0 ? &sup[size_t(d.Parent)] : nullptr;
            if (d.Type < btOOBom) {
                // Independent demands: what is covered, and its share of the need.
                if (d.Need > 0) {
                    const double c = covered(d);
                    d.ASet = c;
                    d.Rate = Round2(c * 100 / d.Need);
                    d.ASetTouched = true;
                }
                continue;
            }
            if (!parent)
                continue;
            if (d.Type == btOOBom || d.Type == btMOBom) {
                // An open order's component line: the parent quantity the component allows.
                if (d.BillQty > 0) {
                    d.ASet = Cut(parent->Qty - (d.Need - covered(d)) * parent->BillQty / d.BillQty, *parent);
                    d.ASetTouched = true;
                }
            } else if (d.Type > btMOBom && d.Need > 0 && coveredAny(d)) {
                // A component of a planned supply: the covered share of the parent's quantity.
                d.ASet = Cut(covered(d) * parent->Qty / d.Need, *parent);
                d.ASetTouched = true;
            }
            if (parent->Qty > 0) {
                d.Rate = Round2(d.ASet * 100 / parent->Qty);
                d.ASetTouched = true;
            }
        }
    }

    TCopyRows rows(R.Connection, QStringLiteral("tmp_KX_MRP_KitUpdates"), QStringLiteral("KitIID, KitQty, KitRate"));
    // The common case, none complete of a parent that needs some, goes without a row; a demand
    // kit counting never reached is listed with no quantities.
    for (const TKitDemand& d : dmd) {
        if (d.ASet == 0 && d.Rate && *d.Rate == 0)
            continue;
        rows.Int(d.IID);
        if (!d.ASetTouched && d.ASet == 0)
            rows.Null();
        else
            rows.Qty(d.ASet);
        d.Rate ? rows.Qty(*d.Rate) : rows.Null();
        rows.EndRow();
    }
    rows.Finish();
    TCopyRows kits(R.Connection, QStringLiteral("tmp_KX_MRP_SupKit"), QStringLiteral("SupIID, SupDSetQty, SupDSetRate"));
    for (const TKitSupply& s : sup) {
        if (!s.DSetQty)
            continue;
        kits.Int(s.IID).Qty(*s.DSetQty).Qty(s.DSetRate.value_or(100)).EndRow();
    }
    kits.Finish();
}

} // namespace kx
