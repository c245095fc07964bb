// "计划发布管理": the planner's own schemes with the state of their publication, and the
// users and groups each is published to. Publishing (directly or as a copy), withdrawing,
// allowing and closing release change the scheme's state only from the state shown.
#pragma once

#include "release/publishing.h"

#include <QDialog>

class QAction;
class QComboBox;
class QPushButton;
class QTreeWidget;

namespace kx {

class TInfoObjectDef;

class TMRPReleaseDlg : public QDialog {
    Q_OBJECT

public:
    explicit TMRPReleaseDlg(QWidget* parent = nullptr);

    QComboBox* cboScheme;
    QTreeWidget* grdUsers;
    QAction* actRelease;
    QAction* actUnrelease;
    QAction* actOpenOutput;
    QAction* actStopOutput;
    QAction* actAddUser;
    QAction* actRemoveUser;

    // The scheme chosen now (IID 0 when none).
    TReleaseScheme CurrentScheme() const;
    void SelectScheme(int schemeIID);
    void LoadSchemes();

    void Publish();
    void Withdraw();
    void AllowRelease();
    void CloseRelease();
    // The host's user picker; true when users were added.
    bool AddUsers();
    void RemoveUsers();

private:
    void cboSchemeChange(int index);
    void LoadUsers();
    void AddUserRow(const TUserRec& user);
    void UpdateActions();
    void PaintUsers();
    // Moves the current scheme to newState after the question (none when empty).
    bool ChangeState(int newState, const QString& question);
    void StoreScheme(const TReleaseScheme& scheme);

    QList<TReleaseScheme> FSchemes;       // one per item before the last, "(刷新)"
    bool FCanUpdate = false;
    bool FLoading = false;
};

// The "KX_MRP.MRPRelease" form, shown modally.
void ShowReleaseForm(const TInfoObjectDef* def);

} // namespace kx
