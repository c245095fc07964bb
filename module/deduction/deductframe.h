// The deduction view on "KX_MRP.Deduct": one bill line (a forecast, sales or export order
// line) as the root and its deductions with counterpart lines as children. In edit mode the
// user adds counterparts through pickers, enters manual quantities and removes deductions;
// saving checks them and writes the root's deductions in one transaction.
//
// Under the forecast and order lists the root is the list's focused line; opened on its own
// the view takes as root the line picked with "选产品预测", "选销售订单" or "选出口订单".
#pragma once

#include "deduction/deductbill.h"
#include "views/treeview.h"

class QCheckBox;
class QComboBox;
class QLabel;

namespace kx {

class TMRPDeductFrame : public TInfoTreeView {
    Q_OBJECT

public:
    TMRPDeductFrame(QWidget* owner, const TInfoObjectDef* objectDef);

    QLabel* lblBillScope;
    QComboBox* cboBillScope;
    QCheckBox* chkDiffCustom;
    QCheckBox* chkShowFilter;
    QLabel* lblEmpty;

    void InitializeView(const QString& AAsDetailID, IInfoView* AMasterView) override;
    void SetMasterValues(const QString& Values, bool Refresh) override;
    bool QueryCommandState(int Command, TCommandState& State) override;
    bool ExecCommand(int Command) override;
    bool SaveData() override;
    void FetchCustomDrawFormat(const TTreeNode* Node, TCellDrawFormat& Format, const TViewColumn* Column) override;

    const TDeductBill& Bill() const { return FBill; }
    // Shows the deductions of a bill line.
    void SetRootLine(TDeductBillKind kind, const QString& billID, int entry);
    // Edit mode needs a line to deduct.
    bool ToggleEditMode() override;
    // Picks lines of a kind: counterparts of the root, or the root itself while there is none.
    void AddLines(TDeductBillKind kind);
    // Adds counterparts by key (what the picker gives); false with the refusal shown.
    bool AddCounterparts(TDeductBillKind kind, const QList<TBillLineKey>& keys);
    void DeleteChildren();
    TDeductPickOptions PickOptions() const;

protected:
    void LoadData(bool KeepPosition) override;

private:
    void ShowBill();
    void UpdateRootTotal();
    void trlMainEditValueChanged(TTreeNode* Node, const QString& Field);
    void OptionsChanged();
    void FocusChild(int child, bool edit);

    TDeductBill FBill;
    TDeductBillKind FRootKind = dkForcast;
    QString FRootID;
    int FRootEntry = 0;
};

} // namespace kx
