#include "TADODB.h"

#include "Errors.h"
#include "TextCodec.h"

#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>
#include <QSqlTableModel>
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <sqlite3.h>
#include <sys/mman.h>

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

namespace {
// The kinds of TReadRows values, in the top bits of a row's entries.
enum TCellKind : quint32 { kNull = 0, kInteger = 1, kReal = 2, kText = 3, kBlob = 4 };
constexpr int kKindShift = 29;
constexpr quint32 kOffsetMask = (quint32(1) << kKindShift) - 1;

// Binds as Qt's driver does: a null text, byte array or date binds NULL; texts as text.
int BindValue(sqlite3_stmt* st, int index, const QVariant& v)
{
    const int type = v.typeId();
    const bool null = v.isNull() || (type == QMetaType::QString && v.toString().isNull()) ||
                      (type == QMetaType::QByteArray && v.toByteArray().isNull()) ||
                      (type == QMetaType::QDate && v.toDate().isNull());
    if (null)
        return sqlite3_bind_null(st, index);
    switch (type) {
    case QMetaType::QByteArray: {
        const QByteArray bytes = v.toByteArray();
        return sqlite3_bind_blob64(st, index, bytes.constData(), sqlite3_uint64(bytes.size()), SQLITE_TRANSIENT);
    }
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return sqlite3_bind_int64(st, index, v.toLongLong());
    case QMetaType::Double:
        return sqlite3_bind_double(st, index, v.toDouble());
    default: {
        const QByteArray text = v.toString().toUtf8();
        return sqlite3_bind_text64(st, index, text.constData(), sqlite3_uint64(text.size()), SQLITE_TRANSIENT, SQLITE_UTF8);
    }
    }
}

template <class T>
T Read(const char* at)
{
    T value;
    std::memcpy(&value, at, sizeof(T));
    return value;
}

template <class T>
char* Write(char* at, const T& value)
{
    std::memcpy(at, &value, sizeof(T));
    return at + sizeof(T);
}
}  // namespace

QVariant TReadRows::Value(int row, int column) const
{
    if (row < 0 || column < 0 || row >= RowCount() || column >= ColumnCount())
        return {};
    const char* block = m_rows[size_t(row)];
    const quint32 entry = Read<quint32>(block + sizeof(quint32) * size_t(column));
    const char* at = block + (entry & kOffsetMask);
    switch (entry >> kKindShift) {
    case kInteger:
        return QVariant(Read<qint64>(at));
    case kReal:
        return QVariant(Read<double>(at));
    case kText:
        return QString::fromUtf8(at + sizeof(quint32), Read<quint32>(at));
    case kBlob:
        return QByteArray(at + sizeof(quint32), Read<quint32>(at));
    default:
        return QVariant(QMetaType::fromType<QString>());  // Null, as a query gives it
    }
}

std::optional<std::string_view> TReadRows::TextBytes(int row, int column) const
{
    if (row < 0 || column < 0 || row >= RowCount() || column >= ColumnCount())
        return std::nullopt;
    const char* block = m_rows[size_t(row)];
    const quint32 entry = Read<quint32>(block + sizeof(quint32) * size_t(column));
    if ((entry >> kKindShift) != kText)
        return std::nullopt;
    const char* at = block + (entry & kOffsetMask);
    return std::string_view(at + sizeof(quint32), Read<quint32>(at));
}

char* TReadRows::NewRow(size_t size)
{
    // Rows in blocks of 2 MiB, on huge pages where the system has them: an allocation per row,
    // or a page fault every 4 KiB, would cost more than the reading.
    constexpr size_t kBlock = size_t(2) << 20;
    if (size > m_free || m_blocks.empty()) {
        m_free = (std::max(kBlock, size) + kBlock - 1) / kBlock * kBlock;
        char* block = static_cast<char*>(std::aligned_alloc(kBlock, m_free));
        if (!block)
            throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
        madvise(block, m_free, MADV_HUGEPAGE);
#endif
        m_blocks.emplace_back(block);
        m_next = block;
    }
    char* row = m_next;
    m_next += size;
    m_free -= size;
    m_rows.push_back(row);
    return row;
}

