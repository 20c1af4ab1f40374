#include "ProgramFolder.h"
#include "core/Common.h"
#include "core/Errors.h"
#include "core/Globals.h"
#include "core/TADODB.h"

#include <gtest/gtest.h>

namespace {
class ContextTest : public ::testing::Test {
protected:
    TTestProgramFolder folder;
    std::unique_ptr<TTestContext> context;

    void SetUp() override
    {
        context = std::make_unique<TTestContext>(folder);
        ASSERT_TRUE(DataBase && DataBase->Connected());
    }
    void TearDown() override { context.reset(); }

    void Exec(const QString& sql) { DataBase->Run(sql); }
    QVariant Value(const QString& sql) { return DataBase->Scalar(sql); }

    // A roll of the point: code, first and last number, state, copies left, receipt date.
    void AddRoll(const QString& code, const QString& first, const QString& last, const QString& state, int left,
                 const QString& date = QStringLiteral("2026-03-01 13:28:19"), const QString& point = QStringLiteral("总部"))
    {
        const int copies = last.toInt() - first.toInt() + 1;
        const QString current = left == 0 ? last : QString::number(last.toInt() - left + 1).rightJustified(8, u'0');
        DataBase->Run(QStringLiteral("insert into fpkcxx(lyrq,fpdm,fphmq,fphmz,kczt,dqhm,lyr,lyfs,syfs,kpdName) "
                                     "values(:d,:c,:q,:z,:s,:cur,'张三',:n,:left,:p)"),
                      {{"d", date},
                       {"c", code},
                       {"q", first},
                       {"z", last},
                       {"s", state},
                       {"cur", current},
                       {"n", copies},
                       {"left", left},
                       {"p", point}});
    }
    QString Roll(const QString& code, const QString& first, const char* column)
    {
        return DataBase
            ->Scalar(QStringLiteral("select %1 from fpkcxx where fpdm=:c and fphmq=:q").arg(column), {{"c", code}, {"q", first}})
            .toString();
    }
};
}  // namespace

TEST_F(ContextTest, LoadBaseInfoReadsTheLowestIdAndTurnsNullIntoEmpty)
{
    TBaseInfo info;
    info.corpName = QStringLiteral("unchanged");
    EXPECT_FALSE(LoadBaseInfo(*DataBase, info));
    EXPECT_EQ(info.corpName, QStringLiteral("unchanged"));

    Exec(QStringLiteral("insert into baseinfo(id,corpName,CorpTel,kpdName,flag) values(7,'第二','2','B','否')"));
    Exec(QStringLiteral("insert into baseinfo(id,corpName,CorpTel,kpdName,flag) values(3,'第一','1','A','是')"));
    EXPECT_TRUE(LoadBaseInfo(*DataBase, info));
    EXPECT_EQ(info.corpName, QStringLiteral("第一"));
    EXPECT_EQ(info.corpTel, QStringLiteral("1"));  // stored as CorpTel
    EXPECT_EQ(info.kpdName, QStringLiteral("A"));
    EXPECT_EQ(info.flag, QStringLiteral("是"));
    EXPECT_EQ(info.corpAdd, QString());
}

TEST_F(ContextTest, ReferenceListsKeepTheTableOrder)
{
    Exec(QStringLiteral("insert into CLLX(CJID,cllx) values(5,'客车'),(2,'轿车'),(9,'轿车')"));
    Exec(QStringLiteral("insert into SCCJ(id,cpxh,sccj,cd) values(4,'B型','厂乙','上海'),(1,'A型','厂甲',NULL)"));
    QStringList types{QStringLiteral("stale")};
    LoadCarTypes(*DataBase, types);
    EXPECT_EQ(types, (QStringList{"轿车", "客车", "轿车"}));
    TModelList models;
    LoadModels(*DataBase, models);
    ASSERT_EQ(models.size(), 2);
    EXPECT_EQ(models[0].id, 1);
    EXPECT_EQ(models[0].cpxh, QStringLiteral("A型"));
    EXPECT_EQ(models[0].cd, QString());
    EXPECT_EQ(models[1].sccj, QStringLiteral("厂乙"));

    Exec(QStringLiteral("drop table CLLX"));
    EXPECT_THROW(LoadCarTypes(*DataBase, types), EDatabaseError);
}

