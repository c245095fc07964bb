// Contracts of the suite's BOM and stock procedures: what the MRP run, the BOM expansion view and
// the release find in their tables after each call.

#include "suiteprocfixture.h"

#include <gtest/gtest.h>

using namespace kx::test;

class BomProcedures : public TSuiteProcTest {};

TEST_F(BomProcedures, LossTextsGiveTheLossOfEachFormula)
{
    struct Case {
        int losType;
        const char* text;
        const char* defaultRate;
        const char* usage;
        const char* loss;
    };
    const Case cases[] = {
        {0, "10|100:2%|1000:1%+", "0", "50", "11"},     // fixed 10 for any usage, 2% of 50
        {0, "10|100:2%|1000:1%+", "0", "550", "18.75"}, // 450 of the smoothed 900 at 1.5%
        {0, "100:1%|3%", "0", "300", "7"},              // 1% of 100, then 3% of the 200 above
        {0, "", "5", "200", "10"},                      // no text: the default rate
        {0, "2.5%", "9", "200", "5"},                   // a text wins over the default
        {0, "x%", "0", "100", "0"},                     // unreadable numbers count as 0
        {1, "10%", "0", "90", "10"},                    // divide: 90 / 0.9 - 90
        {1, "100%", "0", "50", "0"},                    // divide by zero gives no loss
    };
    for (const Case& c : cases) {
        Exec(QStringLiteral("update KX_MRP_LossRateType set LosType=%1").arg(c.losType));
        EXPECT_EQ(Rows(QStringLiteral("select trim_scale(KX_MRP_CalcLossQty('%1', %2, %3))")
                           .arg(QString::fromUtf8(c.text), QString::fromLatin1(c.defaultRate), QString::fromLatin1(c.usage))),
                  QStringList{QString::fromLatin1(c.loss)})
            << c.text << " over " << c.usage << " with formula " << c.losType;
    }
    Exec(QStringLiteral("update KX_MRP_LossRateType set LosType=0"));
}

TEST_F(BomProcedures, GetBOMListsTheLinesOfEveryBOMNamedWithTheirIssueLoss)
{
    CreateTables({tmp::RefGetBOM, tmp::BOM});
    Exec(QStringLiteral("insert into tmp_KX_MRP_RefGetBOM values ('P', 1, 'BP'), ('S', 1, 'BS'), ('S', 1, 'BS');"
                        "call KX_MRP_GetBOM()"));
    // A: the segments evaluated at the line's usage of 500: 2 + 2 + 400 at 1.5556% = 10.2222 -> 2.0444%.
    // F: no loss by its planning setting; S: the line's rate as text; C: the item's default text.
    EXPECT_EQ(Rows(QStringLiteral(
                  "select BomID, BomPrdID, trim_scale(BomPrdOkRate), BomEntry, BomItmID, BomFixed, trim_scale(BomQty),"
                  " trim_scale(BomBaseQty), trim_scale(BomLossRate), BomPutLossRate, BomRoleName, BomItmBomID,"
                  " BomItmBomNo, to_char(BomEndDate, 'YYYYMMDD')"
                  " from tmp_KX_MRP_BOM order by BomID, BomEntry")),
              (QStringList{
                  "BP, P, 80, 1, A, 0, 500, 100, 2.04444444, 2|100:2%|1000:1%+, 子件, , , ",
                  "BP, P, 80, 2, F, 1, 1, 1, 0, , 子件, , , ",
                  "BP, P, 80, 3, S, 0, 1, 1, 2.5, 2.5%, 子件, BS, BOM-S, ",
                  "BP, P, 80, 4, V, 0, 2, 1, 0, 0%, 子件, , , ",
                  "BP, P, 80, 5, D, 0, 1, 1, 0, 0%, 联产品, , , ",
                  "BS, S, 100, 1, C, 0, 3, 2, 3, 3%, 子件, , , 20240630",
                  "BS, S, 100, 2, D, 0, 1, 1, 0, 0%, 子件, , , ",
              }));
    EXPECT_EQ(Rows(QStringLiteral("select BomUntID, trim_scale(BomUQty), trim_scale(BomUBaseQty), BomRowHook, BomOffsetDay,"
                                  " BomItmBomLocked from tmp_KX_MRP_BOM where BomEntry=3 and BomID='BP'")),
              QStringList{"BOX, 0.1, 1, HS, 2, 1"});
}

