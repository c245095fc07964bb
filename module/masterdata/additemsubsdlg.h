// The batch-add dialog "批量新增替代物料": one substitute with its usage and dates, added to
// every selected component line at the chosen position.
#pragma once

#include "masterdata/itemsubs.h"
#include "views/dialog.h"

#include <QVariantMap>

class QComboBox;
class QLineEdit;

namespace kx {

class TPickEdit;

// Where the new substitute goes among a line's substitutes.
enum TAddSubPosition { aspLast = 0, aspFirst = 1, aspAfterSelected = 2, aspBeforeSelected = 3 };

class TAddItemSubsDlg : public TDialog {
    Q_OBJECT

public:
    explicit TAddItemSubsDlg(QWidget* parent = nullptr);

    TPickEdit* edtItemNo;
    QLineEdit* edtItemName;
    QLineEdit* edtItemSpec;
    QLineEdit* edtBeginDate;
    QLineEdit* edtEndDate;
    QLineEdit* edtQty;
    QLineEdit* edtBaseQty;
    QLineEdit* edtNote;
    QComboBox* cboPosition;

    // The substitute entered, and the item's row of ItemSubLookupSQL (name, unit, mask ...).
    const TItemSub& Substitute() const { return FSub; }
    const QVariantMap& Item() const { return FItem; }
    TAddSubPosition Position() const;

    // Resolves the typed item code, as leaving the field does.
    void edtItemNoExit();

protected:
    bool CanClose() override;

private:
    // Shows a fault on a field and focuses it; always false.
    bool Refuse(QWidget* field, const QString& message);

    TItemSub FSub;
    QVariantMap FItem;
};

} // namespace kx
