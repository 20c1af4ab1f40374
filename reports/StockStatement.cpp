#include "StockStatement.h"

#include "core/Errors.h"
#include "core/Globals.h"
#include "core/PubFun.h"
#include "core/TADODB.h"
#include "core/TextCodec.h"
#include "core/WholeFile.h"
#include "workbook/TWorkbook.h"

#include <QDate>
#include <algorithm>

namespace {
constexpr int kFirstRow = 8;
constexpr int kTotalRow = 7;
constexpr int kPointColumn = 1;
constexpr int kLastColumn = 13;  // M

int CountColumn(int group) { return 2 + 2 * group; }
int NumbersColumn(int group) { return 3 + 2 * group; }

// The movements of a range's numbers in the month, by invoice state.
struct TMovement {
    TStockGroup group;
    const char* states;
};
const TMovement kMovements[] = {
    {sgUsed, "(fpzt='0' or fpzt='2')"}, {sgHandedBack, "fpzt='3'"}, {sgVoidedOrLost, "(fpzt='1' or fpzt='4')"}};

QString MonthAfter(const QString& month)
{
    return QDate::fromString(month + QStringLiteral("-01"), QStringLiteral("yyyy-MM-dd"))
        .addMonths(1)
        .toString(QStringLiteral("yyyy-MM"));
}

// A failed statement is never taken for one without rows.
TRows Select(const QString& statement, const TParams& params)
{
    TRows rows;
    if (DataBase->OpenSQL(statement, rows, params) < 0)
        throw EDatabaseError(DataBase->LastErrorText());
    return rows;
}

// A stored whole number; Null counts 0.
qint64 WholeNumber(const QVariant& v, const QString& what)
{
    if (v.isNull())
        return 0;
    bool ok = false;
    const qint64 n = v.typeId() == QMetaType::QString ? (IsDigits(v.toString()) ? v.toLongLong(&ok) : 0) : v.toLongLong(&ok);
    if (!ok || (v.typeId() == QMetaType::Double && v.toDouble() != static_cast<double>(n)))
        throw EConvertError(what + QStringLiteral("不是整数：") + v.toString());
    return n;
}

qint64 InvoiceNumberValue(const QString& number)
{
    try {
        return StrictToInt(number);
    } catch (const EConvertError&) {
        throw EConvertError(QStringLiteral("发票号码不是整数：") + number);
    }
}

// number > last as integers, whatever their widths.
bool Beyond(const QString& number, const QString& last)
{
    for (const QString& n : {number, last})
        if (!IsDigits(n))
            throw EConvertError(QStringLiteral("发票号码不是整数：") + n);
    const auto strip = [](const QString& s) {
        qsizetype zeros = 0;
        while (zeros + 1 < s.size() && s[zeros] == u'0')
            ++zeros;
        return s.mid(zeros);
    };
    const QString a = strip(number), b = strip(last);
    return a.size() != b.size() ? a.size() > b.size() : a > b;
}

// The closing copies the workbook computed: an integer, below zero too.
int ClosingCount(const TCellValue& value, int row)
{
    const QString& t = value.text;
    const bool negative = t.startsWith(u'-');
    try {
        const int n = StrictToInt(negative ? t.mid(1) : t);
        return negative ? -n : n;
    } catch (const EConvertError&) {
        throw EConvertError(QStringLiteral("%1的期末份数不是整数：%2").arg(CellName(row, CountColumn(sgClosing)), t));
    }
}

struct TRange {
    QString code;  // may be empty for an opening range
    QString first;
    QString last;
    bool opening = false;
};

// One point's blocks of rows and its closing stock.
class TStatementFill {
public:
    TStatementFill(TWorkbook& book, const QString& month) : m_book(book), m_month(month), m_current(MonthAfter(month))
    {
        m_start.fill(kFirstRow);
        m_next.fill(kFirstRow);
    }
    void Point(const QString& point);
    const TRowCounters& NextRow() const { return m_next; }

private:
    // Every block starts on the row below the deepest group of the one before.
    void Align()
    {
        const int row = MaxOfArray(m_next);
        m_start.fill(row);
        m_next.fill(row);
    }
    void StartBlock();
    void Opening(const std::vector<QVariant>& row);
    void Roll(const std::vector<QVariant>& row);
    void Movements(const TRange& range);
    void Closing(const TRange& range);
    TParams Params(const TRange& range, bool code) const;
    // The next line of a group's numbers column.
    void Put(int group, const QString& text) { m_book.SetText(m_next[group]++, NumbersColumn(group), text); }

