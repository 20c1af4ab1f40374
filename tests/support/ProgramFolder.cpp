#include "ProgramFolder.h"

#include "core/Clock.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "core/TLog.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <sqlite3.h>
#include <stdexcept>
#include <vector>

#ifndef TALLYRA_SCHEMA_FILE
#error "TALLYRA_SCHEMA_FILE must name resources/schema.sql"
#endif

bool CreateSchemaDatabase(const QString& file)
{
    QFile schema(QStringLiteral(TALLYRA_SCHEMA_FILE));
    if (!schema.open(QIODevice::ReadOnly))
        return false;
    const QByteArray sql = schema.readAll();
    sqlite3* db = nullptr;
    if (sqlite3_open(file.toUtf8().constData(), &db) != SQLITE_OK)
        return false;
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.constData(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK)
        std::fprintf(stderr, "schema: %s\n", error ? error : "?");
    sqlite3_free(error);
    sqlite3_close(db);
    return rc == SQLITE_OK;
}

QDateTime FixedNow() { return QDateTime(QDate(2026, 3, 5), QTime(14, 7, 9)); }

TTestProgramFolder::TTestProgramFolder(bool withDatabase, bool withLog)
{
    QDir root(m_dir.path());
    root.mkpath(QStringLiteral("db"));
    root.mkpath(QStringLiteral("template"));
    root.mkpath(QStringLiteral("报表"));
    if (withLog)
        root.mkpath(QStringLiteral("log"));
    // The workbook templates the build made for the program folder.
    const QDir templates(QStringLiteral(TALLYRA_TEMPLATE_DIR));
    for (const QString& name : templates.entryList({QStringLiteral("*.xlsx")}, QDir::Files))
        QFile::copy(templates.filePath(name), root.filePath(QStringLiteral("template/") + name));
    if (withDatabase && !CreateSchemaDatabase(DatabaseFile()))
        throw std::runtime_error("cannot create the test database");
    SetProgramFolder(m_dir.path());
}

TTestProgramFolder::~TTestProgramFolder() { SetProgramFolder(QString()); }

QString TTestProgramFolder::Path() const { return QDir(m_dir.path()).absolutePath() + u'/'; }

void TTestProgramFolder::WriteFile(const QString& relative, const QByteArray& bytes) const
{
    QFile f(File(relative));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write a test file");
}

QByteArray TTestProgramFolder::ReadFile(const QString& relative) const
{
    QFile f(File(relative));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList TTestProgramFolder::LogMessages() const
{
    const QString name = TLog::FileNameFor(Path() + QStringLiteral("log/"), Now().date());
    QStringList messages;
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly))
        return messages;
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    for (const QString& line : lines)
        messages << line.mid(20);  // "yyyy-MM-dd HH:mm:ss:" is 20 characters
    return messages;
}

bool TTestProgramFolder::BreakLog() const
{
    const QString name = TLog::FileNameFor(Path() + QStringLiteral("log/"), Now().date());
    return QFile::remove(name) && QFile::link(QStringLiteral("/dev/full"), name);
}

void TTestProgramFolder::Sql(const QString& statements) const
{
    sqlite3* db = nullptr;
    if (sqlite3_open(DatabaseFile().toUtf8().constData(), &db) != SQLITE_OK)
        throw std::runtime_error("cannot open the test database");
    char* error = nullptr;
    const int rc = sqlite3_exec(db, statements.toUtf8().constData(), nullptr, nullptr, &error);
    const std::string message = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    if (rc != SQLITE_OK)
        throw std::runtime_error("test SQL failed: " + message);
}

