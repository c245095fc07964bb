// Private parts of the data generator: the random source, the in-memory model of items and
// BOMs, and the writer that streams each table.
#pragma once

#include "db/copyrows.h"
#include "generator.h"

#include <QDate>

#include <functional>
#include <string>
#include <vector>

namespace kx::suite {

// SplitMix64: small, fast and the same sequence for a seed on every platform, unlike the
// distributions of <random>.
class TGenRandom {
public:
    explicit TGenRandom(quint64 seed) : FState(seed) {}
    quint64 Next();
    // 0 .. n-1 for n > 0.
    int Below(int n);
    bool Chance(int percent) { return Below(100) < percent; }
    template <typename T>
    const T& Pick(const std::vector<T>& list) { return list[size_t(Below(int(list.size())))]; }

private:
    quint64 FState;
};

enum TGenUnitIndex { guPcs, guSet, guBox, guKg, guTon, guM, guRoll };

// Employees by role: 0-1 management, 2-5 planners, 6-11 buyers, 12-17 sales, 18-21 workshop
// heads, 22-23 warehouse; the four workshops are the departments GD-21 to GD-24.
constexpr int kPlannerFirst = 2, kPlanners = 4, kBuyerFirst = 6, kBuyers = 6, kSalesFirst = 12, kSales = 6;
constexpr int kEmployees = 24, kWorkshops = 4;

constexpr const char* kHomeCurrency = "GCUR-CNY";
constexpr const char* kExportCurrency = "GCUR-USD";
constexpr const char* kMainStock = "GK-MAIN";
constexpr const char* kTransitStock = "GK-TRAN";      // virtual: its stock is not planned
constexpr const char* kPlaceMaterial = "GP-A";
constexpr const char* kPlacePart = "GP-B";
constexpr const char* kPlaceProduct = "GP-C";
constexpr const char* kPlaceTransit = "GP-T";
enum TGenItemType { gtPurchased = 1, gtMade = 2, gtOutsourced = 3, gtVirtual = 4 };

struct TGenItem {
    int Level = 0;
    int Type = gtPurchased;
    int Unit = guPcs;
    int BuyUnit = guPcs;
    int Supplier = -1;          // purchase supplier of purchased items, processor of outsourced ones
    int PropBase = 0;           // first of its three colour property sets (PrsIID); 0: no colours
    int FirstLine = 0;          // its BOM's lines in TDataGenerator::FLines
    int LineCount = 0;          // 0: no BOM
    int Price = 0;              // standard price in cents
    int OkRate = 100;           // BOM yield in percent
};

struct TGenBomLine {
    int Item = 0;
    double Qty = 0;             // component base quantity per product base unit
    int LossRate = 0;           // percent
};

struct TGenSupplier {
    bool PO = false;
    bool OO = false;
    std::vector<int> Purchased;     // items it supplies
    std::vector<int> Processed;     // outsourced items it makes
};

// One demand line kept in memory until its table is written (forecasts are consumed by the
// sales orders made from them, which are generated after them).
struct TGenDemand {
    int Head = 0;
    int Entry = 0;
    int Item = 0;
    int PropSet = 0;            // PrsIID, 0 for none
    int Customer = -1;
    int Qty = 0;
    int OkQty = 0;
    int DelivDay = 0;           // days from the base date
    int Forecast = -1;          // index of the forecast line it was made from
    bool Closed = false;
};

// An open supply line: production, outsourcing, purchase, inspection or requisition.
struct TGenSupply {
    int Head = 0;
    int Entry = 0;
    int Item = 0;
    int PropSet = 0;
    double Qty = 0;
    double DoneQty = 0;         // stocked in, received or released so far
    double ChkQty = 0;          // waiting for inspection
    int DrawDay = 0;            // start, days from the base date
    int DelivDay = 0;
    int Party = -1;             // supplier of requisition lines, workshop of production lines
};

// A balance of the stock and the kind of bill that brought it in.
struct TStockRow {
    int Item, PropSet, Batch, InDay, Type;
    bool Transit;
    double Qty;
};

// A movement of the stock's history: a receipt, an issue or a transfer from the transit
// warehouse to the main one, of the batch of a balance (BatchDay: the day the batch is named by).
struct TStockMove {
    int Item, PropSet, Batch, BatchDay, Day, Type;
    bool FromTransit;
    double Qty;
    double Price;
};

// A bill head; its lines are generated after all heads are written, so that each COPY sees
// the rows its foreign keys refer to.
struct TGenHead {
    int Day = 0;                // bill date, days from the base date
    int Party = -1;             // customer or supplier
    int Emp = 0;
    int Lines = 0;
    bool Checked = true;
};

class TDataGenerator {
public:
    TDataGenerator(TConnection& connection, const TGenParams& params);
    TGenReport Run();

private:
    // Model.
    void BuildLevels();
    void BuildSuppliers();
    void BuildItems();
    void BuildBoms();
    int PickDemandItem();
    int PropSetOf(int item);

