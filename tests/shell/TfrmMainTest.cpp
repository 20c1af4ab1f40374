#include "QtPrinters.h"
#include "MainTestData.h"
#include "ProgramFolder.h"
#include "ScriptedDialogs.h"
#include "ShellTestSupport.h"
#include "core/Common.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "widgets/QtDialogs.h"
#include "shell/TfrmAbout.h"
#include "shell/TfrmBaseInfo.h"
#include "widgets/DataGrid.h"
#include "shell/TfrmCJCL.h"
#include "shell/TfrmMain.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <gtest/gtest.h>
#include <memory>

namespace {
// A work window that refuses every close request.
class TRefusingWindow : public QWidget {
    Q_OBJECT
public:
    explicit TRefusingWindow(QWidget* parent = nullptr) : QWidget(parent) { setAttribute(Qt::WA_DeleteOnClose); }

protected:
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

const QStringList kAllMenus{"文件", "发票开具", "发票管理", "查询", "合并报表", "生成上报数据", "企业基本信息设置", "关于"};
const QStringList kAllButtons{"Exit",         "KJZCFP",     "PLKJFP",       "FSFPKJ",        "FPRKGL",        "YKFPGL",
                              "WKFPGL",       "qrySaleAct", "qryInvRecAct", "importSaleAct", "exportSaleAct", "importInvAct",
                              "exportInvAct", "SCFPQD",     "SCLYCBB",      "ImportICData",  "infoAct",       "SCCJAct"};

class MainWindow : public ::testing::Test {
protected:
    void Start(const QString& sql = {})
    {
        if (!sql.isEmpty())
            folder.Sql(sql);
        context = std::make_unique<TTestContext>(folder);
        main = std::make_unique<TfrmMain>();
        main->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
        QApplication::processEvents();
    }
    void TearDown() override
    {
        EXPECT_TRUE(ConnectionIdle(folder)) << "at the end of the test";
        main.reset();
        context.reset();
    }
    // What the log gained since the mark.
    QStringList LogSince(int mark) const { return LogLines(folder.Path()).mid(mark); }
    int LogMark() const { return LogLines(folder.Path()).size(); }

