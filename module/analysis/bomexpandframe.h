// The BOM expansion view on "KX_MRP.BOMExpand": the BOM of the product focused in the BOM list
// above it (or in the master view it is a detail of), exploded level by level as nodes are
// expanded, with the usage of every component per parent and for the whole product, and a trial
// quantity for a product quantity with or without loss rates. With "显示替代物料" each line
// also lists its global and local substitutes.
#pragma once

#include "analysis/bomexpand.h"
#include "masterdata/itemsubs.h"
#include "views/treeview.h"

#include <QSet>

#include <memory>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;

namespace kx {

class TBOMExpandFrame : public TInfoTreeView {
    Q_OBJECT

public:
    TBOMExpandFrame(QWidget* owner, const TInfoObjectDef* objectDef);
    ~TBOMExpandFrame() override;

    QLabel* lblLossRate;
    QComboBox* cboLossRate;
    QLabel* lblPrdQty;
    QDoubleSpinBox* edtPrdQty;
    QCheckBox* chkSubItems;

    void InitializeView(const QString& AAsDetailID, IInfoView* AMasterView) override;
    void SetMasterValues(const QString& Values, bool Refresh) override;
    bool QueryCommandState(int Command, TCommandState& State) override;
    bool ExecCommand(int Command) override;
    bool SaveData() override;
    void FetchCustomDrawFormat(const TTreeNode* Node, TCellDrawFormat& Format, const TViewColumn* Column) override;

    // The BOM shown: product, BOM type and ID (empty: the product's default BOM).
    void SetProduct(const QString& productID, int bomType, const QString& bomID);
    // Recomputes the quantities of the node's children, and theirs, from the node's own.
    void Recompute(TTreeNode* node);
    // The node of a line by its path of entries from the root ("3/1": line 1 under line 3).
    TTreeNode* LineNode(const QString& entryPath) const;
    IInfoView* ProductListView() const { return FProductList; }
    const TBomLineReader& Reader() const { return *FReader; }

    // Editing the BOM-local substitutes of the shown lines (the actions "Update", "AddSubs",
    // "CopySubs", "DelSubs", "UpSubs", "DownSubs"); a line's substitutes are stored with its
    // BOM through the host's bill service.
    TTreeNode* AddSubs();
    void DelSubs();
    void MoveSubs(int step);
    void CopySubs();
    // The line node of a line, its substitute group or one of its substitutes.
    TTreeNode* LineOf(TTreeNode* node) const;
    // The local substitutes of the lines under a node, as the BOM of that node holds them.
    TItemSubBom ShownBom(TTreeNode* parent) const;

protected:
    void LoadData(bool KeepPosition) override;
    void EditModeToggled() override;
    void LoadChildNodes(TTreeNode* Node) override;

private:
    void LoadLines(TTreeNode* node);
    void LoadSubstitutes(TTreeNode* node, int bomType, const QString& bomID, const QList<std::pair<QString, QString>>& lines);
    void ShowQuantities(TTreeNode* node);
    void ProductListFocusChanged();
    void trlMainEditValueChanged(TTreeNode* Node, const QString& Field);
    TTreeNode* LocalGroup(TTreeNode* line, bool create);
    void MarkModified(TTreeNode* line);
    bool SubEditable(const TTreeNode* node, const TViewColumn* column) const;
    // Checks and stores one BOM's local substitutes; false after showing why not.
    bool SaveBom(TTreeNode* parent);

    QString FProductID;
    int FBomType = 0;
    QString FBomID;
    bool FBomQtyUseStdQty = false;
    bool FBomExpandVirtualItem = false;
    bool FRecomputing = false;
    IInfoView* FProductList = nullptr;
    std::unique_ptr<TBomLineReader> FReader;
    QSet<TTreeNode*> FModifiedParents;
};

} // namespace kx