QSqlRecord TReadRows::Record(int row) const
{
    QSqlRecord record;
    for (int c = 0; c < m_fields.size(); ++c) {
        const QVariant value = Value(row, c);
        QSqlField field(m_fields[c], value.metaType());
        field.setValue(value);
        record.append(field);
    }
    return record;
}

void TReadRows::Append(TReadRows&& more)
{
    if (&more == this || more.m_rows.empty())
        return;
    if (m_rows.empty() && m_fields.isEmpty())
        m_fields = more.m_fields;
    else if (more.m_fields != m_fields)
        throw EDatabaseError(QStringLiteral("rows of other fields cannot be appended"));
    m_rows.insert(m_rows.end(), more.m_rows.begin(), more.m_rows.end());
    for (auto& block : more.m_blocks)
        m_blocks.push_back(std::move(block));
    // New rows go on after more's last row; the rest of this block is left unused.
    m_next = more.m_next;
    m_free = more.m_free;
    more = TReadRows();
}

void TReadRows::DropTrailingFields(int n)
{
    // The rows keep their entries: Value never reaches past the fields.
    m_fields.resize(std::max<qsizetype>(0, m_fields.size() - n));
}

QString StatementKind(const QString& statement) { return TrimBlanks(statement).toUpper().left(6); }

TADODB::TADODB(const QString& databaseFile, const QString& userName, const QString& password, const QString& databasePassword)
    : m_file(databaseFile),
      m_connectionString(QStringLiteral("Provider=QSQLITE;Data Source=") + databaseFile + QStringLiteral(";User ID=") + userName +
                         QStringLiteral(";Password=") + password +
                         QStringLiteral(";Persist Security Info=True;Database Password=") + databasePassword),
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

QStringList TADODB::ActiveStatements() const
{
    QStringList active;
    auto* h = static_cast<sqlite3*>(Handle());
    if (!h)
        return active;
    for (sqlite3_stmt* s = sqlite3_next_stmt(h, nullptr); s; s = sqlite3_next_stmt(h, s))
        if (sqlite3_stmt_busy(s))
            active << QString::fromUtf8(sqlite3_sql(s));
    return active;
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

void TADODB::RunInTransaction(const std::function<void()>& work, const std::function<void(const std::exception&)>& rollbackFailed)
{
    BeginTrans();
    try {
        work();
        CommitTrans();
    } catch (...) {
        try {
            RollbackTrans();
        } catch (const std::exception& e) {
            if (rollbackFailed)
                rollbackFailed(e);
        }
        throw;
    }
}

QString TextParam(const QString& text) { return text.isNull() ? QStringLiteral("") : text; }

QVariant NullText() { return QVariant(QMetaType::fromType<QString>()); }

QVariant TextKeepingNull(const QVariant& value) { return value.isNull() ? NullText() : TextParam(value.toString()); }

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
    const QSqlError error = m_query->lastError();
    m_query->finish();
    if (error.isValid()) {
        m_lastError = ErrorText(error);
        rows = std::move(read);
        return kFailed;
    }
    if (read.empty())
        return 0;
    rows = std::move(read);
    return static_cast<int>(rows.size());
}

