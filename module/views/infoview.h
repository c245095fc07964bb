// The base of every list view a host can embed: a frame over the records of one
// information object. It keeps the view's scheme, composes the view's statement from the
// object definition, the scheme, the data filter and the master values, and runs the
// commands shared by all views.
#pragma once

#include "kx_mrp/interfaces.h"

#include <QFrame>

#include <memory>

class QVBoxLayout;

namespace kx {

class TExportTable;

class TCustomInfoView : public QFrame, public IInfoView {
    Q_OBJECT

public:
    // The definition is kept before anything else is built, so that the view's parts may
    // read it while they are created.
    TCustomInfoView(QWidget* owner, const TInfoObjectDef* objectDef);
    ~TCustomInfoView() override;

    HRESULT QueryInterface(const TGUID& IID, void** Obj) override;
    int AddRef() override { return -1; }
    int Release() override { return -1; }

    void InitializeView(const QString& AAsDetailID, IInfoView* AMasterView) override;
    void NotifyDetailCreated(IInfoView* DetailView) override;
    void SetViewID(const QString& ID) override;
    void SetViewCaption(const QString& Caption) override;
    void SetDataFilter(const QString& Filter, bool Refresh) override;
    void SetMasterValues(const QString& Values, bool Refresh) override;
    void SetSelectedRecordValue(const QString& Field, int Index, const QVariant& Value) override;
    void SetViewPosition(const QString& Position) override;
    void MakeFocus() override;
    void RefreshData(bool KeepPosition) override;
    void CloseData() override;
    QString GetViewCaption() override;
    QString GetViewPosition() override;
    bool GetEditMode() override;
    IInfoView* GetActiveView() override;
    IInfoView* GetRelationView(const QString& RelationID) override;
    QString GetFocusedRecordString(const QString& Field) override;
    int GetSelectedRecordCount() override;
    QVariant GetSelectedRecordValue(const QString& Field, int Index) override;
    bool DataRefreshed() override;
    bool NeedSave() override;
    bool QueryClose() override;
    bool QueryCommandState(int Command, TCommandState& State) override;
    bool ExecCommand(int Command) override;
    virtual bool SaveData();
    // The command of one of the object's actions ("Update" ...), -1 when the object has none.
    int ActionCommand(const QString& actionID) const;

    void SetParentControl(QWidget* Parent) final;
    void SetOnFocusedRecordChanged(TNotifyEvent Event) final;
    const TInfoObjectDef* GetObjectDef() final;
    TViewScheme* GetViewScheme() final;
    bool IsFocused() final;

    const TInfoObjectDef* ObjectDef;
    IInfoView* MasterView = nullptr;
    QString MasterValues;                 // the master record's key: field=value lines
    bool AsDetail = false;
    QString AsDetailID;                   // relation (of the master's object) this view is a detail of
    QString BuiltSQL;                     // the statement the view opened last
    TViewScheme ViewScheme;
    QString ViewCaption;
    QWidget* ViewComponent = nullptr;     // the grid or tree showing the data
    bool Modified = false;
    bool DataIsFresh = false;
    QString DataFilter;
    QString DetailSQLPattern;             // a detail view's statement with "[Master]" for the master condition

protected:
    // Puts ViewScheme.Params on the columns; called after InitializeView and scheme changes.
    virtual void ApplyViewLayout();
    // Writes the columns' layout into ViewScheme.Params before the scheme is saved or edited.
    virtual void StoreViewLayout();
    // Whether a data record has the focus (actions that are not global need one).
    virtual bool HasFocusedRecord();

    // Entering edit mode paints the frame in the edit colour with a 3-pixel border.
    void SetEditMode(bool Value);
    // Before edits are left: with unsaved edits asks whether to save them (Yes/No/Cancel).
    // False when the user cancels or the save fails; true when saved or discarded.
    bool QuerySaveEdits();
    void FireFocusedRecordChanged();
    // Opens the host's bill editor for an action (empty: the focused record).
    bool ShowEditor(const QString& ActionID, IInfoEdit** Editor = nullptr);
    QString BuildViewSQL(const QString& ExtraFields, const QString& ExtraSelect, const QString& ExtraFilter,
                         const QString& DefaultOrder, bool UseTop);
    QString BuildMasterCondition(const QString& Field = QString());
    QString BuildFieldCondition(const QString& FieldID, const QString& Value);
    QString GetDefaultFields();
    QString BuildSelectList(const QString& ExtraFields);

    // The layout the concrete view puts its controls into.
    QVBoxLayout* ContentLayout() const { return FContent; }
    // Before the first refresh: lets the host prepare the scheme's SQL (the detail
    // preparation for a detail view) and applies the layout. False: do not refresh.
    bool PrepareViewScheme();
    // The command states and actions that grid and tree views share: export and print
    // families, scheme settings, refresh and the record check of actions.
    bool QueryListCommandState(int Command, TCommandState& State);
    bool ExecListCommand(int Command);
    // The scheme settings commands: the host's scheme preparation (with or without its
    // dialog), then the new layout and fresh data.
    void EditViewScheme(bool ShowDialog);
    // What the view shows, for export and printing; null when it shows nothing to print.
    virtual std::unique_ptr<TExportTable> CreateExportTable();

    quint32 FDataTimeStamp = 0;

private:
    bool FEditMode = false;
    TNotifyEvent FOnFocusedRecordChanged;
    QVBoxLayout* FContent;
};

} // namespace kx
