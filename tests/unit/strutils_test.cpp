#include "db/errors.h"
#include "db/strutils.h"

#include <gtest/gtest.h>

#include <limits>

using namespace kx;

TEST(ParamList, GetAndSetFollowNamesWithoutRegardToCase)
{
    const QString list = QStringLiteral("[Fields]=|A|B|\r\n[Sorts]=A:10\r\nName=x=y");
    EXPECT_EQ(GetParamValue(list, QStringLiteral("[fields]")), QStringLiteral("|A|B|"));
    EXPECT_EQ(GetParamValue(list, QStringLiteral("Name")), QStringLiteral("x=y"));
    EXPECT_EQ(GetParamValue(list, QStringLiteral("Missing")), QString());
    // A name that is only the start of another item's name does not match it.
    EXPECT_EQ(GetParamValue(QStringLiteral("NameX=1\r\nName=2"), QStringLiteral("Name")), QStringLiteral("2"));

    struct Case { const char* list; const char* name; const char* value; const char* expected; };
    const Case cases[] = {
        {"", "A", "1", "A=1"},                                  // empty list: no separator in front
        {"A=1", "B", "2", "A=1\r\nB=2"},                        // appended after a separator
        {"A=1\r\n", "B", "2", "A=1\r\nB=2"},                    // list already ends with one
        {"a=1\r\nB=2", "A", "9", "a=9\r\nB=2"},                 // replaced in place, any case
        {"A=1\r\nB=2\r\nC=3", "B", "", "A=1\r\nC=3"},           // removed with its separator
        {"A=1\r\nB=2", "B", "", "A=1\r\n"},                     // last item removed
        {"A=1", "Z", "", "A=1"},                                // removing what is absent
    };
    for (const Case& c : cases)
        EXPECT_EQ(SetParamValue(QString::fromUtf8(c.list), QString::fromUtf8(c.name), QString::fromUtf8(c.value)),
                  QString::fromUtf8(c.expected)) << c.list << " / " << c.name;
    EXPECT_EQ(SetParamValue(QStringLiteral("a|b"), QStringLiteral("c"), QStringLiteral("3"), QStringLiteral("|")),
              QStringLiteral("a|b|c=3"));
}

TEST(TextHelpers, SectionsCountsListsAndFilters)
{
    EXPECT_EQ(GetSection(QStringLiteral(" a | b |c "), QStringLiteral("|"), 2), QStringLiteral("b"));
    EXPECT_EQ(GetSection(QStringLiteral("a|b"), QStringLiteral("|"), 3), QString());
    EXPECT_EQ(GetSection(QStringLiteral("a|b|c|d"), QStringLiteral("|"), 2, 2), QStringLiteral("b|c|d"));
    EXPECT_EQ(CountText(QStringLiteral("aa"), QStringLiteral("aaaaa")), 2);
    EXPECT_EQ(CountText(QStringLiteral("\r\n"), QStringLiteral("a\r\nb\r\n")), 2);
    EXPECT_TRUE(InList(QStringLiteral("KX_MRP.SO"), QStringLiteral("kx_mrp.si, kx_mrp.so")));
    EXPECT_FALSE(InList(QStringLiteral("SO"), QStringLiteral("SOX,XSO")));
    EXPECT_EQ(CombineFilter(QString(), QStringLiteral("b=1")), QStringLiteral("b=1"));
    EXPECT_EQ(CombineFilter(QStringLiteral("a=1"), QString()), QStringLiteral("a=1"));
    EXPECT_EQ(CombineFilter(QStringLiteral("a=1"), QStringLiteral("b=1"), QStringLiteral("or")),
              QStringLiteral("(a=1) or (b=1)"));
    const QString text = QStringLiteral("计划A'\\");
    EXPECT_EQ(StrToHexStr(QStringLiteral("A计")), QStringLiteral("00418BA1"));
    EXPECT_EQ(HexStrToStr(StrToHexStr(text)), text);
    EXPECT_TRUE(IfNullVar(QVariant(), 5).toInt() == 5);
}

