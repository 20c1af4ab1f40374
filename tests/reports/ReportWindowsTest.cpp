// The invoice list and floppy-disk windows as the clerk gets them: opened through the main
// window's actions, answered through the dialog layer.
#include "QtPrinters.h"
#include "MainWindowTest.h"
#include "OpenpyxlReader.h"
#include "PdfWords.h"
#include "ReportTestData.h"
#include "core/Clock.h"
#include "core/Common.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "printing/PrintInvoice.h"
#include "reports/TfrmMKSaleReport.h"
#include "reports/TfrmRPSBSJ.h"
#include "workbook/TSheetView.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QToolButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
const QString kCompany = QStringLiteral("甲汽车销售有限公司");
const QString kListName = QStringLiteral("甲汽车销售有限公司2026年02月机动车销售统一发票清单.xlsx");

class ReportWindows : public TMainWindowTest {
protected:
    void SetUp() override
    {
        InstallFontSubstitutions();
        StartMain(HeadCompanySql() + SaleSql("2026-02-03 10:00:00", "144001900111", "00000001", "0", "100000") +
                  SaleSql("2026-02-04 10:00:00", "144001900111", "00000002", "0", "50000.5") +
                  SaleSql("2026-02-05 10:00:00", "144001900111", "00000003", "2", "-100000"));
    }
    QString ListFile() const { return ReportFolder(folder) + kListName; }
    QStringList ReportFiles() const { return QDir(ReportFolder(folder)).entryList(QDir::Files | QDir::Hidden); }
};
}  // namespace

TEST_F(ReportWindows, TheListIsMadeShownAndPrintedAndPrintingNeverWritesIt)
{
    const int mark = LogMark();
    auto* w = Through<TfrmMKSaleReport>(main->SCFPQD);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->parentWidget()->isMaximized());
    EXPECT_EQ(w->edtPath->text(), folder.Path() + QStringLiteral("报表/"));
    EXPECT_EQ(w->OleContainer1->SheetModel()->rowCount(), 0);

    w->btnMakeRep->click();
    EXPECT_EQ(LastText(), QStringLiteral("成功生成") + kListName);
    EXPECT_EQ(LogSince(mark), QStringList({QStringLiteral("打开生成《机动车销售统一发票清单》"),
                                           QStringLiteral("成功生成") + ListFile(), QStringLiteral("生成") + ListFile()}));
    // The view shows the file made: cells, the merged title, widths and the frame.
    const TSheetModel* model = w->OleContainer1->SheetModel();
    EXPECT_EQ(model->index(7, 0).data().toString(), QStringLiteral("合计"));
    EXPECT_EQ(model->index(7, 6).data().toString(), QStringLiteral("  50000.50"));
    EXPECT_EQ(model->index(4, 2).data().toString(), QStringLiteral("00000001"));
    EXPECT_EQ(w->OleContainer1->columnSpan(0, 0), 7);
    EXPECT_EQ(w->OleContainer1->columnWidth(3), ColumnPixels(30));
    EXPECT_TRUE(model->index(3, 0).data(Qt::FontRole).value<QFont>().bold());
    EXPECT_EQ(model->index(7, 6).data(TSheetModel::BordersRole).toInt(), 15);
    EXPECT_EQ(model->index(8, 6).data(TSheetModel::BordersRole).toInt(), 0);

    const QByteArray made = folder.ReadFile(QStringLiteral("报表/") + kListName);
    const QDateTime madeAt = QFileInfo(ListFile()).lastModified();
    const QString pdf = folder.File(QStringLiteral("list.pdf"));
    qputenv("TALLYRA_PRINT_PDF", pdf.toUtf8());
    w->btnPrt->click();
    qunsetenv("TALLYRA_PRINT_PDF");
    const std::vector<TPdfPage> pages = ReadPdfWords(pdf);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(QFileInfo(ListFile()).lastModified(), madeAt);  // not written again

    // Made again: asked first; "否" changes nothing, "是" makes it anew.
    const int again = LogMark();
    dialogs.Answer(mbNo);
    w->btnMakeRep->click();
    EXPECT_EQ(LastText(), ListFile() + QStringLiteral("已经存在，是否重新生成？？"));
    EXPECT_EQ(dialogs.Shown().back().kind, TMsgKind::Confirmation);
    EXPECT_TRUE(LogSince(again).isEmpty());
    dialogs.Answer(mbYes);
    w->btnMakeRep->click();
    EXPECT_EQ(LogSince(again), QStringList({QStringLiteral("重新生成报表:") + ListFile(), QStringLiteral("成功生成") + ListFile(),
                                            QStringLiteral("生成") + ListFile()}));
    EXPECT_EQ(folder.ReadFile(QStringLiteral("报表/") + kListName), made);  // the same month's list, the same bytes
    EXPECT_EQ(ReportFiles(), QStringList{kListName});

    w->BitBtn2->click();
    FreeClosedWindows();
    EXPECT_TRUE(main->OpenChildren().isEmpty());
    EXPECT_EQ(LogLines(folder.Path()).last(), QStringLiteral("关闭生成《机动车销售统一发票清单》"));
    EXPECT_EQ(dialogs.Unanswered(), 0) << dialogs.Texts().join(u'|').toStdString();
}