TEST_F(BomProcedures, ForceOneLevelZeroFlattensSkipLevelComponents)
{
    struct Case {
        const char* call;
        QStringList lines;   // entry, component, fixed, quantity per base, plan percent, offset, row hook
    };
    const Case cases[] = {
        {"call KX_MRP_GetBOM()",
         {"1, A, 0, 500/100, 100, 0, HA", "2, F, 1, 1/1, 100, 0, HF", "3, S, 0, 1/1, 100, 2, HS",
          "4, V, 0, 2/1, 50, 1, HV", "5, D, 0, 1/1, 100, 0, HW"}},
        // V (skip level, BOM BV with a yield of 50%) is replaced by its line: 2 x 1 x 100 / 50 = 4.
        {"call KX_MRP_GetBOM(ForceOneLevel => 0)",
         {"1, A, 0, 500/100, 100, 0, HA", "2, F, 1, 1/1, 100, 0, HF", "3, S, 0, 1/1, 100, 2, HS",
          "5, D, 0, 1/1, 100, 0, HW", "4001, D, 0, 4/1, 50, 4, HVD"}},
    };
    for (const Case& c : cases) {
        CreateTables({tmp::RefGetBOM, tmp::BOM});
        Exec(QStringLiteral("insert into tmp_KX_MRP_RefGetBOM values ('P', 1, 'BP');") + QString::fromLatin1(c.call));
        EXPECT_EQ(Rows(QStringLiteral("select BomEntry, BomItmID, BomFixed, trim_scale(BomQty)||'/'||trim_scale(BomBaseQty),"
                                      " trim_scale(BomPercent), BomOffsetDay, BomRowHook"
                                      " from tmp_KX_MRP_BOM where BomID='BP' order by BomEntry")),
                  c.lines)
            << c.call;
    }
}

TEST_F(BomProcedures, GetBOMReadsTheBOMsOfEachCallOnly)
{
    struct Case {
        const char* refs;
        QStringList boms;
    };
    const Case cases[] = {
        {"('P', 1, 'BP'), ('P', 1, 'BP')", {"BP"}},
        // Without an ID the product's default today: BOM-S ended with 2024, BOM-S-25 is valid.
        {"('S', null, null), ('S', 1, '')", {"BS2"}},
        {"('V', 1, 'BV'), ('X', 1, 'NONE')", {"BV"}},   // an unknown BOM gives nothing
    };
    // One session, calls one after the other: a call lists no BOM of an earlier one.
    CreateTables({tmp::RefGetBOM, tmp::BOM});
    for (const Case& c : cases) {
        Exec(QStringLiteral("truncate table tmp_KX_MRP_RefGetBOM; truncate table tmp_KX_MRP_BOM;"
                            "insert into tmp_KX_MRP_RefGetBOM values %1; call KX_MRP_GetBOM()")
                 .arg(QString::fromLatin1(c.refs)));
        EXPECT_EQ(Rows(QStringLiteral("select distinct BomID from tmp_KX_MRP_BOM order by 1")), c.boms) << c.refs;
    }
}

TEST_F(BomProcedures, HeadsAndCouplesOfTheBOMsNamedOrOfTheDefault)
{
    CreateTables({tmp::RefGetBOM, tmp::BOMHead, tmp::BOMCouples});
    // A reference without BOM stands for the product's default standard BOM.
    Exec(QStringLiteral("insert into tmp_KX_MRP_RefGetBOM values ('P', null, ''), ('S', 1, 'BS2');"
                        "call KX_MRP_GetBOMHead(); call KX_MRP_GetBOMCouples()"));
    EXPECT_EQ(Rows(QStringLiteral("select BomType, BomID, BomNo, BomItmID, trim_scale(BomOkRate), BomIsDefault,"
                                  " to_char(BomBeginDate, 'YYYYMMDD') from tmp_KX_MRP_BOMHead order by BomID")),
              (QStringList{"1, BP, BOM-P, P, 80, 1, ", "1, BS2, BOM-S-25, S, 100, 0, 20250101"}));
    // Material lines only (the co-product D is left out), with the BOM the line names, else the
    // component's default.
    EXPECT_EQ(Rows(QStringLiteral("select PrdID, ItmID, ItmBomType, ItmBomID from tmp_KX_MRP_BOMCouples order by 1, 2")),
              (QStringList{"P, A, , ", "P, F, , ", "P, S, 1, BS", "P, V, 1, BV", "S, C, , "}));
}