TEST(NumberBase, RoundTripPaddingAndRangeErrors)
{
    EXPECT_EQ(IntToBase(255, 16, 4), QStringLiteral("00FF"));
    EXPECT_EQ(IntToBase(0, 36, 2), QStringLiteral("00"));
    EXPECT_EQ(IntToBase(35, 36, 2), QStringLiteral("0Z"));
    EXPECT_EQ(IntToBase(36 * 36 - 1, 36, 2), QStringLiteral("ZZ"));
    EXPECT_EQ(IntToBase(5, 2), QStringLiteral("101"));
    // The sign goes before the padding; the longest text is the lowest value in base 2.
    EXPECT_EQ(IntToBase(-255, 16, 4), QStringLiteral("-00FF"));
    EXPECT_EQ(IntToBase(std::numeric_limits<qint64>::min(), 2), QStringLiteral("-1") + QString(63, QLatin1Char('0')));
    // Padding to the widest text a 64-bit value can have, and beyond it.
    EXPECT_EQ(IntToBase(-1, 2, 64), QLatin1Char('-') + QString(63, QLatin1Char('0')) + QLatin1Char('1'));
    EXPECT_EQ(IntToBase(-5, 10, 70), QLatin1Char('-') + QString(69, QLatin1Char('0')) + QLatin1Char('5'));
    for (qint64 v : {0LL, 1LL, 35LL, 36LL, 1295LL, 46655LL, 123456789LL})
        EXPECT_EQ(BaseToInt(IntToBase(v, 36, 3), 36), v);
    EXPECT_EQ(BaseToInt(QStringLiteral(" 0z "), 36), 35);
    EXPECT_THROW(IntToBase(1, 1), EConvertError);
    EXPECT_THROW(IntToBase(1, 37), EConvertError);
    EXPECT_THROW(BaseToInt(QStringLiteral("G"), 16), EConvertError);
}

TEST(FloatText, ShortestFixedDigitsThatReadBack)
{
    EXPECT_EQ(FloatToText(0.1), QStringLiteral("0.1"));
    EXPECT_EQ(FloatToText(0.1 + 0.2), QStringLiteral("0.30000000000000004"));
    EXPECT_EQ(FloatToText(-2.5), QStringLiteral("-2.5"));
    EXPECT_EQ(FloatToText(1e-9), QStringLiteral("0.000000001"));
    EXPECT_EQ(FloatToText(-0.0), QStringLiteral("0"));
    EXPECT_EQ(FloatToText(99999999999999.98), QStringLiteral("99999999999999.98"));
    EXPECT_EQ(FloatToText(1e15), QStringLiteral("1e+15"));
    // The smallest double in fixed notation: 323 zeros after the point, then its digit.
    const QString tiny = FloatToText(std::numeric_limits<double>::denorm_min());
    EXPECT_EQ(tiny.size(), 326);
    EXPECT_TRUE(tiny.startsWith(QStringLiteral("0.000")) && tiny.endsWith(QLatin1Char('5')));
    for (double v : {0.1, 1.0 / 3, 123456789.12345678, 2.675, 1e-300})
        EXPECT_EQ(FloatToText(v).toDouble(), v);
}

TEST(DateFormats, LongAndShortFormsReadBack)
{
    const QDateTime dt(QDate(2026, 3, 9), QTime(7, 5, 4));
    EXPECT_EQ(DateToText(dt.date()), QStringLiteral("2026/03/09"));
    EXPECT_EQ(DateTimeToText(dt), QStringLiteral("2026/03/09 07:05:04"));
    EXPECT_EQ(TextToDateTime(DateTimeToText(dt)), dt);
    EXPECT_EQ(TextToDateTime(QStringLiteral("2026/03/09")).date(), dt.date());
    EXPECT_FALSE(TextToDateTime(QStringLiteral("2026/13/40")).isValid());
    EXPECT_TRUE(NewGUIDText().startsWith(QLatin1Char('{')));
    EXPECT_EQ(NewGUIDText().size(), 38);
}

#include "db/component.h"

#include <QLineEdit>
#include <QWidget>

TEST(ComponentText, PropertiesOfAWidgetAndItsNamedChildrenRoundTrip)
{
    QWidget form;
    form.setObjectName(QStringLiteral("frmPrint"));
    form.setWindowTitle(QStringLiteral("打印 'A'\r\n第二行"));
    auto* edit = new QLineEdit(&form);
    edit->setObjectName(QStringLiteral("edtTitle"));
    edit->setText(QStringLiteral("物料清单"));
    edit->setMaxLength(40);
    edit->setReadOnly(true);
    const QString text = ComponentToText(&form);
    EXPECT_TRUE(text.startsWith(QStringLiteral("object frmPrint: QWidget")));

    QWidget copy;
    copy.setObjectName(QStringLiteral("frmPrint"));
    auto* copyEdit = new QLineEdit(&copy);
    copyEdit->setObjectName(QStringLiteral("edtTitle"));
    ASSERT_TRUE(TextToComponent(text, &copy));
    EXPECT_EQ(copy.windowTitle(), form.windowTitle());
    EXPECT_EQ(copyEdit->text(), QStringLiteral("物料清单"));
    EXPECT_EQ(copyEdit->maxLength(), 40);
    EXPECT_TRUE(copyEdit->isReadOnly());
    EXPECT_FALSE(TextToComponent(QStringLiteral("not a description"), &copy));
}
