#include "ProgramFolder.h"
#include "core/Errors.h"
#include "core/TADODB.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <sqlite3.h>
#include <gtest/gtest.h>

namespace {
class TADODBTest : public ::testing::Test {
protected:
    TTestProgramFolder folder;
    TADODB db{folder.DatabaseFile(), QString(), QString(), QString()};

    void SetUp() override
    {
        ASSERT_TRUE(db.Connect());
        folder.Sql(
            QStringLiteral("insert into CLLX(cllx) values('轿车');"
                           "insert into CLLX(cllx) values('客车');"
                           "insert into SCCJ(cpxh,sccj,cd) values('M1','Maker',NULL);"));
    }
};
}  // namespace

TEST_F(TADODBTest, ExecSQLRunsOnlyInsertUpdateDelete)
{
    EXPECT_EQ(db.ExecSQL(QStringLiteral("  \n insert into CLLX(cllx) values('货车')")), 1);
    EXPECT_EQ(db.ExecSQL(QStringLiteral("select count(*) from passwd")), TADODB::kWrongKind);
    EXPECT_EQ(db.ExecSQL(QStringLiteral("drop table CLLX")), TADODB::kWrongKind);
    TRows rows;
    EXPECT_EQ(db.OpenSQL(QStringLiteral("select cllx from CLLX order by CJID"), rows), 3);
    EXPECT_EQ(db.OpenSQL(QStringLiteral("update CLLX set cllx='x'"), rows), TADODB::kWrongKind);
    EXPECT_EQ(db.OpenSQL(QStringLiteral("select cllx from CLLX where cllx='x'"), rows), 0);
}

TEST_F(TADODBTest, UpdateOfNoRowIsZeroAndBadStatementIsFailed)
{
    EXPECT_EQ(db.ExecSQL(QStringLiteral("update CLLX set cllx='x' where CJID=99")), 0);
    EXPECT_EQ(db.ExecSQL(QStringLiteral("update NoSuchTable set a=1")), TADODB::kFailed);
    EXPECT_FALSE(db.LastErrorText().isEmpty());
    TRows rows;
    EXPECT_EQ(db.OpenSQL(QStringLiteral("select nothing from CLLX"), rows), TADODB::kFailed);
}

TEST_F(TADODBTest, OpenSQLFillsRowsInOrderKeepsNullAndLeavesRowsOnNoResult)
{
    TRows rows{{QVariant(42)}};
    EXPECT_EQ(db.OpenSQL(QStringLiteral("select * from CLLX where CJID > 100"), rows), 0);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0].toInt(), 42);

    EXPECT_EQ(db.OpenSQL(QStringLiteral("select CJID, cllx, 'c' from CLLX order by CJID"), rows), 2);
    ASSERT_EQ(rows.size(), 2u);
    ASSERT_EQ(rows[1].size(), 3u);
    EXPECT_EQ(rows[1][1].toString(), QStringLiteral("客车"));
    EXPECT_EQ(rows[1][2].toString(), QStringLiteral("c"));

    EXPECT_EQ(db.OpenSQL(QStringLiteral("select cd from SCCJ"), rows), 1);
    EXPECT_TRUE(rows[0][0].isNull());
}

TEST_F(TADODBTest, ValuesAreBoundNeverSpliced)
{
    const QString hostile = QStringLiteral("x'); delete from CLLX; --\"");
    EXPECT_EQ(db.ExecSQL(QStringLiteral("insert into CLLX(cllx) values(:v)"), {{QStringLiteral("v"), hostile}}), 1);
    TRows rows;
    EXPECT_EQ(db.OpenSQL(QStringLiteral("select cllx from CLLX where cllx=:v"), rows, {{QStringLiteral("v"), hostile}}), 1);
    EXPECT_EQ(rows[0][0].toString(), hostile);
    EXPECT_EQ(db.Scalar(QStringLiteral("select count(*) from CLLX")).toInt(), 3);
}

TEST_F(TADODBTest, TransactionsCommitAndRollBack)
{
    EXPECT_EQ(db.BeginTrans(), 1);
    EXPECT_TRUE(db.InTransaction());
    EXPECT_THROW(db.BeginTrans(), EDatabaseError);
    db.ExecSQL(QStringLiteral("delete from CLLX"));
    db.RollbackTrans();
    EXPECT_FALSE(db.InTransaction());
    EXPECT_EQ(db.Scalar(QStringLiteral("select count(*) from CLLX")).toInt(), 2);

    db.BeginTrans();
    db.ExecSQL(QStringLiteral("delete from CLLX"));
    db.CommitTrans();
    EXPECT_EQ(db.Scalar(QStringLiteral("select count(*) from CLLX")).toInt(), 0);
}

