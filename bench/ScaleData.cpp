#include "ScaleData.h"

#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDate>
#include <QDir>
#include <QFile>
#include <cstdio>
#include <sqlite3.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace scale {
namespace {
// Raise it whenever the generated data changes: cached files of other versions are made anew.
constexpr int kGeneratorVersion = 1;

QDate MonthStart(int monthIndex) { return QDate(2025, 3, 1).addMonths(monthIndex); }

std::string Fmt(const char* format, auto... args)
{
    char buf[160];
    std::snprintf(buf, sizeof buf, format, args...);
    return buf;
}

std::string Utf8(const QString& s) { return s.toStdString(); }

class TDb {
public:
    explicit TDb(const QString& file)
    {
        if (sqlite3_open(file.toUtf8().constData(), &m_db) != SQLITE_OK)
            throw std::runtime_error("cannot open " + file.toStdString());
    }
    ~TDb() { sqlite3_close(m_db); }
    void Exec(const std::string& sql)
    {
        char* error = nullptr;
        if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            const std::string message = error ? error : "?";
            sqlite3_free(error);
            throw std::runtime_error("generator SQL failed: " + message + " in " + sql.substr(0, 80));
        }
    }
    sqlite3* Handle() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
};

// One prepared insert; values are bound by position from 1, unbound ones are NULL.
class TInsert {
public:
    TInsert(TDb& db, const char* sql)
    {
        if (sqlite3_prepare_v2(db.Handle(), sql, -1, &m_stmt, nullptr) != SQLITE_OK)
            throw std::runtime_error(std::string("cannot prepare ") + sql);
    }
    ~TInsert() { sqlite3_finalize(m_stmt); }
    TInsert& Text(int i, const std::string& v)
    {
        sqlite3_bind_text(m_stmt, i, v.c_str(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    TInsert& Int(int i, qint64 v)
    {
        sqlite3_bind_int64(m_stmt, i, v);
        return *this;
    }
    TInsert& Real(int i, double v)
    {
        sqlite3_bind_double(m_stmt, i, v);
        return *this;
    }
    void Run()
    {
        if (sqlite3_step(m_stmt) != SQLITE_DONE)
            throw std::runtime_error(std::string("generator insert failed: ") + sqlite3_errmsg(sqlite3_db_handle(m_stmt)));
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }

private:
    sqlite3_stmt* m_stmt = nullptr;
};

const std::string kCorp = "某汽车销售公司";
const std::string kCorpAdd = "广州市天河路1号";
const std::string kCorpTel = "020-12345678";
const std::string kCorpTaxID = "440100000000001";
const std::string kCorpBank = "工商银行天河支行";
const std::string kCorpAccount = "6222000011112222";
const std::string kOperMan = "李会计";

std::string Number(qint64 n) { return Fmt("%08lld", static_cast<long long>(n)); }

// The invoice number of the k-th invoice of a point in a month.
qint64 InvoiceNumber(int monthIndex, int k)
{
    // In the statement month each of the 50 ranges of 100 numbers gets 20 of them.
    return monthIndex == kListMonth ? (k / 20) % 50 * 100 + 1 + k % 20 : k + 1;
}

const char* StateOf(int k)
{
    const int s = k % 100;
    return s < 90 ? "0" : s < 93 ? "2" : s < 96 ? "1" : s < 98 ? "3" : "4";
}

void InsertInvoices(TDb& db, int size)
{
    TInsert ins(db,
                "insert into SaleDetail(kprq,fpdm,fphm,ghdw,ghdwID,cllx,cpxh,cd,hgzhm,jkzmhm,sjdhm,fdjhm,cjhm,sl,dj,htdh,"
                "jwfy1,jwfy2,jwfy3,jwje1,jwje2,jwje3,jwhjdx,jwjehj,saleName,saleAdd,saleTel,saleTaxID,saleBank,"
                "saleAcount,saleMan,skr,flag,fpzt,ysfpdm,ysfphm,sccj,kpdName) values(?1,?2,?3,?4,?5,?6,?7,?8,?9,?10,"
                "?11,?12,?13,?14,?15,?16,?17,?18,?19,?20,?21,?22,?23,?24,?25,?26,?27,?28,?29,?30,?31,?32,?33,?34,?35,"
                "?36,?37,?38)");
    // Month by month, each point's rows together: the head point appends the branches' lists.
    for (int m = 0; m < kMonths; ++m) {
        const QDateTime start(MonthStart(m), QTime(8, 0));
        for (int p = 0; p < kPoints; ++p) {
            const int n = InvoicesOf(size, p, m);
            const std::string code = Utf8(Code(p, m));
            const std::string point = Utf8(Point(p));
            for (int k = 0; k < n; ++k) {
                const qint64 seconds = static_cast<qint64>(k) * (27 * 86400 + 12 * 3600) / n;
                const char* state = StateOf(k);
                const qint64 no = InvoiceNumber(m, k);
                ins.Text(1, Utf8(start.addSecs(seconds).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))))
                    .Text(2, code)
                    .Text(3, Number(no))
                    .Text(25, kCorp)
                    .Text(26, kCorpAdd)
                    .Text(27, kCorpTel)
                    .Text(28, kCorpTaxID)
                    .Text(29, kCorpBank)
                    .Text(30, kCorpAccount)
                    .Text(31, kOperMan)
                    .Text(34, state)
                    .Text(38, point);
                if (state[0] == '0' || state[0] == '2') {
                    const bool negative = state[0] == '2';
                    const double price = (80000 + (k % 997) * 10.5) * (negative ? -1 : 1);
                    const double extra = negative ? -500 : 500;
                    ins.Text(4, "广州某某贸易有限公司" + std::to_string(k % 5000))
                        .Text(5, Fmt("44010119%02d%02d%06d", p, m, k))
                        .Text(6, k % 7 ? "轿车" : "客车")
                        .Text(7, Fmt("某牌SV%04d", 7000 + k % 40))
                        .Text(8, "广州")
                        .Text(9, Fmt("WAB%02d%02d%07d", p, m, k))
                        .Text(11, "")
                        .Text(12, Fmt("E%02d%02d%07d", p, m, k))
                        .Text(13, Fmt("LSVAB%02d%02d%08d", p, m, k))
                        .Text(14, "壹")
                        .Real(15, price)
                        .Text(16, Fmt("HT%02d%02d%06d", p, m, k))
                        .Text(17, "上牌")
                        .Real(20, extra)
                        .Real(21, 0)
                        .Real(22, 0)
                        .Text(23, "RMB捌万零伍佰圆整")
                        .Real(24, price + extra)
                        .Text(32, "王出纳")
                        .Text(33, "0")
                        .Text(35, negative ? code : "")
                        .Text(36, negative ? Number(no > 1 ? no - 1 : no) : "")
                        .Text(37, "某汽车制造厂");
                }
                ins.Run();
            }
        }
    }
}

void InsertRolls(TDb& db, int size, int& rolls)
{
    TInsert ins(
        db, "insert into fpkcxx(lyrq,fpdm,fphmq,fphmz,kczt,dqhm,lyr,lyfs,syfs,kpdName) values(?1,?2,?3,?4,?5,?6,?7,?8,?9,?10)");
    const auto roll = [&](const std::string& lyrq, const QString& code, qint64 first, qint64 last, const char* state,
                          qint64 current, int left, int p) {
        ins.Text(1, lyrq)
            .Text(2, Utf8(code))
            .Text(3, Number(first))
            .Text(4, Number(last))
            .Text(5, state)
            .Text(6, Number(current))
            .Text(7, "张三")
            .Int(8, last - first + 1)
            .Int(9, left)
            .Text(10, Utf8(Point(p)))
            .Run();
        ++rolls;
    };
    const int perPoint = size / 500;  // 20,000 rolls at 1,000,000
    const int fixed = 1 + 10 + 50;
    for (int p = 0; p < kPoints; ++p) {
        const QString pp = QString::asprintf("%02d", p);
        // The roll in use, received before everything else.
        roll("2025-02-01 09:00:00", QStringLiteral("14400190") + pp + QStringLiteral("99"), 1, kOpenRollNumbers, "101", 1,
             kOpenRollNumbers, p);
        // Used-up rolls holding each month's numbers, as many as make up the point's share.
        const int spread = perPoint - fixed;
        for (int m = 0; m < kListMonth; ++m) {
            const int n = InvoicesOf(size, p, m);
            const int r = spread / kListMonth + (m < spread % kListMonth ? 1 : 0);
            qint64 first = 1;
            for (int j = 0; j < r; ++j) {
                const qint64 last = first - 1 + n / r + (j < n % r ? 1 : 0);
                const QDate day = MonthStart(m).addDays(j * 27 / r);
                roll(Utf8(day.toString(QStringLiteral("yyyy-MM-dd"))) + " 08:30:00", Code(p, m), first, last, "101", last, 0, p);
                first = last + 1;
            }
        }
        // The statement month's 50 ranges: 25 received in January and opened, 25 received in February.
        for (int j = 0; j < 50; ++j) {
            const std::string lyrq = j < 25 ? std::string("2026-01-20 09:00:00") : Fmt("2026-02-%02d 13:28:19", 1 + j % 28);
            roll(lyrq, Code(p, kListMonth), j * 100 + 1, j * 100 + 100, "101", j * 100 + 21, 80, p);
        }
        // Spare rolls not opened yet.
        for (int j = 0; j < 10; ++j)
            roll("2026-01-28 09:00:00", QStringLiteral("14400190") + pp + QStringLiteral("98"), j * 100 + 1, j * 100 + 100, "000",
                 j * 100 + 1, 100, p);
    }
}

void InsertStock(TDb& db)
{
    TInsert ins(db, "insert into qmkc(ssrq,fs,qzhm,kpdName) values(?1,?2,?3,?4)");
    for (int p = 0; p < kPoints; ++p) {
        // Earlier months' opening stock with codes; the statement month's without.
        for (int m = 1; m <= kListMonth; ++m)
            for (int j = 0; j < 25; ++j) {
                const std::string range = Number(j * 100 + 1) + "-" + Number(j * 100 + 100);
                ins.Text(1, Utf8(MonthKey(m)))
                    .Int(2, 100)
                    .Text(3, m == kListMonth ? range : Utf8(Code(p, m - 1)) + ":" + range)
                    .Text(4, Utf8(Point(p)))
                    .Run();
            }
    }
}

void Generate(const QString& file, int size)
{
    if (!CreateSchemaDatabase(file))
        throw std::runtime_error("cannot create " + file.toStdString());
    TDb db(file);
    db.Exec("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA cache_size=-262144");
    // The indexes are built after the rows, as the schema defines them.
    std::vector<std::string> names, indexes;
    {
        sqlite3_stmt* q = nullptr;
        sqlite3_prepare_v2(db.Handle(), "select name, sql from sqlite_master where type='index' and sql is not null", -1, &q,
                           nullptr);
        while (sqlite3_step(q) == SQLITE_ROW) {
            names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(q, 0)));
            indexes.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(q, 1)));
        }
        sqlite3_finalize(q);
    }
    for (const std::string& name : names)
        db.Exec("drop index " + name);
    db.Exec("begin");
    db.Exec(
        "insert into baseinfo(corpName,corpAdd,CorpTel,corpTaxID,corpBank,corpAcount,ManageTaxID,OperMan,kpdName,flag) "
        "values('" +
        kCorp + "','" + kCorpAdd + "','" + kCorpTel + "','" + kCorpTaxID + "','" + kCorpBank + "','" + kCorpAccount +
        "','44010000','" + kOperMan + "','" + Utf8(kHead) + "','是')");
    db.Exec(
        "insert into CLLX(cllx) values('轿车'),('客车'),('货车');"
        "insert into SCCJ(cpxh,sccj,cd) values('某牌SV7000','某汽车制造厂','广州'),('B型','乙厂','上海')");
    InsertInvoices(db, size);
    int rolls = 0;
    InsertRolls(db, size, rolls);
    InsertStock(db);
    db.Exec("commit");
    for (const std::string& sql : indexes)
        db.Exec(sql);
}

