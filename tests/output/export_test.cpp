// Export of a grid view through command 5: the workbook read back by openpyxl matches the
// grid cell for cell (bands, groups, totals, numbers and dates as real cells), CSV read
// back by Python's csv module gives the texts unchanged, the file type follows the name,
// and a failed or stopped export leaves what was there.
#include "exportfixture.h"

#include "views/exportservice.h"
#include "views/exportwriters.h"
#include "views/gridgroupmodel.h"
#include "views/gridmodel.h"
#include "views/widgetservices.h"

#include "db/errors.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

namespace {

const QString kGroupedTotals = QStringLiteral("[Sorts]=OrdType:0:1|OrdNo:0:0\r\n[Total]=11\r\n"
                                              "[Summaries]=OrdNo:2|OrdQty:1|OrdAmount:1");

QJsonObject Cell(const QJsonObject& book, int row, int column)
{
    return book[QStringLiteral("rows")].toArray()[row].toArray()[column].toObject();
}

QString CellText(const QJsonObject& book, int row, int column)
{
    return Cell(book, row, column)[QStringLiteral("v")].toVariant().toString();
}

QByteArray FileHead(const QString& fileName, int bytes)
{
    QFile f(fileName);
    return f.open(QIODevice::ReadOnly) ? f.read(bytes) : QByteArray();
}

// The grid's rows in display order, as the workbook must show them.
QList<QModelIndex> DisplayedRows(const TGridGroupModel& model, const QModelIndex& parent = QModelIndex())
{
    QList<QModelIndex> rows;
    for (int r = 0; r < model.rowCount(parent); ++r) {
        const QModelIndex index = model.index(r, 0, parent);
        rows << index;
        rows << DisplayedRows(model, index);
    }
    return rows;
}

} // namespace

class Export : public TExportTest {
public:
    static void SetUpTestSuite() { TExportTest::SetUpTestSuite(); }
};

