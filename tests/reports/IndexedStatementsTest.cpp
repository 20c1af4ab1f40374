// The month, day-range and number statements give the same rows whether or not the indexes
// made for them are there: two program folders with the same awkward data, one whose indexes
// are dropped after start-up, one made before the indexes that gets them when the program starts.
#include "QtPrinters.h"
#include "ReportTestData.h"
#include "ProgramFolder.h"
#include "core/Common.h"
#include "core/Globals.h"
#include "core/PubFun.h"
#include "core/TADODB.h"
#include "exchange/DeclarationXml.h"
#include "invoices/BlankRun.h"
#include "invoices/InvoiceStatements.h"
#include "reports/ExchangeLists.h"
#include "reports/SaleList.h"
#include "reports/StockStatement.h"
#include "workbook/TWorkbook.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <gtest/gtest.h>
#include <map>

namespace {
const QString kK1 = QStringLiteral("144001900111");
const QString kK2 = QStringLiteral("144001900222");
const QString kK3 = QStringLiteral("144001900333");

// One invoice; every argument is SQL (NULL, a number, a quoted text).
QString Sale(const QString& kprq, const QString& code, const QString& number, const QString& state,
             const QString& point = QStringLiteral("'一店'"), const QString& amount = QStringLiteral("100000"))
{
    return QStringLiteral(
               "insert into SaleDetail(kprq,fpdm,fphm,ghdw,cpxh,cjhm,fdjhm,dj,jwjehj,sccj,fpzt,kpdName) values(%1,%2,%3,"
               "'买方'||%3,'某牌SV7180','LVIN'||%3,'E'||%3,%6,%6,'某汽车制造厂',%4,%5);")
        .arg(kprq, code, number, state, point, amount);
}
QString Q(const QString& text) { return QuotedStr(text); }
QString N(int n) { return Q(QString::number(n).rightJustified(8, u'0')); }

QString Roll(const QString& lyrq, const QString& code, int first, int last, const char* state, int left,
             const QString& point = QStringLiteral("一店"))
{
    return QStringLiteral(
               "insert into fpkcxx(lyrq,fpdm,fphmq,fphmz,kczt,dqhm,lyr,lyfs,syfs,kpdName) values(%1,%2,%3,%4,'%5',%6,"
               "'李四',%7,%8,%9);")
        .arg(Q(lyrq), Q(code), N(first), N(last), QLatin1String(state), N(last - left + 1))
        .arg(last - first + 1)
        .arg(left)
        .arg(Q(point));
}

// Month edges, dates that only look like the month, numbers of other widths, empty and NULL
// codes, points and states, a row imported twice, and the neighbouring months.
QString AwkwardData()
{
    QString sql = HeadCompanySql();
    const char* states = "01234";
    const QString edges[] = {"'2026-02-01 00:00:00'",
                             "'2026-02-28 23:59:59'",
                             "'2026-01-31 23:59:59'",
                             "'2026-03-01 00:00:00'",
                             "'2026-02'",
                             "'2026-2-15 10:00:00'",
                             "' 2026-02-10 10:00:00'",
                             "'2026-02-10T10:00:00'",
                             "NULL",
                             "''",
                             "20260215",
                             "'2026-02-31 10:00:00'",
                             "'2026-02-05'",
                             "'2026-02-14 10:00:00'",
                             "'2026-02-14 10:00:01'",
                             "'2026-02-20 08:00:00'"};
    for (int i = 0; i < int(std::size(edges)); ++i)
        sql += Sale(edges[i], Q(kK1), N(i + 1), i % 2 ? QStringLiteral("'2'") : QStringLiteral("'0'"));
    const auto k2 = [&](int i) {
        return Sale(QStringLiteral("'2026-02-%1 09:30:00'").arg(i * 2 + 1, 2, 10, QLatin1Char('0')), Q(kK2), N(101 + i),
                    i == 10   ? QStringLiteral("NULL")
                    : i == 11 ? QStringLiteral("' 0'")
                              : Q(QString(QLatin1Char(states[i % 5]))),
                    Q(QStringLiteral("二店")), i == 2 ? QStringLiteral("NULL") : QString::number(99999.5 + i));
    };
    for (int i = 0; i < 12; ++i)
        sql += k2(i);
    sql += k2(5);  // the same row imported twice
    sql += Sale(QStringLiteral("'2026-02-11 11:00:00'"), Q(kK2), N(113), QStringLiteral("'0'"), QStringLiteral("NULL"));
    sql += Sale(QStringLiteral("'2026-02-11 11:00:01'"), Q(kK2), N(114), QStringLiteral("'0'"), QStringLiteral("''"));
    sql += Sale(QStringLiteral("'2026-02-12 10:00:00'"), Q(kK1), QStringLiteral("'17'"), QStringLiteral("'0'"));
    sql += Sale(QStringLiteral("'2026-02-12 10:00:01'"), Q(kK1), QStringLiteral("'000000018'"), QStringLiteral("'2'"));
    sql += Sale(QStringLiteral("'2026-02-12 10:00:02'"), Q(kK1), QStringLiteral("NULL"), QStringLiteral("'0'"));
    sql += Sale(QStringLiteral("'2026-02-12 10:00:03'"), Q(kK1), QStringLiteral("19"), QStringLiteral("'0'"));
    sql += Sale(QStringLiteral("'2026-02-12 10:00:04'"), QStringLiteral("NULL"), N(20), QStringLiteral("'0'"));
    // The received roll of the month, used in February and in January.
    for (int n = 21; n <= 25; ++n)
        sql += Sale(QStringLiteral("'2026-02-16 10:00:0%1'").arg(n - 20), Q(kK1), N(n), Q(QString(QLatin1Char(states[n % 5]))));
    sql += Sale(QStringLiteral("'2026-01-16 10:00:00'"), Q(kK1), N(26), QStringLiteral("'0'"));
    for (int n = 1; n <= 30; ++n)
        sql += Sale(QStringLiteral("'2026-01-%1 10:00:00'").arg(n % 28 + 1, 2, 10, QLatin1Char('0')), Q(kK2), N(n),
                    QStringLiteral("'0'"), Q(n % 2 ? QStringLiteral("一店") : QStringLiteral("二店")));

    sql += QStringLiteral(
               "insert into qmkc(ssrq,fs,qzhm,kpdName) values('2026-02',20,'%1:00000001-00000020','一店'),"
               "('2026-02',100,'00000101-00000200','二店'),('2026-01',30,'%2:00000001-00000030','二店');")
               .arg(kK1, kK2);
    sql += Roll(QStringLiteral("2026-01-05 09:00:00"), kK1, 1, 20, "101", 0);
    sql += Roll(QStringLiteral("2026-02-03 09:00:00"), kK1, 21, 40, "000", 15);
    sql += Roll(QStringLiteral("2026-01-05 09:00:00"), kK2, 101, 200, "101", 88, QStringLiteral("二店"));
    sql += Roll(QStringLiteral("2026-02-28 23:59:59"), kK2, 201, 300, "000", 100, QStringLiteral("二店"));
    sql += Roll(QStringLiteral("2026-03-01 00:00:00"), kK2, 301, 400, "000", 100, QStringLiteral("二店"));
    sql += Roll(QStringLiteral("2026-02"), kK2, 401, 500, "000", 100, QStringLiteral("二店"));
    // The head point's stock for a blank run: a roll it uses up, then one it opens.
    sql += Roll(QStringLiteral("2025-12-01 09:00:00"), kK3, 1, 3, "101", 3);
    sql += Roll(QStringLiteral("2025-12-02 09:00:00"), kK3, 4, 10, "000", 7);
    return sql;
}

QStringList Lines(QSqlQuery q)
{
    QStringList lines;
    while (FetchNext(q)) {
        QStringList fields;
        for (int i = 0; i < q.record().count(); ++i)
            fields << StoredText(q.value(i));
        lines << fields.join(u'|');
    }
    return lines;
}

QStringList Cells(const TWorkbook& book)
{
    QStringList cells;
    for (const auto& c : book.Content().cells)
        cells << QStringLiteral("%1:%2").arg(CellName(c.row, c.column), c.value.text);
    return cells;
}

using TResults = std::map<QString, QStringList>;

// What every statement that selects a month, a day range or a point's numbers gives.
TResults Collect()
{
    TResults r;
    TWorkbook list;
    list.Open(SaleListTemplate());
    FillSaleList(list, QStringLiteral("2026-02"), true);
    r[QStringLiteral("list")] = Cells(list);

    for (const TDeclarationRow& d : QueryDeclarationRows(*DataBase, QStringLiteral("2026-02")))
        r[QStringLiteral("declaration")] << QStringList{StoredText(d.fpdm), StoredText(d.fphm), StoredText(d.sccj),
                                                        StoredText(d.cpxh), StoredText(d.cjhm), StoredText(d.jwjehj)}
                                                .join(u'|');

    TWorkbook statement;
    statement.Open(StockStatementTemplate());
    FillStockStatement(statement, QStringLiteral("2026-02"));
    r[QStringLiteral("statement")] = Cells(statement);
    r[QStringLiteral("carried")] = Lines(DataBase->Run(QStringLiteral("select * from qmkc where ssrq='2026-03' order by rowid")));

    const std::pair<QDate, QDate> ranges[] = {{QDate(2026, 2, 1), QDate(2026, 2, 28)},
                                              {QDate(2026, 1, 31), QDate(2026, 2, 1)},
                                              {QDate(2026, 2, 28), QDate(2026, 3, 1)},
                                              {QDate(2026, 1, 1), QDate(2026, 3, 31)}};
    for (const auto& [first, last] : ranges) {
        const QString days = first.toString(Qt::ISODate) + u'~' + last.toString(Qt::ISODate);
        for (int state = 0; state <= 5; ++state) {
            const TStatement s = SalesStatement(first, last, state, QString(), QString());
            r[QStringLiteral("query ") + days + QString::number(state)] = Lines(OpenStatement(s, true));
            r[QStringLiteral("query count ") + days + QString::number(state)] << QString::number(ReadStatement(s).RowCount());
        }
        r[QStringLiteral("query frame ") + days] =
            Lines(OpenStatement(SalesStatement(first, last, 5, QStringLiteral(" LVIN00000105 "), QString()), true));
        r[QStringLiteral("query number ") + days] =
            Lines(OpenStatement(SalesStatement(first, last, 5, QString(), N(3).mid(1, 8)), true));
        for (const QString& point : {QStringLiteral("一店"), QStringLiteral("二店"), QStringLiteral("")})
            r[QStringLiteral("issued ") + days + point] =
                Lines(OpenStatement(IssuedInvoicesStatement(first, last, QString(), QString(), point), true));
    }
    for (const QString& point : {QStringLiteral("一店"), QStringLiteral("二店")}) {
        const TRecordset exported = QueryList(*DataBase, SaleList(), point, QStringLiteral("2026-02"));
        for (size_t i = 0; i < exported.rows.size(); ++i) {
            QStringList fields;
            for (const QVariant& v : exported.rows.Row(i))
                fields << StoredText(v);
            r[QStringLiteral("export ") + point] << fields.join(u'|');
        }
    }

    // Blank numbers of the head point: the run uses its roll up, the next current invoice opens the next.
    CorpInfo.kpdName = QStringLiteral("一店");
    StoreBlankRun(kK3, QStringLiteral("00000001"), 3, QStringLiteral("3"));
    TCurFPInfo current;
    EXPECT_TRUE(GetCurInvoice(current));
    r[QStringLiteral("current")] << current.fpdm + u'|' + current.dqhm + u'|' + QString::number(current.syfs);
    r[QStringLiteral("rolls")] = Lines(DataBase->Run(QStringLiteral("select * from fpkcxx order by rowid")));
    r[QStringLiteral("blank")] =
        Lines(DataBase->Run(QStringLiteral("select * from SaleDetail where fpdm=:c order by rowid"), {{"c", kK3}}));
    return r;
}

int IndexCount() { return DataBase->Scalar(QStringLiteral("select count(*) from sqlite_master where type='index'")).toInt(); }

}  // namespace

