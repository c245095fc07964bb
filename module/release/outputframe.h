// The output view "KX_MRP.MRPOutput": the still releasable planned supplies of a published
// scheme as a tree (substitutes under their supply), with the destination, supply unit,
// dates, BOM, quantities and note editable and check boxes choosing what to release; its
// actions open the output settings ("Options") and release the checked rows ("Output"),
// reporting in a result list under the tree. A frame that owns a scheme (the kit analysis)
// hands it in instead of the view looking schemes up.
#pragma once

#include "release/outputlist.h"
#include "release/outputpanel.h"
#include "release/release.h"
#include "views/hostobject.h"
#include "views/treeview.h"
#include "workbench/schemeview.h"

#include <QHash>
#include <QSet>

#include <memory>

class QSplitter;

namespace kx {

class TDoResultFrame;

class TMRPOutputFrame : public TInfoTreeView, public ISchemeView {
    Q_OBJECT

public:
    TMRPOutputFrame(QWidget* owner, const TInfoObjectDef* objectDef);
    ~TMRPOutputFrame() override;

    TMRPOutputPanel* pnlOptions;
    TDoResultFrame* FResulter = nullptr;  // created on the first release
    QSplitter* splResults;
    TMRPOutputList FList;
    bool FCanToMO = false, FCanToOR = false, FCanToPR = false;
    bool FDirectOO = false;

    void SetPlanScheme(TPlanScheme* scheme, const TPlanSchemeUIEvents* events) override;
    void InitializeView(const QString& AAsDetailID, IInfoView* AMasterView) override;
    bool QueryCommandState(int Command, TCommandState& State) override;
    bool ExecCommand(int Command) override;
    void FetchCustomDrawFormat(const TTreeNode* Node, TCellDrawFormat& Format, const TViewColumn* Column) override;

    // The command of one of the object's actions ("Output" ...), -1 when the object has none.
    int ActionCommand(const QString& actionID) const { return ObjectActionCommand(ObjectDef, actionID); }

    // Fills the scheme list again (the user's releasable schemes, or the scheme handed in).
    void LoadSchemes();
    // "Output": releases the checked rows; true when bills were generated.
    bool Output();
    // The node of an output row.
    TTreeNode* NodeOfRow(int row) const { return FNodeOfRow.value(row); }
    // Writes a value into a cell as the user would, with the cell's editing rules.
    bool EditCell(TTreeNode* node, const QString& field, const QVariant& value);
    // Focuses the row and column a line of the result list names.
    void TrackPosition(const QVariant& row, const QVariant& field);

protected:
    void LoadData(bool KeepPosition) override;
    void LoadChildNodes(TTreeNode* Node) override;
    void StoreViewLayout() override;

private:
    void pnlOptionsSchemeChanged();
    void pnlOptionsApplied();
    void pnlOptionsDropped();
    void trlMainEditValueChanged(TTreeNode* Node, const QString& Field);
    void ShowSchemeState();
    void FillEndPeriods();
    void BuildPeriodColumns();
    void AddRowNode(int row, TTreeNode* parent);
    void RefreshNode(TTreeNode* node);
    void RefreshAllNodes();
    TDoResultFrame* Resulter();
    int SchemeType() const;

    TPlanScheme* FPlanScheme = nullptr;       // handed in by the owning frame
    std::unique_ptr<TPlanScheme> FOwnScheme;  // the scheme chosen in the list
    TOutputPanelValues FCurrent;              // the options the rows were loaded with
    QHash<int, TTreeNode*> FNodeOfRow;
    QSet<QString> FEditedCells;               // "row|field"
    QHash<int, TMessageKind> FRowFindings;    // worst finding of the last release per row
    QHash<QString, TMessageKind> FCellFindings;   // "row|field"
    bool FRefreshingNode = false;
};

} // namespace kx
