#include "ProgramFolder.h"
#include "ScriptedDialogs.h"
#include "core/Entry.h"
#include "core/Errors.h"
#include "core/Globals.h"
#include "core/TADODB.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>

TEST(InitGlobals, ReadsOffsetsWithDefaultsAndLoadsTheReferenceData)
{
    TTestProgramFolder folder;
    {
        TTestContext context(folder);
        EXPECT_TRUE(context.InitResult());
        EXPECT_EQ(PrtOffX, 0);
        EXPECT_EQ(PrtOffY, 0);
        EXPECT_EQ(AppPath, folder.Path());
        EXPECT_EQ(UserPassword, QStringLiteral("740291"));
        EXPECT_TRUE(CorpInfo.corpName.isEmpty());
    }
    folder.WriteFile(QStringLiteral("Corvane.ini"), "[Print]\nprtOffX=-3\nprtOffY=abc\n");
    folder.Sql(
        QStringLiteral("insert into CLLX(cllx) values('轿车');"
                       "insert into baseinfo(corpName,corpTaxID,kpdName,flag) values('某公司','123','总部','是');"));
    {
        TTestContext context(folder);
        EXPECT_EQ(PrtOffX, -3);
        EXPECT_EQ(PrtOffY, 0);
        EXPECT_EQ(CarTypeList, QStringList{QStringLiteral("轿车")});
        EXPECT_EQ(CorpInfo.kpdName, QStringLiteral("总部"));
    }
    EXPECT_FALSE(DataBase);
    EXPECT_FALSE(SysLog);
    EXPECT_EQ(folder.LogMessages(), (QStringList{"Log file Create", "file closed!", "Log file Opened", "file closed!"}));
}

TEST(InitGlobals, ReportsAMissingDatabaseByNameAndCreatesNothing)
{
    TTestProgramFolder folder(false);
    try {
        InitGlobals();
        FAIL() << "expected a start-up error";
    } catch (const EStartupError& e) {
        EXPECT_TRUE(e.Text().contains(QStringLiteral("db/Corvane.db"))) << e.what();
    }
    FreeGlobals();
    EXPECT_FALSE(QFileInfo::exists(folder.DatabaseFile()));
    EXPECT_EQ(folder.LogMessages(), (QStringList{"Log file Create", "file closed!"}));
}

TEST(InitGlobals, ReportsAMissingLogFolderByName)
{
    TTestProgramFolder folder(true, false);
    try {
        InitGlobals();
        FAIL() << "expected a start-up error";
    } catch (const EStartupError& e) {
        EXPECT_TRUE(e.Text().contains(folder.Path() + QStringLiteral("log/"))) << e.what();
    }
    FreeGlobals();
    EXPECT_FALSE(QFileInfo::exists(folder.File(QStringLiteral("log"))));
}

TEST(ApplyUpdateSQL, RunsEachLineSkipsFailuresAndDeletesTheFile)
{
    TTestProgramFolder folder;
    folder.Sql(QStringLiteral("insert into baseinfo(corpName) values('旧名');"));
    folder.WriteFile(QStringLiteral("update.sql"),
                     QStringLiteral("\r\n  update nosuchtable set a=1\r\n\t update baseinfo set corpName='新名称' \r\n"
                                    "insert into CLLX(cllx) values('x'); insert into CLLX(cllx) values('y')\r\n")
                         .toUtf8());
    TScriptedDialogs dialogs;
    TTestContext context(folder);
    EXPECT_EQ(CorpInfo.corpName, QStringLiteral("新名称"));
    EXPECT_FALSE(QFileInfo::exists(folder.File(QStringLiteral("update.sql"))));
    EXPECT_TRUE(dialogs.Shown().empty());
    EXPECT_FALSE(ApplyUpdateSQL());  // nothing left to run
}

