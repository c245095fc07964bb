#include "db/errors.h"
#include "engine/tablefile.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QTemporaryDir>

using namespace kx;

namespace {

TTableFile Csv(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return ReadCsv(buffer, QStringLiteral("lines.csv"));
}

QString DataFile(const char* name)
{
    return QStringLiteral(KX_TEST_DATA_DIR "/") + QLatin1String(name);
}

} // namespace

TEST(TableFile, CsvQuotingLinesAndEmptyRows)
{
    const TTableFile t = Csv("\xEF\xBB\xBFManBillNo,ItmNo,ManNote\r\n"
                             "SO-1,A-01,\"有逗号, 和\"\"引号\"\"\"\r\n"
                             "\r\n"
                             "SO-2,\"B-02\",\"两\nline\"\n"
                             ",,\n"
                             "SO-3\n");
    EXPECT_EQ(t.Fields, (QStringList{QStringLiteral("ManBillNo"), QStringLiteral("ItmNo"), QStringLiteral("ManNote")}));
    ASSERT_EQ(t.Rows.size(), 3);
    EXPECT_EQ(t.Rows[0][2], QStringLiteral("有逗号, 和\"引号\""));
    EXPECT_EQ(t.Rows[1][2], QStringLiteral("两\nline"));
    EXPECT_EQ(t.Rows[2], (QStringList{QStringLiteral("SO-3"), QString(), QString()}));   // short rows are padded
    EXPECT_EQ(t.RowNumbers, (QList<int>{2, 4, 7}));          // file lines, a quoted line break counted
    EXPECT_EQ(t.FieldIndex(QStringLiteral("itmno")), 1);
    EXPECT_EQ(t.FieldIndex(QStringLiteral("ManQty")), -1);

    const TTableFile tabs = Csv("ItmNo\tManQty\nA\t5\n");
    EXPECT_EQ(tabs.Rows.first(), (QStringList{QStringLiteral("A"), QStringLiteral("5")}));
}

TEST(TableFile, WorkbookFirstSheetWithSharedInlineNumbersAndDates)
{
    const TTableFile t = ReadTableFile(DataFile("main_demand.xlsx"));
    EXPECT_EQ(t.Fields, (QStringList{QStringLiteral("ManBillNo"), QStringLiteral("ManBillEntry"), QStringLiteral("ItmNo"),
                                     QStringLiteral("ManDate"), QStringLiteral("ManQty"), QStringLiteral("ManNeedQty"),
                                     QStringLiteral("ManOrigTag")}));
    ASSERT_EQ(t.Rows.size(), 3);
    EXPECT_EQ(t.Rows[0], (QStringList{QStringLiteral("FP-0001"), QStringLiteral("1"), QStringLiteral("ITEM-A"),
                                      QStringLiteral("2026/12/08"), QStringLiteral("12.5"), QString(), QStringLiteral("标签一")}));
    // A date format with a time keeps the time; an empty cell in the middle stays empty.
    EXPECT_EQ(t.Rows[1][3], QStringLiteral("2026/12/09 12:00:00"));
    EXPECT_EQ(t.Rows[1][4], QString());
    EXPECT_EQ(t.Rows[1][5], QStringLiteral("3"));
    // A custom format whose letters are inside quotes is a number, not a date.
    EXPECT_EQ(t.Rows[2], (QStringList{QStringLiteral("FP-0002"), QString(), QStringLiteral("ITEM-C"), QStringLiteral("46366"),
                                      QStringLiteral("0.125"), QString(), QString()}));
    EXPECT_EQ(t.RowNumbers, (QList<int>{2, 3, 5}));
}

TEST(TableFile, AnythingElseIsRefusedWithOneMessage)
{
    QTemporaryDir dir;
    auto write = [&](const char* name, const QByteArray& bytes) {
        QFile f(dir.filePath(QLatin1String(name)));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return f.fileName();
    };
    const QString cases[] = {
        write("picture.csv", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)),
        write("empty.csv", QByteArray()),
        write("latin1.csv", QByteArray("ItmNo,Name\nA,caf\xe9\n")),
        write("text.xlsx", QByteArray("ItmNo,ManQty\nA,1\n")),
    };
    for (const QString& path : cases) {
        try {
            ReadTableFile(path);
            ADD_FAILURE() << "read " << path.toStdString();
        } catch (const EKxError& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("文件\"%1\"不是可以导入的表格数据!").arg(QFileInfo(path).fileName()));
        }
    }
    EXPECT_THROW(ReadTableFile(dir.filePath(QStringLiteral("missing.csv"))), EKxError);
}
