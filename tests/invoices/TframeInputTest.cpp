#include "IssuingTestData.h"
#include "ProgramFolder.h"
#include "ScriptedDialogs.h"
#include "Screen.h"
#include "Typing.h"
#include "core/Clock.h"
#include "core/Errors.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "invoices/TframeInput.h"
#include "widgets/InputHelpers.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {
class FrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SeedIssuing(folder);
        context = std::make_unique<TTestContext>(folder);
        frame = std::make_unique<TframeInput>();
        ASSERT_TRUE(ShowActive(frame.get()));
        ASSERT_TRUE(frame->InitInvoice());
        dialogs.Clear();
    }
    void TearDown() override
    {
        frame.reset();
        context.reset();
    }
    // A stored invoice row for the clash and lookup tests.
    void AddSale(const QString& number, const QString& state, const QString& engine, const QString& vin,
                 const QString& code = QString::fromLatin1(kCode))
    {
        DbExec(QStringLiteral("insert into SaleDetail(kprq,fpdm,fphm,fdjhm,cjhm,fpzt,kpdName) "
                              "values('2026-03-01 10:00:00','%1','%2','%3','%4','%5','总部')")
                   .arg(code, number, engine, vin, state));
    }

    TTestProgramFolder folder;
    std::unique_ptr<TTestContext> context;
    TScriptedDialogs dialogs;
    std::unique_ptr<TframeInput> frame;
};

TEST(AmountText, ParsesOnlyPlainDecimalNumbers)
{
    EXPECT_EQ(ParseAmount(QStringLiteral(" 12345 ")), 12345.0);
    EXPECT_EQ(ParseAmount(QStringLiteral("-0.5")), -0.5);
    EXPECT_EQ(ParseAmount(QStringLiteral(".5")), 0.5);
    EXPECT_EQ(ParseAmount(QStringLiteral("5.")), 5.0);
    for (const char* bad : {"", " ", "-", ".", "1.2.3", "--5", "5-", "1,000", "1e5", "inf", "nan", "12a", "１２"})
        EXPECT_FALSE(ParseAmount(QString::fromUtf8(bad))) << bad;
}

TEST(AmountText, KeyFilterTakesDigitsBackspaceAndOnePoint)
{
    EXPECT_TRUE(AmountKeyAccepted(QStringLiteral("12"), u'7', false));
    EXPECT_TRUE(AmountKeyAccepted(QStringLiteral("12"), u'\b', false));
    EXPECT_TRUE(AmountKeyAccepted(QStringLiteral("12"), u'.', false));
    EXPECT_FALSE(AmountKeyAccepted(QStringLiteral("1.2"), u'.', false));
    EXPECT_FALSE(AmountKeyAccepted(QStringLiteral("12"), u'-', false));
    EXPECT_TRUE(AmountKeyAccepted(QStringLiteral("12"), u'-', true));
    EXPECT_FALSE(AmountKeyAccepted(QStringLiteral("12"), u'a', true));
    EXPECT_FALSE(AmountKeyAccepted(QStringLiteral("12"), QChar(0x4E00), false));
}

TEST_F(FrameTest, InitInvoiceShowsTodaySellerListsAndTheCurrentInvoice)
{
    EXPECT_EQ(frame->stYear->text(), QStringLiteral("2026"));
    EXPECT_EQ(frame->stMonth->text(), QStringLiteral("03"));
    EXPECT_EQ(frame->stDay->text(), QStringLiteral("05"));
    EXPECT_EQ(frame->stXHDW->text(), QStringLiteral("某汽车销售公司"));
    EXPECT_EQ(frame->stDZ->text(), QStringLiteral("广州市天河路1号"));
    EXPECT_EQ(frame->stDH->text(), QStringLiteral("020-12345678"));
    EXPECT_EQ(frame->stSH->text(), QStringLiteral("440100000000001"));
    EXPECT_EQ(frame->stBank->text(), QStringLiteral("工商银行天河支行"));
    EXPECT_EQ(frame->stZH->text(), QStringLiteral("6222000011112222"));
    EXPECT_EQ(frame->stKPR->text(), QStringLiteral("李会计"));
    EXPECT_EQ(frame->stFPDM->text(), QString::fromLatin1(kCode));
    EXPECT_EQ(frame->stFPHM->text(), QStringLiteral("00001001"));
    EXPECT_EQ(frame->stSYFS->text(), QStringLiteral("当前卷剩余份数:50"));
    EXPECT_EQ(frame->cmbCLLX->count(), 2);
    EXPECT_EQ(frame->cmbCLLX->currentText(), QStringLiteral("轿车"));
    EXPECT_EQ(frame->cmbCPXH->currentText(), QStringLiteral("A型"));
    EXPECT_EQ(frame->edtSCCJ->text(), QStringLiteral("甲厂"));
    EXPECT_EQ(frame->edtCD->text(), QStringLiteral("广州"));
    EXPECT_EQ(frame->edtFDJH->currentText(), QString());
    EXPECT_EQ(frame->edtFDJH->count(), 1);
    EXPECT_EQ(frame->edtFDJH->itemText(0), QStringLiteral("无"));
    EXPECT_EQ(frame->stJFJE->text(), QStringLiteral("      0.00"));
    EXPECT_EQ(frame->stJFJEDX->text(), QStringLiteral("RMB零"));
    EXPECT_EQ(DbValue(QStringLiteral("select kczt from fpkcxx")).toString(), QStringLiteral("101"));

    // Choosing another model brings its maker and origin.
    frame->cmbCPXH->setCurrentIndex(1);
    emit frame->cmbCPXH->activated(1);
    EXPECT_EQ(frame->edtSCCJ->text(), QStringLiteral("乙厂"));
    EXPECT_EQ(frame->edtCD->text(), QStringLiteral("上海"));
}

