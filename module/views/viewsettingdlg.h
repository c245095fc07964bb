// The common base of dialogs that work on a view scheme: the user picks the current, a
// named or the default scheme, saves the settings under a name (private or shared) or
// deletes his own schemes. Subclasses show the scheme in their controls (LoadScheme) and
// take the controls back into it (SaveScheme).
#pragma once

#include "views/dialog.h"
#include "views/viewscheme.h"

#include "db/dataset.h"
#include "kx_mrp/objectdef.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;

namespace kx {

class TViewSettingDlg : public TDialog {
    Q_OBJECT

public:
    TViewSettingDlg(const TInfoObjectDef* objectDef, TViewScheme* origScheme, QWidget* parent = nullptr);

    QGroupBox* gbxScheme;
    QLabel* lblScheme;
    QComboBox* cboScheme;
    QPushButton* btnSchemeNew;
    QPushButton* btnSchemeSave;
    QPushButton* btnSchemeDelete;
    const TInfoObjectDef* ObjectDef;
    TViewScheme* OrigScheme;              // the view's scheme
    TViewScheme ViewScheme;               // the working copy
    TQuery ByQuery;

    // Fills the scheme list and selects the working scheme's entry.
    virtual void Prepare();
    // Shows ViewScheme in the dialog's controls.
    virtual void LoadScheme();
    // Takes the controls into ViewScheme; false keeps the dialog open.
    virtual bool SaveScheme();

    const QList<TSchemeListEntry>& Entries() const { return FEntries; }
    // Makes an entry the working scheme, as choosing it in the list does.
    void ChooseEntry(int index);
    // Saves the working scheme under a name; false when not saved.
    bool SaveSchemeAs(const QString& name, bool shared);
    // Deletes the chosen entry's scheme after the question.
    void DeleteChosenScheme();

protected:
    bool CanClose() override;

private:
    void FillList(int selectIID);

    QList<TSchemeListEntry> FEntries;
};

class TViewSettingSaveDlg : public TDialog {
    Q_OBJECT

public:
    // The user's own named schemes are offered; public ones carry " (共享)".
    TViewSettingSaveDlg(const QList<TSchemeListEntry>& items, QWidget* parent = nullptr);

    QLabel* cxLabel1;
    QComboBox* edtName;
    QCheckBox* chkShared;

    QString SchemeName() const;
    bool Shared() const;

    static bool ExecuteSaveDialog(const QString& viewID, const QList<TSchemeListEntry>& items, QString& name, bool& shared,
                                  QWidget* parent = nullptr);

protected:
    bool CanClose() override;

private:
    void edtNameActivated(int index);
    QStringList FNames;                   // as listed, public ones with the suffix
};

} // namespace kx
