// Files start-up reads from outside the program: update.sql and Corvane.ini as they come from
// an upgrade or a hand edit, fed from tests/fixtures/hostile.
#include "ProgramFolder.h"
#include "core/Common.h"
#include "core/Globals.h"
#include "core/MyType.h"
#include "core/Settings.h"
#include "core/TADODB.h"

#include <QBuffer>
#include <QFileInfo>
#include <gtest/gtest.h>

TEST(HostileUpdateSql, ABeginLeftOpenIsRolledBackLoggedAndTheSessionWritesForReal)
{
    TTestProgramFolder folder;
    folder.Sql(QStringLiteral("insert into baseinfo(corpName,corpAdd) values('店','旧址')"));
    folder.WriteFile(QStringLiteral("update.sql"), HostileBytes(QStringLiteral("update_sql_begin_left_open.sql")));
    TTestContext context(folder);

    EXPECT_FALSE(DataBase->InTransaction());
    EXPECT_TRUE(folder.LogMessages().contains(QStringLiteral("update.sql 留下未结束的事务，已回滚")));
    EXPECT_EQ(CorpInfo.corpAdd, QStringLiteral("旧址")) << "what ran inside the open transaction is undone";
    EXPECT_FALSE(QFileInfo::exists(folder.File(QStringLiteral("update.sql"))));

    // The session's own transactions start, and what they commit is on disk for anyone.
    EXPECT_EQ(DataBase->BeginTrans(), 1);
    EXPECT_EQ(DataBase->ExecSQL(QStringLiteral("insert into CLLX(cllx) values('轿车')")), 1);
    DataBase->CommitTrans();
    EXPECT_EQ(FileInt(folder.DatabaseFile(), QStringLiteral("select count(*) from CLLX")), 1);
}

TEST(HostileUpdateSql, ALineInTheOldCodePageIsReadAsGbkAndOneOfNeitherIsNotRun)
{
    TTestProgramFolder folder;
    folder.Sql(QStringLiteral("insert into baseinfo(corpName,corpAdd,CorpTel) values('店','旧址','1')"));
    QByteArray file = HostileBytes(QStringLiteral("update_sql_gbk_text.sql"));
    file += "update baseinfo set CorpTel='\xff\xfe'\r\n";  // no code page has these bytes
    file += QStringLiteral("update baseinfo set corpName='新店'\n").toUtf8();
    folder.WriteFile(QStringLiteral("update.sql"), file);
    TTestContext context(folder);

    EXPECT_EQ(CorpInfo.corpAdd, QStringLiteral("广州市新地址"));
    EXPECT_EQ(CorpInfo.corpTel, QStringLiteral("1"));
    EXPECT_EQ(CorpInfo.corpName, QStringLiteral("新店"));
    EXPECT_TRUE(folder.LogMessages().contains(QStringLiteral("update.sql 第2行既不是 UTF-8 也不是 GBK 文本，未执行")));
    EXPECT_FALSE(QFileInfo::exists(folder.File(QStringLiteral("update.sql"))));
}

// Every key of the file before a save of the offsets reads the same after it, the offsets
// read back as saved, and the file grows by its new lines only.
TEST(HostileSettings, ALastLineEndedByALoneCrKeepsEveryKeyThroughASaveOfTheOffsets)
{
    const struct {
        const char* file;
        QList<QPair<QString, QString>> keys;  // section, key
    } cases[] = {
        {"ini_lastline_lone_cr_key_lost.ini", {}},
        {"ini_lastline_lone_cr_value_changes.ini", {{QStringLiteral("disk"), QStringLiteral("path")}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        TTestProgramFolder folder;
        const QByteArray before = HostileBytes(QString::fromLatin1(c.file));
        folder.WriteFile(QStringLiteral("Corvane.ini"), before);
        TTestContext context(folder);
        QStringList values;
        for (const auto& [section, key] : c.keys)
            values << ReadIniString(section, key, QStringLiteral("<none>"));

        ASSERT_TRUE(WriteIniValues(QStringLiteral("Print"), {{QStringLiteral("prtOffX"), 12}, {QStringLiteral("prtOffY"), -7}}));
        EXPECT_EQ(ReadIniInteger(QStringLiteral("Print"), QStringLiteral("prtOffX"), 0), 12);
        EXPECT_EQ(ReadIniInteger(QStringLiteral("Print"), QStringLiteral("prtOffY"), 0), -7);
        for (int i = 0; i < c.keys.size(); ++i)
            EXPECT_EQ(ReadIniString(c.keys[i].first, c.keys[i].second, QStringLiteral("<none>")), values[i])
                << c.keys[i].second.toStdString();
        const QByteArray after = folder.ReadFile(QStringLiteral("Corvane.ini"));
        EXPECT_TRUE(after.startsWith(before)) << after.toStdString();
    }
    // What the lone CR ended is the value, without the CR, before and after.
    QBuffer buffer;
    buffer.setData(HostileBytes(QStringLiteral("ini_lastline_lone_cr_value_changes.ini")));
    TIniText ini;
    ASSERT_TRUE(ini.Read(buffer));
    EXPECT_EQ(ini.Value(QStringLiteral("disk"), QStringLiteral("path")), QStringLiteral("/home/x/\uFFFD"));
    EXPECT_EQ(ini.Bytes(), buffer.data()) << "read and written unchanged, lone CR included";
}
