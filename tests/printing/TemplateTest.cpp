// The template model and its two database tables.
#include "ProgramFolder.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "printing/TPrintTemplate.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace {
TPrintTemplate TwoItemTemplate()
{
    TPrintTemplate t;
    t.TmpDesc = QStringLiteral("机动车销售统一发票");
    t.TmpIsDefault = QStringLiteral("1");
    t.PageWidth = 241;
    t.PageHeight = 178;
    t.TmpDetail = QStringLiteral("ghdw,ManageTaxID");
    t.PrintWay = QStringLiteral("1");
    TPrintDateItem& a = t.Add();
    a.ItemName = QStringLiteral("ghdw");
    a.ItemDisName = QStringLiteral("购货单位");
    a.ItemMaxLength = 100;
    a.ItemFontName = QStringLiteral("宋体");
    a.ItemFontSize = 10;
    a.ItemNewLine = 1;
    a.ItemPosX = 40;
    a.ItemPosY = 36;
    a.Value = QStringLiteral("不存");
    TPrintDateItem& b = t.Add();
    b.ItemName = QStringLiteral("ManageTaxID");
    b.ItemDisName = QStringLiteral("主管税务机关代码");
    b.ItemMaxLength = 40;
    b.ItemFontName = QStringLiteral("楷体_GB2312");
    b.ItemFontSize = 12;
    b.ItemPosX = -5;
    b.ItemPosY = 24;
    return t;
}

void ExpectSameTemplate(const TPrintTemplate& got, const TPrintTemplate& want)
{
    EXPECT_EQ(got.TmpDesc, want.TmpDesc);
    EXPECT_EQ(got.TmpIsDefault, want.TmpIsDefault);
    EXPECT_EQ(got.PageWidth, want.PageWidth);
    EXPECT_EQ(got.PageHeight, want.PageHeight);
    EXPECT_EQ(got.TmpDetail, want.TmpDetail);
    EXPECT_EQ(got.PrintWay, want.PrintWay);
    ASSERT_EQ(got.Count(), want.Count());
    for (int i = 0; i < got.Count(); ++i) {
        const TPrintDateItem& g = got.GetItem(i);
        const TPrintDateItem& w = want.GetItem(i);
        EXPECT_EQ(g.ItemName, w.ItemName) << i;
        EXPECT_EQ(g.ItemDisName, w.ItemDisName) << i;
        EXPECT_EQ(g.ItemMaxLength, w.ItemMaxLength) << i;
        EXPECT_EQ(g.ItemFontName, w.ItemFontName) << i;
        EXPECT_EQ(g.ItemFontSize, w.ItemFontSize) << i;
        EXPECT_EQ(g.ItemNewLine, w.ItemNewLine) << i;
        EXPECT_EQ(g.ItemPosX, w.ItemPosX) << i;
        EXPECT_EQ(g.ItemPosY, w.ItemPosY) << i;
    }
}

QString Rows(const char* sql) { return DataBase->Scalar(QString::fromUtf8(sql)).toString(); }
}  // namespace

TEST(TPrintTemplate, ValueStringLookupAndRange)
{
    TPrintTemplate t;
    EXPECT_EQ(t.GetValueString(), QString());
    for (const char* name : {"A", "InvoiceNO", "A", "D"})
        t.Add().ItemName = QLatin1String(name);
    EXPECT_EQ(t.GetValueString(), QStringLiteral("^^^^"));
    t.GetItem(0).Value = QStringLiteral("A");
    t.GetItem(2).Value = QStringLiteral("B");
    EXPECT_EQ(t.GetValueString(), QStringLiteral("A^^B^"));
    t.GetItem(0).Value = QString(QLatin1String(""));  // an empty text at the start adds nothing
    EXPECT_EQ(t.GetValueString(), QStringLiteral("^^B^"));
    t.ClearValues();
    t.GetItem(1).Value = QStringLiteral("A");
    EXPECT_EQ(t.GetValueString(), QStringLiteral("^^A^^"));

    EXPECT_EQ(t.IndexOfName(QStringLiteral("A")), 0);
    EXPECT_EQ(t.IndexOfName(QStringLiteral("InvoiceNO")), 1);
    EXPECT_EQ(t.IndexOfName(QStringLiteral("invoiceno")), -1);
    EXPECT_EQ(t.IndexOfName(QStringLiteral("D ")), -1);
    EXPECT_THROW(t.GetItem(4), std::out_of_range);
    EXPECT_THROW(t.GetItem(-1), std::out_of_range);
    TPrintDateItem& kept = t.GetItem(3);
    t.Add();  // references stay valid while items are added
    EXPECT_EQ(kept.ItemName, QStringLiteral("D"));
}

