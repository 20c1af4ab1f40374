#include "ManagementTestData.h"
#include "core/Errors.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "invoices/TfrmWKJFPGL.h"

#include <QApplication>
#include <QButtonGroup>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {
const QString kFirst = QStringLiteral("00001000");

class BlankInvoices : public ManagementTest {
protected:
    void SetUp() override { Start(kFirst, QStringLiteral("00009999")); }
    // Opens the window through the main window and acts on it while it is up.
    void Run(const std::function<void(TfrmWKJFPGL&)>& act)
    {
        WhileModal([this] { main->WKFPGL->trigger(); },
                   [&](QWidget* w) {
                       auto* window = qobject_cast<TfrmWKJFPGL*>(w);
                       ASSERT_NE(window, nullptr);
                       act(*window);
                   });
    }
    // Types the end number, presses the button and answers the question.
    void Register(TfrmWKJFPGL& w, const QString& last, TMsgButton answer = mbYes)
    {
        w.edtEFPHM->setText(last);
        dialogs.Answer(answer);
        w.btnBlank->click();
    }
    static int Rows() { return DbCount(QStringLiteral("select count(*) from SaleDetail")); }
};

TEST_F(BlankInvoices, RefusedRunsStoreNothingAndKeepTheWindowOpen)
{
    struct Case {
        QString last;
        TMsgButton answer;
        QStringList boxes;
    } const cases[] = {
        {QStringLiteral("00010000"), mbNone, {QStringLiteral("发票号码止不能大于最大号码00009999")}},
        {QStringLiteral("00000999"), mbNone, {QStringLiteral("发票号码止不能小于当前号码00001000")}},
        // Between the current and the last number as texts, yet no number of the roll.
        {QStringLiteral("00005"), mbNone, {QStringLiteral("发票号码只能是8位！")}},
        {QStringLiteral("0000500a"), mbNone, {QStringLiteral("发票号码只能是8位！")}},
        {QStringLiteral("00001002"), mbNo, {QStringLiteral("确定要作废此发票吗,\n一旦作废将无法恢复，请您慎重选择？")}},
    };
    for (const Case& c : cases) {
        dialogs.Clear();
        bool stillOpen = false, focused = false;
        Run([&](TfrmWKJFPGL& w) {
            EXPECT_EQ(w.edtFPDM->text(), QString::fromLatin1(kCode));
            EXPECT_EQ(w.edtSFPHM->text(), kFirst);
            Register(w, c.last, c.answer);
            stillOpen = w.isVisible();
            focused = QApplication::focusWidget() == w.edtEFPHM;
        });
        EXPECT_EQ(dialogs.Texts(), c.boxes) << c.last.toStdString();
        EXPECT_TRUE(stillOpen);
        EXPECT_TRUE(focused) << "the end number keeps the focus";
        EXPECT_EQ(Rows(), 0);
        EXPECT_EQ(Roll(), QStringLiteral("00001000/9000"));
    }

    // Without stock the fields stay empty and the run has nothing to register.
    DbExec(QStringLiteral("update fpkcxx set syfs=0"));
    dialogs.Clear();
    Run([&](TfrmWKJFPGL& w) {
        EXPECT_TRUE(w.edtSFPHM->text().isEmpty());
        Register(w, QString());
    });
    EXPECT_EQ(dialogs.Texts().value(1), QStringLiteral("没有要作废发票"));
    EXPECT_EQ(Rows(), 0);
}

class BlankOperations : public BlankInvoices, public ::testing::WithParamInterface<int> {};

TEST_P(BlankOperations, ARunIsStoredWithItsStateAndTheRollMovesPastIt)
{
    const int item = GetParam();
    const QString op = QStringList{"作废", "交回", "遗失"}.at(item);
    const int mark = LogMark();
    bool closed = false;
    Run([&](TfrmWKJFPGL& w) {
        EXPECT_EQ(w.size(), QSize(483, 300));
        w.rdgLXItems->button(item)->click();
        EXPECT_EQ(w.btnBlank->text(), op);
        Register(w, QStringLiteral(" 00001002 "));
        closed = !w.isVisible();
    });
    EXPECT_TRUE(closed);
    EXPECT_EQ(dialogs.Texts(), (QStringList{QStringLiteral("确定要") + op + QStringLiteral("此发票吗,\n一旦") + op +
                                                QStringLiteral("将无法恢复，请您慎重选择？"),
                                            op + QStringLiteral("00001000-00001002成功！")}));
    QStringList expected;
    for (const char* no : {"00001000", "00001001", "00001002"})
        expected << QStringLiteral("2026-03-05 14:07:09|%1|%2|%3|某汽车销售公司|440100000000001|李会计|总部|-")
                        .arg(QString::fromLatin1(kCode), QString::fromLatin1(no), QStringList{"1", "3", "4"}.at(item));
    EXPECT_EQ(DbValue(QStringLiteral("select group_concat(kprq||'|'||fpdm||'|'||fphm||'|'||fpzt||'|'||saleName||'|'||"
                                     "saleTaxID||'|'||saleMan||'|'||kpdName||'|'||ifnull(ghdw,'-'),',') from "
                                     "(select * from SaleDetail order by fphm)"))
                  .toString(),
              expected.join(u','));
    EXPECT_EQ(Roll(), QStringLiteral("00001003/8997"));  // the next invoice is the one after the run
    EXPECT_EQ(LogSince(mark),
              (QStringList{"打开未开发票管理", op + QStringLiteral("00001000-00001002成功！"), "关闭未开具发票管理"}));
}

INSTANTIATE_TEST_SUITE_P(Operations, BlankOperations, ::testing::Values(0, 1, 2));

