#include "IssuingTestData.h"
#include "ProgramFolder.h"
#include "ScriptedDialogs.h"
#include "Typing.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "invoices/TframeInput.h"
#include "invoices/TfrmMKNormalInv.h"
#include "invoices/TfrmPLMKInv.h"
#include "printing/TPrintTemplate.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>

#include <gtest/gtest.h>
#include <memory>

namespace {
class IssueWindowsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SeedIssuing(folder);
        UseDefaultTemplate(folder);
        context = std::make_unique<TTestContext>(folder);
        pdf = folder.File(QStringLiteral("invoice.pdf"));
        PrintInto(pdf);
    }
    void TearDown() override
    {
        EXPECT_TRUE(ConnectionIdle(folder)) << "at the end of the test";
        delete window.data();
        context.reset();
    }
    template <class W>
    W* Open()
    {
        auto* w = new W;
        window = w;
        ShowActive(*w);
        return w;
    }
    // Focuses a field and types into it as the clerk would.
    static void Type(QWidget* field, const QString& text)
    {
        field->setFocus();
        TypeText(QApplication::focusWidget(), text);
    }
    // Types a car's sale into the frame.
    static void TypeSale(TframeInput& f, int car)
    {
        Type(f.edtGHDW, QStringLiteral("广州某某贸易有限公司"));
        Type(f.edtGHDWID, QStringLiteral("44010119900101123X"));
        TypeCar(f, car);
        Type(f.edtDJ, QStringLiteral("98000"));
        Type(f.edtSKR, QStringLiteral("王出纳"));
    }
    // The fields of one car.
    static void TypeCar(TframeInput& f, int car)
    {
        Type(f.edtHGZHM, QStringLiteral("WAB%1").arg(car));
        Type(f.edtFDJH, QStringLiteral("ENG%1").arg(car));
        Type(f.edtCJHM, QStringLiteral("lsvab2b3%1").arg(car, 9, 10, QChar(u'0')));
    }
    // Answers the paper-number box with the number shown and the continue question with yes or no.
    void ScriptIssue(TframeInput& f, bool goOn)
    {
        dialogs.AnswerInput(f.stFPHM->text());
        dialogs.Answer(mbOK);  // load the paper
        dialogs.Answer(goOn ? mbYes : mbNo);
    }
    static void Settle()
    {
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    }
    QStringList Numbers()
    {
        QStringList n;
        QSqlQuery q = DataBase->Run(QStringLiteral("select fphm from SaleDetail order by fphm"));
        while (q.next())
            n << q.value(0).toString();
        return n;
    }

    TTestProgramFolder folder;
    std::unique_ptr<TTestContext> context;
    TScriptedDialogs dialogs;
    QPointer<QWidget> window;
    QString pdf;
};

