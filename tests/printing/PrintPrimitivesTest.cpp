// Printing rules on a printer with exact metrics, and every way a print job can fail.
#include "FakePrintDevice.h"
#include "printing/PrintInvoice.h"
#include "printing/PrintPrimitives.h"
#include "printing/TPrintTemplate.h"

#include <QFileInfo>
#include <QFont>
#include <QFontInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
// Fake metrics at 10 pt: average character 20 px, height 40 px; at 9 pt: 18 px.
struct TLine {
    QString text;
    int x, y, points;
};
std::vector<TLine> Lines(const TFakePrintDevice& d)
{
    std::vector<TLine> lines;
    for (const auto& t : d.drawn)
        lines.push_back({t.text, t.x, t.y, t.points});
    return lines;
}

class TPdfVariable {
public:
    explicit TPdfVariable(const QString& file) { qputenv(kPrintPdfVariable, file.toUtf8()); }
    ~TPdfVariable() { qunsetenv(kPrintPdfVariable); }
};

TPrintTemplate ThreeItems()
{
    TPrintTemplate t;
    t.PageWidth = 241;
    t.PageHeight = 178;
    for (const char* name : {"ghdw", "fdjhm", "ManageTaxID"}) {
        TPrintDateItem& item = t.Add();
        item.ItemName = QLatin1String(name);
        item.ItemDisName = QStringLiteral("名") + QLatin1String(name);
        item.ItemFontName = QStringLiteral("宋体");
        item.ItemFontSize = 10;
        item.ItemMaxLength = 60;
        item.ItemPosX = 10 * t.Count();
        item.ItemPosY = 20;
    }
    t.GetItem(0).Value = QStringLiteral("AB");
    t.GetItem(2).Value = QStringLiteral("144");
    return t;
}
}  // namespace

TEST(MmToPixels, RoundsTheWayThePrinterDriverDoes)
{
    EXPECT_EQ(MmToPixels(300, 10), 118);
    EXPECT_EQ(MmToPixels(600, 50), 1181);
    EXPECT_EQ(MmToPixels(300, -10), -118);
    EXPECT_EQ(MmToPixels(72, 25.4), 72);
    EXPECT_EQ(MmToPixels(1200, 0), 0);
}

TEST(PrintItemText, FitsByGbkBytesOrShrinksOnceAndWrapsBetweenCharacters)
{
    TFakePrintDevice d;
    // 10 mm at 300 dpi is 118 px; x gets two average characters, y loses the top margin.
    PrintItemText(QStringLiteral("WWW"), QStringLiteral("宋体"), 10, 10, 20, 10);
    PrintItemText(QStringLiteral("ABCDEF"), QStringLiteral("宋体"), 10, 10, 20, 10);
    PrintItemText(QStringLiteral("ABCDEFGHIJ"), QStringLiteral("宋体"), 10, 10, 20, 10);
    auto lines = Lines(d);
    ASSERT_EQ(lines.size(), 4u);
    // Three bytes fit although the measured text is wider: printed as it is.
    EXPECT_EQ(lines[0].text, QStringLiteral("WWW"));
    EXPECT_EQ(lines[0].points, 10);
    EXPECT_EQ(lines[0].x, 118 + 40);
    EXPECT_EQ(lines[0].y, 236 - 20);
    // Too long by bytes, fits at 9 pt: one line, one line height higher.
    EXPECT_EQ(lines[1].text, QStringLiteral("ABCDEF"));
    EXPECT_EQ(lines[1].points, 9);
    EXPECT_EQ(lines[1].y, 216 - 40);
    // 118 / 18 = 6 bytes a line, lines 40 px apart.
    EXPECT_EQ(lines[2].text, QStringLiteral("ABCDEF"));
    EXPECT_EQ(lines[2].y, 176);
    EXPECT_EQ(lines[3].text, QStringLiteral("GHIJ"));
    EXPECT_EQ(lines[3].y, 216);
    EXPECT_EQ(lines[3].points, 9);

    // 11 mm = 130 px: 7 bytes a line; Chinese lines carry 6 and never half a character.
    d.drawn.clear();
    PrintItemText(QStringLiteral("一二三四五六七八九十"), QStringLiteral("宋体"), 10, 10, 20, 11);
    lines = Lines(d);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].text, QStringLiteral("一二三"));
    EXPECT_EQ(lines[1].text, QStringLiteral("四五六"));
    EXPECT_EQ(lines[2].text, QStringLiteral("七八九"));
    EXPECT_EQ(lines[3].text, QStringLiteral("十"));
    EXPECT_EQ(lines[3].y - lines[0].y, 3 * 40);

    // Mixed: byte 7 starts "字", so the first line is the 6 bytes before it.
    d.drawn.clear();
    PrintItemText(QStringLiteral("AB中文字CDEFG"), QStringLiteral("宋体"), 10, 10, 20, 11);
    lines = Lines(d);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, QStringLiteral("AB中文"));
    EXPECT_EQ(lines[1].text, QStringLiteral("字CDEFG"));
}

