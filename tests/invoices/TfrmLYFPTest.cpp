#include "FormTest.h"
#include "ProgramFolder.h"
#include "QtPrinters.h"
#include "Screen.h"
#include "ScriptedDialogs.h"
#include "Typing.h"
#include "core/Common.h"
#include "core/PubFun.h"
#include "core/Errors.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "invoices/StockReceipt.h"
#include "invoices/TfrmLYFP.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {
const QString kCode = QStringLiteral("144001900111");
const QString kOtherCode = QStringLiteral("144001900222");

class StockReceipt : public TFormTest<TfrmLYFP> {
protected:
    void SetUp() override
    {
        folder.Sql(QStringLiteral(
            "insert into baseinfo(corpName,corpTaxID,kpdName,flag) values('某汽车销售公司','440100000000001','总部','是');"));
        Seed();
        Open();
        ASSERT_TRUE(ShowActive(form));
    }
    // Rows the database holds before the context opens it.
    virtual void Seed() {}

    void Fill(const QString& code, const QString& first, const QString& last, const QString& receiver = QStringLiteral("张三"))
    {
        form->edtFPDM->setText(code);
        form->edtFPHMQ->setText(first);
        form->edtFPHMZ->setText(last);
        form->edtLYR->setText(receiver);
    }
    // Adds through Enter in the receiver field, which works whether "添加" is enabled or not.
    void Add(const QString& code, const QString& first, const QString& last)
    {
        Fill(code, first, last);
        form->edtLYR->setFocus();
        QTest::keyClick(form->edtLYR, Qt::Key_Return);
    }
    void SaveAnswering(TMsgButton answer)
    {
        dialogs.Answer(answer);
        form->btnSave->click();
    }
    QString Cell(int row, int column) const
    {
        const QTableWidgetItem* item = form->sgdKC->item(row, column);
        return item ? item->text() : QString();
    }
    QStringList Row(int row) const
    {
        QStringList cells;
        for (int c = 0; c < TfrmLYFP::colCount; ++c)
            cells << Cell(row, c);
        return cells;
    }
    QString LastText() const { return dialogs.Shown().empty() ? QString() : dialogs.Shown().back().text; }
};

TEST(StockReceiptHelpers, ReceiptTimeAndPreviousMonth)
{
    EXPECT_EQ(ReceiptDateTimeText(QDate(2026, 2, 7)), QStringLiteral("2026-02-07 13:28:19"));
    EXPECT_EQ(PreviousMonthKey(QDateTime(QDate(2026, 3, 31), QTime(9, 0))), QStringLiteral("2026-02"));
    EXPECT_EQ(PreviousMonthKey(QDateTime(QDate(2026, 1, 15), QTime(9, 0))), QStringLiteral("2025-12"));
    EXPECT_EQ(StrictToInt(QStringLiteral("0050")), 50);
    EXPECT_THROW(StrictToInt(QStringLiteral(" 5")), EConvertError);
    EXPECT_THROW(StrictToInt(QStringLiteral("99999999999")), EConvertError);
    EXPECT_THROW(StrictToInt(QString()), EConvertError);
}

TEST_F(StockReceipt, ShownReadyWithTitledEmptyGridAndHiddenLastPeriodEntry)
{
    EXPECT_EQ(form->windowTitle(), QStringLiteral("领用发票"));
    EXPECT_EQ(form->dtpLYRQ->date(), QDate(2026, 3, 5));
    EXPECT_EQ(form->PrevMonth, QStringLiteral("2026-02"));
    EXPECT_TRUE(form->btnAdd->isEnabled());
    EXPECT_FALSE(form->btnSave->isEnabled());
    EXPECT_FALSE(form->edtLYFS->isEnabled());
    ASSERT_EQ(form->sgdKC->columnCount(), 6);
    EXPECT_EQ(form->sgdKC->rowCount(), 1);
    const QStringList titles = {QStringLiteral("发票代码"), QStringLiteral("发票号码起"), QStringLiteral("发票号码止"),
                                QStringLiteral("领用人"),   QStringLiteral("领用时间"),   QStringLiteral("领用份数")};
    const int widths[] = {120, 100, 100, 100, 160, 50};
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(form->sgdKC->horizontalHeaderItem(c)->text(), titles[c]);
        EXPECT_EQ(form->sgdKC->columnWidth(c), widths[c]);
    }
    for (QWidget* w : {static_cast<QWidget*>(form->cbKC), static_cast<QWidget*>(form->edtQZHM),
                       static_cast<QWidget*>(form->edtFS), static_cast<QWidget*>(form->lblFS)})
        EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
    EXPECT_FALSE(form->cbKC->isChecked());
    EXPECT_FALSE(form->edtFS->isEnabled());
    form->cbKC->setChecked(true);
    EXPECT_TRUE(form->edtFS->isEnabled());
    EXPECT_TRUE(form->edtQZHM->isEnabled());
    EXPECT_EQ(form->findChild<QLineEdit*>(QStringLiteral("edtFPHMQ")), form->edtFPHMQ);

    form->resize(1200, 900);
    EXPECT_EQ(form->pnlMain->geometry().center().x(), form->rect().center().x());
    EXPECT_NEAR(form->pnlMain->geometry().center().y(), form->rect().center().y(), 1);
    // Narrower than the panel, the window keeps the panel's first fields in view.
    form->resize(600, 700);
    EXPECT_EQ(form->pnlMain->pos(), QPoint(0, (700 - form->pnlMain->height()) / 2));
}

