#include "IssueWindowTest.h"
#include "IssuingTestData.h"
#include "ManagementTestData.h"
#include "ProgramFolder.h"
#include "ScriptedDialogs.h"
#include "Typing.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "invoices/TframeInput.h"
#include "invoices/TfrmMKNormalInv.h"
#include "invoices/TfrmPLMKInv.h"
#include "invoices/TIssueWindow.h"
#include "printing/TPrintTemplate.h"
#include "widgets/QtDialogs.h"
#include "widgets/TfrmInput.h"

#include <QApplication>
#include <QComboBox>
#include <QMdiArea>
#include <QMessageBox>
#include <QTimer>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>

#include <gtest/gtest.h>
#include <memory>

namespace {
class IssueWindowsTest : public TIssueWindowTest {
protected:
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
    QStringList Numbers()
    {
        QStringList n;
        QSqlQuery q = DataBase->Run(QStringLiteral("select fphm from SaleDetail order by fphm"));
        while (q.next())
            n << q.value(0).toString();
        return n;
    }
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
    for (const char* name : {"Panel1", "Panel2", "frameInput1", "btnAdd", "btnPrt", "btnClose", "edtGHDW", "cmbCPXH", "edtFDJH",
                             "stJFJEDX", "edtSKR"})
        EXPECT_NE(w->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_EQ(w->frameInput1->stFPHM->text(), QStringLiteral("00001001"));
    EXPECT_EQ(w->frameInput1->FMode, 0);
    w->resize(1001, 800);
    EXPECT_EQ(w->Panel1->x(), (1001 - w->Panel1->width()) / 2);
    EXPECT_EQ(w->Panel1->y(), (800 - w->Panel1->height()) / 2);
    // The panel whole in the window (the image is as wide as its longest values need).
    EXPECT_TRUE(w->rect().contains(w->Panel1->geometry()));

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

// The issuing windows as the clerk opens them from the main window and works them from the
// keyboard.
class IssuingAtTheKeyboard : public ManagementTest {
protected:
    void SetUp() override
    {
        UseDefaultTemplate(folder);
        Start();
        PrintInto(folder.File(QStringLiteral("invoice.pdf")));
    }
    // Types into the field that has the focus, as the keys would reach it.
    static void Keys(const QString& text) { TypeText(QApplication::focusWidget(), text); }
    static void Key(int key) { QTest::keyClick(QApplication::focusWidget(), Qt::Key(key)); }
    // Enter through the fields from the focused one until the focus reaches target.
    static void EnterTo(QWidget* target)
    {
        for (int i = 0; i < 30 && QApplication::focusWidget() != target; ++i)
            Key(Qt::Key_Return);
    }
    // Types one car's sale field by field with Enter, from the buyer on or only the car's own
    // fields, and stops in the payee field.
    static void TypeSale(TframeInput& f, int car, bool wholeSale)
    {
        if (wholeSale) {
            Keys(QStringLiteral("广州某某贸易有限公司"));
            EnterTo(f.edtGHDWID);
            Keys(QStringLiteral("44010119900101123X"));
        }
        EnterTo(f.edtHGZHM);
        Keys(QStringLiteral("WAB%1").arg(car));
        EnterTo(f.edtFDJH);
        Keys(QStringLiteral("ENG%1").arg(car));
        EnterTo(f.edtCJHM);
        Keys(QStringLiteral("LSVAB2B3%1").arg(car, 9, 10, QChar(u'0')));
        if (wholeSale) {
            EnterTo(f.edtDJ);
            Keys(QStringLiteral("98000"));
        }
        EnterTo(f.edtSKR);
    }
};

// The program's own boxes, answered with Enter as they come up: the paper number typed, the
// paper loaded, "是" (the default) to go on. The clerk then types the next buyer at once: it
// lands in the buyer field, not in the payee, where Enter would start an empty invoice.
TEST_F(IssuingAtTheKeyboard, AfterYesTheNextInvoiceStartsInTheBuyerField)
{
    auto* w = Through<TIssueWindow>(main->KJZCFP);
    ASSERT_NE(w, nullptr);
    TframeInput& f = *w->frameInput1;
    TypeSale(f, 1, true);

    TQtDialogs boxes;
    TDialogs* scripted = SetDialogs(&boxes);
    QStringList seen;
    QPointer<QWidget> answered;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box || box == answered)
            return;
        if (!box->isActiveWindow()) {
            box->activateWindow();
            return;
        }
        answered = box;
        if (qobject_cast<TfrmInput*>(box)) {
            seen << QStringLiteral("input");
            for (const QChar c : QStringLiteral("00001001"))
                QTest::keyClick(box->windowHandle(), c.toLatin1());
        } else if (auto* message = qobject_cast<QMessageBox*>(box)) {
            seen << message->text().section(u'\n', 0, 0);
        }
        QTest::keyClick(box->windowHandle(), Qt::Key_Return);
    });
    poll.start(0);
    QTest::keyClick(w->window()->windowHandle(), Qt::Key_Return);
    poll.stop();
    SetDialogs(scripted);
    EXPECT_EQ(seen, (QStringList{"input", "当前要打印的发票号码是：00001001", "开票成功，是否继续开票？？？"}));
    EXPECT_EQ(DbCount(QStringLiteral("select count(*) from SaleDetail")), 1);
    ASSERT_EQ(f.stFPHM->text(), QStringLiteral("00001002"));
    // The window system hands the activation back to the main window.
    if (!main->isActiveWindow()) {
        ASSERT_TRUE(ShowActive(main.get()));
    }
    EXPECT_EQ(QApplication::focusWidget(), f.edtGHDW);
    for (const char key : std::string("ABC"))
        QTest::keyClick(main->windowHandle(), key);
    EXPECT_EQ(f.edtGHDW->text(), QStringLiteral("ABC"));
    EXPECT_TRUE(f.edtSKR->text().isEmpty());

