// The generator's stock, demand and supply bills and the items' planning settings.
#include "db/connection.h"
#include "generator_p.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace kx::suite {

namespace {

// Planning-settings columns in the order of the settings table's save procedure.
const char* const kItemSettingColumns =
    "ItmID, ItmMrpType, ItmMrpSkip, ItmPlannerID, ItmBuyerID, ItmMrpGroup, ItmMrpTrack, ItmPreLeadTime, ItmFixLeadTime, "
    "ItmVarLeadTime, ItmVarLeadLot, ItmPostLeadTime, ItmSafeQty, ItmMinQty, ItmLotQty, ItmMaxQty, ItmPutLossType, "
    "ItmPutLossRate, ItmPutInteger, ItmSuitSkip, ItmOutSkip, ItmMOBomSkip, ItmOOBomSkip, ItmMODeptID, ItmPOSuppID, "
    "ItmOOSuppID, ItmPlanItmID";

const char* WorkshopID(int workshop)
{
    static const char* const kIDs[kWorkshops] = {"GD-21", "GD-22", "GD-23", "GD-24"};
    return kIDs[workshop];
}

} // namespace

double TDataGenerator::Round4(double qty)
{
    return std::round(qty * 10000) / 10000;
}

std::vector<TGenHead> TDataGenerator::MakeHeads(int lines, int maxLines, int firstDay, int days, int empFirst, int empCount)
{
    std::vector<TGenHead> heads;
    while (lines > 0) {
        TGenHead head;
        head.Lines = std::min(lines, 1 + FRandom.Below(maxLines));
        head.Day = firstDay + FRandom.Below(days);
        head.Emp = empFirst + FRandom.Below(empCount);
        head.Checked = FRandom.Chance(97);
        lines -= head.Lines;
        heads.push_back(head);
    }
    return heads;
}

void TDataGenerator::WriteHeads(const char* prefix, const std::vector<TGenHead>& heads, const QString& extraColumns,
                                const std::function<void(TCopyRows&, const TGenHead&)>& extra)
{
    TCopyRows rows(FConnection, QStringLiteral("KX_Bill_%1Head").arg(QLatin1String(prefix)),
                   QStringLiteral("%1ID, %1No, %1Date, %1Checked, %1CheckDate, ").arg(QLatin1String(prefix)) + extraColumns);
    const std::string numberPrefix = std::string("G") + prefix;
    for (size_t h = 0; h < heads.size(); ++h) {
        const TGenHead& head = heads[h];
        rows.Text(BillID(prefix, int(h))).Text(Numbered(numberPrefix.c_str(), qint64(h) + 1)).Date(Day(head.Day)).Int(head.Checked);
        (head.Checked ? rows.Date(Day(head.Day)) : rows.Null());
        extra(rows, head);
        rows.EndRow();
    }
    Finish(rows);
}

std::function<void(TCopyRows&, const TGenHead&)> TDataGenerator::HeadParty(const char* partyPrefix, const char* dept,
                                                                            const char* currency)
{
    return [partyPrefix, dept, currency](TCopyRows& rows, const TGenHead& head) {
        if (partyPrefix)
            rows.Text(Id(partyPrefix, head.Party + 1));
        rows.Text(dept).Text(EmployeeID(head.Emp));
        if (currency)
            rows.Text(currency);
    };
}

QString TDataGenerator::LineColumnList(const char* prefix, const QString& extraColumns)
{
    return QStringLiteral("%1ID, %1Entry, %1ItmID, %1ItmProps, %1ItmProp1, %1UntID, %1UBillQty, %1BillQty, ")
               .arg(QLatin1String(prefix)) + extraColumns;
}

void TDataGenerator::LineColumns(TCopyRows& rows, const char* prefix, int head, int entry, int item, int propSet, double qty)
{
    rows.Text(BillID(prefix, head)).Int(entry);
    ItemColumns(rows, item, propSet);
    rows.Text(UnitID(FItems[size_t(item)].Unit)).Qty(qty).Qty(qty);
}

