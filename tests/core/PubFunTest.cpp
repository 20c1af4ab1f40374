#include "core/Errors.h"
#include "core/PubFun.h"
#include "core/TextCodec.h"
#include <iconv.h>
#include <iterator>
#include <optional>
#include <random>

#include <gtest/gtest.h>

namespace {
struct MoneyCase {
    double amount;
    const char* text;
};

const MoneyCase kWorkedResults[] = {
    {0, "零"},
    {0.05, "伍分"},
    {0.50, "伍角整"},
    {3.00, "叁圆整"},
    {10.50, "壹拾圆零伍角整"},
    {12.34, "壹拾贰圆叁角肆分"},
    {20.07, "贰拾圆零柒分"},
    {101.00, "壹佰零壹圆整"},
    {1005.00, "壹仟零伍圆整"},
    {1010.00, "壹仟零壹拾圆整"},
    {100000.00, "壹拾万圆整"},
    {100000.50, "壹拾万圆零伍角整"},
    {100001.00, "壹拾万零壹圆整"},
    {205000.06, "贰拾万零伍仟圆零陆分"},
    {234567.89, "贰拾叁万肆仟伍佰陆拾柒圆捌角玖分"},
    {100000000.00, "壹亿圆整"},
    {100010000.00, "壹亿零壹万圆整"},
    {110000000.00, "壹亿壹仟万圆整"},
    {1000000000000.00, "壹万亿圆整"},
    {-123.40, "(负数)壹佰贰拾叁圆肆角整"},
    {9999999999999.99, "玖万玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖圆玖角玖分"},
    {10000000000000.00, "溢出"},
};
}  // namespace

TEST(MoneyToChinese, GivesEveryWorkedResult)
{
    for (const MoneyCase& c : kWorkedResults)
        EXPECT_EQ(MoneyToChinese(c.amount), QString::fromUtf8(c.text)) << c.amount;
}

TEST(MoneyToChinese, AmountsThatRoundToNoCentAreZero)
{
    EXPECT_EQ(MoneyToChinese(0.004), QStringLiteral("零"));
    EXPECT_EQ(MoneyToChinese(-0.004), QStringLiteral("零"));
    EXPECT_EQ(MoneyToChinese(0.005), QStringLiteral("壹分"));  // halves away from zero
}

TEST(MoneyToChinese, LargeNegativeAmountsOverflowInsteadOfReadingPastTheTable)
{
    EXPECT_EQ(MoneyToChinese(-10000000000000.0), QStringLiteral("溢出"));
    EXPECT_EQ(MoneyToChinese(-1e300), QStringLiteral("溢出"));
    EXPECT_EQ(MoneyToChinese(-9999999999999.99),
              QStringLiteral("(负数)玖万玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖圆玖角玖分"));
}

TEST(MoneyToChinese, TypicalInvoiceTotals)
{
    EXPECT_EQ(MoneyToChinese(100000001.00), QStringLiteral("壹亿零壹圆整"));
    EXPECT_EQ(MoneyToChinese(12445.00), QStringLiteral("壹万贰仟肆佰肆拾伍圆整"));
    EXPECT_EQ(MoneyToChinese(-12445.00), QStringLiteral("(负数)壹万贰仟肆佰肆拾伍圆整"));
}

TEST(FormatAmount, PrintsAsCDoesButNeverANegativeZero)
{
    EXPECT_EQ(FormatAmount(0), QStringLiteral("      0.00"));
    EXPECT_EQ(FormatAmount(-12445), QStringLiteral(" -12445.00"));
    EXPECT_EQ(FormatAmount(1234567.895), QStringLiteral("1234567.90"));
    EXPECT_EQ(FormatAmount(12345678.9), QStringLiteral("12345678.90"));
    EXPECT_EQ(FormatAmount(0.125), QStringLiteral("      0.12"));  // an exact tie goes to even
    EXPECT_EQ(FormatAmount(-0.004), QStringLiteral("      0.00"));
    EXPECT_EQ(FormatAmount(-0.005), QStringLiteral("     -0.01"));
}

TEST(IncInvoiceNo, KeepsTheWidthAndGrowsOnlyOnOverflow)
{
    EXPECT_EQ(IncInvoiceNo(QStringLiteral("00000999"), 1), QStringLiteral("00001000"));
    EXPECT_EQ(IncInvoiceNo(QStringLiteral("00000123"), 1), QStringLiteral("00000124"));
    EXPECT_EQ(IncInvoiceNo(QStringLiteral("99999999"), 1), QStringLiteral("100000000"));
    EXPECT_EQ(IncInvoiceNo(QStringLiteral("00000010"), -1), QStringLiteral("00000009"));
    EXPECT_EQ(IncInvoiceNo(QStringLiteral("144001900999"), 1), QStringLiteral("144001901000"));
    EXPECT_EQ(IncInvoiceNo(QStringLiteral("ABC000000999"), 5), QStringLiteral("ABC000001004"));
}

