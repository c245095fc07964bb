// The base of bill editors: a frame that shows one bill of an information object (a head
// record and body lines), implements the host's editor interface and handles the common
// editing commands: new, update, save, cancel, refresh and the object's actions.
#pragma once

#include "views/viewcolumns.h"

#include "db/dataset.h"
#include "kx_mrp/interfaces.h"

#include <QFrame>

class QGroupBox;
class QLabel;
class QVBoxLayout;

namespace kx {

class TCustomInfoEdit : public QFrame, public IInfoEdit {
    Q_OBJECT

public:
    TCustomInfoEdit(QWidget* owner, const TInfoObjectDef* objectDef);
    ~TCustomInfoEdit() override;

    HRESULT QueryInterface(const TGUID& IID, void** Obj) override;
    int AddRef() override { return -1; }
    int Release() override { return -1; }

    void ProcessIdle() override;
    void OpenData(const QString& AKeyValues, TEditMode AMode) override;
    QString GetCaption() override;
    bool DataInEdit(const QString& AKeyValues) override;
    bool QueryClose() override;
    bool QueryCommandState(int Command, TCommandState& State) override;
    bool ExecCommand(int Command) override;
    void SetParentControl(QWidget* Parent) final;
    const TInfoObjectDef* GetObjectDef() final;
    TEditMode GetEditMode() final;

    QGroupBox* gbxTitle;
    QLabel* lblTitle;
    QLabel* lblState;
    TQuery qryMain;                       // the bill's head record
    TViewColumns BodyColumns;             // the body lines' columns
    const TInfoObjectDef* ObjectDef;
    TViewScheme ViewScheme;
    TEditMode EditMode = emNone;
    QString KeyValues;                    // the bill's key: field=value lines; empty for a new bill
    bool Modified = false;

protected:
    virtual void MakeFocus();
    // Validates and writes the bill; the base writes nothing.
    virtual bool SaveData();
    // The head query of the bill in KeyValues: every field under its own name, the "#"
    // columns of the actions with a filter, composed by the host for the object.
    virtual QString BuildEditSQL();

    // Binds a body column to a field once: caption, visibility and set-up come from the
    // field's definition; without one the column is hidden.
    void BindBodyColumn(TViewColumn* Column, const QString& FieldName);
    TViewColumn* GetBodyColumn(const QString& FieldName) const;
    // The area below the title where the editor puts the head and the body.
    QVBoxLayout* ContentLayout() const { return FContent; }

private:
    // Asks whether unsaved edits are to be saved; false when the user cancels or saving failed.
    bool ConfirmLeaveEdit();

    TColumnBindings FColumnFieldNames;
    QVBoxLayout* FContent;
};

} // namespace kx
