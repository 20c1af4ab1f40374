#include "QtPrinters.h"
#include "FileBytes.h"
#include "core/Errors.h"
#include "core/TextCodec.h"
#include "exchange/DeclarationXml.h"

#include <QFont>
#include <QFontMetrics>
#include <gtest/gtest.h>

namespace {
TDeclarationRow Row(const QString& number, const QVariant& maker, const QVariant& model, const QVariant& amount)
{
    return {QStringLiteral("044001900111"), number, maker, model, QStringLiteral("LSVAB2B3000000001"), amount};
}

QString Gbk(const QByteArray& bytes) { return FromGbk(bytes).value_or(QStringLiteral("<not GBK>")); }

QString Total(const std::vector<TDeclarationRow>& rows)
{
    const QString text = Gbk(DeclarationXml(QStringLiteral("某公司"), QStringLiteral("1"), QStringLiteral("2026-02"), rows));
    const qsizetype from = text.indexOf(QStringLiteral("JFHJJE_HJ>")) + 10;
    return text.mid(from, text.indexOf(u'<', from) - from);
}
}  // namespace

TEST(DeclarationFile, TheTreeWithoutWhitespaceInGbk)
{
    const QByteArray bytes =
        DeclarationXml(QStringLiteral("某汽车销售有限公司"), QStringLiteral("330100000000001"), QStringLiteral("2025-12"),
                       {Row(QStringLiteral("00000001"), QStringLiteral("某厂&<分厂>"), QVariant(), 125000.0),
                        Row(QStringLiteral("00000002"), QStringLiteral("某厂"), QStringLiteral("SV7180"), 125000.5)});
    const QString L = QStringLiteral(
        "<JDC_QYJDCXSFPB_LC><JDC_QYJDCXSFPB_XH>%1</JDC_QYJDCXSFPB_XH><JDC_QYJDCXSFPB_FPDM>044001900111"
        "</JDC_QYJDCXSFPB_FPDM><JDC_QYJDCXSFPB_FPHM>%2</JDC_QYJDCXSFPB_FPHM>%3%4<JDC_QYJDCXSFPB_"
        "CJHMHCLSBDM>LSVAB2B3000000001</JDC_QYJDCXSFPB_CJHMHCLSBDM><JDC_QYJDCXSFPB_JFHJJE>%5"
        "</JDC_QYJDCXSFPB_JFHJJE></JDC_QYJDCXSFPB_LC>");
    const QString expected =
        QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"GBK\"?>\r\n<JDC_QYJDCXSFPB><JDC_QYJDCXSFPB_BTXX><JDC_QYJDCXSFPB_NSRMC>"
            "某汽车销售有限公司</JDC_QYJDCXSFPB_NSRMC><JDC_QYJDCXSFPB_NSRSBH>330100000000001</JDC_QYJDCXSFPB_NSRSBH>"
            "<JDC_QYJDCXSFPB_SSQ>202512</JDC_QYJDCXSFPB_SSQ></JDC_QYJDCXSFPB_BTXX><JDC_QYJDCXSFPB_MXXX>") +
        L.arg(QStringLiteral("1"), QStringLiteral("00000001"),
              QStringLiteral("<JDC_QYJDCXSFPB_SCQYMC>某厂&amp;&lt;分厂&gt;</JDC_QYJDCXSFPB_SCQYMC>"),
              QStringLiteral("<JDC_QYJDCXSFPB_CPXH/>"), QStringLiteral("125000")) +
        L.arg(QStringLiteral("2"), QStringLiteral("00000002"),
              QStringLiteral("<JDC_QYJDCXSFPB_SCQYMC>某厂</JDC_QYJDCXSFPB_SCQYMC>"),
              QStringLiteral("<JDC_QYJDCXSFPB_CPXH>SV7180</JDC_QYJDCXSFPB_CPXH>"), QStringLiteral("125000.5")) +
        QStringLiteral(
            "</JDC_QYJDCXSFPB_MXXX><JDC_QYJDCXSFPB_HJ><JDC_QYJDCXSFPB_JFHJJE_HJ> 250000.50</JDC_QYJDCXSFPB_JFHJJE_HJ>"
            "</JDC_QYJDCXSFPB_HJ></JDC_QYJDCXSFPB>\r\n");
    EXPECT_EQ(Gbk(bytes), expected);
    EXPECT_TRUE(bytes.contains("<JDC_QYJDCXSFPB_NSRMC>\xc4\xb3"));  // 某 in GBK

    // Python reads it through its gbk codec.
    EXPECT_EQ(PythonOn(bytes, QStringLiteral("import sys, xml.etree.ElementTree as ET\n"
                                             "text = open(sys.argv[1], 'rb').read().decode('gbk')\n"
                                             "head, body = text.split('\\r\\n', 1)\n"
                                             "root = ET.fromstring(body)\n"
                                             "print(head, root.find('JDC_QYJDCXSFPB_MXXX')[0][3].text, "
                                             "root.find('.//JDC_QYJDCXSFPB_JFHJJE_HJ').text)")),
              QStringLiteral("<?xml version=\"1.0\" encoding=\"GBK\"?> 某厂&<分厂>  250000.50"));
}

