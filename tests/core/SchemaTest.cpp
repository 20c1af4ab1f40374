#include "ProgramFolder.h"
#include "core/TADODB.h"

#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <gtest/gtest.h>

namespace {
// The column order is a file format (exchange files copy by position): any change here must
// be deliberate and reach every invoicing point.
const std::vector<std::pair<const char*, QStringList>> kTables = {
    {"baseinfo",
     {"id", "corpName", "corpAdd", "CorpTel", "corpTaxID", "corpBank", "corpAcount", "ManageTaxID", "OperMan", "kpdName",
      "flag"}},
    {"passwd", {"passwd"}},
    {"CLLX", {"CJID", "cllx"}},
    {"SCCJ", {"id", "cpxh", "sccj", "cd"}},
    {"fpkcxx", {"lyrq", "fpdm", "fphmq", "fphmz", "kczt", "dqhm", "lyr", "lyfs", "syfs", "kpdName"}},
    {"SaleDetail",
     {"kprq",    "fpdm",  "fphm",   "ghdw",   "ghdwID",   "cllx",    "cpxh",    "cd",        "hgzhm",    "jkzmhm",
      "sjdhm",   "fdjhm", "cjhm",   "sl",     "dj",       "htdh",    "jwfy1",   "jwfy2",     "jwfy3",    "jwje1",
      "jwje2",   "jwje3", "jwhjdx", "jwjehj", "saleName", "saleAdd", "saleTel", "saleTaxID", "saleBank", "saleAcount",
      "saleMan", "skr",   "flag",   "fpzt",   "ysfpdm",   "ysfphm",  "sccj",    "kpdName"}},
    {"qmkc", {"ssrq", "fs", "qzhm", "kpdName"}},
    {"PrintTemplate", {"TmpNO", "TmpDesc", "TmpDetail", "TmpIsDefault", "PageWidth", "PageHeight", "PrintWay"}},
    {"PrintTemplateItem",
     {"ItemNo", "TmpNO", "ItemName", "ItemDisName", "ItemMaxLength", "ItemFontName", "ItemFontSize", "ItemNewLine", "ItemPosX",
      "ItemPosY"}},
};
}  // namespace

TEST(Schema, HoldsTheNineTablesWithTheirColumnsInOrderAndTheInitialPassword)
{
    TTestProgramFolder folder;
    TADODB db(folder.DatabaseFile(), {}, {}, {});
    ASSERT_TRUE(db.Connect());
    for (const auto& [table, columns] : kTables) {
        QSqlQuery q = db.Run(QStringLiteral("select * from %1 limit 0").arg(QLatin1String(table)));
        const QSqlRecord rec = q.record();
        QStringList actual;
        for (int i = 0; i < rec.count(); ++i)
            actual << rec.fieldName(i);
        EXPECT_EQ(actual, columns) << table;
    }
    EXPECT_EQ(
        db.Scalar(QStringLiteral("select count(*) from sqlite_master where type='table' and name not like 'sqlite_%'")).toInt(),
        9);
    EXPECT_EQ(db.Scalar(QStringLiteral("select group_concat(passwd) from passwd")).toString(), QStringLiteral("740291"));
}

TEST(Schema, TheHeaderCommentDocumentsTheSameColumnOrder)
{
    QFile f(QStringLiteral(TALLYRA_SCHEMA_FILE));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QString header;
    for (const QString& line : QString::fromUtf8(f.readAll()).split(u'\n')) {
        if (!line.startsWith(QStringLiteral("--")))
            break;
        header += line.mid(2) + u' ';
    }
    header = header.simplified();
    for (const auto& [table, columns] : kTables)
        EXPECT_TRUE(header.contains(QLatin1String(table) + u' ' + columns.join(QStringLiteral(", ")))) << table;
}

TEST(Schema, StatementsRelyOnTextOrderAndDigitArithmetic)
{
    TTestProgramFolder folder;
    TADODB db(folder.DatabaseFile(), {}, {}, {});
    ASSERT_TRUE(db.Connect());
    db.Run(
        QStringLiteral("insert into SaleDetail(kprq,fphm,fpzt) values('2026-03-05 14:07:09','00000010','0'),"
                       "('2026-02-28 09:00:00','00000009','1')"));
    EXPECT_EQ(db.Scalar(QStringLiteral("select fphm from SaleDetail order by fphm limit 1")).toString(),
              QStringLiteral("00000009"));
    EXPECT_EQ(db.Scalar(QStringLiteral("select sum(fpzt-1) from SaleDetail")).toInt(), -1);
    EXPECT_EQ(db.Scalar(QStringLiteral("select count(*) from SaleDetail where substr(kprq,1,7)='2026-03'")).toInt(), 1);
}