TEST_F(StockReceipt, KeyFiltersLimitsAndLiveCount)
{
    TypeText(form->edtFPDM, QStringLiteral("14a4-0019001112345"));
    EXPECT_EQ(form->edtFPDM->text(), QStringLiteral("144001900111"));
    TypeText(form->edtFPHMQ, QStringLiteral("000 000011"));
    EXPECT_EQ(form->edtFPHMQ->text(), QStringLiteral("00000001"));
    EXPECT_TRUE(form->edtLYFS->text().isEmpty());
    TypeText(form->edtFPHMZ, QStringLiteral("0000"));
    EXPECT_EQ(form->edtLYFS->text(), QStringLiteral("0"));  // counted as it stands, before it is whole
    TypeText(form->edtFPHMZ, QStringLiteral("0050"));
    EXPECT_EQ(form->edtLYFS->text(), QStringLiteral("50"));
    QTest::keyClick(form->edtFPHMQ, Qt::Key_End);
    QTest::keyClick(form->edtFPHMQ, Qt::Key_Backspace);
    QTest::keyClick(form->edtFPHMQ, Qt::Key_Backspace);
    TypeText(form->edtFPHMQ, QStringLiteral("60"));
    EXPECT_EQ(form->edtLYFS->text(), QStringLiteral("-9"));  // shown as it is; the check refuses it
    form->edtFPHMQ->selectAll();
    QTest::keyClick(form->edtFPHMQ, Qt::Key_Delete);
    EXPECT_TRUE(form->edtLYFS->text().isEmpty());

    TypeText(form->edtLYR, QStringLiteral("张三李四王五赵六钱七孙八"));
    EXPECT_EQ(form->edtLYR->text(), QStringLiteral("张三李四王五赵六钱七"));  // 20 GBK bytes
    form->cbKC->setChecked(true);
    TypeText(form->edtFS, QStringLiteral("12x34567"));
    EXPECT_EQ(form->edtFS->text(), QStringLiteral("123456"));
}