    TTestProgramFolder folder;
    TScriptedDialogs dialogs;
    std::unique_ptr<TTestContext> context;
    std::unique_ptr<TfrmMain> main;
};
}  // namespace

TEST_F(MainWindow, AnEmptyCompanyRecordLeavesOnlyTheFileCompanyAndAboutMenusAndWarns)
{
    Start();
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Tallyra"));
    EXPECT_EQ(VisibleMenus(*main), (QStringList{"文件", "企业基本信息设置", "关于"}));
    EXPECT_EQ(VisibleToolButtons(*main), (QStringList{"Exit", "infoAct", "SCCJAct"}));
    EXPECT_EQ(VisibleMenuEntries(*main, 0), (QStringList{"修改口令", "打印设置", "退出"}));
    EXPECT_EQ(VisibleMenuEntries(*main, 7), (QStringList{"关于...", "帮助？", "在线升级"}));
    EXPECT_EQ(dialogs.Texts(), QStringList{"请输入企业基本信息！"});
    EXPECT_EQ(dialogs.Shown().at(0).kind, TMsgKind::Warning);
}

TEST_F(MainWindow, ABranchPointExportsAndAHeadPointImportsAndReports)
{
    Start(CompanySql(QStringLiteral("否")));
    EXPECT_TRUE(dialogs.Texts().isEmpty());
    EXPECT_EQ(VisibleMenus(*main), (QStringList{"文件", "发票开具", "发票管理", "查询", "合并报表", "企业基本信息设置", "关于"}));
    EXPECT_EQ(VisibleMenuEntries(*main, 4), (QStringList{"导出机动车销售统一发票清单", "导出机动车销售统一发票领用存月报表"}));
    EXPECT_EQ(VisibleToolButtons(*main),
              (QStringList{"Exit", "KJZCFP", "PLKJFP", "FSFPKJ", "FPRKGL", "YKFPGL", "WKFPGL", "qrySaleAct", "qryInvRecAct",
                           "exportSaleAct", "exportInvAct", "infoAct", "SCCJAct"}));
    EXPECT_EQ(main->StatusPanels[2]->text(), QStringLiteral("某汽车销售有限公司-一店"));

    DataBase->Run(QStringLiteral("update baseinfo set flag='是'"));
    LoadBaseInfo(*DataBase, CorpInfo);
    main->UpdateMenus();
    EXPECT_EQ(VisibleMenus(*main), kAllMenus);
    EXPECT_EQ(VisibleMenuEntries(*main, 4), (QStringList{"导入机动车销售统一发票清单", "导入机动车销售统一发票领用存月报表"}));
    EXPECT_EQ(VisibleMenuEntries(*main, 5),
              (QStringList{"生成《机动车销售统一发票清单》", "生成《机动车销售统一发票领用存月报表》", "导出电子申报数据",
                           "生成软盘申报数据"}));
    QStringList headButtons = kAllButtons;
    headButtons.removeAll(QStringLiteral("exportSaleAct"));
    headButtons.removeAll(QStringLiteral("exportInvAct"));
    EXPECT_EQ(VisibleToolButtons(*main), headButtons);
    // Panel 2 shows the record of the start only.
    EXPECT_EQ(main->StatusPanels[2]->text(), QStringLiteral("某汽车销售有限公司-一店"));

    // A flag of another value changes nothing of what is shown.
    CorpInfo.flag = QStringLiteral("X");
    main->UpdateMenus();
    EXPECT_EQ(VisibleToolButtons(*main), headButtons);
}

TEST_F(MainWindow, AnUnknownFlagAtStartUpShowsEveryMenuAndAction)
{
    Start(CompanySql(QStringLiteral("X")));
    EXPECT_EQ(VisibleMenus(*main), kAllMenus);
    EXPECT_EQ(VisibleToolButtons(*main), kAllButtons);
    EXPECT_EQ(VisibleMenuEntries(*main, 4).size(), 4);
}

// Every action stands in its one menu, in the menu's order, under its own name and caption.
TEST_F(MainWindow, EachMenuHoldsItsActionsInOrder)
{
    Start(CompanySql(QStringLiteral("X")));
    const QList<QStringList> expected{
        {"passAct 修改口令", "Action2 打印设置", "Exit 退出"},
        {"KJZCFP 单车销售发票开具", "PLKJFP 批量销售发票开具", "FSFPKJ 负数发票开具"},
        {"FPRKGL 发票入库管理", "YKFPGL 已开发票管理", "WKFPGL 未开发票管理"},
        {"qrySaleAct 开票记录查询", "qryInvRecAct 查询库存记录"},
        {"importSaleAct 导入机动车销售统一发票清单", "exportSaleAct 导出机动车销售统一发票清单",
         "importInvAct 导入机动车销售统一发票领用存月报表", "exportInvAct 导出机动车销售统一发票领用存月报表"},
        {"SCFPQD 生成《机动车销售统一发票清单》", "SCLYCBB 生成《机动车销售统一发票领用存月报表》",
         "ImportICData 导出电子申报数据", "SCRPSJ 生成软盘申报数据"},
        {"infoAct 企业基本信息", "SCCJAct 生产厂家维护"},
        {"aboutAct 关于...", "HelpAct 帮助？", "Action1 在线升级"},
    };
    ASSERT_EQ(main->MenuItems.size(), expected.size());
    int actions = 0;
    for (int m = 0; m < expected.size(); ++m) {
        QStringList entries;
        for (const QAction* a : main->MenuItems.at(m)->actions()) {
            entries << a->objectName() + u' ' + a->text();
            // The category a hint is shown under is the menu the action stands in.
            EXPECT_EQ(a->property("category").toString(), main->MenuItems.at(m)->title()) << a->objectName().toStdString();
        }
        EXPECT_EQ(entries, expected.at(m)) << kAllMenus.at(m).toStdString();
        actions += entries.size();
    }
    EXPECT_EQ(actions, 24) << "every action in a menu";
}

TEST_F(MainWindow, StatusBarHoldsTheClockTheHintsAndTheCompany)
{
    Start(CompanySql(QStringLiteral("是")));
    main->Timer1Timer();
    EXPECT_EQ(main->StatusPanels[0]->text(), QStringLiteral("当前时间：2026-03-05 14:07:09"));
    EXPECT_EQ(main->Timer1->interval(), 1000);
    EXPECT_TRUE(main->Timer1->isActive());
    EXPECT_EQ(main->StatusPanels[0]->width(), 200);
    EXPECT_EQ(main->StatusPanels[1]->width(), 300);

    main->SCFPQD->hover();
    EXPECT_EQ(main->StatusPanels[1]->text(), QStringLiteral("生成《机动车销售统一发票清单》"));
    // An action without a hint leaves the panel as it is.
    main->ImportICData->hover();
    EXPECT_EQ(main->StatusPanels[1]->text(), QStringLiteral("生成《机动车销售统一发票清单》"));
    // Moving over the bar outside its buttons clears the panel.
    QToolBar* bar = main->ActionToolBar1;
    QMouseEvent move(QEvent::MouseMove, QPointF(bar->width() - 2, bar->height() / 2),
                     bar->mapToGlobal(QPointF(bar->width() - 2, bar->height() / 2)), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &move);
    EXPECT_EQ(main->StatusPanels[1]->text(), QString());
}

TEST_F(MainWindow, IssuingWithoutStockWarnsAndTakesTheStockReceiptPath)
{
    Start(CompanySql(QStringLiteral("否")) + QStringLiteral("insert into CLLX(cllx) values('轿车');"));
    for (QAction* action : {main->KJZCFP, main->PLKJFP, main->FSFPKJ}) {
        dialogs.Clear();
        QSignalSpy receipt(main->FPRKGL, &QAction::triggered);
        QSignalSpy makers(main->SCCJAct, &QAction::triggered);
        action->trigger();
        EXPECT_EQ(dialogs.Texts(), QStringList{"取当前发票号码错误,请检查是否有可用的发票!"})
            << action->objectName().toStdString();
        EXPECT_EQ(dialogs.Shown().at(0).kind, TMsgKind::Warning);
        EXPECT_EQ(receipt.count(), 1);
        EXPECT_EQ(makers.count(), 0);
        EXPECT_EQ(OpenClasses(*main), QStringList{"TfrmLYFP"});
    }
    EXPECT_EQ(LogLines(folder.Path()).filter(QStringLiteral("打开发票入库管理")).size(), 3);
}

TEST_F(MainWindow, IssuingWithoutCarTypesWarnsAndOpensTheMakerWindow)
{
    Start(CompanySql(QStringLiteral("否")) + RollSql());
    const int mark = LogMark();
    QSignalSpy receipt(main->FPRKGL, &QAction::triggered);
    main->KJZCFP->trigger();
    EXPECT_EQ(dialogs.Texts(), QStringList{"请录入车辆类型和生产企业!"});
    EXPECT_EQ(receipt.count(), 0);
    EXPECT_EQ(OpenClasses(*main), QStringList{"TfrmCJCL"});
    EXPECT_EQ(LogSince(mark), QStringList{"打开生产厂家维护"});
    // Asking for the current invoice opened the received roll.
    EXPECT_EQ(DataBase->Scalar(QStringLiteral("select kczt from fpkcxx")).toString(), QStringLiteral("101"));

    // With a car type entered in that window the checks pass and no message comes.
    auto* cjcl = static_cast<TfrmCJCL*>(main->OpenChildren().at(0));
    cjcl->PageControl1->setCurrentIndex(1);
    cjcl->BitBtn13->click();
    cjcl->adotbCLLX->SetFieldValue(QStringLiteral("cllx"), QStringLiteral("轿车"));
    cjcl->BitBtn16->click();
    cjcl->BitBtn1->click();
    FreeClosedWindows();
    EXPECT_EQ(CarTypeList, QStringList{"轿车"});
    dialogs.Clear();
    const int before = LogMark();
    main->PLKJFP->trigger();
    EXPECT_TRUE(dialogs.Texts().isEmpty()) << dialogs.Texts().join(u'|').toStdString();
    EXPECT_EQ(OpenClasses(*main), QStringList{"TfrmPLMKInv"});
    EXPECT_EQ(LogSince(before).value(0), QStringLiteral("打开批量销售发票开具"));
}

TEST_F(MainWindow, TheIssuingAndPrintSettingActionsOpenTheirWindows)
{
    Start(CompanySql(QStringLiteral("否")) + RollSql() + QStringLiteral("insert into CLLX(cllx) values('轿车');"));
    const int mark = LogMark();
    main->KJZCFP->trigger();
    EXPECT_EQ(OpenClasses(*main), QStringList{"TfrmMKNormalInv"});
    main->FSFPKJ->trigger();
    FreeClosedWindows();
    EXPECT_EQ(OpenClasses(*main), QStringList{"TfrmCHInv"});
    main->Action2->trigger();
    FreeClosedWindows();
    EXPECT_EQ(OpenClasses(*main), QStringList{"TfrmAdjustPrint"});
    const QStringList lines = LogSince(mark);
    EXPECT_EQ(lines.mid(0, 5), (QStringList{"打开单车销售发票开具", "打开负数销售发票开具", "关闭正常销售发票开具",
                                            "关闭负数发票开具", "打开打印微调"}));
    // Its frame offers the system menu and minimising only, and sits in the middle.
    QWidget* frame = main->OpenChildren().at(0)->parentWidget();
    EXPECT_FALSE(frame->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(frame->windowFlags() & Qt::WindowMinimizeButtonHint);
    const QSize area = main->MDIClient->viewport()->size();
    EXPECT_NEAR(frame->geometry().center().x(), area.width() / 2, 2);
}

TEST_F(MainWindow, OneWindowReplacesAnotherWithTheLogLinesInTheActionsOrder)
{
    TUrlCatcher urls;
    Start(CompanySql(QStringLiteral("是")) +
          QStringLiteral("insert into CLLX(cllx) values('轿车');insert into CLLX(cllx) values('货车');"));
    const int mark = LogMark();
    main->infoAct->trigger();
    EXPECT_EQ(OpenClasses(*main), QStringList{"TfrmBaseInfo"});
    main->SCCJAct->trigger();
    EXPECT_EQ(OpenClasses(*main), QStringList{"TfrmCJCL"});
    main->passAct->trigger();
    EXPECT_EQ(OpenClasses(*main), QStringList{"TfrmUpdatePass"});
    main->Action1->trigger();
    EXPECT_EQ(OpenClasses(*main), QStringList{"TfrmUpdate"});
    FreeClosedWindows();
    EXPECT_EQ(main->MDIClient->subWindowList().size(), 1);
    EXPECT_TRUE(main->MDIClient->subWindowList().at(0)->isMaximized());  // its own layout
    EXPECT_EQ(LogSince(mark), (QStringList{"打开企业基本信息", "关闭企业基本信息", "打开生产厂家维护", "关闭生产厂家维护",
                                           "保存车辆类型:轿车", "货车", "", "打开修改用户口令"}));
    EXPECT_TRUE(RawLog(folder.Path()).contains(QStringLiteral("保存车辆类型:轿车\r\n货车\r\n\r\n")));

    // An opening that logs before closing writes its line before the closed window's line.
    const int second = LogMark();
    main->SCCJAct->trigger();
    const int third = LogMark();
    auto* info = main->OpenChild<TfrmBaseInfo>(main->PLKJFP);
    EXPECT_EQ(LogSince(third).mid(0, 2), (QStringList{"打开批量销售发票开具", "关闭生产厂家维护"}));
    EXPECT_EQ(LogSince(second).at(0), QStringLiteral("打开生产厂家维护"));
    EXPECT_TRUE(static_cast<QWidget*>(info->parentWidget())->isMaximized());
}

TEST_F(MainWindow, InvokingTheActionOfTheOpenWindowLeavesThatWindowOpen)
{
    Start(CompanySql(QStringLiteral("是")));
    const int mark = LogMark();
    main->infoAct->trigger();
    QWidget* first = main->OpenChildren().value(0);
    main->infoAct->trigger();
    FreeClosedWindows();
    ASSERT_EQ(OpenClasses(*main), QStringList{"TfrmBaseInfo"});
    EXPECT_NE(main->OpenChildren().at(0), first);  // the closed one is never reused
    EXPECT_TRUE(main->OpenChildren().at(0)->isVisible());
    EXPECT_EQ(main->MDIClient->subWindowList().size(), 1);
    EXPECT_EQ(LogSince(mark), (QStringList{"打开企业基本信息", "关闭企业基本信息", "打开企业基本信息"}));
}

TEST_F(MainWindow, AWindowThatClosesItselfTakesItsFrameAndOneThatRefusesStays)
{
    Start(CompanySql(QStringLiteral("是")));
    main->infoAct->trigger();
    auto* info = static_cast<TfrmBaseInfo*>(main->OpenChildren().at(0));
    info->btnClose->click();
    EXPECT_TRUE(main->OpenChildren().isEmpty());
    FreeClosedWindows();
    EXPECT_TRUE(main->MDIClient->subWindowList().isEmpty());

    auto* refusing = main->OpenChild<TRefusingWindow>(main->infoAct);
    EXPECT_EQ(main->OpenChild<TRefusingWindow>(main->infoAct), refusing);
    main->SCCJAct->trigger();  // the refusing window stays beside the new one
    FreeClosedWindows();
    EXPECT_EQ(OpenClasses(*main), (QStringList{"TRefusingWindow", "TfrmCJCL"}));
}

TEST_F(MainWindow, AboutAndHelpLeaveTheWorkWindowInPlaceAndWriteNoLine)
{
    TUrlCatcher urls;
    Start(CompanySql(QStringLiteral("是")));
    main->SCCJAct->trigger();
    const int mark = LogMark();
    QString title, label;
    WhenModal([&](QWidget* w) {
        auto* about = qobject_cast<TfrmAbout*>(w);
        ASSERT_NE(about, nullptr);
        title = about->windowTitle();
        label = about->Label1->text();
        EXPECT_FALSE(about->Image1->pixmap().isNull());
        about->BitBtn1->click();
    });
    main->aboutAct->trigger();
    EXPECT_EQ(title, QStringLiteral("关于"));
    EXPECT_EQ(label, QStringLiteral("Tallyra"));

    main->HelpAct->trigger();  // no help file in this folder: nothing happens
    EXPECT_TRUE(urls.Urls.isEmpty());
    folder.WriteFile(QStringLiteral("Corvane.html"), "<html></html>");
    main->HelpAct->trigger();
    EXPECT_EQ(urls.Urls, QList<QUrl>{QUrl::fromLocalFile(folder.File(QStringLiteral("Corvane.html")))});

    FreeClosedWindows();
    EXPECT_EQ(OpenClasses(*main), QStringList{"TfrmCJCL"});
    EXPECT_EQ(LogSince(mark), QStringList());
}

TEST_F(MainWindow, TheMissingCompanyWarningComesOncePerActivationNotAgainWhenItsBoxCloses)
{
    TQtDialogs qtDialogs;
    TDialogs* scripted = SetDialogs(&qtDialogs);
    int warnings = 0;
    QTimer closer;
    closer.setInterval(5);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        if (box->text() == QStringLiteral("请输入企业基本信息！"))
            ++warnings;
        box->buttons().at(0)->click();
        // As a window manager does, the activation goes back to the window under the box.
        QTimer::singleShot(0, main.get(), [this] { main->activateWindow(); });
    });
    closer.start();
    Start();
    QTest::qWait(300);
    EXPECT_EQ(warnings, 1);