void TDataGenerator::WriteStock()
{
    std::vector<TStockRow> stock;
    for (size_t i = 0; i < FItems.size(); ++i) {
        const TGenItem& item = FItems[i];
        if (item.Type == gtVirtual || !FRandom.Chance(60))
            continue;
        const bool batched = item.Type == gtPurchased && (item.Unit == guKg || item.Unit == guM) && FRandom.Chance(30);
        for (int set = item.PropBase; set <= (item.PropBase ? item.PropBase + 2 : 0); ++set) {
            for (int batch = 0; batch < (batched ? 2 : 1); ++batch) {
                TStockRow row{int(i), set, batched ? batch + 1 : 0, -(1 + FRandom.Below(180)), 0, FRandom.Chance(2),
                              BaseQty(int(i), 5 + FRandom.Below(500))};
                // A few negative balances (issued before the receipt was booked), planned as demand.
                if (!row.Transit && FRandom.Below(1000) < 3)
                    row.Qty = -(1 + FRandom.Below(20));
                row.Type = row.Transit ? 5 : row.Qty < 0 ? 15 : item.Type == gtPurchased ? 1 : 2;
                stock.push_back(row);
            }
        }
    }
    // The stock bills that brought the balances about: one per day and kind (purchase receipt 1,
    // finished-goods receipt 2, other receipt 5 into the transit warehouse, other issue 15).
    std::map<std::pair<int, int>, int> headOf;
    for (const TStockRow& row : stock)
        headOf.emplace(std::make_pair(row.InDay, row.Type), 0);
    const std::vector<TStockMove> history = StockHistory(stock);
    std::map<std::pair<int, int>, int> historyHeadOf;
    for (const TStockMove& move : history)
        historyHeadOf.emplace(std::make_pair(move.Day, move.Type), 0);
    TCopyRows heads(FConnection, QStringLiteral("KX_Stk_BillHead"),
                    QStringLiteral("StbID, StbNo, StbDate, StbType, StbStkID, StbDeptID, StbChecked, StbCheckDate"));
    int n = 0;
    for (auto& [key, head] : headOf) {
        head = n++;
        heads.Text(Id("GSTB", head + 1)).Text(Numbered("GST", head + 1)).Date(Day(key.first)).Int(key.second)
            .Text(key.second == 5 ? kTransitStock : kMainStock).Text("GD-06").Int(1).Date(Day(key.first)).EndRow();
    }
    n = 0;
    for (auto& [key, head] : historyHeadOf) {
        head = n++;
        heads.Text(Id("GSTH", head + 1)).Text(Numbered("GSH", head + 1)).Date(Day(key.first)).Int(key.second).Text(kMainStock)
            .Text("GD-06").Int(1).Date(Day(key.first)).EndRow();
    }
    Finish(heads);
    std::vector<int> entries(headOf.size(), 0);
    TCopyRows lines(FConnection, QStringLiteral("KX_Stk_BillLine"),
                    QStringLiteral("StbID, StbEntry, StlItmID, StlItmProps, StlItmProp1, StlBatch, StlStkID, StlStpID, StlToStkID, "
                                   "StlToStpID, StlUntID, StlUBillQty, StlQty, StlPrice, StlAmount"));
    TCopyRows inventory(FConnection, QStringLiteral("KX_Stk_Inventory"),
                        QStringLiteral("InvItmID, InvItmProps, InvItmProp1, InvBatch, InvStkID, InvStpID, InvQty, InvInDate"));
    for (const TStockRow& row : stock) {
        const TGenItem& item = FItems[size_t(row.Item)];
        const int head = headOf[std::make_pair(row.InDay, row.Type)];
        const std::string batch = StockBatch(row.Batch, row.InDay);
        const char* place = row.Transit ? kPlaceTransit : StockPlace(row.Item);
        const double qty = std::abs(row.Qty), price = item.Price / 100.0;
        lines.Text(Id("GSTB", head + 1)).Int(++entries[size_t(head)]);
        ItemColumns(lines, row.Item, row.PropSet);
        lines.Text(batch).Text(row.Transit ? kTransitStock : kMainStock).Text(place).Null().Null().Text(UnitID(item.Unit)).Qty(qty)
            .Qty(qty).Qty(price).Qty(Round4(qty * price)).EndRow();
        ItemColumns(inventory, row.Item, row.PropSet);
        inventory.Text(batch).Text(row.Transit ? kTransitStock : kMainStock).Text(place).Qty(row.Qty).Date(Day(row.InDay)).EndRow();
    }
    std::vector<int> historyEntries(historyHeadOf.size(), 0);
    for (const TStockMove& move : history) {
        const TGenItem& item = FItems[size_t(move.Item)];
        const int head = historyHeadOf[std::make_pair(move.Day, move.Type)];
        const char* place = StockPlace(move.Item);
        lines.Text(Id("GSTH", head + 1)).Int(++historyEntries[size_t(head)]);
        ItemColumns(lines, move.Item, move.PropSet);
        lines.Text(StockBatch(move.Batch, move.BatchDay)).Text(move.FromTransit ? kTransitStock : kMainStock)
            .Text(move.FromTransit ? kPlaceTransit : place);
        if (move.Type == 21)
            lines.Text(kMainStock).Text(place);
        else
            lines.Null().Null();
        lines.Text(UnitID(item.Unit)).Qty(move.Qty).Qty(move.Qty).Qty(move.Price).Qty(Round4(move.Qty * move.Price)).EndRow();
    }
    Finish(lines);
    Finish(inventory);
}