TEST(PrintItemText, AFieldTooNarrowForACharacterPrintsOneLine)
{
    TFakePrintDevice d;
    PrintItemText(QStringLiteral("中文"), QStringLiteral("宋体"), 10, 10, 20, 2);  // 1 byte a line
    PrintItemText(QStringLiteral("长文本"), QStringLiteral("宋体"), 10, 10, 20, 0);
    PrintItemText(QStringLiteral("负"), QStringLiteral("宋体"), 10, 10, 20, -5);
    PrintItemText(QStringLiteral("ABC"), QStringLiteral("宋体"), 10, 10, 20, 2);
    const auto lines = Lines(d);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0].text, QStringLiteral("中文"));
    EXPECT_EQ(lines[1].text, QStringLiteral("长文本"));
    EXPECT_EQ(lines[2].text, QStringLiteral("负"));
    EXPECT_EQ(lines[3].text, QStringLiteral("A"));  // one ASCII byte still fits a line
    EXPECT_EQ(lines[4].text, QStringLiteral("B"));
    EXPECT_EQ(lines[5].text, QStringLiteral("C"));
}

TEST(PrintTextAt, PullsTextBackInsideTheRightAndBottomEdgesOnly)
{
    TFakePrintDevice d;
    d.SetFont(QString(), 10);
    PrintTextAt(2790, 1990, QStringLiteral("ABCD"));  // 80 x 40
    PrintTextAt(-30, -5, QStringLiteral("ABCD"));
    ASSERT_EQ(d.drawn.size(), 2u);
    EXPECT_EQ(d.drawn[0].x, 2800 - 80);
    EXPECT_EQ(d.drawn[0].y, 2000 - 40);
    EXPECT_EQ(d.drawn[1].x, -30);
    EXPECT_EQ(d.drawn[1].y, -5);
}

TEST(PrintFramedText, DrawsAThickFrameTwoCharactersLeftAndNeverWraps)
{
    TFakePrintDevice d;
    PrintFramedText(QStringLiteral("14401060000144010600001440"), QStringLiteral("宋体"), 10, 100, 20, 5);
    ASSERT_EQ(d.drawn.size(), 1u);
    const int x = 1181 - 40, y = 236 - 20, tw = 26 * 20;
    EXPECT_EQ(d.drawn[0].x, x);
    EXPECT_EQ(d.drawn[0].y, y);
    EXPECT_EQ(d.drawn[0].points, 10);
    ASSERT_EQ(d.rects.size(), 1u);
    EXPECT_EQ(d.rects[0].x1, x - 10);
    EXPECT_EQ(d.rects[0].y1, y - 1);
    EXPECT_EQ(d.rects[0].x2, x + tw + 10);
    EXPECT_EQ(d.rects[0].y2, y + 40 + 1);
    EXPECT_EQ(d.rects[0].pen, 8);
}

TEST(PrintInvoice, PrintsValuedItemsAtTheOffsetsAndTheTestPagePrintsEveryName)
{
    TFakePrintDevice d;
    TPrintTemplate t = ThreeItems();
    t.PrintWay = QStringLiteral("1");
    QString error;
    ASSERT_TRUE(PrintInvoice(t, 2, -3, &error)) << qPrintable(error);
    EXPECT_EQ(d.paper, QSize(241, 178));
    EXPECT_EQ(d.orientation, QPageLayout::Landscape);
    EXPECT_EQ(d.begun, 1);
    EXPECT_EQ(d.ended, 1);
    ASSERT_EQ(d.drawn.size(), 2u) << "the item without a value prints nothing";
    EXPECT_EQ(d.drawn[0].text, QStringLiteral("AB"));
    EXPECT_EQ(d.drawn[0].x, MmToPixels(300, 12) + 40);
    EXPECT_EQ(d.drawn[0].y, MmToPixels(300, 17) - 20);
    EXPECT_EQ(d.drawn[1].text, QStringLiteral("144"));
    EXPECT_EQ(d.drawn[1].x, MmToPixels(300, 32) - 40);
    ASSERT_EQ(d.rects.size(), 1u);

    d.drawn.clear();
    d.rects.clear();
    t.PrintWay = QStringLiteral("2");  // leaves the orientation as it was
    d.orientation = QPageLayout::Portrait;
    ASSERT_TRUE(PrintTestPage(t, 0, 0, &error));
    EXPECT_EQ(d.orientation, QPageLayout::Portrait);
    ASSERT_EQ(d.drawn.size(), 3u);
    EXPECT_EQ(d.drawn[0].text, QStringLiteral("名ghdw"));
    EXPECT_EQ(d.drawn[1].text, QStringLiteral("名fdjhm"));
    EXPECT_EQ(d.drawn[2].text, QStringLiteral("名ManageTaxID"));
    EXPECT_EQ(d.rects.size(), 1u);
}

