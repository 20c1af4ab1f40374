// The monthly receipt-use-stock statement as the clerk makes it: opened through the main
// window's action, answered through the dialog layer, the file read back and the stock it
// carries into the next month read from qmkc.
#include "QtPrinters.h"
#include "MainWindowTest.h"
#include "OpenpyxlReader.h"
#include "ReportTestData.h"
#include "core/Clock.h"
#include "core/Errors.h"
#include "core/Globals.h"
#include "core/PubFun.h"
#include "core/TADODB.h"
#include "core/TextCodec.h"
#include "invoices/TfrmYKJFPGL.h"
#include "printing/PrintInvoice.h"
#include "reports/StockStatement.h"
#include "reports/TfrmMKICData.h"
#include "reports/TfrmMKInvReport.h"
#include "workbook/TWorkbook.h"

#include <QDateEdit>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {
const QString kName = QStringLiteral("甲汽车销售有限公司2026年02月机动车销售统一发票领用存报表.xlsx");
const QString kK = QStringLiteral("144001900111");
const QString kK2 = QStringLiteral("144001900222");

QString Roll(const QString& point, const QString& code, int first, int last, const QString& day)
{
    return QStringLiteral(
               "insert into fpkcxx(lyrq,fpdm,fphmq,fphmz,kczt,dqhm,lyr,lyfs,syfs,kpdName) values('%1 13:28:19','%2',"
               "'%3','%4','101','%3','李四',%5,%5,%6);")
        .arg(day, code, QString::number(first).rightJustified(8, u'0'), QString::number(last).rightJustified(8, u'0'))
        .arg(last - first + 1)
        .arg(QuotedStr(point));
}
QString Stock(const QString& month, int fs, const QString& qzhm, const QString& point)
{
    return QStringLiteral("insert into qmkc(ssrq,fs,qzhm,kpdName) values('%1',%2,%3,%4);")
        .arg(month)
        .arg(fs)
        .arg(QuotedStr(qzhm), QuotedStr(point));
}
// Numbers first to last of code in state, issued at kprq.
QString Sales(const QString& point, const QString& code, int first, int last, const char* state,
              const QString& kprq = QStringLiteral("2026-02-10 10:00:00"))
{
    QString sql;
    for (int n = first; n <= last; ++n)
        sql += QStringLiteral("insert into SaleDetail(kprq,fpdm,fphm,fpzt,kpdName) values('%1','%2','%3','%4',%5);")
                   .arg(kprq, code, QString::number(n).rightJustified(8, u'0'), QString::fromLatin1(state), QuotedStr(point));
    return sql;
}
// The worked example: one opening range of 一部, used, handed back and voided in February.
QString WorkedExample()
{
    return Roll("一部", kK, 1, 100, "2026-01-10") + Stock("2026-02", 100, kK + ":00000001-00000100", "一部") +
           Sales("一部", kK, 1, 10, "0") + Sales("一部", kK, 12, 12, "0") + Sales("一部", kK, 15, 20, "0") +
           Sales("一部", kK, 11, 11, "3") + Sales("一部", kK, 13, 14, "1");
}
QString SecondPoint()
{
    return Roll("二部", kK2, 101, 150, "2026-02-03") + Sales("二部", kK2, 101, 101, "0") + Sales("二部", kK2, 102, 102, "2");
}