    QWidget elsewhere;
    ASSERT_TRUE(ShowActive(&elsewhere));
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    QTest::qWait(300);
    EXPECT_EQ(warnings, 2);
    SetDialogs(scripted);
}

TEST_F(MainWindow, SavingTheCompanyAsABranchShowsTheBranchMenusOnClose)
{
    Start();
    main->infoAct->trigger();
    auto* info = static_cast<TfrmBaseInfo*>(main->OpenChildren().at(0));
    const QStringList values{
        "某汽车销售有限公司", "某市某路1号", "0571-8800000", "330100000000001", "某银行", "6222000000000001", "张三",
        "13301000000",        "一店"};
    QLineEdit* edits[] = {info->edtName,   info->edtAdd,   info->edtTel,         info->edtTaxID, info->edtBank,
                          info->edtAcount, info->edtMKMan, info->edtManageTaxID, info->edtKPD};
    for (int i = 0; i < 9; ++i)
        edits[i]->setText(values[i]);
    info->cmbFlag->setCurrentIndex(info->cmbFlag->findText(QStringLiteral("否")));
    info->btnSave->click();
    EXPECT_EQ(VisibleMenus(*main), (QStringList{"文件", "企业基本信息设置", "关于"}));  // not before the close
    info->btnClose->click();
    EXPECT_EQ(VisibleMenus(*main), (QStringList{"文件", "发票开具", "发票管理", "查询", "合并报表", "企业基本信息设置", "关于"}));
    EXPECT_EQ(VisibleMenuEntries(*main, 4), (QStringList{"导出机动车销售统一发票清单", "导出机动车销售统一发票领用存月报表"}));
}

