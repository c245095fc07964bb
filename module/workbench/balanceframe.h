// The balance of a run ("KX_MRP.MRP.Balance"): one row per item, property key and MRP group,
// and under each, when it is expanded, the same balance per plan period summed from the bills
// behind it. Below the tree the bills of the focused row (its detail view) and a chart of the
// focused item's periods follow the focus.
#pragma once

#include "views/treeview.h"
#include "workbench/balancebills.h"
#include "workbench/schemeview.h"

#include <QHash>

class QSplitter;

namespace kx {

class TBalanceChart;
class TMRPBillsFrame;
class TSchemeViewLink;

class TMRPBalanceFrame : public TInfoTreeView, public ISchemeView {
    Q_OBJECT

public:
    TMRPBalanceFrame(QWidget* owner, const TInfoObjectDef* objectDef);
    ~TMRPBalanceFrame() override;

    void SetPlanScheme(TPlanScheme* scheme, const TPlanSchemeUIEvents* events) override;
    void InitializeView(const QString& AAsDetailID, IInfoView* AMasterView) override;
    bool QueryClose() override;

    // The key of a balance row (a period row: that of its balance row).
    TBalanceKey KeyOf(const TTreeNode* node) const;
    // The plan period of a period row, -1 for a balance row.
    static int PeriodOf(const TTreeNode* node);
    // The period sums of a balance row, read once per load.
    const QList<TBalancePeriod>& PeriodsOf(TTreeNode* balanceRow);

    TSchemeViewLink* Link;
    TMRPBillsFrame* Bills = nullptr;      // the detail view; null when the host has no definition of it
    TBalanceChart* Chart;
    QSplitter* splBalance;

protected:
    void LoadData(bool KeepPosition) override;
    void LoadChildNodes(TTreeNode* Node) override;

private:
    // The focused row goes to the bills view and the chart.
    void trlBalanceFocusedNodeChanged();

    QHash<const TTreeNode*, QList<TBalancePeriod>> FPeriods;
};

} // namespace kx