TEST_F(Export, WorkbookOfAGroupedTotalledGridMatchesTheGridCellForCell)
{
    TScriptedMessages script;
    auto view = OpenOrders(kGroupedTotals);
    const QString file = FilePath(QStringLiteral("orders.xlsx"));
    TChosenExportFile chosen(file);
    ASSERT_TRUE(view->ExecCommand(cmdExport));
    EXPECT_EQ(chosen.Suggested(), QStringLiteral("销售订单.xlsx"));
    EXPECT_EQ(script.Count(), 0) << script.LastText().toStdString();

    const QJsonObject book = RunPythonJson(QStringLiteral("readxlsx.py"), {file}).object();
    ASSERT_FALSE(book.isEmpty());
    EXPECT_EQ(book[QStringLiteral("sheets")].toArray().first().toString(), QStringLiteral("销售订单"));
    // Two header rows (bands over captions) and the fixed band's two columns stay put;
    // the filter sits on the captions over the records, not on the totals.
    EXPECT_EQ(book[QStringLiteral("freeze")].toString(), QStringLiteral("C3"));
    EXPECT_EQ(book[QStringLiteral("autofilter")].toString(), QStringLiteral("A2:F12"));
    const QStringList merged = book[QStringLiteral("merged")].toVariant().toStringList();
    EXPECT_EQ(merged, (QStringList{"A1:B1", "A3:F3", "A8:F8", "C1:F1"}));

    const QStringList captions{"单号", "日期", "客户", "数量", "金额", "加急"};
    for (int c = 0; c < captions.size(); ++c)
        EXPECT_EQ(CellText(book, 1, c), captions[c]);
    EXPECT_EQ(CellText(book, 0, 0), QStringLiteral("订单"));
    EXPECT_EQ(CellText(book, 0, 2), QStringLiteral("客户与数量"));

    // Every row the grid shows, in its order: groups, records, group footers; then totals.
    const TGridGroupModel& model = *view->RowModel();
    const QList<QModelIndex> shown = DisplayedRows(model);
    const QJsonArray rows = book[QStringLiteral("rows")].toArray();
    const QJsonArray levels = book[QStringLiteral("levels")].toArray();
    ASSERT_EQ(rows.size(), 2 + shown.size() + 1);
    const QList<TViewColumn*> columns = view->Columns.DisplayOrder();
    ASSERT_EQ(columns.size(), 6);
    for (int i = 0; i < shown.size(); ++i) {
        const int at = 2 + i;
        const QModelIndex& row = shown[i];
        SCOPED_TRACE(QStringLiteral("sheet row %1").arg(at + 1).toStdString());
        switch (model.RowKind(row)) {
        case rkGroup:
            EXPECT_EQ(CellText(book, at, 0), row.data().toString());
            EXPECT_EQ(levels[at].toInt(), 0);
            break;
        case rkGroupFooter:
        case rkData:
            EXPECT_EQ(levels[at].toInt(), 1);
            for (int c = 0; c < columns.size(); ++c) {
                const QModelIndex cell = row.siblingAtColumn(view->Columns.IndexOf(columns[c]));
                const QVariant raw = cell.data(vrRawValue);
                const QJsonObject x = Cell(book, at, c);
                SCOPED_TRACE(columns[c]->FieldName.toStdString());
                if (model.RowKind(row) == rkGroupFooter || columns[c]->Kind == ckNumber || columns[c]->Kind == ckCurrency) {
                    if (raw.isNull() || (model.RowKind(row) == rkGroupFooter && columns[c]->Summary == skNone)) {
                        EXPECT_TRUE(x.isEmpty() || x[QStringLiteral("v")].isNull());
                        continue;
                    }
                    EXPECT_EQ(x[QStringLiteral("t")].toString(), QStringLiteral("n"));
                    EXPECT_DOUBLE_EQ(x[QStringLiteral("v")].toDouble(), raw.toDouble());
                } else if (columns[c]->Kind == ckDate) {
                    if (raw.isNull()) {
                        EXPECT_TRUE(x.isEmpty());
                        continue;
                    }
                    EXPECT_EQ(x[QStringLiteral("t")].toString(), QStringLiteral("d"));
                    EXPECT_EQ(x[QStringLiteral("v")].toString(), raw.toDate().toString(Qt::ISODate) + QStringLiteral("T00:00:00"));
                    EXPECT_EQ(x[QStringLiteral("f")].toString(), QStringLiteral("yyyy/mm/dd"));
                } else if (columns[c]->Kind == ckBoolean) {
                    EXPECT_EQ(x[QStringLiteral("t")].toString(), QStringLiteral("b"));
                    EXPECT_EQ(x[QStringLiteral("v")].toBool(), raw.toInt() != 0);
                } else {
                    EXPECT_EQ(x[QStringLiteral("v")].toString(), cell.data().toString());
                }
            }
            break;
        }
    }

    // The figures themselves, as a planner reads them.
    EXPECT_EQ(CellText(book, 2, 0), QStringLiteral("类型: 内销 (3)"));
    EXPECT_EQ(CellText(book, 7, 0), QStringLiteral("类型: 外销 (3)"));
    EXPECT_EQ(CellText(book, 8, 2), QStringLiteral("他说\"加急\""));
    EXPECT_EQ(CellText(book, 4, 2), QStringLiteral("第一行\n第二行"));
    EXPECT_EQ(CellText(book, 8, 1), QStringLiteral("2024-03-05T00:00:00"));
    EXPECT_DOUBLE_EQ(Cell(book, 8, 4)[QStringLiteral("v")].toDouble(), 1240.5);
    EXPECT_EQ(Cell(book, 8, 4)[QStringLiteral("f")].toString(), QStringLiteral("#,##0.00;-#,##0.00;"));
    // A zero quantity is a number the grid shows as an empty cell, and so does the sheet.
    EXPECT_EQ(Cell(book, 4, 3)[QStringLiteral("t")].toString(), QStringLiteral("n"));
    EXPECT_EQ(Cell(book, 4, 3)[QStringLiteral("f")].toString(), QStringLiteral("#,##0;-#,##0;"));
    EXPECT_EQ(Cell(book, 5, 3)[QStringLiteral("f")].toString(), QStringLiteral("#,##0.########;-#,##0.########;"));
    EXPECT_DOUBLE_EQ(Cell(book, 6, 3)[QStringLiteral("v")].toDouble(), 122.125);
    EXPECT_DOUBLE_EQ(Cell(book, 6, 0)[QStringLiteral("v")].toDouble(), 3);
    EXPECT_DOUBLE_EQ(Cell(book, 12, 4)[QStringLiteral("v")].toDouble(), 31344.25);
    EXPECT_DOUBLE_EQ(Cell(book, 12, 3)[QStringLiteral("v")].toDouble(), 1185.625);
    EXPECT_DOUBLE_EQ(Cell(book, 12, 0)[QStringLiteral("v")].toDouble(), 6);
    EXPECT_TRUE(Cell(book, 11, 1).isEmpty()) << "an order without a date stays empty";
}