TEST(PrintInvoice, EveryFailureIsReportedAndAStartedJobIsAborted)
{
    const TPrintTemplate t = ThreeItems();
    {
        TFakePrintDevice d;
        d.failBegin = true;
        QString error;
        EXPECT_FALSE(PrintInvoice(t, 0, 0, &error));
        EXPECT_EQ(error, QStringLiteral("begin failed"));
        EXPECT_TRUE(d.drawn.empty());
    }
    {
        TFakePrintDevice d;
        d.failAfterDraws = 1;  // the printer reports an error after the first field
        QString error;
        EXPECT_FALSE(PrintTestPage(t, 0, 0, &error));
        EXPECT_EQ(error, QStringLiteral("paper jam"));
        EXPECT_EQ(d.drawn.size(), 1u);
        EXPECT_EQ(d.aborted, 1);
        EXPECT_EQ(d.ended, 0);
    }
    {
        TFakePrintDevice d;
        d.throwAtDraw = 1;
        QString error;
        EXPECT_FALSE(PrintInvoice(t, 0, 0, &error));
        EXPECT_EQ(error, QStringLiteral("device lost"));
        EXPECT_EQ(d.aborted, 1);
        EXPECT_EQ(d.ended, 0);
    }
    {
        TFakePrintDevice d;
        d.failEnd = true;
        EXPECT_FALSE(PrintInvoice(t, 0, 0));
    }
}

TEST(QtPrintDevice, NoPrinterUnwritablePdfAndAbortAreFailures)
{
    const TPrintTemplate t = ThreeItems();
    TQtPrintDevice device([] { return QString(); });
    TPrintDevice* previous = SetPrintDevice(&device);
    qunsetenv(kPrintPdfVariable);
    QString error;
    EXPECT_FALSE(PrintInvoice(t, 0, 0, &error));
    EXPECT_EQ(error, QStringLiteral("没有安装打印机！"));
    EXPECT_THROW(GetPrinterPageSize(), EPrintError);

    {
        TPdfVariable pdf(QStringLiteral("/nonexistent-folder/invoice.pdf"));
        EXPECT_FALSE(PrintInvoice(t, 0, 0, &error));
        EXPECT_TRUE(error.contains(QStringLiteral("/nonexistent-folder/invoice.pdf"))) << qPrintable(error);
    }
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("invoice.pdf"));
        TPdfVariable pdf(file);
        ASSERT_TRUE(PrintInvoice(t, 0, 0, &error)) << qPrintable(error);
        EXPECT_GT(QFileInfo(file).size(), 0);
        // 241 x 178 mm at 1200 dpi; the PDF page is sized in whole points (0.2 mm).
        const QPoint page = GetPrinterPageSize();
        EXPECT_NEAR(page.x(), 241 * 1200 / 25.4, 10);
        EXPECT_NEAR(page.y(), 178 * 1200 / 25.4, 10);
        // A job aborted half-way leaves no PDF that looks like a printed invoice.
        ASSERT_TRUE(device.BeginJob(&error));
        device.SetFont(QStringLiteral("宋体"), 10);
        device.DrawText(100, 100, QStringLiteral("半张"));
        EXPECT_FALSE(device.Failed(&error));
        device.AbortJob();
        EXPECT_FALSE(QFileInfo::exists(file));
    }
    SetPrintDevice(previous);
}

TEST(InstallFontSubstitutions, TheTemplateFontsResolveToInstalledChineseFonts)
{
    EXPECT_EQ(QFontInfo(QFont(QStringLiteral("宋体"))).family(), QStringLiteral("AR PL UMing CN"));
    EXPECT_EQ(QFontInfo(QFont(QStringLiteral("SimSun"))).family(), QStringLiteral("AR PL UMing CN"));
    EXPECT_EQ(QFontInfo(QFont(QStringLiteral("楷体_GB2312"))).family(), QStringLiteral("AR PL UKai CN"));
}
