// The pegging of a run ("KX_MRP.MRP.Allot"): each demand with the planned supply made for it,
// the demands that supply's BOM caused under it, loaded a level at a time as nodes are
// expanded, and the top level a page at a time as it is scrolled. A filter keeps only the
// branches that lead to chosen bottom-level items, planners or buyers. Read-only.
#pragma once

#include "views/treeview.h"
#include "workbench/allotment.h"
#include "workbench/schemeview.h"

#include <memory>

class QCheckBox;
class QComboBox;
class QPushButton;

namespace kx {

class TPickEdit;
class TSchemeViewLink;

class TMRPAllotFrame : public TInfoTreeView, public ISchemeView {
    Q_OBJECT

public:
    TMRPAllotFrame(QWidget* owner, const TInfoObjectDef* objectDef);
    ~TMRPAllotFrame() override;

    void SetPlanScheme(TPlanScheme* scheme, const TPlanSchemeUIEvents* events) override;
    void InitializeView(const QString& AAsDetailID, IInfoView* AMasterView) override;
    bool QueryClose() override;

    // Applies the filter as the button "确定" does.
    void ApplyFilter();
    // Top rows read per page.
    static constexpr int kPageRows = 500;

    TSchemeViewLink* Link;
    QComboBox* cboFilterKind;
    TPickEdit* edtFilterText;
    QCheckBox* chkFilterNoBom;
    QPushButton* btnFilterOK;
    QPushButton* btnFilterCancel;

protected:
    void LoadData(bool KeepPosition) override;
    void LoadChildNodes(TTreeNode* Node) override;

private:
    void SetupPicker();
    void UpdateFilterButtons();
    void btnFilterCancelClick();

    std::unique_ptr<TAllotFilter> FFilter;
    QString FAppliedText;
    int FAppliedKind = 0;
};

} // namespace kx