TEST_F(IssueWindowsTest, WindowsCarryTheirCaptionsControlsAndCentredPanel)
{
    auto* w = Open<TfrmMKNormalInv>();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("单车销售发票开具"));
    EXPECT_EQ(w->minimumSize(), QSize(770, 527));
    EXPECT_TRUE(w->testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_EQ(w->btnAdd->text(), QStringLiteral("清空发票"));
    EXPECT_EQ(w->btnPrt->text(), QStringLiteral("存盘打印"));
    EXPECT_EQ(w->btnClose->text(), QStringLiteral("放弃退出"));
    for (const char* name : {"Panel1", "Panel2", "frameInput1", "btnAdd", "btnPrt", "btnClose", "edtGHDW", "cmbCPXH",
                             "edtFDJH", "stJFJEDX", "edtSKR"})
        EXPECT_NE(w->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_EQ(w->frameInput1->stFPHM->text(), QStringLiteral("00001001"));
    EXPECT_EQ(w->frameInput1->FMode, 0);
    w->resize(1001, 800);
    EXPECT_EQ(w->Panel1->x(), (1001 - w->Panel1->width()) / 2);
    EXPECT_EQ(w->Panel1->y(), (800 - w->Panel1->height()) / 2);
    EXPECT_LE(w->Panel1->width(), 770);

    auto* b = new TfrmPLMKInv;
    EXPECT_EQ(b->windowTitle(), QStringLiteral("批量销售发票开具"));
    EXPECT_EQ(b->minimumSize(), QSize(770, 532));
    delete b;
}

TEST_F(IssueWindowsTest, SingleCarWindowIssuesAndCloses)
{
    auto* w = Open<TfrmMKNormalInv>();
    TypeSale(*w->frameInput1, 1);
    ScriptIssue(*w->frameInput1, false);
    QTest::mouseClick(w->btnPrt, Qt::LeftButton);
    Settle();
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(dialogs.Unanswered(), 0);
    EXPECT_EQ(dialogs.Shown().back().text, QStringLiteral("开票成功，是否继续开票？？？"));
    EXPECT_EQ(dialogs.Shown().back().kind, TMsgKind::Confirmation);

    // Row, stock, log line and paper agree.
    QSqlQuery q = DataBase->Run(QStringLiteral("select fphm,ghdw,cjhm,dj,fdjhm from SaleDetail"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), QStringLiteral("00001001"));
    EXPECT_EQ(q.value(1).toString(), QStringLiteral("广州某某贸易有限公司"));
    EXPECT_EQ(q.value(2).toString(), QStringLiteral("LSVAB2B3000000001"));
    EXPECT_EQ(q.value(3).toDouble(), 98000.0);
    EXPECT_FALSE(q.next());
    EXPECT_EQ(DbValue(QStringLiteral("select dqhm||'/'||syfs from fpkcxx")).toString(), QStringLiteral("00001002/49"));
    const QStringList log = folder.LogMessages();
    const int issued = log.indexOf(QStringLiteral("开单车销售发票:") + PrintTpl->GetValueString());
    ASSERT_GE(issued, 0) << log.join(u'\n').toStdString();
    EXPECT_TRUE(log.at(issued).contains(QStringLiteral("^98000.00^")));
    EXPECT_EQ(log.indexOf(QStringLiteral("关闭正常销售发票开具")), issued + 1);
    const QStringList words = PdfWords(pdf);
    for (const char* printed : {"广州某某贸易有限公司", "LSVAB2B3000000001", "98000.00", "ENG1"})
        EXPECT_TRUE(words.contains(QString::fromUtf8(printed))) << printed;
}

TEST_F(IssueWindowsTest, ContinuingPreparesTheNextEmptyInvoice)
{
    auto* w = Open<TfrmMKNormalInv>();
    TypeSale(*w->frameInput1, 1);
    ScriptIssue(*w->frameInput1, true);
    w->btnPrt->click();
    Settle();
    ASSERT_FALSE(window.isNull());
    EXPECT_EQ(w->frameInput1->stFPHM->text(), QStringLiteral("00001002"));
    EXPECT_TRUE(w->frameInput1->edtGHDW->text().isEmpty());
    EXPECT_FALSE(w->frameInput1->edtGHDW->isReadOnly());

    // Enter in the payee field issues as the button does.
    TypeSale(*w->frameInput1, 2);
    ScriptIssue(*w->frameInput1, false);
    w->frameInput1->edtSKR->setFocus();
    QTest::keyClick(w->frameInput1->edtSKR, Qt::Key_Return);
    Settle();
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(Numbers(), (QStringList{"00001001", "00001002"}));
    EXPECT_EQ(folder.LogMessages().filter(QStringLiteral("开单车销售发票:")).size(), 2);
}

TEST_F(IssueWindowsTest, AFailedCheckOrIssueKeepsTheWindowAndItsData)
{
    auto* w = Open<TfrmMKNormalInv>();
    TypeSale(*w->frameInput1, 1);
    w->frameInput1->edtCD->clear();
    w->btnPrt->click();
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("产地不能为空！")});
    EXPECT_TRUE(w->frameInput1->edtCD->hasFocus());

    Type(w->frameInput1->edtCD, QStringLiteral("广州"));
    PrintInto(folder.File(QStringLiteral("missing/invoice.pdf")));
    dialogs.Clear();
    dialogs.AnswerInput(QStringLiteral("00001001"));
    w->btnPrt->click();
    Settle();
    ASSERT_FALSE(window.isNull());
    EXPECT_EQ(dialogs.Texts().last(), QStringLiteral("开票失败！"));
    EXPECT_EQ(w->frameInput1->edtGHDW->text(), QStringLiteral("广州某某贸易有限公司"));
    EXPECT_EQ(DbCount(QStringLiteral("select count(*) from SaleDetail")), 0);
    EXPECT_TRUE(folder.LogMessages().filter(QStringLiteral("开单车销售发票:")).isEmpty());

    // The clerk fixes the printer and tries again with the same number.
    PrintInto(pdf);
    ScriptIssue(*w->frameInput1, false);
    w->btnPrt->click();
    Settle();
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(Numbers(), QStringList{QStringLiteral("00001001")});
}

