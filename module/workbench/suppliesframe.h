// The supplies of a plan scheme after its MRP run ("KX_MRP.MRP.Supplies"): existing orders and
// requisitions, stock and the planned supplies, chosen by plan type. In edit mode a planned
// supply's type, BOM and quantity may be changed; the changes are stored as adjustments that
// a later run can keep, with the balance corrected in the same transaction.
#pragma once

#include "views/gridview.h"
#include "workbench/schemeview.h"
#include "workbench/supplyadjust.h"

#include <QHash>

class QComboBox;

namespace kx {

class TSchemeViewLink;

class TMRPSuppliesFrame : public TInfoGridView, public ISchemeView {
    Q_OBJECT

public:
    TMRPSuppliesFrame(QWidget* owner, const TInfoObjectDef* objectDef);

    void SetPlanScheme(TPlanScheme* scheme, const TPlanSchemeUIEvents* events) override;
    void InitializeView(const QString& AAsDetailID, IInfoView* AMasterView) override;
    bool QueryCommandState(int Command, TCommandState& State) override;
    bool ExecCommand(int Command) override;
    bool QueryClose() override;
    bool SaveData() override;
    void FetchCustomDrawFormat(int Record, TCellDrawFormat& Format, const TViewColumn* Column) override;

    // Chooses the plan type (index of cboPlanType) and shows its supplies.
    void SetPlanType(int index);
    int PlanType() const;

    QComboBox* cboPlanType;
    TSchemeViewLink* Link;

protected:
    void LoadData(bool KeepPosition) override;
    void EnterEditMode() override;
    void LeaveEditMode() override;

private:
    // Edit mode offers the planned types only.
    void SetTypeEditorItems(bool editing);
    void cboPlanTypeChange();
    // A changed cell of a planned line: the rules of the changed field are applied to the
    // line and its dependent cells written back; a refused value is shown and undone.
    void grdSuppliesEditValueChanged(int Record, const QString& Field);
    void WriteLine(int Record, const TSupplyLine& line);
    QWidget* CreateBomEditor(QWidget* parent);

    QHash<int, TSupplyLine> FLines;       // edit mode: each record's line as last accepted
    bool FResolving = false;
    int FShownPlanType = -1;
};

} // namespace kx