QString CacheFolder()
{
    const QString env = qEnvironmentVariable("TALLYRA_SCALE_CACHE");
    return env.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/scale-data") : env;
}
}  // namespace

QString Point(int p) { return QStringLiteral("开票点%1").arg(p, 2, 10, QLatin1Char('0')); }

QString Code(int point, int monthIndex) { return QString::asprintf("14400190%02d%02d", point, monthIndex + 1); }

QString MonthKey(int monthIndex) { return MonthStart(monthIndex).toString(QStringLiteral("yyyy-MM")); }

int InvoicesOf(int size, int point, int monthIndex)
{
    if (monthIndex == kListMonth)
        return 1000;
    if (monthIndex == kBusyMonth)
        return point == 1 ? 20000 : 30000 / 9 + ((point == 0 ? 0 : point - 1) < 30000 % 9 ? 1 : 0);
    const bool big = size >= 1000000;
    if (big && point == 2 && monthIndex == kBigExportMonth)
        return 100000;
    // The rest, evenly over the other cells, the remainder to the first of them.
    const int cells = kPoints * (kMonths - 2) - (big ? 1 : 0);
    const int rest = size - 10000 - 50000 - (big ? 100000 : 0);
    int cell = monthIndex * kPoints + point;
    if (big && cell > kBigExportMonth * kPoints + 2)
        --cell;
    return rest / cells + (cell < rest % cells ? 1 : 0);
}

QString CachedDatabase(int size)
{
    QFile schema(QStringLiteral(TALLYRA_SCHEMA_FILE));
    if (!schema.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read the schema");
    const QString key =
        QString::fromLatin1(QCryptographicHash::hash(schema.readAll(), QCryptographicHash::Sha1).toHex().left(10));
    const QDir folder(CacheFolder());
    folder.mkpath(QStringLiteral("."));
    const QString name = QStringLiteral("scale-v%1-%2-%3.db").arg(kGeneratorVersion).arg(size).arg(key);
    const QString file = folder.filePath(name);
    if (QFile::exists(file))
        return file;
    // Files of another version or schema are of no more use.
    for (const QString& old : folder.entryList({QStringLiteral("scale-v*-%1-*").arg(size)}, QDir::Files))
        QFile::remove(folder.filePath(old));
    const QString part = file + QStringLiteral(".part");
    std::fprintf(stderr, "generating the %d-invoice database into %s ...\n", size, qPrintable(file));
    Generate(part, size);
    if (!QFile::rename(part, file))
        throw std::runtime_error("cannot rename " + part.toStdString());
    return file;
}
}  // namespace scale