    TWorkbook& m_book;
    const QString m_month;
    const QString m_current;  // the month whose opening stock is stored
    QString m_point;
    bool m_named = false;
    TRowCounters m_start{};
    TRowCounters m_next{};
};

void TStatementFill::Point(const QString& point)
{
    m_point = point;
    m_named = false;
    Align();
    const TParams params{{QStringLiteral("month"), m_month}, {QStringLiteral("point"), point}};
    if (DataBase->ExecSQL(QStringLiteral("delete from qmkc where ssrq=:current and kpdName=:point"),
                          {{QStringLiteral("current"), m_current}, {QStringLiteral("point"), point}}) < 0)
        throw EDatabaseError(DataBase->LastErrorText());
    for (const auto& row :
         Select(QStringLiteral("select qzhm,fs from qmkc where ssrq=:month and kpdName=:point order by ssrq,qzhm"), params))
        Opening(row);
    Align();
    for (const auto& row : Select(QStringLiteral("select fphmq,fphmz,dqhm,fpdm from fpkcxx where substr(lyrq,1,7)=:month and "
                                                 "kpdName=:point order by lyrq,fpdm,fphmq,fphmz"),
                                  params))
        Roll(row);
}

void TStatementFill::StartBlock()
{
    Align();
    // A point without ranges takes no row.
    if (!m_named) {
        m_book.SetText(m_start[sgOpening], kPointColumn, m_point);
        m_named = true;
    }
}

void TStatementFill::Opening(const std::vector<QVariant>& row)
{
    const QString qzhm = row[0].toString();
    const auto bad = [&](const QString& why) {
        return EConvertError(QStringLiteral("期初库存“%1”%2（%3，%4）").arg(qzhm, why, m_point, m_month));
    };
    // "code:first-last"; without ":" there is no code.
    TRange range;
    range.opening = true;
    const qsizetype colon = qzhm.indexOf(u':');
    const QString numbers = colon < 0 ? qzhm : qzhm.mid(colon + 1);
    if (colon >= 0)
        range.code = qzhm.left(colon);
    const qsizetype dash = numbers.indexOf(u'-');
    if (dash < 0)
        throw bad(QStringLiteral("没有起止号码"));
    range.first = numbers.left(dash);
    range.last = numbers.mid(dash + 1);
    if (row[1].isNull())
        throw bad(QStringLiteral("没有份数"));

    StartBlock();
    m_book.SetNumber(m_next[sgOpening], CountColumn(sgOpening),
                     static_cast<double>(WholeNumber(row[1], QStringLiteral("期初份数"))));
    Put(sgOpening, range.first + u'-' + range.last);
    Movements(range);
    Closing(range);
}

void TStatementFill::Roll(const std::vector<QVariant>& row)
{
    const TRange range{row[3].toString(), row[0].toString(), row[1].toString()};
    StartBlock();
    Put(sgReceived, range.first + u'-' + range.last);
    const QVariant received = DataBase->Scalar(
        QStringLiteral("select sum(lyfs) from fpkcxx where substr(lyrq,1,7)=:month and kpdName=:point and fphmq>=:first and "
                       "fphmz<=:last and fpdm=:code"),
        Params(range, true));
    m_book.SetNumber(m_start[sgReceived], CountColumn(sgReceived),
                     static_cast<double>(WholeNumber(received, QStringLiteral("领用份数"))));
    Movements(range);
    Closing(range);
}

TParams TStatementFill::Params(const TRange& range, bool code) const
{
    TParams p{{QStringLiteral("month"), m_month},
              {QStringLiteral("point"), m_point},
              {QStringLiteral("first"), range.first},
              {QStringLiteral("last"), range.last}};
    if (code)
        p.insert(QStringLiteral("code"), TextParam(range.code));
    return p;
}

void TStatementFill::Movements(const TRange& range)
{
    const bool code = !range.code.isEmpty();
    const TParams params = Params(range, code);
    for (const TMovement& m : kMovements) {
        const QString where = QStringLiteral(
                                  " from SaleDetail where %1 and substr(kprq,1,7)=:month and kpdName=:point%2 and "
                                  "fphm>=:first and fphm<=:last")
                                  .arg(QLatin1String(m.states), code ? QStringLiteral(" and fpdm=:code") : QString());
        QStringList numbers;
        for (const auto& row : Select(QStringLiteral("select fphm") + where + QStringLiteral(" order by fphm"), params))
            numbers << row[0].toString();
        // The count of the same rows.
        m_book.SetNumber(m_start[m.group], CountColumn(m.group), static_cast<double>(numbers.size()));
        for (const QString& run : FoldRuns(numbers))
            Put(m.group, run);
    }
}

void TStatementFill::Closing(const TRange& range)
{
    const int row = m_start[sgClosing];
    const QString r = QString::number(row);
    m_book.SetFormula(row, CountColumn(sgClosing), QStringLiteral("=SUM(B%1+D%1-F%1-H%1-J%1)").arg(r));
    const int n = ClosingCount(m_book.Value(row, CountColumn(sgClosing)), row);
    if (n <= 0) {
        // Used up: a roll says so in its first row, without taking the line.
        if (!range.opening)
            m_book.SetText(m_next[sgClosing], NumbersColumn(sgClosing), QStringLiteral("-"));
        return;
    }
    const bool code = !range.code.isEmpty();
    // The largest number of the range touched in the month, in any state.
    const QVariant largest = DataBase->Scalar(QStringLiteral("select max(fphm) from SaleDetail where substr(kprq,1,7)=:month and "
                                                             "kpdName=:point and fphm>=:first%1 and fphm<=:last")
                                                  .arg(code ? QStringLiteral(" and fpdm=:code") : QString()),
                                              Params(range, code));
    QString from = range.first;
    if (!largest.isNull()) {
        from = IncInvoiceNo(largest.toString(), 1);
        if (Beyond(from, range.last)) {
            Put(sgClosing, QStringLiteral("-"));
            return;
        }
    }
    Put(sgClosing, from + u'-' + range.last);
    SaveClosingStock(m_current, range.code + u':' + from + u'-' + range.last, m_point, n);
}
}  // namespace