TEST_F(StockReceipt, EnterMovesThroughTheFieldsAndAddsFromTheReceiver)
{
    form->edtFPDM->setFocus();
    TypeText(form->edtFPDM, kCode);
    QTest::keyClick(form->edtFPDM, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), form->edtFPHMQ);
    TypeText(form->edtFPHMQ, QStringLiteral("00000001"));
    QTest::keyClick(form->edtFPHMQ, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), form->edtFPHMZ);
    TypeText(form->edtFPHMZ, QStringLiteral("00000100"));
    QTest::keyClick(form->edtFPHMZ, Qt::Key_Enter);
    EXPECT_EQ(QApplication::focusWidget(), form->edtLYR);
    TypeText(form->edtLYR, QStringLiteral("张三"));
    QTest::keyClick(form->edtLYR, Qt::Key_Return);
    EXPECT_EQ(Row(0), (QStringList{kCode, QStringLiteral("00000001"), QStringLiteral("00000100"), QStringLiteral("张三"),
                                   QStringLiteral("2026-03-05 13:28:19"), QStringLiteral("100")}));
    EXPECT_FALSE(form->btnAdd->isEnabled());
    EXPECT_TRUE(form->btnSave->isEnabled());

    // "添加" is disabled now, yet Enter in the receiver field still adds, below the last row.
    Add(kOtherCode, QStringLiteral("00000001"), QStringLiteral("00000100"));
    ASSERT_EQ(form->sgdKC->rowCount(), 2);
    EXPECT_EQ(Cell(1, TfrmLYFP::colFPDM), kOtherCode);
    EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(StockReceipt, ChecksRunInOrderWithTheirMessagesAndFocus)
{
    struct Case {
        QString code, first, last, receiver;
        QString message;
        QLineEdit* TfrmLYFP::*focus;
    };
    const QString ok8 = QStringLiteral("00000001");
    const QString ok8b = QStringLiteral("00000010");
    const Case cases[] = {
        {QString(), QString(), QString(), QString(), QStringLiteral("请输入发票代码！"), &TfrmLYFP::edtFPDM},
        {QStringLiteral("   "), ok8, ok8b, QStringLiteral("张三"), QStringLiteral("请输入发票代码！"), &TfrmLYFP::edtFPDM},
        {QStringLiteral("14400190011"), QString(), QString(), QString(), QStringLiteral("发票代码只能是12位！"),
         &TfrmLYFP::edtFPDM},
        {QStringLiteral("14400190011x"), ok8, ok8b, QStringLiteral("张三"), QStringLiteral("发票代码只能是12位！"),
         &TfrmLYFP::edtFPDM},
        {kCode, QString(), QString(), QString(), QStringLiteral("请输入发票号码起！"), &TfrmLYFP::edtFPHMQ},
        {kCode, QStringLiteral("0000001"), QString(), QString(), QStringLiteral("发票号码只能是8位！"), &TfrmLYFP::edtFPHMQ},
        {kCode, ok8, QString(), QString(), QStringLiteral("请输入发票号码止！"), &TfrmLYFP::edtFPHMZ},
        {kCode, ok8, QStringLiteral("000000100"), QString(), QStringLiteral("发票号码只能是8位！"), &TfrmLYFP::edtFPHMZ},
        {kCode, ok8b, ok8, QString(), QStringLiteral("发票号码起不能大于发票号码止！"), &TfrmLYFP::edtFPHMZ},
        {kCode, ok8, ok8b, QStringLiteral("  "), QStringLiteral("领用人不能为空!"), &TfrmLYFP::edtLYR},
    };
    for (const Case& c : cases) {
        dialogs.Clear();
        Fill(c.code, c.first, c.last, c.receiver);
        form->btnClose->setFocus();
        form->btnAdd->click();
        ASSERT_EQ(dialogs.Shown().size(), 1u) << c.message.toStdString();
        EXPECT_EQ(dialogs.Shown()[0].text, c.message);
        EXPECT_EQ(dialogs.Shown()[0].kind, TMsgKind::Warning);
        EXPECT_EQ(QApplication::focusWidget(), form->*c.focus) << c.message.toStdString();
        EXPECT_TRUE(Cell(0, 0).isEmpty());
        EXPECT_TRUE(form->btnAdd->isEnabled());
    }

    // The last-period checks come first, but only while the box is ticked.
    form->cbKC->setChecked(true);
    dialogs.Clear();
    Fill(QString(), QString(), QString());
    EXPECT_FALSE(form->CheckInput());
    form->edtQZHM->setText(QStringLiteral("00000001-00000010"));
    EXPECT_FALSE(form->CheckInput());
    form->edtFS->setText(QStringLiteral("10"));
    EXPECT_FALSE(form->CheckInput());
    EXPECT_EQ(dialogs.Texts(), (QStringList{QStringLiteral("请输入上期库存起止号码！"), QStringLiteral("请输入上期库存份数！"),
                                            QStringLiteral("请输入发票代码！")}));

    // A range of one copy passes; the count field plays no part.
    dialogs.Clear();
    Fill(kCode, QStringLiteral(" 00000007 "), QStringLiteral("00000007"));
    form->edtLYFS->clear();
    EXPECT_TRUE(form->CheckInput());
    EXPECT_TRUE(dialogs.Shown().empty());
}

class StockReceiptWithStoredRoll : public StockReceipt {
    void Seed() override
    {
        // A roll of another invoicing point, already opened.
        folder.Sql(
            QStringLiteral("insert into fpkcxx values('2026-01-10 13:28:19','144001900111','00000101','00000200',"
                           "'101','00000150','李四',100,51,'分部');"));
    }
};