TEST_F(TADODBTest, AFailingCommitRaisesAndLeavesTheTransactionToRollBack)
{
    db.SetBeforeCommitHook([] { throw EDatabaseError(QStringLiteral("disk gone")); });
    db.BeginTrans();
    db.ExecSQL(QStringLiteral("delete from CLLX"));
    EXPECT_THROW(db.CommitTrans(), EDatabaseError);
    db.RollbackTrans();
    EXPECT_EQ(db.Scalar(QStringLiteral("select count(*) from CLLX")).toInt(), 2);
}

TEST_F(TADODBTest, RunInTransactionRollsBackWhenTheWorkOrTheCommitFails)
{
    const auto cllx = [&] { return db.Scalar(QStringLiteral("select count(*) from CLLX")).toInt(); };
    EXPECT_THROW(db.RunInTransaction([&] {
        db.Run(QStringLiteral("delete from CLLX"));
        throw EConvertError(QStringLiteral("bad number"));
    }),
                 EConvertError);
    EXPECT_FALSE(db.InTransaction());
    EXPECT_EQ(cllx(), 2);
    // A deferred foreign key is checked only at COMMIT, which then fails and leaves the
    // transaction open.
    db.Run(QStringLiteral("PRAGMA foreign_keys = ON"));
    db.Run(QStringLiteral("create table Parent(id integer primary key)"));
    db.Run(QStringLiteral("create table Child(pid integer references Parent(id) deferrable initially deferred)"));
    EXPECT_THROW(db.RunInTransaction([&] {
        db.Run(QStringLiteral("delete from CLLX"));
        db.Run(QStringLiteral("insert into Child values(7)"));
    }),
                 EDatabaseError);
    EXPECT_FALSE(db.InTransaction());
    EXPECT_EQ(cllx(), 2);
    EXPECT_EQ(db.Scalar(QStringLiteral("select count(*) from Child")).toInt(), 0);
    // The connection takes the next transaction, and it commits.
    db.RunInTransaction([&] { db.Run(QStringLiteral("insert into Parent values(7)")); });
    EXPECT_FALSE(db.InTransaction());
    EXPECT_EQ(db.Scalar(QStringLiteral("select count(*) from Parent")).toInt(), 1);
}

TEST_F(TADODBTest, RunInTransactionInsideAnotherIsRefusedBeforeItsWorkRuns)
{
    bool innerRan = false;
    db.RunInTransaction([&] {
        db.Run(QStringLiteral("delete from CLLX where cllx='轿车'"));
        EXPECT_THROW(db.RunInTransaction([&] { innerRan = true; }), EDatabaseError);
        // The refusal left the outer transaction open.
        EXPECT_TRUE(db.InTransaction());
    });
    EXPECT_FALSE(innerRan);
    EXPECT_EQ(db.Scalar(QStringLiteral("select cllx from CLLX")).toString(), QStringLiteral("客车"));

    // Let through, the refusal rolls the outer work back whole.
    EXPECT_THROW(db.RunInTransaction([&] {
        db.Run(QStringLiteral("delete from CLLX"));
        db.RunInTransaction([] {});
    }),
                 EDatabaseError);
    EXPECT_EQ(db.Scalar(QStringLiteral("select count(*) from CLLX")).toInt(), 1);
}

TEST_F(TADODBTest, RunInTransactionHandsAFailedRollbackOnAndRaisesTheFirstError)
{
    auto* handle = static_cast<sqlite3*>(db.Handle());
    QStringList rollbackErrors;
    EXPECT_THROW(db.RunInTransaction(
                     [&] {
                         db.Run(QStringLiteral("delete from CLLX"));
                         // From here every statement is interrupted, the ROLLBACK too.
                         sqlite3_progress_handler(
                             handle, 1, [](void*) { return 1; }, nullptr);
                         throw EConvertError(QStringLiteral("first"));
                     },
                     [&](const std::exception& e) { rollbackErrors << QString::fromUtf8(e.what()); }),
                 EConvertError);
    sqlite3_progress_handler(handle, 0, nullptr, nullptr);
    EXPECT_EQ(rollbackErrors.size(), 1);
    ASSERT_TRUE(db.InTransaction());
    db.RollbackTrans();
    EXPECT_EQ(db.Scalar(QStringLiteral("select count(*) from CLLX")).toInt(), 2);
}

