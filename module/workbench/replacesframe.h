// Substitutions and diversions of a run ("KX_MRP.MRP.Replaces"): the allocations where another
// item's supply covered a demand, and on request those where supply made for one customer
// order or forecast went to another.
#pragma once

#include "views/gridview.h"
#include "workbench/schemeview.h"

class QComboBox;

namespace kx {

class TSchemeViewLink;

// Which diversions are listed beside the substitutions (index of cboDivertType).
enum TDivertType { dtNone = 0, dtOrderLine = 1, dtOrder = 2, dtCustomer = 3, dtForcastCustomer = 4 };

// The condition of the replacements view over allocations a, supplies s and demands d.
QString ReplacesCondition(int schemeIID, int divertType);

class TMRPReplacesFrame : public TInfoGridView, public ISchemeView {
    Q_OBJECT

public:
    TMRPReplacesFrame(QWidget* owner, const TInfoObjectDef* objectDef);

    void SetPlanScheme(TPlanScheme* scheme, const TPlanSchemeUIEvents* events) override;
    void InitializeView(const QString& AAsDetailID, IInfoView* AMasterView) override;
    bool QueryClose() override;

    TSchemeViewLink* Link;
    QComboBox* cboDivertType;

protected:
    void LoadData(bool KeepPosition) override;
};

} // namespace kx
