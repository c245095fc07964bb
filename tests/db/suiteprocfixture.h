// A small factory for the tests of the suite's stored procedures: items, BOMs on three levels,
// substitutes, suppliers, orders and a forecast, and the run tables created as the module creates
// them before it calls a procedure.
#pragma once

#include "testdatabase.h"

#include <QStringList>

#include <initializer_list>
#include <ostream>

namespace kx::test {

class TSuiteProcTest : public TDatabaseTest {
protected:
    static void SetUpTestSuite();

    // Creates caller-made tables afresh (the tmp:: statements below).
    static void CreateTables(std::initializer_list<QString> statements);

    // Runs statements that may be refused: "<error number>: <message>" of the error they raise,
    // empty when they succeed.
    static QString Refusal(const QString& sql);
};

// "drop table if exists" + "create temp table" statements of the caller-created tables: the
// run's tables from the run's own statements, the others as the module's callers create them.
namespace tmp {
extern const QString RefGetBOM;
extern const QString BOM;
extern const QString BOMHead;
extern const QString BOMCouples;
extern const QString ItemLowestCode;
extern const QString Demands;
extern const QString Supplies;
extern const QString ItemInventory;
extern const QString ItemSubsCouples;
extern const QString ItemSubsForMRPDemand;
extern const QString DemandRefItems;
extern const QString ItemSubsForDemand;
extern const QString RefItems;
extern const QString GetItemSubsList;
extern const QString BomRefItems;
extern const QString ItemSubs;
extern const QString ItemSupplierDef;
} // namespace tmp

} // namespace kx::test
