#include "QtPrinters.h"
#include "ProgramFolder.h"
#include "ReportTestData.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "reports/ExchangeLists.h"

#include <gtest/gtest.h>

namespace {
QString Refusal(const TRecordset& file, const std::vector<TTableColumn>& table)
{
    try {
        const TListValues values(file, table);
        for (size_t r = 0; r < file.rows.size(); ++r)
            values.Row(r);
    } catch (const EListRefused& e) {
        return e.Text();
    }
    return QStringLiteral("<stored>");
}

TField Typed(const char* name, TFieldKind kind)
{
    TField f = TextField(QString::fromLatin1(name));
    f.kind = kind;
    return f;
}
}  // namespace

TEST(ExchangeLists, AFileMustNameTheTablesColumnsInOrderAndHoldValuesOfTheirTypes)
{
    const std::vector<TTableColumn> table{{QStringLiteral("kprq"), QStringLiteral("TEXT")},
                                          {QStringLiteral("dj"), QStringLiteral("REAL")},
                                          {QStringLiteral("lyfs"), QStringLiteral("INTEGER")}};
    TRecordset file{{Typed("KPRQ", TFieldKind::DateTime), Typed("dj", TFieldKind::Text), Typed("lyfs", TFieldKind::Number),
                     Typed("extra", TFieldKind::Text)},
                    {{QStringLiteral("2026-02-03T04:05:06"), QStringLiteral("-12445.5"), 7.0, QStringLiteral("x")},
                     {QStringLiteral("2026-02-03"), QStringLiteral("1e3"), QVariant(), QVariant()}}};
    const TListValues values(file, table);
    EXPECT_EQ(values.Row(0),
              (TRecord{QStringLiteral("2026-02-03 04:05:06"), -12445.5, qlonglong(7)}));  // the surplus column is left
    EXPECT_EQ(values.Row(1), (TRecord{QStringLiteral("2026-02-03 00:00:00"), 1000.0, QVariant()}));

    // A line break after the value is no part of a number or a date.
    for (const auto& [value, column] : std::vector<std::pair<QVariant, int>>{{QStringLiteral("12,5"), 1},
                                                                             {QStringLiteral(""), 1},
                                                                             {QStringLiteral("12.5\n"), 1},
                                                                             {7.5, 2},
                                                                             {QStringLiteral("2026-02-30"), 0},
                                                                             {QStringLiteral("2026-02-03\n"), 0}}) {
        TRecordset bad = file;
        TRecord row = bad.rows[0];
        row[column] = value;
        bad.rows.push_back(row);
        EXPECT_EQ(Refusal(bad, table), QStringLiteral("第3行%1列的值不能存入").arg(table[column].name))
            << value.toString().toStdString();
    }
    TRecordset renamed = file;
    renamed.fields[1].name = QStringLiteral("jwjehj");
    EXPECT_EQ(Refusal(renamed, table), QStringLiteral("第2列是jwjehj，应为dj"));
}

TEST(ExchangeLists, TheMonthsRowsOfAPointWhateverItsNameHolds)
{
    TTestProgramFolder folder;
    const QString point = QStringLiteral("一店\"'; drop table SaleDetail; --");
    InsertInvoice(folder, InvoiceValues(point, QStringLiteral("2026-02-09 10:00:00"), QStringLiteral("00000002"), 1));
    InsertInvoice(folder, InvoiceValues(point, QStringLiteral("2026-02-01 10:00:00"), QStringLiteral("00000001"), 2));
    InsertInvoice(folder, InvoiceValues(point, QStringLiteral("2026-03-01 10:00:00"), QStringLiteral("00000003"), 3));
    InsertInvoice(folder,
                  InvoiceValues(QStringLiteral("一店"), QStringLiteral("2026-02-01 10:00:00"), QStringLiteral("00000004"), 4));
    TTestContext context(folder);
    const TRecordset rs = QueryList(*DataBase, SaleList(), point, QStringLiteral("2026-02"));
    ASSERT_EQ(rs.rows.size(), 2u);
    EXPECT_EQ(rs.fields.size(), 38u);
    EXPECT_EQ(rs.rows[0][2], QVariant(QStringLiteral("00000001")));
    EXPECT_EQ(rs.rows[1][2], QVariant(QStringLiteral("00000002")));
    EXPECT_EQ(rs.fields[14].kind, TFieldKind::Number);
}

TEST(ExchangeLists, AStoredRollTakesTheLoadedOneWholeAndANullKeyMatchesANull)
{
    TTestProgramFolder folder;
    InsertRoll(folder, QStringLiteral("一店"), QStringLiteral("2026-02-01 13:28:19"), QStringLiteral("00000001"),
               QStringLiteral("00000001"), 10);
    InsertRoll(folder, QStringLiteral("二店"), QStringLiteral("2026-02-01 13:28:19"), QStringLiteral("00000001"),
               QStringLiteral("00000001"), 10);
    folder.Sql(QStringLiteral(
        "insert into fpkcxx values(NULL,'044001900111','00000011','00000020','000','00000011','李四',10,10,'一店');"));
    TTestContext context(folder);
    TRecordset file = QueryList(*DataBase, StockList(), QStringLiteral("一店"), QStringLiteral("2026-02"));
    ASSERT_EQ(file.rows.size(), 1u);
    TRecord roll = file.rows[0];
    roll[4] = QStringLiteral("101");
    roll[5] = QStringLiteral("00000004");
    roll[8] = 7;
    roll[9] = QStringLiteral("总部");
    TRecord nullDate = roll;
    nullDate[0] = QVariant();
    nullDate[2] = QStringLiteral("00000011");
    nullDate[3] = QStringLiteral("00000020");
    TRecord added = roll;
    added[2] = QStringLiteral("00000021");
    added[3] = QStringLiteral("00000030");
    file.rows = {roll, nullDate, added};
    EXPECT_EQ(StoreStock(*DataBase, file).stored, 3);
    const std::vector<QStringList> rows = TableRows(QStringLiteral("fpkcxx"));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].mid(4), (QStringList{"101", "00000004", "李四", "10", "7", "总部"}));
    EXPECT_EQ(rows[1][9], QStringLiteral("二店"));  // the first match only
    EXPECT_EQ(rows[2][0], QStringLiteral("∅"));
    EXPECT_EQ(rows[2][9], QStringLiteral("总部"));
    EXPECT_EQ(rows[3][2], QStringLiteral("00000021"));
}

TEST(ExchangeLists, AnInvoiceStoredAlreadyOrEarlierInTheFileIsSkipped)
{
    TTestProgramFolder folder;
    InsertInvoice(folder,
                  InvoiceValues(QStringLiteral("总部"), QStringLiteral("2026-02-01 10:00:00"), QStringLiteral("00000009"), 1));
    TTestContext context(folder);
    TRecordset file = QueryList(*DataBase, SaleList(), QStringLiteral("总部"), QStringLiteral("2026-02"));
    ASSERT_EQ(file.rows.size(), 1u);
    TRecord other = file.rows[0];
    other[2] = QStringLiteral("00000010");
    file.rows = {other, file.rows[0], other};
    const TStoreResult result = StoreSales(*DataBase, file);
    EXPECT_EQ(result.stored, 1);
    EXPECT_EQ(result.skipped, 2);
    EXPECT_EQ(TableRows(QStringLiteral("SaleDetail")).size(), 2u);
}