TEST(DeclarationFile, TotalsEmptyMonthAndWhatFailsTheFile)
{
    EXPECT_EQ(Total({}), QStringLiteral("      0.00"));
    EXPECT_EQ(Total({Row(QStringLiteral("1"), {}, {}, 12345678.9)}), QStringLiteral("12345678.90"));
    EXPECT_EQ(Total({Row(QStringLiteral("1"), {}, {}, 0.1), Row(QStringLiteral("2"), {}, {}, 0.2),
                     Row(QStringLiteral("3"), {}, {}, -0.3)}),
              QStringLiteral("      0.00"));
    // This order sums to a hair below zero, which C's "%10.2f" writes "-0.00".
    EXPECT_EQ(Total({Row(QStringLiteral("1"), {}, {}, 0.3), Row(QStringLiteral("2"), {}, {}, -0.1),
                     Row(QStringLiteral("3"), {}, {}, -0.2)}),
              QStringLiteral("      0.00"));
    EXPECT_TRUE(Gbk(DeclarationXml({}, {}, QStringLiteral("2026-02"), {}))
                    .contains(QStringLiteral("<JDC_QYJDCXSFPB_MXXX/><JDC_QYJDCXSFPB_HJ>")));

    // GBK has no Hangul, ®, ™ or •: refused instead of written as a substitute, naming the invoice,
    // the column and the character, so that the clerk can find what to correct.
    const auto why = [](const QString& corpName, const std::vector<TDeclarationRow>& rows) {
        try {
            DeclarationXml(corpName, QStringLiteral("1"), QStringLiteral("2026-02"), rows);
        } catch (const EConvertError& e) {
            return e.Text();
        }
        return QStringLiteral("<written>");
    };
    const TDeclarationRow good = Row(QStringLiteral("00000001"), QStringLiteral("某厂"), QStringLiteral("SV7180"), 1.0);
    const std::vector<std::pair<TDeclarationRow, const char*>> faults{
        {Row(QStringLiteral("99999999"), {}, QStringLiteral("SV한"), 1.0),
         "发票 044001900111 99999999 的车辆型号含有 GBK 没有的字符 한"},
        {Row(QStringLiteral("2"), QStringLiteral("某厂®"), {}, 1.0), "发票 044001900111 2 的生产企业名称含有 GBK 没有的字符 ®"},
        {Row(QStringLiteral("2"), QStringLiteral("某厂"), QStringLiteral("SV™"), 1.0),
         "发票 044001900111 2 的车辆型号含有 GBK 没有的字符 ™"},
        {Row(QStringLiteral("2"), QStringLiteral("某•厂"), {}, 1.0), "发票 044001900111 2 的生产企业名称含有 GBK 没有的字符 •"},
        {Row(QStringLiteral("2"), {}, QStringLiteral("SV😀"), 1.0), "发票 044001900111 2 的车辆型号含有 GBK 没有的字符 😀"},
        {Row(QStringLiteral("2"), {}, QStringLiteral("SV\n7180"), 1.0), "发票 044001900111 2 的车辆型号含有控制字符"},
        {Row(QStringLiteral("2"), {}, QStringLiteral("SV\t"), 1.0), "发票 044001900111 2 的车辆型号含有控制字符"},
        {Row(QStringLiteral("2"), {}, {}, QVariant()), "发票 044001900111 2 的价费合计金额不是数值"},
        {Row(QStringLiteral("2"), {}, {}, QStringLiteral("x")), "发票 044001900111 2 的价费合计金额不是数值"}};
    for (const auto& [row, reason] : faults)
        EXPECT_EQ(why(QStringLiteral("某公司"), {good, row}), QString::fromUtf8(reason));
    EXPECT_EQ(why(QStringLiteral("某公司®"), {good}), QStringLiteral("企业名称含有 GBK 没有的字符 ®"));
    EXPECT_EQ(why(QStringLiteral("某公司"), {good}), QStringLiteral("<written>"));
}

