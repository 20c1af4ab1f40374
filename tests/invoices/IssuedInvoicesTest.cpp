#include "Screen.h"
#include "ManagementTestData.h"
#include "Typing.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "invoices/InvoiceStatements.h"
#include "invoices/TframeInput.h"
#include "widgets/InputHelpers.h"
#include "invoices/TfrmInvDetail.h"
#include "invoices/TfrmYKJFPGL.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QComboBox>
#include <QAbstractItemView>
#include <QHelpEvent>
#include <QTableView>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>

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
    // Rows numbered step, 2·step, … total·step of one day, queried in the list of issued invoices
    // (w, or one opened after the rows are stored).
    TfrmYKJFPGL* Listed(int total, int step = 1, TfrmYKJFPGL* w = nullptr)
    {
        folder.Sql(QStringLiteral(
                       "with recursive n(i) as (select 1 union all select i+1 from n where i < %1) "
                       "insert into SaleDetail(kprq,fpdm,fphm,ghdw,cjhm,jwjehj,fpzt,kpdName) "
                       "select '2026-03-02 09:00:00','%2',printf('%08d',i*%3),'深圳某某公司','LVIN'||i,80000,'0','总部' from n;")
                       .arg(total)
                       .arg(QString::fromLatin1(kCode))
                       .arg(step));
        if (!w)
            w = Through<TfrmYKJFPGL>(main->YKFPGL);
        if (w)
            w->btnQry->click();
        return w;
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
    EXPECT_EQ(RowTexts(w->dbgSale, 0).mid(0, 8), (QStringList{"2026-03-01 09:00:00", QString::fromLatin1(kCode), "00000001",
                                                              "深圳某某公司", "轿车", "A型", "广州", "80000"}));
    EXPECT_EQ(RowColour(w->dbgSale, 0, Qt::BackgroundRole), QString());
    EXPECT_EQ(RowColour(w->dbgSale, 1, Qt::BackgroundRole), QStringLiteral("#ff0000"));
    EXPECT_EQ(RowColour(w->dbgSale, 1, Qt::ForegroundRole), QStringLiteral("#ffffff"));

    // The filters match the whole text as typed.
    for (const auto& [number, expected] : {std::pair{"00000001", QStringList{"00000001"}}, {"0000000", {}}, {" 00000001", {}}}) {
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
    AddSale(QStringLiteral("00000002"), QStringLiteral("2"), QStringLiteral("2026-02-03 14:07:09"), QStringLiteral("总部"),
            QVariant());
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
    ClickRow(w->dbgSale, 4, Qt::ControlModifier);                                           // the duplicate row taken off again
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
        WhileModal([&] { QTest::mouseDClick(w->dbgSale->viewport(), Qt::LeftButton, {}, at); },
                   [&](QWidget* up) {
                       auto* d = qobject_cast<TfrmInvDetail*>(up);
                       ASSERT_NE(d, nullptr);
                       TframeInput& f = *d->frameInput1;
                       seen << d->windowTitle() << f.stFPHM->text() << f.edtGHDW->text() << f.stSYFS->text()
                            << (f.edtGHDW->isEnabled() && IsFieldReadOnly(f.edtGHDW) ? "read-only" : "editable or disabled");
                       d->btnClose->click();
                   });
        return seen;
    };
    EXPECT_EQ(look(0), (QStringList{"发票详细信息——00000001", "00000001", "深圳某某公司", "", "read-only"}));
    EXPECT_EQ(look(1), QStringList());  // an issue date it cannot read: nothing shown, nothing said
    EXPECT_EQ(Snapshot(), before);      // the unopened roll stays unopened
    // With no stock left the view still comes up, without a warning.
    DbExec(QStringLiteral("delete from fpkcxx"));
    EXPECT_EQ(look(0).value(0), QStringLiteral("发票详细信息——00000001"));
    EXPECT_TRUE(dialogs.Texts().isEmpty()) << dialogs.Texts().join(u'/').toStdString();
}