TEST_F(StockReceiptWithStoredRoll, RangesThatClashWithAStoredRollOfAnyPointAreRefused)
{
    const QStringList refused[] = {
        {QStringLiteral("00000150"), QStringLiteral("00000300")},  // first number inside
        {QStringLiteral("00000050"), QStringLiteral("00000101")},  // last number on its first
        {QStringLiteral("00000200"), QStringLiteral("00000200")},  // one copy on its last
        {QStringLiteral("00000050"), QStringLiteral("00000300")},  // holds it wholly
        {QStringLiteral("00000101"), QStringLiteral("00000200")},  // the same roll
        {QStringLiteral("00000120"), QStringLiteral("00000130")},  // inside it
    };
    for (const QStringList& r : refused) {
        dialogs.Clear();
        Add(kCode, r[0], r[1]);
        EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("录入发票已经存在！")}) << r.join('-').toStdString();
        EXPECT_TRUE(Cell(0, 0).isEmpty());
        EXPECT_FALSE(form->btnSave->isEnabled());
    }
    dialogs.Clear();
    Add(kCode, QStringLiteral("00000201"), QStringLiteral("00000300"));  // next to it
    Add(kCode, QStringLiteral("00000001"), QStringLiteral("00000100"));
    Add(kOtherCode, QStringLiteral("00000101"), QStringLiteral("00000200"));  // same numbers, other code
    EXPECT_TRUE(dialogs.Shown().empty());
    EXPECT_EQ(form->sgdKC->rowCount(), 3);
}

TEST_F(StockReceipt, ARangeThatClashesWithAnyGridRowOfItsCodeIsRefused)
{
    Add(kCode, QStringLiteral("00000001"), QStringLiteral("00000100"));
    Add(kCode, QStringLiteral("00000201"), QStringLiteral("00000300"));
    Add(kOtherCode, QStringLiteral("00000001"), QStringLiteral("00000100"));
    ASSERT_TRUE(dialogs.Shown().empty());
    const QStringList refused[] = {
        {kCode, QStringLiteral("00000001"), QStringLiteral("00000100")},       // equal to a row above the last
        {kCode, QStringLiteral("00000100"), QStringLiteral("00000150")},       // starts on a row's last number
        {kCode, QStringLiteral("00000150"), QStringLiteral("00000201")},       // ends on a row's first number
        {kCode, QStringLiteral("00000050"), QStringLiteral("00000250")},       // spans two rows
        {kOtherCode, QStringLiteral("00000001"), QStringLiteral("00000001")},  // one copy on the last row
        {kOtherCode, QStringLiteral("00000001"), QStringLiteral("00000100")},  // equal to the last row
    };
    for (const QStringList& r : refused) {
        dialogs.Clear();
        Add(r[0], r[1], r[2]);
        EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("录入发票已经存在！")}) << r.join(' ').toStdString();
        EXPECT_EQ(form->sgdKC->rowCount(), 3);
    }
    dialogs.Clear();
    Add(kCode, QStringLiteral("00000101"), QStringLiteral("00000200"));  // the gap between the rows
    EXPECT_TRUE(dialogs.Shown().empty());
    EXPECT_EQ(form->sgdKC->rowCount(), 4);

    SaveAnswering(mbYes);
    EXPECT_EQ(DbCount(QStringLiteral("select count(*) from fpkcxx")), 4);
    EXPECT_EQ(DbCount(QStringLiteral("select sum(syfs) from fpkcxx")), 400);
}

TEST_F(StockReceipt, CopiesComeFromTheRangeNotFromAStaleCountField)
{
    Fill(kCode, QStringLiteral("00000001"), QStringLiteral("00000100"));
    form->edtLYFS->setText(QStringLiteral("999"));  // as a paste the key release missed would leave it
    form->btnAdd->click();
    EXPECT_EQ(Cell(0, TfrmLYFP::colLYFS), QStringLiteral("100"));
    EXPECT_EQ(form->edtLYFS->text(), QStringLiteral("100"));
    SaveAnswering(mbYes);
    EXPECT_EQ(DbCount(QStringLiteral("select lyfs from fpkcxx")), 100);
    EXPECT_EQ(DbCount(QStringLiteral("select syfs from fpkcxx")), 100);
}

