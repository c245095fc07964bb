// The host's bill service (the ERP access object of the module environment): creates
// bills of the kinds the module asks for, numbers them and stores each one with the
// statements attached to it in one transaction on the host's connection.
//
// Kinds stored: 1 forecast (new, or an existing unchecked bill by "BillID"; with "Stamp" only
// while the stored bill still has that fingerprint, KX_MRP_ForcastStamp), 4 purchase
// requisition, 7 outsourcing requisition, 8 outsourcing order, 10 production order (with
// their component lines when "HasPBom" is set) and 16 the substitutes of one BOM. Numbers
// are the kind's prefix, the bill month and a four-digit serial ("MO2026120001") unless the
// head brings an unused "BillNo".
#pragma once

#include "kx_mrp/erpaccess.h"

#include <QString>

namespace kx {
class TConnection;
}

namespace kx::suite {

class TERPAccess : public IERPAccess {
public:
    TERPAccess(TConnection& connection, const QString& userID);
    virtual ~TERPAccess() = default;

    // A bill of any kind; one the service cannot store refuses to save with a reason.
    std::unique_ptr<IBill> NewBill(int Kind) override;
    // KX_SYS_BillKinds.BknMaxRows; 0 for an unknown kind.
    int MaxBillRows(int Kind) override;

private:
    TConnection& FConnection;
    QString FUserID;
};

} // namespace kx::suite
