#include "ExchangeLists.h"

#include "exchange/RecordsetXmlReader.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QSqlQuery>
#include <cmath>
#include <sqlite3.h>

namespace {
QString S(const char* text) { return QString::fromUtf8(text); }

TGridColumns Columns(std::initializer_list<std::pair<const char*, const char*>> list)
{
    TGridColumns c;
    for (const auto& [name, title] : list) {
        c.names << QString::fromLatin1(name);
        c.titles << S(title);
    }
    return c;
}

[[noreturn]] void Refuse(const QString& reason) { throw EListRefused(reason); }

bool IsIntegerType(const QString& type) { return type.contains(u"INT", Qt::CaseInsensitive); }

bool IsRealType(const QString& type)
{
    return type.contains(u"REAL", Qt::CaseInsensitive) || type.contains(u"FLOA", Qt::CaseInsensitive) ||
           type.contains(u"DOUB", Qt::CaseInsensitive);
}

// "yyyy-mm-dd", optionally with a time, fraction and zone: the text form of the tables.
std::optional<QString> DateTimeForTable(const QString& text)
{
    static const QRegularExpression form(
        QStringLiteral("^(\\d{4}-\\d{2}-\\d{2})(?:[T ](\\d{2}:\\d{2}:\\d{2})(?:\\.\\d+)?)?(?:Z|[+-]\\d{2}:\\d{2})?\\z"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QString time = m.captured(2).isEmpty() ? QStringLiteral("00:00:00") : m.captured(2);
    const QString result = m.captured(1) + u' ' + time;
    if (!QDateTime::fromString(result, QStringLiteral("yyyy-MM-dd HH:mm:ss")).isValid())
        return std::nullopt;
    return result;
}

TAffinity AffinityOf(const QString& type)
{
    return IsIntegerType(type) ? TAffinity::Integer : IsRealType(type) ? TAffinity::Real : TAffinity::Text;
}

// A loaded value as a column of that affinity stores it; nullopt when it cannot.
std::optional<QVariant> Convert(const QVariant& v, TFieldKind from, TAffinity to)
{
    if (v.isNull())
        return QVariant();
    if (to == TAffinity::Integer) {
        if (from == TFieldKind::Integer)
            return v.metaType().id() == QMetaType::ULongLong ? std::nullopt : std::optional<QVariant>(v.toLongLong());
        if (from == TFieldKind::Number) {
            const double d = v.toDouble();
            if (d != std::trunc(d) || std::fabs(d) > 9.0e15)
                return std::nullopt;
            return QVariant(static_cast<qlonglong>(d));
        }
        if (from == TFieldKind::Text)
            if (auto i = IntegerFromText(v.toString().toStdString()))
                return QVariant(*i);
        return std::nullopt;
    }
    if (to == TAffinity::Real) {
        if (from == TFieldKind::Integer || from == TFieldKind::Number)
            return QVariant(v.toDouble());
        if (from == TFieldKind::Text)
            if (auto d = NumberFromText(v.toString().toStdString()))
                return QVariant(*d);
        return std::nullopt;
    }
    switch (from) {
    case TFieldKind::DateTime:
        if (auto t = DateTimeForTable(v.toString()))
            return QVariant(*t);
        return std::nullopt;
    case TFieldKind::Number:
        return QVariant(QString::number(v.toDouble(), 'g', QLocale::FloatingPointShortest));
    case TFieldKind::Integer:
    case TFieldKind::Text:
        break;
    }
    return QVariant(TextParam(v.toString()));  // empty text stays text, not NULL
}

int ColumnIndex(const std::vector<TTableColumn>& table, const char* name)
{
    for (size_t i = 0; i < table.size(); ++i)
        if (table[i].name.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    throw EDatabaseError(QStringLiteral("表中没有") + QLatin1String(name) + QStringLiteral("列"));
}

QString Placeholders(size_t n)
{
    QStringList marks;
    for (size_t i = 0; i < n; ++i)
        marks << QStringLiteral("?");
    return marks.join(u',');
}

// A statement of its own on the connection's handle, stepped directly; finalized when it goes.
class TStatement {
public:
    TStatement(TADODB& db, const QString& sql) : m_db(static_cast<sqlite3*>(db.Handle()))
    {
        if (!m_db)
            throw EDatabaseError(QStringLiteral("数据库未连接"));
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v2(m_db, text.constData(), static_cast<int>(text.size()), &m_st, nullptr) != SQLITE_OK)
            throw EDatabaseError(QString::fromUtf8(sqlite3_errmsg(m_db)));
    }
    ~TStatement() { sqlite3_finalize(m_st); }
    TStatement(const TStatement&) = delete;
    TStatement& operator=(const TStatement&) = delete;

    sqlite3_stmt* Get() const { return m_st; }
    // One step; true for a row. The statement is reset by the next Restart.
    bool Step()
    {
        const int rc = sqlite3_step(m_st);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            throw EDatabaseError(QString::fromUtf8(sqlite3_errmsg(m_db)));
        return false;
    }
    void Restart() { sqlite3_reset(m_st); }
    int Changes() const { return sqlite3_changes(m_db); }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_st = nullptr;
};

}  // namespace

std::vector<TTableColumn> TableColumns(TADODB& db, const QString& table)
{
    QSqlQuery q = db.Run(QStringLiteral("select name, type from pragma_table_info(:table) order by cid"),
                         {{QStringLiteral("table"), table}});
    std::vector<TTableColumn> columns;
    while (FetchNext(q))
        columns.push_back({q.value(0).toString(), q.value(1).toString()});
    if (columns.empty())
        throw EDatabaseError(QStringLiteral("没有表") + table);
    return columns;
}

TField FieldOf(const TTableColumn& column)
{
    if (IsIntegerType(column.type))
        return IntegerField(column.name);
    if (IsRealType(column.type))
        return NumberField(column.name);
    return TextField(column.name);
}

const TGridColumns& SaleGridColumns()
{
    static const TGridColumns c = Columns({
        {"kprq", "开票日期"},
        {"fpdm", "发票代码"},
        {"fphm", "发票号码"},
        {"ghdw", "购货单位"},
        {"cllx", "车辆类型"},
        {"cpxh", "厂牌型号"},
        {"cd", "产地"},
        {"jwjehj", "价费合计金额"},
        {"fdjhm", "发动机号码"},
        {"cjhm", "车架号码/车辆识别代码"},
        {"sl", "数量"},
        {"dj", "单价"},
        {"htdh", "合同单号"},
        {"jwfy1", "价外费用名称"},
        {"jwje1", "价外费用金额"},
        {"jwfy2", "价外费用名称"},
        {"jwje2", "价外费用金额"},
        {"jwfy3", "价外费用名称"},
        {"jwje3", "价外费用金额"},
        {"jwhjdx", "价费合计大写"},
        {"saleName", "销货单位名称"},
        {"saleAdd", "地址"},
        {"saleTel", "电话"},
        {"saleMan", "开票人"},
        {"skr", "收款人"},
        {"ghdwID", "身份证号码/组织机构代码"},
    });
    return c;
}

const TGridColumns& StockGridColumns()
{
    static const TGridColumns c = Columns({{"lyrq", "领用日期"},
                                           {"fpdm", "发票代码"},
                                           {"fphmq", "发票号码起"},
                                           {"fphmz", "发票号码止"},
                                           {"dqhm", "当前号码"},
                                           {"lyfs", "领用份数"},
                                           {"syfs", "剩余份数"},
                                           {"kpdName", "开票点名称"}});
    return c;
}

const TListKind& SaleList()
{
    static const TListKind k{"销售清单", "SaleDetail", "kprq", " order by kprq,fpdm,fphm", "销售清单.xml"};
    return k;
}

const TListKind& StockList()
{
    static const TListKind k{"库存清单", "fpkcxx", "lyrq", "  order by lyrq,fpdm,fphmq", "库存清单.xml"};
    return k;
}

QString ListStatement(const TListKind& kind)
{
    return QStringLiteral("select * from %1 where kpdName = :point and substr(%2,1,7) = :month%3")
        .arg(QLatin1String(kind.table), QLatin1String(kind.dateColumn), QLatin1String(kind.order));
}

QString ListStatementLogText(const TListKind& kind, const QString& point, const QString& month)
{
    return QStringLiteral("select * from %1 where kpdName = \"").arg(QLatin1String(kind.table)) + point +
           QStringLiteral("\" and  Left(%1,7) = ").arg(QLatin1String(kind.dateColumn)) + u'\'' +
           QString(month).replace(u'\'', QLatin1String("''")) + u'\'' + QLatin1String(kind.order);
}

TRecordset QueryList(TADODB& db, const TListKind& kind, const QString& point, const QString& month)
{
    TRecordset rs;
    for (const TTableColumn& c : TableColumns(db, QLatin1String(kind.table)))
        rs.fields.push_back(FieldOf(c));
    rs.rows.SetWidth(rs.fields.size());
    // Stepped on the connection directly: the values go into the rows as SQLite holds them,
    // without a value object for each.
    TStatement q(db, ListStatement(kind));
    const QByteArray pointText = point.toUtf8(), monthText = month.toUtf8();
    sqlite3_bind_text(q.Get(), sqlite3_bind_parameter_index(q.Get(), ":point"), pointText.constData(),
                      static_cast<int>(pointText.size()), SQLITE_STATIC);
    sqlite3_bind_text(q.Get(), sqlite3_bind_parameter_index(q.Get(), ":month"), monthText.constData(),
                      static_cast<int>(monthText.size()), SQLITE_STATIC);
    const int n = static_cast<int>(rs.fields.size());
    if (sqlite3_column_count(q.Get()) != n)
        throw EDatabaseError(QStringLiteral("查询的列数与表不符"));
    TRowDraft row;
    while (q.Step()) {
        row.Clear();
        for (int i = 0; i < n; ++i) {
            switch (sqlite3_column_type(q.Get(), i)) {
            case SQLITE_NULL:
                break;
            case SQLITE_INTEGER:
                row.SetInteger(i, sqlite3_column_int64(q.Get(), i));
                break;
            case SQLITE_FLOAT:
                row.SetNumber(i, sqlite3_column_double(q.Get(), i));
                break;
            default: {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(q.Get(), i));
                row.SetUncheckedText(i,
                                     std::string_view(text ? text : "", static_cast<size_t>(sqlite3_column_bytes(q.Get(), i))));
            }
            }
        }
        rs.rows.Append(row);
    }
    return rs;
}

void CheckListColumns(const std::vector<TField>& fields, const std::vector<TTableColumn>& table)
{
    const size_t n = table.size();
    if (fields.size() < n)
        Refuse(QStringLiteral("文件只有%1列，应至少%2列").arg(fields.size()).arg(n));
    for (size_t i = 0; i < n; ++i)
        if (fields[i].name.compare(table[i].name, Qt::CaseInsensitive) != 0)
            Refuse(QStringLiteral("第%1列是%2，应为%3").arg(i + 1).arg(fields[i].name, table[i].name));
}

TListValues::TListValues(const TRecordset& file, const std::vector<TTableColumn>& table) : m_file(file), m_table(table)
{
    CheckListColumns(file.fields, table);
    for (const TTableColumn& c : table)
        m_affinity.push_back(AffinityOf(c.type));
}

std::optional<QVariant> TListValues::Converted(const QVariant& value, size_t r, size_t c) const
{
    const std::optional<QVariant> v = Convert(value, m_file.fields[c].kind, m_affinity[c]);
    if (!v)
        Refuse(QStringLiteral("第%1行%2列的值不能存入").arg(r + 1).arg(m_table[c].name));
    return v;
}

TRecord TListValues::Row(size_t r) const
{
    TRecord row = m_file.rows.Row(r);
    row.resize(m_table.size());  // the surplus columns are left
    for (size_t i = 0; i < row.size(); ++i)
        row[i] = *Converted(row[i], r, i);
    return row;
}

void TListValues::Take(size_t r)
{
    if (r == m_row)
        return;
    m_cells.clear();
    m_at.assign(m_table.size(), -1);
    m_file.rows.ForEachCell(r, [this](const TRowStore::TCell& cell) {
        if (static_cast<size_t>(cell.field) < m_at.size()) {
            m_at[static_cast<size_t>(cell.field)] = static_cast<int>(m_cells.size());
            m_cells.push_back(cell);
        }
    });
    m_row = r;
}

void TListValues::Bind(sqlite3_stmt* st, int param, size_t r, size_t c)
{
    Take(r);
    int rc = SQLITE_OK;
    using K = TRowStore::TKind;
    const TFieldKind from = m_file.fields[c].kind;
    const TAffinity to = m_affinity[c];
    if (m_at[c] < 0) {
        rc = sqlite3_bind_null(st, param);
    } else if (const TRowStore::TCell& cell = m_cells[static_cast<size_t>(m_at[c])];
               cell.kind == K::Text && from == TFieldKind::Text && to == TAffinity::Text) {
        rc = sqlite3_bind_text(st, param, cell.text.empty() ? "" : cell.text.data(), static_cast<int>(cell.text.size()),
                               SQLITE_STATIC);
    } else if (cell.kind == K::Number && from == TFieldKind::Number && to == TAffinity::Real) {
        rc = sqlite3_bind_double(st, param, cell.number);
    } else if (cell.kind == K::Integer && from == TFieldKind::Integer && to == TAffinity::Integer) {
        rc = sqlite3_bind_int64(st, param, cell.integer);
    } else {
        // Anything else goes through the one conversion the stored rows are defined by.
        const QVariant v = *Converted(m_file.rows.Value(r, c), r, c);
        if (v.isNull())
            rc = sqlite3_bind_null(st, param);
        else if (v.metaType().id() == QMetaType::LongLong)
            rc = sqlite3_bind_int64(st, param, v.toLongLong());
        else if (v.metaType().id() == QMetaType::Double)
            rc = sqlite3_bind_double(st, param, v.toDouble());
        else {
            const QByteArray text = v.toString().toUtf8();
            rc = sqlite3_bind_text(st, param, text.constData(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        }
    }
    if (rc != SQLITE_OK)
        throw EDatabaseError(QString::fromUtf8(sqlite3_errstr(rc)));
}

TRecordset LoadListFile(TADODB& db, const TListKind& kind, const QString& path)
{
    const TListKind& other = &kind == &SaleList() ? StockList() : SaleList();
    const std::vector<TTableColumn> table = TableColumns(db, QLatin1String(kind.table));
    const std::vector<TTableColumn> otherTable = TableColumns(db, QLatin1String(other.table));
    TRecordsetLimits limits;
    limits.maxColumns = table.size() + 64;
    limits.maxRows = 1000000;
    limits.checkColumns = [&](const std::vector<TField>& fields) {
        try {
            CheckListColumns(fields, table);
        } catch (const EListRefused&) {
            bool ofOther = true;
            try {
                CheckListColumns(fields, otherTable);
            } catch (const EListRefused&) {
                ofOther = false;
            }
            if (ofOther)
                Refuse(QStringLiteral("这是%1文件，不是%2文件").arg(QString::fromUtf8(other.name), QString::fromUtf8(kind.name)));
            throw;
        }
    };
    return LoadRecordsetXmlFile(path, limits);
}

TStoreResult StoreSales(TADODB& db, const TRecordset& file)
{
    const std::vector<TTableColumn> table = TableColumns(db, QStringLiteral("SaleDetail"));
    TListValues values(file, table);
    const int code = ColumnIndex(table, "fpdm");
    const int number = ColumnIndex(table, "fphm");
    TStoreResult result;
    // A month's list reaches pages all over the invoice table's indexes: 64 MiB of page cache
    // for the connection keeps them in memory.
    db.Run(QStringLiteral("PRAGMA cache_size = -65536"));
    db.RunInTransaction([&] {
        // One statement a row: the row is added unless its invoice is stored, also by an earlier row.
        TStatement insert(db, QStringLiteral("insert into SaleDetail select %1 where not exists "
                                             "(select 1 from SaleDetail where fpdm = ? and fphm = ?)")
                                  .arg(Placeholders(table.size())));
        const int n = static_cast<int>(table.size());
        for (size_t r = 0; r < file.rows.size(); ++r) {
            insert.Restart();
            for (int c = 0; c < n; ++c)
                values.Bind(insert.Get(), c + 1, r, static_cast<size_t>(c));
            values.Bind(insert.Get(), n + 1, r, static_cast<size_t>(code));
            values.Bind(insert.Get(), n + 2, r, static_cast<size_t>(number));
            insert.Step();
            if (insert.Changes() > 0)
                ++result.stored;
            else
                ++result.skipped;
        }
    });
    return result;
}

TStoreResult StoreStock(TADODB& db, const TRecordset& file)
{
    const std::vector<TTableColumn> table = TableColumns(db, QStringLiteral("fpkcxx"));
    TListValues values(file, table);
    const int key[4] = {ColumnIndex(table, "lyrq"), ColumnIndex(table, "fpdm"), ColumnIndex(table, "fphmq"),
                        ColumnIndex(table, "fphmz")};
    QStringList assignments;
    for (const TTableColumn& c : table)
        assignments << c.name + QStringLiteral("=?");
    TStoreResult result;
    db.RunInTransaction([&] {
        // "is" lets a NULL key match a NULL, as the search of the stored rows does.
        TStatement find(db, QStringLiteral("select rowid from fpkcxx where lyrq is ? and fpdm is ? and "
                                           "fphmq is ? and fphmz is ? order by rowid limit 1"));
        TStatement update(db, QStringLiteral("update fpkcxx set %1 where rowid=?").arg(assignments.join(u',')));
        TStatement insert(db, QStringLiteral("insert into fpkcxx values (%1)").arg(Placeholders(table.size())));
        const int n = static_cast<int>(table.size());
        for (size_t r = 0; r < file.rows.size(); ++r) {
            find.Restart();
            for (int k = 0; k < 4; ++k)
                values.Bind(find.Get(), k + 1, r, static_cast<size_t>(key[k]));
            const bool stored = find.Step();
            const sqlite3_int64 rowid = stored ? sqlite3_column_int64(find.Get(), 0) : 0;
            find.Restart();
            TStatement& store = stored ? update : insert;
            store.Restart();
            for (int c = 0; c < n; ++c)
                values.Bind(store.Get(), c + 1, r, static_cast<size_t>(c));
            if (stored)
                sqlite3_bind_int64(store.Get(), n + 1, rowid);
            store.Step();
            ++result.stored;
        }
    });
    return result;
}