// The detail view's values are read in the normal text colour: locked read-only, not disabled,
// so that the clerk can also select them; a list stays on the stored value whatever is pressed.
TEST_F(IssuedInvoices, TheDetailViewShowsItsValuesInTheNormalTextColour)
{
    AddSale(QStringLiteral("00000001"), QStringLiteral("0"), QStringLiteral("2026-03-01 09:00:00"));
    auto* w = Through<TfrmYKJFPGL>(main->YKFPGL);
    ASSERT_NE(w, nullptr);
    w->btnQry->click();
    ClickRow(w->dbgSale, 0);
    const QPoint at = w->dbgSale->visualRect(w->dsSale->index(0, 0)).center();
    EXPECT_TRUE(WhileModal([&] { QTest::mouseDClick(w->dbgSale->viewport(), Qt::LeftButton, {}, at); },
                           [&](QWidget* up) {
                               auto* d = qobject_cast<TfrmInvDetail*>(up);
                               ASSERT_NE(d, nullptr);
                               TframeInput& f = *d->frameInput1;
                               for (QWidget* c : f.EntryControls()) {
                                   EXPECT_TRUE(c->isEnabled()) << c->objectName().toStdString();
                                   EXPECT_TRUE(IsFieldReadOnly(c)) << c->objectName().toStdString();
                               }
                               // Black text, as in an editable field; a disabled one would be grey.
                               QLineEdit editable(f.edtGHDW->text());
                               editable.resize(f.edtGHDW->size());
                               for (QWidget* shown : std::initializer_list<QWidget*>{f.edtGHDW, f.edtDJ, f.cmbCPXH, f.edtFDJH})
                                   EXPECT_LE(Darkest(shown), Darkest(&editable) + 16) << shown->objectName().toStdString();
                               // Selected and copied, never changed.
                               f.edtGHDW->setFocus();
                               QTest::keyClick(f.edtGHDW, Qt::Key_A, Qt::ControlModifier);
                               EXPECT_EQ(f.edtGHDW->selectedText(), QStringLiteral("深圳某某公司"));
                               TypeText(f.edtGHDW, QStringLiteral("X"));
                               EXPECT_EQ(f.edtGHDW->text(), QStringLiteral("深圳某某公司"));
                               const QString model = f.cmbCPXH->currentText();
                               f.cmbCPXH->setFocus();
                               for (const int key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_End, Qt::Key_F4, Qt::Key_Space})
                                   QTest::keyClick(f.cmbCPXH, Qt::Key(key));
                               QTest::mouseClick(f.cmbCPXH, Qt::LeftButton);
                               QWheelEvent wheel(QPointF(5, 5), f.cmbCPXH->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, -120),
                                                 Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
                               QApplication::sendEvent(f.cmbCPXH, &wheel);
                               EXPECT_FALSE(f.cmbCPXH->view()->isVisible()) << "the list does not open";
                               EXPECT_EQ(f.cmbCPXH->currentText(), model);
                               EXPECT_EQ(f.edtCD->text(), QStringLiteral("广州"));
                               // Enter closes the view.
                               d->btnClose->setFocus();
                               QTest::keyClick(d->windowHandle(), Qt::Key_Return);
                               EXPECT_FALSE(d->isVisible());
                           }));
}