TEST_F(IssueWindowsTest, GivingUpClosesWithTheClosingLine)
{
    auto* w = Open<TfrmMKNormalInv>();
    TypeSale(*w->frameInput1, 1);
    w->btnClose->click();
    Settle();
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(folder.LogMessages().last(), QStringLiteral("关闭正常销售发票开具"));
    EXPECT_EQ(DbCount(QStringLiteral("select count(*) from SaleDetail")), 0);
    EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(IssueWindowsTest, BatchIssuesConsecutiveNumbersForOneBuyer)
{
    auto* w = Open<TfrmPLMKInv>();
    TframeInput& f = *w->frameInput1;
    TypeSale(f, 1);
    f.cmbCPXH->setCurrentIndex(1);
    emit f.cmbCPXH->activated(1);
    f.edtCD->setFocus();
    f.edtCD->selectAll();
    TypeText(f.edtCD, QStringLiteral("上海嘉定"));
    Type(f.edtJWFY1, QStringLiteral("上牌"));
    Type(f.edtJWJE1, QStringLiteral("500"));
    Type(f.edtSKR, QString());
    for (int car = 1; car <= 3; ++car) {
        SCOPED_TRACE(car);
        if (car > 1) {
            // Shared fields kept and locked; the car's own fields typed anew.
            EXPECT_EQ(f.edtGHDW->text(), QStringLiteral("广州某某贸易有限公司"));
            EXPECT_TRUE(f.edtGHDW->isReadOnly());
            EXPECT_FALSE(f.cmbCPXH->isEnabled());
            EXPECT_EQ(f.edtCD->text(), QStringLiteral("上海嘉定"));
            EXPECT_TRUE(f.edtCJHM->text().isEmpty());
            EXPECT_TRUE(f.edtHGZHM->hasFocus());
            TypeCar(f, car);
        }
        ScriptIssue(f, car < 3);
        w->btnPrt->click();
        Settle();
    }
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(Numbers(), (QStringList{"00001001", "00001002", "00001003"}));
    EXPECT_EQ(DbCount(QStringLiteral("select count(*) from SaleDetail where ghdw='广州某某贸易有限公司' and cpxh='B型' "
                                     "and sccj='乙厂' and cd='上海嘉定' and dj=98000 and jwfy1='上牌' and jwje1=500 "
                                     "and skr='王出纳'")),
              3);
    EXPECT_EQ(DbCount(QStringLiteral("select count(distinct cjhm) from SaleDetail")), 3);
    const QStringList log = folder.LogMessages();
    EXPECT_EQ(log.filter(QStringLiteral("批量开具发票:")).size(), 3);
    EXPECT_EQ(log.last(), QStringLiteral("关闭批量销售发票开具"));
}

TEST_F(IssueWindowsTest, BatchClearingBeforeTheFirstInvoiceLocksNothing)
{
    auto* w = Open<TfrmPLMKInv>();
    TframeInput& f = *w->frameInput1;
    w->btnAdd->click();
    EXPECT_FALSE(f.edtGHDW->isReadOnly());
    EXPECT_TRUE(f.cmbCPXH->isEnabled());
    TypeSale(f, 1);
    EXPECT_EQ(f.edtGHDW->text(), QStringLiteral("广州某某贸易有限公司"));
    ScriptIssue(f, true);
    w->btnPrt->click();
    Settle();
    ASSERT_FALSE(window.isNull());
    // After the first invoice "清空发票" keeps the sale's fields.
    w->btnAdd->click();
    EXPECT_TRUE(f.edtGHDW->isReadOnly());
    EXPECT_EQ(f.edtGHDW->text(), QStringLiteral("广州某某贸易有限公司"));
    EXPECT_EQ(f.stFPHM->text(), QStringLiteral("00001002"));
}

TEST_F(IssueWindowsTest, UsingTheLastBlankAndContinuingCloses)
{
    DbExec(QStringLiteral("update fpkcxx set dqhm='00001050', syfs=1"));
    auto* w = Open<TfrmPLMKInv>();
    EXPECT_EQ(w->frameInput1->stFPHM->text(), QStringLiteral("00001050"));
    TypeSale(*w->frameInput1, 1);
    ScriptIssue(*w->frameInput1, true);
    w->btnPrt->click();
    Settle();
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(dialogs.Texts().last(), QStringLiteral("取当前发票号码错误,请检查是否有可用的发票!"));
    const QStringList log = folder.LogMessages();
    EXPECT_EQ(log.last(), QStringLiteral("关闭批量销售发票开具"));
    EXPECT_EQ(log.at(log.size() - 2).left(7), QStringLiteral("批量开具发票:"));
}

TEST_F(IssueWindowsTest, OpeningWithoutStockShowsTheWarningAndIssuesNothing)
{
    DbExec(QStringLiteral("update fpkcxx set syfs=0"));
    auto* w = Open<TfrmMKNormalInv>();
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("取当前发票号码错误,请检查是否有可用的发票!")});
    TypeSale(*w->frameInput1, 1);
    dialogs.Clear();
    w->btnPrt->click();
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("开票失败！")});
    EXPECT_EQ(DbCount(QStringLiteral("select count(*) from SaleDetail")), 0);
}
}  // namespace
