#include "views/doresultframe.h"

#include "db/messages.h"
#include "db/settings.h"
#include "db/shared.h"
#include "views/exportservice.h"
#include "views/viewexport.h"

#include <QHeaderView>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

namespace kx {

namespace {

const QString kText = QStringLiteral("Text");
const QString kPosition = QStringLiteral("Position");
const QString kPosition1 = QStringLiteral("Position1");
const QString kPosition2 = QStringLiteral("Position2");

// Image of a kind: information 0, warning 1, error 2, none -1; a higher image is more severe.
int ImageOf(TMessageKind kind)
{
    switch (kind) {
    case mkInformation: return 0;
    case mkWarning: return 1;
    case mkError: return 2;
    case mkNone: break;
    }
    return -1;
}

} // namespace

TDoResultFrame::TDoResultFrame(QWidget* parent) : QFrame(parent)
{
    colText = FColumns.Add(kText, QStringLiteral("执行结果"));
    colText->Width = 460;
    colPosition = FColumns.Add(kPosition, QStringLiteral("位置"));
    colPosition->Width = 200;
    colPosition1 = FColumns.Add(kPosition1, kPosition1);
    colPosition1->Visible = false;
    colPosition2 = FColumns.Add(kPosition2, kPosition2);
    colPosition2->Visible = false;
    FNodes = new TTreeModel(&FColumns, this);
    FNodes->SetImages({style()->standardIcon(QStyle::SP_MessageBoxInformation), style()->standardIcon(QStyle::SP_MessageBoxWarning),
                       style()->standardIcon(QStyle::SP_MessageBoxCritical)});
    FNodes->SetDrawFormatHook([this](const TTreeNode*, const TViewColumn* column, TCellDrawFormat& format) {
        if (FGrayStyle)
            format.TextColor = QColor(96, 96, 96);
        if (column == colPosition && FTrackPosition) {
            format.TextColor = QColor(0, 64, 192);
            format.Font.setUnderline(true);
            format.FontChanged = true;
        }
    });

    grdResults = new QTreeView(this);
    grdResults->setObjectName(QStringLiteral("grdResults"));
    grdResults->setModel(FNodes);
    grdResults->setRootIsDecorated(false);
    grdResults->setUniformRowHeights(true);
    grdResults->setAllColumnsShowFocus(true);
    grdResults->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int i = 0; i < FColumns.Count(); ++i) {
        grdResults->header()->resizeSection(i, FColumns.At(i)->Width);
        grdResults->header()->setSectionHidden(i, !FColumns.At(i)->Visible);
    }
    grdResults->header()->setStretchLastSection(false);
    grdResults->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(grdResults);
    connect(grdResults, &QTreeView::doubleClicked, this, &TDoResultFrame::grdResultsDblClick);
}

TDoResultFrame::~TDoResultFrame()
{
    delete grdResults;
}

TTreeNode* TDoResultFrame::AddResultNode(TMessageKind Kind, const QString& Text, const QString& PositionText,
                                         const QVariant& Position1, const QVariant& Position2, TTreeNode* Parent)
{
    TModuleEnvironment* env = Env();
    if (env)
        env->ResultSink = reinterpret_cast<std::intptr_t>(grdResults);
    TTreeNode* node = FNodes->AddNode(Parent, {{kText, Text}, {kPosition, PositionText}, {kPosition1, Position1},
                                               {kPosition2, Position2}});
    FNodes->SetImageIndex(node, ImageOf(Kind));
    if (Parent) {
        grdResults->setRootIsDecorated(true);
        grdResults->expand(FNodes->IndexOf(Parent));
    }
    const QModelIndex index = FNodes->IndexOf(node);
    grdResults->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    grdResults->scrollTo(index);
    if (env)
        env->ResultSink = 0;
    return node;
}

void TDoResultFrame::ChangeResultNode(TTreeNode* Node, TMessageKind Kind, const QString& Text)
{
    if (!Node)
        return;
    if (ImageOf(Kind) > Node->ImageIndex)
        FNodes->SetImageIndex(Node, ImageOf(Kind));
    if (!Text.isEmpty())
        FNodes->SetNodeValue(Node, kText, Text);
}

TMessageKind TDoResultFrame::GetResultNodeKind(const TTreeNode* Node) const
{
    switch (Node ? Node->ImageIndex : -1) {
    case 0: return mkInformation;
    case 1: return mkWarning;
    case 2: return mkError;
    default: return mkNone;
    }
}

void TDoResultFrame::ClearResultNodes()
{
    FNodes->Clear();
    grdResults->setRootIsDecorated(false);
}

void TDoResultFrame::ShowAsGrayStyle(bool Gray)
{
    FGrayStyle = Gray;
    grdResults->viewport()->update();
}

void TDoResultFrame::ShowTrackPosition(bool Show)
{
    FTrackPosition = Show;
    grdResults->header()->setSectionHidden(FColumns.IndexOf(colPosition), !Show);
}

bool TDoResultFrame::QueryCommandState(int Command, TCommandState& State)
{
    if (Command < cmdExport || Command > cmdPrintPreview)
        return false;
    State = csEnabled;
    return true;
}

bool TDoResultFrame::ExecCommand(int Command)
{
    if (Command < cmdExport || Command > cmdPrintPreview)
        return false;
    const TViewExportTable table(FTitle.isEmpty() ? QStringLiteral("执行结果信息") : FTitle, FColumns, *FNodes);
    if (Command == cmdExport) {
        ExecuteExport(this, table, table.Title);
        return true;
    }
    // The print layout is the user's, kept between sessions.
    if (!FPrintSettingRead) {
        ReadSetting(QStringLiteral("KX_SYS"), QStringLiteral("ResultsFramePrint"), FPrintSetting, false);
        FPrintSettingRead = true;
    }
    ExecutePrintCommand(this, Command, table, FPrintSetting);
    WriteSetting(QStringLiteral("KX_SYS"), QStringLiteral("ResultsFramePrint"), false, FPrintSetting);
    return true;
}

void TDoResultFrame::grdResultsDblClick(const QModelIndex& index)
{
    TTreeNode* node = FNodes->NodeOf(index);
    if (node && FOnTrackPosition)
        FOnTrackPosition(node, node->Value(kPosition1), node->Value(kPosition2));
}

} // namespace kx