class StockStatement : public TMainWindowTest {
protected:
    void Start(const QString& sql)
    {
        InstallFontSubstitutions();
        StartMain(HeadCompanySql() + sql);
        Reopen();
    }
    void Reopen() { ASSERT_NE(w = Through<TfrmMKInvReport>(main->SCLYCBB), nullptr); }
    // "生成报表", replacing a statement of the month; the last box's text.
    QString Make()
    {
        if (QFileInfo::exists(w->ReportFile))
            dialogs.Answer(mbYes);
        w->btnMakeRep->click();
        return LastText();
    }
    QString File() const { return ReportFolder(folder) + kName; }
    QByteArray Bytes() const { return folder.ReadFile(QStringLiteral("报表/") + kName); }
    QStringList ReportFiles() const { return QDir(ReportFolder(folder)).entryList(QDir::Files | QDir::Hidden); }
    // Every row of qmkc.
    QStringList Carry() const
    {
        QStringList rows;
        QSqlQuery q = DataBase->Run(QStringLiteral("select ssrq,fs,qzhm,kpdName from qmkc order by ssrq,kpdName,qzhm"));
        while (q.next())
            rows << QStringLiteral("%1|%2|%3|%4")
                        .arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString());
        return rows;
    }
    // Row r of the statement, A to M, as our own reader reads it.
    static QString Row(const TWorkbook& book, int r)
    {
        QStringList cells;
        for (int c = 1; c <= 13; ++c)
            cells << book.Value(r, c).text;
        return cells.join(u'|');
    }
    TWorkbook Book() const
    {
        TWorkbook book;
        book.Open(File());
        return book;
    }
    // Every cell openpyxl finds with a value is one of expected (name -> value), and every one
    // of them is there; the template's cells outside rows 3 and 7 on count too.
    void ExpectWholeSheet(const QJsonObject& sheet, std::map<QString, QString> expected) const;

    TfrmMKInvReport* w = nullptr;
};

void StockStatement::ExpectWholeSheet(const QJsonObject& sheet, std::map<QString, QString> expected) const
{
    const QJsonObject heads = ReadWithOpenpyxl(folder.File(QStringLiteral("template/机动车销售统一发票领用存报表.xlsx")))
                                  .value(QStringLiteral("cells"))
                                  .toObject();
    for (auto it = heads.begin(); it != heads.end(); ++it)
        if (!it.value()[QStringLiteral("value")].isNull())
            expected.emplace(it.key(), it.value()[QStringLiteral("value")].toString());
    std::map<QString, QString> found;
    const QJsonObject cells = sheet.value(QStringLiteral("cells")).toObject();
    for (auto it = cells.begin(); it != cells.end(); ++it)
        if (!it.value()[QStringLiteral("value")].isNull())
            found.emplace(it.key(), it.value()[QStringLiteral("value")].toVariant().toString());
    EXPECT_EQ(found, expected);
}

// Rows of cells "A|B|...|M" from row first on, as a name -> value map.
std::map<QString, QString> CellsOf(int first, const QStringList& rows)
{
    std::map<QString, QString> cells;
    for (int i = 0; i < rows.size(); ++i) {
        const QStringList values = rows[i].split(u'|');
        for (int c = 0; c < values.size(); ++c)
            if (!values[c].isEmpty())
                cells.emplace(CellName(first + i, c + 1), values[c]);
    }
    return cells;
}

// Lines round every cell from A5 to M(lastRow); the heads' merged cells have none inside.
void ExpectFramed(const QJsonObject& sheet, int lastRow)
{
    for (int r = 5; r <= lastRow; ++r)
        for (int c = 1; c <= 13; ++c) {
            const QString sides = OpenpyxlCell(sheet, CellName(r, c))["borders"].toString();
            EXPECT_TRUE(r < 7 ? sides.contains(r == 5 ? u'T' : u'B') : sides == QStringLiteral("LRTB"))
                << CellName(r, c).toStdString();
        }
    EXPECT_EQ(OpenpyxlCell(sheet, CellName(lastRow + 1, 1))["borders"].toString(), QString());
    EXPECT_EQ(OpenpyxlCell(sheet, CellName(5, 14))["borders"].toString(), QString());
}

const QString kHeader = QStringLiteral("企业名称：甲汽车销售有限公司||||纳税人识别号：330100000000001|||||所属期限：2026年02月");
const QString kRow8 = QStringLiteral(
    "一部|100|00000001-00000100|||17|00000001-00000010|1|00000011-00000011|2|00000013-00000014|"
    "=SUM(B8+D8-F8-H8-J8)|00000021-00000100");
}  // namespace