    // "清空发票" too starts the invoice in the buyer field.
    w->btnAdd->setFocus();
    QTest::keyClick(main->windowHandle(), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), f.edtGHDW);
    EXPECT_TRUE(f.edtGHDW->text().isEmpty());
}

// In a batch the next car starts in its certificate field; the question's default is "是".
TEST_F(IssuingAtTheKeyboard, InABatchTheNextCarStartsInTheCertificateField)
{
    auto* w = Through<TIssueWindow>(main->PLKJFP);
    ASSERT_NE(w, nullptr);
    TframeInput& f = *w->frameInput1;
    for (int car = 1; car <= 2; ++car) {
        TypeSale(f, car, car == 1);
        dialogs.AnswerInput(f.stFPHM->text());
        dialogs.Answer(mbOK);
        dialogs.Answer(mbYes);
        Key(Qt::Key_Return);
        ASSERT_EQ(DbCount(QStringLiteral("select count(*) from SaleDetail where ghdw='广州某某贸易有限公司'")), car)
            << dialogs.Texts().join(u'|').toStdString();
        EXPECT_EQ(dialogs.Shown().back().defaultButton, mbYes);
        EXPECT_EQ(QApplication::focusWidget(), f.edtHGZHM);
    }
    Keys(QStringLiteral("WAB3"));
    EXPECT_EQ(f.edtHGZHM->text(), QStringLiteral("WAB3"));
    EXPECT_EQ(dialogs.Unanswered(), 0);
}

namespace {
// The width an edit has for its text: what the style leaves inside its frame, less the margins
// the edit keeps on each side.
int TextRoom(const QLineEdit* e)
{
    QStyleOptionFrame opt;
    opt.initFrom(e);
    opt.rect = e->rect();
    opt.lineWidth = e->hasFrame() ? e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, e) : 0;
    opt.state |= QStyle::State_Sunken;
    const QRect contents = e->style()->subElementRect(QStyle::SE_LineEditContents, &opt, e);
    return contents.width() - e->textMargins().left() - e->textMargins().right() - 2 * 2;
}

// A value of n GBK bytes: Chinese text of n / 2 characters, or n characters of digits and
// capitals.
QString Chinese(int bytes)
{
    const QString text = QStringLiteral("广东省广州市天河区某某汽车贸易服务有限责任公司车辆购置税代办欧阳王出纳");
    return QString(text + text).left(bytes / 2);
}
QString Code(int bytes) { return QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ").repeated(3).left(bytes); }
}  // namespace

TEST_F(IssuingAtTheKeyboard, EveryFieldShowsItsLongestValueWhole)
{
    auto* w = Through<TIssueWindow>(main->KJZCFP);
    ASSERT_NE(w, nullptr);
    TframeInput& f = *w->frameInput1;
    const struct {
        QLineEdit* edit;
        QString value;
    } fields[] = {
        {f.edtGHDW, Chinese(90)},
        {f.edtGHDWID, Code(25)},
        {f.edtCD, Chinese(40)},
        {f.edtHGZHM, Code(40)},
        {f.edtJKZMHM, Code(100)},
        {f.edtSJDHM, Code(100)},
        {f.edtCJHM, QStringLiteral("LSVAB2B3000000001")},
        {f.edtDJ, QStringLiteral("9999999.99")},
        {f.edtHTDH, Code(16)},
        {f.edtJWFY1, Chinese(20)},
        {f.edtJWFY2, Chinese(20)},
        {f.edtJWFY3, Chinese(20)},
        {f.edtJWJE1, QStringLiteral("9999999.99")},
        {f.edtJWJE2, QStringLiteral("9999999.99")},
        {f.edtJWJE3, QStringLiteral("9999999.99")},
        {f.edtSKR, Chinese(10)},
    };
    for (const auto& field : fields) {
        field.edit->setText(field.value);
        EXPECT_EQ(field.edit->text(), field.value) << "typed whole: " << field.edit->objectName().toStdString();
        const int width = field.edit->fontMetrics().horizontalAdvance(field.value);
        EXPECT_LE(width + 1, TextRoom(field.edit)) << field.edit->objectName().toStdString();
    }
    EXPECT_EQ(std::size(fields) + 3, size_t(f.EntryControls().size())) << "every edit of the image, the three lists aside";
    // The window shows the whole image and stays whole in the workspace.
    QWidget* frame = w->parentWidget();
    EXPECT_TRUE(w->rect().contains(w->Panel1->geometry()));
    EXPECT_TRUE(main->MDIClient->viewport()->rect().contains(frame->geometry()));
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
