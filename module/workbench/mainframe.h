// The main demand of a plan scheme ("KX_MRP.MRP.Main"), the first result tab of the
// workbench: the scheme's main-demand lines with their plan quantity spread over one column
// per plan period. In edit mode the planner changes priorities, notes and the period
// distribution of every line, adds and deletes free demand lines, and saves them checked;
// the batch adjustment moves delivery dates into a period or imports delivery adjustments.
#pragma once

#include "views/gridview.h"
#include "workbench/mainedit.h"
#include "workbench/schemeview.h"

class QLabel;

namespace kx {

class TRowsReader;

class TMRPMainFrame : public TInfoGridView, public ISchemeView {
    Q_OBJECT

public:
    TMRPMainFrame(QWidget* owner, const TInfoObjectDef* objectDef);

    void SetPlanScheme(TPlanScheme* scheme, const TPlanSchemeUIEvents* events) override;
    bool QueryCommandState(int Command, TCommandState& State) override;
    bool ExecCommand(int Command) override;
    bool SaveData() override;
    void FetchCustomDrawFormat(int Record, TCellDrawFormat& Format, const TViewColumn* Column) override;

    QLabel* lblPlanState;
    QList<TPlanPeriodCol> PeriodColumns;

    // The actions of the view, as its commands run them (and ToggleEditMode).
    void AddNeed();
    void DelNeed();
    void Adjust();
    // Double-click or space on a period cell of a record.
    bool PeriodCellClicked(int Record, int Period);
    // The line of a record as the save reads it.
    TMainLine LineOf(int Record) const;
    // The periods the view's period columns show: those of the current main demand, or the
    // scheme's own before any was fetched.
    const TPlanPeriods& Periods() const;
    const QList<int>& DeletedLines() const { return FDeleted; }
    // The first lines of a large main demand are shown while the rest is read behind them.
    bool RowsPending() const;
    void WaitForRows();

protected:
    void LoadData(bool KeepPosition) override;
    // Export and printing take every line: the rest of a large main demand is waited for.
    std::unique_ptr<TExportTable> CreateExportTable() override;
    void EnterEditMode() override;
    void LeaveEditMode() override;
    void ApplyViewLayout() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int ActionCommand(const QString& id) const;
    bool SchemeUsable() const;
    // Leaves edit mode, reloading the rows with refresh.
    void LeaveEditing(bool refresh);
    void BuildPeriodColumns();
    void ShowPlanState();
    void CacheFields();
    bool CellEditable(int Record, const TViewColumn* Column) const;
    int PeriodOfField(const QString& field) const;
    TMainLineQty QtyOf(int Record) const;
    void SetQty(int Record, const TMainLineQty& qty);
    void grdMainEditValueChanged(int Record, const QString& Field);
    // A typed item code fills the item's columns and drops the BOM; a typed BOM number is
    // looked up among the item's BOMs on the need date.
    void ResolveItem(int Record);
    void ResolveBom(int Record);
    void FocusFault(int Record, const QString& Field, const QString& Message);
    bool TagHidden() const;

    TRowsReader* FRest;
    TPlanScheme* FPlanScheme = nullptr;
    const TPlanSchemeUIEvents* FEvents = nullptr;
    QList<int> FDeleted;
    bool FResolving = false;
    int FPeriodBand = 2;
    // Field positions of the loaded records, for the period cells drawn per paint.
    int FDateField = -1, FNeedField = -1, FAdjField = -1, FQtyField = -1, FHintsField = -1, FTypeField = -1,
        FGroupTypeField = -1, FMaskField = -1;
};

} // namespace kx
