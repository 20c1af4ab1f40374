#include "ProgramFolder.h"
#include "core/Errors.h"
#include "core/TADODB.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {
class TADODBTest : public ::testing::Test {
protected:
    TTestProgramFolder folder;
    TADODB db{folder.DatabaseFile(), QString(), QString(), QString()};

    void SetUp() override
    {
        ASSERT_TRUE(db.Connect());
        folder.Sql(QStringLiteral("insert into CLLX(cllx) values('轿车');"
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

TEST_F(TADODBTest, ConnectClosesTheSharedQuery)
{
    ASSERT_TRUE(db.Execute(db.Query(), QStringLiteral("select * from CLLX"), {}));
    EXPECT_TRUE(db.Query().isActive());
    EXPECT_TRUE(db.Connect());
    EXPECT_FALSE(db.Query().isActive());
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
