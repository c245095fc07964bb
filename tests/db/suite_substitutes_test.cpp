// Contracts of the suite's substitute procedures: pairs for the level order, substitutes offered to
// the MRP run and the release, marks of the output view, and the listings of the maintenance views.

#include "suiteprocfixture.h"

#include <gtest/gtest.h>

using namespace kx::test;

class SubstituteProcedures : public TSuiteProcTest {};

TEST_F(SubstituteProcedures, CouplesAreGlobalPairsAndTheLocalPairsOfTheBOMsNamed)
{
    struct Case {
        const char* seed;
        QStringList couples;   // replaced, substitute, product, BOM type, BOM
    };
    const Case cases[] = {
        // Dates, skip switches and priorities do not matter for the order of levels.
        {"", {"A, N, P, 1, BP", "A, X, P, 1, BP", "C, X, , , ", "C, Y, , , "}},
        {"insert into tmp_KX_MRP_RefGetBOM values ('P', null, null);",
         {"A, N, P, 1, BP", "A, X, P, 1, BP", "C, X, , , ", "C, Y, , , "}},
        {"insert into tmp_KX_MRP_RefGetBOM values ('S', 1, 'BS');", {"C, X, , , ", "C, Y, , , "}},
    };
    for (const Case& c : cases) {
        CreateTables({tmp::RefGetBOM, tmp::ItemSubsCouples});
        Exec(QString::fromLatin1(c.seed) + QStringLiteral("call KX_MRP_GetItemSubsCouples()"));
        EXPECT_EQ(Rows(QStringLiteral("select SubItmID, SubRItmID, SubPrdID, SubBomType, SubBomID"
                                      " from tmp_KX_MRP_ItemSubsCouples order by 1, 2")),
                  c.couples)
            << c.seed;
    }
}

TEST_F(SubstituteProcedures, DemandsOfALevelGetTheSubstitutesValidAtTheirDate)
{
    CreateTables({tmp::ItemLowestCode, tmp::Demands, tmp::Supplies, tmp::ItemSubsForMRPDemand});
    Exec(QStringLiteral(
        "insert into tmp_KX_MRP_ItemLowestCode values ('A', 2), ('C', 2), ('P', 0);"
        "insert into tmp_KX_MRP_Demands (DmdPeriod, DmdItmID, DmdItmProps, DmdDate, DmdNeedQty, DmdQty, DmdBomHook) values"
        " (0, 'A', '', '20240301', 5, 5, 'HA'),"    // 1: local X; N is not planned
        " (0, 'A', '', '20250301', 5, 5, 'HA'),"    // 2: X has expired
        " (0, 'A', '', '20240301', 5, 5, null),"    // 3: not from that BOM line
        " (0, 'C', '', '20240301', 5, 5, 'HC'),"    // 4: global Y; global X expired
        " (0, 'C', '', '20230301', 5, 0, 'HC'),"    // 5: covered, nothing to substitute
        " (0, 'C', '', '20230301', 5, 5, null),"    // 6: Y and X, by priority
        " (0, 'P', '', '20240301', 5, 5, null);"    // 7: another level
        "insert into tmp_KX_MRP_Supplies (SupPeriod, SupBillType, SupItmID, SupItmProps, SupQty, SupRestQty) values"
        " (0, 16, 'Y', '', 3, 3), (0, 16, 'X', '', 2, 0), (0, 26, 'X', '', 9, 9)"));
    struct Case {
        int useOrders;
        QStringList substitutes;   // demand, global, priority, substitute, replaced and substitute quantity, replace
    };
    const Case cases[] = {
        {1, {"1, 0, 1, X, 1, 2, 0", "4, 1, 1, Y, 2, 1, 1", "6, 1, 1, Y, 2, 1, 1", "6, 1, 2, X, 1, 1, 0"}},
        // Stock only: X has no stock left, Y has.
        {0, {"4, 1, 1, Y, 2, 1, 1", "6, 1, 1, Y, 2, 1, 1"}},
    };
    for (const Case& c : cases) {
        Exec(QStringLiteral("truncate table tmp_KX_MRP_ItemSubsForMRPDemand; call KX_MRP_GetItemSubsForMRPDemand(2, %1)")
                 .arg(c.useOrders));
        EXPECT_EQ(Rows(QStringLiteral("select DmdIID, SubGlobal, SubPriority, SubRItmID, trim_scale(SubQty), trim_scale(SubRQty),"
                                      " SubReplace from tmp_KX_MRP_ItemSubsForMRPDemand order by 1, 2, 3")),
                  c.substitutes)
            << "orders allowed: " << c.useOrders;
    }
}

TEST_F(SubstituteProcedures, ReleaseGetsTheSubstitutesOfEachDemandWithTheirBOM)
{
    CreateTables({tmp::DemandRefItems, tmp::ItemSubsForDemand});
    Exec(QStringLiteral(
        "insert into KX_Bom_ItemSubs (SubItmID, SubSeq, SubRItmID, SubQty, SubRQty, SubNote) values ('D', 1, 'Q', 1, 1, '自制替代');"
        "insert into tmp_KX_MRP_DemandRefItems (SupIID, DmdIID, DmdItmID, DmdItmProps, DmdBomHook, DmdDate) values"
        " (7, 31, 'A', '', 'HA', '20240615'), (7, 32, 'C', '', 'HC', '20240615'), (8, 2, 'D', '', 'HD', '20240615');"
        "call KX_MRP_GetItemSubsForDemand()"));
    EXPECT_EQ(Rows(QStringLiteral("select SupIID, DmdIID, SubGlobal, SubPriority, SubItmID, SubRItmID, trim_scale(SubQty),"
                                  " trim_scale(SubRQty), SubBomType, SubBomID, SubBomNo, SubNote"
                                  " from tmp_KX_MRP_ItemSubsForDemand order by 1, 2, 3, 4")),
              (QStringList{"7, 31, 0, 1, A, X, 1, 2, , , , 局部", "7, 32, 1, 1, C, Y, 2, 1, , , , 全局",
                           "8, 2, 1, 1, D, Q, 1, 1, 1, BQ, BOM-Q, 自制替代"}));
    Exec(QStringLiteral("delete from KX_Bom_ItemSubs where SubItmID='D'"));
}