// The list window takes its month as the statement window does, tested there over a year's end.
TEST_F(ReportWindows, TheFloppyWindowNamesTheCalendarMonthBeforeTodays)
{
    const struct {
        QDateTime now;
        const char* month;
        const char* title;
    } days[] = {{QDateTime(QDate(2027, 1, 1), QTime(0, 0)), "2026-12", "2026年12月"},
                {QDateTime(QDate(2026, 3, 31), QTime(23, 59, 59)), "2026-02", "2026年02月"}};
    for (const auto& day : days) {
        SetClock([t = day.now] { return t; });
        auto* disk = Through<TfrmRPSBSJ>(main->SCRPSJ);
        ASSERT_NE(disk, nullptr);
        EXPECT_EQ(disk->ReportMonth, QString::fromLatin1(day.month));
        EXPECT_EQ(disk->ReportFile, disk->edtPath->text() + kCompany + QString::fromUtf8(day.title) +
                                        QStringLiteral("机动车销售统一发票清单.xlsx"));
        disk->btnCancel->click();
        FreeClosedWindows();
    }
}

TEST_F(ReportWindows, AFailedMakeIsReportedAndLeavesTheEarlierListByteForByte)
{
    auto* w = Through<TfrmMKSaleReport>(main->SCFPQD);
    ASSERT_NE(w, nullptr);
    w->btnMakeRep->click();
    const QByteArray earlier = folder.ReadFile(QStringLiteral("报表/") + kListName);
    const QByteArray templateBytes = folder.ReadFile(QStringLiteral("template/机动车销售统一发票清单.xlsx"));
    ASSERT_FALSE(earlier.isEmpty());

    const struct {
        const char* what;
        std::function<void()> breakIt, mendIt;
    } faults[] = {
        {"template no workbook",
         [&] { folder.WriteFile(QStringLiteral("template/机动车销售统一发票清单.xlsx"), "PK\x03\x04 junk"); },
         [&] { folder.WriteFile(QStringLiteral("template/机动车销售统一发票清单.xlsx"), templateBytes); }},
        {"no invoice table", [&] { DataBase->Run(QStringLiteral("alter table SaleDetail rename to SaleDetail2")); },
         [&] { DataBase->Run(QStringLiteral("alter table SaleDetail2 rename to SaleDetail")); }},
        {"amount not a number",
         [&] { DataBase->Run(QStringLiteral("update SaleDetail set jwjehj='12,5' where fphm='00000002'")); },
         [&] { DataBase->Run(QStringLiteral("update SaleDetail set jwjehj=50000.5 where fphm='00000002'")); }},
    };
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.what);
        fault.breakIt();
        const int mark = LogMark();
        dialogs.Clear();
        dialogs.Answer(mbYes);
        w->btnMakeRep->click();
        ASSERT_EQ(dialogs.Shown().size(), 2u);
        const TShownBox& box = dialogs.Shown().back();
        EXPECT_EQ(box.kind, TMsgKind::Warning);
        EXPECT_TRUE(box.text.startsWith(QStringLiteral("生成报表失败："))) << box.text.toStdString();
        EXPECT_EQ(LogSince(mark), QStringList({QStringLiteral("重新生成报表:") + ListFile(), box.text + u' ' + ListFile()}));
        EXPECT_EQ(folder.ReadFile(QStringLiteral("报表/") + kListName), earlier);
        EXPECT_EQ(ReportFiles(), QStringList{kListName});  // no temporary file, no unfilled template
        EXPECT_EQ(w->OleContainer1->SheetModel()->index(7, 0).data().toString(), QStringLiteral("合计"));
        fault.mendIt();
    }
    EXPECT_EQ(folder.ReadFile(QStringLiteral("template/机动车销售统一发票清单.xlsx")), templateBytes);

    // Where the list cannot go: a missing report folder, one that cannot take files, a
    // company name that would name another folder. Nothing is created.
    const auto failsToMake = [&](const char* what) {
        SCOPED_TRACE(what);
        const int mark = LogMark();
        dialogs.Clear();
        w->btnMakeRep->click();
        ASSERT_EQ(dialogs.Shown().size(), 1u);
        EXPECT_TRUE(LastText().startsWith(QStringLiteral("生成报表失败："))) << LastText().toStdString();
        EXPECT_EQ(LogSince(mark), QStringList{LastText() + u' ' + w->ReportFile});
        EXPECT_FALSE(QFileInfo::exists(w->ReportFile));
    };
    QDir(ReportFolder(folder)).removeRecursively();
    failsToMake("no report folder");
    EXPECT_FALSE(QFileInfo::exists(ReportFolder(folder)));  // never created
    ASSERT_TRUE(QFile::link(QStringLiteral("/proc"), folder.File(QStringLiteral("报表"))));
    failsToMake("a folder no file can be made in");
    QFile::remove(folder.File(QStringLiteral("报表")));
    QDir(folder.Path()).mkdir(QStringLiteral("报表"));
    w->close();
    FreeClosedWindows();
    CorpInfo.corpName = QStringLiteral("甲/乙公司");
    w = Through<TfrmMKSaleReport>(main->SCFPQD);
    ASSERT_NE(w, nullptr);
    failsToMake("a slash in the company name");
    EXPECT_TRUE(LastText().startsWith(QStringLiteral("生成报表失败：文件名不能含有“/”"))) << LastText().toStdString();
    EXPECT_TRUE(ReportFiles().isEmpty());

    // No template: said so, nothing written or logged.
    QFile::remove(folder.File(QStringLiteral("template/机动车销售统一发票清单.xlsx")));
    const int mark = LogMark();
    w->btnMakeRep->click();
    EXPECT_EQ(LastText(), QStringLiteral("模板文件不存在！"));
    EXPECT_EQ(dialogs.Shown().back().kind, TMsgKind::Confirmation);
    EXPECT_TRUE(LogSince(mark).isEmpty());
}

