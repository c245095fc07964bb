// The bills behind a balance row of a run (the supplies, demands and substitutions of one
// item, property key and MRP group), their classes, and the balance of the row per plan
// period summed from them. The balance and bills views, the balance chart and "kxmrp" read
// them through these functions.
#pragma once

#include "masterdata/planperiods.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace kx {

class TConnection;

// The class of a bill: the order in which the bills of a balance row are listed.
enum TBillClass {
    bcStock = 1,              // stock, negative stock and the safety-stock demand
    bcIndependent = 2,        // sales, export, forecast and free demand, component demand of planned supplies
    bcDependent = 3,          // every other demand (components of open orders)
    bcReplaceIn = 4,          // another item's supply allocated to this item's demand as a substitute
    bcOrder = 5,              // existing orders and requisitions
    bcReplaceOut = 6,         // this item's supply allocated to another item's demand as a substitute
    bcPlanned = 7,            // planned supplies
};

// The key of a balance row.
struct TBalanceKey {
    int SchemeIID = 0;
    QString ItmID;
    QString ItmProps;
    int GroupType = 0;
    QString GroupNo;
};

// The statement of the bills view for a row: one line per bill with the columns of the view
// (BillClass, SupBillType, SupBillNo ... AltQty, SupPeriod, SupHints), in class order, or in
// the order given. With a period (not -1) only the bills dated in it or with a share in it.
QString BalanceBillsSQL(const TBalanceKey& key, int period = -1, const QString& order = QString());

// One bill as the period sums need it.
struct TBalanceBill {
    int Class = 0;
    int BillType = 0;
    int Period = 0;
    QString Hints;            // "key=quantity" lines; a quantity not in them stays in Period
    double Qty = 0;
    double ChkQty = 0;
};

// The balance column (field of the balance view) a bill's quantity counts in, with its sign;
// an empty field for a bill that counts nowhere.
struct TBalanceTarget {
    QString Field;
    int Sign = 1;
};
TBalanceTarget BalanceTargetOf(int billClass, int billType);

// The balance of one plan period: the view's balance columns by field ("BalForQty" ...), and
// the figures of the chart.
struct TBalancePeriod {
    QMap<QString, double> Columns;
    double Demand = 0;        // every demand of the period but the safety stock
    double Supply = 0;        // stock, orders, requisitions and planned supplies
    double OnHand = 0;        // projected on hand at its end, the safety stock not taken off
};

// The balance columns the period rows show, in the order of the view.
const QStringList& BalancePeriodFields();

// Sums the bills into periods 0 .. periodCount-1. "净需求" of a period is its demand less its
// existing supply, planned supplies not counted; "剩余数量" what is left at the period's end,
// carried from period to period, so that the last period ends where the row ends.
QList<TBalancePeriod> SumBalancePeriods(const QList<TBalanceBill>& bills, int periodCount);

// Reads the bills of a row for the period sums.
QList<TBalanceBill> ReadBalanceBills(TConnection& connection, const TBalanceKey& key);

// The caption of a plan period in the views: "前期", "后期", or its first and last day.
QString PeriodCaption(const TPlanPeriods& periods, int index);

} // namespace kx
