// The report printer: a 25-column list prints landscape, one page wide, with the title
// block, the header and the page numbers on every page and no record split across pages
// (checked on the PDF with poppler, whose page pictures are left in the test output);
// orientation and scale follow the columns; the totals row never lands without a line;
// the print setting keeps what the page setup chose.
#include "exportfixture.h"

#include "views/printsetting.h"
#include "views/reportprinter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPdfWriter>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

namespace {

// A list of 25 columns: a row key, texts, quantities, dates and the row's end mark.
std::unique_ptr<TExportMemoryTable> WideList(int rows)
{
    auto table = std::make_unique<TExportMemoryTable>();
    table->Title = QStringLiteral("物料需求明细");
    for (int c = 0; c < 25; ++c) {
        TExportColumn col;
        col.Name = QStringLiteral("F%1").arg(c);
        col.Caption = c == 0 ? QStringLiteral("行号") : c == 24 ? QStringLiteral("末列") : QStringLiteral("列%1").arg(c, 2, 10, QLatin1Char('0'));
        col.Width = c == 3 ? 160 : 90;
        col.Kind = c % 5 == 1 ? evNumber : c % 5 == 2 ? evDate : evText;
        col.Summary = col.Kind == evNumber ? esSum : esNone;
        table->Columns << col;
    }
    table->HasFooter = true;
    for (int r = 1; r <= rows; ++r) {
        QVariantList values;
        for (int c = 0; c < 25; ++c) {
            const TExportValueKind kind = table->Columns[c].Kind;
            if (c == 0)
                values << QStringLiteral("R%1").arg(r, 3, 10, QLatin1Char('0'));
            else if (c == 24)
                values << QStringLiteral("E%1").arg(r, 3, 10, QLatin1Char('0'));
            else if (c == 3)
                values << QStringLiteral("很长的物料名称与规格型号, 打印时在列宽处截断而不换行 %1").arg(r);
            else if (kind == evNumber)
                values << r * 1.5;
            else if (kind == evDate)
                values << QDate(2024, 3, 1).addDays(r);
            else
                values << QStringLiteral("文本%1").arg(c);
        }
        table->AddRow(values);
    }
    for (int c = 0; c < 25; ++c)
        table->Footer << (table->Columns[c].Kind == evNumber ? QVariant(1.5 * rows * (rows + 1) / 2) : QVariant());
    return table;
}

TReportHeading Heading()
{
    return {QStringLiteral("物料需求明细"), QStringLiteral("测试员"), QDateTime(QDate(2024, 5, 6), QTime(8, 30, 0))};
}

// Prints a table into a PDF in memory; the printer then tells its layout.
void PrintInMemory(TReportPrinter& printer)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    printer.SetupDevice(pdf);
    printer.Print(pdf);
}

} // namespace

TEST(ReportPrinter, TwentyFiveColumnListPrintsLandscapeOnePageWideWithHeaderOnEveryPageAndNoSplitRows)
{
    const int rows = 150;
    const auto table = WideList(rows);
    const QString file = TestOutputPath(QStringLiteral("print_25_columns.pdf"));
    QFile::remove(file);
    ASSERT_TRUE(PrintReportToPdf(*table, TPrintSetting(), Heading(), file, nullptr));

    const QString info = RunProgram(QStringLiteral("pdfinfo"), {file});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+84[12](\\.\\d+)? x 595(\\.\\d+)? pts \\(A4\\)")))) << info.toStdString();
    const int pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info).captured(1).toInt();
    ASSERT_GE(pages, 3);

    QStringList seen;
    for (int page = 1; page <= pages; ++page) {
        SCOPED_TRACE(QStringLiteral("page %1").arg(page).toStdString());
        const QString text = RunProgram(QStringLiteral("pdftotext"),
                                        {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                         QString::number(page), file, QStringLiteral("-")});
        // Title block, the whole header (one page wide: the last column too) and the page number.
        EXPECT_TRUE(text.contains(QStringLiteral("物料需求明细")));
        EXPECT_TRUE(text.contains(QStringLiteral("制表人: 测试员")));
        EXPECT_TRUE(text.contains(QStringLiteral("打印时间: 2024/05/06 08:30:00")));
        EXPECT_TRUE(text.contains(QStringLiteral("行号")));
        EXPECT_TRUE(text.contains(QStringLiteral("末列")));
        EXPECT_TRUE(QString(text).remove(QLatin1Char(' ')).contains(QStringLiteral("第%1页/共%2页").arg(page).arg(pages)));
        // A record's line holds its key and its end mark: nothing is split.
        for (const QString& line : text.split(QLatin1Char('\n'))) {
            const QRegularExpressionMatch key = QRegularExpression(QStringLiteral("\\bR(\\d{3})\\b")).match(line);
            if (!key.hasMatch())
                continue;
            seen << key.captured(0);
            EXPECT_TRUE(line.contains(QStringLiteral("E") + key.captured(1))) << line.toStdString();
        }
        if (page == pages) {
            EXPECT_TRUE(text.contains(QStringLiteral("16,987.5"))) << "the totals after the last record";
        }
    }
    QStringList expected;
    for (int r = 1; r <= rows; ++r)
        expected << QStringLiteral("R%1").arg(r, 3, 10, QLatin1Char('0'));
    EXPECT_EQ(seen, expected) << "every record once, in order";

    // Pictures of the pages for anyone to look at.
    const QString prefix = TestOutputPath(QStringLiteral("print_25_columns"));
    RunProgram(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("70"), QStringLiteral("-png"), file, prefix});
    EXPECT_TRUE(QFile::exists(prefix + QStringLiteral("-1.png")) || QFile::exists(prefix + QStringLiteral("-01.png")));
}