TEST_F(FrameTest, SingleModeClearsEveryFieldForTheNextInvoice)
{
    FillValidInvoice(*frame);
    frame->edtJWFY1->setText(QStringLiteral("上牌"));
    frame->edtJWJE1->setText(QStringLiteral("100"));
    frame->cmbCPXH->setCurrentIndex(1);
    frame->edtCD->setText(QStringLiteral("自填产地"));
    ASSERT_TRUE(frame->InitInvoice());
    for (QLineEdit* e : {frame->edtGHDW, frame->edtGHDWID, frame->edtHGZHM, frame->edtCJHM, frame->edtDJ, frame->edtHTDH,
                         frame->edtJWFY1, frame->edtJWJE1, frame->edtSKR}) {
        EXPECT_TRUE(e->text().isEmpty()) << e->objectName().toStdString();
        EXPECT_FALSE(e->isReadOnly()) << e->objectName().toStdString();
    }
    EXPECT_TRUE(frame->edtFDJH->currentText().isEmpty());
    EXPECT_EQ(frame->cmbCPXH->currentText(), QStringLiteral("A型"));
    EXPECT_EQ(frame->edtCD->text(), QStringLiteral("广州"));
    EXPECT_EQ(frame->stJFJE->text(), QStringLiteral("      0.00"));
}

TEST_F(FrameTest, NoStockWarnsAndClearsTheNumberShown)
{
    DbExec(QStringLiteral("update fpkcxx set syfs=0"));
    EXPECT_FALSE(frame->InitInvoice());
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("取当前发票号码错误,请检查是否有可用的发票!")});
    EXPECT_EQ(dialogs.Shown().at(0).kind, TMsgKind::Warning);
    // The number still shown would be the one just used.
    EXPECT_TRUE(frame->stFPDM->text().isEmpty());
    EXPECT_TRUE(frame->stFPHM->text().isEmpty());
    EXPECT_TRUE(frame->stSYFS->text().isEmpty());
}

TEST_F(FrameTest, BatchModeKeepsAndLocksTheSharedFieldsAndClearsTheCar)
{
    FillValidInvoice(*frame);
    frame->cmbCLLX->setEditText(QStringLiteral("自卸车"));  // typed, not in the list
    frame->cmbCPXH->setCurrentIndex(1);
    frame->cmbCPXHChange();
    frame->edtCD->setText(QStringLiteral("上海嘉定"));  // typed over the model's origin
    frame->edtJWFY1->setText(QStringLiteral("上牌"));
    frame->edtJWJE1->setText(QStringLiteral("100"));
    frame->edtJKZMHM->setText(QStringLiteral("JK1"));
    frame->edtSJDHM->setText(QStringLiteral("SJ1"));
    frame->FMode = 1;
    ASSERT_TRUE(frame->InitInvoice());

    EXPECT_EQ(frame->edtGHDW->text(), QStringLiteral("广州某某贸易有限公司"));
    EXPECT_EQ(frame->edtGHDWID->text(), QStringLiteral("44010119900101123X"));
    EXPECT_EQ(frame->cmbCLLX->currentText(), QStringLiteral("自卸车"));
    EXPECT_EQ(frame->cmbCPXH->currentText(), QStringLiteral("B型"));
    EXPECT_EQ(frame->edtSCCJ->text(), QStringLiteral("乙厂"));
    EXPECT_EQ(frame->edtCD->text(), QStringLiteral("上海嘉定"));
    EXPECT_EQ(frame->edtDJ->text(), QStringLiteral("123456.00"));
    EXPECT_EQ(frame->edtHTDH->text(), QStringLiteral("HT-2026-001"));
    EXPECT_EQ(frame->edtJWFY1->text(), QStringLiteral("上牌"));
    EXPECT_EQ(frame->edtJWJE1->text(), QStringLiteral("100"));
    EXPECT_EQ(frame->edtSKR->text(), QStringLiteral("王出纳"));
    EXPECT_EQ(frame->stJFJE->text(), QStringLiteral(" 123556.00"));
    for (QLineEdit* e : {frame->edtGHDW, frame->edtGHDWID, frame->edtCD, frame->edtDJ, frame->edtHTDH, frame->edtJWFY1,
                         frame->edtJWJE3, frame->edtSKR})
        EXPECT_TRUE(e->isReadOnly()) << e->objectName().toStdString();
    EXPECT_FALSE(frame->cmbCLLX->isEnabled());
    EXPECT_FALSE(frame->cmbCPXH->isEnabled());
    for (QLineEdit* e : {frame->edtHGZHM, frame->edtJKZMHM, frame->edtSJDHM, frame->edtCJHM}) {
        EXPECT_TRUE(e->text().isEmpty()) << e->objectName().toStdString();
        EXPECT_FALSE(e->isReadOnly());
    }
    EXPECT_TRUE(frame->edtFDJH->currentText().isEmpty());
    EXPECT_EQ(frame->edtFDJH->itemText(0), QStringLiteral("无"));
    EXPECT_TRUE(frame->edtHGZHM->hasFocus());

    // A car type of the list is selected again.
    frame->FMode = 0;
    ASSERT_TRUE(frame->InitInvoice());
    frame->cmbCLLX->setCurrentIndex(1);
    frame->FMode = 1;
    ASSERT_TRUE(frame->InitInvoice());
    EXPECT_EQ(frame->cmbCLLX->currentIndex(), 1);
}