int TTestProgramFolder::CheckpointBusy() const
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(DatabaseFile().toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot open the test database");
    }
    const auto step = [db](const char* sql) {
        sqlite3_stmt* st = nullptr;
        int rc = sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
        std::vector<int> row;
        if (rc == SQLITE_OK && (rc = sqlite3_step(st)) == SQLITE_ROW)
            for (int i = 0; i < sqlite3_column_count(st); ++i)
                row.push_back(sqlite3_column_int(st, i));
        sqlite3_finalize(st);
        return std::make_pair(rc, row);
    };
    // A write of its own first, one that changes nothing: with an empty WAL a reader reads the
    // file alone and would not hold the checkpoint back. A write refused is a lock held.
    step("PRAGMA synchronous = OFF");  // nothing here needs to survive a power cut
    const auto [readRc, version] = step("PRAGMA user_version");
    int busy = -1;
    if (readRc == SQLITE_BUSY) {
        busy = 1;
    } else if (readRc == SQLITE_ROW && version.size() == 1) {
        const int writeRc = step(QByteArray("PRAGMA user_version = " + QByteArray::number(version[0])).constData()).first;
        if (writeRc == SQLITE_BUSY) {
            busy = 1;
        } else if (writeRc == SQLITE_DONE) {
            const auto [rc, checkpoint] = step("PRAGMA wal_checkpoint(TRUNCATE)");
            if (rc == SQLITE_ROW && checkpoint.size() == 3)
                busy = checkpoint[0];
        }
    }
    sqlite3_close(db);
    if (busy < 0)
        throw std::runtime_error("the checkpoint did not run");
    return busy;
}

std::map<QString, QString> TTestProgramFolder::Indexes() const
{
    std::map<QString, QString> indexes;
    for (const QStringList& row :
         FileRows(DatabaseFile(), QStringLiteral("select name, sql from sqlite_master where type='index' and sql is not null")))
        indexes[row.at(0)] = row.at(1);
    return indexes;
}

int TTestProgramFolder::DropIndexes() const
{
    const std::map<QString, QString> indexes = Indexes();
    QString drops;
    for (const auto& [name, sql] : indexes)
        drops += QStringLiteral("drop index %1;").arg(name);
    if (!drops.isEmpty())
        Sql(drops);
    return static_cast<int>(indexes.size());
}

std::vector<QStringList> FileRows(const QString& file, const QString& sql)
{
    std::vector<QStringList> rows;
    sqlite3* db = nullptr;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK) {
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            QStringList row;
            for (int i = 0; i < sqlite3_column_count(st); ++i) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
                row << (text ? QString::fromUtf8(text) : QString());
            }
            rows.push_back(row);
        }
        if (rc != SQLITE_DONE)
            rows.clear();
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return rows;
}

int FileInt(const QString& file, const QString& sql)
{
    const std::vector<QStringList> rows = FileRows(file, sql);
    return rows.empty() || rows.front().isEmpty() ? -1 : rows.front().front().toInt();
}

void DbExec(const QString& sql)
{
    DataBase->Query().finish();
    DataBase->Run(sql);
}

QVariant DbValue(const QString& sql) { return DataBase->Scalar(sql); }

int DbCount(const QString& sql) { return DbValue(sql).toInt(); }

::testing::AssertionResult ConnectionIdle(const TTestProgramFolder& folder, const TADODB& db)
{
    if (!db.Connected())
        return ::testing::AssertionSuccess() << "no connection open";
    const QStringList active = db.ActiveStatements();
    const int busy = folder.CheckpointBusy();
    if (active.isEmpty() && busy == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "checkpoint busy " << busy
                                         << ", active: " << active.join(QStringLiteral(" | ")).toStdString();
}

::testing::AssertionResult ConnectionIdle(const TTestProgramFolder& folder)
{
    if (!DataBase)
        return ::testing::AssertionSuccess() << "no connection open";
    return ConnectionIdle(folder, *DataBase);
}

TTestContext::TTestContext(const TTestProgramFolder& folder)
{
    SetProgramFolder(folder.Path());
    m_result = InitGlobals();
}

TTestContext::~TTestContext() { FreeGlobals(); }

QString HostileFixture(const QString& name) { return QStringLiteral(TALLYRA_HOSTILE_FIXTURES "/") + name; }

QByteArray HostileBytes(const QString& name)
{
    QFile f(HostileFixture(name));
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("missing fixture " + name.toStdString());
    return f.readAll();
}