TEST_F(Export, CsvOfTheGridReadsBackWithQuotesCommasLineBreaksAndChineseIntact)
{
    auto view = OpenOrders();
    const QString file = FilePath(QStringLiteral("orders.csv"));
    TChosenExportFile chosen(file);
    ASSERT_TRUE(view->ExecCommand(cmdExport));

    EXPECT_EQ(FileHead(file, 3), QByteArray("\xEF\xBB\xBF"));
    QFile raw(file);
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    const QByteArray bytes = raw.readAll();
    // RFC 4180: CRLF ends records, a quoted field keeps its own line break and doubles quotes.
    EXPECT_TRUE(bytes.contains("\"他说\"\"加急\"\"\"")) << bytes.toStdString();
    EXPECT_TRUE(bytes.contains("\"第一行\n第二行\""));
    EXPECT_TRUE(bytes.contains("\r\nSO-001,"));

    const QJsonArray rows = RunPythonJson(QStringLiteral("readcsv.py"), {file}).array();
    ASSERT_EQ(rows.size(), 7);
    EXPECT_EQ(rows[0].toVariant().toStringList(), (QStringList{"单号", "日期", "客户", "类型", "数量", "金额", "加急"}));
    const QStringList expected[] = {
        {"SO-001", "2024/03/01", "华东机电, 上海", "内销", "120", "3600", "√"},
        {"SO-002", "2024/03/05", "他说\"加急\"", "外销", "15.5", "1240.5", ""},
        {"SO-003", "2024/03/09", "第一行\n第二行", "内销", "0", "0", ""},
        {"SO-004", "2024/03/12", "ACME Ltd.", "外销", "1000", "25000", "√"},
        {"SO-005", "2024/04/01", "北方重工", "内销", "2.125", "63.75", ""},
        {"SO-006", "", "南方 \"公司\", 广州", "外销", "48", "1440", ""},
    };
    for (int r = 0; r < 6; ++r)
        EXPECT_EQ(rows[r + 1].toVariant().toStringList(), expected[r]) << "record " << r + 1;
}

TEST_F(Export, TheFileNameDecidesTheFormatAndGetsTheChosenTypesExtension)
{
    struct TCase {
        QString Typed;
        QString Filter;
        QString Written;
        QByteArray Head;
    };
    const QList<TCase> cases{
        {"a", "Excel 工作簿 (*.xlsx)", "a.xlsx", "PK"},
        {"b", "CSV 文件 (*.csv)", "b.csv", "\xEF\xBB\xBF单号,"},
        {"c.htm", "网页 (*.html)", "c.htm", "PK"},               // only ".html" is a web page
        {"d", "网页 (*.html)", "d.html", "<!DOCTYPE html>"},
        {"e.xml", "Excel 工作簿 (*.xlsx)", "e.xml", "<?xml"},
        {"f", "文本文档 (*.txt)", "f.txt", "\xEF\xBB\xBF单号\t"},
        {"g.xls", "Excel 工作簿 (*.xlsx)", "g.xls", "PK"},
        {"h", "PDF 文档 (*.pdf)", "h.pdf", "%PDF"},
    };
    auto view = OpenOrders();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Typed.toStdString());
        const QString name = WithExportSuffix(FilePath(c.Typed), c.Filter);
        EXPECT_EQ(name, FilePath(c.Written));
        TChosenExportFile chosen(name);
        ASSERT_TRUE(view->ExecCommand(cmdExport));
        EXPECT_EQ(FileHead(name, c.Head.size()), c.Head);
    }

    // The web page keeps bands over captions and escapes what it shows.
    QFile html(FilePath(QStringLiteral("d.html")));
    ASSERT_TRUE(html.open(QIODevice::ReadOnly));
    const QString page = QString::fromUtf8(html.readAll());
    EXPECT_TRUE(page.contains(QStringLiteral("<th colspan=\"2\">订单</th><th colspan=\"5\">客户与数量</th>")));
    EXPECT_TRUE(page.contains(QStringLiteral("他说&quot;加急&quot;")));

    // XML data carries typed values.
    QFile xmlFile(FilePath(QStringLiteral("e.xml")));
    ASSERT_TRUE(xmlFile.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&xmlFile);
    QStringList types, firstRow;
    bool inFirstRow = false, firstRowDone = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("column"))
            types << xml.attributes().value(QLatin1String("type")).toString();
        if (xml.isStartElement() && xml.name() == QLatin1String("row") && !firstRowDone)
            inFirstRow = true;
        if (xml.isEndElement() && xml.name() == QLatin1String("row") && inFirstRow) {
            inFirstRow = false;
            firstRowDone = true;
        }
        if (inFirstRow && xml.isStartElement() && xml.name() == QLatin1String("cell"))
            firstRow << xml.readElementText();
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(types, (QStringList{"text", "date", "text", "text", "number", "number", "boolean"}));
    EXPECT_EQ(firstRow, (QStringList{"SO-001", "2024-03-01", "华东机电, 上海", "内销", "120", "3600", "true"}));
}