TEST_F(FrameTest, TotalsAddTheAmountsThatAreNumbers)
{
    frame->edtJWJE1->setText(QStringLiteral("100"));
    frame->edtJWJE2->setText(QStringLiteral("50.5"));
    EXPECT_EQ(frame->stJFJE->text(), QStringLiteral("    150.50"));
    EXPECT_EQ(frame->stJFJEDX->text(), QStringLiteral("RMB壹佰伍拾圆零伍角整"));
    frame->edtDJ->setText(QStringLiteral("234567.89"));
    frame->edtJWJE3->setText(QStringLiteral("-"));  // not a number: adds nothing
    EXPECT_EQ(frame->stJFJE->text(), QStringLiteral(" 234718.39"));
    frame->edtDJ->setText(QStringLiteral("-12345"));
    frame->edtJWJE1->setText(QStringLiteral("-100"));
    frame->edtJWJE2->clear();
    EXPECT_EQ(frame->stJFJE->text(), QStringLiteral(" -12445.00"));
    EXPECT_EQ(frame->stJFJEDX->text(), QStringLiteral("RMB(负数)壹万贰仟肆佰肆拾伍圆整"));
}

TEST_F(FrameTest, AmountEditsTakeOnlyNumbersAndAreReformattedOnLeaving)
{
    frame->edtDJ->setFocus();
    TypeText(frame->edtDJ, QStringLiteral("12a.3.4元-"));
    EXPECT_EQ(frame->edtDJ->text(), QStringLiteral("12.34"));
    QTest::keyClick(frame->edtDJ, Qt::Key_Backspace);
    EXPECT_EQ(frame->edtDJ->text(), QStringLiteral("12.3"));
    TypeText(frame->edtDJ, QStringLiteral("4567890"));  // ten characters at most
    EXPECT_EQ(frame->edtDJ->text(), QStringLiteral("12.3456789"));
    frame->edtHTDH->setFocus();
    EXPECT_EQ(frame->edtDJ->text(), QStringLiteral("12.35"));

    frame->edtJWJE2->setFocus();
    TypeText(frame->edtJWJE2, QStringLiteral("12345"));
    frame->edtJWFY3->setFocus();
    EXPECT_EQ(frame->edtJWJE2->text(), QStringLiteral("12345.00"));
    // Text that is not a number stays as it is.
    frame->edtJWJE3->setText(QStringLiteral("abc"));
    frame->edtJWJE3->setFocus();
    frame->edtSKR->setFocus();
    EXPECT_EQ(frame->edtJWJE3->text(), QStringLiteral("abc"));

    // A host may let "-" in.
    frame->SetAmountKeyFilter([](QLineEdit* e, QKeyEvent* k) { return !AmountKeyAccepted(e->text(), k->text().at(0), true); });
    frame->edtJWJE1->clear();
    TypeText(frame->edtJWJE1, QStringLiteral("-50x"));
    EXPECT_EQ(frame->edtJWJE1->text(), QStringLiteral("-50"));
}

TEST_F(FrameTest, TypedTextIsLimitedInGbkBytesButProgramTextIsNot)
{
    TypeText(frame->edtGHDW, QString(46, QChar(0x6C7D)));  // 汽 x 46 = 92 bytes
    EXPECT_EQ(frame->edtGHDW->text().size(), 45);
    frame->edtGHDW->clear();
    TypeText(frame->edtGHDW, QString(89, u'A') + QChar(0x6C7D) + u'B');
    EXPECT_EQ(frame->edtGHDW->text(), QString(89, u'A') + u'B');
    TypeText(frame->edtSKR, QStringLiteral("王出纳王出纳王"));  // 10 bytes
    EXPECT_EQ(frame->edtSKR->text(), QStringLiteral("王出纳王出"));

    const QString longer(60, QChar(0x6C7D));
    frame->edtGHDW->setText(longer);
    EXPECT_EQ(frame->edtGHDW->text(), longer);
    frame->edtDJ->setText(QStringLiteral("-1234567.89"));
    EXPECT_EQ(frame->edtDJ->text(), QStringLiteral("-1234567.89"));
}

TEST_F(FrameTest, FrameNumberIsWrittenInCapitals)
{
    frame->edtCJHM->setFocus();
    TypeText(frame->edtCJHM, QStringLiteral("lsvab2b3"));
    EXPECT_EQ(frame->edtCJHM->text(), QStringLiteral("LSVAB2B3"));
    QTest::keyClick(frame->edtCJHM, Qt::Key_Left);
    TypeText(frame->edtCJHM, QStringLiteral("x"));
    EXPECT_EQ(frame->edtCJHM->text(), QStringLiteral("LSVAB2BX3"));
    EXPECT_EQ(frame->edtCJHM->cursorPosition(), 8);
}