TEST_F(StockStatement, TheWorkedExampleWholeSheetItsCarryAndTheSameAgain)
{
    Start(WorkedExample());
    EXPECT_TRUE(w->parentWidget()->isMaximized());

    const int mark = LogMark();
    EXPECT_EQ(Make(), QStringLiteral("成功生成") + kName);
    EXPECT_EQ(LogSince(mark), QStringList({QStringLiteral("成功生成") + File(), QStringLiteral("生成") + File()}));
    const QJsonObject sheet = ReadWithOpenpyxl(File());
    ASSERT_FALSE(sheet.isEmpty());
    ExpectWholeSheet(sheet, CellsOf(3, {kHeader, "", "", "",
                                        "合计|=SUM(B8:B11)|--|=SUM(D8:D11)|--|=SUM(F8:F11)|--|=SUM(H8:H11)|--|"
                                        "=SUM(J8:J11)|--|=SUM(L8:L11)|--",
                                        kRow8, "||||||00000012-00000012", "||||||00000015-00000020"}));
    const struct {
        const char* cell;
        const char* type;
        double cached;
    } typed[] = {{"B8", "n", 100}, {"F8", "n", 17}, {"H8", "n", 1}, {"J8", "n", 2}, {"L8", "f", 80}, {"B7", "f", 100},
                 {"D7", "f", 0},   {"F7", "f", 17}, {"H7", "f", 1}, {"J7", "f", 2}, {"L7", "f", 80}};
    for (const auto& t : typed) {
        const QJsonObject cell = OpenpyxlCell(sheet, QString::fromLatin1(t.cell));
        EXPECT_EQ(cell["type"].toString(), QString::fromLatin1(t.type)) << t.cell;
        EXPECT_EQ(cell["cached"].toDouble(-1), t.cached) << t.cell;
    }
    for (const char* text : {"A8", "C8", "G8", "I8", "K8", "M8", "G9", "C7"})
        EXPECT_EQ(OpenpyxlCell(sheet, QString::fromLatin1(text))["type"].toString(), QStringLiteral("s")) << text;
    ExpectFramed(sheet, 11);
    EXPECT_EQ(Carry(),
              QStringList({"2026-02|100|" + kK + ":00000001-00000100|一部", "2026-03|80|" + kK + ":00000021-00000100|一部"}));

    // Made again over it: the same sheet, the same single carry.
    const QByteArray first = Bytes();
    const QStringList carry = Carry();
    EXPECT_EQ(Make(), QStringLiteral("成功生成") + kName);
    EXPECT_EQ(Bytes(), first);
    EXPECT_EQ(Carry(), carry);
    EXPECT_EQ(ReportFiles(), QStringList{kName});
    EXPECT_EQ(dialogs.Unanswered(), 0);
}

TEST_F(StockStatement, ASecondPointStartsBelowTheDeepestGroupOfTheFirst)
{
    Start(WorkedExample() + SecondPoint());
    EXPECT_EQ(Make(), QStringLiteral("成功生成") + kName);
    const QJsonObject sheet = ReadWithOpenpyxl(File());
    ExpectWholeSheet(
        sheet,
        CellsOf(3, {kHeader, "", "", "",
                    "合计|=SUM(B8:B11)|--|=SUM(D8:D12)|--|=SUM(F8:F12)|--|=SUM(H8:H12)|--|"
                    "=SUM(J8:J12)|--|=SUM(L8:L12)|--",
                    kRow8, "||||||00000012-00000012", "||||||00000015-00000020",
                    "二部|||50|00000101-00000150|2|00000101-00000102|0|-|0|-|=SUM(B11+D11-F11-H11-J11)|00000103-00000150"}));
    EXPECT_EQ(OpenpyxlCell(sheet, "L11")["cached"].toDouble(), 48);
    EXPECT_EQ(OpenpyxlCell(sheet, "L7")["cached"].toDouble(), 128);
    EXPECT_EQ(OpenpyxlCell(sheet, "D11")["type"].toString(), QStringLiteral("n"));
    ExpectFramed(sheet, 12);
    EXPECT_EQ(Carry().mid(1),
              QStringList({"2026-03|80|" + kK + ":00000021-00000100|一部", "2026-03|48|" + kK2 + ":00000103-00000150|二部"}));
}