TEST_F(BomProcedures, GetBOMForItemOffersTheBOMsUsableAtTheDate)
{
    struct Case {
        const char* args;
        QStringList boms;
    };
    const Case cases[] = {
        {"ItemID => 'S', ItemProps => '', DrawDate => '20240601'", {"BOM-S"}},
        {"ItemID => 'S', ItemProps => '', DrawDate => '20241231'", {"BOM-S"}},   // last day included
        {"ItemID => 'S', ItemProps => '', DrawDate => '20250101'", {"BOM-S-25"}},
        {"ItemID => 'P', ItemProps => '', DrawDate => '20240601'", {"BOM-P"}},   // order BOMs not listed
        {"ItemID => 'P', ItemProps => '', DrawDate => '20240601', BomNo => 'ord-p'", {"ORD-P"}},
        {"ItemID => 'P', ItemProps => '', DrawDate => '20240601', BomNo => 'NONE'", {}},
        {"ItemID => 'Q', ItemProps => '', DrawDate => '20240601', OnlyDefault => 1", {"BOM-Q"}},
        {"ItemID => 'S', ItemProps => '', DrawDate => '20250601', OnlyDefault => 1", {"BOM-S-25"}},
        {"ItemID => 'A', ItemProps => '', DrawDate => '20240601'", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Rows(QStringLiteral("select BomNo from KX_MRP_GetBOMForItem(%1)").arg(QString::fromLatin1(c.args))), c.boms)
            << c.args;
    EXPECT_EQ(Rows(QStringLiteral("select BomType, BomID, BomIsDefault from KX_MRP_GetBOMForItem('P', '', '20240601')")),
              QStringList{"1, BP, 1"});
}

TEST_F(BomProcedures, SetBOMForBomItemKeepsTheLinesValidAtTheDateAndResolvesTheirBOMs)
{
    struct Case {
        const char* date;
        QStringList lines;   // BOM, entry, component, its BOM, number, yield, locked, skip
    };
    const Case cases[] = {
        {"20240301",
         {"BP, 1, A, , , , 0, 0", "BP, 2, F, , , , 0, 0", "BP, 3, S, BS, BOM-S, 100, 1, 0",
          "BP, 4, V, BV, BOM-V, 50, 0, 1", "BP, 5, D, , , , 0, 0", "BS, 1, C, , , , 0, 0"}},
        // From July C is no longer used in BS and D is; the line locked to BS keeps it.
        {"20240801",
         {"BP, 1, A, , , , 0, 0", "BP, 2, F, , , , 0, 0", "BP, 3, S, BS, BOM-S, 100, 1, 0",
          "BP, 4, V, BV, BOM-V, 50, 0, 1", "BP, 5, D, , , , 0, 0", "BS, 2, D, , , , 0, 0"}},
    };
    for (const Case& c : cases) {
        CreateTables({tmp::RefGetBOM, tmp::BOM});
        Exec(QStringLiteral("insert into tmp_KX_MRP_RefGetBOM values ('P', 1, 'BP'), ('S', 1, 'BS');"
                            "call KX_MRP_GetBOM(); call KX_MRP_SetBOMForBomItem('%1')")
                 .arg(QString::fromLatin1(c.date)));
        EXPECT_EQ(Rows(QStringLiteral("select BomID, BomEntry, BomItmID, BomItmBomID, BomItmBomNo, trim_scale(BomItmBomOkRate),"
                                      " BomItmBomLocked, BomItmBomSkip from tmp_KX_MRP_BOM order by BomID, BomEntry")),
                  c.lines)
            << c.date;
    }
}

TEST_F(BomProcedures, DemandsOfMadeItemsGetTheirDefaultBOMLevelByLevel)
{
    CreateTables({tmp::ItemLowestCode, tmp::Demands});
    Exec(QStringLiteral(
        "insert into tmp_KX_MRP_ItemLowestCode values ('P', 0), ('S', 1), ('Q', 1), ('A', 2);"
        "insert into tmp_KX_MRP_Demands (DmdPeriod, DmdItmID, DmdItmProps, DmdDate, DmdNeedQty, DmdQty,"
        " DmdBomType, DmdBomID, DmdBomSkip) values"
        " (0, 'P', '', '20240301', 1, 1, 0, null, null),"
        " (0, 'P', '', '20240301', 1, 1, 2, 'BO', 1),"
        " (0, 'S', '', '20240301', 1, 1, 0, '', null),"
        " (0, 'S', '', '20250301', 1, 1, 0, '', null),"
        " (0, 'Q', '', '20240301', 1, 1, 0, null, null),"
        " (0, 'A', '', '20240301', 1, 1, 0, null, null);"
        "call KX_MRP_SetBOMForDemand(1)"));
    const QString select = QStringLiteral("select DmdItmID, DmdBomType, DmdBomID, DmdBomLocked, DmdBomSkip"
                                          " from tmp_KX_MRP_Demands order by DmdIID");
    // Level 1 only: S by the date of each demand, Q because its planning setting makes it.
    EXPECT_EQ(Rows(select), (QStringList{"P, 0, , , ", "P, 2, BO, , 1", "S, 1, BS, 0, 0", "S, 1, BS2, 0, 0",
                                         "Q, 1, BQ, 0, 0", "A, 0, , , "}));
    Exec(QStringLiteral("call KX_MRP_SetBOMForDemand(-1)"));
    // A BOM that came with the demand binds it; a purchased item gets none.
    EXPECT_EQ(Rows(select), (QStringList{"P, 1, BP, 0, 0", "P, 2, BO, 1, 1", "S, 1, BS, 0, 0", "S, 1, BS2, 0, 0",
                                         "Q, 1, BQ, 0, 0", "A, 0, , 0, 0"}));
}

TEST_F(BomProcedures, MadeSuppliesWithoutBOMGetTheDefaultAtTheirDrawDate)
{
    CreateTables({tmp::ItemLowestCode, tmp::Supplies});
    Exec(QStringLiteral(
        "insert into tmp_KX_MRP_Supplies (SupPeriod, SupBillType, SupItmID, SupItmProps, SupDate, SupDrawDate, SupQty,"
        " SupRestQty, SupBomType, SupBomID) values"
        " (0, 22, 'S', '', '20250201', '20241101', 1, 1, 0, null),"
        " (0, 36, 'S', '', '20250201', null, 1, 1, 0, null),"
        " (0, 24, 'P', '', '20250201', null, 1, 1, 2, 'BO'),"
        " (0, 26, 'A', '', '20250201', null, 1, 1, 0, null),"
        " (0, 64, 'A', '', '20250201', null, 1, 1, 0, ''),"
        " (0, 16, 'S', '', '20250201', null, 1, 1, 0, null);"
        "call KX_MRP_SetBOMForSupply(-1)"));
    EXPECT_EQ(Rows(QStringLiteral("select SupBillType, SupItmID, SupBomType, SupBomID, SupBomLocked"
                                  " from tmp_KX_MRP_Supplies order by SupIID")),
              (QStringList{"22, S, 1, BS, 0", "36, S, 1, BS2, 0", "24, P, 2, BO, 1", "26, A, 0, , ", "64, A, 0, , 0",
                           "16, S, 0, , "}));
}

TEST_F(BomProcedures, StockIsSplitIntoReservedAndFreeStockSupplies)
{
    CreateTables({tmp::Supplies, tmp::ItemInventory});
    Exec(QStringLiteral(
        "insert into tmp_KX_MRP_ItemInventory (InvItmID, InvItmProps, InvBatch, InvOrigType, InvOrigID, InvOrigNo,"
        " InvOrigEntry, InvOrigTag, InvGroupType, InvGroupNo, InvQty) values"
        " ('A', '', 'B1', 0, '', null, 0, '', 0, '', 30),"
        " ('A', '', 'B2', 0, '', null, 0, '', 0, '', 20),"
        " ('A', '', 'B1', 2, 'SO1', 'SO-001', 1, '', 0, '', 15),"
        " ('A', '', 'B2', 0, '', null, 0, 'T1', 0, '', 4),"
        " ('C', '', '', 0, '', null, 0, '', 9, 'G1', 7);"
        "call KX_MRP_GetInventoryForDemand('20240110')"));
    const QString select = QStringLiteral(
        "select SupBillType, SupItmID, SupGroupType, SupGroupNo, SupOrigType, SupOrigID, SupOrigNo, SupOrigEntry,"
        " SupOrigTag, trim_scale(SupQty), trim_scale(SupRestQty), trim_scale(SupAllotQty), to_char(SupDate, 'YYYYMMDD'),"
        " SupPeriod from tmp_KX_MRP_Supplies order by SupIID");
    const QStringList reserved{"16, A, 0, , 0, , , 0, T1, 4, 4, 0, 20240110, 0",
                               "16, A, 0, , 2, SO1, SO-001, 1, , 15, 15, 0, 20240110, 0"};
    EXPECT_EQ(Rows(select), reserved);
    // Free stock: batches summed per item and MRP group; a second call adds nothing.
    Exec(QStringLiteral("call KX_MRP_GetInventoryForSupply('20240110'); call KX_MRP_GetInventoryForSupply('20240110');"
                        "call KX_MRP_GetInventoryForDemand('20240110')"));
    const QStringList free{"16, A, 0, , 0, , , 0, , 50, 50, 0, 20240110, 0", "16, C, 9, G1, 0, , , 0, , 7, 7, 0, 20240110, 0"};
    EXPECT_EQ(Rows(select), reserved + free);
}
