// The copy dialog "复制替代料": finds the substitutes of other products' BOMs whose
// components the target BOM also uses, lets the user tick the ones to copy, and stores the
// target BOM with them (added, or replacing what the target lines had).
#pragma once

#include "masterdata/itemsubs.h"
#include "views/dialog.h"

class QCheckBox;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace kx {

class TQuery;

class TCopyItemSubsDlg : public TDialog {
    Q_OBJECT

public:
    TCopyItemSubsDlg(TQuery& query, const TItemSubBom& target, QWidget* parent = nullptr);

    QLineEdit* edtTarget;
    QLineEdit* edtSource;
    QPushButton* btnSearch;
    QTreeWidget* trlSource;
    QCheckBox* chkOverwrite;

    // Searches the source products; false (with the message shown) when nothing was found.
    bool Search();
    // Ticks or clears a node with everything below it.
    void SetChecked(QTreeWidgetItem* node, bool checked);
    // The target BOM as it was stored by OK.
    const TItemSubBom& Target() const { return FTarget; }

protected:
    bool CanClose() override;

private:
    QList<TCopiedSub> TickedSubs(int& bomCount) const;

    TQuery& FQuery;
    TItemSubBom FTarget;
    QList<TItemSubBom> FSources;
};

// Shows the dialog for the target BOM; true when substitutes were copied and stored.
bool CopyItemSubs(TQuery& query, const TItemSubBom& target, QWidget* parent = nullptr);

} // namespace kx
