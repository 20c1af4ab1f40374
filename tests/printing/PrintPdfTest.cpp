// Printing into a PDF and reading every word's position back with pdftotext.
#include "PdfPrint.h"
#include "PdfWords.h"
#include "printing/PrintDevice.h"
#include "printing/PrintInvoice.h"
#include "printing/PrintPrimitives.h"
#include "printing/TPrintTemplate.h"

#include <QFont>
#include <QFontMetrics>
#include <QPrinter>
#include <gtest/gtest.h>

namespace {
constexpr double kToleranceMm = 0.5;

// Metrics of a font on a 1200 dpi PDF printer, in millimetres: what the page must show.
struct TFontMm {
    double averageChar;
    double height;
    int averagePx;
    int heightPx;
};
TFontMm FontMm(const QString& face, int points)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    QFont font(face);
    font.setPointSize(points);
    const QFontMetrics fm(font, &printer);
    const double mmPerPx = 25.4 / printer.resolution();
    return {fm.averageCharWidth() * mmPerPx, fm.height() * mmPerPx, fm.averageCharWidth(), fm.height()};
}

// Where an item's text starts: its position plus the offsets, two average characters
// further right (framed: further left).
QPointF ExpectedStart(const TPrintDateItem& item, int offX, int offY)
{
    const double cw = FontMm(item.ItemFontName, item.ItemFontSize).averageChar;
    const double shift = item.ItemName == u"ManageTaxID" ? -2 * cw : 2 * cw;
    return {item.ItemPosX + offX + shift, static_cast<double>(item.ItemPosY + offY)};
}

void ExpectEveryItemAt(const TPdfPage& page, const TPrintTemplate& t, int offX, int offY, bool names)
{
    int checked = 0;
    for (int i = 0; i < t.Count(); ++i) {
        const TPrintDateItem& item = t.GetItem(i);
        const QString text = names ? item.ItemDisName : item.Value.toString();
        if (!names && (item.Value.isNull() || text.isEmpty()))
            continue;
        const auto found = FindWords(page, text);
        ASSERT_EQ(found.size(), 1u) << qPrintable(item.ItemName) << " " << qPrintable(text);
        const QPointF want = ExpectedStart(item, offX, offY);
        EXPECT_NEAR(found[0].box.left(), want.x(), kToleranceMm) << qPrintable(item.ItemName);
        EXPECT_NEAR(found[0].box.top(), want.y(), kToleranceMm) << qPrintable(item.ItemName);
        ++checked;
    }
    EXPECT_GT(checked, 0);
}
}  // namespace

TEST(PrintPdf, AFilledInvoiceHasEveryValueAtItsPositionPlusTheOffsets)
{
    TPrintTemplate t = DefaultTemplate();
    FillInvoice(t);
    TPdfPrint pdf;
    QString error;
    ASSERT_TRUE(PrintInvoice(t, 3, -2, &error)) << qPrintable(error);
    const auto pages = ReadPdfWords(pdf.File());
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NEAR(pages[0].size.width(), 241, 0.2);
    EXPECT_NEAR(pages[0].size.height(), 178, 0.2);
    ExpectEveryItemAt(pages[0], t, 3, -2, false);
    // The engine number "无" is not printed, nor any display name.
    EXPECT_TRUE(FindWords(pages[0], QStringLiteral("无")).empty());
    EXPECT_TRUE(FindWords(pages[0], QStringLiteral("购货单位")).empty());
    EXPECT_EQ(pages[0].words.size(), 29u);
}

TEST(PrintPdf, LandscapeTurnsTheSheetAndAnUnsetWayKeepsIt)
{
    TPrintTemplate t = DefaultTemplate();
    FillInvoice(t);
    t.PageWidth = 178;
    t.PageHeight = 241;
    t.PrintWay = QStringLiteral("1");
    TPdfPrint pdf;
    QString error;
    ASSERT_TRUE(PrintInvoice(t, -4, 5, &error)) << qPrintable(error);
    auto pages = ReadPdfWords(pdf.File());
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NEAR(pages[0].size.width(), 241, 0.2);
    EXPECT_NEAR(pages[0].size.height(), 178, 0.2);
    ExpectEveryItemAt(pages[0], t, -4, 5, false);

    t.PrintWay = QString();  // the printer stays as the last job left it
    ASSERT_TRUE(PrintInvoice(t, 0, 0, &error));
    pages = ReadPdfWords(pdf.File());
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NEAR(pages[0].size.width(), 241, 0.2);
    t.PrintWay = QStringLiteral("0");
    ASSERT_TRUE(PrintInvoice(t, 0, 0, &error));
    pages = ReadPdfWords(pdf.File());
    EXPECT_NEAR(pages[0].size.width(), 178, 0.2);
}