TEST_F(FrameTest, EnterMovesThroughTheFieldsInOrderSkippingLockedOnes)
{
    const QList<QWidget*> order = frame->EntryControls();
    order.first()->setFocus();
    for (int i = 1; i < order.size(); ++i) {
        QWidget* from = QApplication::focusWidget();
        ASSERT_NE(from, nullptr);
        QTest::keyClick(from, Qt::Key_Return);
        EXPECT_TRUE(order.at(i)->hasFocus()) << "after " << order.at(i - 1)->objectName().toStdString();
    }
    // Enter in the payee field is the host's: the frame keeps the focus there.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(frame->edtSKR->hasFocus());

    // In batch mode the car type and model are disabled: Enter goes past them.
    FillValidInvoice(*frame);
    frame->FMode = 1;
    ASSERT_TRUE(frame->InitInvoice());
    frame->edtGHDWID->setFocus();
    QTest::keyClick(frame->edtGHDWID, Qt::Key_Return);
    EXPECT_TRUE(frame->edtCD->hasFocus());
}

TEST_F(FrameTest, SetInputEnabledSwitchesTheNineteenEntryControls)
{
    ASSERT_EQ(frame->EntryControls().size(), 19);
    frame->SetInputEnabled(false);
    for (QWidget* w : frame->EntryControls())
        EXPECT_TRUE(w->isEnabled() && IsFieldReadOnly(w)) << w->objectName().toStdString();
    frame->SetInputEnabled(true);
    for (QWidget* w : frame->EntryControls())
        EXPECT_TRUE(w->isEnabled() && !IsFieldReadOnly(w)) << w->objectName().toStdString();
}

struct CheckCase {
    const char* name;
    std::function<void(TframeInput&)> breakIt;
    QString message;
    std::function<QWidget*(TframeInput&)> focus;  // nullptr: the focus does not move
};

TEST_F(FrameTest, CheckInputRefusesInItsOrderWithMessageAndFocus)
{
    const std::vector<CheckCase> cases = {
        {"buyer blank", [](TframeInput& f) { f.edtGHDW->setText(QStringLiteral("  ")); }, QStringLiteral("购货单位不能为空！"),
         [](TframeInput& f) -> QWidget* { return f.edtGHDW; }},
        {"buyer id empty", [](TframeInput& f) { f.edtGHDWID->clear(); }, QStringLiteral("身份证号码/组织机构代码不能为空！"),
         [](TframeInput& f) -> QWidget* { return f.edtGHDWID; }},
        {"car type empty", [](TframeInput& f) { f.cmbCLLX->setEditText(QString()); }, QStringLiteral("车辆类型不能为空！"),
         [](TframeInput& f) -> QWidget* { return f.cmbCLLX; }},
        {"model none", [](TframeInput& f) { f.cmbCPXH->setCurrentIndex(-1); }, QStringLiteral("厂牌型号不能为空！"),
         [](TframeInput& f) -> QWidget* { return f.cmbCPXH; }},
        {"origin blank", [](TframeInput& f) { f.edtCD->setText(QStringLiteral(" ")); }, QStringLiteral("产地不能为空！"),
         [](TframeInput& f) -> QWidget* { return f.edtCD; }},
        {"frame number empty", [](TframeInput& f) { f.edtCJHM->clear(); }, QStringLiteral("车架号码/车辆识别号码不能为空！"),
         [](TframeInput& f) -> QWidget* { return f.edtCJHM; }},
        {"engine empty", [](TframeInput& f) { f.edtFDJH->setEditText(QStringLiteral(" ")); },
         QStringLiteral("发动机号不能为空,如没有发动机号请选择无！"), [](TframeInput& f) -> QWidget* { return f.edtFDJH; }},
        {"price empty", [](TframeInput& f) { f.edtDJ->setText(QStringLiteral(" ")); }, QStringLiteral("车辆单价不能为空！"),
         [](TframeInput& f) -> QWidget* { return f.edtDJ; }},
        {"price 0.00", [](TframeInput& f) { f.edtDJ->setText(QStringLiteral("0.00")); }, QStringLiteral("车辆单价不能为零！"),
         [](TframeInput& f) -> QWidget* { return f.edtDJ; }},
        {"price 00", [](TframeInput& f) { f.edtDJ->setText(QStringLiteral("00")); }, QStringLiteral("车辆单价不能为零！"),
         [](TframeInput& f) -> QWidget* { return f.edtDJ; }},
        {"price pasted text", [](TframeInput& f) { f.edtDJ->setText(QStringLiteral("12a")); },
         QStringLiteral("车辆单价只能是数值！"), [](TframeInput& f) -> QWidget* { return f.edtDJ; }},
        {"price negative", [](TframeInput& f) { f.edtDJ->setText(QStringLiteral("-5")); }, QStringLiteral("车辆单价不能为负数！"),
         [](TframeInput& f) -> QWidget* { return f.edtDJ; }},
        {"charge a point",
         [](TframeInput& f) {
             f.edtJWFY1->setText(QStringLiteral("上牌"));
             f.edtJWJE1->setText(QStringLiteral("."));
         },
         QStringLiteral("上牌费只能是数值！"), [](TframeInput& f) -> QWidget* { return f.edtJWJE1; }},
        {"charge without a name",
         [](TframeInput& f) {
             f.edtJWJE2->setText(QStringLiteral("100"));
             f.edtJWJE3->setText(QStringLiteral("1-2"));
         },
         QStringLiteral("价外费用只能是数值！"), [](TframeInput& f) -> QWidget* { return f.edtJWJE3; }},
        {"charge named with its 费",
         [](TframeInput& f) {
             f.edtJWFY2->setText(QStringLiteral("保险费"));
             f.edtJWJE2->setText(QStringLiteral("--5"));
         },
         QStringLiteral("保险费只能是数值！"), [](TframeInput& f) -> QWidget* { return f.edtJWJE2; }},
        {"price before charge",
         [](TframeInput& f) {
             f.edtDJ->setText(QStringLiteral("0"));
             f.edtJWJE1->setText(QStringLiteral("."));
         },
         QStringLiteral("车辆单价不能为零！"), [](TframeInput& f) -> QWidget* { return f.edtDJ; }},
        {"two faults: the first wins",
         [](TframeInput& f) {
             f.edtCD->clear();
             f.edtDJ->clear();
         },
         QStringLiteral("产地不能为空！"), [](TframeInput& f) -> QWidget* { return f.edtCD; }},
    };
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(frame->InitInvoice());
        FillValidInvoice(*frame);
        frame->edtSKR->setFocus();
        dialogs.Clear();
        c.breakIt(*frame);
        EXPECT_FALSE(frame->CheckInput(QStringLiteral("0")));
        EXPECT_EQ(dialogs.Texts(), QStringList{c.message});
        ASSERT_FALSE(dialogs.Shown().empty());
        EXPECT_EQ(dialogs.Shown().front().kind, TMsgKind::Warning);
        EXPECT_EQ(dialogs.Shown().front().buttons, mbOK);
        EXPECT_TRUE(c.focus(*frame)->hasFocus());
    }
    EXPECT_EQ(DbCount(QStringLiteral("select count(*) from SaleDetail")), 0);

    // Blanks pass where the text is taken as typed, and the optional fields may stay empty.
    ASSERT_TRUE(frame->InitInvoice());
    FillValidInvoice(*frame);
    frame->edtGHDWID->setText(QStringLiteral("  "));
    frame->cmbCLLX->setEditText(QStringLiteral(" "));
    frame->edtHGZHM->clear();
    frame->edtHTDH->clear();
    frame->edtSKR->clear();
    dialogs.Clear();
    EXPECT_TRUE(frame->CheckInput(QStringLiteral("0")));
    EXPECT_TRUE(dialogs.Texts().isEmpty());
}