TEST(ReportPrinter, OrientationAndScaleFollowTheColumnsAndTheSetting)
{
    struct TCase {
        int Columns;
        int Width;
        TPrintOrientation Orientation;
        bool FitToWidth;
        bool Landscape;
        bool Scaled;
    };
    // A4 portrait holds 538 points between 10 mm margins (717 pixels), landscape 785 (1046).
    const QList<TCase> cases{
        {5, 100, poAuto, true, false, false},      // 500 px fits portrait
        {9, 100, poAuto, true, true, false},       // 900 px: landscape, unscaled
        {25, 90, poAuto, true, true, true},        // wider than landscape: scaled to the width
        {25, 90, poAuto, false, true, false},      // without fitting, columns keep their size
        {25, 90, poPortrait, true, false, true},   // the user's orientation wins
        {5, 100, poLandscape, true, true, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 columns of %2 px, orientation %3").arg(c.Columns).arg(c.Width).arg(c.Orientation).toStdString());
        TExportMemoryTable table;
        for (int i = 0; i < c.Columns; ++i)
            table.Columns << TExportColumn{QStringLiteral("F%1").arg(i), QStringLiteral("列%1").arg(i), -1, c.Width};
        table.AddRow(QVariantList(c.Columns, QStringLiteral("x")));
        TPrintSetting setting;
        setting.Orientation = c.Orientation;
        setting.FitToWidth = c.FitToWidth;
        TReportPrinter printer(table, setting, Heading());
        PrintInMemory(printer);
        EXPECT_EQ(printer.Landscape(), c.Landscape);
        EXPECT_EQ(printer.Scale() < 1, c.Scaled) << printer.Scale();
    }
}

TEST(ReportPrinter, TheTotalsRowTakesAPageOfItsOwnOnlyWhenTheLastPageIsFull)
{
    TExportMemoryTable probe;
    probe.Columns << TExportColumn{QStringLiteral("Qty"), QStringLiteral("数量"), -1, 80, evNumber};
    TPrintSetting setting;
    auto layoutFor = [&](int rows, bool footer) {
        TExportMemoryTable table;
        table.Columns = probe.Columns;
        table.HasFooter = footer;
        table.Footer << 1.0;
        for (int r = 0; r < rows; ++r)
            table.AddRow({double(r)});
        TReportPrinter printer(table, setting, Heading());
        PrintInMemory(printer);
        return std::make_pair(printer.RowsPerPage(), printer.PageFirstRows());
    };
    const int perPage = layoutFor(1, false).first;
    ASSERT_GT(perPage, 20);
    EXPECT_EQ(layoutFor(perPage, false).second, QList<int>{0});
    EXPECT_EQ(layoutFor(perPage, true).second, (QList<int>{0, perPage}));
    EXPECT_EQ(layoutFor(perPage - 1, true).second, QList<int>{0});
    EXPECT_EQ(layoutFor(0, true).second, QList<int>{0});
    EXPECT_EQ(layoutFor(2 * perPage + 5, false).second, (QList<int>{0, perPage, 2 * perPage}));
}

TEST(PrintSetting, KeepsWhatThePageSetupChoseAndDefaultsWhatATextDoesNotSay)
{
    TPrintSetting chosen;
    chosen.PageSize = QPageSize::A3;
    chosen.Orientation = poPortrait;
    chosen.Margins = QMarginsF(5, 7.5, 5, 12);
    chosen.FitToWidth = false;
    chosen.PrintTitle = false;
    chosen.PrintTotals = false;
    EXPECT_EQ(TPrintSetting::FromText(chosen.ToText()), chosen);

    EXPECT_EQ(TPrintSetting::FromText(QString()), TPrintSetting());
    const TPrintSetting partial = TPrintSetting::FromText(QStringLiteral("Orientation=landscape\r\nMargins=1,2,x,4\r\nTitle=0"));
    EXPECT_EQ(partial.Orientation, poLandscape);
    EXPECT_EQ(partial.Margins, TPrintSetting().Margins) << "a margin that is no number keeps the defaults";
    EXPECT_FALSE(partial.PrintTitle);
    EXPECT_TRUE(partial.FitToWidth);
}
