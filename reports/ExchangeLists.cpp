#include "ExchangeLists.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <cmath>

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
    static const QRegularExpression form(QStringLiteral(
        "^(\\d{4}-\\d{2}-\\d{2})(?:[T ](\\d{2}:\\d{2}:\\d{2})(?:\\.\\d+)?)?(?:Z|[+-]\\d{2}:\\d{2})?\\z"));
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
    const QString text = v.toString();
    return QVariant(text.isEmpty() ? QStringLiteral("") : text);  // empty text stays text, not NULL
}

int ColumnIndex(const std::vector<TTableColumn>& table, const char* name)
{
    for (size_t i = 0; i < table.size(); ++i)
        if (table[i].name.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    throw EDatabaseError(QStringLiteral("表中没有") + QLatin1String(name) + QStringLiteral("列"));
}

QSqlQuery Prepared(TADODB& db, const QString& statement)
{
    QSqlQuery q(db.Connection());
    if (!q.prepare(statement))
        throw EDatabaseError(q.lastError().text());
    return q;
}

void Exec(QSqlQuery& q)
{
    if (!q.exec())
        throw EDatabaseError(q.lastError().text());
}

void BindRow(QSqlQuery& q, const TRecord& row)
{
    for (size_t i = 0; i < row.size(); ++i)
        q.bindValue(static_cast<int>(i), row[i]);
}

QString Placeholders(size_t n)
{
    QStringList marks;
    for (size_t i = 0; i < n; ++i)
        marks << QStringLiteral("?");
    return marks.join(u',');
}

// Runs store inside one transaction; any error rolls it back and goes on to the caller.
template <class F>
void InTransaction(TADODB& db, F&& store)
{
    db.BeginTrans();
    try {
        store();
        db.CommitTrans();
    } catch (...) {
        try {
            db.RollbackTrans();
        } catch (const ETallyraError&) {
            // the first error is the one to report
        }
        throw;
    }
}
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
        {"kprq", "开票日期"},      {"fpdm", "发票代码"},       {"fphm", "发票号码"},
        {"ghdw", "购货单位"},      {"cllx", "车辆类型"},       {"cpxh", "厂牌型号"},
        {"cd", "产地"},            {"jwjehj", "价费合计金额"}, {"fdjhm", "发动机号码"},
        {"cjhm", "车架号码/车辆识别代码"},                     {"sl", "数量"},
        {"dj", "单价"},            {"htdh", "合同单号"},       {"jwfy1", "价外费用名称"},
        {"jwje1", "价外费用金额"}, {"jwfy2", "价外费用名称"},  {"jwje2", "价外费用金额"},
        {"jwfy3", "价外费用名称"}, {"jwje3", "价外费用金额"},  {"jwhjdx", "价费合计大写"},
        {"saleName", "销货单位名称"},                          {"saleAdd", "地址"},
        {"saleTel", "电话"},       {"saleMan", "开票人"},      {"skr", "收款人"},
        {"ghdwID", "身份证号码/组织机构代码"},
    });
    return c;
}

const TGridColumns& StockGridColumns()
{
    static const TGridColumns c = Columns({{"lyrq", "领用日期"}, {"fpdm", "发票代码"}, {"fphmq", "发票号码起"},
                                           {"fphmz", "发票号码止"}, {"dqhm", "当前号码"}, {"lyfs", "领用份数"},
                                           {"syfs", "剩余份数"}, {"kpdName", "开票点名称"}});
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
    QSqlQuery q(db.Connection());
    q.setForwardOnly(true);
    if (!db.Execute(q, ListStatement(kind), {{QStringLiteral("point"), point}, {QStringLiteral("month"), month}}))
        throw EDatabaseError(db.LastErrorText());
    const int n = static_cast<int>(rs.fields.size());
    if (q.record().count() != n)
        throw EDatabaseError(QStringLiteral("查询的列数与表不符"));
    TRowDraft row;
    while (FetchNext(q)) {
        row.Clear();
        for (int i = 0; i < n; ++i)
            row.SetValue(i, q.value(i));
        rs.rows.Append(row);
    }
    q.finish();
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

TRecord TListValues::Row(size_t r) const
{
    const size_t n = m_table.size();
    TRecord row(n);
    for (size_t i = 0; i < n; ++i) {
        const std::optional<QVariant> v =
            Convert(m_file.rows.Value(r, i), m_file.fields[i].kind, m_affinity[i]);
        if (!v)
            Refuse(QStringLiteral("第%1行%2列的值不能存入").arg(r + 1).arg(m_table[i].name));
        row[i] = *v;
    }
    return row;
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
    const TListValues values(file, table);
    const int code = ColumnIndex(table, "fpdm");
    const int number = ColumnIndex(table, "fphm");
    TStoreResult result;
    // A month's list reaches pages all over the invoice table's indexes: 64 MiB of page cache
    // for the connection keeps them in memory.
    db.Run(QStringLiteral("PRAGMA cache_size = -65536"));
    InTransaction(db, [&] {
        // One statement a row: the row is added unless its invoice is stored, also by an earlier row.
        QSqlQuery insert = Prepared(db, QStringLiteral("insert into SaleDetail select %1 where not exists "
                                                       "(select 1 from SaleDetail where fpdm = ? and fphm = ?)")
                                            .arg(Placeholders(table.size())));
        const int n = static_cast<int>(table.size());
        for (size_t r = 0; r < file.rows.size(); ++r) {
            const TRecord row = values.Row(r);
            BindRow(insert, row);
            insert.bindValue(n, row[static_cast<size_t>(code)]);
            insert.bindValue(n + 1, row[static_cast<size_t>(number)]);
            Exec(insert);
            if (insert.numRowsAffected() > 0)
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
    const TListValues values(file, table);
    const int key[4] = {ColumnIndex(table, "lyrq"), ColumnIndex(table, "fpdm"), ColumnIndex(table, "fphmq"),
                        ColumnIndex(table, "fphmz")};
    QStringList assignments;
    for (const TTableColumn& c : table)
        assignments << c.name + QStringLiteral("=?");
    TStoreResult result;
    InTransaction(db, [&] {
        // "is" lets a NULL key match a NULL, as the search of the stored rows does.
        QSqlQuery find = Prepared(db, QStringLiteral("select rowid from fpkcxx where lyrq is ? and fpdm is ? and "
                                                     "fphmq is ? and fphmz is ? order by rowid limit 1"));
        QSqlQuery update = Prepared(db, QStringLiteral("update fpkcxx set %1 where rowid=?").arg(assignments.join(u',')));
        QSqlQuery insert = Prepared(db, QStringLiteral("insert into fpkcxx values (%1)").arg(Placeholders(table.size())));
        for (size_t r = 0; r < file.rows.size(); ++r) {
            const TRecord row = values.Row(r);
            for (int k = 0; k < 4; ++k)
                find.bindValue(k, row[key[k]]);
            Exec(find);
            const QVariant rowid = find.next() ? find.value(0) : QVariant();
            find.finish();
            QSqlQuery& store = rowid.isNull() ? insert : update;
            BindRow(store, row);
            if (!rowid.isNull())
                store.bindValue(static_cast<int>(row.size()), rowid);
            Exec(store);
            ++result.stored;
        }
    });
    return result;
}
