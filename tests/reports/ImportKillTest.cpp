// A child process stores a large sales list and is killed at random moments: the invoices are
// stored all or none, the file stays until they are, and importing again stores none twice.
#include "ProgramFolder.h"
#include "ReportsTestData.h"
#include "ScriptedDialogs.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "reports/ExchangeLists.h"
#include "reports/TfrmImportSaleData.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <cstdio>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {
const char* const kChildVariable = "TALLYRA_IMPORT_CHILD";
constexpr int kRows = 20000;

[[noreturn]] void SaveUntilKilled(const QString& folder)
{
    SetProgramFolder(folder);
    InitGlobals();
    TScriptedDialogs dialogs;
    TfrmImportSaleData window;
    window.edtPath->setText(folder + QStringLiteral("2026年02月一店销售清单.xml"));
    window.btnImportClick();
    std::printf("ready\n");
    std::fflush(stdout);
    window.btnSaveClick();
    const bool saved = dialogs.Texts().constLast().startsWith(QStringLiteral("保存销售数据成功!"));
    std::printf(saved ? "saved\n" : "failed\n");
    std::fflush(stdout);
    std::_Exit(saved ? 0 : 3);
}

// Invoices stored, and invoices stored more than once.
std::pair<int, int> Stored(const QString& file)
{
    sqlite3* db = nullptr;
    sqlite3_open(file.toUtf8().constData(), &db);
    auto count = [db](const char* sql) {
        sqlite3_stmt* st = nullptr;
        int n = -1;
        if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
            n = sqlite3_column_int(st, 0);
        sqlite3_finalize(st);
        return n;
    };
    const std::pair<int, int> r{count("select count(*) from SaleDetail"),
                                count("select count(*) from (select 1 from SaleDetail group by fpdm,fphm having count(*)>1)")};
    sqlite3_close(db);
    return r;
}
}  // namespace

TEST(ImportKill, AllRowsOrNoneAfterEveryKill)
{
    if (qEnvironmentVariableIsSet(kChildVariable))
        SaveUntilKilled(qEnvironmentVariable(kChildVariable));

    TTestProgramFolder folder;
    InsertCompany(folder, QStringLiteral("总部"), QStringLiteral("是"));
    QByteArray list;
    {
        TTestContext context(folder);
        TRecordset rs;
        for (const TTableColumn& c : TableColumns(*DataBase, QStringLiteral("SaleDetail")))
            rs.fields.push_back(FieldOf(c));
        for (int i = 0; i < kRows; ++i) {
            const QVariantList v = InvoiceValues(QStringLiteral("一店"), QStringLiteral("2026-02-03 10:00:00"),
                                                 QString::number(i + 1).rightJustified(8, u'0'), 125000.5);
            rs.rows.emplace_back(v.begin(), v.end());
        }
        const QString path = folder.File(QStringLiteral("master.xml"));
        SaveRecordsetXmlFile(path, rs);
        list = folder.ReadFile(QStringLiteral("master.xml"));
    }
    const QString file = folder.File(QStringLiteral("2026年02月一店销售清单.xml"));
    auto run = [&](int killAfterMs) {
        if (!QFile::exists(file))
            folder.WriteFile(QFileInfo(file).fileName(), list);  // the branch's copy, brought again
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kChildVariable), folder.Path());
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=ImportKill.*")});
        EXPECT_TRUE(child.waitForStarted(10000));
        QByteArray out;
        while (!out.contains("ready") && child.waitForReadyRead(30000))
            out += child.readAllStandardOutput();
        EXPECT_TRUE(out.contains("ready")) << child.readAllStandardError().toStdString();
        QElapsedTimer saving;
        saving.start();
        bool killed = false;
        if (killAfterMs >= 0) {
            QThread::msleep(static_cast<unsigned long>(killAfterMs));
            killed = child.state() == QProcess::Running;
            if (killed)
                child.kill();  // SIGKILL
        }
        EXPECT_TRUE(child.waitForFinished(30000));
        if (!killed) {
            EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardError().toStdString();
        }
        return std::pair<bool, qint64>(killed, saving.elapsed());
    };

    // One whole save tells how long the kills may wait; it is then undone.
    const qint64 whole = run(-1).second;
    EXPECT_EQ(Stored(folder.DatabaseFile()), std::make_pair(kRows, 0));
    folder.Sql(QStringLiteral("delete from SaleDetail"));

    QRandomGenerator random(20260305);
    int killed = 0;
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        killed += run(static_cast<int>(random.bounded(static_cast<quint32>(whole * 5 / 4) + 1))).first;
        const auto [rows, doubled] = Stored(folder.DatabaseFile());
        EXPECT_TRUE(rows == 0 || rows == kRows) << rows;
        EXPECT_EQ(doubled, 0);
        if (rows < kRows) {
            EXPECT_TRUE(QFile::exists(file));
        }
    }
    EXPECT_GE(killed, 6);
    run(-1);
    EXPECT_EQ(Stored(folder.DatabaseFile()), std::make_pair(kRows, 0));
    EXPECT_FALSE(QFile::exists(file));
}
