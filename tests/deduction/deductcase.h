// Forecast deduction cases: one plain-text file per case (the layout of the MRP scenarios)
// with the items, the forecast and order lines, the steps taken (automatic deductions with
// their options, exclusions, clearing of log rows, manual deductions) and, wherever they
// stand, the log rows and line totals the steps must have left.
//
//   # <what the case proves>
//   [items]                 item  planitem             (planitem: planned under that item)
//   [bills]                 kind  no  entry  item  props  qty  date  customer  tag  checked  closed  fromfc
//   [deduct]                span = date|week|month, switch, before, after, keeplast,
//                           forfilter, sofilter, sifilter, result
//   [exclude]               kind  no  entry  on           ("NoAutoDed" 1, "CanAutoDed" 0)
//   [clear]                 forecast  order              (the log rows of these pairs)
//   [manual]                root  line  qty  message     (saved by hand on root; message: the refusal)
//   [expect deductions]     forecast  order  type  qty  ordqty  manual   (qty: the forecast's, ordqty: the order's)
//   [expect lines]          line  auto  manual  excluded
//
// Lines are written "<no>/<entry>"; FC lines are forecasts, SO and SI the orders. Steps and
// expectations are taken in file order, and after every step the rules that join the log to
// the lines' totals must hold.
#pragma once

#include "scenariofile.h"
#include "scenariomatch.h"

namespace kx::scenario {

const TCaseFormat& DeductCaseFormat();

// Runs a case on the shared connection, whose database holds no bills of its own. Every
// difference from the expectations and every broken rule, at its line of the file.
QList<TDifference> RunDeductCase(const TScenario& deductCase);

} // namespace kx::scenario