TEST_F(StockReceipt, SaveStoresEveryRowAsReceivedWithTheReceiptTimeAndTheRollIsThenIssued)
{
    form->dtpLYRQ->setDate(QDate(2026, 2, 27));
    Add(kOtherCode, QStringLiteral("00000500"), QStringLiteral("00000500"));
    Add(kCode, QStringLiteral("00001001"), QStringLiteral("00001050"));

    dialogs.Clear();
    SaveAnswering(mbYes);
    ASSERT_EQ(dialogs.Shown().size(), 2u);
    EXPECT_EQ(dialogs.Shown()[0].kind, TMsgKind::Confirmation);
    EXPECT_EQ(dialogs.Shown()[0].buttons, mbYes | mbNo);
    EXPECT_EQ(dialogs.Shown()[0].text,
              QStringLiteral("当前要入库的发票是\n发票代码:144001900111发票号码起止:00001001--00001050,是否入库!"));
    EXPECT_EQ(dialogs.Shown()[1].text, QStringLiteral("发票入库成功"));
    EXPECT_EQ(dialogs.Shown()[1].kind, TMsgKind::Information);

    TRows rows;
    ASSERT_EQ(DataBase->OpenSQL(QStringLiteral("select * from fpkcxx order by fpdm desc"), rows), 2);
    const std::vector<QVariant> one = rows[0];
    ASSERT_EQ(one.size(), 10u);
    EXPECT_EQ(one[0].toString(), QStringLiteral("2026-02-27 13:28:19"));
    EXPECT_EQ(one[1].toString(), kOtherCode);
    EXPECT_EQ(one[2].toString(), QStringLiteral("00000500"));
    EXPECT_EQ(one[3].toString(), QStringLiteral("00000500"));
    EXPECT_EQ(one[4].toString(), QStringLiteral("000"));
    EXPECT_EQ(one[5].toString(), QStringLiteral("00000500"));
    EXPECT_EQ(one[6].toString(), QStringLiteral("张三"));
    EXPECT_EQ(one[7], QVariant(1LL));
    EXPECT_EQ(one[8], QVariant(1LL));
    EXPECT_EQ(one[9].toString(), QStringLiteral("总部"));
    EXPECT_EQ(rows[1][2].toString(), QStringLiteral("00001001"));
    EXPECT_EQ(rows[1][8].toInt(), 50);

    EXPECT_EQ(folder.LogMessages().filter(QStringLiteral("发票入库")),
              QStringList{QStringLiteral("发票入库成功,发票号码：00001001-00001050")});
    EXPECT_EQ(form->sgdKC->rowCount(), 1);
    EXPECT_EQ(Row(0), QStringList(6, QString()));
    EXPECT_TRUE(form->edtFPDM->text().isEmpty());
    EXPECT_TRUE(form->edtLYFS->text().isEmpty());
    EXPECT_TRUE(form->btnAdd->isEnabled());
    EXPECT_TRUE(form->btnSave->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), form->edtFPDM);
    EXPECT_EQ(form->dtpLYRQ->date(), QDate(2026, 2, 27));

    // Same receipt time: the lower code is the current roll, and every copy is counted.
    TCurFPInfo current;
    ASSERT_TRUE(GetCurInvoice(current));
    EXPECT_EQ(current.fpdm, kCode);
    EXPECT_EQ(current.dqhm, QStringLiteral("00001001"));
    EXPECT_EQ(current.syfs, 51);

    // Saving again finds nothing to store and starts no transaction.
    dialogs.Clear();
    DataBase->SetBeforeCommitHook([] { ADD_FAILURE() << "no commit expected"; });
    SaveAnswering(mbYes);
    EXPECT_EQ(dialogs.Texts().mid(1), QStringList{QStringLiteral("没有要保存的数据!")});
    EXPECT_FALSE(DataBase->InTransaction());
    EXPECT_EQ(DbCount(QStringLiteral("select count(*) from fpkcxx")), 2);
}

TEST_F(StockReceipt, AnswerNoStoresNothingAndClearEmptiesTheReceipt)
{
    Add(kCode, QStringLiteral("00000001"), QStringLiteral("00000100"));
    dialogs.Clear();
    SaveAnswering(mbNo);
    EXPECT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(DbCount(QStringLiteral("select count(*) from fpkcxx")), 0);
    EXPECT_EQ(Cell(0, 0), kCode);

    form->btnClear->click();
    EXPECT_EQ(form->sgdKC->rowCount(), 1);
    EXPECT_TRUE(Cell(0, 0).isEmpty());
    EXPECT_TRUE(form->edtFPHMZ->text().isEmpty());
    EXPECT_TRUE(form->btnAdd->isEnabled());
    EXPECT_FALSE(form->btnSave->isEnabled());
}

