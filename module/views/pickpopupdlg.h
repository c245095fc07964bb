// The popup of the search-popup editor: a search box over a list of rows; the user picks
// one row (or several) and confirms.
#pragma once

#include "views/dialog.h"
#include "views/recordset.h"
#include "views/viewcolumns.h"

class QLabel;
class QLineEdit;
class QTreeView;

namespace kx {

struct TPickEditProperties;
class TRecordTableModel;

class TPickPopupDlg : public TDialog {
    Q_OBJECT

public:
    TPickPopupDlg(TPickEditProperties* properties, QWidget* parent = nullptr);
    ~TPickPopupDlg() override;

    QLabel* lblPrompt;
    QLabel* lblSearch;
    QLineEdit* edtSearch;
    QPushButton* btnSearch;
    QTreeView* grdPickData;
    QLabel* lblCount;

    // Runs the picker's statement for a search text and lists the rows; false when
    // nothing was found or the statement failed (see Failed).
    bool Search(const QString& text);
    bool Failed() const { return FFailed; }
    // The rows listed, and the picked ones in list order.
    const TRecordSet& Rows() const;
    TRecordSet PickedRows() const;
    // The text column of the picked rows, joined by "," when several were picked.
    QString PickedText() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QList<int> PickedRowNumbers() const;
    void UpdateState();
    void edtSearchReturnPressed();

    TPickEditProperties* FPickEditProperties;
    TViewColumns FColumns;
    TRecordTableModel* FModel;
    bool FFailed = false;
};

} // namespace kx
