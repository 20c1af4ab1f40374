#include "QtPrinters.h"
#include "OpenpyxlReader.h"
#include "PdfWords.h"
#include "ProgramFolder.h"
#include "ReportTestData.h"
#include "Typing.h"
#include "printing/PrintInvoice.h"
#include "reports/SaleList.h"
#include "workbook/PrintSheet.h"
#include "workbook/TWorkbook.h"

#include <QDialog>
#include <QFile>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <gtest/gtest.h>
#include <memory>

namespace {
const QString kMonth = QStringLiteral("2026-02");
const QString kName = QStringLiteral("list.xlsx");

class SaleList : public ::testing::Test {
protected:
    void Start(const QString& sql)
    {
        folder.Sql(HeadCompanySql() + sql);
        context = std::make_unique<TTestContext>(folder);
    }
    QString File() const { return ReportFolder(folder) + kName; }
    QString Cell(const QJsonObject& s, const QString& name) const { return OpenpyxlCell(s, name)["value"].toString(); }
    // Row r of the sheet as openpyxl reads it, cells joined by "|".
    QString Row(const QJsonObject& s, int r) const
    {
        QStringList cells;
        for (int c = 1; c <= 7; ++c)
            cells << Cell(s, CellName(r, c));
        return cells.join(u'|');
    }

    TTestProgramFolder folder;
    std::unique_ptr<TTestContext> context;
};
}  // namespace

TEST_F(SaleList, ValidInvoicesOfTheMonthOfEveryPointInCodeAndNumberOrderWithTheirSum)
{
    Start(SaleSql("2026-02-10 09:00:00", "144001900111", "00000002", "2", "-80000") +
          SaleSql("2026-02-01 00:00:00", "144001900111", "00000001", "0", "100000.25", "二店") +
          SaleSql("2026-02-28 23:59:59", "133001620011", "00000009", "0", "NULL", "一店", "NULL") +
          SaleSql("2026-02-11 09:00:00", "144001900111", "00000003", "1") +
          SaleSql("2026-02-12 09:00:00", "144001900111", "00000004", "3") +
          SaleSql("2026-02-13 09:00:00", "144001900111", "00000005", "4") +
          SaleSql("2026-01-31 23:59:59", "144001900111", "00000006", "0") +
          SaleSql("2026-03-01 00:00:00", "144001900111", "00000007", "0") +
          // A column named like a value: a state written "0" in double quotes would compare with it.
          "alter table SaleDetail add column \"0\" text; update SaleDetail set \"0\"=fpzt;" +
          "update SaleDetail set sccj=' 乙厂 ' where fphm='00000001';");
    EXPECT_EQ(MakeSaleList(ReportFolder(folder), kName, kMonth, true), 3);

    const QJsonObject s = ReadWithOpenpyxl(File());
    ASSERT_FALSE(s.isEmpty());
    EXPECT_EQ(Cell(s, "A3"), QStringLiteral("企业名称：甲汽车销售有限公司"));
    EXPECT_EQ(Cell(s, "D3"), QStringLiteral("纳税人识别号：330100000000001"));
    EXPECT_EQ(Cell(s, "F3"), QStringLiteral("所属期限：2026年02月"));
    EXPECT_EQ(Row(s, 5), QStringLiteral("1|133001620011|00000009|某汽车制造厂|某牌SV7180||"));
    EXPECT_EQ(Row(s, 6), QStringLiteral("2|144001900111|00000001|乙厂|某牌SV7180|LVIN0000000000001|100000.25"));
    EXPECT_EQ(Row(s, 7), QStringLiteral("3|144001900111|00000002|某汽车制造厂|某牌SV7180|LVIN0000000000001|-80000"));
    EXPECT_EQ(Row(s, 8), QStringLiteral("合计||||||  20000.25"));
    EXPECT_EQ(Row(s, 9), QStringLiteral("||||||"));
    for (const char* name : {"A5", "G6", "G8", "C5"})
        EXPECT_EQ(OpenpyxlCell(s, QString::fromLatin1(name))["type"].toString(), QStringLiteral("s")) << name;
    for (const char* name : {"A4", "G4", "D6", "A8", "G8"})
        EXPECT_EQ(OpenpyxlCell(s, QString::fromLatin1(name))["borders"].toString(), QStringLiteral("LRTB")) << name;
    EXPECT_EQ(OpenpyxlCell(s, QStringLiteral("A9"))["borders"].toString(), QString());
    EXPECT_EQ(s["dimension"].toString(), QStringLiteral("A1:G8"));
}