class StockReceiptFailingThirdInsert : public StockReceipt {
    void Seed() override
    {
        folder.Sql(
            QStringLiteral("create trigger fail_third before insert on fpkcxx when new.fphmq='00000201' "
                           "begin select raise(abort,'磁盘已满'); end;"));
    }
};

TEST_F(StockReceiptFailingThirdInsert, AFailingInsertRollsBackEveryRowOfTheSave)
{
    Add(kCode, QStringLiteral("00000001"), QStringLiteral("00000100"));
    Add(kCode, QStringLiteral("00000101"), QStringLiteral("00000200"));
    Add(kCode, QStringLiteral("00000201"), QStringLiteral("00000300"));
    dialogs.Clear();
    SaveAnswering(mbYes);

    EXPECT_EQ(DbCount(QStringLiteral("select count(*) from fpkcxx")), 0);
    EXPECT_FALSE(DataBase->InTransaction());
    ASSERT_EQ(dialogs.Shown().size(), 2u);
    EXPECT_EQ(dialogs.Shown()[1].text, QStringLiteral("发票入库失败"));
    EXPECT_EQ(dialogs.Shown()[1].kind, TMsgKind::Warning);
    const QStringList log = folder.LogMessages().filter(QStringLiteral("插入数据库失败"));
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].startsWith(QStringLiteral("插入数据库失败，发票号码：00000201-00000300原因为:"))) << log[0].toStdString();
    EXPECT_TRUE(log[0].contains(QStringLiteral("磁盘已满")));
    EXPECT_TRUE(folder.LogMessages().filter(QStringLiteral("发票入库成功")).isEmpty());
    // The receipt stays as it was, to be saved again once the cause is gone.
    EXPECT_EQ(form->sgdKC->rowCount(), 3);
    EXPECT_EQ(form->edtFPHMQ->text(), QStringLiteral("00000201"));
    EXPECT_TRUE(form->btnSave->isEnabled());
    EXPECT_FALSE(form->btnAdd->isEnabled());

    DataBase->Run(QStringLiteral("drop trigger fail_third"));
    SaveAnswering(mbYes);
    EXPECT_EQ(DbCount(QStringLiteral("select count(*) from fpkcxx")), 3);
}

TEST_F(StockReceipt, LastPeriodStockIsStoredInTheSameTransaction)
{
    form->cbKC->setChecked(true);
    form->edtQZHM->setText(QStringLiteral(" 00000001-00000010"));
    form->edtFS->setText(QStringLiteral("10"));
    Add(kCode, QStringLiteral("00000011"), QStringLiteral("00000100"));

    // A failing commit leaves neither the closing stock nor the roll.
    DataBase->SetBeforeCommitHook([] { throw EDatabaseError(QStringLiteral("disk I/O error")); });
    SaveAnswering(mbYes);
    EXPECT_EQ(LastText(), QStringLiteral("发票入库失败"));
    EXPECT_EQ(DbCount(QStringLiteral("select count(*) from qmkc")), 0);
    EXPECT_EQ(DbCount(QStringLiteral("select count(*) from fpkcxx")), 0);
    EXPECT_EQ(folder.LogMessages().filter(QStringLiteral("插入数据库失败")),
              QStringList{QStringLiteral("插入数据库失败，发票号码：00000011-00000100原因为:disk I/O error")});

    DataBase->SetBeforeCommitHook({});
    SaveAnswering(mbYes);
    EXPECT_EQ(LastText(), QStringLiteral("发票入库成功"));
    TRows rows;
    ASSERT_EQ(DataBase->OpenSQL(QStringLiteral("select ssrq,fs,qzhm,kpdName from qmkc"), rows), 1);
    EXPECT_EQ(rows[0][0].toString(), QStringLiteral("2026-02"));
    EXPECT_EQ(rows[0][1], QVariant(10LL));
    EXPECT_EQ(rows[0][2].toString(), QStringLiteral(" 00000001-00000010"));
    EXPECT_EQ(rows[0][3].toString(), QStringLiteral("总部"));
    EXPECT_EQ(DbCount(QStringLiteral("select count(*) from fpkcxx")), 1);
    // The hidden fields keep their values after the grid is cleared.
    EXPECT_EQ(form->edtFS->text(), QStringLiteral("10"));
}

TEST_F(StockReceipt, ClosingWritesItsLogLineAndFreesTheWindow)
{
    form->btnClose->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull());
    EXPECT_EQ(folder.LogMessages().filter(QStringLiteral("关闭")), QStringList{QStringLiteral("关闭领用发票")});
}
}  // namespace
