// The product forecast bill editor on "KX_MRP.Forcast": the head (number, date, creator,
// checker) and the lines in a list. In edit mode the user enters lines with item and
// customer pickers; saving checks the bill and stores it through the host's bill service.
// Checking and unchecking run on the whole bill.
#pragma once

#include "editors/forcastbill.h"
#include "views/infoedit.h"

class QDateEdit;
class QLineEdit;
class QPushButton;
class QTreeView;

namespace kx {

class TBandedHeader;
class TTreeModel;
class TTreeNode;

class TForcastEditor : public TCustomInfoEdit {
    Q_OBJECT

public:
    TForcastEditor(QWidget* owner, const TInfoObjectDef* objectDef);
    ~TForcastEditor() override;

    QLineEdit* edtForNo;
    QDateEdit* edtForDate;
    QPushButton* btnToday;
    QLineEdit* edtCreater;
    QLineEdit* edtChecker;
    QLineEdit* edtCheckDate;
    QPushButton* btnAddLine;
    QPushButton* btnDeleteLines;
    QTreeView* grdDetail;
    TTreeModel* Detail;

    void OpenData(const QString& AKeyValues, TEditMode AMode) override;
    bool QueryCommandState(int Command, TCommandState& State) override;
    bool ExecCommand(int Command) override;

    const TForcastBill& Bill() const { return FBill; }
    const QString& BillID() const { return FBillID; }
    // Enters a value into a line's cell as the user does (row == line count: a new line).
    void EnterCell(int row, const QString& field, const QVariant& value);
    void AddLine();
    void DeleteSelectedLines();
    bool CanDeleteLines() const;
    // The line and field that have the focus.
    int FocusedRow() const;
    QString FocusedField() const;

protected:
    void MakeFocus() override;
    bool SaveData() override;

private:
    void ShowBill();
    void ShowLine(int row);
    void ShowHead();
    void SetControlsEditable();
    void grdDetailEditValueChanged(TTreeNode* Node, const QString& Field);
    void HeadChanged();
    void FocusCell(int row, const QString& field);
    // Check and UnCheck on the whole bill.
    void RunBillAction(const TInfoActionDef& action, int updateType);
    QString ProposedBillNo();

    TForcastBill FBill;
    QString FBillID;                      // the open bill; empty for a new one
    QString FNewBillNo;                   // the number proposed for a new bill
    QVariant FOldValue;                   // a cell's value before it was edited
    TBandedHeader* FHeader = nullptr;
    bool FShowing = false;
};

} // namespace kx