std::string TDataGenerator::StockBatch(int batch, int inDay) const
{
    return batch ? Id(("B" + Day(inDay).toString(QStringLiteral("yyMMdd")).toStdString() + "-").c_str(), batch) : std::string();
}

const char* TDataGenerator::StockPlace(int item) const
{
    const TGenItem& i = FItems[size_t(item)];
    return i.Type == gtPurchased ? kPlaceMaterial : i.Level == 0 ? kPlaceProduct : kPlacePart;
}

std::vector<TStockMove> TDataGenerator::StockHistory(const std::vector<TStockRow>& stock) const
{
    // A random source of its own, so that every other table is what it was without the history.
    TGenRandom random(FParams.Seed * 0x9E3779B97F4A7C15ull + 0x51A7);
    std::vector<TStockMove> moves;
    for (const TStockRow& row : stock) {
        if (row.Transit || row.Qty <= 0)
            continue;
        const TGenItem& item = FItems[size_t(row.Item)];
        const int receipt = item.Type == gtPurchased ? 1 : 2, issue = item.Level == 0 ? 11 : 13;
        const double price = item.Price / 100.0;
        auto part = [&](int lowPercent, int spreadPercent) {
            return std::max(1.0, std::floor(row.Qty * (lowPercent + random.Below(spreadPercent)) / 100.0));
        };
        auto priced = [&] { return Round4(price * (90 + random.Below(21)) / 100.0); };
        auto add = [&](int day, int type, double qty, double linePrice, bool fromTransit) {
            moves.push_back(TStockMove{row.Item, row.PropSet, row.Batch, row.InDay, day, type, fromTransit, qty, linePrice});
        };
        const int kind = random.Below(100);
        if (kind < 30 && row.InDay <= -3) {
            // Part of the balance was issued and came in again later: the newest receipt covers
            // only part of the stock.
            const double qty = std::min(part(10, 60), row.Qty);
            const int out = row.InDay + 1 + random.Below(-row.InDay - 2);
            add(out, issue, qty, 0, false);
            add(out + 1 + random.Below(-out), receipt, qty, priced(), false);
        } else if (kind < 60) {
            // An older receipt, issued again before the balance came in.
            const double qty = part(20, 100);
            const int in = row.InDay - 10 - random.Below(300);
            add(in, receipt, qty, priced(), false);
            add(in + 1 + random.Below(row.InDay - in - 1), issue, qty, 0, false);
        } else if (kind < 65) {
            // Received into the transit warehouse, moved to the main warehouse and issued there.
            const double qty = part(20, 60);
            const int in = row.InDay - 10 - random.Below(60);
            const int moved = in + 1 + random.Below(4);
            add(in, receipt, qty, priced(), true);
            add(moved, 21, qty, 0, true);
            add(moved + 1 + random.Below(4), issue, qty, 0, false);
        }
    }
    return moves;
}

