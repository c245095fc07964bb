#include "db/errors.h"
#include "db/quote.h"

#include <gtest/gtest.h>

#include <limits>

using namespace kx;

TEST(Quoting, LiteralsOfEveryKind)
{
    EXPECT_EQ(QuotedStr(QStringLiteral("O'Brien")), QStringLiteral("'O''Brien'"));
    EXPECT_EQ(QuotedStr(QStringLiteral("a\\b")), QStringLiteral("'a\\b'"));
    EXPECT_EQ(QuotedStr(QString()), QStringLiteral("''"));
    EXPECT_EQ(SQLQty(1.5), QStringLiteral("1.50000000"));
    EXPECT_EQ(SQLQty(123456789.123456789), QStringLiteral("123456789.12345679"));
    EXPECT_THROW(SQLQty(std::numeric_limits<double>::quiet_NaN()), EConvertError);
    EXPECT_THROW(SQLQty(std::numeric_limits<double>::infinity()), EConvertError);
    EXPECT_EQ(SQLInt(-42), QStringLiteral("-42"));
    EXPECT_EQ(SQLDate(QDate(2026, 1, 2)), QStringLiteral("'20260102'"));
    EXPECT_EQ(SQLDate(QDate()), QStringLiteral("null"));
    EXPECT_EQ(SQLDateTime(QDateTime(QDate(2026, 1, 2), QTime(13, 4, 5))), QStringLiteral("'2026/01/02 13:04:05'"));
    EXPECT_EQ(QuotedIdent(QStringLiteral("kx\"db")), QStringLiteral("\"kx\"\"db\""));
    EXPECT_EQ(SQLValue(QVariant()), QStringLiteral("null"));
    EXPECT_EQ(SQLValue(7), QStringLiteral("7"));
    EXPECT_EQ(SQLValue(2.0), QStringLiteral("2.00000000"));
    EXPECT_EQ(SQLValue(QStringLiteral("x'")), QStringLiteral("'x'''"));
}
