// The issue loss-rate dialog "投料损耗率设置": a table of segments by standard usage with
// their type and loss value, checked and written as one loss-rate text; a trial calculation
// shows the loss of a usage. And the button edit of grid cells that opens it.
#pragma once

#include "masterdata/lossrate.h"
#include "views/dialog.h"
#include "views/exbuttonedit.h"

class QLabel;
class QLineEdit;
class QTreeView;

namespace kx {

class TLossRateModel;

class TLossRateDlg : public TDialog {
    Q_OBJECT

public:
    explicit TLossRateDlg(const QString& text, QWidget* parent = nullptr);
    ~TLossRateDlg() override;

    QLabel* lblFormula;
    QTreeView* trlLossRate;
    QPushButton* btnInsert;
    QPushButton* btnRemove;
    QPushButton* btnClear;
    QLineEdit* edtTrialQty;
    QPushButton* btnTrial;
    QLineEdit* edtTrialLoss;

    // The text the dialog confirmed.
    const QString& LossRateText() const { return FText; }
    // The segments as the table holds them.
    QList<TLossSegment> Rows() const;
    void SetRow(int row, const TLossSegment& segment);
    // The description shown in "分段说明".
    QString RowDescription(int row) const;

    void InsertRow();
    void RemoveRow();
    void ClearSetting();
    // Checks and writes the rows; a fault is shown and focuses its cell. False on a fault.
    bool CheckAndWrite();
    // "计算": checks and writes, then shows the loss of the trial usage.
    void TrialCalculate();

protected:
    bool CanClose() override;

private:
    TLossRateModel* FModel;
    QString FText;
};

// Opens the dialog on a text; true and the new text when the user confirms.
bool ShowLossRateDlg(QString& text, QWidget* parent = nullptr);

// The loss-rate cell editor: its button opens the dialog on the edit's text and posts the
// confirmed text.
class TLossRateEdit : public TExButtonEdit {
    Q_OBJECT

public:
    explicit TLossRateEdit(QWidget* parent = nullptr);

private:
    void EditLossRate();
};

} // namespace kx