TEST(ApplyUpdateSQL, KeepsTheFileWhileThereIsNoConnection)
{
    TTestProgramFolder folder;
    TTestContext context(folder);
    folder.WriteFile(QStringLiteral("update.sql"), "update baseinfo set corpName='x'\n");
    DataBase->Close();
    EXPECT_FALSE(ApplyUpdateSQL());
    EXPECT_TRUE(QFileInfo::exists(folder.File(QStringLiteral("update.sql"))));
    ASSERT_TRUE(DataBase->Connect());
    EXPECT_TRUE(ApplyUpdateSQL());
    EXPECT_FALSE(QFileInfo::exists(folder.File(QStringLiteral("update.sql"))));
}

TEST(ApplyUpdateSQL, AFileThatCannotBeTakenAwayIsLoggedAndWaitsForTheNextStart)
{
    TTestProgramFolder folder;
    QStringList renamed;
    struct TRestore {
        TUpdateFileOps previous;
        ~TRestore() { SetUpdateFileOps(previous); }
    } restore{SetUpdateFileOps({[](const QString&) { return false; },
                                [&renamed](const QString&, const QString& to) {
                                    renamed << to;
                                    return false;
                                }})};
    const QByteArray counting = "update baseinfo set corpName=corpName||'+'\n";
    folder.Sql(QStringLiteral("insert into baseinfo(corpName) values('店');"));
    folder.WriteFile(QStringLiteral("update.sql"), counting);
    {
        TTestContext context(folder);
        EXPECT_EQ(CorpInfo.corpName, QStringLiteral("店+"));
        EXPECT_EQ(renamed, QStringList{folder.File(QStringLiteral("update.sql.done"))});
        EXPECT_TRUE(folder.LogMessages().contains(
            QStringLiteral("update.sql 已执行，但既不能删除也不能改名为 update.sql.done，下次启动时将再次执行")));
        // The main window's showing does not run it a second time.
        EXPECT_FALSE(ApplyUpdateSQL());
        EXPECT_EQ(DataBase->Scalar(QStringLiteral("select corpName from baseinfo")).toString(), QStringLiteral("店+"));
        // A new file dropped in meanwhile is another matter.
        folder.WriteFile(QStringLiteral("update.sql"), "update baseinfo set corpName='新'\n");
        EXPECT_TRUE(ApplyUpdateSQL());
        EXPECT_EQ(DataBase->Scalar(QStringLiteral("select corpName from baseinfo")).toString(), QStringLiteral("新"));
    }
    const int lines = folder.LogMessages().filter(QStringLiteral("update.sql")).size();
    // Renamed where it cannot be deleted: nothing to say, nothing run again.
    SetUpdateFileOps({[](const QString&) { return false; }, {}});
    folder.WriteFile(QStringLiteral("update.sql"), counting);
    TTestContext context(folder);
    EXPECT_EQ(CorpInfo.corpName, QStringLiteral("新+"));
    EXPECT_FALSE(QFileInfo::exists(folder.File(QStringLiteral("update.sql"))));
    EXPECT_EQ(folder.ReadFile(QStringLiteral("update.sql.done")), counting);
    EXPECT_EQ(folder.LogMessages().filter(QStringLiteral("update.sql")).size(), lines);
}

namespace {
// A template store that records what start-up asks of it.
struct FakeStore {
    bool loadOk = true;
    bool saveOk = true;
    QStringList calls;
    void Install()
    {
        TPrintTemplateStore s;
        s.Create = [] {
            return std::shared_ptr<TPrintTemplate>(reinterpret_cast<TPrintTemplate*>(new int(0)),
                                                   [](TPrintTemplate* p) { delete reinterpret_cast<int*>(p); });
        };
        s.LoadFromXML = [this](TPrintTemplate&, const QString& f, QString*) {
            calls << "xml:" + QFileInfo(f).fileName();
            return loadOk;
        };
        s.SaveToDB = [this](TPrintTemplate&, TADODB&) {
            calls << "save";
            return saveOk;
        };
        s.LoadFromDB = [this](TPrintTemplate&, TADODB&) {
            calls << "load";
            return true;
        };
        SetPrintTemplateStore(s);
    }
    ~FakeStore() { SetPrintTemplateStore({}); }
};
}  // namespace

