#include "ManagementTestData.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "invoices/ListGrid.h"
#include "invoices/TfrmQryInvRec.h"
#include "invoices/TfrmQrySale.h"

#include <QApplication>
#include <QComboBox>
#include <QHelpEvent>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolTip>

namespace {
TEST(TextWidths, EveryTextAsWideAsTheGridDrawsIt)
{
    QTableView grid;
    QFont font = grid.font();
    font.setStyleStrategy(QFont::PreferNoShaping);
    TTextWidths widths(font);
    const QFontMetrics metrics(font);
    for (const char* text : {"", "00001001", "2026-03-05 14:07:09", "广州某某贸易有限公司", "LSVAB2B3000000001", "RMB捌万圆整",
                             "AV/To 1,234.5", "《机动车》（注）", "شركة 12", "e\u0301"})
        EXPECT_EQ(widths.Width(QString::fromUtf8(text)), metrics.horizontalAdvance(QString::fromUtf8(text))) << text;
}

// Texts measured from their UTF-8 bytes as the text a grid shows: well formed or not, shaped
// or not, characters beyond 16 bits.
TEST(TextWidths, UtfEightTextsAsWideAsTheTextsShown)
{
    QTableView grid;
    QFont font = grid.font();
    font.setStyleStrategy(QFont::PreferNoShaping);
    TTextWidths widths(font);
    TTextWidths fresh(font);
    for (const std::string& text :
         {std::string(), std::string("00001001"), std::string("广州某某贸易有限公司"), std::string("RMB捌万圆整 ÄÖ"),
          std::string("《机动车》（注）"), std::string("شركة 12"), std::string("e\u0301"), std::string("\xf0\x9f\x9a\x97车"),
          std::string("a\xc3"), std::string("\xc0\xafx"), std::string("\xe0\x80\xaf"), std::string("\xed\xa0\x80"),
          std::string("\xe5\xb9"), std::string("\xff\xfe"), std::string("x\0y", 3)}) {
        const int shown = fresh.Width(QString::fromUtf8(text.data(), qsizetype(text.size())));
        EXPECT_EQ(widths.Width(std::string_view(text)), shown) << text;
        EXPECT_EQ(widths.Width(std::string_view(text)), shown) << text << " measured again";
    }
}

class InvoiceQueries : public ManagementTest {
protected:
    void SetUp() override { Start(); }
};

TEST_F(InvoiceQueries, RecordsOfEveryPointInEachStateColouredWithTheEndDayWhole)
{
    const QStringList states{"0", "1", "2", "3", "4"};
    for (int s = 0; s < 5; ++s)
        AddSale(QStringLiteral("0000000%1").arg(s + 1), states[s], QStringLiteral("2026-03-0%1 10:00:00").arg(s + 1));
    AddSale(QStringLiteral("00000006"), QStringLiteral("0"), QStringLiteral("2026-03-05 23:59:59"), QStringLiteral("分部"),
            QStringLiteral("LV'X\"1"));
    AddSale(QStringLiteral("00000007"), QStringLiteral("0"), QStringLiteral("2026-03-06 00:00:00"));
    const QString before = Snapshot();
    auto* w = Through<TfrmQrySale>(main->qrySaleAct);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->cmbZT->currentText(), QStringLiteral("正常"));

    const int mark = LogMark();
    w->cmbZT->setCurrentIndex(5);  // 全部
    w->btnQry->click();
    EXPECT_EQ(Column(w->dbgSale, 2), (QStringList{"00000001", "00000002", "00000003", "00000004", "00000005", "00000006"}));
    EXPECT_EQ(w->Panel3->text(), QStringLiteral("  共查询到6条记录!"));
    QStringList colours;
    for (int r = 0; r < 6; ++r)
        colours << RowColour(w->dbgSale, r, Qt::BackgroundRole) + u'/' + RowColour(w->dbgSale, r, Qt::ForegroundRole);
    EXPECT_EQ(colours, (QStringList{"/", "#808080/#ffffff", "#ff0000/#ffffff", "#0000ff/#ffffff", "#008000/#ffffff", "/"}));
    EXPECT_EQ(LogSince(mark), QStringList{"查询开票记录,条件为:select * from SaleDetail where kprq >='2026-03-01 00:00:00' "
                                          "and kprq <'2026-03-06 00:00:00' order by fpdm,fphm"});

