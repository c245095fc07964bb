// The batch-fill dialog behind command 26: the user ticks columns, enters a value for each
// in the column's own editor, and the values are written into every selected row of the
// grid or tree as if typed there.
#pragma once

#include "views/dialog.h"
#include "views/viewcolumns.h"

#include <functional>

class QLabel;
class QPushButton;
class QTreeView;

namespace kx {

class TFillValuesModel;

// What a batch fill writes into: a grid view or a tree list.
struct TFillTarget {
    QList<const TViewColumn*> Columns;    // the editable columns, in display order
    int RowCount = 0;                     // selected rows
    std::function<void(int row)> FocusRow;
    // Writes a value the way an edit of the cell would; false with the message when refused.
    std::function<bool(int row, const TViewColumn* column, const QVariant& value, QString& message)> SetValue;
};

class TFillValuesDlg : public TDialog {
    Q_OBJECT

public:
    explicit TFillValuesDlg(TFillTarget target, QWidget* parent = nullptr);
    ~TFillValuesDlg() override;

    QLabel* lblFieldValues;
    QTreeView* trlFieldValues;
    QPushButton* btnSelectAll;
    QPushButton* btnClearAll;

    // Ticks a column and gives its value, as the user would in the list.
    void SetFieldValue(const QString& fieldName, const QVariant& value, bool ticked = true);
    // Writes the ticked values into the target's rows; Esc stops after the current row.
    // Returns the number of rows filled.
    int FillRows();

    // Shows the dialog and fills on OK. Returns the number of rows filled.
    static int Execute(TFillTarget target, QWidget* parent = nullptr);

protected:
    bool CanClose() override;

private:
    TFillTarget FGridOrTree;
    TFillValuesModel* FModel;
};

} // namespace kx