void TDataGenerator::WriteDemand()
{
    const int forecastLines = FParams.Orders * 38 / 100, exportLines = FParams.Orders * 12 / 100;
    const int salesLines = FParams.Orders - forecastLines - exportLines;
    const int domestic = FCustomers - FExportCustomers;
    const int horizon = FParams.Horizon;

    // Forecasts over the horizon, half of them for a customer.
    std::vector<TGenHead> forecastHeads = MakeHeads(forecastLines, 8, -59, 60, kSalesFirst, kSales);
    std::vector<TGenDemand> forecasts;
    for (size_t h = 0; h < forecastHeads.size(); ++h) {
        for (int e = 1; e <= forecastHeads[h].Lines; ++e) {
            TGenDemand line;
            line.Head = int(h);
            line.Entry = e;
            line.Item = PickDemandItem();
            line.PropSet = PropSetOf(line.Item);
            line.Customer = FRandom.Chance(50) ? FRandom.Below(domestic) : -1;
            static const int kLots[] = {10, 20, 50, 100};
            line.Qty = (1 + FRandom.Below(20)) * kLots[FRandom.Below(4)] * FParams.QtyScale;
            line.DelivDay = FRandom.Below(horizon);
            forecasts.push_back(line);
        }
    }
    // Sales orders: 12% of the lines are made from a forecast line, which they consume in part;
    // the others spread from ten days overdue to the horizon's end, the overdue ones half delivered.
    std::vector<TGenHead> salesHeads = MakeHeads(salesLines, 6, -44, 45, kSalesFirst, kSales);
    std::vector<TGenDemand> sales;
    for (size_t h = 0; h < salesHeads.size(); ++h) {
        salesHeads[h].Party = FRandom.Below(domestic);
        for (int e = 1; e <= salesHeads[h].Lines; ++e) {
            TGenDemand line;
            line.Head = int(h);
            line.Entry = e;
            const int f = forecasts.empty() || !FRandom.Chance(12) ? -1 : FRandom.Below(int(forecasts.size()));
            if (f >= 0 && forecasts[size_t(f)].OkQty == 0 && forecasts[size_t(f)].Qty >= 2) {
                TGenDemand& forecast = forecasts[size_t(f)];
                line.Item = forecast.Item;
                line.PropSet = forecast.PropSet;
                line.Qty = std::max(1, forecast.Qty * (20 + FRandom.Below(61)) / 100);
                line.DelivDay = forecast.DelivDay;
                line.Forecast = f;
                forecast.OkQty = line.Qty;
            } else {
                static const int kLots[] = {1, 5, 10};
                line.Item = PickDemandItem();
                line.PropSet = PropSetOf(line.Item);
                line.Qty = (1 + FRandom.Below(50)) * kLots[FRandom.Below(3)] * FParams.QtyScale;
                line.DelivDay = -10 + FRandom.Below(horizon + 10);
                line.OkQty = line.DelivDay < 0 && FRandom.Chance(50) ? line.Qty * FRandom.Below(90) / 100 : 0;
                line.Closed = FRandom.Chance(1);
            }
            sales.push_back(line);
        }
    }
    std::vector<TGenHead> exportHeads = MakeHeads(exportLines, 4, -29, 30, kSalesFirst, kSales);
    std::vector<TGenDemand> exports;
    for (size_t h = 0; h < exportHeads.size(); ++h) {
        exportHeads[h].Party = domestic + FRandom.Below(FExportCustomers);
        for (int e = 1; e <= exportHeads[h].Lines; ++e) {
            TGenDemand line;
            line.Head = int(h);
            line.Entry = e;
            line.Item = PickDemandItem();
            line.PropSet = PropSetOf(line.Item);
            line.Qty = (1 + FRandom.Below(20)) * 50 * FParams.QtyScale;
            line.DelivDay = 10 + FRandom.Below(std::max(1, horizon - 10));
            exports.push_back(line);
        }
    }

    WriteHeads("For", forecastHeads, QStringLiteral("ForDeptID, ForEmpID"), HeadParty(nullptr, "GD-05", nullptr));
    TCopyRows forecastRows(FConnection, QStringLiteral("KX_Bill_ForLine"),
                           LineColumnList("For", QStringLiteral("ForCustID, ForDelivDate, ForOkQty")));
    for (const TGenDemand& line : forecasts) {
        LineColumns(forecastRows, "For", line.Head, line.Entry, line.Item, line.PropSet, line.Qty);
        (line.Customer >= 0 ? forecastRows.Text(Id("GC", line.Customer + 1)) : forecastRows.Null())
            .Date(Day(line.DelivDay)).Int(line.OkQty).EndRow();
    }
    Finish(forecastRows);

    WriteHeads("SO", salesHeads, QStringLiteral("SOCustID, SODeptID, SOEmpID, SOCurID"), HeadParty("GC", "GD-05", kHomeCurrency));
    TCopyRows salesRows(FConnection, QStringLiteral("KX_Bill_SOLine"),
                        LineColumnList("SO", QStringLiteral("SOPrice, SOAmount, SODelivDate, SOOkQty, SOForcastID, SOForcastEntry, SOClosed")));
    for (const TGenDemand& line : sales) {
        const double price = FItems[size_t(line.Item)].Price * 1.3 / 100;
        LineColumns(salesRows, "SO", line.Head, line.Entry, line.Item, line.PropSet, line.Qty);
        salesRows.Qty(Round4(price)).Qty(Round4(price * line.Qty)).Date(Day(line.DelivDay)).Int(line.OkQty);
        if (line.Forecast >= 0) {
            const TGenDemand& forecast = forecasts[size_t(line.Forecast)];
            salesRows.Text(BillID("For", forecast.Head)).Int(forecast.Entry);
        } else {
            salesRows.Null().Null();
        }
        salesRows.Int(line.Closed).EndRow();
    }
    Finish(salesRows);

    const auto exportParty = HeadParty("GC", "GD-05", kExportCurrency);
    WriteHeads("SI", exportHeads, QStringLiteral("SICustID, SIDeptID, SIEmpID, SICurID, SIExchRate"),
               [&exportParty](TCopyRows& rows, const TGenHead& head) {
                   exportParty(rows, head);
                   rows.Qty(7.1);
               });
    TCopyRows exportRows(FConnection, QStringLiteral("KX_Bill_SILine"),
                         LineColumnList("SI", QStringLiteral("SIPrice, SIAmount, SIDelivDate, SIShipDate")));
    for (const TGenDemand& line : exports) {
        const double price = FItems[size_t(line.Item)].Price * 1.2 / 710;
        LineColumns(exportRows, "SI", line.Head, line.Entry, line.Item, line.PropSet, line.Qty);
        exportRows.Qty(Round4(price)).Qty(Round4(price * line.Qty)).Date(Day(line.DelivDay)).Date(Day(line.DelivDay + 3)).EndRow();
    }
    Finish(exportRows);
}

