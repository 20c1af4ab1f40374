#include "IssueWindowTest.h"
#include "IssuingTestData.h"
#include "ProgramFolder.h"
#include "ScriptedDialogs.h"
#include "Typing.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "invoices/TfrmCHInv.h"
#include "invoices/TframeInput.h"
#include "widgets/InputHelpers.h"
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
const QString kOtherCode = QStringLiteral("144001900222");

class NegativeWindowTest : public TIssueWindowTest {
protected:
    // Issues the normal invoice that is then reversed: 12345.00 with one charge of 100.00, on
    // the roll's first number 00001001.
    void IssueOriginal()
    {
        TframeInput f;
        ASSERT_TRUE(f.InitInvoice());
        FillValidInvoice(f);
        f.edtDJ->setText(QStringLiteral("12345.00"));
        f.edtJWFY1->setText(QStringLiteral("上牌费"));
        f.edtJWJE1->setText(QStringLiteral("100.00"));
        ASSERT_TRUE(f.CheckInput(QStringLiteral("0")));
        dialogs.AnswerInput(f.stFPHM->text());
        ASSERT_TRUE(f.SaveAndPrint(QStringLiteral("0")));
        dialogs.Clear();
    }
    TfrmCHInv* Open() { return TIssueWindowTest::Open<TfrmCHInv>(); }
    // The clerk types the number and presses Enter.
    static void Search(TfrmCHInv& w, const QString& number)
    {
        w.edtInput->setFocus();
        w.edtInput->clear();
        TypeText(w.edtInput, number);
        QTest::keyClick(w.edtInput, Qt::Key_Return);
    }
    void ScriptIssue(TfrmCHInv& w, bool goOn) { TIssueWindowTest::ScriptIssue(*w.frameInput1, goOn); }
    // A stored invoice of another origin (another roll, an import).
    static void AddSale(const QString& code, const QString& number, const QString& state,
                        const QString& buyer = QStringLiteral("深圳某某公司"))
    {
        DataBase->Query().finish();
        DataBase->Run(QStringLiteral("insert into SaleDetail(kprq,fpdm,fphm,ghdw,ghdwID,cllx,cpxh,cd,fdjhm,cjhm,sl,dj,"
                                     "jwje1,jwje2,jwje3,jwhjdx,jwjehj,saleName,fpzt,kpdName) values('2026-02-10 09:30:00',"
                                     ":code,:no,:buyer,'440301','客车','B型','上海','E9','LVIN00000000000009','壹',"
                                     "80000,0,0,0,'RMB捌万圆整',80000,'某汽车销售公司',:state,'总部')"),
                      {{QStringLiteral("code"), code},
                       {QStringLiteral("no"), number},
                       {QStringLiteral("buyer"), buyer},
                       {QStringLiteral("state"), state}});
    }
    static QString Roll() { return DbValue(QStringLiteral("select dqhm||'/'||syfs from fpkcxx")).toString(); }
    static int Negatives() { return DbCount(QStringLiteral("select count(*) from SaleDetail where fpzt='2'")); }
    // Nothing loaded: the frame locked and empty, on the current blank invoice.
    static void ExpectWaitingForANumber(TfrmCHInv& w, const QString& blank)
    {
        TframeInput& f = *w.frameInput1;
        EXPECT_TRUE(IsFieldReadOnly(f.edtGHDW));
        EXPECT_TRUE(IsFieldReadOnly(f.edtDJ));
        EXPECT_TRUE(f.edtGHDW->text().isEmpty());
        EXPECT_TRUE(f.edtDJ->text().isEmpty());
        EXPECT_EQ(f.stFPDM->text(), QString::fromLatin1(kCode));
        EXPECT_EQ(f.stFPHM->text(), blank);
    }
};

TEST(NegatedAmountText, TurnsTheSignOfANumberOnly)
{
    EXPECT_EQ(NegatedAmount(QStringLiteral("12345")), QStringLiteral("-12345"));
    EXPECT_EQ(NegatedAmount(QStringLiteral("100.5")), QStringLiteral("-100.5"));
    EXPECT_EQ(NegatedAmount(QStringLiteral("-50")), QStringLiteral("50"));
    EXPECT_EQ(NegatedAmount(QStringLiteral("+7")), QStringLiteral("-7"));
    EXPECT_EQ(NegatedAmount(QStringLiteral("1234567.89")), QStringLiteral("-1234567.89"));
    for (const char* same : {"0", "0.00", "-0", "", "abc", "--5"})
        EXPECT_EQ(NegatedAmount(QString::fromLatin1(same)), QString::fromLatin1(same)) << same;
}