TEST_F(SubstituteProcedures, OutputRowsAreMarkedWhenTheirItemHasSubstitutes)
{
    CreateTables({tmp::RefItems});
    Exec(QStringLiteral("insert into tmp_KX_MRP_RefItems (ItmID) values ('A'), ('C'), ('P');"
                        "insert into tmp_KX_MRP_RefItemProps (ItmID, ItmProps) values ('C', ''), ('C', '7'), ('S', '');"
                        "call KX_MRP_GetItemSubsExists()"));
    // A: its local X has expired and N is not planned; C: the global Y for every property set.
    EXPECT_EQ(Rows(QStringLiteral("select ItmID, SubItmID from tmp_KX_MRP_RefItems order by 1")),
              (QStringList{"A, ", "C, Y", "P, "}));
    EXPECT_EQ(Rows(QStringLiteral("select ItmID, ItmProps, SubItmID from tmp_KX_MRP_RefItemProps order by 1, 2")),
              (QStringList{"C, , Y", "C, 7, Y", "S, , "}));
}

TEST_F(SubstituteProcedures, ListingsGiveBOMsLinesAndSubstitutesByLevel)
{
    struct Case {
        const char* call;
        QStringList rows;   // level, BOM number, entry, row hook, component, priority, substitute, quantity per base
    };
    const Case cases[] = {
        {"call KX_MRP_GetItemSubsList('', 1, '')",
         {"0, (全局范围), 0, , , , , ", "1, (全局范围), 1, , C, , , ", "2, (全局范围), 1, , C, 1, Y, 1/2",
          "2, (全局范围), 1, , C, 2, X, 1/1", "0, BOM-P, 0, , P, , , ", "1, BOM-P, 1, HA, A, , , 500/100",
          "2, BOM-P, 1, HA, A, 1, X, 2/1", "2, BOM-P, 1, HA, A, 2, N, 1/1"}},
        // The copy dialog's search: the products' BOMs only, lines that have X as a substitute.
        {"call KX_MRP_GetItemSubsList('$$ItemNo$$ like ''P%''', 2, 'X')",
         {"0, BOM-P, 0, , P, , , ", "1, BOM-P, 1, HA, A, , , 500/100", "2, BOM-P, 1, HA, A, 1, X, 2/1",
          "2, BOM-P, 1, HA, A, 2, N, 1/1"}},
        {"call KX_MRP_GetItemSubsList('$$ItemNo$$ like ''S%''', 0, 'C')",
         {"0, BOM-S, 0, , S, , , ", "1, BOM-S, 1, HC, C, , , 3/2", "0, BOM-S-25, 0, , S, , , ",
          "1, BOM-S-25, 1, HC2, C, , , 1/1"}},
    };
    for (const Case& c : cases) {
        CreateTables({tmp::GetItemSubsList});
        Exec(QString::fromUtf8(c.call));
        EXPECT_EQ(Rows(QStringLiteral(
                      "select s.BomLevel, s.BomNo, s.BomEntry, s.BomRowHook, s.BomItmID, s.BomSubSeq, s.BomSubItmID,"
                      " trim_scale(s.BomQty)||'/'||trim_scale(s.BomBaseQty)"
                      " from tmp_KX_MRP_GetItemSubsList as s left join KX_Base_ItemMaster as ri on ri.ItmID=s.BomItmID"
                      " order by s.BomType, s.BomNo, s.BomID, s.BomEntry, ri.ItmNo, s.BomLevel, s.BomSubSeq")),
                  c.rows)
            << c.call;
    }
}

TEST_F(SubstituteProcedures, BOMExpansionShowsLocalAndGlobalSubstitutesUnderEachLine)
{
    CreateTables({tmp::BomRefItems, tmp::ItemSubs});
    Exec(QStringLiteral("insert into tmp_KX_MRP_BomRefItems values ('A', 'HA'), ('F', 'HF'), ('C', 'HC');"
                        "call KX_MRP_GetItemSubstitutes(1, 'BP')"));
    // Whatever their dates and planning switches: the view shows and edits them all.
    EXPECT_EQ(Rows(QStringLiteral("select BomRowHook, SubGlobal, SubPriority, SubItmID, SubRItmID, trim_scale(SubQty),"
                                  " trim_scale(SubRQty), to_char(SubEndDate, 'YYYYMMDD'), SubNote"
                                  " from tmp_KX_MRP_ItemSubs order by 1, 2, 3")),
              (QStringList{"HA, 0, 1, A, X, 1, 2, 20241231, 局部", "HA, 0, 2, A, N, 1, 1, , 不计划",
                           "HC, 1, 1, C, Y, 2, 1, , 全局", "HC, 1, 2, C, X, 1, 1, 20231231, 过期"}));
}