TEST_F(FrameTest, CheckInputRefusesANumberAnEngineOrACarAlreadyInvoiced)
{
    FillValidInvoice(*frame, 7);
    frame->edtSKR->setFocus();
    AddSale(QStringLiteral("00001001"), QStringLiteral("0"), QStringLiteral("X"), QStringLiteral("Y"));
    EXPECT_FALSE(frame->CheckInput(QStringLiteral("0")));
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("发票号码已经存在！")});
    EXPECT_TRUE(frame->edtSKR->hasFocus());
    // Only rows of the same state count: a voided row of the number is left to the issue.
    DbExec(QStringLiteral("update SaleDetail set fpzt='1'"));
    dialogs.Clear();
    EXPECT_TRUE(frame->CheckInput(QStringLiteral("0")));

    AddSale(QStringLiteral("00000001"), QStringLiteral("0"), QStringLiteral("ENG00007"), QStringLiteral("OTHER"));
    dialogs.Clear();
    EXPECT_FALSE(frame->CheckInput(QStringLiteral("0")));
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("发动机号码已经存在！")});
    EXPECT_TRUE(frame->edtFDJH->hasFocus());

    // "无" (with blanks around it) skips the engine test; the frame number is tested next.
    frame->edtFDJH->setEditText(QStringLiteral(" 无 "));
    AddSale(QStringLiteral("00000002"), QStringLiteral("0"), QStringLiteral("无"), frame->edtCJHM->text());
    dialogs.Clear();
    EXPECT_FALSE(frame->CheckInput(QStringLiteral("0")));
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("车架号码已经存在！")});
    EXPECT_TRUE(frame->edtCJHM->hasFocus());

    // Reversed by a negative invoice, the car may be invoiced again.
    AddSale(QStringLiteral("00000003"), QStringLiteral("2"), QStringLiteral("Z"), frame->edtCJHM->text());
    dialogs.Clear();
    EXPECT_TRUE(frame->CheckInput(QStringLiteral("0")));
}