TEST_F(NegativeWindowTest, WindowCarriesItsCaptionControlsAndLockedFrame)
{
    auto* w = Open();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("负数发票开具"));
    EXPECT_EQ(w->minimumSize(), QSize(770, 531));
    EXPECT_TRUE(w->testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_EQ(w->StaticText1->text(), QStringLiteral("请输入发票号码:"));
    EXPECT_EQ(w->btnQry->text(), QStringLiteral("查询"));
    EXPECT_EQ(w->btnPrt->text(), QStringLiteral("存盘打印"));
    EXPECT_EQ(w->btnClose->text(), QStringLiteral("关闭"));
    EXPECT_EQ(w->Panel2->height(), 41);
    EXPECT_TRUE(w->edtInput->font().bold());
    for (const char* name :
         {"Panel1", "Panel2", "StaticText1", "edtInput", "btnQry", "btnPrt", "btnClose", "frameInput1", "edtDJ"})
        EXPECT_NE(w->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_EQ(w->frameInput1->FMode, 0);
    ExpectWaitingForANumber(*w, QStringLiteral("00001001"));
    EXPECT_TRUE(dialogs.Shown().empty());
    // At most eight characters can be typed.
    TypeText(w->edtInput, QStringLiteral("1234567890"));
    EXPECT_EQ(w->edtInput->text(), QStringLiteral("12345678"));
    w->resize(1001, 801);
    EXPECT_EQ(w->Panel1->x(), (1001 - w->Panel1->width()) / 2);
    EXPECT_EQ(w->Panel1->y(), (801 - w->Panel1->height()) / 2);

    w->btnClose->click();
    Settle();
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(folder.LogMessages().last(), QStringLiteral("关闭负数发票开具"));
}

// The loaded invoice is locked read-only, not disabled: the clerk reads it in the normal text
// colour and may walk and select its fields, and walking them changes none of its values.
TEST_F(NegativeWindowTest, TheLoadedInvoiceIsReadableAndStaysAsLoaded)
{
    IssueOriginal();
    auto* w = Open();
    TframeInput& f = *w->frameInput1;
    Search(*w, QStringLiteral("00001001"));
    ASSERT_EQ(f.edtDJ->text(), QStringLiteral("-12345"));
    QStringList before;
    for (QWidget* c : f.EntryControls()) {
        EXPECT_TRUE(c->isEnabled()) << c->objectName().toStdString();
        EXPECT_TRUE(IsFieldReadOnly(c)) << c->objectName().toStdString();
        before << (qobject_cast<QLineEdit*>(c) ? qobject_cast<QLineEdit*>(c)->text()
                                               : qobject_cast<QComboBox*>(c)->currentText());
    }
    // Walked with Tab from the buyer to the payee, a key typed into each.
    f.edtGHDW->setFocus();
    for (int i = 0; i < f.EntryControls().size(); ++i) {
        TypeText(QApplication::focusWidget(), QStringLiteral("9"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QStringList after;
    for (QWidget* c : f.EntryControls())
        after << (qobject_cast<QLineEdit*>(c) ? qobject_cast<QLineEdit*>(c)->text() : qobject_cast<QComboBox*>(c)->currentText());
    EXPECT_EQ(after, before);
    EXPECT_EQ(f.edtJWJE1->text(), QStringLiteral("-100"));
    EXPECT_EQ(f.stJFJE->text(), QStringLiteral(" -12445.00"));
}

TEST_F(NegativeWindowTest, ReversesAFoundInvoiceOnTheCurrentBlankNumber)
{
    IssueOriginal();
    auto* w = Open();
    TframeInput& f = *w->frameInput1;
    ExpectWaitingForANumber(*w, QStringLiteral("00001002"));
    Search(*w, QStringLiteral("00001001"));
    EXPECT_TRUE(dialogs.Shown().empty()) << dialogs.Texts().join(u'|').toStdString();

    // Shown negated and locked, on the blank invoice, naming the reversed one.
    EXPECT_EQ(f.edtGHDW->text(), QStringLiteral("广州某某贸易有限公司"));
    EXPECT_EQ(f.edtCJHM->text(), QStringLiteral("LSVAB2B3000000001"));
    EXPECT_EQ(f.edtDJ->text(), QStringLiteral("-12345"));
    EXPECT_EQ(f.edtJWJE1->text(), QStringLiteral("-100"));
    EXPECT_EQ(f.edtJWJE2->text(), QStringLiteral("0"));
    EXPECT_EQ(f.edtJWJE3->text(), QStringLiteral("0"));
    EXPECT_EQ(f.stJFJE->text(), QStringLiteral(" -12445.00"));
    EXPECT_EQ(f.stJFJEDX->text(), QStringLiteral("RMB(负数)壹万贰仟肆佰肆拾伍圆整"));
    EXPECT_EQ(f.stFPDM->text(), QString::fromLatin1(kCode));
    EXPECT_EQ(f.stFPHM->text(), QStringLiteral("00001002"));
    EXPECT_EQ(f.edtYSFPHM->text(), QStringLiteral("00001001"));
    EXPECT_EQ(f.edtYSFPDM->text(), QString::fromLatin1(kCode));
    EXPECT_EQ(f.stYear->text() + f.stMonth->text() + f.stDay->text(), QStringLiteral("20260305"));
    for (QWidget* c : f.EntryControls())
        EXPECT_TRUE(IsFieldReadOnly(c)) << c->objectName().toStdString();
    EXPECT_TRUE(w->btnPrt->hasFocus());

    ScriptIssue(*w, false);
    w->btnPrt->click();
    Settle();
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(dialogs.Unanswered(), 0);
    ASSERT_GE(dialogs.Shown().size(), 3u);
    EXPECT_EQ(dialogs.Shown().back().text, QStringLiteral("开负数票成功，是否继续开票？？？"));
    EXPECT_EQ(dialogs.Shown().back().kind, TMsgKind::Confirmation);

    QSqlQuery q = DataBase->Run(QStringLiteral(
        "select fpdm,fphm,fpzt,dj,jwje1,jwje2,jwje3,jwjehj,jwhjdx,ysfphm,ysfpdm,ghdw,cjhm,fdjhm,kprq from SaleDetail "
        "where fpzt='2'"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), QString::fromLatin1(kCode));
    EXPECT_EQ(q.value(1).toString(), QStringLiteral("00001002"));
    EXPECT_EQ(q.value(3).toDouble(), -12345.0);
    EXPECT_EQ(q.value(4).toDouble(), -100.0);
    EXPECT_EQ(q.value(5).toDouble(), 0.0);
    EXPECT_EQ(q.value(6).toDouble(), 0.0);
    EXPECT_EQ(q.value(7).toDouble(), -12445.0);
    EXPECT_EQ(q.value(8).toString(), QStringLiteral("RMB(负数)壹万贰仟肆佰肆拾伍圆整"));
    EXPECT_EQ(q.value(9).toString(), QStringLiteral("00001001"));
    EXPECT_EQ(q.value(10).toString(), QString::fromLatin1(kCode));
    EXPECT_EQ(q.value(11).toString(), QStringLiteral("广州某某贸易有限公司"));
    EXPECT_EQ(q.value(12).toString(), QStringLiteral("LSVAB2B3000000001"));
    EXPECT_EQ(q.value(13).toString(), QStringLiteral("ENG00001"));
    EXPECT_EQ(q.value(14).toString(), QStringLiteral("2026-03-05 14:07:09"));
    EXPECT_FALSE(q.next());
    // The original stays as it was; the roll moved on by the one negative invoice.
    EXPECT_EQ(DbCount(QStringLiteral("select count(*) from SaleDetail where fphm='00001001' and fpzt='0' "
                                     "and dj=12345")),
              1);
    EXPECT_EQ(Roll(), QStringLiteral("00001003/48"));

    const QStringList log = folder.LogMessages();
    const int issued = log.indexOf(QStringLiteral("开负数票:") + PrintTpl->GetValueString());
    ASSERT_GE(issued, 0) << log.join(u'\n').toStdString();
    EXPECT_TRUE(log.at(issued).contains(QStringLiteral("^-12345^")));
    EXPECT_TRUE(log.at(issued).contains(QStringLiteral("^上牌费^-100^^0^^0^")));
    EXPECT_EQ(log.indexOf(QStringLiteral("关闭负数发票开具")), issued + 1);

    const QStringList words = PdfWords(pdf);
    for (const char* printed : {"-12345", "-100", "-12445.00", "RMB(负数)壹万贰仟肆佰肆拾伍圆整", "广州某某贸易有限公司"})
        EXPECT_TRUE(words.contains(QString::fromUtf8(printed))) << printed;
    EXPECT_FALSE(words.contains(QStringLiteral("-0")));
    EXPECT_EQ(words.count(QStringLiteral("0")), 2);
}

TEST_F(NegativeWindowTest, ASecondReversalIsRefusedAlsoUnderAnotherCode)
{
    IssueOriginal();
    auto* w = Open();
    Search(*w, QStringLiteral("00001001"));
    ScriptIssue(*w, true);
    w->btnPrt->click();
    Settle();
    ASSERT_FALSE(window.isNull());
    // Ready for the next search on the next blank invoice.
    ExpectWaitingForANumber(*w, QStringLiteral("00001003"));
    EXPECT_TRUE(w->edtInput->text().isEmpty());
    EXPECT_TRUE(w->edtInput->hasFocus());

    dialogs.Clear();
    Search(*w, QStringLiteral("00001001"));
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("发票号码00001001()号发票已经冲红！")});
    ExpectWaitingForANumber(*w, QStringLiteral("00001003"));

    // The number comes back on a roll of another code: the code is asked, and the invoice
    // reversed is still recognised by the code its reversal stored.
    AddSale(kOtherCode, QStringLiteral("00001001"), QStringLiteral("0"));
    dialogs.Clear();
    dialogs.AnswerInput(QString::fromLatin1(kCode));
    Search(*w, QStringLiteral("00001001"));
    ASSERT_EQ(dialogs.Shown().size(), 2u);
    const TShownBox& ask = dialogs.Shown().at(0);
    EXPECT_TRUE(ask.input);
    EXPECT_EQ(ask.caption, QStringLiteral("提示"));
    EXPECT_EQ(ask.text, QStringLiteral("发票号码重复，请输入发票代码"));
    EXPECT_EQ(ask.maxLength, 12);
    EXPECT_EQ(dialogs.Shown().at(1).text, QStringLiteral("发票号码00001001(144001900111)号发票已经冲红！"));
    ExpectWaitingForANumber(*w, QStringLiteral("00001003"));

    // The other invoice of the number is a sale of its own and can be reversed.
    dialogs.Clear();
    dialogs.AnswerInput(kOtherCode);
    Search(*w, QStringLiteral("00001001"));
    EXPECT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(w->frameInput1->edtGHDW->text(), QStringLiteral("深圳某某公司"));
    EXPECT_EQ(w->frameInput1->edtDJ->text(), QStringLiteral("-80000"));
    EXPECT_EQ(w->frameInput1->edtYSFPDM->text(), kOtherCode);
    EXPECT_EQ(w->frameInput1->stFPHM->text(), QStringLiteral("00001003"));

    // A reversal stored without a code cannot tell which invoice of the number it reversed:
    // it counts for every one of them.
    DbExec(QStringLiteral("update SaleDetail set ysfpdm=null where fpzt='2'"));
    dialogs.Clear();
    dialogs.AnswerInput(kOtherCode);
    Search(*w, QStringLiteral("00001001"));
    EXPECT_EQ(dialogs.Texts().last(), QStringLiteral("发票号码00001001(144001900222)号发票已经冲红！"));
    DbExec(QStringLiteral("update SaleDetail set ysfpdm='' where fpzt='2'"));
    dialogs.Clear();
    dialogs.AnswerInput(kOtherCode);
    Search(*w, QStringLiteral("00001001"));
    EXPECT_EQ(dialogs.Texts().last(), QStringLiteral("发票号码00001001(144001900222)号发票已经冲红！"));
    EXPECT_EQ(Negatives(), 1);
}

TEST_F(NegativeWindowTest, OnlyANormalInvoiceCanBeReversed)
{
    AddSale(QString::fromLatin1(kCode), QStringLiteral("00000008"), QStringLiteral("0"));
    auto* w = Open();
    for (const char* state : {"1", "2", "3", "4"}) {
        SCOPED_TRACE(state);
        DbExec(QStringLiteral("delete from SaleDetail where fpdm='%1'").arg(kOtherCode));
        AddSale(kOtherCode, QStringLiteral("00000008"), QString::fromLatin1(state), QStringLiteral("作废的买主"));
        dialogs.Clear();
        dialogs.AnswerInput(kOtherCode);
        Search(*w, QStringLiteral("00000008"));
        EXPECT_EQ(dialogs.Texts(), (QStringList{QStringLiteral("发票号码重复，请输入发票代码"),
                                                QStringLiteral("发票号码00000008(144001900222)的发票不是正常发票，不能冲红！")}));
        ExpectWaitingForANumber(*w, QStringLiteral("00001001"));
    }
    // The normal invoice of the number is found by its own code.
    dialogs.Clear();
    dialogs.AnswerInput(QString::fromLatin1(kCode));
    Search(*w, QStringLiteral("00000008"));
    EXPECT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(w->frameInput1->edtGHDW->text(), QStringLiteral("深圳某某公司"));
}

TEST_F(NegativeWindowTest, BadInputChangesNothing)
{
    AddSale(QString::fromLatin1(kCode), QStringLiteral("00000008"), QStringLiteral("0"));
    AddSale(kOtherCode, QStringLiteral("00000008"), QStringLiteral("0"));
    auto* w = Open();

    // Nothing searched yet: the locked, empty frame is refused and the clerk is sent back to
    // the number.
    w->btnPrt->click();
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("购货单位不能为空！")});
    EXPECT_TRUE(w->edtInput->hasFocus());

    for (const char* input : {"", "   "}) {
        dialogs.Clear();
        w->btnPrt->setFocus();
        w->edtInput->setText(QString::fromLatin1(input));
        w->btnQry->click();
        EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("请输入要冲红的发票号码或车辆识别号!")}) << input;
        EXPECT_TRUE(w->edtInput->hasFocus());
    }

    // The code prompt cancelled, or left blank: no message, nothing loaded.
    for (const std::optional<QString>& reply : {std::optional<QString>(), std::optional<QString>(QStringLiteral("  "))}) {
        dialogs.Clear();
        dialogs.AnswerInput(reply);
        Search(*w, QStringLiteral("00000008"));
        EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("发票号码重复，请输入发票代码")});
        ExpectWaitingForANumber(*w, QStringLiteral("00001001"));
    }

    // A code that names no invoice of the number.
    dialogs.Clear();
    dialogs.AnswerInput(QStringLiteral("999999999999"));
    Search(*w, QStringLiteral("00000008"));
    EXPECT_EQ(dialogs.Texts().last(), QStringLiteral("发票号码00000008(999999999999)的发票信息不存在！"));
    ExpectWaitingForANumber(*w, QStringLiteral("00001001"));

    // Blanks around the number do not hide the invoice, nor go into the reversal.
    w->edtInput->setText(QStringLiteral("00000008 "));
    dialogs.Clear();
    dialogs.AnswerInput(kOtherCode);
    w->btnQry->click();
    EXPECT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(w->frameInput1->edtYSFPHM->text(), QStringLiteral("00000008"));
    EXPECT_EQ(w->frameInput1->edtYSFPDM->text(), kOtherCode);
    EXPECT_EQ(Negatives(), 0);
}