TEST_F(Export, AFailedOrStoppedExportLeavesTheTargetAsItWas)
{
    auto view = OpenOrders();
    {
        TScriptedMessages script;
        const QString missing = FilePath(QStringLiteral("no/such/folder/orders.xlsx"));
        TChosenExportFile chosen(missing);
        view->ExecCommand(cmdExport);
        EXPECT_EQ(script.Texts(), QStringList{QStringLiteral("导出数据至文档\"%1\"出现错误!").arg(missing)});
        EXPECT_FALSE(QFile::exists(missing));
    }
    for (const QString& name : {QStringLiteral("kept.xlsx"), QStringLiteral("kept.csv"), QStringLiteral("kept.pdf")}) {
        SCOPED_TRACE(name.toStdString());
        const QString file = FilePath(name);
        QFile old(file);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old content");
        old.close();
        TScriptedMessages script({mrYes});
        TEscapeHold esc;
        TChosenExportFile chosen(file);
        view->ExecCommand(cmdExport);
        EXPECT_EQ(script.Texts(), QStringList{QStringLiteral("您已按下[Esc]键, 中止正在执行的操作?")});
        EXPECT_EQ(FileHead(file, 100), QByteArray("old content"));
        EXPECT_EQ(QDir(FilePath(QString())).entryList(QDir::Files | QDir::Hidden), QStringList{name});
        QFile::remove(file);
    }
}

TEST_F(Export, LongExportsRunOffTheGuiThreadAndEscStopsThem)
{
    const TExportRunner previous = SetExportRunner(LongWorkExportRunner());
    auto view = OpenOrders(kGroupedTotals);
    const QString file = FilePath(QStringLiteral("orders.xlsx"));
    {
        TScriptedMessages script;
        TChosenExportFile chosen(file);
        ASSERT_TRUE(view->ExecCommand(cmdExport));
        EXPECT_EQ(script.Count(), 0) << script.LastText().toStdString();
        const QJsonObject book = RunPythonJson(QStringLiteral("readxlsx.py"), {file}).object();
        EXPECT_EQ(book[QStringLiteral("rows")].toArray().size(), 13);
        EXPECT_DOUBLE_EQ(Cell(book, 12, 4)[QStringLiteral("v")].toDouble(), 31344.25);
    }
    {
        TScriptedMessages script({mrYes});
        TEscapeHold esc;
        TChosenExportFile chosen(file);
        QFile::remove(file);
        view->ExecCommand(cmdExport);
        EXPECT_EQ(script.Texts(), QStringList{QStringLiteral("您已按下[Esc]键, 中止正在执行的操作?")});
        EXPECT_FALSE(QFile::exists(file));
    }
    SetExportRunner(previous);
}

TEST(CsvField, QuotesOnlyWhatNeedsQuoting)
{
    const QList<QPair<QString, QString>> cases{
        {"plain", "plain"},         {"中文", "中文"},
        {"a,b", "\"a,b\""},         {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"line\nbreak", "\"line\nbreak\""}, {"cr\rend", "\"cr\rend\""},
        {" padded ", " padded "},   {"", ""},
    };
    for (const auto& [text, field] : cases)
        EXPECT_EQ(CsvField(text), field) << text.toStdString();
}
