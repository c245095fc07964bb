// The golden scenario files and the comparison their checks rely on; the scenarios
// themselves run in mrp_scenario_tests.
#include "scenariomatch.h"

#include "qtprinters.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace kx::scenario;

namespace {

QString WriteFile(const QTemporaryDir& dir, const QString& name, const QString& text)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text.toUtf8());
    return path;
}

const char* const kPeriods = "[periods]\nbegin end\n2027-03-01 2027-03-07\n";

} // namespace

TEST(ScenarioFiles, EveryScenarioReadsWithoutFaults)
{
    const QStringList files = ScenarioFiles(QStringLiteral(KX_SCENARIO_DIR));
    ASSERT_GE(files.size(), 24);
    for (const QString& file : files) {
        QStringList errors;
        const TScenario s = ReadScenario(file, errors);
        EXPECT_EQ(errors, QStringList()) << file.toStdString();
        EXPECT_FALSE(s.Claim.isEmpty()) << file.toStdString();
        EXPECT_FALSE(s.SectionsNamed(QStringLiteral("expect run")).isEmpty()) << file.toStdString();
    }
}

TEST(ScenarioFiles, ReaderNamesTheLineOfEachFault)
{
    QTemporaryDir dir;
    const QString path = WriteFile(dir, QStringLiteral("bad.scn"),
                                   QStringLiteral("no claim here\n"
                                                  "[items]\n"
                                                  "item type colour\n"
                                                  "A 1 red\n"
                                                  "[main]\n"
                                                  "item date qty\n"
                                                  "B 2027-02-30 5\n"
                                                  "A 2027-03-01\n"
                                                  "[stocks]\n"
                                                  "[expect supplies]\n"
                                                  "[expect demands]\n"
                                                  "item need\n"
                                                  "A many\n"));
    QStringList errors;
    ReadScenario(path, errors);
    const QString p = path + u':';
    EXPECT_EQ(errors, QStringList({p + QStringLiteral("1: the first line must be a comment saying what the case proves"),
                                   p + QStringLiteral("3: [items] has no column colour"),
                                   p + QStringLiteral("8: 2 cells under 3 columns"),
                                   p + QStringLiteral("9: unknown section [stocks]"),
                                   p + QStringLiteral("7: date is not a date yyyy-mm-dd: 2027-02-30"),
                                   p + QStringLiteral("7: unknown item B"),
                                   p + QStringLiteral("10: an empty expectation needs a filter such as kind=42,58, or \"all\""),
                                   p + QStringLiteral("13: need is not a number: many"),
                                   p + QStringLiteral("1: a scenario needs [periods]")}));
}

TEST(ScenarioMatch, CellRules)
{
    struct TCase {
        TColumnType Type;
        const char* Expected;
        const char* Stored;
        bool Matches;
    };
    const TCase cases[] = {
        {TColumnType::Number, "-", "", true},
        {TColumnType::Number, "-", "0.00000000", true},
        {TColumnType::Number, "85", "85.00000000", true},
        {TColumnType::Number, "85", "85.00000200", false},
        {TColumnType::Number, "-9", "-9", true},
        {TColumnType::Number, "*", "12", true},
        {TColumnType::Hints, "01=20;02=65", "01=20.00000000\r\n02=65", true},
        {TColumnType::Hints, "01=20;02=65", "02=65\r\n01=20", true},
        {TColumnType::Hints, "01=20;02=65", "01=85", false},
        {TColumnType::Hints, "-", "", true},
        {TColumnType::Hints, "-", "01=85", false},
        {TColumnType::Parents, "D1#1:30|D2#1:50", "D1#1:10|D1#1:20.00000000|D2#1:50", true},
        {TColumnType::Parents, "D1#1:30|D2#1:50", "D2#1:50|D1#1:30", false},
        {TColumnType::Text, "~循环嵌套", "以下物料涉及BOM循环嵌套, 必须修正后才能继续!", true},
        {TColumnType::Text, "S (半成品S)", "\rS (半成品S)", true},
        {TColumnType::Text, "-", "", true},
        {TColumnType::Text, "BOM-P", "BOM-p", false},
        {TColumnType::Date, "2027-03-03", "2027-03-04", false},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(CellMatches(c.Type, QString::fromUtf8(c.Expected), QString::fromUtf8(c.Stored)), c.Matches)
            << c.Expected << " / " << c.Stored;
}

TEST(ScenarioMatch, ComparisonReportsMissingChangedAndUnexpectedRowsOfItsKinds)
{
    QTemporaryDir dir;
    const QString path = WriteFile(dir, QStringLiteral("cmp.scn"),
                                   QStringLiteral("# comparison\n%1"
                                                  "[expect supplies]\n"
                                                  "item kind date qty\n"
                                                  "A 58 2027-03-03 85\n"
                                                  "B 58 2027-03-04 10\n"
                                                  "C 42 * 5\n"
                                                  "[expect supplies partial kind=58]\n"
                                                  "item kind qty\n"
                                                  "A 58 85\n")
                                       .arg(QLatin1String(kPeriods)));
    QStringList errors;
    const TScenario s = ReadScenario(path, errors);
    ASSERT_EQ(errors, QStringList());
    auto row = [](const char* item, const char* kind, const char* date, const char* qty) {
        return TActualRow{{QStringLiteral("item"), QLatin1String(item)}, {QStringLiteral("kind"), QLatin1String(kind)},
                          {QStringLiteral("date"), QLatin1String(date)}, {QStringLiteral("qty"), QLatin1String(qty)}};
    };
    const QList<TActualRow> stored{row("B", "58", "2027-03-04", "12.00000000"), row("A", "58", "2027-03-03", "85.00000000"),
                                   row("D", "58", "2027-03-05", "7.50000000"), row("A", "16", "2027-03-01", "30")};
    const auto strict = CompareSection(*s.SectionsNamed(QStringLiteral("expect supplies")).at(0), stored);
    ASSERT_EQ(strict.size(), 3);
    EXPECT_EQ(strict.at(0).Line, 8);
    EXPECT_EQ(strict.at(0).Text, QStringLiteral("supplies item=B kind=58 date=2027-03-04 qty=10: qty expected 10, stored 12"));
    EXPECT_EQ(strict.at(1).Line, 9);
    EXPECT_EQ(strict.at(1).Text, QStringLiteral("supplies: no stored row like item=C kind=42 date=* qty=5"));
    EXPECT_EQ(strict.at(2).Line, 5);
    EXPECT_EQ(strict.at(2).Text, QStringLiteral("supplies: unexpected stored row item=D kind=58 date=2027-03-05 qty=7.5"));
    // Stock (16) is outside both sections; the partial one lets B and D pass unlisted.
    EXPECT_TRUE(CompareSection(*s.SectionsNamed(QStringLiteral("expect supplies")).at(1), stored).isEmpty());
}