TEST_F(FrameTest, ClashTestsWeighNormalAgainstNegativeInvoices)
{
    const QString e = QStringLiteral("E1");
    EXPECT_FALSE(frame->EngineNoInUse(e, QStringLiteral("0")));
    EXPECT_FALSE(frame->EngineNoInUse(e, QStringLiteral("2")));
    AddSale(QStringLiteral("00000001"), QStringLiteral("1"), e, QStringLiteral("V"));  // voided: never counts
    AddSale(QStringLiteral("00000002"), QStringLiteral("3"), e, QStringLiteral("V"));
    EXPECT_FALSE(frame->EngineNoInUse(e, QStringLiteral("0")));
    AddSale(QStringLiteral("00000003"), QStringLiteral("0"), e, QStringLiteral("V"));  // S = -1
    EXPECT_TRUE(frame->EngineNoInUse(e, QStringLiteral("0")));
    EXPECT_FALSE(frame->EngineNoInUse(e, QStringLiteral("2")));
    EXPECT_TRUE(frame->VinInUse(QStringLiteral("V"), QStringLiteral("0")));
    AddSale(QStringLiteral("00000004"), QStringLiteral("2"), e, QStringLiteral("V"));  // S = 0
    EXPECT_FALSE(frame->EngineNoInUse(e, QStringLiteral("0")));
    EXPECT_FALSE(frame->EngineNoInUse(e, QStringLiteral("2")));
    AddSale(QStringLiteral("00000005"), QStringLiteral("2"), e, QStringLiteral("V"));  // S = +1
    EXPECT_FALSE(frame->EngineNoInUse(e, QStringLiteral("0")));
    EXPECT_TRUE(frame->EngineNoInUse(e, QStringLiteral("2")));
    EXPECT_TRUE(frame->VinInUse(QStringLiteral("V"), QStringLiteral("2")));
    // Values are bound: a quote or a column name is just text.
    EXPECT_FALSE(frame->EngineNoInUse(QStringLiteral("fdjhm"), QStringLiteral("2")));
    EXPECT_FALSE(frame->VinInUse(QStringLiteral("x' or '1'='1"), QStringLiteral("2")));
}

TEST_F(FrameTest, NegativeKindMakesThePriceNegativeOnce)
{
    FillValidInvoice(*frame);
    frame->edtDJ->setText(QStringLiteral("1234567.89"));
    EXPECT_TRUE(frame->CheckInput(QStringLiteral("2")));
    EXPECT_EQ(frame->edtDJ->text(), QStringLiteral("-1234567.89"));
    EXPECT_TRUE(frame->CheckInput(QStringLiteral("2")));
    EXPECT_EQ(frame->edtDJ->text(), QStringLiteral("-1234567.89"));
    // Made negative even when a later check fails.
    frame->edtDJ->setText(QStringLiteral(" 12345.00 "));
    AddSale(QStringLiteral("00001001"), QStringLiteral("2"), QStringLiteral("X"), QStringLiteral("Y"));
    EXPECT_FALSE(frame->CheckInput(QStringLiteral("2")));
    EXPECT_EQ(frame->edtDJ->text(), QStringLiteral("-12345.00"));
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("发票号码已经存在！")});
}

TEST_F(FrameTest, LookupsFindRowsByNumberCodeAndState)
{
    AddSale(QStringLiteral("00000008"), QStringLiteral("0"), QStringLiteral("E"), QStringLiteral("V"));
    AddSale(QStringLiteral("00000008"), QStringLiteral("1"), QStringLiteral("E"), QStringLiteral("V"),
            QStringLiteral("144001900222"));
    EXPECT_TRUE(frame->InvoiceExists(QStringLiteral("00000008"), QString(), QStringLiteral("0")));
    EXPECT_TRUE(frame->InvoiceExists(QStringLiteral("00000008"), QString::fromLatin1(kCode), QStringLiteral("0")));
    EXPECT_FALSE(frame->InvoiceExists(QStringLiteral("00000008"), QStringLiteral("144001900222"), QStringLiteral("0")));
    EXPECT_FALSE(frame->InvoiceExists(QStringLiteral("8"), QString(), QStringLiteral("0")));

    EXPECT_EQ(frame->CountInvoices(QStringLiteral("00000008"), QString()), 2);
    EXPECT_EQ(frame->CountInvoices(QStringLiteral("00000009"), QString()), 0);
    EXPECT_EQ(frame->CountInvoices(QStringLiteral("00000008"), QStringLiteral("144001900222")), 1);
    // The row counted is kept, and no read is left open on the connection.
    EXPECT_EQ(frame->FoundRow().value(QStringLiteral("fpzt")).toString(), QStringLiteral("1"));
    EXPECT_EQ(DataBase->ActiveStatements(), QStringList());

    EXPECT_FALSE(frame->IsReversed(QStringLiteral("00000008"), QString()));
    DbExec(QStringLiteral("insert into SaleDetail(fphm,fpzt,ysfphm,ysfpdm) values('00001001','2','00000008','')"));
    EXPECT_TRUE(frame->IsReversed(QStringLiteral("00000008"), QString()));
    // Stored without a code, the reversal counts for every invoice of the number.
    EXPECT_TRUE(frame->IsReversed(QStringLiteral("00000008"), QString::fromLatin1(kCode)));
    DbExec(QStringLiteral("update SaleDetail set ysfpdm='144001900222' where fpzt='2'"));
    EXPECT_FALSE(frame->IsReversed(QStringLiteral("00000008"), QString::fromLatin1(kCode)));
    EXPECT_TRUE(frame->IsReversed(QStringLiteral("00000008"), QStringLiteral("144001900222")));
    EXPECT_FALSE(frame->IsReversed(QStringLiteral("00000007"), QStringLiteral("144001900222")));
    DbExec(QStringLiteral("update SaleDetail set ysfpdm=null where fpzt='2'"));
    EXPECT_TRUE(frame->IsReversed(QStringLiteral("00000008"), QString::fromLatin1(kCode)));

    DbExec(QStringLiteral("drop table SaleDetail"));
    EXPECT_EQ(frame->CountInvoices(QStringLiteral("00000008"), QString()), -1);
    EXPECT_THROW(frame->InvoiceExists(QStringLiteral("00000008"), QString(), QStringLiteral("0")), EDatabaseError);
}