void TDataGenerator::WriteComponents(const char* orderPrefix, const char* prefix, const std::vector<TGenSupply>& lines)
{
    // Component lines of production or outsourcing orders from the product's BOM: usage with loss
    // and yield; started orders (drawn before the base date) have issued part of their material.
    // Production orders also re-issue scrapped material now and then.
    const bool production = QLatin1String(orderPrefix) == QLatin1String("MO");
    TCopyRows rows(FConnection, QStringLiteral("KX_Bill_%1Bom").arg(QLatin1String(orderPrefix)),
                   QStringLiteral("%1ID, %2Entry, %1Entry, %2ItmID, %2UntID, %2UBillQty, %2BillQty, %2UnitQty, %2LossRate, "
                                  "%2OkQty, %2DrawDate, %2StkID, %2BomType, %2BomID, %2RowHook")
                       .arg(QLatin1String(orderPrefix), QLatin1String(prefix)));
    struct TScrap {
        int Head, OrderEntry, ComponentEntry, Item;
    };
    std::vector<TScrap> scraps;
    int head = -1, entry = 0;
    for (const TGenSupply& line : lines) {
        if (line.Head != head) {
            head = line.Head;
            entry = 0;
        }
        const TGenItem& product = FItems[size_t(line.Item)];
        const bool started = line.DrawDay < 0;
        for (int n = 0; n < product.LineCount; ++n) {
            const TGenBomLine& bom = FLines[size_t(product.FirstLine + n)];
            const TGenItem& component = FItems[size_t(bom.Item)];
            const double qty = Round4(line.Qty * bom.Qty * (100 + bom.LossRate) / product.OkRate);
            const double issued = !started ? 0 : FRandom.Chance(60) ? qty : Round4(qty * FRandom.Below(100) / 100);
            rows.Text(BillID(orderPrefix, line.Head)).Int(++entry).Int(line.Entry).Text(ItemID(bom.Item)).Text(UnitID(component.Unit))
                .Qty(qty).Qty(qty).Qty(bom.Qty).Int(bom.LossRate).Qty(issued).Date(Day(line.DrawDay)).Text(kMainStock);
            (component.LineCount ? rows.Int(1).Text(BomID(bom.Item)) : rows.Null().Null());
            rows.Text(Id("GH", product.FirstLine + n + 1)).EndRow();
            if (production && started && n == 0 && FRandom.Chance(2))
                scraps.push_back(TScrap{line.Head, line.Entry, entry, bom.Item});
        }
    }
    Finish(rows);
    if (!production)
        return;
    TCopyRows scrapRows(FConnection, QStringLiteral("KX_Bill_MOScrap"),
                        QStringLiteral("MOID, MspEntry, MOEntry, MobEntry, MspItmID, MspUntID, MspUBillQty, MspBillQty, MspDrawDate, "
                                       "MspDate, MspReason"));
    head = -1;
    for (const TScrap& scrap : scraps) {
        entry = scrap.Head == head ? entry + 1 : 1;
        head = scrap.Head;
        const int qty = 1 + FRandom.Below(10);
        scrapRows.Text(BillID("MO", scrap.Head)).Int(entry).Int(scrap.OrderEntry).Int(scrap.ComponentEntry).Text(ItemID(scrap.Item))
            .Text(UnitID(FItems[size_t(scrap.Item)].Unit)).Int(qty).Int(qty).Date(Day(1 + FRandom.Below(5))).Date(Day(-1))
            .Text("生产报废补料").EndRow();
    }
    Finish(scrapRows);
}