TEST_F(NegativeWindowTest, ANumberIsReversedOnceWhetherTypedShortOrByHand)
{
    IssueOriginal();
    auto* w = Open();
    Search(*w, QStringLiteral("1001"));
    EXPECT_EQ(w->frameInput1->edtYSFPHM->text(), QStringLiteral("00001001"));
    ScriptIssue(*w, true);
    w->btnPrt->click();
    dialogs.Clear();
    Search(*w, QStringLiteral("1001"));
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("发票号码00001001()号发票已经冲红！")});
    ExpectWaitingForANumber(*w, QStringLiteral("00001003"));

    // Reversed by hand, then searched again.
    dialogs.Clear();
    Search(*w, QStringLiteral("77"));
    ASSERT_EQ(dialogs.Texts(), QStringList{QStringLiteral("没有查找到此发票")});
    TframeInput& f = *w->frameInput1;
    Type(f.edtGHDW, QStringLiteral("广州某某贸易有限公司"));
    Type(f.edtGHDWID, QStringLiteral("44010119900101123X"));
    Type(f.edtFDJH, QStringLiteral("ENG77"));
    Type(f.edtCJHM, QStringLiteral("LSVAB2B3000000077"));
    Type(f.edtDJ, QStringLiteral("5000"));
    ScriptIssue(*w, true);
    w->btnPrt->click();
    ASSERT_EQ(Negatives(), 2);
    dialogs.Clear();
    Search(*w, QStringLiteral("00000077"));
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("发票号码00000077()号发票已经冲红！")});
    ExpectWaitingForANumber(*w, QStringLiteral("00001004"));

    // Not a number of up to eight digits.
    for (const char* input : {"12a", "123456789", "-5"}) {
        dialogs.Clear();
        w->edtInput->setText(QString::fromLatin1(input));
        w->btnQry->click();
        EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("发票号码只能是8位！")}) << input;
        EXPECT_TRUE(w->edtInput->hasFocus());
    }
    EXPECT_EQ(Negatives(), 2);
}