TEST(DeclarationFile, ShownALineAnElementIndentedByDepth)
{
    TDeclarationLines lines;
    const QFontMetrics metrics{QFont()};
    lines.SetFile(DeclarationXml(QStringLiteral("某公司"), QStringLiteral("330100000000001"), QStringLiteral("2026-02"),
                                 {Row(QStringLiteral("00000001"), QStringLiteral("某厂&<分厂>"), QVariant(), 125000.0)}),
                  metrics);
    QStringList shown;
    for (int i = 0; i < lines.rowCount(); ++i)
        shown << lines.index(i).data().toString();
    EXPECT_EQ(shown, (QStringList{
                         QStringLiteral("<?xml version=\"1.0\" encoding=\"GBK\"?>"),
                         QStringLiteral("<JDC_QYJDCXSFPB>"),
                         QStringLiteral("    <JDC_QYJDCXSFPB_BTXX>"),
                         QStringLiteral("        <JDC_QYJDCXSFPB_NSRMC>某公司</JDC_QYJDCXSFPB_NSRMC>"),
                         QStringLiteral("        <JDC_QYJDCXSFPB_NSRSBH>330100000000001</JDC_QYJDCXSFPB_NSRSBH>"),
                         QStringLiteral("        <JDC_QYJDCXSFPB_SSQ>202602</JDC_QYJDCXSFPB_SSQ>"),
                         QStringLiteral("    </JDC_QYJDCXSFPB_BTXX>"),
                         QStringLiteral("    <JDC_QYJDCXSFPB_MXXX>"),
                         QStringLiteral("        <JDC_QYJDCXSFPB_LC>"),
                         QStringLiteral("            <JDC_QYJDCXSFPB_XH>1</JDC_QYJDCXSFPB_XH>"),
                         QStringLiteral("            <JDC_QYJDCXSFPB_FPDM>044001900111</JDC_QYJDCXSFPB_FPDM>"),
                         QStringLiteral("            <JDC_QYJDCXSFPB_FPHM>00000001</JDC_QYJDCXSFPB_FPHM>"),
                         QStringLiteral("            <JDC_QYJDCXSFPB_SCQYMC>某厂&amp;&lt;分厂&gt;</JDC_QYJDCXSFPB_SCQYMC>"),
                         QStringLiteral("            <JDC_QYJDCXSFPB_CPXH/>"),
                         QStringLiteral("            <JDC_QYJDCXSFPB_CJHMHCLSBDM>LSVAB2B3000000001</JDC_QYJDCXSFPB_CJHMHCLSBDM>"),
                         QStringLiteral("            <JDC_QYJDCXSFPB_JFHJJE>125000</JDC_QYJDCXSFPB_JFHJJE>"),
                         QStringLiteral("        </JDC_QYJDCXSFPB_LC>"),
                         QStringLiteral("    </JDC_QYJDCXSFPB_MXXX>"),
                         QStringLiteral("    <JDC_QYJDCXSFPB_HJ>"),
                         QStringLiteral("        <JDC_QYJDCXSFPB_JFHJJE_HJ> 125000.00</JDC_QYJDCXSFPB_JFHJJE_HJ>"),
                         QStringLiteral("    </JDC_QYJDCXSFPB_HJ>"),
                         QStringLiteral("</JDC_QYJDCXSFPB>")}));
    // Every line is as wide as the widest, so that the view scrolls to the end of each.
    int widest = 0;
    for (const QString& line : shown)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    EXPECT_GE(lines.index(0).data(Qt::SizeHintRole).toSize().width(), widest);
    EXPECT_EQ(lines.index(20).data(Qt::SizeHintRole), lines.index(0).data(Qt::SizeHintRole));
    // Bytes that are not GBK show nothing; a file that is no declaration shows its text.
    lines.SetFile("\x81", metrics);
    EXPECT_EQ(lines.rowCount(), 0);
    lines.SetFile("old", metrics);
    ASSERT_EQ(lines.rowCount(), 1);
    EXPECT_EQ(lines.index(0).data().toString(), QStringLiteral("old"));
}