TEST_F(ReportWindows, PrintingTellsAMissingOrUnreadableListFromAFailedPrint)
{
    auto* w = Through<TfrmMKSaleReport>(main->SCFPQD);
    ASSERT_NE(w, nullptr);
    w->btnPrt->click();
    EXPECT_EQ(LastText(), QStringLiteral("报表文件不存在!"));
    EXPECT_EQ(dialogs.Shown().back().kind, TMsgKind::Warning);
    w->close();
    FreeClosedWindows();

    // A damaged list: the view says why where the sheet would be, and so does printing.
    folder.WriteFile(QStringLiteral("报表/") + kListName, "damaged");
    w = Through<TfrmMKSaleReport>(main->SCFPQD);
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(w->OleContainer1->ErrorText().isEmpty());
    EXPECT_EQ(w->OleContainer1->SheetModel()->rowCount(), 0);
    w->btnPrt->click();
    EXPECT_EQ(dialogs.Shown().back().kind, TMsgKind::Warning);
    EXPECT_TRUE(LastText().startsWith(QStringLiteral("报表文件无法读取："))) << LastText().toStdString();

    dialogs.Answer(mbYes);
    w->btnMakeRep->click();
    EXPECT_TRUE(w->OleContainer1->ErrorText().isEmpty());
    qputenv("TALLYRA_PRINT_PDF", "/proc/no-such-folder/list.pdf");
    w->btnPrt->click();
    qunsetenv("TALLYRA_PRINT_PDF");
    EXPECT_EQ(dialogs.Shown().back().kind, TMsgKind::Warning);
    EXPECT_TRUE(LastText().startsWith(QStringLiteral("打印失败："))) << LastText().toStdString();
}