TGenSupply TDataGenerator::MakeOrderLine(int head, int entry, int item, int lots, int minLead, int leadSpread)
{
    TGenSupply line;
    line.Head = head;
    line.Entry = entry;
    line.Item = item;
    line.PropSet = PropSetOf(item);
    line.Qty = (1 + FRandom.Below(lots)) * 10;
    line.DelivDay = -5 + FRandom.Below(FParams.Horizon / 2 + 5);
    line.DrawDay = line.DelivDay - minLead - FRandom.Below(leadSpread);
    if (line.DrawDay < 0 && FRandom.Chance(30))
        line.DoneQty = std::floor(line.Qty * (10 + FRandom.Below(60)) / 100);
    if (line.DrawDay < 0 && FRandom.Chance(12))
        line.ChkQty = std::floor((line.Qty - line.DoneQty) / 10);
    return line;
}

void TDataGenerator::WriteProduction(int orders, int requisitions)
{
    // Production orders in the workshop of their level.
    std::vector<TGenHead> heads = MakeHeads(orders, 4, -29, 30, kPlannerFirst, kPlanners);
    std::vector<TGenSupply> lines;
    for (size_t h = 0; h < heads.size(); ++h) {
        for (int e = 1; e <= heads[h].Lines; ++e) {
            TGenSupply line = MakeOrderLine(int(h), e, FRandom.Pick(FMade), 20, 1, 5);
            line.Party = (FItems[size_t(line.Item)].Level == 0 ? 0 : 2) + FRandom.Below(2);
            lines.push_back(line);
        }
    }
    WriteHeads("MO", heads, QStringLiteral("MOBillDeptID, MOEmpID"), HeadParty(nullptr, "GD-03", nullptr));
    TCopyRows rows(FConnection, QStringLiteral("KX_Bill_MOLine"),
                   LineColumnList("MO", QStringLiteral("MODeptID, MOStkID, MOChkQty, MOInQty, MODrawDate, MODelivDate, MOBomType, MOBomID")));
    for (const TGenSupply& line : lines) {
        LineColumns(rows, "MO", line.Head, line.Entry, line.Item, line.PropSet, line.Qty);
        rows.Text(WorkshopID(line.Party)).Text(kMainStock).Qty(line.ChkQty).Qty(line.DoneQty).Date(Day(line.DrawDay))
            .Date(Day(line.DelivDay)).Int(1).Text(BomID(line.Item)).EndRow();
    }
    Finish(rows);
    WriteComponents("MO", "Mob", lines);

    // Production requisitions over the horizon.
    std::vector<TGenHead> reqHeads = MakeHeads(requisitions, 4, -9, 10, kPlannerFirst, kPlanners);
    WriteHeads("MR", reqHeads, QStringLiteral("MRBillDeptID, MREmpID"), HeadParty(nullptr, "GD-03", nullptr));
    TCopyRows reqRows(FConnection, QStringLiteral("KX_Bill_MRLine"),
                      LineColumnList("MR", QStringLiteral("MRDeptID, MRDrawDate, MRDelivDate, MRBomType, MRBomID")));
    for (size_t h = 0; h < reqHeads.size(); ++h) {
        for (int e = 1; e <= reqHeads[h].Lines; ++e) {
            const int item = FRandom.Pick(FMade);
            const int draw = FRandom.Below(FParams.Horizon);
            LineColumns(reqRows, "MR", int(h), e, item, PropSetOf(item), (1 + FRandom.Below(20)) * 10);
            reqRows.Text(WorkshopID(FRandom.Below(kWorkshops))).Date(Day(draw)).Date(Day(draw + 1 + FRandom.Below(5))).Int(1)
                .Text(BomID(item)).EndRow();
        }
    }
    Finish(reqRows);
}