TEST(IncInvoiceNo, RaisesOnATailThatIsNotDigits)
{
    EXPECT_THROW(IncInvoiceNo(QStringLiteral("0000012a"), 1), EConvertError);
    EXPECT_THROW(IncInvoiceNo(QStringLiteral("0000 123"), 1), EConvertError);
    EXPECT_THROW(IncInvoiceNo(QStringLiteral("+0000123"), 1), EConvertError);
    EXPECT_THROW(IncInvoiceNo(QString(), 1), EConvertError);
}

TEST(InvoiceCount, CountsInclusiveAndMarksEmptyInput)
{
    EXPECT_EQ(InvoiceCount(QStringLiteral("00000001"), QStringLiteral("00000050")), 50);
    EXPECT_EQ(InvoiceCount(QStringLiteral("00000007"), QStringLiteral("00000007")), 1);
    EXPECT_EQ(InvoiceCount(QStringLiteral("00000010"), QStringLiteral("00000001")), -8);
    EXPECT_EQ(InvoiceCount(QString(), QStringLiteral("00000001")), -1);
    EXPECT_EQ(InvoiceCount(QStringLiteral("00000001"), QString()), -1);
    EXPECT_EQ(InvoiceCount(QStringLiteral("00000000"), QStringLiteral("99999999")), 100000000);
    EXPECT_THROW(InvoiceCount(QStringLiteral("0000000x"), QStringLiteral("00000001")), EConvertError);
}

TEST(TextRoutines, GbkLengthTrimAndDigits)
{
    EXPECT_EQ(GbkLength(QStringLiteral("ab")), 2);
    EXPECT_EQ(GbkLength(QStringLiteral("机动车A")), 7);
    EXPECT_EQ(TrimBlanks(QStringLiteral("\t  update x \r")), QStringLiteral("update x"));
    EXPECT_EQ(TrimBlanks(QStringLiteral(" \x01 ")), QString());
    EXPECT_TRUE(IsDigits(QStringLiteral("0123")));
    EXPECT_FALSE(IsDigits(QStringLiteral(" 12")));
    EXPECT_FALSE(IsDigits(QString()));
    EXPECT_EQ(IfThenStr(true, QStringLiteral("a"), QStringLiteral("b")), QStringLiteral("a"));
    EXPECT_EQ(QuotedStr(QStringLiteral("O'Brien")), QStringLiteral("'O''Brien'"));
}

TEST(TextCodec, GbkRoundTripAndRefusal)
{
    const QString text = QStringLiteral("机动车销售统一发票 A1");
    const auto bytes = ToGbk(text);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(bytes->size(), GbkLength(text));
    EXPECT_EQ(FromGbk(*bytes).value(), text);
    EXPECT_FALSE(ToGbk(QStringLiteral("😀")).has_value());  // GBK has no emoji
}

namespace {
// The whole buffer through one iconv call: what the run-wise conversion must agree with.
std::optional<QByteArray> WholeIconv(const char* to, const char* from, const QByteArray& in)
{
    iconv_t cd = iconv_open(to, from);
    QByteArray out(in.size() * 4 + 16, '\0');
    char* src = const_cast<char*>(in.constData());
    size_t srcLeft = size_t(in.size());
    char* dst = out.data();
    size_t dstLeft = size_t(out.size());
    const bool ok = iconv(cd, &src, &srcLeft, &dst, &dstLeft) != size_t(-1);
    iconv_close(cd);
    if (!ok)
        return std::nullopt;
    out.resize(dst - out.data());
    return out;
}
}  // namespace

// Trail bytes in the ASCII range ("丂" is 81 40), cut sequences, lone surrogates and characters GBK
// lacks, mixed at random with ASCII: the same bytes or the same refusal as one whole conversion,
// except that a lone surrogate is refused where UTF-8 would have made it a '?'.
TEST(TextCodec, RunWiseConversionAgreesWithOneWholeConversion)
{
    const QString pieces[] = {QStringLiteral("丂"),   QStringLiteral("机动车"), QStringLiteral("<a>"), QStringLiteral(" "),
                              QStringLiteral("\r\n"), QStringLiteral("€"),      QStringLiteral("😀"),   QString(QChar(0xD800)),
                              QStringLiteral("Ａ１"), QStringLiteral("@"),      QStringLiteral("\x7f")};
    std::mt19937 random(20261209);
    for (int round = 0; round < 2000; ++round) {
        QString text;
        const int n = int(random() % 8);
        for (int i = 0; i < n; ++i)
            text += pieces[random() % std::size(pieces)];
        const bool lone = text.contains(QChar(0xD800));
        const std::optional<QByteArray> expected = lone ? std::nullopt : WholeIconv("GBK", "UTF-8", text.toUtf8());
        ASSERT_EQ(ToGbk(text), expected) << text.toStdString();
        if (!expected)
            continue;
        EXPECT_EQ(FromGbk(*expected), text);
        // Cut or damaged bytes are refused as a whole conversion refuses them.
        QByteArray damaged = *expected;
        if (!damaged.isEmpty()) {
            damaged[int(random() % damaged.size())] = char(random() % 256);
            damaged.chop(int(random() % 2));
            EXPECT_EQ(GbkToUtf8(damaged), WholeIconv("UTF-8", "GBK", damaged)) << damaged.toHex().toStdString();
        }
    }
}