TReadRows TADODB::ReadRows(const QString& statement, const TParams& params)
{
    auto* h = static_cast<sqlite3*>(Handle());
    if (!h)
        throw EDatabaseError(QStringLiteral("数据库未连接"));
    sqlite3_stmt* st = nullptr;
    const QByteArray sql = statement.toUtf8();
    if (sqlite3_prepare_v2(h, sql.constData(), int(sql.size()), &st, nullptr) != SQLITE_OK || !st) {
        const QString error = QString::fromUtf8(sqlite3_errmsg(h));
        sqlite3_finalize(st);
        throw EDatabaseError(error);
    }
    // Let go whatever happens: a statement kept would hold its read.
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> owned(st, sqlite3_finalize);
    const auto fail = [h](const QString& what) {
        throw EDatabaseError(what.isEmpty() ? QString::fromUtf8(sqlite3_errmsg(h)) : what);
    };
    int bound = 0;
    for (auto it = params.cbegin(); it != params.cend(); ++it) {
        const QByteArray name = (it.key().startsWith(u':') ? it.key() : u':' + it.key()).toUtf8();
        const int index = sqlite3_bind_parameter_index(st, name.constData());
        if (index == 0)
            continue;
        if (BindValue(st, index, it.value()) != SQLITE_OK)
            fail({});
        ++bound;
    }
    if (bound != sqlite3_bind_parameter_count(st))
        fail(QStringLiteral("Parameter count mismatch"));

    TReadRows rows;
    const int columns = sqlite3_column_count(st);
    for (int c = 0; c < columns; ++c)
        rows.m_fields << QString::fromUtf8(sqlite3_column_name(st, c));
    struct TCell {
        int type;
        const char* bytes;
        quint32 size;
    };
    std::vector<TCell> cells(static_cast<size_t>(columns));
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        // The row's size first, then room for all of it at once.
        size_t size = sizeof(quint32) * size_t(columns);
        for (int c = 0; c < columns; ++c) {
            TCell& cell = cells[size_t(c)];
            cell.type = sqlite3_column_type(st, c);
            if (cell.type == SQLITE_INTEGER || cell.type == SQLITE_FLOAT) {
                size += 8;
            } else if (cell.type == SQLITE_TEXT || cell.type == SQLITE_BLOB) {
                cell.bytes = cell.type == SQLITE_TEXT ? reinterpret_cast<const char*>(sqlite3_column_text(st, c))
                                                      : static_cast<const char*>(sqlite3_column_blob(st, c));
                cell.size = quint32(sqlite3_column_bytes(st, c));
                if (!cell.bytes && cell.size > 0)
                    fail({});  // out of memory
                size += sizeof(quint32) + cell.size;
            }
        }
        if (size > kOffsetMask)
            fail(QStringLiteral("a row too large to be held"));
        char* const row = rows.NewRow(size);
        char* entry = row;
        char* at = row + sizeof(quint32) * size_t(columns);
        for (int c = 0; c < columns; ++c) {
            const TCell& cell = cells[size_t(c)];
            const quint32 offset = quint32(at - row);
            switch (cell.type) {
            case SQLITE_INTEGER:
                entry = Write(entry, offset | (kInteger << kKindShift));
                at = Write(at, qint64(sqlite3_column_int64(st, c)));
                break;
            case SQLITE_FLOAT:
                entry = Write(entry, offset | (kReal << kKindShift));
                at = Write(at, sqlite3_column_double(st, c));
                break;
            case SQLITE_TEXT:
            case SQLITE_BLOB:
                entry = Write(entry, offset | ((cell.type == SQLITE_TEXT ? kText : kBlob) << kKindShift));
                at = Write(at, cell.size);
                if (cell.size > 0)
                    std::memcpy(at, cell.bytes, cell.size);
                at += cell.size;
                break;
            default:
                entry = Write(entry, quint32(kNull << kKindShift));
                break;
            }
        }
    }
    if (rc != SQLITE_DONE)
        fail({});
    return rows;
}

std::optional<QSqlRecord> TADODB::FirstRow(const QString& statement, const TParams& params)
{
    m_query->finish();
    if (!m_db.isOpen())
        throw EDatabaseError(QStringLiteral("数据库未连接"));
    if (!Execute(*m_query, statement, params))
        throw EDatabaseError(m_lastError);
    std::optional<QSqlRecord> row;
    if (m_query->next())
        row = m_query->record();
    const QSqlError error = m_query->lastError();
    m_query->finish();
    if (error.isValid())
        throw EDatabaseError(ErrorText(error));
    return row;
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