TEST(PrintPdf, ALongValueShrinksOneSizeAndWrapsLineByLine)
{
    TPrintTemplate t = DefaultTemplate();
    TPrintDateItem& item = t.GetItem(t.IndexOfName(QStringLiteral("ghdw")));
    item.ItemMaxLength = 40;
    const QString lines[] = {QStringLiteral("一二三四五六七八九十甲乙"), QStringLiteral("丙丁戊己庚辛壬癸子丑寅卯"),
                             QStringLiteral("辰巳午未申酉戌亥")};
    item.Value = lines[0] + lines[1] + lines[2];
    TPrintDateItem& fits = t.GetItem(t.IndexOfName(QStringLiteral("saleName")));
    fits.Value = QStringLiteral("汽车销售");

    // What the rule gives here: 40 mm hold 25 bytes of 9-pt average characters, so every
    // full line takes twelve characters (24 bytes) and never half of the next one.
    const TFontMm at10 = FontMm(QStringLiteral("宋体"), 10);
    const TFontMm at9 = FontMm(QStringLiteral("宋体"), 9);
    ASSERT_EQ(MmToPixels(1200, 40) / at9.averagePx, 25);

    TPdfPrint pdf;
    ASSERT_TRUE(PrintInvoice(t, 0, 0));
    const auto pages = ReadPdfWords(pdf.File());
    ASSERT_EQ(pages.size(), 1u);
    const double firstTop = item.ItemPosY - 2 * (at10.heightPx / 2) * 25.4 / 1200;
    for (int k = 0; k < 3; ++k) {
        const auto found = FindWords(pages[0], lines[k]);
        ASSERT_EQ(found.size(), 1u) << k;
        EXPECT_NEAR(found[0].box.left(), item.ItemPosX + 2 * at10.averageChar, kToleranceMm) << k;
        EXPECT_NEAR(found[0].box.top(), firstTop + k * at10.height, kToleranceMm) << k;
        // The smaller size: twelve characters take twelve 9-pt ems.
        if (k < 2) {
            EXPECT_NEAR(found[0].box.width(), 12 * 2 * at9.averageChar, 0.5) << k;
        }
    }
    const auto single = FindWords(pages[0], fits.Value.toString());
    ASSERT_EQ(single.size(), 1u);
    EXPECT_NEAR(single[0].box.width(), 4 * 2 * at10.averageChar, 0.3) << "a fitting value keeps its size";
    EXPECT_NEAR(single[0].box.top(), fits.ItemPosY, kToleranceMm);
}

TEST(PrintPdf, TheTaxOfficeCodeIsFramed)
{
    TPrintTemplate t = DefaultTemplate();
    FillInvoice(t);
    TPdfPrint pdf;
    ASSERT_TRUE(PrintInvoice(t, 0, 0));
    const auto pages = ReadPdfWords(pdf.File());
    ASSERT_EQ(pages.size(), 1u);
    const TPrintDateItem& item = t.GetItem(t.IndexOfName(QStringLiteral("ManageTaxID")));
    const auto found = FindWords(pages[0], item.Value.toString());
    ASSERT_EQ(found.size(), 1u);
    const QRectF word = found[0].box;
    const double th = FontMm(item.ItemFontName, item.ItemFontSize).height;

    const int dpi = 600;
    const QImage image = RenderPdfPage(pdf.File(), dpi);
    ASSERT_FALSE(image.isNull());
    auto dark = [&](double xMm, double yMm) {
        const int x = qRound(xMm * dpi / 25.4), y = qRound(yMm * dpi / 25.4);
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                if (qGray(image.pixel(x + dx, y + dy)) < 128)
                    return true;
        return false;
    };
    // The frame: 10 px (1200 dpi) left and right of the text, 1 px above and below it.
    const double px = 25.4 / 1200;
    const double left = word.left() - 10 * px, right = word.right() + 10 * px;
    const double top = word.top() - px, bottom = word.top() + th + px;
    for (double f : {0.2, 0.5, 0.8}) {
        EXPECT_TRUE(dark(left, top + f * (bottom - top))) << "left edge " << f;
        EXPECT_TRUE(dark(right, top + f * (bottom - top))) << "right edge " << f;
        EXPECT_TRUE(dark(left + f * (right - left), top)) << "top edge " << f;
        EXPECT_TRUE(dark(left + f * (right - left), bottom)) << "bottom edge " << f;
    }
    EXPECT_FALSE(dark(left - 1, (top + bottom) / 2));
    EXPECT_FALSE(dark((left + right) / 2, top - 1));
    // No other item of the invoice is framed.
    const auto ghdw = FindWords(pages[0], t.GetItem(t.IndexOfName(QStringLiteral("ghdw"))).Value.toString());
    ASSERT_EQ(ghdw.size(), 1u);
    EXPECT_FALSE(dark(ghdw[0].box.left() - 10 * px, ghdw[0].box.center().y()));
}

TEST(PrintPdf, TheTestPageShowsEveryDisplayNameAtTheTypedOffsets)
{
    TPrintTemplate t = DefaultTemplate();
    t.GetItem(0).Value = QStringLiteral("2026");  // values do not matter on the test page
    TPdfPrint pdf;
    QString error;
    ASSERT_TRUE(PrintTestPage(t, -5, 7, &error)) << qPrintable(error);
    const auto pages = ReadPdfWords(pdf.File());
    ASSERT_EQ(pages.size(), 1u);
    ExpectEveryItemAt(pages[0], t, -5, 7, true);
    EXPECT_TRUE(FindWords(pages[0], QStringLiteral("2026")).empty());
}