TEST_F(BlankInvoices, AFailedRunLeavesNothingAndASecondRunStoresEachNumberOnce)
{
    const QString run = QStringLiteral("作废00001000-00001009");
    auto attempt = [&](const QString& expected) {
        dialogs.Clear();
        QString shownStart;
        Run([&](TfrmWKJFPGL& w) {
            Register(w, QStringLiteral("00001009"));
            shownStart = w.edtSFPHM->text();
        });
        EXPECT_EQ(dialogs.Texts().value(1), expected);
        // Copies left and numbers used add up to the copies received.
        EXPECT_EQ(DbCount(QStringLiteral("select syfs from fpkcxx")) + Rows(), 9000);
        if (expected.endsWith(QStringLiteral("失败！"))) {
            EXPECT_EQ(Rows(), 0);
            EXPECT_EQ(Roll(), QStringLiteral("00001000/9000"));
            EXPECT_EQ(shownStart, kFirst);  // the roll as stored
        }
    };
    // The fourth insert of ten fails.
    DbExec(
        QStringLiteral("create trigger fail4 before insert on SaleDetail when (select count(*) from SaleDetail) = 3 "
                       "begin select raise(abort, 'injected fault'); end"));
    const int mark = LogMark();
    attempt(run + QStringLiteral("失败！"));
    const QStringList lines = LogSince(mark);
    EXPECT_EQ(lines.value(1), run + QStringLiteral("失败！"));
    EXPECT_TRUE(lines.value(2).startsWith(QStringLiteral("原因为:"))) << lines.value(2).toStdString();
    EXPECT_TRUE(lines.value(2).contains(QStringLiteral("injected fault")));

    // Every number inserted, then the commit fails.
    DbExec(QStringLiteral("drop trigger fail4"));
    DataBase->SetBeforeCommitHook([] { throw EDatabaseError(QStringLiteral("disk full")); });
    attempt(run + QStringLiteral("失败！"));

    DataBase->SetBeforeCommitHook({});
    attempt(run + QStringLiteral("成功！"));
    EXPECT_EQ(DbCount(QStringLiteral("select count(distinct fphm) from SaleDetail")), 10);
    EXPECT_EQ(Rows(), 10);
    EXPECT_EQ(Roll(), QStringLiteral("00001010/8990"));
}

// The clerk types the end number and presses Enter: the question comes up with "否" as the
// button Enter presses, for each of the three operations.
TEST_F(BlankInvoices, EnterInTheEndNumberAsksAndTheQuestionDefaultsToNo)
{
    for (int item : {0, 1, 2}) {
        SCOPED_TRACE(item);
        const QString op = QStringList{"作废", "交回", "遗失"}.at(item);
        const QString first = DbValue(QStringLiteral("select dqhm from fpkcxx")).toString();
        const QString last = QStringLiteral("%1").arg(first.toInt() + 1, 8, 10, QChar(u'0'));
        dialogs.Clear();
        bool closed = false;
        Run([&](TfrmWKJFPGL& w) {
            w.rdgLXItems->button(item)->click();
            w.edtEFPHM->setFocus();
            ASSERT_EQ(QApplication::focusWidget(), w.edtEFPHM);
            w.edtEFPHM->selectAll();
            for (const QChar c : last)
                QTest::keyClick(w.windowHandle(), c.toLatin1());
            dialogs.Answer(mbNo);
            QTest::keyClick(w.windowHandle(), Qt::Key_Return);
            ASSERT_EQ(dialogs.Shown().size(), 1u);
            EXPECT_EQ(dialogs.Shown().front().text, QStringLiteral("确定要") + op + QStringLiteral("此发票吗,\n一旦") + op +
                                                        QStringLiteral("将无法恢复，请您慎重选择？"));
            EXPECT_EQ(dialogs.Shown().front().defaultButton, mbNo);
            EXPECT_EQ(Rows(), 2 * item);
            dialogs.Answer(mbYes);
            QTest::keyClick(w.windowHandle(), Qt::Key_Enter, Qt::KeypadModifier);
            closed = !w.isVisible();
        });
        EXPECT_TRUE(closed);
        EXPECT_EQ(dialogs.Texts().last(), op + first + u'-' + last + QStringLiteral("成功！"));
        EXPECT_EQ(Rows(), 2 * item + 2);
    }
}

TEST_F(BlankInvoices, ANumberStoredAlreadyOrARollThatDoesNotMoveFailsTheWholeRun)
{
    // Issued at another point under the same code.
    AddSale(QStringLiteral("00001002"), QStringLiteral("0"), QStringLiteral("2026-03-02 10:00:00"), QStringLiteral("分部"));
    const int mark = LogMark();
    Run([&](TfrmWKJFPGL& w) { Register(w, QStringLiteral("00001004")); });
    EXPECT_EQ(dialogs.Texts().value(1), QStringLiteral("作废00001000-00001004失败！"));
    EXPECT_TRUE(LogSince(mark).value(2).contains(QStringLiteral("00001002"))) << LogSince(mark).join(u'/').toStdString();
    EXPECT_EQ(Rows(), 1);
    EXPECT_EQ(Roll(), QStringLiteral("00001000/9000"));

    // A roll whose counts disagree takes no copy off: nothing may be reported as stored.
    DbExec(QStringLiteral("delete from SaleDetail"));
    DbExec(QStringLiteral("update fpkcxx set lyfs=5"));
    dialogs.Clear();
    Run([&](TfrmWKJFPGL& w) { Register(w, QStringLiteral("00001000")); });
    EXPECT_EQ(dialogs.Texts().value(1), QStringLiteral("作废00001000-00001000失败！"));
    EXPECT_EQ(Rows(), 0);
}
}  // namespace
