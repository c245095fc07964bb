// A list view standing in for a host's list: rows of named values, a selection, and the
// IInfoView calls that actions make on the view they were invoked on.
#pragma once

#include "kx_mrp/interfaces.h"

#include <QList>
#include <QVariantMap>

namespace kx::test {

class TFakeListView : public IInfoView {
public:
    explicit TFakeListView(const TInfoObjectDef* def = nullptr) : FDef(def) {}
    virtual ~TFakeListView() = default;

    QList<QVariantMap> Rows;              // the selected rows, in selection order
    TViewScheme Scheme;

    HRESULT QueryInterface(const TGUID& iid, void** obj) override;
    int AddRef() override { return -1; }
    int Release() override { return -1; }
    void InitializeView(const QString&, IInfoView*) override {}
    void NotifyDetailCreated(IInfoView*) override {}
    void SetViewID(const QString& id) override { Scheme.ID = id; }
    void SetViewCaption(const QString&) override {}
    void SetParentControl(QWidget*) override {}
    void SetOnFocusedRecordChanged(TNotifyEvent) override {}
    void SetDataFilter(const QString&, bool) override {}
    void SetMasterValues(const QString&, bool) override {}
    void SetSelectedRecordValue(const QString& field, int index, const QVariant& value) override;
    void SetViewPosition(const QString&) override {}
    void MakeFocus() override {}
    void RefreshData(bool) override {}
    void CloseData() override {}
    const TInfoObjectDef* GetObjectDef() override { return FDef; }
    QString GetViewCaption() override { return FDef ? FDef->Name : QString(); }
    TViewScheme* GetViewScheme() override { return &Scheme; }
    QString GetViewPosition() override { return QString(); }
    bool GetEditMode() override { return false; }
    IInfoView* GetActiveView() override { return this; }
    IInfoView* GetRelationView(const QString& id) override { return id.trimmed().isEmpty() ? this : nullptr; }
    QString GetFocusedRecordString(const QString& field) override;
    int GetSelectedRecordCount() override { return int(Rows.size()); }
    QVariant GetSelectedRecordValue(const QString& field, int index) override;
    bool IsFocused() override { return false; }
    bool DataRefreshed() override { return true; }
    bool NeedSave() override { return false; }
    bool QueryClose() override { return true; }
    bool QueryCommandState(int, TCommandState&) override { return false; }
    bool ExecCommand(int) override { return false; }

private:
    const TInfoObjectDef* FDef;
};

} // namespace kx::test
