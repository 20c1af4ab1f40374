#include "ManagementTestData.h"
#include "Typing.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "invoices/InvoiceStatements.h"
#include "invoices/TframeInput.h"
#include "invoices/TfrmInvDetail.h"
#include "invoices/TfrmYKJFPGL.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

namespace {
QDateTime At(const char* text) { return QDateTime::fromString(QString::fromLatin1(text), QStringLiteral("yyyy-MM-dd HH:mm:ss")); }

TEST(VoidAge, LessThanAMonthOfDaysEitherWayWhateverTheCalendarMonths)
{
    const QDateTime now = At("2026-03-05 14:07:09");
    EXPECT_TRUE(VoidableAt(At("2026-02-03 14:07:09"), now));  // 30 days
    EXPECT_TRUE(VoidableAt(At("2026-02-03 03:37:10"), now));  // 30.4375 days less a second
    EXPECT_FALSE(VoidableAt(At("2026-02-03 03:37:09"), now));
    EXPECT_FALSE(VoidableAt(At("2026-02-02 14:07:09"), now));  // 31 days
    EXPECT_TRUE(VoidableAt(At("2026-04-04 14:07:09"), now));   // 30 days ahead
    EXPECT_FALSE(VoidableAt(At("2026-04-05 14:07:09"), now));
    EXPECT_TRUE(VoidableAt(At("2026-01-31 23:59:59"), At("2026-02-01 00:00:01")));
    EXPECT_TRUE(VoidableAt(At("2026-02-01 00:00:01"), At("2026-01-31 23:59:59")));
}

class IssuedInvoices : public ManagementTest {
protected:
    void SetUp() override { Start(); }
    static QString States()
    {
        return DbValue(QStringLiteral("select group_concat(fphm||fpzt,' ') from (select * from SaleDetail order by rowid)"))
            .toString();
    }
};

TEST_F(IssuedInvoices, ListsThisPointsValidInvoicesOfTheDaysWithNegativesInRed)
{
    AddSale(QStringLiteral("00000001"), QStringLiteral("0"), QStringLiteral("2026-03-01 09:00:00"));
    AddSale(QStringLiteral("00000002"), QStringLiteral("2"), QStringLiteral("2026-03-05 23:59:59"));
    AddSale(QStringLiteral("00000003"), QStringLiteral("1"), QStringLiteral("2026-03-02 09:00:00"));
    AddSale(QStringLiteral("00000004"), QStringLiteral("0"), QStringLiteral("2026-03-02 09:00:00"), QStringLiteral("分部"));
    AddSale(QStringLiteral("00000005"), QStringLiteral("0"), QStringLiteral("2026-02-28 23:59:59"));
    AddSale(QStringLiteral("00000006"), QStringLiteral("4"), QStringLiteral("2026-03-02 09:00:00"));
    AddSale(QStringLiteral("00000007"), QStringLiteral("0"), QStringLiteral("2026-03-06 00:00:00"));
    const QString before = Snapshot();
    auto* w = Through<TfrmYKJFPGL>(main->YKFPGL);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->dtpStart->date(), QDate(2026, 3, 1));
    EXPECT_EQ(w->dtpEnd->text(), QStringLiteral("2026年3月5日"));

    w->btnQry->click();
    EXPECT_EQ(Column(w->dbgSale, 2), (QStringList{"00000001", "00000002"}));
    EXPECT_EQ(w->Panel3->text(), QStringLiteral("   共查询到：2条记录"));
    EXPECT_EQ(RowTexts(w->dbgSale, 0).mid(0, 8),
              (QStringList{"2026-03-01 09:00:00", QString::fromLatin1(kCode), "00000001", "深圳某某公司", "轿车", "A型",
                           "广州", "80000"}));
    EXPECT_EQ(RowColour(w->dbgSale, 0, Qt::BackgroundRole), QString());
    EXPECT_EQ(RowColour(w->dbgSale, 1, Qt::BackgroundRole), QStringLiteral("#ff0000"));
    EXPECT_EQ(RowColour(w->dbgSale, 1, Qt::ForegroundRole), QStringLiteral("#ffffff"));

