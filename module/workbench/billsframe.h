// The bills behind a balance row ("KX_MRP.MRP.Bills"): the supplies, demands and substitutions
// of one item, property key and MRP group of a run, class by class, or of one plan period of
// it. The balance view shows it as its detail and hands it the focused row.
#pragma once

#include "views/gridview.h"
#include "workbench/balancebills.h"

namespace kx {

class TMRPBillsFrame : public TInfoGridView {
    Q_OBJECT

public:
    TMRPBillsFrame(QWidget* owner, const TInfoObjectDef* objectDef);

    // The row whose bills are listed; period -1 for all of them, else only those with quantity
    // in that period. An empty item clears the list.
    void SetBalanceRow(const TBalanceKey& key, int period = -1);
    // Master values of a balance row: BalSchIID, BalItmID, BalItmProps, BalGroupType, BalGroupNo
    // and, for a period row, Period.
    void SetMasterValues(const QString& Values, bool Refresh) override;
    const TBalanceKey& BalanceRow() const { return FKey; }

protected:
    void LoadData(bool KeepPosition) override;

private:
    TBalanceKey FKey;
    int FPeriod = -1;
};

} // namespace kx