    w->cmbZT->setCurrentIndex(0);
    w->btnQry->click();
    EXPECT_EQ(Column(w->dbgSale, 2), (QStringList{"00000001", "00000006"}));
    // Blanks around a filter go, quotes in it are data.
    w->edtCJHM->setText(QStringLiteral(" LV'X\"1 "));
    w->edtFPHM->setText(QStringLiteral("00000006 "));
    w->btnQry->click();
    EXPECT_EQ(Column(w->dbgSale, 9), QStringList{"LV'X\"1"});
    EXPECT_EQ(LogSince(mark).last(), QStringLiteral("查询开票记录,条件为:select * from SaleDetail where kprq >='2026-03-01 "
                                                    "00:00:00' and kprq <'2026-03-06 00:00:00' and fpzt='0' and cjhm = "
                                                    "'LV''X\"1' and fphm = '00000006' order by fpdm,fphm"));
    EXPECT_TRUE(dialogs.Texts().isEmpty());
    w->btnClose->click();
    EXPECT_EQ(LogSince(mark).last(), QStringLiteral("关闭开票记录查询"));
    EXPECT_EQ(Snapshot(), before);
}

// A query that fails is reported, and the grid, held still while rows are read, paints again.
TEST_F(InvoiceQueries, AFailedQueryLeavesTheGridPainting)
{
    AddSale(QStringLiteral("00000001"), QStringLiteral("0"), QStringLiteral("2026-03-01 10:00:00"));
    auto* w = Through<TfrmQrySale>(main->qrySaleAct);
    ASSERT_NE(w, nullptr);
    DataBase->Run(QStringLiteral("alter table SaleDetail rename to SaleDetail2"));
    w->btnQry->click();
    EXPECT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_TRUE(w->dbgSale->updatesEnabled());
    DataBase->Run(QStringLiteral("alter table SaleDetail2 rename to SaleDetail"));
    w->btnQry->click();
    EXPECT_EQ(Column(w->dbgSale, 2), QStringList{"00000001"});
    EXPECT_TRUE(w->dbgSale->updatesEnabled());
}

TEST_F(InvoiceQueries, ColumnsFitTheWidestTextSeenAndNeverShrink)
{
    const QString wide = QStringLiteral("广州市天河区某某汽车贸易服务有限责任公司");
    AddSale(QStringLiteral("00000001"), QStringLiteral("0"), QStringLiteral("2026-03-02 10:00:00"), QStringLiteral("总部"),
            QStringLiteral("LVIN0001"), wide);
    AddSale(QStringLiteral("00000002"), QStringLiteral("0"), QStringLiteral("2026-03-04 10:00:00"), QStringLiteral("总部"),
            QStringLiteral("LVIN0002"), QStringLiteral("某公司"));
    auto* w = Through<TfrmQrySale>(main->qrySaleAct);
    ASSERT_NE(w, nullptr);
    const QFontMetrics metrics(w->dbgSale->font());
    const int buyer = 3, quantity = 10;
    w->dtpStart->setDate(QDate(2026, 3, 2));
    w->dtpEnd->setDate(QDate(2026, 3, 2));
    w->btnQry->click();
    EXPECT_EQ(w->ColWidths[buyer], metrics.horizontalAdvance(wide));
    EXPECT_EQ(w->dbgSale->columnWidth(buyer), metrics.horizontalAdvance(wide) + 4);
    // A title wider than its cells sets the width.
    EXPECT_EQ(w->dbgSale->columnWidth(quantity), metrics.horizontalAdvance(QStringLiteral("数量")) + 4);

    for (const QDate day : {QDate(2026, 3, 4), QDate(2026, 3, 3)}) {  // short names, then nothing
        w->dtpStart->setDate(day);
        w->dtpEnd->setDate(day);
        w->btnQry->click();
        EXPECT_EQ(w->dbgSale->columnWidth(buyer), metrics.horizontalAdvance(wide) + 4);
    }
    EXPECT_EQ(w->Panel3->text(), QStringLiteral("  共查询到0条记录!"));
}

