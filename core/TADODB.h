#pragma once
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

class QSqlTableModel;

// Named values bound into a statement (":name" -> value). Values never go into the text.
using TParams = QVariantMap;
// Texts for binding. Qt binds a null QString as NULL, and NULL equals nothing: the program
// stores and compares an empty field as empty text. Each text bound says which it means.
// Empty (null too) binds as ''.
QString TextParam(const QString& text);
// NULL, as a text column holds it.
QVariant NullText();
// A value read back from a text column, bound to find its row again: NULL stays NULL, any other
// value binds as its text (empty as '').
QVariant TextKeepingNull(const QVariant& value);

// Result rows of OpenSQL: one inner vector per row, field values in field order; Null stays Null.
using TRows = std::vector<std::vector<QVariant>>;

// Rows of a SELECT read out whole: values as a query gives them (text, integer, real, byte
// array; Null stays Null), held in large blocks so that a long list stays small and quick.
class TReadRows {
public:
    int RowCount() const { return int(m_rows.size()); }
    int ColumnCount() const { return int(m_fields.size()); }
    const QStringList& Fields() const { return m_fields; }
    int FieldIndex(const QString& field) const { return int(m_fields.indexOf(field)); }
    QVariant Value(int row, int column) const;
    // A text value's UTF-8 bytes, held by these rows; nullopt when the value is not text.
    std::optional<std::string_view> TextBytes(int row, int column) const;
    // The whole row with its field names.
    QSqlRecord Record(int row) const;
    // The rows of more after these; more's fields must be these fields (or these rows have none
    // yet). Rows are moved, not copied.
    void Append(TReadRows&& more);
    // Forgets the last n fields: a key read along with the rows that the rows do not show.
    void DropTrailingFields(int n);

private:
    friend class TADODB;
    char* NewRow(size_t size);

    QStringList m_fields;
    // Per row: a 32-bit entry per field (kind in the top bits, offset of the value from the
    // row's start below), then the values: integers and reals in 8 bytes, texts and blobs
    // after a 32-bit length. Rows lie one after another in the blocks.
    std::vector<const char*> m_rows;
    struct TFree {
        void operator()(char* p) const { std::free(p); }
    };
    std::vector<std::unique_ptr<char, TFree>> m_blocks;
    char* m_next = nullptr;  // the free end of the last block
    size_t m_free = 0;       // and its size
};

// The program's one database connection with its shared query and table.
class TADODB {
public:
    static constexpr int kWrongKind = -8008;  // not a statement of the kind the call runs
    static constexpr int kFailed = -8009;     // executed and failed, or no connection

    // The user name and the passwords are kept in the connection text only: SQLite has none.
    TADODB(const QString& databaseFile, const QString& userName, const QString& password, const QString& databasePassword);
    ~TADODB();
    TADODB(const TADODB&) = delete;
    TADODB& operator=(const TADODB&) = delete;

    // Opens the connection when it is closed (never creates a missing file) and resets the
    // shared query and table. False when the file is missing or is not a database.
    bool Connect();
    bool Close();
    bool Connected() const;

    // Transactions on the connection; failures raise EDatabaseError.
    int BeginTrans();  // returns the nesting level (1)
    void CommitTrans();
    void RollbackTrans();
    bool InTransaction() const;
    // Runs work inside one transaction and commits it. Any exception from work or from the
    // commit rolls the transaction back and goes on to the caller unchanged; a failed rollback
    // goes to rollbackFailed when given (the first error is still the one raised). Refused with
    // EDatabaseError, before work runs and leaving it alone, while a transaction is open.
    void RunInTransaction(const std::function<void()>& work,
                          const std::function<void(const std::exception&)>& rollbackFailed = {});
    // The statements on the connection that hold a read open: stepped, and neither run to
    // their end nor reset. While one is, the connection keeps its snapshot and no other
    // connection's write is seen. Empty when the connection is idle.
    QStringList ActiveStatements() const;

    // INSERT/UPDATE/DELETE: rows affected, kWrongKind or kFailed.
    int ExecSQL(const QString& statement, const TParams& params = {});
    // SELECT: row count (rows untouched when 0), kWrongKind or kFailed. The rows are read out
    // whole and the shared query finished: no read is left open.
    int OpenSQL(const QString& statement, TRows& rows, const TParams& params = {});
    // A SELECT read out whole straight from the engine, its statement let go before it
    // returns; raises EDatabaseError. For lists of any length: quicker and smaller than rows
    // of variants.
    TReadRows ReadRows(const QString& statement, const TParams& params = {});
    // The first row of a SELECT on the shared query, nullopt when there is none; the query is
    // finished before it returns. Raises EDatabaseError.
    std::optional<QSqlRecord> FirstRow(const QString& statement, const TParams& params = {});

    // A new query of its own on the shared connection, prepared with the statement and bound
    // and executed; raises EDatabaseError when preparing or executing fails. A SELECT holds a
    // read until it is read to its end, finished or let go: never keep one past its reading.
    QSqlQuery Run(const QString& statement, const TParams& params = {});
    // The first field of the first row of Run(statement), Null when there is no row.
    QVariant Scalar(const QString& statement, const TParams& params = {});

    QSqlDatabase& Connection() { return m_db; }
    void* Handle() const;  // sqlite3* of the connection, for statements stepped on it directly
    QSqlQuery& Query() { return *m_query; }
    QSqlTableModel& Table() { return *m_table; }

    // True when the database refuses writes: opened read-only, "PRAGMA query_only" set, or the
    // file or its folder (where the journal goes) not writable.
    bool ReadOnly();

    QString DatabaseFile() const { return m_file; }
    QString ConnectionString() const { return m_connectionString; }
    // Text of the last error that ExecSQL/OpenSQL dropped (for log lines of callers).
    QString LastErrorText() const { return m_lastError; }

    // Tests only: called just before COMMIT; throwing from it makes CommitTrans fail.
    void SetBeforeCommitHook(std::function<void()> hook) { m_beforeCommit = std::move(hook); }

    // Prepares, binds and executes q; false on failure with the error in LastErrorText().
    bool Execute(QSqlQuery& q, const QString& statement, const TParams& params);

private:
    void ResetComponents();

    QString m_file;
    QString m_connectionString;
    QString m_connectionName;
    QSqlDatabase m_db;
    std::unique_ptr<QSqlQuery> m_query;
    std::unique_ptr<QSqlTableModel> m_table;
    QString m_lastError;
    std::function<void()> m_beforeCommit;
};

// The next row of q, as QSqlQuery::next; raises EDatabaseError where next() stopped on an error
// rather than at the end, so that a row that cannot be read never reads as the last one.
bool FetchNext(QSqlQuery& q);

// The statement-kind test of ExecSQL/OpenSQL: the first six characters of the trimmed,
// upper-cased statement.
QString StatementKind(const QString& statement);