TEST(ImportTemplateXML, DeletesTheFileOnlyOnceItIsStored)
{
    TTestProgramFolder folder;
    FakeStore store;
    store.Install();
    folder.WriteFile(QStringLiteral("PrintTemplate.xml"), "<x/>");
    store.saveOk = false;
    {
        TTestContext context(folder);
        EXPECT_EQ(store.calls, (QStringList{"xml:PrintTemplate.xml", "save", "load"}));
        EXPECT_TRUE(PrintTpl);
    }
    EXPECT_TRUE(QFileInfo::exists(folder.File(QStringLiteral("PrintTemplate.xml"))));
    EXPECT_FALSE(PrintTpl);
    store.saveOk = true;
    store.calls.clear();
    {
        TTestContext context(folder);
        EXPECT_EQ(store.calls, (QStringList{"xml:PrintTemplate.xml", "save", "load"}));
    }
    EXPECT_FALSE(QFileInfo::exists(folder.File(QStringLiteral("PrintTemplate.xml"))));
}

TEST(ProgramEntry, ASecondCopyEndsWithItsMessageAndTouchesNothing)
{
    TTestProgramFolder folder;
    QTemporaryDir lockDir;
    TSingleInstance first(lockDir.path());
    ASSERT_TRUE(first.Acquired());
    TScriptedDialogs dialogs;
    bool loginShown = false;
    const int code = ProgramEntry({nullptr, [&] { return loginShown = true; }, nullptr}, lockDir.path());
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(loginShown);
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(dialogs.Shown()[0].text, QStringLiteral("Tallyra已运行！！"));
    EXPECT_EQ(dialogs.Shown()[0].caption, QStringLiteral("提示"));
    EXPECT_TRUE(folder.LogMessages().isEmpty());
}

TEST(ProgramEntry, ShowsTheAgreementOnlyWhileTheTaxpayerNumberIsEmpty)
{
    TTestProgramFolder folder;
    QTemporaryDir lockDir;
    QStringList shown;
    TEntryWindows w{[&] {
                        shown << "agreement";
                        return false;
                    },
                    [&] {
                        shown << "login";
                        return true;
                    },
                    [&] {
                        shown << "main";
                        FreeGlobals();
                        return 0;
                    }};
    EXPECT_EQ(ProgramEntry(w, lockDir.path()), 0);
    EXPECT_EQ(shown, QStringList{"agreement"});
    EXPECT_EQ(folder.LogMessages().last(), QStringLiteral("file closed!"));

    folder.Sql(QStringLiteral("insert into baseinfo(corpTaxID) values('4401')"));
    shown.clear();
    EXPECT_EQ(ProgramEntry(w, lockDir.path()), 0);
    EXPECT_EQ(shown, (QStringList{"login", "main"}));
}

TEST(ProgramEntry, AStartUpFailureIsShownAsAnErrorAndEndsTheProgram)
{
    TTestProgramFolder folder(false);
    QTemporaryDir lockDir;
    TScriptedDialogs dialogs;
    bool loginShown = false;
    EXPECT_EQ(ProgramEntry({nullptr, [&] { return loginShown = true; }, nullptr}, lockDir.path()), 1);
    EXPECT_FALSE(loginShown);
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(dialogs.Shown()[0].kind, TMsgKind::Error);
    EXPECT_TRUE(dialogs.Shown()[0].text.contains(QStringLiteral("Corvane.db")));
}

