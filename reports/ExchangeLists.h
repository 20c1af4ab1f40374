#pragma once
// The sale and stock lists that invoicing points exchange: the month's rows of a point read
// into a record set, and a loaded list stored by column position.
#include "RecordsetXml.h"
#include "core/TADODB.h"

#include <QString>
#include <QStringList>
#include <vector>

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

// The loaded rows as the table stores them, the first table.size() columns by position. Raises
// EListRefused unless the file has that many columns, its first names equal the table's
// (without regard to case) and every value converts to its column's type; a date-time goes
// into text as "yyyy-MM-dd HH:mm:ss".
std::vector<TRecord> ValuesForTable(const TRecordset& file, const std::vector<TTableColumn>& table);

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