TEST(StockRuns, FoldIntoStretchesWithoutGapsKeepingTheStoredNumbers)
{
    EXPECT_EQ(FoldRuns({}), QStringList{"-"});
    EXPECT_EQ(FoldRuns({"0000000x"}), QStringList{"0000000x-0000000x"});  // one number is never converted
    EXPECT_EQ(FoldRuns({"00000009", "00000010", "00000010", "00000012", "00000099", "00000100"}),
              QStringList({"00000009-00000010", "00000012-00000012", "00000099-00000100"}));
    EXPECT_THROW(FoldRuns({"00000001", "0000000x"}), EConvertError);
    EXPECT_THROW(FoldRuns({"00000001", "+0000002"}), EConvertError);
}

TEST_F(StockStatement, EachWayARangeClosesWhatItCarriesAndPointsWithoutRangesTakeNoRow)
{
    Start(Stock("2026-02", 10, "K:00000001-00000010", "P1") + Sales("P1", "K", 1, 10, "0") +  // used up
          Roll("P2", "K2", 1, 5, "2026-02-05") + Sales("P2", "K2", 1, 5, "0") +               // a roll used up
          Roll("P2", "K2", 6, 10, "2026-02-06") +                                             // untouched
          Stock("2026-02", 20, "00000001-00000020", "P3") + Sales("P3", "X", 5, 5, "0") + Sales("P3", "Y", 6, 6, "2") +
          Stock("2026-02", 10, "K:00000001-00000010", "P4") + Sales("P4", "K", 10, 10, "1") +  // its last number voided
          Stock("2026-02", 10, "K:99999990-99999999", "P5") + Sales("P5", "K", 99999999, 99999999, "0") +
          Stock("2026-02", 5, "K:00000001-00000010", "P6") + Sales("P6", "K", 1, 7, "0") +  // more used than held
          Roll("P1", "K", 1, 10, "2026-01-20") + Roll("P3", "X", 1, 20, "2026-01-20") + Roll("P4", "K", 1, 10, "2026-01-20") +
          Roll("P5", "K", 99999990, 99999999, "2026-01-20") + Roll("P6", "K", 1, 10, "2026-01-20") +
          Roll("P0", "K", 11, 20, "2026-01-31") + Roll("P9", "K", 11, 20, "2026-03-01"));  // points without a range
    EXPECT_EQ(Make(), QStringLiteral("成功生成") + kName);
    const TWorkbook book = Book();
    const QStringList rows = {"P1|10|00000001-00000010|||10|00000001-00000010|0|-|0|-|0|",
                              "P2|||5|00000001-00000005|5|00000001-00000005|0|-|0|-|0|-",
                              "|||5|00000006-00000010|0|-|0|-|0|-|5|00000006-00000010",
                              "P3|20|00000001-00000020|||2|00000005-00000006|0|-|0|-|18|00000007-00000020",
                              "P4|10|00000001-00000010|||0|-|0|-|1|00000010-00000010|9|-",
                              "P5|10|99999990-99999999|||1|99999999-99999999|0|-|0|-|9|-",
                              "P6|5|00000001-00000010|||7|00000001-00000007|0|-|0|-|-2|",
                              "||||||||||||"};
    for (int i = 0; i < rows.size(); ++i)
        EXPECT_EQ(Row(book, 8 + i), rows[i]) << 8 + i;
    EXPECT_EQ(Row(book, 7), QStringLiteral("合计|55|--|10|--|25|--|0|--|1|--|39|--"));
    EXPECT_EQ(book.Formula(7, 2), QStringLiteral("=SUM(B8:B15)"));
    EXPECT_TRUE(book.Content().looks[static_cast<size_t>(book.Content().cells.back().look)].bottom);
    EXPECT_EQ(book.Content().rows, 15);
    EXPECT_EQ(Carry().filter("2026-03"), QStringList({"2026-03|5|K2:00000006-00000010|P2", "2026-03|18|:00000007-00000020|P3"}));
}