TEST_F(MainWindow, ShowingRunsALeftOverUpdateFileAndClosingLogsTheExit)
{
    folder.Sql(CompanySql(QStringLiteral("是")));
    context = std::make_unique<TTestContext>(folder);
    folder.WriteFile(QStringLiteral("update.sql"), "insert into CLLX(cllx) values('客车')\n");
    main = std::make_unique<TfrmMain>();
    main->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    EXPECT_EQ(DataBase->Scalar(QStringLiteral("select cllx from CLLX")).toString(), QStringLiteral("客车"));
    EXPECT_FALSE(QFileInfo::exists(folder.File(QStringLiteral("update.sql"))));

    main->SCCJAct->trigger();
    main->Exit->trigger();
    EXPECT_FALSE(main->isVisible());
    main.reset();
    EXPECT_FALSE(DataBase);
    EXPECT_FALSE(SysLog);
    const QStringList log = folder.LogMessages();
    ASSERT_GE(log.size(), 2);
    EXPECT_EQ(log.mid(log.size() - 2), (QStringList{"退出开票系统！", "file closed!"}));
}

TEST_F(MainWindow, EachActionShowsACharacterOfItsOwn)
{
    Start();
    // The white strokes of the character, whatever the tile's colour.
    QSet<QByteArray> glyphs;
    const QList<QAction*> actions = main->findChildren<QAction*>(QString(), Qt::FindDirectChildrenOnly);
    int iconed = 0;
    for (const QAction* a : actions) {
        if (a->icon().isNull())
            continue;
        ++iconed;
        const QImage image = a->icon().pixmap(32).toImage().convertToFormat(QImage::Format_ARGB32);
        QByteArray strokes(image.width() * image.height(), '\0');
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                strokes[y * image.width() + x] = c.red() > 200 && c.green() > 200 && c.blue() > 200 ? '1' : '0';
            }
        EXPECT_FALSE(glyphs.contains(strokes)) << a->objectName().toStdString();
        glyphs.insert(strokes);
    }
    EXPECT_EQ(iconed, 24);
}

TEST(MainWindowBackground, BandsRunFromBlue239DownToBlack)
{
    QImage image(10, 512, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintBands(painter, image.size());
    painter.end();
    EXPECT_EQ(image.pixelColor(5, 0), QColor(0, 0, 239));
    EXPECT_EQ(image.pixelColor(5, 2), QColor(0, 0, 238));
    EXPECT_EQ(image.pixelColor(5, 2 * 238), QColor(0, 0, 1));
    EXPECT_EQ(image.pixelColor(5, 2 * 239), QColor(0, 0, 0));
    EXPECT_EQ(image.pixelColor(5, 511), QColor(0, 0, 0));
    // A height that does not divide into 256 bands still leaves no gap.
    QImage odd(3, 300, QImage::Format_RGB32);
    odd.fill(Qt::white);
    QPainter p2(&odd);
    PaintBands(p2, odd.size());
    p2.end();
    for (int y = 0; y < odd.height(); ++y)
        ASSERT_NE(odd.pixelColor(1, y), QColor(Qt::white)) << y;
}

#include "TfrmMainTest.moc"