TEST_F(ReportWindows, TheFloppyWindowWritesIntoThePickedFolderThenClosesAndRemembersIt)
{
    QTemporaryDir picked;
    const QString target = picked.path() + QStringLiteral("/申报");
    ASSERT_TRUE(QDir().mkpath(target));

    const int mark = LogMark();
    auto* w = Through<TfrmRPSBSJ>(main->SCRPSJ);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(LogSince(mark), QStringList{QStringLiteral("生成软盘申报数据")});
    EXPECT_FALSE(w->parentWidget()->isMaximized());
    EXPECT_EQ(w->size(), QSize(379, 244));
    EXPECT_FALSE(w->parentWidget()->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(w->edtPath->text(), QDir::homePath() + u'/');
    EXPECT_EQ(w->edtName->text(), kListName);
    EXPECT_FALSE(w->Panel2->isVisible());

    // A cancelled picker changes nothing; a folder gets its "/", a root no second one.
    dialogs.AnswerPath(QString());
    w->sbtnSelDir->click();
    EXPECT_EQ(w->edtPath->text(), QDir::homePath() + u'/');
    dialogs.AnswerPath(QStringLiteral("/"));
    w->sbtnSelDir->click();
    EXPECT_EQ(w->ReportFile, u'/' + kListName);
    dialogs.AnswerPath(target + QStringLiteral("/missing"));
    w->sbtnSelDir->click();
    EXPECT_EQ(w->edtPath->text(), target + QStringLiteral("/missing/"));

    // Refused until cancelled or done: closing it, and other windows opening, leave it open;
    // its action brings it back.
    w->parentWidget()->close();
    main->SCFPQD->trigger();
    FreeClosedWindows();
    EXPECT_EQ(Through<TfrmRPSBSJ>(main->SCRPSJ), w);
    EXPECT_EQ(main->MDIClient->activeSubWindow()->widget(), w);

    // A folder that is not there: reported, the window stays.
    int before = LogMark();
    dialogs.Clear();
    w->btnOK->click();
    FreeClosedWindows();
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_TRUE(LastText().startsWith(QStringLiteral("生成申报数据失败："))) << LastText().toStdString();
    EXPECT_EQ(LogSince(before), QStringList{LastText() + u' ' + w->ReportFile});
    EXPECT_FALSE(w->Panel2->isVisible());
    EXPECT_FALSE(QFileInfo::exists(target + QStringLiteral("/missing")));
    ASSERT_EQ(Through<TfrmRPSBSJ>(main->SCRPSJ), w);

    dialogs.AnswerPath(target);
    w->sbtnSelDir->click();
    before = LogMark();
    bool panelHiddenAtTheMessage = false;
    dialogs.OnShow = [&](const TShownBox&) { panelHiddenAtTheMessage = !w->Panel2->isVisible(); };
    w->btnOK->click();
    dialogs.OnShow = nullptr;
    const QString file = target + u'/' + kListName;
    EXPECT_EQ(LastText(), QStringLiteral("成功生成") + kListName);
    EXPECT_TRUE(panelHiddenAtTheMessage);
    EXPECT_EQ(LogSince(before), QStringList{QStringLiteral("成功生成") + file});
    FreeClosedWindows();
    EXPECT_TRUE(main->OpenChildren().isEmpty());
    const QJsonObject s = ReadWithOpenpyxl(file);
    EXPECT_EQ(OpenpyxlCell(s, QStringLiteral("A8"))["value"].toString(), QStringLiteral("合计"));
    EXPECT_EQ(OpenpyxlCell(s, QStringLiteral("C5"))["value"].toString(), QStringLiteral("00000001"));
    EXPECT_EQ(OpenpyxlCell(s, QStringLiteral("A4"))["borders"].toString(), QString());  // no frame on the disk's copy

    // The next time it starts in that folder; a second run asks before replacing the file.
    w = Through<TfrmRPSBSJ>(main->SCRPSJ);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->edtPath->text(), target + u'/');
    dialogs.Answer(mbNo);
    w->btnOK->click();
    EXPECT_EQ(LastText(), file + QStringLiteral("已经存在，是否重新生成？？"));
    FreeClosedWindows();
    EXPECT_EQ(Through<TfrmRPSBSJ>(main->SCRPSJ), w);
    before = LogMark();
    w->btnCancel->click();
    FreeClosedWindows();
    EXPECT_TRUE(main->OpenChildren().isEmpty());
    EXPECT_TRUE(LogSince(before).isEmpty());  // closing logs nothing
}

