// The execution-result list in which long operations report errors, warnings and
// information, each line with a position that leads back to the record concerned.
#pragma once

#include "views/treemodel.h"
#include "views/viewcolumns.h"

#include "kx_mrp/types.h"

#include <QFrame>

#include <functional>

class QTreeView;

namespace kx {

// Called on a double-click with the line and its two position values.
using TOnTrackPositionEvent = std::function<void(TTreeNode* node, const QVariant& position1, const QVariant& position2)>;

class TDoResultFrame : public QFrame {
    Q_OBJECT

public:
    explicit TDoResultFrame(QWidget* parent = nullptr);
    ~TDoResultFrame() override;

    QTreeView* grdResults;
    TViewColumn* colText;
    TViewColumn* colPosition;
    TViewColumn* colPosition1;
    TViewColumn* colPosition2;
    QString FTitle;                       // export file name; "执行结果信息" when empty
    TOnTrackPositionEvent FOnTrackPosition;

    // Adds a line (under the parent, which then opens), selects it and shows it.
    TTreeNode* AddResultNode(TMessageKind Kind, const QString& Text, const QString& PositionText = QString(),
                             const QVariant& Position1 = QVariant(), const QVariant& Position2 = QVariant(),
                             TTreeNode* Parent = nullptr);
    // Raises the line's kind to a more severe one (never lowers it); a text replaces the line's.
    void ChangeResultNode(TTreeNode* Node, TMessageKind Kind, const QString& Text = QString());
    TMessageKind GetResultNodeKind(const TTreeNode* Node) const;
    void ClearResultNodes();
    int ResultNodeCount() const { return Nodes()->Root()->ChildCount(); }
    TTreeModel* Nodes() const { return FNodes; }

    void ShowAsGrayStyle(bool Gray);
    void ShowTrackPosition(bool Show);

    bool QueryCommandState(int Command, TCommandState& State);
    bool ExecCommand(int Command);

private:
    void grdResultsDblClick(const QModelIndex& index);

    TViewColumns FColumns;
    TTreeModel* FNodes;
    QString FPrintSetting;
    bool FPrintSettingRead = false;
    bool FGrayStyle = false;
    bool FTrackPosition = true;
};

} // namespace kx