TEST_F(TADODBTest, TextsBindAsTheirHelperSays)
{
    // What each binds as, read back by the engine: its type and its text.
    const auto stored = [&](const QVariant& value) {
        return db.Scalar(QStringLiteral("select typeof(:v) || '|' || ifnull(:v, '-')"), {{QStringLiteral("v"), value}})
            .toString();
    };
    EXPECT_EQ(stored(QString()), QStringLiteral("null|-")) << "what the helpers are for";
    EXPECT_EQ(stored(TextParam(QString())), QStringLiteral("text|"));
    EXPECT_EQ(stored(TextParam(QStringLiteral(""))), QStringLiteral("text|"));
    EXPECT_EQ(stored(TextParam(QStringLiteral("A 1"))), QStringLiteral("text|A 1"));
    EXPECT_EQ(stored(NullText()), QStringLiteral("null|-"));
    EXPECT_EQ(stored(TextKeepingNull(QVariant(QMetaType::fromType<QString>()))), QStringLiteral("null|-"));
    EXPECT_EQ(stored(TextKeepingNull(QVariant(QString()))), QStringLiteral("text|"));
    EXPECT_EQ(stored(TextKeepingNull(QVariant(QStringLiteral("LSV")))), QStringLiteral("text|LSV"));

    // A NULL read back finds its row again; a null text finds the empty one, not the NULL.
    folder.Sql(QStringLiteral("insert into SCCJ(cpxh,sccj,cd) values('M2','Maker','');"));
    const QVariant nullOrigin = db.Scalar(QStringLiteral("select cd from SCCJ where cpxh='M1'"));
    ASSERT_TRUE(nullOrigin.isNull());
    const QString find = QStringLiteral("select group_concat(cpxh) from SCCJ where cd is :cd");
    EXPECT_EQ(db.Scalar(find, {{QStringLiteral("cd"), TextKeepingNull(nullOrigin)}}).toString(), QStringLiteral("M1"));
    EXPECT_EQ(db.Scalar(find, {{QStringLiteral("cd"), TextParam(QString())}}).toString(), QStringLiteral("M2"));
}

TEST_F(TADODBTest, ConnectClosesTheSharedQuery)
{
    ASSERT_TRUE(db.Execute(db.Query(), QStringLiteral("select * from CLLX"), {}));
    EXPECT_TRUE(db.Query().isActive());
    EXPECT_TRUE(db.Connect());
    EXPECT_FALSE(db.Query().isActive());
}

// Every read lets go of the connection once its values are taken, so that a second
// connection's writes are seen and its checkpoint passes; a query of one's own holds its read
// until it is read out or let go.
TEST_F(TADODBTest, ReadsLetGoOfTheConnection)
{
    TRows rows;
    ASSERT_EQ(db.OpenSQL(QStringLiteral("select cllx from CLLX order by CJID"), rows), 2);
    EXPECT_TRUE(ConnectionIdle(folder, db));
    const std::optional<QSqlRecord> first = db.FirstRow(QStringLiteral("select cllx from CLLX order by CJID"));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->value(QStringLiteral("cllx")).toString(), QStringLiteral("轿车"));
    EXPECT_FALSE(db.FirstRow(QStringLiteral("select cllx from CLLX where CJID < 0")));
    EXPECT_EQ(db.Scalar(QStringLiteral("select cllx from CLLX order by CJID")).toString(), QStringLiteral("轿车"));
    EXPECT_EQ(db.ReadRows(QStringLiteral("select cllx from CLLX")).RowCount(), 2);
    EXPECT_TRUE(ConnectionIdle(folder, db));

    folder.Sql(QStringLiteral("insert into CLLX(cllx) values('货车');"));
    EXPECT_EQ(db.Scalar(QStringLiteral("select count(*) from CLLX")).toInt(), 3);
    {
        QSqlQuery q = db.Run(QStringLiteral("select cllx from CLLX"));
        ASSERT_TRUE(q.next());
        EXPECT_EQ(db.ActiveStatements(), QStringList{"select cllx from CLLX"});
        EXPECT_EQ(folder.CheckpointBusy(), 1);
    }
    EXPECT_TRUE(ConnectionIdle(folder, db));
    EXPECT_THROW(db.FirstRow(QStringLiteral("select nothing from CLLX")), EDatabaseError);
    EXPECT_THROW(db.ReadRows(QStringLiteral("select nothing from CLLX")), EDatabaseError);
    EXPECT_TRUE(ConnectionIdle(folder, db));
}

