// Imported main demand takes every cell as its column's type or not at all: a cell that does
// not read, that its column cannot hold, or a date outside the plan, refuses its row with the
// row number, the column's caption and the value; nothing is put in its place. A file with no
// row to import says so and changes nothing.
#include "sessionfixture.h"

#include "engine/mainimport.h"

#include "db/shared.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

class ImportCells : public TDemoDatabaseTest {
protected:
    void SetUp() override
    {
        Scheme = std::make_unique<TPlanScheme>(&SharedConnection());
        Scheme->SchemeName = QStringLiteral("导入检查");
        Scheme->PlanSource = srcImport;
        Scheme->PlanPeriods = WeeklyPeriods(QDate(2026, 12, 7), 8);
        Scheme->PlanCalIID = 1;
        Scheme->PlanState = DeriveSavedState(true, 0, {}, TSchemeParams::Of(*Scheme));
        ASSERT_TRUE(Scheme->Save());
    }

    TTableFile Csv(const QByteArray& text) { return CsvFile(Dir.path(), text); }

    QStringList Import(TMRPMainImportType type, const QByteArray& text)
    {
        QList<TImportIssue> issues;
        EXPECT_TRUE(ImportMainDemand(*Scheme, type, Csv(text), wtOverwriteAll, Silent, issues));
        QStringList rows;
        for (const TImportIssue& i : issues)
            rows << QStringLiteral("%1: %2").arg(i.Row).arg(i.Text);
        return rows;
    }

    std::unique_ptr<TPlanScheme> Scheme;
    TSilentProgress Silent;
    QTemporaryDir Dir;
};

TEST_F(ImportCells, ACellThatDoesNotReadAsItsColumnRefusesItsRow)
{
    const QString longNo(5000, QLatin1Char('N'));
    const QString longTag(81, QLatin1Char('T'));
    const QStringList issues = Import(itImportFreeNeed,
                                      "ItmNo,ManDate,ManQty,ManNeedQty,ManAdjQty,ManBillNo,ManBillEntry,ManOrigTag\n"
                                      "1.01.002,2026-12-21,abc,,,,,\n"               // 2
                                      "1.01.002,2026-12-21,1e400,,,,,\n"             // 3
                                      "1.01.002,2026-12-21,0.000000001,,,,,\n"       // 4
                                      "1.01.002,2026-12-21,1e20,,,,,\n"              // 5
                                      "1.01.002,2026-12-21,,x,,,,\n"                 // 6
                                      "1.01.002,2026-12-21,5,,,,x,\n"                // 7
                                      "1.01.002,2026-13-45,5,,,,,\n"                 // 8
                                      "1.01.002,0001-01-01,5,,,,,\n"                 // 9
                                      "1.01.002,-2026-01-01,5,,,,,\n"                // 10
                                      "1.01.002,2027-06-01,5,,,,,\n"                 // 11
                                      "1.01.002,2026-12-21,5,,,"
                                          + longNo.toUtf8() + ",,\n"                 // 12
                                      "1.01.002,2026-12-21,5,,,,,"
                                          + longTag.toUtf8() + "\n"                  // 13
                                      "1.01.003,2026-12-22,4.123456789,,,FD-1,3,标签\n"); // 14: imported
    EXPECT_EQ(issues, (QStringList{
                          QStringLiteral("2: [计划数量]的值(abc)无效!"),
                          QStringLiteral("3: [计划数量]的值(1e400)无效!"),
                          QStringLiteral("4: [计划数量]的值(0.000000001)无效!\r\r数量保留8位小数后为0"),
                          QStringLiteral("5: [计划数量]的值(1e20)无效!\r\r数量的绝对值须小于10的20次方"),
                          QStringLiteral("6: [需求数量]的值(x)无效!"),
                          QStringLiteral("7: [需求行]的值(x)无效!"),
                          QStringLiteral("8: [需求日期]的值(2026-13-45)无效!"),
                          QStringLiteral("9: [需求日期]的值(0001-01-01)无效!"),
                          QStringLiteral("10: [需求日期]的值(-2026-01-01)无效!"),
                          QStringLiteral("11: [需求日期]的值(2027-06-01)没有介于2026/12/07与2027/01/31之间!"),
                          QStringLiteral("12: [需求单号]的值(%1…)无效!\r\r长度5000个字符, 超过80个字符").arg(longNo.left(60)),
                          QStringLiteral("13: [需求分类号]的值(%1…)无效!\r\r长度81个字符, 超过80个字符").arg(longTag.left(60)),
                      }));
    EXPECT_EQ(Rows(QStringLiteral("select ManBillNo||' '||ManBillEntry||' '||ManQty||' '||ManOrigTag||' '||ManPeriod from KX_MRP_Main "
                                  "where ManSchIID=%1").arg(Scheme->SchemeIID)),
              QStringList{QStringLiteral("FD-1 3 4.12345679 标签 3")});
}

TEST_F(ImportCells, BillLinesTakeNothingInPlaceOfABadCell)
{
    // Each of these once became the order's own quantity, any line of the bill or the
    // order's date.
    const QStringList issues = Import(itImportSOorForcast,
                                      "ManBillNo,ManBillEntry,ItmNo,ManDate,ManQty\n"
                                      "SO2612-001,1,1.01.001,,abc\n"
                                      "SO2612-001,x,1.01.001,,\n"
                                      "SO2612-001,1,1.01.001,someday,\n"
                                      "SO2612-001,2,2.01.001,,12\n");
    EXPECT_EQ(issues, (QStringList{QStringLiteral("2: [计划数量]的值(abc)无效!"), QStringLiteral("3: [需求行]的值(x)无效!"),
                                   QStringLiteral("4: [需求日期]的值(someday)无效!")}));
    EXPECT_EQ(Scalar(QStringLiteral("select string_agg(ManBillNo||'/'||ManBillEntry||' '||ManQty::numeric(18,0), ',') from KX_MRP_Main "
                                    "where ManSchIID=%1").arg(Scheme->SchemeIID)).toString(),
              QStringLiteral("SO2612-001/2 12"));
}

TEST_F(ImportCells, AFileWithoutARowToImportSaysSoAndChangesNothing)
{
    ASSERT_TRUE(Import(itImportFreeNeed, "ItmNo,ManDate,ManQty\n1.01.003,2026-12-21,5\n").isEmpty());
    const QString before = ModuleTablesDigest();
    struct TCase {
        QByteArray File;
        QString Refusal;
    };
    const TCase cases[] = {
        {"ItmNo,ManDate,ManQty\n", QStringLiteral("导入的表格中除标题行外没有任何数据行, 没有可以导入的内容!")},
        {"ItmNo,ManDate,ManQty\n\n,,\n", QStringLiteral("导入的表格中除标题行外没有任何数据行, 没有可以导入的内容!")},
        {"ItmNo,ManDate,ManQty\n1.01.002,2026-12-21,abc\n9.99.999,2026-12-21,1\n",
         QStringLiteral("导入的2行数据都有错误, 没有导入任何内容, 主需求未改变!")},
    };
    for (const TCase& c : cases) {
        QList<TImportIssue> issues;
        try {
            (void)ImportMainDemand(*Scheme, itImportFreeNeed, Csv(c.File), wtOverwriteAll, Silent, issues);
            ADD_FAILURE() << c.File.toStdString();
        } catch (const EKxError& e) {
            EXPECT_EQ(e.Message(), c.Refusal);
        }
    }
    EXPECT_EQ(ModuleTablesDigest(), before);
}
