// The inventory aging view on "KX_MRP.AgeAnalyze": the stored summary rows of the view's last
// analysis with a total row, the matched stock-in lines under each row with their source order
// and main demand, a band of quantity and amount per age group, and a bar chart of the shown
// rows per age group. A run starts with the settings dialog; prices and amounts need "Money".
#pragma once

#include "analysis/invage.h"
#include "views/treeview.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;

class QChartView;

namespace kx {

class TInvAgeFrame : public TInfoTreeView {
    Q_OBJECT

public:
    TInvAgeFrame(QWidget* owner, const TInfoObjectDef* objectDef);
    ~TInvAgeFrame() override;

    QPushButton* btnAnalyze;
    QLabel* lblState;
    QLabel* lblFilterKind;
    QComboBox* cboFilterKind;
    QLineEdit* edtFilterText;
    QPushButton* btnFilterOK;
    QCheckBox* chkShareItem;
    QSplitter* splMain;
    QChartView* chtAgeGroups;

    void InitializeView(const QString& AAsDetailID, IInfoView* AMasterView) override;
    bool QueryCommandState(int Command, TCommandState& State) override;
    bool ExecCommand(int Command) override;
    void FetchCustomDrawFormat(const TTreeNode* Node, TCellDrawFormat& Format, const TViewColumn* Column) override;

    // Opens the settings dialog and, when it is confirmed, runs the analysis and shows it.
    void Analyze();
    // Runs the analysis of the settings and shows its result; false when it did not run.
    bool RunAnalysis(const TInvAgeSettings& settings, const QStringList& allStocks);
    bool HasMoney() const;
    int RunID() const { return FSchIID; }
    // The age groups the shown result has, and their totals over the shown rows (the chart's data).
    const QList<TAgeGroup>& Groups() const { return FGroups; }
    QList<double> GroupQuantities() const;
    QList<double> GroupAmounts() const;

protected:
    void LoadData(bool KeepPosition) override;
    void LoadChildNodes(TTreeNode* Node) override;

private:
    void BuildGroupColumns();
    void UpdateChart();
    void UpdateState();
    QString DetailCondition() const;

    int FSchIID = 0;
    int FStaticBands = 1;
    QList<TAgeGroup> FGroups;
    TTreeNode* FTotal = nullptr;
};

} // namespace kx