TEST_F(ContextTest, PasswordLoadsSavesAndNeverLocksTheClerkOut)
{
    QString password;
    EXPECT_TRUE(LoadPassword(password));
    EXPECT_EQ(password, QStringLiteral("740291"));

    Exec(QStringLiteral("delete from passwd"));
    EXPECT_FALSE(LoadPassword(password));
    EXPECT_EQ(password, QStringLiteral("740291"));

    EXPECT_TRUE(SavePassword(QStringLiteral("ab'c\"1")));
    EXPECT_EQ(Value(QStringLiteral("select count(*) from passwd")).toInt(), 1);
    EXPECT_TRUE(LoadPassword(password));
    EXPECT_EQ(password, QStringLiteral("ab'c\"1"));

    Exec(QStringLiteral("insert into passwd values('222222')"));
    EXPECT_TRUE(SavePassword(QStringLiteral("333333")));
    EXPECT_EQ(Value(QStringLiteral("select count(*) from passwd where passwd='333333'")).toInt(), 2);

    Exec(QStringLiteral("drop table passwd"));
    EXPECT_FALSE(LoadPassword(password));
    EXPECT_EQ(password, QStringLiteral("740291"));
    EXPECT_FALSE(SavePassword(QStringLiteral("444444")));
}

TEST_F(ContextTest, GetCurInvoiceOpensTheOldestReceivedRollOnlyWhenNoOpenedRollHasCopies)
{
    CorpInfo.kpdName = QStringLiteral("总部");
    TCurFPInfo cur;
    cur.fpdm = QStringLiteral("keep");
    EXPECT_FALSE(GetCurInvoice(cur));
    EXPECT_EQ(cur.fpdm, QStringLiteral("keep"));

    // Same receipt day and code: the lower range opens first, whatever the row order.
    AddRoll(QStringLiteral("144001900111"), QStringLiteral("00000101"), QStringLiteral("00000200"), "000", 100);
    AddRoll(QStringLiteral("144001900111"), QStringLiteral("00000001"), QStringLiteral("00000050"), "000", 50);
    AddRoll(QStringLiteral("144001900111"), QStringLiteral("00000301"), QStringLiteral("00000400"), "000", 100,
            QStringLiteral("2026-03-01 13:28:19"), QStringLiteral("分部"));
    ASSERT_TRUE(GetCurInvoice(cur));
    EXPECT_EQ(cur.fphmq, QStringLiteral("00000001"));
    EXPECT_EQ(cur.dqhm, QStringLiteral("00000001"));
    EXPECT_EQ(cur.syfs, 150);
    EXPECT_EQ(Roll(cur.fpdm, QStringLiteral("00000001"), "kczt"), QStringLiteral("101"));
    EXPECT_EQ(Roll(cur.fpdm, QStringLiteral("00000101"), "kczt"), QStringLiteral("000"));

    // An opened roll with copies beats an older unopened one, and nothing is updated.
    AddRoll(QStringLiteral("144001900000"), QStringLiteral("00000001"), QStringLiteral("00000010"), "000", 10,
            QStringLiteral("2026-01-01 13:28:19"));
    ASSERT_TRUE(GetCurInvoice(cur));
    EXPECT_EQ(cur.fpdm, QStringLiteral("144001900111"));
    EXPECT_EQ(Roll(QStringLiteral("144001900000"), QStringLiteral("00000001"), "kczt"), QStringLiteral("000"));
}