TEST_F(StockStatement, WithoutRollsOnlyTheTotalRowIsFramedToRow8)
{
    Start(QString());
    EXPECT_EQ(Make(), QStringLiteral("成功生成") + kName);
    QJsonObject sheet = ReadWithOpenpyxl(File());
    ExpectWholeSheet(sheet, CellsOf(3, {kHeader, "", "", "",
                                        "合计|=SUM(B8:B8)|--|=SUM(D8:D8)|--|=SUM(F8:F8)|--|=SUM(H8:H8)|--|"
                                        "=SUM(J8:J8)|--|=SUM(L8:L8)|--"}));
    ExpectFramed(sheet, 8);
}

TEST_F(StockStatement, OnlyTheReportMonthCountsToTheSecond)
{
    Start(Stock("2026-02", 100, kK + ":00000001-00000100", "一部") + Stock("2026-01", 9, kK + ":00000001-00000009", "一部") +
          Roll("一部", kK, 1, 100, "2026-01-31") + Roll("一部", kK2, 1, 10, "2026-02-01") +
          Roll("一部", kK2, 11, 20, "2026-03-01") + Sales("一部", kK, 1, 1, "0", "2026-02-01 00:00:00") +
          Sales("一部", kK, 2, 2, "3", "2026-02-28 23:59:59") + Sales("一部", kK, 3, 3, "0", "2026-01-31 23:59:59") +
          Sales("一部", kK, 4, 4, "1", "2026-03-01 00:00:00"));
    EXPECT_EQ(Make(), QStringLiteral("成功生成") + kName);
    const TWorkbook book = Book();
    EXPECT_EQ(Row(book, 8), "一部|100|00000001-00000100|||1|00000001-00000001|1|00000002-00000002|0|-|98|00000003-00000100");
    EXPECT_EQ(Row(book, 9), "|||10|00000001-00000010|0|-|0|-|0|-|10|00000001-00000010");
    EXPECT_EQ(Row(book, 10), "||||||||||||");
}

TEST_F(StockStatement, StockCarriesFromMonthToMonthAndOverTheYearsEnd)
{
    Start(WorkedExample() + Sales("一部", kK, 21, 30, "0", "2026-03-10 10:00:00") +
          Stock("2026-12", 40, kK2 + ":00000061-00000100", "二部") + Roll("二部", kK2, 1, 100, "2026-10-01") +
          Sales("二部", kK2, 61, 65, "0", "2026-12-31 23:59:59"));
    ASSERT_EQ(Make(), QStringLiteral("成功生成") + kName);
    SetClock([] { return QDateTime(QDate(2026, 4, 2), QTime(9, 0)); });
    Reopen();
    EXPECT_EQ(w->ReportMonth, QStringLiteral("2026-03"));
    ASSERT_EQ(Make(), QStringLiteral("成功生成") + w->edtRepName->text());
    SetClock([] { return QDateTime(QDate(2027, 1, 4), QTime(9, 0)); });
    Reopen();
    ASSERT_EQ(Make(), QStringLiteral("成功生成") + w->edtRepName->text());
    TWorkbook december;
    december.Open(w->ReportFile);
    EXPECT_EQ(december.Value(3, 10).text, QStringLiteral("所属期限：2026年12月"));
    EXPECT_EQ(Carry().mid(1),
              QStringList({"2026-03|80|" + kK + ":00000021-00000100|一部", "2026-04|70|" + kK + ":00000031-00000100|一部",
                           "2026-12|40|" + kK2 + ":00000061-00000100|二部", "2027-01|35|" + kK2 + ":00000066-00000100|二部"}));
}

TEST_F(StockStatement, TheCarryGoesUnderTheMonthAfterTheReportMonthWhenMadeAfterMidnight)
{
    SetClock([] { return QDateTime(QDate(2026, 3, 31), QTime(23, 59, 59)); });
    Start(WorkedExample());
    SetClock([] { return QDateTime(QDate(2026, 4, 1), QTime(0, 0, 1)); });
    ASSERT_EQ(Make(), QStringLiteral("成功生成") + kName);
    EXPECT_EQ(Carry().mid(1), QStringList{"2026-03|80|" + kK + ":00000021-00000100|一部"});
}

