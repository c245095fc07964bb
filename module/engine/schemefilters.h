// The conditions of a scheme's data objects ("参与范围"), as the condition tree edits them.
// Each object keeps the condition its filter dialog gave, with the dialog's own code of it
// ("[Code.object]") so that the dialog reopens on the user's choice. The lines of a supply
// object record which kind of main demand they serve (sales order, export order, forecast,
// free demand, or none); the planner may leave out the lines of some kinds ("[Kinds.object]",
// the kinds left out, with the dialog's condition then kept apart under "[Cond.object]").
// What a run reads, "[object]", is the dialog's condition and the kinds together.
#pragma once

#include "kx_mrp/objectdef.h"

#include <QList>
#include <QString>

namespace kx {

// One kind of main demand an object's lines may serve.
struct TFilterKind {
    int Value = 0;                    // a "MrpBillType" demand code; 0: serving none
    QString Caption;
};

// The kinds an object offers: sales orders, export orders, forecasts and free demand with the
// captions of "MrpBillType", and "(无主需求)", when its lines carry the kind of the demand
// they serve (the field "OrigType"); none otherwise.
QList<TFilterKind> FilterKindsOf(const TInfoObjectDef* def);

struct TObjectFilter {
    QString Condition;                // from the filter dialog (SQL)
    QString Code;                     // the dialog's own form of it
    QList<int> LeftOut;               // kinds whose lines take no part, ascending
};

TObjectFilter ObjectFilterOf(const QString& filters, const QString& objectID);
// The conditions with the object's replaced; entries of other objects stay as they are.
QString WithObjectFilter(const QString& filters, const QString& objectID, const TObjectFilter& filter);
// The condition a run reads: the dialog's and, with kinds left out,
// "coalesce($$OrigType$$,0) not in (...)" (the macro names the object's own column).
QString RunCondition(const TObjectFilter& filter);

} // namespace kx
