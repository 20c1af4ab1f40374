// Lists read a block at a time: every row once and in order, whatever the ties and NULLs of the
// order columns and whatever a second connection writes between blocks, with no read held open
// between them.
#include "ProgramFolder.h"
#include "core/Errors.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "invoices/InvoiceStatements.h"

#include <QDate>
#include <gtest/gtest.h>

namespace {
const QDate kFirst(2026, 3, 1);
const QDate kLast(2026, 3, 5);

class BlockRead : public ::testing::Test {
protected:
    TTestProgramFolder folder;
    std::unique_ptr<TTestContext> context;

    void SetUp() override
    {
        // htdh names each row, so that rows can be told apart whatever their order columns hold.
        folder.Sql(QStringLiteral(
            "insert into baseinfo(corpName,corpTaxID,kpdName,flag) values('某汽车销售公司','440100000000001','总部','是');"
            "with recursive n(i) as (select 1 union all select i+1 from n where i < 40) "
            "insert into SaleDetail(kprq,fpdm,fphm,htdh,ghdw,fpzt,kpdName) "
            "select printf('2026-03-0%d 09:00:00', 1 + i % 3), "
            "case i % 4 when 0 then null when 1 then '' when 2 then '144001900111' else '144001900222' end, "
            "case i % 5 when 0 then null when 1 then '00000001' else printf('%08d', i % 7) end, "
            "'r' || i, '买方', case when i % 9 = 0 then '2' else '0' end, '总部' from n;"));
        context = std::make_unique<TTestContext>(folder);
        ASSERT_NE(DataBase, nullptr);
    }

    // The names of the statement's rows now, in its order with the rowid last.
    static QStringList Expected(const TStatement& s)
    {
        const TReadRows rows =
            DataBase->ReadRows(QStringLiteral("select htdh ") + s.Rows + s.Order + QStringLiteral(",rowid"), s.Params);
        QStringList names;
        for (int r = 0; r < rows.RowCount(); ++r)
            names << rows.Value(r, 0).toString();
        return names;
    }
    static void Collect(const TReadRows& rows, QStringList& names)
    {
        for (int r = 0; r < rows.RowCount(); ++r)
            names << rows.Value(r, rows.FieldIndex(QStringLiteral("htdh"))).toString();
    }
};

TEST_F(BlockRead, ReadsEveryRowOnceInOrderWhateverTheTiesAndNulls)
{
    for (const TStatement& statement : {SalesStatement(kFirst, kLast, 5, QString(), QString()),
                                        IssuedInvoicesStatement(kFirst, kLast, QString(), QString(), QStringLiteral("总部"))}) {
        const QStringList expected = Expected(statement);
        ASSERT_EQ(expected.size(), 40);
        TBlockRead read(statement, 3, 4);
        int count = -1;
        QStringList names;
        const TReadRows first = read.Start(count);
        EXPECT_EQ(count, 40);
        EXPECT_EQ(first.RowCount(), 3);
        EXPECT_EQ(first.Fields(), DataBase->ReadRows(statement.Sql, statement.Params).Fields()) << "no key field shown";
        Collect(first, names);
        int blocks = 0;
        while (!read.Done()) {
            EXPECT_TRUE(ConnectionIdle(folder)) << "between blocks";
            const TReadRows block = read.Next();
            EXPECT_LE(block.RowCount(), 4);
            Collect(block, names);
            ASSERT_LT(++blocks, 20);
        }
        EXPECT_EQ(names, expected) << statement.Sql.toStdString();
        EXPECT_EQ(read.Next().RowCount(), 0);
        EXPECT_TRUE(ConnectionIdle(folder));
    }
}

TEST_F(BlockRead, WritesOfAnotherConnectionBetweenBlocksNeitherRepeatNorDropRows)
{
    const TStatement statement = IssuedInvoicesStatement(kFirst, kLast, QString(), QString(), QStringLiteral("总部"));
    const QStringList before = Expected(statement);
    TBlockRead read(statement, 14, 5);
    int count = 0;
    QStringList names;
    Collect(read.Start(count), names);
    ASSERT_EQ(names, before.mid(0, 14));
    ASSERT_EQ(folder.CheckpointBusy(), 0);
    const QString lastRead = names.constLast();
    const QString unread1 = before.value(20), unread2 = before.value(25), unread3 = before.value(30);
    // A row the list has passed, one on the last row's order values (a later rowid comes after
    // it), one at the end; an unread row changed, one deleted, one voided (no longer listed);
    // a read row changed.
    folder.Sql(
        QStringLiteral(
            "insert into SaleDetail(kprq,fpdm,fphm,htdh,fpzt,kpdName) values('2026-03-01 08:00:00','0','0','passed','0','总部');"
            "insert into SaleDetail(kprq,fpdm,fphm,htdh,fpzt,kpdName) "
            "  select kprq,fpdm,fphm,'tied','0','总部' from SaleDetail where htdh='%1';"
            "insert into SaleDetail(kprq,fpdm,fphm,htdh,fpzt,kpdName) values('2026-03-05 23:00:00','9','9','end','0','总部');"
            "update SaleDetail set ghdw='新买方' where htdh='%2';"
            "delete from SaleDetail where htdh='%3';"
            "update SaleDetail set fpzt='1' where htdh='%4';"
            "update SaleDetail set ghdw='又一买方' where htdh='%5';")
            .arg(lastRead, unread1, unread2, unread3, names.constFirst()));
    for (int blocks = 0; !read.Done(); ++blocks) {
        ASSERT_LT(blocks, 20);
        const TReadRows block = read.Next();
        Collect(block, names);
        for (int r = 0; r < block.RowCount(); ++r)
            if (block.Value(r, block.FieldIndex(QStringLiteral("htdh"))).toString() == unread1) {
                EXPECT_EQ(block.Value(r, block.FieldIndex(QStringLiteral("ghdw"))).toString(), QStringLiteral("新买方"));
            }
        EXPECT_TRUE(ConnectionIdle(folder));
    }
    // What was read stays; the rest is the statement's rows now after the last row read.
    QStringList now = Expected(statement);
    now.removeOne(QStringLiteral("passed"));
    // Each name once, the tied row and the end row in; the deleted and the voided rows out.
    EXPECT_EQ(names, now);
    EXPECT_FALSE(names.contains(unread3));
}

TEST_F(BlockRead, AFailingBlockRaisesAndHoldsNoRead)
{
    const TStatement statement = SalesStatement(kFirst, kLast, 5, QString(), QString());
    TBlockRead read(statement, 10, 10);
    int count = 0;
    EXPECT_EQ(read.Start(count).RowCount(), 10);
    folder.Sql(QStringLiteral("alter table SaleDetail rename to SaleDetailGone;"));
    EXPECT_THROW(read.Next(), EDatabaseError);
    EXPECT_TRUE(ConnectionIdle(folder));
    EXPECT_FALSE(DataBase->InTransaction());
    TBlockRead again(statement, 10, 10);
    EXPECT_THROW(again.Start(count), EDatabaseError);
    EXPECT_FALSE(DataBase->InTransaction()) << "the read of the count and first rows is ended";
    EXPECT_TRUE(ConnectionIdle(folder));
}
}  // namespace