QSqlRecord SaleRecord(const QString& number)
{
    QSqlQuery q = DataBase->Run(QStringLiteral("select * from SaleDetail where fphm=:n"), {{QStringLiteral("n"), number}});
    EXPECT_TRUE(q.next());
    return q.record();
}

TEST_F(FrameTest, LoadFromDataSetShowsAStoredInvoice)
{
    DbExec(QStringLiteral(
        "insert into SaleDetail values('2025-12-31 23:59:58','144001900999','00000042','买方''甲\"','ID1','自卸车',"
        "'停产型','天津','HG1','JK1','SJ1',NULL,'LVIN1','壹',12345,'HT1','上牌',NULL,'',100,0,NULL,"
        "'RMB壹万贰仟肆佰肆拾伍圆整',12445,'卖方','地址','电话','税号','银行','帐号','开票人','收款人','0','0',"
        "'','','丙厂','总部')"));
    frame->LoadFromDataSet(SaleRecord(QStringLiteral("00000042")));
    EXPECT_EQ(frame->stYear->text(), QStringLiteral("2025"));
    EXPECT_EQ(frame->stMonth->text(), QStringLiteral("12"));
    EXPECT_EQ(frame->stDay->text(), QStringLiteral("31"));
    EXPECT_EQ(frame->stFPDM->text(), QStringLiteral("144001900999"));
    EXPECT_EQ(frame->stFPHM->text(), QStringLiteral("00000042"));
    EXPECT_EQ(frame->edtGHDW->text(), QStringLiteral("买方'甲\""));
    EXPECT_EQ(frame->cmbCLLX->currentIndex(), -1);
    EXPECT_EQ(frame->cmbCLLX->currentText(), QStringLiteral("自卸车"));
    // A model no longer in the list shows as stored.
    EXPECT_EQ(frame->cmbCPXH->currentText(), QStringLiteral("停产型"));
    EXPECT_EQ(frame->edtCD->text(), QStringLiteral("天津"));
    EXPECT_EQ(frame->edtFDJH->currentText(), QStringLiteral("无"));
    EXPECT_EQ(frame->edtCJHM->text(), QStringLiteral("LVIN1"));
    EXPECT_EQ(frame->edtDJ->text(), QStringLiteral("12345"));
    EXPECT_EQ(frame->edtJWFY1->text(), QStringLiteral("上牌"));
    EXPECT_EQ(frame->edtJWJE1->text(), QStringLiteral("100"));
    EXPECT_EQ(frame->edtJWJE2->text(), QStringLiteral("0"));
    EXPECT_EQ(frame->edtJWJE3->text(), QString());
    EXPECT_EQ(frame->stJFJEDX->text(), QStringLiteral("RMB壹万贰仟肆佰肆拾伍圆整"));
    EXPECT_EQ(frame->stJFJE->text(), QStringLiteral("12445"));
    EXPECT_EQ(frame->stXHDW->text(), QStringLiteral("卖方"));
    EXPECT_EQ(frame->stKPR->text(), QStringLiteral("开票人"));
    EXPECT_EQ(frame->edtSKR->text(), QStringLiteral("收款人"));
    EXPECT_EQ(frame->edtSCCJ->text(), QStringLiteral("丙厂"));
    // The frame checks it as shown: the stored model passes.
    frame->SetInputEnabled(false);
    EXPECT_TRUE(IsFieldReadOnly(frame->cmbCPXH));

    // A row of a used blank carries Nulls: they show empty, not the previous invoice's values.
    DbExec(QStringLiteral(
        "insert into SaleDetail(kprq,fpdm,fphm,fpzt) values('2026-03-02 08:00:00','144001900999','00000043','1')"));
    frame->LoadFromDataSet(SaleRecord(QStringLiteral("00000043")));
    EXPECT_EQ(frame->stFPHM->text(), QStringLiteral("00000043"));
    for (QLineEdit* e :
         {frame->edtGHDW, frame->edtCD, frame->edtCJHM, frame->edtDJ, frame->edtJWFY1, frame->edtJWJE1, frame->edtSKR})
        EXPECT_TRUE(e->text().isEmpty()) << e->objectName().toStdString();
    for (QLabel* l : {frame->stJFJE, frame->stJFJEDX, frame->stXHDW, frame->stSL})
        EXPECT_TRUE(l->text().isEmpty()) << l->objectName().toStdString();
    EXPECT_EQ(frame->cmbCPXH->currentIndex(), -1);
    EXPECT_TRUE(frame->cmbCLLX->currentText().isEmpty());
    EXPECT_EQ(frame->edtFDJH->currentText(), QStringLiteral("无"));

    // A car type of the list is selected.
    DbExec(QStringLiteral("update SaleDetail set cllx='客车', cpxh='B型' where fphm='00000043'"));
    frame->LoadFromDataSet(SaleRecord(QStringLiteral("00000043")));
    EXPECT_EQ(frame->cmbCLLX->currentIndex(), 1);
    EXPECT_EQ(frame->cmbCPXH->currentIndex(), 1);
}