TEST_F(ContextTest, AdvanceInvoiceNoMovesTheRollThatHoldsTheNumber)
{
    CorpInfo.kpdName = QStringLiteral("总部");
    const QString code = QStringLiteral("144001900111");
    AddRoll(code, QStringLiteral("00000100"), QStringLiteral("00000124"), "101", 2);  // dqhm 00000123
    EXPECT_EQ(AdvanceInvoiceNo(QStringLiteral("00000123"), code), 1);
    EXPECT_EQ(Roll(code, QStringLiteral("00000100"), "dqhm"), QStringLiteral("00000124"));
    EXPECT_EQ(Roll(code, QStringLiteral("00000100"), "syfs"), QStringLiteral("1"));

    // The last number stays the current one and the roll is used up.
    EXPECT_EQ(AdvanceInvoiceNo(QStringLiteral("00000124"), code), 1);
    EXPECT_EQ(Roll(code, QStringLiteral("00000100"), "dqhm"), QStringLiteral("00000124"));
    EXPECT_EQ(Roll(code, QStringLiteral("00000100"), "syfs"), QStringLiteral("0"));

    // Outside every roll with copies: nothing changes, nothing is raised.
    EXPECT_EQ(AdvanceInvoiceNo(QStringLiteral("00000124"), code), 0);
    EXPECT_EQ(AdvanceInvoiceNo(QStringLiteral("00000999"), code), 0);
    EXPECT_THROW(AdvanceInvoiceNo(QStringLiteral("0000012x"), code), EConvertError);
}

TEST_F(ContextTest, AdvanceInvoiceNoKeepsEightDigitsAtTheEndOfTheNumberRange)
{
    CorpInfo.kpdName = QStringLiteral("总部");
    const QString code = QStringLiteral("144001900111");
    AddRoll(code, QStringLiteral("99999990"), QStringLiteral("99999999"), "101", 1);
    EXPECT_EQ(AdvanceInvoiceNo(QStringLiteral("99999999"), code), 1);
    EXPECT_EQ(Roll(code, QStringLiteral("99999990"), "dqhm"), QStringLiteral("99999999"));
}

TEST_F(ContextTest, AdvanceInvoiceNoCapsAtItsOwnRollNotTheCurrentOne)
{
    CorpInfo.kpdName = QStringLiteral("总部");
    const QString code = QStringLiteral("144001900111");
    AddRoll(code, QStringLiteral("00000001"), QStringLiteral("00000010"), "101", 5);
    AddRoll(code, QStringLiteral("00000011"), QStringLiteral("00000020"), "000", 1,
            QStringLiteral("2026-03-02 13:28:19"));  // its last number is the one used
    EXPECT_EQ(AdvanceInvoiceNo(QStringLiteral("00000020"), code), 1);
    EXPECT_EQ(Roll(code, QStringLiteral("00000011"), "dqhm"), QStringLiteral("00000020"));
}

TEST_F(ContextTest, PointNamesWithQuotesOrColumnNamesSelectOnlyTheirOwnRolls)
{
    const QString code = QStringLiteral("144001900111");
    for (const QString& point : {QStringLiteral("A\"B'C"), QStringLiteral("fpdm")}) {
        Exec(QStringLiteral("delete from fpkcxx"));
        CorpInfo.kpdName = point;
        AddRoll(code, QStringLiteral("00000001"), QStringLiteral("00000010"), "000", 10, QStringLiteral("2026-03-01 13:28:19"),
                point);
        AddRoll(code, QStringLiteral("00000001"), QStringLiteral("00000010"), "000", 10, QStringLiteral("2026-03-01 13:28:19"),
                QStringLiteral("other"));
        TCurFPInfo cur;
        ASSERT_TRUE(GetCurInvoice(cur)) << point.toStdString();
        EXPECT_EQ(cur.syfs, 10);
        EXPECT_EQ(AdvanceInvoiceNo(QStringLiteral("00000001"), code), 1);
        EXPECT_EQ(Value(QStringLiteral("select syfs from fpkcxx where kpdName='other'")).toInt(), 10);
    }
}

