#pragma once
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <vector>

// A fresh program folder for one test: db/Corvane.db made from resources/schema.sql, and the
// folders log/, template/ and 报表/. The context's program folder points at it while it lives.
class TTestProgramFolder {
public:
    explicit TTestProgramFolder(bool withDatabase = true, bool withLog = true);
    ~TTestProgramFolder();

    QString Path() const;  // ends in "/"
    QString File(const QString& relative) const { return Path() + relative; }
    QString DatabaseFile() const { return File(QStringLiteral("db/Corvane.db")); }
    void WriteFile(const QString& relative, const QByteArray& bytes) const;
    QByteArray ReadFile(const QString& relative) const;
    // Lines of today's log file (by the program's clock), without their time stamps.
    QStringList LogMessages() const;
    // Today's log file made one that takes no line (a link to /dev/full, of another day): the
    // log's next line reopens it and fails. False when the link cannot be made.
    bool BreakLog() const;

    // Runs SQL directly on the database file, outside the program's connection.
    void Sql(const QString& statements) const;
    // PRAGMA wal_checkpoint(TRUNCATE) from a connection of its own, after a write of its own
    // that changes nothing: the busy it answers (1 when another connection holds a read the
    // checkpoint cannot pass, or a write lock); raises when it cannot run.
    int CheckpointBusy() const;
    // The indexes the database holds by name, with their definitions (not SQLite's own).
    std::map<QString, QString> Indexes() const;
    // Drops them all, as in a database made before them; how many there were.
    int DropIndexes() const;

private:
    QTemporaryDir m_dir;
};

class TADODB;
// The program's connection (or db) holds no read: no statement of it is active and a second
// connection checkpoints the whole WAL. A failure names the active statements.
::testing::AssertionResult ConnectionIdle(const TTestProgramFolder& folder);
::testing::AssertionResult ConnectionIdle(const TTestProgramFolder& folder, const TADODB& db);

// The rows a query gives on a database file, read through a connection of its own, as texts
// (NULL as a null string); none when the file cannot be opened or the query fails.
std::vector<QStringList> FileRows(const QString& file, const QString& sql);
// The first value of the first row as a number; -1 when there is none.
int FileInt(const QString& file, const QString& sql);

// A statement on the program's connection (another connection would not be seen by the
// read the shared query may still hold open).
void DbExec(const QString& sql);
// One value through the program's connection.
QVariant DbValue(const QString& sql);
int DbCount(const QString& sql);

// Creates a database file from the schema; false with a message on stderr when it fails.
bool CreateSchemaDatabase(const QString& file);

// A file of tests/fixtures/hostile (the inputs that once crashed, hung or garbled a reader).
QString HostileFixture(const QString& name);
QByteArray HostileBytes(const QString& name);

// The fixed time every test starts with: 2026-03-05 14:07:09.
QDateTime FixedNow();

// Builds the context on the folder (InitGlobals) and frees it when it goes (FreeGlobals).
class TTestContext {
public:
    explicit TTestContext(const TTestProgramFolder& folder);
    ~TTestContext();
    bool InitResult() const { return m_result; }

private:
    bool m_result = false;
};