TEST_F(FrameTest, LoadFromDataSetRefusesARowItCannotRead)
{
    DbExec(QStringLiteral("insert into SaleDetail(kprq,fpdm,fphm) values('gestern','144001900999','00000044')"));
    EXPECT_THROW(frame->LoadFromDataSet(SaleRecord(QStringLiteral("00000044"))), EConvertError);
    DbExec(QStringLiteral("update SaleDetail set kprq='2026-01-01 00:00:00', fpdm=NULL"));
    EXPECT_THROW(frame->LoadFromDataSet(SaleRecord(QStringLiteral("00000044"))), EConvertError);
    QSqlQuery q = DataBase->Run(QStringLiteral("select kprq,fpdm,fphm from SaleDetail"));
    ASSERT_TRUE(q.next());
    DbExec(QStringLiteral("update SaleDetail set fpdm='1'"));
    q = DataBase->Run(QStringLiteral("select kprq,fpdm,fphm from SaleDetail"));
    ASSERT_TRUE(q.next());
    EXPECT_THROW(frame->LoadFromDataSet(q.record()), EDatabaseError);  // ghdw is missing
}

TEST_F(FrameTest, SaleRowCarriesEveryColumnAsTheIssueStoresIt)
{
    FillValidInvoice(*frame);
    frame->edtFDJH->setEditText(QStringLiteral("无"));
    frame->edtJWFY1->setText(QStringLiteral("上牌"));
    frame->edtJWJE1->setText(QStringLiteral("100.5"));
    frame->edtYSFPHM->setText(QStringLiteral("00000007"));
    frame->stSH->setText(QStringLiteral("shown, not stored"));
    const TParams row = frame->SaleRow(QStringLiteral("0"), FixedNow());
    EXPECT_EQ(row.size(), 38);
    EXPECT_EQ(row.value(QStringLiteral("kprq")).toString(), QStringLiteral("2026-03-05 14:07:09"));
    EXPECT_EQ(row.value(QStringLiteral("fpdm")).toString(), QString::fromLatin1(kCode));
    EXPECT_EQ(row.value(QStringLiteral("fphm")).toString(), QStringLiteral("00001001"));
    EXPECT_TRUE(row.value(QStringLiteral("fdjhm")).isNull());
    EXPECT_EQ(row.value(QStringLiteral("dj")).toDouble(), 123456.0);
    EXPECT_EQ(row.value(QStringLiteral("jwje1")).toDouble(), 100.5);
    EXPECT_EQ(row.value(QStringLiteral("jwje2")), QVariant(0));
    EXPECT_EQ(row.value(QStringLiteral("jwfy2")).toString(), QString());
    EXPECT_EQ(row.value(QStringLiteral("jwjehj")).toDouble(), 123556.5);
    EXPECT_EQ(row.value(QStringLiteral("jwhjdx")).toString(), frame->stJFJEDX->text());
    EXPECT_EQ(row.value(QStringLiteral("saleTaxID")).toString(), QStringLiteral("440100000000001"));
    EXPECT_EQ(row.value(QStringLiteral("sl")).toString(), QStringLiteral("壹"));
    EXPECT_EQ(row.value(QStringLiteral("flag")).toString(), QStringLiteral("0"));
    EXPECT_EQ(row.value(QStringLiteral("fpzt")).toString(), QStringLiteral("0"));
    EXPECT_EQ(row.value(QStringLiteral("ysfphm")).toString(), QStringLiteral("00000007"));
    EXPECT_EQ(row.value(QStringLiteral("sccj")).toString(), QStringLiteral("甲厂"));
    EXPECT_EQ(row.value(QStringLiteral("kpdName")).toString(), QStringLiteral("总部"));

    frame->edtJWJE2->setText(QStringLiteral(" "));  // pasted blanks are not an amount
    EXPECT_THROW(frame->SaleRow(QStringLiteral("0"), FixedNow()), EConvertError);
}

TEST_F(FrameTest, StoringTakesTheNumberFromStockOrNothing)
{
    FillValidInvoice(*frame);
    DataBase->BeginTrans();
    StoreIssuedInvoice(frame->SaleRow(QStringLiteral("0"), FixedNow()));
    DataBase->CommitTrans();
    EXPECT_EQ(CountIssued(QString::fromLatin1(kCode), QStringLiteral("00001001")), 1);
    // Empty fields are stored as empty text, not Null; "无" as Null.
    EXPECT_EQ(DbCount(QStringLiteral("select count(*) from SaleDetail where jwfy1='' and jkzmhm='' and ysfpdm='' "
                                     "and ysfphm='' and jwje1=0 and fdjhm='ENG00001'")),
              1);
    EXPECT_EQ(DbValue(QStringLiteral("select dqhm||'/'||syfs from fpkcxx")).toString(), QStringLiteral("00001002/49"));

    // A number that no roll with copies holds: the row must not stay without its advance.
    frame->stFPHM->setText(QStringLiteral("00002001"));
    DataBase->BeginTrans();
    EXPECT_THROW(StoreIssuedInvoice(frame->SaleRow(QStringLiteral("0"), FixedNow())), EDatabaseError);
    DataBase->RollbackTrans();
    EXPECT_EQ(DbCount(QStringLiteral("select count(*) from SaleDetail")), 1);
    EXPECT_EQ(DbValue(QStringLiteral("select dqhm||'/'||syfs from fpkcxx")).toString(), QStringLiteral("00001002/49"));
}
}  // namespace