TEST_F(StockStatement, AFailedMakeChangesNothingAndTheNextEqualsOneOnAnUntouchedDatabase)
{
    const QString data = WorkedExample() + SecondPoint() + Roll("三部", "144001900333", 201, 250, "2026-02-04") +
                         Sales("三部", "144001900333", 201, 201, "0");
    Start(data);
    ASSERT_EQ(Make(), QStringLiteral("成功生成") + kName);
    const QByteArray untouched = Bytes();
    const QStringList untouchedCarry = Carry();
    const QString temporary = ReportFolder(folder) + u'.' + kName + QStringLiteral(".tmp");
    const struct {
        const char* what;
        std::function<void()> breakIt, mendIt;
    } faults[] = {
        {"the third carry row refused",
         [] {
             DataBase->Run("create table n(i)");
             DataBase->Run("insert into n values(0)");
             DataBase->Run(
                 "create trigger third before insert on qmkc begin update n set i=i+1; "
                 "select raise(abort,'third row refused') where (select i from n)=3; end");
         },
         [] { DataBase->Run("drop trigger third"); }},
        {"the delete refused",
         [] { DataBase->Run("create trigger keep before delete on qmkc begin select raise(abort,'kept'); end"); },
         [] { DataBase->Run("drop trigger keep"); }},
        {"the rolls unreadable", [] { DataBase->Run("alter table fpkcxx rename column dqhm to dqhm2"); },
         [] { DataBase->Run("alter table fpkcxx rename column dqhm2 to dqhm"); }},
        {"a bad number in the last point", [&] { folder.Sql(Sales("二部", kK2, 103, 103, "0").replace("00000103", "0000010a")); },
         [&] { folder.Sql("delete from SaleDetail where fphm='0000010a';"); }},
        {"the save failing", [&] { QDir().mkpath(temporary + "/x"); }, [&] { QDir(temporary).removeRecursively(); }},
        {"the commit failing", [] { DataBase->SetBeforeCommitHook([] { throw EDatabaseError("commit refused"); }); },
         [] { DataBase->SetBeforeCommitHook({}); }},
    };
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.what);
        // An earlier statement and an earlier carry of this month, which a failure must keep.
        DataBase->Run("delete from qmkc where ssrq='2026-03'");
        DataBase->Run("insert into qmkc values('2026-03',7,'K:00000094-00000100','一部')");
        folder.WriteFile(QStringLiteral("报表/") + kName, "earlier statement");
        const QStringList before = Carry();
        fault.breakIt();
        const int mark = LogMark();
        dialogs.Clear();
        Make();
        ASSERT_EQ(dialogs.Shown().size(), 2u);
        const TShownBox& box = dialogs.Shown().back();
        EXPECT_EQ(box.kind, TMsgKind::Warning);
        EXPECT_TRUE(box.text.startsWith(QStringLiteral("生成报表失败："))) << box.text.toStdString();
        EXPECT_EQ(LogSince(mark), QStringList({QStringLiteral("重新生成报表:") + File(), box.text + u' ' + File()}));
        EXPECT_EQ(Carry(), before);
        EXPECT_EQ(Bytes(), QByteArray("earlier statement"));
        EXPECT_EQ(ReportFiles(), QStringList{kName});
        fault.mendIt();
        ASSERT_EQ(Make(), QStringLiteral("成功生成") + kName);
        EXPECT_EQ(Bytes(), untouched);
        EXPECT_EQ(Carry(), untouchedCarry);
    }
}

TEST_F(StockStatement, AFailedRenameIsReportedAndARepeatStoresTheSameCarry)
{
    Start(WorkedExample());
    ASSERT_TRUE(QDir().mkpath(File() + "/in the way"));
    EXPECT_TRUE(Make().startsWith(QStringLiteral("生成报表失败：无法替换文件：")));
    const QStringList carry = Carry();
    EXPECT_EQ(carry.size(), 2);
    EXPECT_TRUE(ReportFiles().isEmpty());
    QDir(File()).removeRecursively();
    EXPECT_EQ(Make(), QStringLiteral("成功生成") + kName);
    EXPECT_EQ(Carry(), carry);
}

