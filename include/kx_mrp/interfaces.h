// The interfaces through which a host drives what the module created: list views,
// workbench frames and bill editors. Method order is part of the contract.
#pragma once

#include "kx_mrp/objectdef.h"
#include "kx_mrp/types.h"
#include "kx_mrp/viewscheme.h"

#include <QString>
#include <QVariant>

#include <functional>

class QWidget;

namespace kx {

using HRESULT = std::int32_t;
constexpr HRESULT S_OK = 0;
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);

constexpr TGUID IID_IInterface{0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr TGUID IID_IInfoView{0x53E2B281, 0x5F7A, 0x4B10, {0x82, 0xD5, 0x78, 0x85, 0x59, 0x8B, 0xEE, 0xCF}};
constexpr TGUID IID_IInfoFrame{0x7EC08E83, 0x28E1, 0x45C5, {0xA6, 0x38, 0x79, 0x10, 0x2A, 0xF7, 0xDD, 0xDE}};
constexpr TGUID IID_IInfoEdit{0x2556D4C6, 0x4293, 0x4CD8, {0xBF, 0x10, 0xF5, 0x52, 0x6C, 0x28, 0x59, 0xE2}};

// Reference counting never frees what the module created: the host frees a view, frame
// or editor explicitly (they are widgets, deleted like any other).
class IInterface {
public:
    virtual HRESULT QueryInterface(const TGUID& IID, void** Obj) = 0;
    virtual int AddRef() = 0;
    virtual int Release() = 0;

protected:
    ~IInterface() = default;
};

class IInfoView;
class IInfoEdit;
using TNotifyEvent = std::function<void(IInfoView* Sender)>;

class IInfoView : public IInterface {
public:
    virtual void InitializeView(const QString& AsDetailID, IInfoView* MasterView) = 0;
    virtual void NotifyDetailCreated(IInfoView* DetailView) = 0;
    virtual void SetViewID(const QString& ID) = 0;
    virtual void SetViewCaption(const QString& Caption) = 0;
    virtual void SetParentControl(QWidget* Parent) = 0;
    virtual void SetOnFocusedRecordChanged(TNotifyEvent Event) = 0;
    virtual void SetDataFilter(const QString& Filter, bool Refresh) = 0;
    virtual void SetMasterValues(const QString& Values, bool Refresh) = 0;
    virtual void SetSelectedRecordValue(const QString& Field, int Index, const QVariant& Value) = 0;
    virtual void SetViewPosition(const QString& Position) = 0;
    virtual void MakeFocus() = 0;
    virtual void RefreshData(bool KeepPosition) = 0;
    virtual void CloseData() = 0;
    virtual const TInfoObjectDef* GetObjectDef() = 0;
    virtual QString GetViewCaption() = 0;
    virtual TViewScheme* GetViewScheme() = 0;
    virtual QString GetViewPosition() = 0;
    virtual bool GetEditMode() = 0;
    virtual IInfoView* GetActiveView() = 0;
    virtual IInfoView* GetRelationView(const QString& RelationID) = 0;
    virtual QString GetFocusedRecordString(const QString& Field) = 0;
    virtual int GetSelectedRecordCount() = 0;
    virtual QVariant GetSelectedRecordValue(const QString& Field, int Index) = 0;
    virtual bool IsFocused() = 0;
    virtual bool DataRefreshed() = 0;
    virtual bool NeedSave() = 0;
    virtual bool QueryClose() = 0;
    virtual bool QueryCommandState(int Command, TCommandState& State) = 0;
    virtual bool ExecCommand(int Command) = 0;

protected:
    ~IInfoView() = default;
};

class IInfoFrame : public IInterface {
public:
    virtual void ProcessIdle() = 0;
    virtual void RefreshMainUI() = 0;
    virtual void SetParentControl(QWidget* Parent) = 0;
    virtual bool QueryClose() = 0;
    virtual bool QueryCommandState(int Command, TCommandState& State) = 0;
    virtual bool ExecCommand(int Command) = 0;

protected:
    ~IInfoFrame() = default;
};

class IInfoEdit : public IInterface {
public:
    virtual void ProcessIdle() = 0;
    virtual void SetParentControl(QWidget* Parent) = 0;
    virtual void OpenData(const QString& KeyValues, TEditMode Mode) = 0;
    virtual const TInfoObjectDef* GetObjectDef() = 0;
    virtual QString GetCaption() = 0;
    virtual TEditMode GetEditMode() = 0;
    virtual bool DataInEdit(const QString& KeyValues) = 0;
    virtual bool QueryClose() = 0;
    virtual bool QueryCommandState(int Command, TCommandState& State) = 0;
    virtual bool ExecCommand(int Command) = 0;

protected:
    ~IInfoEdit() = default;
};

// The widget behind an interface the module returned, so that a host can parent,
// show and free it. Every view, frame and editor of the module answers this.
constexpr TGUID IID_IWidgetHandle{0x6B1F0C3A, 0x2D54, 0x4E7B, {0x9A, 0x11, 0x3C, 0x5E, 0x80, 0x47, 0xB2, 0x19}};

} // namespace kx
