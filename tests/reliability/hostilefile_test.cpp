// Table files made to harm the reader are refused with the import's message and the reason,
// and what a genuine workbook holds near the sheet's limits is still read.
#include "hostilefiles.h"

#include "db/errors.h"
#include "engine/tablefile.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kx;

namespace {

QString Refusal(const QString& path)
{
    try {
        (void)ReadTableFile(path);
    } catch (const EKxError& e) {
        return e.Message();
    }
    return QStringLiteral("(read)");
}

QString Plain(const QString& path)
{
    return QStringLiteral("文件\"%1\"不是可以导入的表格数据!").arg(QFileInfo(path).fileName());
}

} // namespace

TEST(HostileTableFiles, EachIsRefusedWithTheImportsMessageAndItsReason)
{
    QTemporaryDir dir;
    const QList<hostile::THostileFile> files = hostile::WriteHostileFiles(dir.path(), 48);
    ASSERT_EQ(files.size(), 12);
    for (const hostile::THostileFile& f : files) {
        SCOPED_TRACE(f.Name.toStdString());
        const QString text = Refusal(f.Path);
        if (f.Reason.isEmpty()) {
            EXPECT_EQ(text, Plain(f.Path));
        } else {
            EXPECT_TRUE(text.startsWith(Plain(f.Path) + QStringLiteral("\r\r原因: "))) << text.toStdString();
            EXPECT_TRUE(text.contains(f.Reason)) << text.toStdString();
        }
    }
    EXPECT_EQ(Refusal(dir.filePath(QStringLiteral("ref-fxshrxw.xlsx"))),
              Plain(QStringLiteral("ref-fxshrxw.xlsx")) + QStringLiteral("\r\r原因: 单元格引用(FXSHRXW2)超出工作表的范围(A1至XFD1048576)"));
}

TEST(HostileTableFiles, GenuineWorkbooksAtTheEdgesAreRead)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("edges.xlsx"));
    // The last column, a cell without reference after an empty one, a shared string index out
    // of range, a number too large to be a date in a date style, and rows far down the sheet.
    hostile::WriteWorkbook(path,
                           "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c>"
                           "<c r=\"XFD1\" t=\"inlineStr\"><is><t>Last</t></is></c></row>"
                           "<row r=\"7\"><c><v></v></c><c><v>12.5</v></c><c r=\"XFD7\" t=\"s\"><v>99</v></c></row>"
                           "<row r=\"1048576\"><c r=\"A1048576\" t=\"s\"><v>2</v></c><c r=\"B1048576\"><v>1e300</v></c></row>",
                           {"ItmNo", "ManQty", "末行"});
    const TTableFile t = ReadTableFile(path);
    ASSERT_EQ(t.Fields.size(), 16384);
    EXPECT_EQ(t.Fields.first(), QStringLiteral("ItmNo"));
    EXPECT_EQ(t.Fields.last(), QStringLiteral("Last"));
    ASSERT_EQ(t.Rows.size(), 2);
    EXPECT_EQ(t.RowNumbers, (QList<int>{7, 1048576}));
    EXPECT_EQ(t.Rows[0][0], QString());
    EXPECT_EQ(t.Rows[0][1], QStringLiteral("12.5"));
    EXPECT_EQ(t.Rows[0][16383], QString());
    EXPECT_EQ(t.Rows[1][0], QStringLiteral("末行"));
    EXPECT_EQ(t.Rows[1][1], QStringLiteral("1e+300"));
}