TEST(TPrintTemplateDB, SaveReplacesEverythingAndLoadReadsItBackInOrder)
{
    TTestProgramFolder folder;
    folder.Sql(
        QStringLiteral("insert into PrintTemplate values(7,'旧','x','1',1,1,'0');"
                       "insert into PrintTemplateItem values(1,7,'old','旧项',1,'f',1,0,1,1);"));
    TTestContext context(folder);
    TPrintTemplate saved = TwoItemTemplate();
    ASSERT_TRUE(saved.SaveToDB(*DataBase));
    EXPECT_EQ(Rows("select group_concat(TmpNO) from PrintTemplate"), QStringLiteral("1"));
    EXPECT_EQ(Rows("select group_concat(ItemNo || ':' || TmpNO || ':' || ItemName, ' ') from "
                   "(select * from PrintTemplateItem order by rowid)"),
              QStringLiteral("1:1:ghdw 2:1:ManageTaxID"));

    TPrintTemplate loaded;
    loaded.Add();  // replaced, not appended to
    ASSERT_TRUE(loaded.LoadFromDB(*DataBase));
    ExpectSameTemplate(loaded, saved);
    EXPECT_TRUE(loaded.GetItem(0).Value.isNull()) << "values are never stored";

    // Rows stored out of order come back by ItemNo.
    folder.Sql(
        QStringLiteral("delete from PrintTemplateItem;"
                       "insert into PrintTemplateItem values(2,1,'second','',1,'f',1,0,1,1);"
                       "insert into PrintTemplateItem values(1,1,'first',NULL,1,'f',1,0,1,1);"));
    ASSERT_TRUE(loaded.LoadFromDB(*DataBase));
    ASSERT_EQ(loaded.Count(), 2);
    EXPECT_EQ(loaded.GetItem(0).ItemName, QStringLiteral("first"));
    EXPECT_EQ(loaded.GetItem(0).ItemDisName, QString()) << "a null display name reads as empty";
    EXPECT_EQ(loaded.GetItem(1).ItemName, QStringLiteral("second"));
}

TEST(TPrintTemplateDB, TextsNeverSetAreStoredEmptySoTheTemplateStillLoads)
{
    TTestProgramFolder folder;
    TTestContext context(folder);
    // What a file without "PrintWay" or "TemplateDesc" and with a bare item gives.
    TPrintTemplate t;
    t.TmpIsDefault = QStringLiteral("1");
    t.Add();
    ASSERT_TRUE(t.SaveToDB(*DataBase));
    EXPECT_EQ(Rows("select count(*) from PrintTemplate where PrintWay is null or TmpDesc is null or TmpDetail is null"),
              QStringLiteral("0"));
    TPrintTemplate loaded;
    ASSERT_TRUE(loaded.LoadFromDB(*DataBase));
    EXPECT_EQ(loaded.Count(), 1);
    EXPECT_EQ(loaded.PrintWay, QString());
}

