// The base of every flat list view: a grid over the records of the object's statement,
// with columns generated from the field definitions, the layout kept in the view scheme,
// sorting, grouping, footer and group summaries, selection access for the host and batch
// filling of the selected rows.
#pragma once

#include "views/fillvaluesdlg.h"
#include "views/gridsummary.h"
#include "views/infoview.h"
#include "views/quickfilter.h"
#include "views/viewcolumns.h"

#include <functional>

class QHeaderView;
class QMenu;
class QTreeView;

namespace kx {

class TBandedHeader;
class TFilterBar;
class TFrozenColumns;
class TGridFooter;
class TGridGroupModel;
class TQuery;
class TRecordSet;
class TRecordTableModel;

class TInfoGridView : public TCustomInfoView {
    Q_OBJECT

public:
    TInfoGridView(QWidget* owner, const TInfoObjectDef* objectDef);
    ~TInfoGridView() override;

    void MakeFocus() override;
    bool QueryCommandState(int Command, TCommandState& State) override;
    bool ExecCommand(int Command) override;
    QString GetFocusedRecordString(const QString& Field) override;
    int GetSelectedRecordCount() override;
    QVariant GetSelectedRecordValue(const QString& Field, int Index) override;
    void SetSelectedRecordValue(const QString& Field, int Index, const QVariant& Value) override;
    // Prepares the scheme through the host when needed, loads the data, then the base.
    void RefreshData(bool KeepPosition) override;
    void CloseData() override;
    QString GetViewPosition() override;
    void SetViewPosition(const QString& Position) override;

    // Takes one value into a footer or group summary; zeros and blanks do not count.
    virtual void GridSummary(TSummaryItem& Item, const QVariant& Value);
    // Colours the cells of a record (row of the snapshot); the view-sign colours are
    // already set when it is called.
    virtual void FetchCustomDrawFormat(int Record, TCellDrawFormat& Format, const TViewColumn* Column);

    TViewColumns Columns;
    QTreeView* grdMain;
    bool GridMode = false;                // records fetched on demand: the scheme's sorting is not applied

    // Designed columns of a concrete view (bands: Columns.AddBand), before InitializeView.
    TViewColumn* AddColumn(const QString& FieldName, const QString& Caption, int Band = -1);

    const TRecordSet& Records() const;
    TRecordTableModel* RecordModel() const { return FRecords; }
    TGridGroupModel* RowModel() const { return FRows; }
    // The focused record (row of the snapshot), -1 when no data row has the focus.
    int FocusedRecord() const;
    void FocusRecord(int Record);
    // The selected rows in display order: records, or -1 for group rows.
    QList<int> SelectedRows() const;
    // Cells may be edited in editable columns.
    void SetEditing(bool Editing);
    // Enters or leaves edit mode as an object's "Update" does: leaving asks about unsaved edits
    // first; false when the user kept them.
    bool ToggleEditMode();
    // Writes a value into a cell as an edit would (with the field check).
    bool SetCellValue(int Record, const QString& Field, const QVariant& Value, QString* Message = nullptr);
    // The selected rows and editable columns as the batch fill's target.
    TFillTarget FillTarget();

    // The quick filter: conditions per column on what the cells show; the records that
    // fail are hidden and a panel under the grid says what filters and clears it.
    void SetQuickFilter(const TQuickFilter& Filter);      // replaces the column's
    void RemoveQuickFilter(const QString& FieldName);
    void ClearQuickFilters();
    const QList<TQuickFilter>& QuickFilters() const { return FQuickFilters; }
    QString QuickFilterText() const;
    // The dialog "自定义快速筛选方式" for a column; true when the user set a filter.
    bool ShowQuickFilterDialog(const TViewColumn* Column);
    TFilterBar* QuickFilterPanel() const { return pnlQuickFilter; }
    // What the column's cells show, each text once, in order (the quick filter's choices).
    QStringList ColumnValues(const TViewColumn* Column, int Limit = 200) const;

protected:
    void ApplyViewLayout() override;
    void StoreViewLayout() override;
    bool HasFocusedRecord() override;
    // The visible columns over the rows in display order, groups and totals as shown.
    std::unique_ptr<TExportTable> CreateExportTable() override;
    // Opens the view's data: by default the object's statement (BuildViewSQL with the row
    // limit). Concrete views compose their own statement here.
    virtual void LoadData(bool KeepPosition);
    // Opens a statement as the grid's records; with CheckLimit warns when the row limit
    // was reached. Returns the record count, -1 when the statement failed.
    int OpenData(const QString& SQL, bool CheckLimit);
    // Takes rows read elsewhere (TRowsReader) as the grid's records, as OpenData does.
    int TakeData(TQuery&& Rows, bool CheckLimit);
    // OpenData under the hour-glass, "读取数据失败!" when it failed, then the focus on the row of
    // a position (GetViewPosition) when one is given. False when the statement failed.
    bool LoadRows(const QString& SQL, bool CheckLimit, const QString& Position = QString());
    // What entering and leaving edit mode do in a concrete view (ToggleEditMode calls them).
    virtual void EnterEditMode() {}
    virtual void LeaveEditMode() {}
    // Edit mode of a view whose rows are changed in place: the scheme's layout is set aside,
    // and the rows are reloaded as they come, without grouping, the scheme's sorting, footer
    // or summaries; EditOrder keeps the sort the user had, for the statement that reloads
    // them. arrangeColumns adjusts the columns once the editing layout is applied. Leaving
    // puts the layout back and, with refresh, reloads the rows. The focused row is kept.
    void EnterGridEditMode(const std::function<void()>& arrangeColumns = {});
    void LeaveGridEditMode(const std::function<void()>& arrangeColumns = {}, bool refresh = true);
    QString EditOrder;                    // "\"Field\" desc, ..." of the sort before edit mode
    // Shows a refused value as a warning and opens the editor of the faulty cell.
    void ShowCellFault(int Record, const QString& Field, const QString& Message);

private:
    void ViewSignFormat(int Record, TCellDrawFormat& Format) const;
    void RowsReset();
    void grdMainFocusedRecordChanged();
    void grdMainDblClick(const QModelIndex& index);
    void grdMainHeaderClick(int logicalIndex);
    void grdMainHeaderMenu(QHeaderView* header, const QPoint& pos);
    void grdMainValueRefused(int Record, const QString& Field, const QString& Message);
    void ShowPositionText();

    TRecordTableModel* FRecords;
    TGridGroupModel* FRows;
    TBandedHeader* FHeader;
    TGridFooter* FFooter;
    TFrozenColumns* FFrozen;
    TFilterBar* pnlQuickFilter;
    QList<TQuickFilter> FQuickFilters;
    void ApplyQuickFilters();
    void AddQuickFilterMenu(QMenu& menu, const TViewColumn* Column);
    int FLastFocusedRecord = -1;
    QString FLayoutBeforeEditing;         // the scheme's layout while edit mode has its own
    bool FApplyingLayout = false;
};

} // namespace kx