TEST_F(ContextTest, AnAdvanceRolledBackLeavesTheStockAsItWas)
{
    CorpInfo.kpdName = QStringLiteral("总部");
    const QString code = QStringLiteral("144001900111");
    AddRoll(code, QStringLiteral("00000001"), QStringLiteral("00000010"), "000", 10);
    DataBase->BeginTrans();
    TCurFPInfo cur;
    ASSERT_TRUE(GetCurInvoice(cur));
    EXPECT_EQ(AdvanceInvoiceNo(cur.dqhm, cur.fpdm), 1);
    DataBase->RollbackTrans();
    EXPECT_EQ(Roll(code, QStringLiteral("00000001"), "kczt"), QStringLiteral("000"));
    EXPECT_EQ(Roll(code, QStringLiteral("00000001"), "dqhm"), QStringLiteral("00000001"));
    EXPECT_EQ(Roll(code, QStringLiteral("00000001"), "syfs"), QStringLiteral("10"));
}

TEST_F(ContextTest, GetCurInvoiceFailsQuietlyOnABrokenTable)
{
    CorpInfo.kpdName = QStringLiteral("总部");
    Exec(QStringLiteral("drop table fpkcxx"));
    TCurFPInfo cur;
    EXPECT_FALSE(GetCurInvoice(cur));
}

TEST_F(ContextTest, OnePreparedAdvanceMovesEachNumberOnceAndOpensTheNextRoll)
{
    CorpInfo.kpdName = QStringLiteral("总部");
    const QString code = QStringLiteral("144001900111");
    AddRoll(code, QStringLiteral("00000001"), QStringLiteral("00000010"), "101", 2);  // dqhm 00000009
    AddRoll(code, QStringLiteral("00000011"), QStringLiteral("00000020"), "000", 10, QStringLiteral("2026-03-02 13:28:19"));
    AddRoll(code, QStringLiteral("00000021"), QStringLiteral("00000030"), "000", 10, QStringLiteral("2026-03-03 13:28:19"));
    AddRoll(code, QStringLiteral("00000001"), QStringLiteral("00000010"), "101", 10, QStringLiteral("2026-03-01 13:28:19"),
            QStringLiteral("分部"));
    TInvoiceAdvance advance;
    EXPECT_EQ(advance.Advance(QStringLiteral("00000009"), code), 1);
    EXPECT_EQ(advance.Advance(QStringLiteral("00000010"), code), 1);
    EXPECT_EQ(Roll(code, QStringLiteral("00000001"), "syfs"), QStringLiteral("0"));
    EXPECT_EQ(Roll(code, QStringLiteral("00000011"), "kczt"), QStringLiteral("000"));
    // The first roll is used up: the next advance opens the oldest received roll before it moves.
    EXPECT_EQ(advance.Advance(QStringLiteral("00000011"), code), 1);
    EXPECT_EQ(Roll(code, QStringLiteral("00000011"), "kczt"), QStringLiteral("101"));
    EXPECT_EQ(Roll(code, QStringLiteral("00000011"), "dqhm"), QStringLiteral("00000012"));
    EXPECT_EQ(Roll(code, QStringLiteral("00000011"), "syfs"), QStringLiteral("9"));
    EXPECT_EQ(Roll(code, QStringLiteral("00000021"), "kczt"), QStringLiteral("000"));
    // A number no roll of the point holds with copies moves nothing, the other point's roll included.
    EXPECT_EQ(advance.Advance(QStringLiteral("00000005"), code), 0);
    EXPECT_EQ(Value(QStringLiteral("select syfs from fpkcxx where kpdName='分部'")).toInt(), 10);
    EXPECT_EQ(Value(QStringLiteral("select sum(syfs) from fpkcxx where kpdName='总部'")).toInt(), 19);
}