TEST_F(ReportWindows, AnOpenFloppyWindowNeverKeepsTheProgramFromQuitting)
{
    auto* w = Through<TfrmRPSBSJ>(main->SCRPSJ);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(main->close());
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(LogLines(folder.Path()).last(), QStringLiteral("退出开票系统！"));
}

// The floppy window shows the whole file name, wrapped, however long the company's name.
TEST_F(ReportWindows, TheFloppyWindowShowsTheWholeFileName)
{
    DataBase->Run(QStringLiteral("update baseinfo set corpName='广东省广州市天河区某某某汽车销售服务有限责任公司'"));
    LoadBaseInfo(*DataBase, CorpInfo);
    auto* w = Through<TfrmRPSBSJ>(main->SCRPSJ);
    ASSERT_NE(w, nullptr);
    const QString name = QStringLiteral("广东省广州市天河区某某某汽车销售服务有限责任公司2026年02月机动车销售统一发票清单.xlsx");
    EXPECT_EQ(w->edtName->text(), name);
    EXPECT_EQ(w->edtName->toolTip(), name);
    EXPECT_EQ(w->size(), QSize(379, 244));
    ASSERT_TRUE(w->edtName->isVisible());
    QWidget* shown = w->edtName;
    ASSERT_GT(shown->fontMetrics().horizontalAdvance(name), shown->width()) << "longer than a line";
    const auto* wrapped = qobject_cast<QLabel*>(shown);
    ASSERT_TRUE(wrapped && wrapped->wordWrap()) << "a line would cut it";
    EXPECT_LE(wrapped->heightForWidth(wrapped->width()), wrapped->height()) << "every line of it shown";
    EXPECT_TRUE(w->rect().contains(w->edtName->mapTo(w, w->edtName->rect().bottomRight())));
    EXPECT_EQ(w->ReportFile, w->edtPath->text() + name);
    w->btnCancel->click();
}

// Making a report over one made before asks first, with "否" as the button Enter presses.
TEST_F(ReportWindows, RemakingAnExistingReportIsAskedWithNoAsTheDefault)
{
    auto* w = Through<TfrmMKSaleReport>(main->SCFPQD);
    ASSERT_NE(w, nullptr);
    w->btnMakeRep->click();
    ASSERT_EQ(LastText(), QStringLiteral("成功生成") + kListName);
    dialogs.Clear();
    dialogs.Answer(mbNo);
    w->btnMakeRep->click();
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(dialogs.Shown().front().text, ListFile() + QStringLiteral("已经存在，是否重新生成？？"));
    EXPECT_EQ(dialogs.Shown().front().defaultButton, mbNo);

    auto* disk = Through<TfrmRPSBSJ>(main->SCRPSJ);
    ASSERT_NE(disk, nullptr);
    QFile made(disk->ReportFile);
    ASSERT_TRUE(made.open(QIODevice::WriteOnly));
    made.close();
    dialogs.Clear();
    dialogs.Answer(mbNo);
    disk->btnOK->click();
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(dialogs.Shown().front().defaultButton, mbNo);
    QFile::remove(disk->ReportFile);
    disk->btnCancel->click();
}