TEST_F(SaleList, AMonthWithoutInvoicesGetsNineNumberedEmptyRowsFramedToRow15)
{
    Start(SaleSql("2026-03-02 09:00:00", "144001900111", "00000001", "0"));
    for (bool borders : {true, false}) {
        SCOPED_TRACE(borders);
        EXPECT_EQ(MakeSaleList(ReportFolder(folder), kName, kMonth, borders), 0);
        const QJsonObject s = ReadWithOpenpyxl(File());
        ASSERT_FALSE(s.isEmpty());
        for (int r = 5; r <= 13; ++r) {
            EXPECT_EQ(Row(s, r), QString::number(r - 4) + QStringLiteral("||||||"));
            EXPECT_EQ(OpenpyxlCell(s, CellName(r, 7))["type"].toString(), QStringLiteral("s"));  // empty text, not nothing
        }
        EXPECT_EQ(Row(s, 14), QStringLiteral("合计||||||      0.00"));
        const QString frame = borders ? QStringLiteral("LRTB") : QString();
        for (const char* name : {"A4", "G13", "A14", "A15", "G15"})
            EXPECT_EQ(OpenpyxlCell(s, QString::fromLatin1(name))["borders"].toString(), frame) << name;
        EXPECT_EQ(OpenpyxlCell(s, QStringLiteral("A16"))["borders"].toString(), QString());
    }
}

TEST_F(SaleList, AHundredInvoicesPrintOnTwoA4PagesWithTheHeadingsOnBoth)
{
    InstallFontSubstitutions();
    Start(ManySalesSql(kMonth, 100));
    ASSERT_EQ(MakeSaleList(ReportFolder(folder), kName, kMonth, true), 100);
    const QString pdf = folder.File(QStringLiteral("list.pdf"));
    qputenv("TALLYRA_PRINT_PDF", pdf.toUtf8());
    PrintSheet(File(), nullptr);
    qunsetenv("TALLYRA_PRINT_PDF");

    const std::vector<TPdfPage> pages = ReadPdfWords(pdf);
    ASSERT_EQ(pages.size(), 2u);
    for (const TPdfPage& page : pages) {
        EXPECT_NEAR(page.size.width(), 210, 1);
        EXPECT_NEAR(page.size.height(), 297, 1);
        for (const char* heading : {"序号", "发票代码", "发票号码", "价税合计"})
            EXPECT_EQ(FindWords(page, QString::fromUtf8(heading)).size(), 1u) << heading;
        // The heading row stays above the invoices of its page.
        const double headings = FindWords(page, QStringLiteral("发票代码")).front().box.bottom();
        for (const TPdfWord& w : FindWords(page, QStringLiteral("144001900111")))
            EXPECT_GT(w.box.top(), headings);
    }
    EXPECT_EQ(FindWords(pages[0], QStringLiteral("00000001")).size(), 1u);
    EXPECT_EQ(FindWords(pages[1], QStringLiteral("00000100")).size(), 1u);
    EXPECT_EQ(FindWords(pages[1], QStringLiteral("合计")).size(), 1u);
    EXPECT_EQ(FindWords(pages[0], QStringLiteral("合计")).size(), 0u);
    // Every invoice printed once.
    EXPECT_EQ(
        FindWords(pages[0], QStringLiteral("144001900111")).size() + FindWords(pages[1], QStringLiteral("144001900111")).size(),
        100u);
}

TEST_F(SaleList, AnInvoiceThatCannotBeReadFailsTheListInsteadOfEndingIt)
{
    // The third invoice fails when it is read, after the first ones went into the sheet.
    Start(ManySalesSql(kMonth, 5) +
          "alter table SaleDetail rename to SaleRows;"
          "create view SaleDetail as select fpdm,fphm,SCCJ,cpxh,cjhm,fpzt,kprq,"
          "case when fphm='00000003' then abs(-9223372036854775807-1) else jwjehj end as jwjehj from SaleRows;");
    EXPECT_THROW(MakeSaleList(ReportFolder(folder), kName, kMonth, true), EDatabaseError);
    EXPECT_FALSE(QFile::exists(File()));
}

TEST_F(SaleList, PrintingFromThePreviewOnAPrinterThatFailsSaysWhy)
{
    InstallFontSubstitutions();
    Start(ManySalesSql(kMonth, 3));
    ASSERT_EQ(MakeSaleList(ReportFolder(folder), kName, kMonth, true), 3);
    TWorkbook book;
    book.Open(File());
    const TSheetContent sheet = book.Content();
    // A printer that cannot start a job: its output goes where no file can be made.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QStringLiteral("/proc/no-such-folder/list.pdf"));
    int pages = 0;
    WhenModal([&](QWidget* w) {
        auto* preview = qobject_cast<QPrintPreviewDialog*>(w);
        ASSERT_NE(preview, nullptr);
        auto* view = preview->findChild<QPrintPreviewWidget*>();
        ASSERT_NE(view, nullptr);
        pages = view->pageCount();
        view->print();  // what the preview's print button does once the printer is chosen
        preview->accept();
    });
    QString failure;
    try {
        PreviewSheet(sheet, printer, kName, nullptr);
    } catch (const EPrintError& e) {
        failure = e.Text();
    }
    EXPECT_EQ(failure, QStringLiteral("无法开始打印作业：/proc/no-such-folder/list.pdf"));
    EXPECT_EQ(pages, 1);  // the preview itself was drawn

    // Looked at and closed without printing: nothing failed.
    WhenModal([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    EXPECT_NO_THROW(PreviewSheet(sheet, printer, kName, nullptr));
}