TEST_F(NegativeWindowTest, AnInvoiceNotFoundIsTypedByHand)
{
    DbExec(QStringLiteral("update fpkcxx set dqhm='00001050', syfs=1"));
    auto* w = Open();
    TframeInput& f = *w->frameInput1;
    // A number stored as voided is no sale to type by hand.
    AddSale(kOtherCode, QStringLiteral("00000099"), QStringLiteral("1"));
    Search(*w, QStringLiteral("99"));
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("发票号码00000099(144001900222)的发票不是正常发票，不能冲红！")});
    EXPECT_TRUE(IsFieldReadOnly(f.edtGHDW));
    dialogs.Clear();
    // A number stored in no state, typed short: it is searched and reversed with its eight digits.
    Search(*w, QStringLiteral("98"));
    EXPECT_EQ(w->edtInput->text(), QStringLiteral("00000098"));
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("没有查找到此发票")});
    for (QWidget* c : f.EntryControls())
        EXPECT_TRUE(c->isEnabled() && !IsFieldReadOnly(c)) << c->objectName().toStdString();
    EXPECT_TRUE(f.edtGHDW->text().isEmpty());
    EXPECT_EQ(f.stFPHM->text(), QStringLiteral("00001050"));
    EXPECT_EQ(f.edtYSFPHM->text(), QStringLiteral("00000098"));
    EXPECT_TRUE(f.edtYSFPDM->text().isEmpty());
    EXPECT_TRUE(w->btnPrt->hasFocus());

    Type(f.edtGHDW, QStringLiteral("广州某某贸易有限公司"));
    Type(f.edtGHDWID, QStringLiteral("44010119900101123X"));
    Type(f.edtFDJH, QStringLiteral("ENG77"));
    Type(f.edtCJHM, QStringLiteral("lsvab2b3000000077"));
    // The amounts take '-' now; letters and a second point stay out.
    Type(f.edtDJ, QStringLiteral("5x0.0.0"));
    EXPECT_EQ(f.edtDJ->text(), QStringLiteral("50.00"));
    f.edtDJ->clear();
    Type(f.edtDJ, QStringLiteral("5000"));
    Type(f.edtJWFY1, QStringLiteral("上牌"));
    Type(f.edtJWJE1, QStringLiteral("-50"));
    f.edtSKR->setFocus();  // leaving the amounts formats them
    EXPECT_EQ(f.edtDJ->text(), QStringLiteral("5000.00"));
    EXPECT_EQ(f.edtJWJE1->text(), QStringLiteral("-50.00"));

    // The last blank invoice: after it, continuing closes the window.
    ScriptIssue(*w, true);
    w->btnPrt->click();
    Settle();
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(dialogs.Texts().last(), QStringLiteral("取当前发票号码错误,请检查是否有可用的发票!"));
    QSqlQuery q =
        DataBase->Run(QStringLiteral("select fphm,dj,jwje1,jwjehj,ysfphm,ysfpdm,cjhm,jwhjdx from SaleDetail where fpzt='2'"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), QStringLiteral("00001050"));
    EXPECT_EQ(q.value(1).toDouble(), -5000.0);
    EXPECT_EQ(q.value(2).toDouble(), -50.0);
    EXPECT_EQ(q.value(3).toDouble(), -5050.0);
    EXPECT_EQ(q.value(4).toString(), QStringLiteral("00000098"));
    EXPECT_EQ(q.value(5).toString(), QString());
    EXPECT_EQ(q.value(6).toString(), QStringLiteral("LSVAB2B3000000077"));
    EXPECT_EQ(q.value(7).toString(), QStringLiteral("RMB(负数)伍仟零伍拾圆整"));
    EXPECT_FALSE(q.next());
    EXPECT_TRUE(PdfWords(pdf).contains(QStringLiteral("-5000.00")));
    const QStringList log = folder.LogMessages();
    EXPECT_EQ(log.last(), QStringLiteral("关闭负数发票开具"));
    EXPECT_TRUE(log.at(log.size() - 2).startsWith(QStringLiteral("开负数票:")));
}
}  // namespace
