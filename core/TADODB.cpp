#include "TADODB.h"

#include "Errors.h"
#include "TextCodec.h"

#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <QSqlTableModel>
#include <atomic>
#include <sqlite3.h>

namespace {
QString NewConnectionName()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("tallyra-%1").arg(++counter);
}

QString ErrorText(const QSqlError& e)
{
    const QString text = e.text().trimmed();
    return text.isEmpty() ? QStringLiteral("unknown database error") : text;
}
}  // namespace

bool FetchNext(QSqlQuery& q)
{
    if (q.next())
        return true;
    if (q.lastError().isValid())
        throw EDatabaseError(ErrorText(q.lastError()));
    return false;
}

QString StatementKind(const QString& statement) { return TrimBlanks(statement).toUpper().left(6); }

TADODB::TADODB(const QString& databaseFile, const QString& userName, const QString& password,
               const QString& databasePassword)
    : m_file(databaseFile),
      m_connectionString(QStringLiteral("Provider=QSQLITE;Data Source=") + databaseFile +
                         QStringLiteral(";User ID=") + userName + QStringLiteral(";Password=") +
                         password + QStringLiteral(";Persist Security Info=True;Database Password=") +
                         databasePassword),
      m_connectionName(NewConnectionName())
{
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    m_db.setDatabaseName(databaseFile);
    m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    ResetComponents();
}

TADODB::~TADODB()
{
    m_table.reset();
    m_query.reset();
    Close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

void TADODB::ResetComponents()
{
    m_query = std::make_unique<QSqlQuery>(m_db);
    m_table = std::make_unique<QSqlTableModel>(nullptr, m_db);
    m_table->setEditStrategy(QSqlTableModel::OnManualSubmit);
}

void* TADODB::Handle() const
{
    if (!m_db.isOpen() || !m_db.driver())
        return nullptr;
    const QVariant v = m_db.driver()->handle();
    if (qstrcmp(v.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(v.data());
}

bool TADODB::Connect()
{
    if (!m_db.isOpen()) {
        // SQLite would create a missing file: the program must never do that.
        if (!QFileInfo(m_file).isFile())
            return false;
        if (!m_db.open())
            return false;
        // A file that is not a database opens fine and fails on the first read.
        QSqlQuery probe(m_db);
        if (!probe.exec(QStringLiteral("select count(*) from sqlite_master"))) {
            probe = QSqlQuery();
            m_db.close();
            return false;
        }
        probe.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        probe.exec(QStringLiteral("PRAGMA synchronous=FULL"));
    }
    ResetComponents();
    return true;
}

bool TADODB::Close()
{
    if (m_query)
        m_query->finish();
    if (m_table)
        m_table->clear();
    if (m_db.isOpen())
        m_db.close();
    return !m_db.isOpen();
}

bool TADODB::Connected() const { return m_db.isOpen(); }

bool TADODB::ReadOnly()
{
    auto* h = static_cast<sqlite3*>(Handle());
    if (h && sqlite3_db_readonly(h, "main") == 1)
        return true;
    if (h) {
        QSqlQuery q(m_db);
        if (q.exec(QStringLiteral("PRAGMA query_only")) && q.next() && q.value(0).toInt() == 1)
            return true;
    }
    const QFileInfo file(m_file);
    return (file.exists() && !file.isWritable()) || !QFileInfo(file.absolutePath()).isWritable();
}

bool TADODB::InTransaction() const
{
    auto* h = static_cast<sqlite3*>(Handle());
    return h && sqlite3_get_autocommit(h) == 0;
}

int TADODB::BeginTrans()
{
    if (!m_db.isOpen())
        throw EDatabaseError(QStringLiteral("数据库未连接"));
    if (InTransaction())
        throw EDatabaseError(QStringLiteral("a transaction is already active"));
    if (!m_db.transaction())
        throw EDatabaseError(ErrorText(m_db.lastError()));
    return 1;
}

void TADODB::CommitTrans()
{
    m_query->finish();
    if (m_beforeCommit)
        m_beforeCommit();
    if (!m_db.commit())
        throw EDatabaseError(ErrorText(m_db.lastError()));
}

void TADODB::RollbackTrans()
{
    m_query->finish();
    // SQLite may already have rolled back on its own (I/O error, full disk).
    if (!InTransaction())
        return;
    if (!m_db.rollback())
        throw EDatabaseError(ErrorText(m_db.lastError()));
}

bool TADODB::Execute(QSqlQuery& q, const QString& statement, const TParams& params)
{
    if (!q.prepare(statement)) {
        m_lastError = ErrorText(q.lastError());
        return false;
    }
    for (auto it = params.cbegin(); it != params.cend(); ++it)
        q.bindValue(it.key().startsWith(u':') ? it.key() : u':' + it.key(), it.value());
    if (!q.exec()) {
        m_lastError = ErrorText(q.lastError());
        return false;
    }
    return true;
}

int TADODB::ExecSQL(const QString& statement, const TParams& params)
{
    const QString kind = StatementKind(statement);
    if (kind != u"INSERT" && kind != u"UPDATE" && kind != u"DELETE")
        return kWrongKind;
    Connect();
    m_query->finish();
    if (!m_db.isOpen()) {
        m_lastError = QStringLiteral("数据库未连接");
        return kFailed;
    }
    if (!Execute(*m_query, statement, params))
        return kFailed;
    const int affected = m_query->numRowsAffected();
    m_query->finish();
    return affected;
}

int TADODB::OpenSQL(const QString& statement, TRows& rows, const TParams& params)
{
    if (StatementKind(statement) != u"SELECT")
        return kWrongKind;
    Connect();
    m_query->finish();
    if (!m_db.isOpen()) {
        m_lastError = QStringLiteral("数据库未连接");
        return kFailed;
    }
    m_query->setForwardOnly(true);
    if (!Execute(*m_query, statement, params))
        return kFailed;
    TRows read;
    while (m_query->next()) {
        const QSqlRecord rec = m_query->record();
        std::vector<QVariant> row;
        row.reserve(rec.count());
        for (int i = 0; i < rec.count(); ++i)
            row.push_back(rec.value(i));
        read.push_back(std::move(row));
    }
    if (m_query->lastError().isValid()) {
        m_lastError = ErrorText(m_query->lastError());
        rows = std::move(read);
        return kFailed;
    }
    if (read.empty())
        return 0;
    rows = std::move(read);
    return static_cast<int>(rows.size());
}

QSqlQuery TADODB::Run(const QString& statement, const TParams& params)
{
    if (!m_db.isOpen())
        throw EDatabaseError(QStringLiteral("数据库未连接"));
    QSqlQuery q(m_db);
    if (!Execute(q, statement, params))
        throw EDatabaseError(m_lastError);
    return q;
}

QVariant TADODB::Scalar(const QString& statement, const TParams& params)
{
    QSqlQuery q = Run(statement, params);
    return q.next() ? q.value(0) : QVariant();
}
