#include "db/copyrows.h"
#include "db/errors.h"
#include "db/shared.h"

#include "testdatabase.h"

#include <gtest/gtest.h>

#include <limits>

using namespace kx;
using namespace kx::test;

class CopyRows : public TDatabaseTest {};

TEST_F(CopyRows, ValuesArriveAsWrittenAcrossChunks)
{
    Exec(QStringLiteral("create table kx_test_copy (n integer, t text, q numeric(28,8), d date)"));
    TCopyRows rows(SharedConnection(), QStringLiteral("kx_test_copy"), QStringLiteral("n, t, q, d"));
    rows.Int(1).Text(QStringLiteral("制表\t换行\n回车\r反斜杠\\N 𠀀𠀁")).Qty(1234.5678).Date(QDate(2026, 12, 7)).EndRow();
    rows.Int(2).Text("").Qty(-0.00000001).Date(QDate()).EndRow();
    rows.Int(3).Null().Null().Null().EndRow();
    // A big quantity keeps its decimals, and a value below the eighth decimal rounds away.
    rows.Int(-1).Null().Qty(163801899.98).Null().EndRow();
    rows.Int(-2).Null().Qty(0.1 + 0.2).Null().EndRow();
    // Enough rows to be sent in several chunks.
    const std::string filler(300, 'x');
    for (int n = 4; n <= 40000; ++n)
        rows.Int(n).Text(filler).Qty(n / 4.0).Date(QDate(2027, 1, 1).addDays(n % 365)).EndRow();
    EXPECT_EQ(rows.Finish(), 40002);
    EXPECT_EQ(rows.Rows(), 40002);

    EXPECT_EQ(Scalar(QStringLiteral("select t from kx_test_copy where n = 1")).toString(), QStringLiteral("制表\t换行\n回车\r反斜杠\\N 𠀀𠀁"));
    EXPECT_EQ(Scalar(QStringLiteral("select q::text || ' ' || d from kx_test_copy where n = 1")).toString(),
              QStringLiteral("1234.56780000 2026-12-07"));
    EXPECT_EQ(Scalar(QStringLiteral("select (t = '')::text || ' ' || q || ' ' || (d is null)::text from kx_test_copy where n = 2")).toString(),
              QStringLiteral("true -0.00000001 true"));
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from kx_test_copy where n = 3 and t is null and q is null and d is null")).toInt(), 1);
    EXPECT_EQ(Scalar(QStringLiteral("select string_agg(q::text, ' ' order by n) from kx_test_copy where n < 0")).toString(),
              QStringLiteral("0.30000000 163801899.98000000"));
    EXPECT_EQ(Scalar(QStringLiteral("select sum(q) from kx_test_copy where n >= 4")).toDouble(), (40000.0 * 40001 / 2 - 6) / 4);
    EXPECT_THROW(rows.Qty(std::numeric_limits<double>::infinity()), EConvertError);
}