TEST(TPrintTemplateDB, LoadWithoutDefaultOrWithABadRowLeavesNoItemsAndTheHeader)
{
    TTestProgramFolder folder;
    folder.Sql(
        QStringLiteral("insert into PrintTemplate values(1,'d','a,b,c','0',241,178,'0');"
                       "insert into PrintTemplateItem values(1,1,'a','A',10,'宋体',10,0,1,1);"
                       "insert into PrintTemplateItem values(2,1,'b','B',10,'宋体',10,0,1,1);"
                       "insert into PrintTemplateItem values(3,1,'c','C',10,NULL,10,0,1,1);"));
    TTestContext context(folder);
    TPrintTemplate t;
    t.TmpDesc = QStringLiteral("before");
    t.PageWidth = 5;
    t.Add().ItemName = QStringLiteral("stale");
    EXPECT_FALSE(t.LoadFromDB(*DataBase)) << "no template marked default";
    EXPECT_EQ(t.Count(), 0);

    // Marked default, but the third item has no font: nothing of it is used.
    folder.Sql(QStringLiteral("update PrintTemplate set TmpIsDefault='1'"));
    EXPECT_FALSE(t.LoadFromDB(*DataBase));
    EXPECT_EQ(t.Count(), 0);
    EXPECT_EQ(t.TmpDesc, QStringLiteral("before"));
    EXPECT_EQ(t.PageWidth, 5);

    // A number column holding text fails the same way.
    folder.Sql(QStringLiteral(
        "update PrintTemplateItem set ItemFontName='宋体'; update PrintTemplateItem set ItemPosX='1x' where ItemNo=2"));
    EXPECT_FALSE(t.LoadFromDB(*DataBase));
    EXPECT_EQ(t.Count(), 0);
    folder.Sql(QStringLiteral("update PrintTemplateItem set ItemPosX=1"));
    EXPECT_TRUE(t.LoadFromDB(*DataBase));
    EXPECT_EQ(t.Count(), 3);
    EXPECT_EQ(t.PageWidth, 241);
}

TEST(TPrintTemplateDB, AFailedDeleteOrInsertRollsBackAndKeepsTheOldRows)
{
    TTestProgramFolder folder;
    folder.Sql(
        QStringLiteral("insert into PrintTemplate values(1,'旧模板','old','1',200,100,'0');"
                       "insert into PrintTemplateItem values(1,1,'old','旧项',10,'宋体',10,0,1,1);"
                       "create trigger keep_items before delete on PrintTemplateItem begin select raise(abort,'locked'); end;"));
    TTestContext context(folder);
    TPrintTemplate t = TwoItemTemplate();
    EXPECT_FALSE(t.SaveToDB(*DataBase));
    EXPECT_FALSE(DataBase->InTransaction());
    EXPECT_EQ(Rows("select group_concat(TmpDesc) from PrintTemplate"), QStringLiteral("旧模板"));
    EXPECT_EQ(Rows("select group_concat(ItemName) from PrintTemplateItem"), QStringLiteral("old"));

    // The second item's insert fails: the deletes and the first rows go back as well.
    folder.Sql(
        QStringLiteral("drop trigger keep_items;"
                       "create trigger no_tax before insert on PrintTemplateItem when new.ItemName='ManageTaxID' "
                       "begin select raise(abort,'refused'); end;"));
    EXPECT_FALSE(t.SaveToDB(*DataBase));
    EXPECT_EQ(Rows("select group_concat(TmpDesc) from PrintTemplate"), QStringLiteral("旧模板"));
    EXPECT_EQ(Rows("select group_concat(ItemName) from PrintTemplateItem"), QStringLiteral("old"));

    TPrintTemplate loaded;
    ASSERT_TRUE(loaded.LoadFromDB(*DataBase));
    EXPECT_EQ(loaded.Count(), 1);
}

TEST(TPrintTemplateDB, SaveInsideSomeoneElsesTransactionFailsWithoutEndingIt)
{
    TTestProgramFolder folder;
    TTestContext context(folder);
    DataBase->BeginTrans();
    DataBase->ExecSQL(QStringLiteral("insert into CLLX(cllx) values('轿车')"));
    TPrintTemplate t = TwoItemTemplate();
    EXPECT_FALSE(t.SaveToDB(*DataBase));
    EXPECT_TRUE(DataBase->InTransaction());
    DataBase->CommitTrans();
    EXPECT_EQ(Rows("select count(*) from CLLX"), QStringLiteral("1"));
    EXPECT_EQ(Rows("select count(*) from PrintTemplate"), QStringLiteral("0"));
}
