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
    static void CreateTables(std::initializer_list<const char*> statements);

    // Runs statements that may be refused: "<error number>: <message>" of the error they raise,
    // empty when they succeed.
    static QString Refusal(const QString& sql);
};

// "drop table if exists" + "create temp table" statements of the caller-created tables, exactly as
// the module creates them.
namespace tmp {
extern const char* const RefGetBOM;
extern const char* const BOM;
extern const char* const BOMHead;
extern const char* const BOMCouples;
extern const char* const ItemLowestCode;
extern const char* const Demands;
extern const char* const Supplies;
extern const char* const ItemInventory;
extern const char* const ItemSubsCouples;
extern const char* const ItemSubsForMRPDemand;
extern const char* const DemandRefItems;
extern const char* const ItemSubsForDemand;
extern const char* const RefItems;
extern const char* const GetItemSubsList;
extern const char* const BomRefItems;
extern const char* const ItemSubs;
extern const char* const ItemSupplierDef;
} // namespace tmp

} // namespace kx::test
