// Damaged workbooks from tests/fixtures/hostile in a report file: shown by the report window's
// sheet view and printed from it.
#include "QtPrinters.h"
#include "MainWindowTest.h"
#include "PdfWords.h"
#include "ReportTestData.h"
#include "printing/PrintDevice.h"
#include "printing/PrintInvoice.h"
#include "reports/TfrmMKSaleReport.h"
#include "workbook/TSheetView.h"

#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {
class HostileReportFile : public TMainWindowTest {
protected:
    void SetUp() override
    {
        InstallFontSubstitutions();
        StartMain(HeadCompanySql());
    }
    // The list window opened on a report file that holds the fixture.
    TfrmMKSaleReport* OpenOn(const char* fixture)
    {
        const QString list = ReportFolder(folder) + QStringLiteral("甲汽车销售有限公司2026年02月机动车销售统一发票清单.xlsx");
        WriteBytes(list, HostileBytes(QString::fromLatin1(fixture)));
        return Through<TfrmMKSaleReport>(main->SCFPQD);
    }
};
}  // namespace

TEST_F(HostileReportFile, AReportWhoseRelationshipClimbsOutIsShownAndPrintedAsUnreadable)
{
    auto* w = OpenOn("wb_rels_target_dotdot.xlsx");
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->OleContainer1->ErrorText().contains(QStringLiteral("指向包外")))
        << w->OleContainer1->ErrorText().toStdString();
    EXPECT_EQ(w->OleContainer1->SheetModel()->rowCount(), 0);
    w->btnPrt->click();
    EXPECT_EQ(dialogs.Shown().back().kind, TMsgKind::Warning);
    EXPECT_TRUE(LastText().startsWith(QStringLiteral("报表文件无法读取：工作簿的关系指向包外"))) << LastText().toStdString();
}

TEST_F(HostileReportFile, TheChainIsShownWithItsValues)
{
    auto* w = OpenOn("wb_formula_chain5000.xlsx");
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->OleContainer1->ErrorText().isEmpty()) << w->OleContainer1->ErrorText().toStdString();
    const TSheetModel* model = w->OleContainer1->SheetModel();
    EXPECT_EQ(model->rowCount(), 5009);
    EXPECT_EQ(model->index(9, 0).data().toString(), QStringLiteral("5000"));
    EXPECT_EQ(model->index(5008, 0).data().toString(), QStringLiteral("1"));
}

TEST_F(HostileReportFile, AMergeOverTheWholeSheetPrintsItsOnePage)
{
    auto* w = OpenOn("wb_merge_A1-XFD1048576_print.xlsx");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->OleContainer1->SheetModel()->rowCount(), 4);
    EXPECT_EQ(w->OleContainer1->SheetModel()->columnCount(), 7);
    const QString pdf = folder.File(QStringLiteral("merge.pdf"));
    qputenv(kPrintPdfVariable, pdf.toUtf8());
    const size_t boxes = dialogs.Shown().size();
    w->btnPrt->click();
    qunsetenv(kPrintPdfVariable);
    EXPECT_EQ(dialogs.Shown().size(), boxes) << LastText().toStdString();
    const std::vector<TPdfPage> pages = ReadPdfWords(pdf);
    ASSERT_EQ(pages.size(), 1u);
    // The merge's top-left cell spans the sheet: its title is drawn, what it covers is not.
    EXPECT_FALSE(FindWords(pages[0], QStringLiteral("机动车销售统一发票清单")).empty());
    EXPECT_TRUE(FindWords(pages[0], QStringLiteral("发票代码")).empty());
}