TEST_F(StockStatement, BadStockAndNamesThatAreNotPlainFailOrStayTheirOwn)
{
    Start(Roll("O'Neil", kK, 1, 10, "2026-02-01") + Roll("\"q\"", kK2, 1, 10, "2026-02-01") + Sales("O", kK, 1, 5, "0") +
          Sales("O'Neil", kK, 1, 1, "0") + Stock("2026-03", 3, "Z:00000001-00000003", "O"));
    EXPECT_EQ(Make(), QStringLiteral("成功生成") + kName);
    const TWorkbook book = Book();
    EXPECT_EQ(Row(book, 8), "\"q\"|||10|00000001-00000010|0|-|0|-|0|-|10|00000001-00000010");
    EXPECT_EQ(Row(book, 9), "O'Neil|||10|00000001-00000010|1|00000001-00000001|0|-|0|-|9|00000002-00000010");
    EXPECT_EQ(Carry(), QStringList({"2026-03|10|" + kK2 + ":00000001-00000010|\"q\"", "2026-03|3|Z:00000001-00000003|O",
                                    "2026-03|9|" + kK + ":00000002-00000010|O'Neil"}));

    // An opening range without its "-": named, nothing stored, the statement kept.
    folder.Sql(Stock("2026-02", 5, "K:00000001", "O'Neil"));
    const QStringList carry = Carry();
    const QByteArray bytes = Bytes();
    EXPECT_EQ(Make(), QStringLiteral("生成报表失败：期初库存“K:00000001”没有起止号码（O'Neil，2026-02）"));
    EXPECT_EQ(Carry(), carry);
    EXPECT_EQ(Bytes(), bytes);
}

// Invoices a second connection stores while the program runs are in the next declaration, list
// and statement made in the same run.
TEST_F(StockStatement, InvoicesStoredBesideTheProgramAreInTheNextDeclarationListAndStatement)
{
    InstallFontSubstitutions();
    StartMain(HeadCompanySql() + Roll("一店", kK, 1, 100, "2026-01-10") +
              Stock("2026-02", 100, kK + ":00000001-00000100", "一店") +
              SaleSql(QStringLiteral("2026-02-10 10:00:00"), kK, QStringLiteral("00000001"), QStringLiteral("0")));
    const auto store = [this](const char* number) {
        folder.Sql(SaleSql(QStringLiteral("2026-02-11 10:00:00"), kK, QString::fromLatin1(number), QStringLiteral("0")));
    };
    const auto declared = [this] {
        auto* declaration = Through<TfrmMKICData>(main->ImportICData);
        if (QFileInfo::exists(declaration->edtFName->text()))
            dialogs.Answer(mbYes);
        declaration->btnExport->click();
        QStringList numbers;
        const QString text = FromGbk(FileBytes(declaration->edtFName->text())).value_or(QString());
        for (const QString& part : text.split(QStringLiteral("<JDC_QYJDCXSFPB_FPHM>")).mid(1))
            numbers << part.left(8);
        return numbers;
    };
    const auto listed = [this] {
        auto* list = Through<TfrmYKJFPGL>(main->YKFPGL);
        list->dtpStart->setDate(QDate(2026, 2, 1));
        list->btnQry->click();
        return list->dsSale->rowCount();
    };
    const auto used = [this] {
        Reopen();
        Make();
        return Row(Book(), 8).section(u'|', 5, 6);
    };

    store("00000002");  // the main window is up
    EXPECT_EQ(declared(), (QStringList{"00000001", "00000002"}));
    EXPECT_EQ(listed(), 2);
    EXPECT_EQ(used(), QStringLiteral("2|00000001-00000002"));
    store("00000003");
    EXPECT_EQ(listed(), 3);
    EXPECT_EQ(used(), QStringLiteral("3|00000001-00000003"));
    EXPECT_EQ(declared(), (QStringList{"00000001", "00000002", "00000003"}));
    EXPECT_EQ(dialogs.Unanswered(), 0);
}