TEST(SingleInstance, ALockOfADeadProcessIsTakenOver)
{
    QTemporaryDir lockDir;
    // A lock file naming a process that does not exist, as a killed copy leaves it.
    QFile stale(lockDir.filePath(QStringLiteral("Corvane.lock")));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("999999999\ntallyra\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    stale.close();
    TSingleInstance guard(lockDir.path());
    EXPECT_TRUE(guard.Acquired());
}

namespace {
QStringList IndexLines(const QStringList& messages, const QString& start)
{
    QStringList lines;
    for (const QString& m : messages)
        if (m.startsWith(start))
            lines << m;
    return lines;
}
}  // namespace

TEST(InitGlobals, GivesAnOlderDatabaseTheSchemasIndexesOnceAndLogsThem)
{
    TTestProgramFolder folder;
    const std::map<QString, QString> schema = folder.Indexes();
    ASSERT_FALSE(schema.empty());
    folder.DropIndexes();
    // A table holding one index's name: that index alone cannot be created.
    folder.Sql(
        QStringLiteral("insert into baseinfo(corpName,kpdName) values('某公司','总部');"
                       "create table SaleDetail_month_point_number(x);"));
    ASSERT_TRUE(folder.Indexes().empty());
    {
        TTestContext context(folder);
        EXPECT_EQ(CorpInfo.kpdName, QStringLiteral("总部"));
    }
    std::map<QString, QString> expected = schema;
    expected.erase(QStringLiteral("SaleDetail_month_point_number"));
    EXPECT_EQ(folder.Indexes(), expected);
    const QStringList failed = IndexLines(folder.LogMessages(), QStringLiteral("无法创建索引"));
    ASSERT_EQ(failed.size(), 1);
    EXPECT_TRUE(failed[0].startsWith(QStringLiteral(
        "无法创建索引SaleDetail_month_point_number：there is already a table named SaleDetail_month_point_number")))
        << failed[0].toStdString();

    // The name free again, the next start creates the one missing: each index logged once.
    folder.Sql(QStringLiteral("drop table SaleDetail_month_point_number;"));
    {
        TTestContext context(folder);
    }
    EXPECT_EQ(folder.Indexes(), schema);
    QStringList created;
    for (const auto& [name, sql] : schema)
        created << QStringLiteral("创建索引") + name;
    QStringList logged = IndexLines(folder.LogMessages(), QStringLiteral("创建索引"));
    logged.sort();
    EXPECT_EQ(logged, created);

    // The next start finds them all and writes nothing about them.
    {
        TTestContext context(folder);
    }
    EXPECT_EQ(IndexLines(folder.LogMessages(), QStringLiteral("创建索引")).size(), schema.size());
}

TEST(InitGlobals, GoesOnWithADatabaseThatCannotTakeTheIndexes)
{
    TTestProgramFolder folder;
    const size_t indexes = folder.Indexes().size();
    folder.DropIndexes();
    folder.Sql(
        QStringLiteral("insert into baseinfo(corpName,corpTaxID,kpdName) values('某公司','123','总部');"
                       "insert into CLLX(cllx) values('轿车');"));
    // A file format's write version above 2 makes SQLite open the file read-only, even for root.
    {
        QFile file(folder.DatabaseFile());
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.seek(18));
        ASSERT_EQ(file.write("\x03", 1), 1);
    }
    {
        TScriptedDialogs dialogs;
        TTestContext context(folder);
        EXPECT_TRUE(context.InitResult());
        EXPECT_EQ(CorpInfo.kpdName, QStringLiteral("总部"));
        EXPECT_EQ(CarTypeList, QStringList{QStringLiteral("轿车")});
        EXPECT_EQ(DataBase->Scalar(QStringLiteral("select count(*) from SaleDetail where substr(kprq,1,7)='2026-02'")).toInt(),
                  0);
        EXPECT_TRUE(dialogs.Shown().empty());
    }
    const QStringList failed = IndexLines(folder.LogMessages(), QStringLiteral("无法创建索引"));
    ASSERT_EQ(size_t(failed.size()), indexes);
    for (const QString& line : failed)
        EXPECT_TRUE(line.contains(QStringLiteral("：attempt to write a readonly database"))) << line.toStdString();
    EXPECT_TRUE(std::any_of(failed.begin(), failed.end(), [](const QString& l) {
        return l.startsWith(QStringLiteral("无法创建索引SaleDetail_month_point_number："));
    }));
}
