// The substitute maintenance view on "KX_MRP.ItemSubs": BOMs, their component lines and the
// substitutes of each line in priority order, with the global substitutes under
// "(全局范围)". In edit mode substitutes are added, changed, removed and reordered; each
// changed BOM is checked and stored as one substitute bill through the host's bill service.
#pragma once

#include "masterdata/itemsubs.h"
#include "views/treeview.h"

#include <QSet>

class QComboBox;
class QLabel;

namespace kx {

class TPickEdit;

class TItemSubsFrame : public TInfoTreeView {
    Q_OBJECT

public:
    TItemSubsFrame(QWidget* owner, const TInfoObjectDef* objectDef);

    QLabel* lblFilterKind;
    QComboBox* cboFilterKind;
    TPickEdit* edtFilterItem;
    QPushButton* btnFilterOK;
    QPushButton* btnFilterCancel;

    bool QueryCommandState(int Command, TCommandState& State) override;
    bool ExecCommand(int Command) override;
    bool SaveData() override;
    void FetchCustomDrawFormat(const TTreeNode* Node, TCellDrawFormat& Format, const TViewColumn* Column) override;

    // The limit of the filter bar: kind and item (empty: any item).
    void SetFilterLimit(TItemSubsLimit kind, const QString& itemID);

    // Edit operations of the commands, on the focused or selected nodes.
    TTreeNode* AddSubstitute(TTreeNode* line, const TItemSub& sub, int row = -1);
    void AddSubs();
    void AddSubsEx();
    void DelSubs();
    void MoveSubs(int step);
    void CopySubs();

    // The BOM node above a node, and the line node of a line or substitute node.
    static TTreeNode* BomNode(TTreeNode* node);
    static TTreeNode* LineNode(TTreeNode* node);
    // The BOM of a BOM node as the tree holds it.
    TItemSubBom BomOfNode(TTreeNode* bomNode) const;

    // Reads the filter kind kept in the scheme ("[LimitKind]").
    void InitializeView(const QString& AAsDetailID, IInfoView* AMasterView) override;

protected:
    void LoadData(bool KeepPosition) override;
    void EditModeToggled() override { FModifiedBoms.clear(); }

private:
    void trlMainEditValueChanged(TTreeNode* Node, const QString& Field);
    void btnFilterOKClick();
    void btnFilterCancelClick();
    void MarkModified(TTreeNode* node);
    void Renumber(TTreeNode* line);
    void SetSubItem(TTreeNode* node, const QVariantMap& item);
    void FocusCell(TTreeNode* node, const QString& field, bool edit);
    QList<TTreeNode*> SelectedLines() const;

    QString FLimitItemID;
    QSet<TTreeNode*> FModifiedBoms;
    bool FResolving = false;
};

} // namespace kx