    // Tables.
    void ClearOrRefuse();
    void WriteMasters();
    void WriteItems();
    void WriteBoms();
    void WriteStock();
    // Receipts and issues that leave every balance as it is, with transfers among them, so that
    // inventory aging has a history to work on.
    std::vector<TStockMove> StockHistory(const std::vector<TStockRow>& stock) const;
    std::string StockBatch(int batch, int inDay) const;
    const char* StockPlace(int item) const;
    void WriteDemand();
    void WriteProduction(int orders, int requisitions);
    void WriteOutsourcing(int orders, int requisitions);
    void WritePurchase(int orders, int inspections, int requisitions);
    void WriteItemSettings();
    void Finish(TCopyRows& rows);
    // Heads for `lines` lines of 1 to maxLines each, dated within `days` from firstDay, made out
    // by one of empCount employees from empFirst.
    std::vector<TGenHead> MakeHeads(int lines, int maxLines, int firstDay, int days, int empFirst, int empCount);
    // Writes the head columns after date and check state: the party (a customer "GC" or supplier
    // "GS", none when null), department, employee and, when given, the currency.
    static std::function<void(TCopyRows&, const TGenHead&)> HeadParty(const char* partyPrefix, const char* dept,
                                                                       const char* currency);
    void WriteHeads(const char* prefix, const std::vector<TGenHead>& heads, const QString& extraColumns,
                    const std::function<void(TCopyRows&, const TGenHead&)>& extra);
    static QString LineColumnList(const char* prefix, const QString& extraColumns);
    void LineColumns(TCopyRows& rows, const char* prefix, int head, int entry, int item, int propSet, double qty);
    // An open production or outsourcing order line of 10 to lots x 10 units, due from five days
    // overdue to the middle of the horizon and started minLead plus up to leadSpread days before;
    // a started one is partly finished or waiting for inspection now and then.
    TGenSupply MakeOrderLine(int head, int entry, int item, int lots, int minLead, int leadSpread);
    void WriteComponents(const char* orderPrefix, const char* prefix, const std::vector<TGenSupply>& lines);

    // Values.
    QDate Day(int offset) const { return FBase.addDays(offset); }
    static std::string Id(const char* prefix, qint64 n);
    static std::string Numbered(const char* prefix, qint64 n);
    static std::string EmployeeID(int emp) { return Id("GE", emp + 1); }
    static std::string BillID(const char* prefix, int head) { return Id((std::string("G") + prefix).c_str(), head + 1); }
    static const char* UnitID(int unit);
    static double Round4(double qty);
    std::string ItemID(int item) const { return Id("GI", item + 1); }
    std::string BomID(int item) const { return Id("GB", item + 1); }
    std::string PropsKey(int propSet) const { return propSet ? std::to_string(propSet) : std::string(); }
    static const char* ColourOf(int propSet, int propBase);
    double BaseQty(int item, int count);
    void ItemColumns(TCopyRows& rows, int item, int propSet);

    TConnection& FConnection;
    TGenParams FParams;
    TGenRandom FRandom;
    QDate FBase;
    TGenReport FReport;

    std::vector<int> FLevelStart;           // first item of each level, and the item count at the end
    std::vector<TGenItem> FItems;
    std::vector<TGenBomLine> FLines;
    std::vector<TGenSupplier> FSuppliers;
    std::vector<int> FPurchaseSuppliers;    // suppliers with purchased items
    std::vector<int> FProcessors;           // suppliers with outsourced items
    std::vector<int> FMade;                 // items by type
    std::vector<int> FOutsourced;
    std::vector<int> FPurchased;
    std::vector<int> FDemandItems;          // items sold as spare parts besides the finished ones
    int FCustomers = 0;
    int FExportCustomers = 0;               // the last customers take export orders
    int FPropSets = 0;
    bool FItemSettings = false;             // KX_MRP_ItemSetting exists
};

} // namespace kx::suite