// Tab leaves a date for the next field instead of walking the date's year, month and day.
TEST_F(IssuedInvoices, TabLeavesADateForTheNextField)
{
    auto* w = Through<TfrmYKJFPGL>(main->YKFPGL);
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(QApplication::focusWidget(), w->dtpStart);
    QTest::keyClick(main->windowHandle(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w->dtpEnd);
    QTest::keyClick(main->windowHandle(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w->edtFPHM);
    QTest::keyClick(main->windowHandle(), Qt::Key_Backtab);
    QTest::keyClick(main->windowHandle(), Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), w->dtpStart);
    // Within a date the arrows still move between its parts.
    QTest::keyClick(main->windowHandle(), Qt::Key_Home);
    QTest::keyClick(main->windowHandle(), Qt::Key_Down);
    EXPECT_EQ(w->dtpStart->date(), QDate(2025, 3, 1));
}

// Each column as wide as the widest text of the rows in view or its title, a third of the grid
// the most, with a cut text whole in its tooltip; rows scrolled into view widen their columns.
TEST_F(IssuedInvoices, ColumnsFitTheRowsShownUpToAThirdOfTheGrid)
{
    const QString buyer = QStringLiteral("广州市天河区某某汽车贸易服务有限公司");
    const QString longest = QStringLiteral("广东省广州市天河区某某某某某某汽车贸易服务有限责任公司第一分公司");
    for (int i = 1; i <= 60; ++i)
        AddSale(QStringLiteral("%1").arg(i, 8, 10, QChar(u'0')), QStringLiteral("0"), QStringLiteral("2026-03-02 10:00:00"),
                QStringLiteral("总部"), i == 60 ? QStringLiteral("LSVAB2B3000000060") : QStringLiteral("LVIN%1").arg(i),
                i == 60  ? longest
                : i == 2 ? buyer
                         : QStringLiteral("某公司"));
    auto* w = Through<TfrmYKJFPGL>(main->YKFPGL);
    ASSERT_NE(w, nullptr);
    const QFontMetrics metrics(w->dbgSale->font());
    const auto fit = [&](const QString& text) { return metrics.horizontalAdvance(text) + 4; };
    const QString vinTitle = QStringLiteral("车架号码/车辆识别代码");
    const int buyerColumn = 3, vinColumn = 9, numberColumn = 2, quantityColumn = 10;
    w->btnQry->click();
    ASSERT_EQ(w->dsSale->rowCount(), 60);
    ASSERT_LT(w->dbgSale->rowAt(w->dbgSale->viewport()->height() - 1), 59) << "the last row out of view";
    EXPECT_EQ(w->dbgSale->columnWidth(buyerColumn), fit(buyer));
    EXPECT_EQ(w->dbgSale->columnWidth(numberColumn), fit(QStringLiteral("00000001")));
    EXPECT_EQ(w->dbgSale->columnWidth(vinColumn), fit(vinTitle));
    EXPECT_EQ(w->dbgSale->columnWidth(quantityColumn), fit(QStringLiteral("数量")));

    // Scrolled to the end: the last row's buyer and frame number widen their columns, the buyer
    // only to a third of the grid, its whole name in the tooltip.
    w->dbgSale->scrollToBottom();
    const int third = w->dbgSale->viewport()->width() / 3;
    ASSERT_LT(third, fit(longest));
    EXPECT_EQ(w->dbgSale->columnWidth(buyerColumn), third);
    EXPECT_EQ(w->dbgSale->columnWidth(vinColumn), std::max(fit(QStringLiteral("LSVAB2B3000000060")), fit(vinTitle)));
    auto tip = [&](int row, int column) {
        const QModelIndex index = w->dsSale->index(row, column);
        const QPoint at = w->dbgSale->visualRect(index).center();
        QHelpEvent help(QEvent::ToolTip, at, w->dbgSale->viewport()->mapToGlobal(at));
        QApplication::sendEvent(w->dbgSale->viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(tip(59, buyerColumn), longest);
    EXPECT_NE(tip(58, buyerColumn), QStringLiteral("某公司")) << "a text shown whole needs no tooltip of its own";

    // The next list starts anew from its own rows.
    w->edtFPHM->setText(QStringLiteral("00000002"));
    w->btnQry->click();
    EXPECT_EQ(w->dbgSale->columnWidth(buyerColumn), fit(buyer));
}

// A list longer than its first block: the count line and the first rows at once, the rest while
// idle, with no read held between blocks; rows a second connection stores meanwhile are listed
// once, in order, when they lie after the rows read.
TEST_F(IssuedInvoices, ALongListShowsItsFirstRowsAtOnceAndTheRestWhileIdle)
{
    const int total = TfrmYKJFPGL::kFirstRows + TfrmYKJFPGL::kRowsPerBlock + 500;
    auto* w = Listed(total, 2);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Panel3->text(), QStringLiteral("   共查询到：%1条记录").arg(total));
    EXPECT_EQ(w->dsSale->rowCount(), TfrmYKJFPGL::kFirstRows);
    EXPECT_TRUE(w->dsSale->Reading());
    EXPECT_TRUE(ConnectionIdle(folder)) << "the first rows shown";
    // One number among those read, one among those not yet read.
    folder.Sql(QStringLiteral("insert into SaleDetail(kprq,fpdm,fphm,ghdw,cjhm,jwjehj,fpzt,kpdName) values"
                              "('2026-03-02 09:00:00','%1','00000003','早','LVINa',80000,'0','总部'),"
                              "('2026-03-02 09:00:00','%1','%2','晚','LVINb',80000,'0','总部');")
                   .arg(QString::fromLatin1(kCode))
                   .arg(QString::number(2 * total - 1).rightJustified(8, u'0')));
    // Each block, as it is shown, has let go of its read.
    QList<int> shown;
    QObject::connect(w->dsSale, &QAbstractItemModel::rowsInserted, w, [&](const QModelIndex&, int first, int last) {
        EXPECT_TRUE(ConnectionIdle(folder)) << "rows " << first << "-" << last << " shown";
        shown << last - first + 1;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w->dsSale->Reading(); }));
    EXPECT_EQ(shown, (QList<int>{TfrmYKJFPGL::kRowsPerBlock, 501}));
    EXPECT_TRUE(ConnectionIdle(folder));
    ASSERT_EQ(w->dsSale->rowCount(), total + 1);
    QStringList expected;
    for (int i = 1; i <= total; ++i) {
        expected << QString::number(i * 2).rightJustified(8, u'0');
        if (i == total - 1)
            expected << QString::number(2 * total - 1).rightJustified(8, u'0');
    }
    EXPECT_EQ(Column(w->dbgSale, 2), expected);
    EXPECT_EQ(w->Panel3->text(), QStringLiteral("   共查询到：%1条记录").arg(total)) << "the count of the moment of the query";
}

// Ctrl+A on a list partly read reads the rest first: "作废" then voids every row of it, rows a
// second connection stored after the window opened included.
TEST_F(IssuedInvoices, CtrlAOnAListPartlyReadTakesEveryRow)
{
    const int total = TfrmYKJFPGL::kFirstRows + 20;
    auto* w = Through<TfrmYKJFPGL>(main->YKFPGL);
    ASSERT_NE(w, nullptr);
    w->btnQry->click();  // listed empty first
    ASSERT_EQ(Listed(total, 1, w), w);
    EXPECT_EQ(w->Panel3->text(), QStringLiteral("   共查询到：%1条记录").arg(total));
    ASSERT_EQ(w->dsSale->rowCount(), TfrmYKJFPGL::kFirstRows);
    ASSERT_TRUE(w->dsSale->Reading());
    ClickRow(w->dbgSale, 0);
    QTest::keyClick(w->dbgSale, Qt::Key_A, Qt::ControlModifier);
    EXPECT_FALSE(w->dsSale->Reading());
    EXPECT_EQ(w->dsSale->rowCount(), total);
    EXPECT_EQ(w->dsSale->Field(total - 1, QStringLiteral("fphm")).toString(), QString::number(total).rightJustified(8, u'0'));
    EXPECT_EQ(w->dbgSale->selectionModel()->selectedRows().size(), total);
    EXPECT_TRUE(ConnectionIdle(folder));
    dialogs.Clear();
    for (int i = 0; i < total; ++i) {
        dialogs.Answer(mbYes);
        dialogs.Answer(mbOK);
    }
    w->btnBlank->click();
    EXPECT_EQ(dialogs.Texts().size(), 2 * total);
    EXPECT_EQ(dialogs.Texts().value(2 * total - 1), QStringLiteral("作废发票%1成功！").arg(total, 8, 10, QChar(u'0')));
    EXPECT_EQ(DbValue(QStringLiteral("select count(*) from SaleDetail where fpzt='1'")).toInt(), total);
    EXPECT_EQ(w->dsSale->rowCount(), 0);
}

// "作废" with rows selected while the list is partly read, "清除", and a new query: none acts on
// a list half read, and the reading of a list cleared or replaced stops.
TEST_F(IssuedInvoices, ClearingOrQueryingAgainStopsTheReadingOfAList)
{
    const int total = TfrmYKJFPGL::kFirstRows + 300;
    auto* w = Listed(total);
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(w->dsSale->Reading());
    w->btnClear->click();
    EXPECT_FALSE(w->dsSale->Reading());
    QCoreApplication::processEvents();
    EXPECT_EQ(w->dsSale->rowCount(), 0);

    w->btnQry->click();
    ASSERT_TRUE(w->dsSale->Reading());
    w->edtFPHM->setText(QStringLiteral("00000007"));
    w->btnQry->click();
    EXPECT_FALSE(w->dsSale->Reading());
    QCoreApplication::processEvents();
    EXPECT_EQ(Column(w->dbgSale, 2), QStringList{"00000007"});

    // One row selected, then "作废" answered No, the question's default: the list is read whole
    // first and listed again.
    w->edtFPHM->clear();
    w->btnQry->click();
    ASSERT_TRUE(w->dsSale->Reading());
    ClickRow(w->dbgSale, 5);
    dialogs.Clear();
    dialogs.Answer(mbNo);
    w->btnBlank->click();
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_TRUE(dialogs.Shown().front().text.startsWith(QStringLiteral("您确实要作废00000006号发票吗")));
    EXPECT_EQ(dialogs.Shown().front().defaultButton, mbNo);
    EXPECT_EQ(DbValue(QStringLiteral("select count(*) from SaleDetail where fpzt='1'")).toInt(), 0);
    EXPECT_TRUE(ConnectionIdle(folder));
}
}  // namespace