void TDataGenerator::WriteOutsourcing(int orders, int requisitions)
{
    std::vector<TGenHead> heads = MakeHeads(orders, 3, -29, 30, kBuyerFirst, kBuyers);
    std::vector<TGenSupply> lines;
    for (size_t h = 0; h < heads.size(); ++h) {
        heads[h].Party = FRandom.Pick(FProcessors);
        for (int e = 1; e <= heads[h].Lines; ++e)
            lines.push_back(MakeOrderLine(int(h), e, FRandom.Pick(FSuppliers[size_t(heads[h].Party)].Processed), 30, 3, 10));
    }
    WriteHeads("OO", heads, QStringLiteral("OOSuppID, OODeptID, OOEmpID, OOCurID"), HeadParty("GS", "GD-04", kHomeCurrency));
    TCopyRows rows(FConnection, QStringLiteral("KX_Bill_OOLine"),
                   LineColumnList("OO", QStringLiteral("OOStkID, OOPrice, OOAmount, OOChkQty, OOInQty, OODrawDate, OODelivDate, "
                                                       "OOBomType, OOBomID")));
    for (const TGenSupply& line : lines) {
        const double price = FItems[size_t(line.Item)].Price / 250.0;
        LineColumns(rows, "OO", line.Head, line.Entry, line.Item, line.PropSet, line.Qty);
        rows.Text(kMainStock).Qty(price).Qty(Round4(price * line.Qty)).Qty(line.ChkQty).Qty(line.DoneQty).Date(Day(line.DrawDay))
            .Date(Day(line.DelivDay)).Int(1).Text(BomID(line.Item)).EndRow();
    }
    Finish(rows);
    WriteComponents("OO", "Oob", lines);

    std::vector<TGenHead> reqHeads = MakeHeads(requisitions, 4, -9, 10, kBuyerFirst, kBuyers);
    WriteHeads("OR", reqHeads, QStringLiteral("ORDeptID, OREmpID, ORCurID"), HeadParty(nullptr, "GD-04", kHomeCurrency));
    TCopyRows reqRows(FConnection, QStringLiteral("KX_Bill_ORLine"),
                      LineColumnList("OR", QStringLiteral("ORSuppID, ORPrice, ORDrawDate, ORDelivDate, ORBomType, ORBomID")));
    for (size_t h = 0; h < reqHeads.size(); ++h) {
        for (int e = 1; e <= reqHeads[h].Lines; ++e) {
            const int item = FRandom.Pick(FOutsourced);
            const int draw = FRandom.Below(FParams.Horizon);
            LineColumns(reqRows, "OR", int(h), e, item, PropSetOf(item), (1 + FRandom.Below(30)) * 10);
            reqRows.Text(Id("GS", FItems[size_t(item)].Supplier + 1)).Qty(FItems[size_t(item)].Price / 250.0).Date(Day(draw))
                .Date(Day(draw + 3 + FRandom.Below(10))).Int(1).Text(BomID(item)).EndRow();
        }
    }
    Finish(reqRows);
}