QString StockStatementFileName(const QString& corpName, const QString& month)
{
    return corpName + MonthTitle(month) + QStringLiteral("机动车销售统一发票领用存报表.xlsx");
}

QString StockStatementTemplate() { return AppPath + QStringLiteral("template/机动车销售统一发票领用存报表.xlsx"); }

int MaxOfArray(const TRowCounters& values) { return *std::max_element(values.begin(), values.end()); }

QStringList FoldRuns(const QStringList& numbers)
{
    if (numbers.isEmpty())
        return {QStringLiteral("-")};
    if (numbers.size() == 1)
        return {numbers[0] + u'-' + numbers[0]};
    std::vector<qint64> values;
    values.reserve(numbers.size());
    for (const QString& n : numbers)
        values.push_back(InvoiceNumberValue(n));
    QStringList runs;
    qsizetype start = 0;
    for (qsizetype i = 0; i < numbers.size(); ++i)
        if (i + 1 == numbers.size() || values[i + 1] - values[i] > 1) {
            runs << numbers[start] + u'-' + numbers[i];
            start = i + 1;
        }
    return runs;
}

void SaveClosingStock(const QString& ssrq, const QString& qzhm, const QString& kpdName, int fs)
{
    const int inserted =
        DataBase->ExecSQL(QStringLiteral("insert into qmkc(ssrq,fs,qzhm,kpdName) values(:ssrq,:fs,:qzhm,:kpdName)"),
                          {{QStringLiteral("ssrq"), ssrq},
                           {QStringLiteral("fs"), fs},
                           {QStringLiteral("qzhm"), qzhm},
                           {QStringLiteral("kpdName"), kpdName}});
    if (inserted != 1)
        throw EDatabaseError(QStringLiteral("保存上期期末库存失败!"));
}

void FillStockStatement(TWorkbook& book, const QString& month)
{
    if (!DataBase)
        throw EDatabaseError(QStringLiteral("数据库未连接"));
    book.SetText(3, 1, QStringLiteral("企业名称：") + CorpInfo.corpName);
    book.SetText(3, 5, QStringLiteral("纳税人识别号：") + CorpInfo.corpTaxID);
    book.SetText(3, 10, QStringLiteral("所属期限：") + MonthTitle(month));
    book.SetText(kTotalRow, kPointColumn, QStringLiteral("合计"));

    TStatementFill fill(book, month);
    for (const auto& row : Select(QStringLiteral("select distinct kpdName from fpkcxx order by kpdName"), {}))
        fill.Point(row[0].toString());

    const TRowCounters& next = fill.NextRow();
    for (int g = 0; g < kStockGroups; ++g) {
        const QString column = ColumnName(CountColumn(g));
        book.SetFormula(kTotalRow, CountColumn(g), QStringLiteral("=SUM(%1%2:%1%3)").arg(column).arg(kFirstRow).arg(next[g]));
        book.SetText(kTotalRow, NumbersColumn(g), QStringLiteral("--"));
    }
    book.SetBorders(5, 1, MaxOfArray(next), kLastColumn);
}

void MakeStockStatement(const QString& folder, const QString& name, const QString& month)
{
    const QString file = ReportPath(folder, name);
    TWorkbook book;
    book.Open(StockStatementTemplate());
    if (!DataBase)
        throw EDatabaseError(QStringLiteral("数据库未连接"));
    TWholeFile out(file);
    // The statement is on disk before the stock is committed, and replaces the earlier one after.
    DataBase->RunInTransaction([&] {
        FillStockStatement(book, month);
        book.Write(out.Device(), file);
        out.Flush();
    });
    out.Commit();
}