// Rows read out whole give back what a query gives: the kinds of the values, Null as Null,
// values bound as Qt binds them (a null text as NULL, an empty one as empty text).
TEST_F(TADODBTest, RowsReadOutWholeHoldWhatAQueryGives)
{
    const QString select = QStringLiteral(
        "select 7 as i, 2.5 as r, 'é文' as t, x'00ff' as b, null as n, '' as e, :v as v, :empty is null as en, "
        ":null is null as nn");
    const TParams params{{QStringLiteral("v"), QStringLiteral("a'b")},
                         {QStringLiteral(":empty"), QStringLiteral("")},
                         {QStringLiteral("null"), QString()}};
    const TReadRows rows = db.ReadRows(select, params);
    ASSERT_EQ(rows.RowCount(), 1);
    EXPECT_EQ(rows.Fields(), (QStringList{"i", "r", "t", "b", "n", "e", "v", "en", "nn"}));
    QSqlQuery q = db.Run(select, params);
    ASSERT_TRUE(q.next());
    for (int c = 0; c < rows.ColumnCount(); ++c) {
        EXPECT_EQ(rows.Value(0, c), q.value(c)) << c;
        EXPECT_EQ(rows.Value(0, c).isNull(), q.value(c).isNull()) << c;
        EXPECT_EQ(rows.Value(0, c).typeId(), q.value(c).typeId()) << c;
    }
    q = QSqlQuery();
    EXPECT_EQ(rows.Value(0, 6).toString(), QStringLiteral("a'b"));
    EXPECT_EQ(rows.Value(0, 7).toInt(), 0);
    EXPECT_EQ(rows.Value(0, 8).toInt(), 1);
    EXPECT_EQ(rows.Record(0).value(QStringLiteral("t")).toString(), QStringLiteral("é文"));
    EXPECT_FALSE(rows.Value(1, 0).isValid());

    // Many rows in order; none when nothing matches, with the fields still named.
    const TReadRows many = db.ReadRows(
        QStringLiteral("with recursive n(i) as (select 1 union all select i+1 from n where i < 5000) select i, 'v'||i from n"));
    ASSERT_EQ(many.RowCount(), 5000);
    EXPECT_EQ(many.Value(4999, 1).toString(), QStringLiteral("v5000"));
    const TReadRows none = db.ReadRows(QStringLiteral("select cllx from CLLX where CJID < 0"));
    EXPECT_EQ(none.RowCount(), 0);
    EXPECT_EQ(none.Fields(), QStringList{"cllx"});
    EXPECT_THROW(db.ReadRows(QStringLiteral("select :a, :b"), {{QStringLiteral("a"), 1}}), EDatabaseError);
}

// Reads appended one to another hold every row in order with its values, after the reads
// they came from are gone; rows of other fields are refused; a dropped key field is not shown.
TEST_F(TADODBTest, RowsOfSeveralReadsAppendInOrder)
{
    const QString numbers = QStringLiteral(
        "with recursive n(i) as (select :from union all select i+1 from n where i < :to) "
        "select i, 'v'||i as t, i*0.5 as r, rowid_ from (select i, -i as rowid_ from n where i <= :to)");
    TReadRows all;
    EXPECT_EQ(all.ColumnCount(), 0);
    for (int from = 1; from <= 60000; from += 20000) {
        TReadRows part = db.ReadRows(numbers, {{QStringLiteral("from"), from}, {QStringLiteral("to"), from + 19999}});
        part.DropTrailingFields(1);
        ASSERT_EQ(part.Fields(), (QStringList{"i", "t", "r"}));
        EXPECT_FALSE(part.Value(0, 3).isValid()) << "the dropped field";
        all.Append(std::move(part));
        EXPECT_EQ(part.RowCount(), 0);
    }
    // An empty read of the same fields adds nothing.
    TReadRows none = db.ReadRows(numbers, {{QStringLiteral("from"), 2}, {QStringLiteral("to"), 1}});
    none.DropTrailingFields(1);
    all.Append(std::move(none));
    ASSERT_EQ(all.RowCount(), 60000);
    EXPECT_EQ(all.Fields(), (QStringList{"i", "t", "r"}));
    for (int row : {0, 19999, 20000, 39999, 40000, 59999}) {
        EXPECT_EQ(all.Value(row, 0).toLongLong(), row + 1) << row;
        EXPECT_EQ(all.Value(row, 1).toString(), QStringLiteral("v%1").arg(row + 1)) << row;
        EXPECT_EQ(all.Value(row, 2).toDouble(), (row + 1) * 0.5) << row;
    }
    EXPECT_THROW(all.Append(db.ReadRows(QStringLiteral("select cllx from CLLX"))), EDatabaseError);
    EXPECT_EQ(all.RowCount(), 60000);
    EXPECT_TRUE(ConnectionIdle(folder, db));
}

TEST(TADODBConnect, NeverCreatesAMissingFileAndRefusesNonDatabases)
{
    TTestProgramFolder folder(false);
    const QString file = folder.DatabaseFile();
    TADODB db(file, QString(), QString(), QString());
    EXPECT_FALSE(db.Connect());
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_EQ(db.ExecSQL(QStringLiteral("delete from CLLX")), TADODB::kFailed);
    TRows rows;
    EXPECT_EQ(db.OpenSQL(QStringLiteral("select * from CLLX"), rows), TADODB::kFailed);
    EXPECT_THROW(db.BeginTrans(), EDatabaseError);

    folder.WriteFile(QStringLiteral("db/Corvane.db"), QByteArray(4096, 'x'));
    EXPECT_FALSE(db.Connect());
    EXPECT_FALSE(db.Connected());
}
