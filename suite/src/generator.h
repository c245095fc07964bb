// The data generator behind "kxmrp gen": a deterministic, scalable planning case written into
// an initialised database with COPY. Items stand on BOM levels and take components only from
// deeper levels, so every BOM is acyclic by construction.
#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include <functional>

namespace kx {
class TConnection;
}

namespace kx::suite {

// How the generated factory works: to stock (deep BOMs, many small order lines, the default)
// or to order (shallower BOMs, fewer and larger order lines, the case of order tracking).
enum TGenProfile { gpMakeToStock, gpMakeToOrder };

// The bounds of the parameters, within which every generated code and key fits its column.
constexpr int kGenMaxItems = 5000000;
constexpr int kGenMaxLines = 50000000;
constexpr int kGenMaxLevels = 36;
constexpr int kGenMaxFanout = 200;

struct TGenParams {
    quint64 Seed = 1;
    int Items = 0;
    int Levels = 0;          // BOM levels: finished items on level 0, purchased materials on the last
    int Fanout = 0;          // mean number of components per BOM
    int Orders = 0;          // demand lines: sales orders, export orders, forecasts
    int Supplies = 0;        // open supply lines: production, outsourcing, purchase orders, inspection, requisitions
    int Horizon = 0;         // days from the base date over which dates are spread
    int QtyScale = 1;        // multiplies the quantities of demand lines
    bool Replace = false;    // empty the generator's tables first
    QDate BaseDate;          // invalid: the demo factory's base date
    // Called after each table is written; raises to stop (the transaction is rolled back).
    std::function<void()> CheckAbort;
};

// The parameters of a size: "S", "M" or "L" (in any case). L has 50,000 items on 8 levels,
// 200,000 demand and 100,000 supply lines; M a tenth and S a hundredth of it. Made to order,
// the items stand on 4 levels with 6 components a BOM, and there are 6,000 demand lines at L,
// each ten times as large. Raises EKxError for another size.
TGenParams GenSizeParams(const QString& size, TGenProfile profile = gpMakeToStock);
// Why the parameters cannot be generated, or empty when they can.
QString CheckGenParams(const TGenParams& params);

struct TGenTableRows {
    QString Table;
    qint64 Rows = 0;
};

struct TGenReport {
    QList<TGenTableRows> Tables;    // in the order written
    qint64 Milliseconds = 0;
    qint64 TotalRows() const;
};

// Writes the case in one transaction. Raises EKxError with the refusal when the parameters are
// invalid or when the database holds data in the generator's tables and Replace is not set.
TGenReport GenerateData(TConnection& connection, const TGenParams& params);

} // namespace kx::suite