TEST(IndexedStatements, GiveTheSameRowsWithAndWithoutTheirIndexes)
{
    TResults without;
    int indexes = 0;
    {
        TTestProgramFolder folder;
        folder.Sql(AwkwardData());
        TTestContext context(folder);
        indexes = folder.DropIndexes();  // those start-up made
        ASSERT_GT(indexes, 0);
        ASSERT_EQ(IndexCount(), 0);
        without = Collect();
        EXPECT_EQ(IndexCount(), 0);
    }
    TResults with;
    {
        TTestProgramFolder folder;
        ASSERT_EQ(folder.DropIndexes(), indexes);
        folder.Sql(AwkwardData());
        TTestContext context(folder);  // an older database: start-up creates the indexes
        ASSERT_EQ(IndexCount(), indexes);
        with = Collect();
    }
    // The data reaches the edges it is meant to: the month's valid invoices, the days' rows of
    // every state, and the head point's next roll opened after the blank run used its roll up.
    EXPECT_EQ(without[QStringLiteral("declaration")].size(), 23);
    EXPECT_EQ(without[QStringLiteral("query count 2026-02-01~2026-02-285")], QStringList{QStringLiteral("33")});
    EXPECT_EQ(without[QStringLiteral("current")], QStringList{kK3 + QStringLiteral("|00000004|22")});
    ASSERT_EQ(without.size(), with.size());
    for (const auto& [part, rows] : without)
        EXPECT_EQ(rows, with[part]) << part.toStdString();
}