    // The filters match the whole text as typed.
    for (const auto& [number, expected] :
         {std::pair{"00000001", QStringList{"00000001"}}, {"0000000", {}}, {" 00000001", {}}}) {
        w->edtFPHM->setText(QString::fromLatin1(number));
        w->btnQry->click();
        EXPECT_EQ(Column(w->dbgSale, 2), expected) << number;
    }
    w->edtFPHM->clear();
    w->edtCJHM->setText(QStringLiteral("LVIN0001"));
    w->btnQry->click();
    EXPECT_EQ(Column(w->dbgSale, 2).size(), 2);

    w->btnClear->click();
    EXPECT_TRUE(w->edtCJHM->text().isEmpty());
    EXPECT_EQ(w->dsSale->rowCount(), 0);
    EXPECT_EQ(w->Panel3->text(), QStringLiteral("   共查询到：2条记录"));  // kept
    const int mark = LogMark();
    w->btnClose->click();
    EXPECT_EQ(LogSince(mark), QStringList{"关闭已开具发票管理"});
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(IssuedInvoices, VoidsTheSelectedRowsOneByOneWithinTheAgeAndListsOnceMore)
{
    auto* w = Through<TfrmYKJFPGL>(main->YKFPGL);
    ASSERT_NE(w, nullptr);
    w->btnBlank->click();
    EXPECT_EQ(dialogs.Texts(), QStringList{"没有要作废的发票！"});

    AddSale(QStringLiteral("00000001"), QStringLiteral("0"), QStringLiteral("2026-02-02 14:07:09"));  // 31 days
    AddSale(QStringLiteral("00000002"), QStringLiteral("2"), QStringLiteral("2026-02-03 14:07:09"), QStringLiteral("总部"), QVariant());
    AddSale(QStringLiteral("00000003"), QStringLiteral("0"), QStringLiteral("2026-03-04 08:00:00"));
    AddSale(QStringLiteral("00000004"), QStringLiteral("0"), QStringLiteral("2026-03-05 08:00:00"), QStringLiteral("总部"),
            QStringLiteral("LV'X\"1"));
    AddSale(QStringLiteral("00000004"), QStringLiteral("0"), QStringLiteral("2026-03-05 08:00:00"), QStringLiteral("总部"),
            QStringLiteral("LV'X\"1"));  // the same invoice stored twice
    AddSale(QStringLiteral("00000005"), QStringLiteral("0"), QStringLiteral("2026-03-05 08:3a:00"));
    AddSale(QStringLiteral("00000006"), QStringLiteral("0"), QStringLiteral("2026-03-05 09:00:00"));
    const QString stock = Roll();
    w->dtpStart->setDate(QDate(2026, 2, 1));
    w->btnQry->click();
    ASSERT_EQ(w->dsSale->rowCount(), 7);
    dialogs.Clear();
    w->btnBlank->click();
    EXPECT_EQ(dialogs.Texts(), QStringList{"请选择要作废的发票!"});

    ClickRow(w->dbgSale, 0);
    for (int row : {1, 2, 3, 4, 5, 6})
        ClickRow(w->dbgSale, row, Qt::ControlModifier);
    ClickRow(w->dbgSale, 4, Qt::ControlModifier);  // the duplicate row taken off again
    DbExec(QStringLiteral("update SaleDetail set cjhm='LVIN0099' where fphm='00000006'"));  // changed since listed
    dialogs.Clear();
    for (TMsgButton b : {mbYes, mbOK, mbYes, mbOK, mbNo, mbYes, mbOK, mbYes, mbOK, mbYes, mbOK})
        dialogs.Answer(b);
    QSignalSpy lists(w->dsSale, &QAbstractItemModel::modelReset);
    w->btnBlank->click();
    const QString question = QStringLiteral("号发票吗？？\n一旦作废将无法恢复，请您慎重选择!!!");
    EXPECT_EQ(dialogs.Texts(),
              (QStringList{"您确实要作废00000001" + question, "不能作废上月数据", "您确实要作废00000002" + question,
                           "作废发票00000002成功！", "您确实要作废00000003" + question, "您确实要作废00000004" + question,
                           "作废发票00000004成功！", "您确实要作废00000005" + question, "作废发票00000005失败！",
                           "您确实要作废00000006" + question, "作废发票00000006失败！"}));
    EXPECT_EQ(States(), QStringLiteral("000000010 000000021 000000030 000000041 000000041 000000050 000000060"));
    EXPECT_EQ(lists.count(), 1);
    EXPECT_EQ(Column(w->dbgSale, 2), (QStringList{"00000001", "00000003", "00000005", "00000006"}));
    EXPECT_EQ(Roll(), stock);  // the numbers stay used
}

TEST_F(IssuedInvoices, TheDetailViewShowsTheInvoiceReadOnlyAndLeavesTheStockAlone)
{
    AddSale(QStringLiteral("00000001"), QStringLiteral("0"), QStringLiteral("2026-03-01 09:00:00"));
    AddSale(QStringLiteral("00000002"), QStringLiteral("0"), QStringLiteral("2026-03-01 25:00:00"));
    auto* w = Through<TfrmYKJFPGL>(main->YKFPGL);
    ASSERT_NE(w, nullptr);
    w->btnQry->click();
    const QString before = Snapshot();  // its roll not opened yet
    auto look = [&](int row) {
        QStringList seen;
        ClickRow(w->dbgSale, row);
        const QPoint at = w->dbgSale->visualRect(w->dsSale->index(row, 0)).center();
        WhileModal([&] { QTest::mouseDClick(w->dbgSale->viewport(), Qt::LeftButton, {}, at); }, [&](QWidget* up) {
            auto* d = qobject_cast<TfrmInvDetail*>(up);
            ASSERT_NE(d, nullptr);
            TframeInput& f = *d->frameInput1;
            seen << d->windowTitle() << f.stFPHM->text() << f.edtGHDW->text() << f.stSYFS->text()
                 << (f.edtGHDW->isEnabled() ? "enabled" : "disabled");
            d->btnClose->click();
        });
        return seen;
    };
    EXPECT_EQ(look(0), (QStringList{"发票详细信息——00000001", "00000001", "深圳某某公司", "", "disabled"}));
    EXPECT_EQ(look(1), QStringList());  // an issue date it cannot read: nothing shown, nothing said
    EXPECT_EQ(Snapshot(), before);           // the unopened roll stays unopened
    // With no stock left the view still comes up, without a warning.
    DbExec(QStringLiteral("delete from fpkcxx"));
    EXPECT_EQ(look(0).value(0), QStringLiteral("发票详细信息——00000001"));
    EXPECT_TRUE(dialogs.Texts().isEmpty()) << dialogs.Texts().join(u'/').toStdString();
}

// A list longer than a grid fetches at once is read out whole: Ctrl+A takes every listed row
// and "作废" voids them all, including rows a second connection stored after the start.
TEST_F(IssuedInvoices, CtrlAAndVoidActOnEveryRowOfALongList)
{
    auto* w = Through<TfrmYKJFPGL>(main->YKFPGL);
    ASSERT_NE(w, nullptr);
    w->btnQry->click();
    folder.Sql(QStringLiteral("with recursive n(i) as (select 1 union all select i+1 from n where i < 300) "
                              "insert into SaleDetail(kprq,fpdm,fphm,ghdw,cjhm,jwjehj,fpzt,kpdName) "
                              "select '2026-03-02 09:00:00','") +
               QString::fromLatin1(kCode) +
               QStringLiteral("',printf('%08d',i),'深圳某某公司','LVIN'||i,80000,'0','总部' from n;"));
    w->btnQry->click();
    EXPECT_EQ(w->Panel3->text(), QStringLiteral("   共查询到：300条记录"));
    ASSERT_EQ(w->dsSale->rowCount(), 300);
    EXPECT_EQ(w->dsSale->Field(299, QStringLiteral("fphm")).toString(), QStringLiteral("00000300"));
    EXPECT_TRUE(ConnectionIdle(folder)) << "the list shown";

    ClickRow(w->dbgSale, 0);
    QTest::keyClick(w->dbgSale, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(w->dbgSale->selectionModel()->selectedRows().size(), 300);
    dialogs.Clear();
    for (int i = 0; i < 300; ++i) {
        dialogs.Answer(mbYes);
        dialogs.Answer(mbOK);
    }
    w->btnBlank->click();
    EXPECT_EQ(dialogs.Texts().size(), 600);
    EXPECT_EQ(dialogs.Texts().value(599), QStringLiteral("作废发票00000300成功！"));
    EXPECT_EQ(DbValue(QStringLiteral("select count(*) from SaleDetail where fpzt='1'")).toInt(), 300);
    EXPECT_EQ(w->dsSale->rowCount(), 0);
}
}  // namespace