TEST_F(InvoiceQueries, TheStockQueryListsEveryPointsRollsReceivedInTheDays)
{
    AddRoll(folder, QString::fromLatin1(kCode), QStringLiteral("00002001"), QStringLiteral("00002010"),
            QStringLiteral("2026-03-05"), QStringLiteral("分部"));
    AddRoll(folder, QStringLiteral("144001900000"), QStringLiteral("00000001"), QStringLiteral("00000010"),
            QStringLiteral("2026-03-01"));
    AddRoll(folder, QString::fromLatin1(kCode), QStringLiteral("00003001"), QStringLiteral("00003010"),
            QStringLiteral("2026-03-06"));
    AddRoll(folder, QString::fromLatin1(kCode), QStringLiteral("00004001"), QStringLiteral("00004010"),
            QStringLiteral("2026-02-28"));
    DbExec(QStringLiteral("update fpkcxx set kczt='101', dqhm=fphmz, syfs=0 where fphmq='00000001'"));  // used up
    const QString before = Snapshot();
    auto* w = Through<TfrmQryInvRec>(main->qryInvRecAct);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->dtpStart->text(), QStringLiteral("2026-03-01"));
    EXPECT_EQ(w->dbgSale->model()->rowCount(), 0);
    EXPECT_TRUE(w->Panel3->text().isEmpty());

    const int mark = LogMark();
    w->BitBtn1->click();
    QStringList rows;
    for (int r = 0; r < w->dbgSale->model()->rowCount(); ++r)
        rows << RowTexts(w->dbgSale, r).join(u' ');
    EXPECT_EQ(rows, (QStringList{"2026-03-01 13:28:19 144001900000 00000001 00000010 00000010 10 0 总部",
                                 "2026-03-01 13:28:19 144001900111 00001001 00001050 00001001 50 50 总部",
                                 "2026-03-05 13:28:19 144001900111 00002001 00002010 00002001 10 10 分部"}));
    EXPECT_EQ(w->Panel3->text(), QStringLiteral("  共查询到3条记录!"));
    w->BitBtn2->click();
    EXPECT_EQ(LogSince(mark), (QStringList{"查询库存信息,条件为:select * from fpkcxx where lyrq >='2026-03-01 00:00:00' and "
                                           "lyrq <'2026-03-06 00:00:00' order by lyrq,fpdm,fphmq",
                                           "关闭查询库存信息界面！"}));
    EXPECT_EQ(Snapshot(), before);
}
// The stock query sizes its columns by the rows it lists, as the issued-invoice list does: a
// point's long name no wider than a third of the grid, whole in its tooltip.
TEST_F(InvoiceQueries, TheStockQueryColumnsFitTheirRowsUpToAThirdOfTheGrid)
{
    const QString point = QStringLiteral("广东省广州市天河区某某某汽车销售服务有限责任公司第一分公司开票点");
    DbExec(QStringLiteral("insert into fpkcxx values('2026-03-05 13:28:19','%1','00002001','00002010','000','00002001',"
                          "'张三',10,10,'%2')")
               .arg(QString::fromLatin1(kCode), point));
    auto* w = Through<TfrmQryInvRec>(main->qryInvRecAct);
    ASSERT_NE(w, nullptr);
    const QFontMetrics metrics(w->dbgSale->font());
    // Before a query, the titles.
    EXPECT_EQ(w->dbgSale->columnWidth(0), metrics.horizontalAdvance(QStringLiteral("领用日期")) + 4);
    w->BitBtn1->click();
    ASSERT_EQ(w->dbgSale->model()->rowCount(), 2);
    const int third = w->dbgSale->viewport()->width() / 3;
    ASSERT_LT(third, metrics.horizontalAdvance(point));
    EXPECT_EQ(w->dbgSale->columnWidth(0), metrics.horizontalAdvance(QStringLiteral("2026-03-01 13:28:19")) + 4);
    EXPECT_EQ(w->dbgSale->columnWidth(1), metrics.horizontalAdvance(QString::fromLatin1(kCode)) + 4);
    EXPECT_EQ(w->dbgSale->columnWidth(5), metrics.horizontalAdvance(QStringLiteral("领用份数")) + 4);
    EXPECT_EQ(w->dbgSale->columnWidth(7), third);
    const QPoint at = w->dbgSale->visualRect(w->dbgSale->model()->index(1, 7)).center();
    QHelpEvent help(QEvent::ToolTip, at, w->dbgSale->viewport()->mapToGlobal(at));
    QApplication::sendEvent(w->dbgSale->viewport(), &help);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), point);
}
}  // namespace
