// The host's own list of an information object that no module serves (sales orders,
// forecasts, work orders ...): a grid over the object's statement as the catalogue composes
// it, with the user's columns, filter and order, master/detail linking, export and print,
// and the object's actions, which the host hands to the module that carries them out.
#pragma once

#include "kx_mrp/interfaces.h"
#include "views/recordset.h"

#include <QAbstractTableModel>
#include <QFrame>

#include <functional>

class QTableView;
class QLabel;

namespace kx::shell {

// Rows of a record snapshot under the columns of an object's fields.
class TERPListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit TERPListModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    void Reset(const TInfoObjectDef* def, const QStringList& fieldIDs, TRecordSet records);
    const TRecordSet& Records() const { return FRecords; }
    const QStringList& FieldIDs() const { return FFieldIDs; }
    const TInfoObjectDef* ObjectDef() const { return FDef; }
    // The value of a field in a row as the list shows it (rows follow the sort order).
    QVariant Value(int row, const QString& fieldID) const { return FRecords.Value(FOrder.value(row, -1), fieldID); }
    // The type of a field's values: its definition's, else the dataset's.
    TFieldType FieldType(const QString& fieldID) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Header click: the rows in the order of one column's values.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // The text a cell shows: enumeration captions, quantities with their decimals, dates
    // as "yyyy/mm/dd", flags as "是".
    QString DisplayText(int row, const QString& fieldID) const;

private:
    const TInfoObjectDef* FDef = nullptr;
    QStringList FFieldIDs;
    TRecordSet FRecords;
    QList<int> FOrder;                    // record of each row
};

class TERPListView : public QFrame, public IInfoView {
    Q_OBJECT

public:
    // Runs an action of the object that belongs to a module; true when the module took it.
    using TActionRunner = std::function<bool(const TInfoObjectDef* def, const QString& actionID, IInfoView* view)>;

    TERPListView(const TInfoObjectDef* def, TActionRunner runAction, QWidget* parent = nullptr);
    ~TERPListView() override;

    HRESULT QueryInterface(const TGUID& IID, void** Obj) override;
    int AddRef() override { return -1; }
    int Release() override { return -1; }

    void InitializeView(const QString& AsDetailID, IInfoView* MasterView) override;
    void NotifyDetailCreated(IInfoView*) override {}
    void SetViewID(const QString& ID) override { FScheme.ID = ID; }
    void SetViewCaption(const QString& Caption) override { FCaption = Caption; }
    void SetParentControl(QWidget* Parent) override;
    void SetOnFocusedRecordChanged(TNotifyEvent Event) override { FOnFocusedRecordChanged = std::move(Event); }
    void SetDataFilter(const QString& Filter, bool Refresh) override;
    void SetMasterValues(const QString& Values, bool Refresh) override;
    void SetSelectedRecordValue(const QString&, int, const QVariant&) override {}
    void SetViewPosition(const QString& Position) override;
    void MakeFocus() override;
    void RefreshData(bool KeepPosition) override;
    void CloseData() override;
    const TInfoObjectDef* GetObjectDef() override { return FDef; }
    QString GetViewCaption() override { return FCaption; }
    TViewScheme* GetViewScheme() override { return &FScheme; }
    QString GetViewPosition() override;
    bool GetEditMode() override { return false; }
    IInfoView* GetActiveView() override { return this; }
    IInfoView* GetRelationView(const QString& RelationID) override;
    QString GetFocusedRecordString(const QString& Field) override;
    int GetSelectedRecordCount() override;
    QVariant GetSelectedRecordValue(const QString& Field, int Index) override;
    bool IsFocused() override;
    bool DataRefreshed() override { return FDataIsFresh; }
    bool NeedSave() override { return false; }
    bool QueryClose() override;
    bool QueryCommandState(int Command, TCommandState& State) override;
    bool ExecCommand(int Command) override;

    QTableView* Grid() const { return grdList; }
    TERPListModel* Model() const { return FModel; }
    const QString& BuiltSQL() const { return FBuiltSQL; }
    // Focuses a record by its row in the list (from 0).
    void FocusRow(int row);

private:
    QStringList ShownFields() const;
    QString BuildSQL();
    void FocusedRowChanged();
    QList<int> SelectedRows() const;

    const TInfoObjectDef* FDef;
    TActionRunner FRunAction;
    TViewScheme FScheme;
    QString FCaption;
    QString FAsDetailID;
    bool FAsDetail = false;
    QString FMasterValues;
    QString FDataFilter;
    bool FDataIsFresh = false;
    QString FBuiltSQL;
    TNotifyEvent FOnFocusedRecordChanged;
    QTableView* grdList;
    QLabel* lblCount;
    TERPListModel* FModel;
    int FSortColumn = -1;                 // the column the user sorted by, -1 the statement's order
    Qt::SortOrder FSortOrder = Qt::AscendingOrder;
};

} // namespace kx::shell