void TDataGenerator::WritePurchase(int orders, int inspections, int requisitions)
{
    // Purchase orders per supplier, due from ten days overdue to the middle of the horizon; overdue
    // ones have partly arrived and been stocked in.
    const auto supplierParty = HeadParty("GS", "GD-04", kHomeCurrency);
    std::vector<TGenHead> heads = MakeHeads(orders, 6, -39, 40, kBuyerFirst, kBuyers);
    for (TGenHead& head : heads)
        head.Party = FRandom.Pick(FPurchaseSuppliers);
    WriteHeads("PO", heads, QStringLiteral("POSuppID, PODeptID, POEmpID, POCurID"), supplierParty);
    TCopyRows rows(FConnection, QStringLiteral("KX_Bill_POLine"),
                   LineColumnList("PO", QStringLiteral("POStkID, POPrice, POAmount, PORecvQty, POInQty, PODelivDate")));
    for (size_t h = 0; h < heads.size(); ++h) {
        for (int e = 1; e <= heads[h].Lines; ++e) {
            const int item = FRandom.Pick(FSuppliers[size_t(heads[h].Party)].Purchased);
            const double qty = BaseQty(item, (1 + FRandom.Below(50)) * 10), price = FItems[size_t(item)].Price / 100.0;
            const int deliv = -10 + FRandom.Below(FParams.Horizon / 2 + 10);
            const double received = deliv < 0 && FRandom.Chance(40) ? std::floor(qty * FRandom.Below(90)) / 100 : 0;
            LineColumns(rows, "PO", int(h), e, item, PropSetOf(item), qty);
            rows.Text(kMainStock).Qty(price).Qty(Round4(price * qty)).Qty(received).Qty(received).Date(Day(deliv)).EndRow();
        }
    }
    Finish(rows);

    std::vector<TGenHead> piHeads = MakeHeads(inspections, 3, -4, 5, kBuyerFirst, kBuyers);
    for (TGenHead& head : piHeads)
        head.Party = FRandom.Pick(FPurchaseSuppliers);
    WriteHeads("PI", piHeads, QStringLiteral("PISuppID, PIDeptID, PIEmpID, PICurID"), supplierParty);
    TCopyRows piRows(FConnection, QStringLiteral("KX_Bill_PILine"),
                     LineColumnList("PI", QStringLiteral("PIStkID, PIBatch, PIPrice, PIAmount, PIInQty, PIDelivDate")));
    for (size_t h = 0; h < piHeads.size(); ++h) {
        for (int e = 1; e <= piHeads[h].Lines; ++e) {
            const int item = FRandom.Pick(FSuppliers[size_t(piHeads[h].Party)].Purchased);
            const double qty = BaseQty(item, (1 + FRandom.Below(50)) * 10), price = FItems[size_t(item)].Price / 100.0;
            const double passed = FRandom.Chance(20) ? std::floor(qty * FRandom.Below(50)) / 100 : 0;
            LineColumns(piRows, "PI", int(h), e, item, PropSetOf(item), qty);
            piRows.Text(kMainStock).Text(Id("PI", qint64(h) * 10 + e)).Qty(price).Qty(Round4(price * qty)).Qty(passed)
                .Date(Day(FRandom.Below(5))).EndRow();
        }
    }
    Finish(piRows);

    std::vector<TGenHead> reqHeads = MakeHeads(requisitions, 6, -9, 10, kPlannerFirst, kPlanners);
    WriteHeads("PR", reqHeads, QStringLiteral("PRDeptID, PREmpID, PRCurID"), HeadParty(nullptr, "GD-03", kHomeCurrency));
    TCopyRows reqRows(FConnection, QStringLiteral("KX_Bill_PRLine"),
                      LineColumnList("PR", QStringLiteral("PRSuppID, PRBuyerID, PRPrice, PRDelivDate")));
    for (size_t h = 0; h < reqHeads.size(); ++h) {
        for (int e = 1; e <= reqHeads[h].Lines; ++e) {
            const int item = FRandom.Pick(FPurchased);
            const int supplier = FItems[size_t(item)].Supplier;
            LineColumns(reqRows, "PR", int(h), e, item, PropSetOf(item), BaseQty(item, (1 + FRandom.Below(50)) * 10));
            reqRows.Text(Id("GS", supplier + 1)).Text(EmployeeID(kBuyerFirst + supplier % kBuyers)).Qty(FItems[size_t(item)].Price / 100.0)
                .Date(Day(FRandom.Below(FParams.Horizon))).EndRow();
        }
    }
    Finish(reqRows);
}

void TDataGenerator::WriteItemSettings()
{
    if (!FItemSettings)
        return;
    // Lead times in days by kind; lot rules by unit; safety stock for a tenth of the materials.
    // Materials are planned without tracking (9), the rest by originating order line (0).
    TCopyRows rows(FConnection, QStringLiteral("KX_MRP_ItemSetting"), QLatin1String(kItemSettingColumns));
    for (size_t i = 0; i < FItems.size(); ++i) {
        const TGenItem& item = FItems[i];
        const bool bought = item.Type == gtPurchased;
        const int fix = bought ? 5 + FRandom.Below(20) : item.Type == gtOutsourced ? 3 + FRandom.Below(10) : 1 + FRandom.Below(5);
        const int lot = item.Unit == guKg ? 25 : item.Unit == guM ? 100 : bought ? 50 : 10;
        const double safety = bought && FRandom.Chance(10) ? BaseQty(int(i), 10 + FRandom.Below(200)) : 0;
        const double minimum = FRandom.Chance(30) ? lot * (2 + FRandom.Below(8)) : 0;
        rows.Text(ItemID(int(i))).Int(0).Int(0).Text(EmployeeID(kPlannerFirst + int(i) % kPlanners))
            .Text(item.Supplier >= 0 ? EmployeeID(kBuyerFirst + item.Supplier % kBuyers) : std::string())
            .Int(0).Int(bought ? 9 : 0).Int(item.Type == gtMade ? FRandom.Below(2) : 0).Int(fix).Int(0).Qty(0)
            .Int(bought && FRandom.Chance(30) ? 1 : 0).Qty(safety).Qty(minimum).Qty(lot).Qty(0).Int(0).Text("")
            .Int(item.Unit == guPcs || item.Unit == guSet ? 1 : 0).Int(0).Int(0).Int(0).Int(0)
            .Text(item.Type == gtMade ? WorkshopID(item.Level == 0 ? 0 : 2) : "")
            .Text(bought ? Id("GS", item.Supplier + 1) : std::string())
            .Text(item.Type == gtOutsourced ? Id("GS", item.Supplier + 1) : std::string()).Text("").EndRow();
    }
    Finish(rows);
}

} // namespace kx::suite
