#pragma once
// The sale and stock lists that invoicing points exchange: the month's rows of a point read
// into a record set, and a loaded list stored by column position.
#include "core/TADODB.h"
#include "exchange/RecordsetXml.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

struct sqlite3_stmt;

// A table's columns in their stored order, with their declared types.
struct TTableColumn {
    QString name;
    QString type;
};
std::vector<TTableColumn> TableColumns(TADODB& db, const QString& table);
TField FieldOf(const TTableColumn& column);  // TEXT, REAL or INTEGER

// The grids of the export and import windows: column names and their titles.
struct TGridColumns {
    QStringList names;
    QStringList titles;
};
const TGridColumns& SaleGridColumns();   // 26 columns of SaleDetail
const TGridColumns& StockGridColumns();  // 8 columns of fpkcxx

// What the two lists differ in.
struct TListKind {
    const char* name;        // "销售清单" / "库存清单"
    const char* table;       // "SaleDetail" / "fpkcxx"
    const char* dateColumn;  // "kprq" / "lyrq"
    const char* order;       // the statement's order, as the statement writes it
    const char* fileEnd;     // "销售清单.xml" / "库存清单.xml"
};
const TListKind& SaleList();
const TListKind& StockList();

// The statement of the point's (:point) rows of a month (:month) and the text the sales window
// logs for it, with the point in double and the month in single quotes.
QString ListStatement(const TListKind& kind);
QString ListStatementLogText(const TListKind& kind, const QString& point, const QString& month);
// The point's rows of the month, every column of the table in its order.
TRecordset QueryList(TADODB& db, const TListKind& kind, const QString& point, const QString& month);

// A loaded list that the table cannot take. The text is the reason shown and logged.
class EListRefused : public ETallyraError {
public:
    using ETallyraError::ETallyraError;
};

// Raises EListRefused unless the file has at least the table's columns and its first names equal
// the table's (without regard to case).
void CheckListColumns(const std::vector<TField>& fields, const std::vector<TTableColumn>& table);

// The loaded rows as the table stores them, a row at a time: the first table.size() columns by
// position. The columns are checked when it is made; a row raises EListRefused when a value does
// not convert to its column's type. A date-time goes into text as "yyyy-MM-dd HH:mm:ss".
enum class TAffinity { Text, Integer, Real };  // of a table's column, by its declared type
class TListValues {
public:
    TListValues(const TRecordset& file, const std::vector<TTableColumn>& table);
    TRecord Row(size_t row) const;

    // Binds row's value of column as parameter param (from 1) of a statement stepped on the
    // connection directly, without a value object for the values that need no conversion.
    void Bind(sqlite3_stmt* statement, int param, size_t row, size_t column);

private:
    std::optional<QVariant> Converted(const QVariant& value, size_t row, size_t column) const;
    void Take(size_t row);

    const TRecordset& m_file;
    const std::vector<TTableColumn>& m_table;
    std::vector<TAffinity> m_affinity;
    size_t m_row = SIZE_MAX;  // the row m_cells holds
    std::vector<TRowStore::TCell> m_cells;
    std::vector<int> m_at;  // per column: its value in m_cells, or -1 for NULL
};

// A list file of that kind loaded for its table: more columns than the table has plus 64, or
// more than 1,000,000 rows, are refused before any row is read, and so are columns of the other
// kind of list ("这是库存清单文件，不是销售清单文件") or that the table cannot take (EListRefused).
TRecordset LoadListFile(TADODB& db, const TListKind& kind, const QString& path);

struct TStoreResult {
    int stored = 0;
    int skipped = 0;  // sales rows whose invoice was stored already
};
// Appends the loaded invoices to SaleDetail in one transaction, skipping every invoice (code and
// number) that is stored already, also by an earlier row of the file. Raises EListRefused or
// EDatabaseError; nothing stays stored then.
TStoreResult StoreSales(TADODB& db, const TRecordset& file);
// Stores the loaded rolls in fpkcxx in one transaction: the first stored row of the same receipt
// date, code and first and last number takes every column of the loaded one, else it is added.
TStoreResult StoreStock(TADODB& db, const TRecordset& file);
