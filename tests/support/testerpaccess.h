// A bill service for tests standing in for the host's: substitute bills (kind 16) replace the
// substitutes of their BOM (the global range: of the items they name) in KX_Bom_ItemSubs in one
// transaction, as the shell's service does; other kinds (forecasts, the supply bills of a release)
// are stored by the shell's own service on the module's shared connection, for the current user.
#pragma once

#include "kx_mrp/erpaccess.h"

#include <QStringList>

namespace kx::test {

class TTestERPAccess : public IERPAccess {
public:
    std::unique_ptr<IBill> NewBill(int Kind) override;
    int MaxBillRows(int Kind) override;

    // "BomType/BomID:rows" of every bill stored, in order.
    QStringList Stored;
    // When set, the next bill fails with this statement run after its rows (nothing stays).
    QString FailingStatement;
    // With FailingStatement, the bill that fails: the n-th bill asked for from now on.
    int FailAtBill = 1;
    // Supply bills asked for so far.
    int BillsAsked = 0;
};

} // namespace kx::test
