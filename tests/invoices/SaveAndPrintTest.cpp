#include "IssuingTestData.h"
#include "ProgramFolder.h"
#include "ScriptedDialogs.h"
#include "core/Clock.h"
#include "core/Common.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "invoices/TframeInput.h"
#include "printing/PrintInvoice.h"
#include "printing/TPrintTemplate.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSqlQuery>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>

namespace {
class SaveAndPrintTest : public ::testing::Test {
public:
    void SetUp() override { Start(QStringLiteral("总部")); }
    void Start(const QString& point)
    {
        SeedIssuing(folder, point);
        UseDefaultTemplate(folder);
        context = std::make_unique<TTestContext>(folder);
        ASSERT_TRUE(PrintTpl && PrintTpl->Count() > 0) << "the default template did not load";
        pdf = folder.File(QStringLiteral("invoice.pdf"));
        PrintInto(pdf);
        frame = std::make_unique<TframeInput>();
        ASSERT_TRUE(frame->InitInvoice());
        FillValidInvoice(*frame);
        dialogs.Clear();
    }
    void TearDown() override
    {
        EXPECT_TRUE(ConnectionIdle(folder)) << "at the end of the test";
        if (DataBase)
            DataBase->SetBeforeCommitHook({});
        frame.reset();
        context.reset();
    }
    // The clerk types the number shown into the paper-number box.
    bool Issue(const QString& kind = QStringLiteral("0"))
    {
        dialogs.AnswerInput(frame->stFPHM->text());
        return frame->SaveAndPrint(kind);
    }
    QString Roll() { return DbValue(QStringLiteral("select dqhm||'/'||syfs||'/'||kczt from fpkcxx order by lyrq")).toString(); }
    int Rows() { return DbCount(QStringLiteral("select count(*) from SaleDetail")); }
    QString PrintValue(const char* name)
    {
        const int i = PrintTpl->IndexOfName(QString::fromLatin1(name));
        EXPECT_GE(i, 0) << name;
        return i < 0 ? QString() : PrintTpl->GetItem(i).Value.toString();
    }
    bool PrintNull(const char* name)
    {
        return PrintTpl->GetItem(PrintTpl->IndexOfName(QString::fromLatin1(name))).Value.isNull();
    }
    void PrintIntoMissingFolder() { PrintInto(folder.File(QStringLiteral("missing/invoice.pdf"))); }
    void PrintIntoPdf() { PrintInto(pdf); }
    // Nothing stored, nothing advanced, the same number offered again.
    void ExpectNothingIssued()
    {
        EXPECT_EQ(Rows(), 0);
        EXPECT_EQ(Roll(), QStringLiteral("00001001/50/101"));
        EXPECT_FALSE(DataBase->InTransaction());
        ASSERT_TRUE(frame->InitInvoice());
        EXPECT_EQ(frame->stFPHM->text(), QStringLiteral("00001001"));
    }

    TTestProgramFolder folder;
    std::unique_ptr<TTestContext> context;
    TScriptedDialogs dialogs;
    std::unique_ptr<TframeInput> frame;
    QString pdf;
};

TEST_F(SaveAndPrintTest, StoresAdvancesAndPrintsOneInvoice)
{
    frame->edtJWFY1->setText(QStringLiteral("上牌费用"));
    frame->edtJWJE1->setText(QStringLiteral("100.50"));
    const QPoint page = GetPrinterPageSize();  // as the printer stands before this job
    ASSERT_TRUE(Issue());

    ASSERT_EQ(dialogs.Shown().size(), 2u);
    const TShownBox& ask = dialogs.Shown().at(0);
    EXPECT_TRUE(ask.input);
    EXPECT_EQ(ask.caption, QStringLiteral("提示"));
    EXPECT_EQ(ask.text, QStringLiteral("请输入要打印的纸质发票号码"));
    EXPECT_EQ(ask.maxLength, 8);
    const TShownBox& load = dialogs.Shown().at(1);
    EXPECT_EQ(load.kind, TMsgKind::Confirmation);
    EXPECT_EQ(load.caption, QStringLiteral("确定"));
    EXPECT_EQ(load.buttons, mbOK);
    EXPECT_EQ(load.text, QStringLiteral("当前要打印的发票号码是：00001001\n请将此发票装在打印机上，单击确定进行打印！！！"));

    QSqlQuery q = DataBase->Run(QStringLiteral("select * from SaleDetail"));
    ASSERT_TRUE(q.next());
    auto col = [&](const char* name) { return q.value(QString::fromLatin1(name)); };
    EXPECT_EQ(col("kprq").toString(), QStringLiteral("2026-03-05 14:07:09"));
    EXPECT_EQ(col("fpdm").toString(), QString::fromLatin1(kCode));
    EXPECT_EQ(col("fphm").toString(), QStringLiteral("00001001"));
    EXPECT_EQ(col("ghdw").toString(), QStringLiteral("广州某某贸易有限公司"));
    EXPECT_EQ(col("cllx").toString(), QStringLiteral("轿车"));
    EXPECT_EQ(col("cpxh").toString(), QStringLiteral("A型"));
    EXPECT_EQ(col("cd").toString(), QStringLiteral("广州"));
    EXPECT_EQ(col("fdjhm").toString(), QStringLiteral("ENG00001"));
    EXPECT_EQ(col("dj").toDouble(), 123456.0);
    EXPECT_EQ(col("jwje1").toDouble(), 100.5);
    EXPECT_EQ(col("jwje2").toDouble(), 0.0);
    EXPECT_EQ(col("jwjehj").toDouble(), 123556.5);
    EXPECT_EQ(col("jwhjdx").toString(), QStringLiteral("RMB壹拾贰万叁仟伍佰伍拾陆圆伍角整"));
    EXPECT_EQ(col("saleTaxID").toString(), QStringLiteral("440100000000001"));
    EXPECT_EQ(col("fpzt").toString(), QStringLiteral("0"));
    EXPECT_EQ(col("sccj").toString(), QStringLiteral("甲厂"));
    EXPECT_EQ(col("kpdName").toString(), QStringLiteral("总部"));
    EXPECT_FALSE(q.next());
    EXPECT_EQ(Roll(), QStringLiteral("00001002/49/101"));
    EXPECT_FALSE(DataBase->InTransaction());

    // What was printed is what was stored, with the date of the stored moment.
    EXPECT_EQ(PrintValue("prtYear"), QStringLiteral("2026"));
    EXPECT_EQ(PrintValue("prtMonth"), QStringLiteral("03"));
    EXPECT_EQ(PrintValue("prtDay"), QStringLiteral("05"));
    EXPECT_EQ(PrintValue("jwjehj"), QStringLiteral(" 123556.50"));
    EXPECT_EQ(PdfPages(pdf), 1);
    const QStringList words = PdfWords(pdf);
    for (const char* printed : {"广州某某贸易有限公司", "ENG00001", "LSVAB2B3000000001", "123456.00", "上牌费用", "123556.50",
                                "某汽车销售公司", "44010000"})
        EXPECT_TRUE(words.contains(QString::fromUtf8(printed))) << printed << " in " << words.join(u' ').toStdString();
    EXPECT_FALSE(words.contains(QString::fromLatin1(kCode)));  // the paper carries its own code

    const QStringList log = folder.LogMessages();
    EXPECT_TRUE(log.contains(QStringLiteral("打印机的可打印区域为：%1,%2").arg(page.x()).arg(page.y())))
        << log.join(u'\n').toStdString();

    // The frame still shows the number issued until it is prepared again.
    EXPECT_EQ(frame->stFPHM->text(), QStringLiteral("00001001"));
    ASSERT_TRUE(frame->InitInvoice());
    EXPECT_EQ(frame->stFPHM->text(), QStringLiteral("00001002"));
}

TEST_F(SaveAndPrintTest, PaperAndDateComeFromTheMomentOfStoring)
{
    // Prepared before midnight, issued after it: paper and row carry the new day.
    SetClock([] { return QDateTime(QDate(2026, 3, 31), QTime(23, 59, 59)); });
    ASSERT_TRUE(frame->InitInvoice());
    FillValidInvoice(*frame);
    SetClock([] { return QDateTime(QDate(2026, 4, 1), QTime(0, 0, 1)); });
    ASSERT_TRUE(Issue());
    EXPECT_EQ(DbValue(QStringLiteral("select kprq from SaleDetail")).toString(), QStringLiteral("2026-04-01 00:00:01"));
    EXPECT_EQ(PrintValue("prtYear") + PrintValue("prtMonth") + PrintValue("prtDay"), QStringLiteral("20260401"));
    EXPECT_EQ(frame->stMonth->text() + frame->stDay->text(), QStringLiteral("0401"));
}

TEST_F(SaveAndPrintTest, RefusalsBeforeTheTransactionStoreAndPrintNothing)
{
    // Cancelled paper-number box: nothing else happens.
    dialogs.AnswerInput(std::nullopt);
    EXPECT_FALSE(frame->SaveAndPrint(QStringLiteral("0")));
    EXPECT_EQ(dialogs.Shown().size(), 1u);

    // The number is compared as typed.
    for (const char* typed : {"1001", "0001001 ", " 0001001", "00001002", ""}) {
        SCOPED_TRACE(typed);
        dialogs.Clear();
        dialogs.AnswerInput(QString::fromLatin1(typed));
        EXPECT_FALSE(frame->SaveAndPrint(QStringLiteral("0")));
        ASSERT_EQ(dialogs.Shown().size(), 2u);
        EXPECT_EQ(dialogs.Shown().at(1).kind, TMsgKind::Warning);
        EXPECT_EQ(dialogs.Shown().at(1).text, QStringLiteral("电子发票与纸质发票号码不一致，请检查！"));
    }

    // A number already used in any state.
    DbExec(QStringLiteral("insert into SaleDetail(kprq,fpdm,fphm,fpzt) values('2026-03-01 10:00:00','%1','00001001','3')")
               .arg(QString::fromLatin1(kCode)));
    dialogs.Clear();
    EXPECT_FALSE(Issue());
    EXPECT_EQ(dialogs.Texts().last(), QStringLiteral("此发票已经存在!"));
    EXPECT_EQ(dialogs.Shown().back().kind, TMsgKind::Warning);
    EXPECT_EQ(Rows(), 1);
    EXPECT_EQ(Roll(), QStringLiteral("00001001/50/101"));
    EXPECT_FALSE(QFile::exists(pdf));
    DbExec(QStringLiteral("delete from SaleDetail"));

    // An empty template would use up the invoice on a blank sheet.
    PrintTpl->Clear();
    dialogs.Clear();
    EXPECT_FALSE(Issue());
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("开票失败！")});
    EXPECT_EQ(dialogs.Shown().at(0).kind, TMsgKind::Error);
    EXPECT_FALSE(QFile::exists(pdf));
    ExpectNothingIssued();
}

TEST_F(SaveAndPrintTest, RefusesACodeOrNumberThatIsNotOne)
{
    // After a failed preparation the frame shows no number; an empty answer must not match it.
    DbExec(QStringLiteral("update fpkcxx set syfs=0"));
    EXPECT_FALSE(frame->InitInvoice());
    FillValidInvoice(*frame);
    for (const auto& [code, number] : {std::pair{"", ""}, std::pair{"14400190011", "00001001"}, std::pair{"144001900111", "1001"},
                                       std::pair{"14400190011x", "00001001"}}) {
        SCOPED_TRACE(std::string(code) + "/" + number);
        frame->stFPDM->setText(QString::fromLatin1(code));
        frame->stFPHM->setText(QString::fromLatin1(number));
        dialogs.Clear();
        dialogs.AnswerInput(QString::fromLatin1(number));
        EXPECT_FALSE(frame->SaveAndPrint(QStringLiteral("0")));
        EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("开票失败！")});  // no paper-number box
    }
    EXPECT_EQ(Rows(), 0);
}

struct Fault {
    const char* name;
    std::function<void(SaveAndPrintTest&)> inject;
    std::function<void(SaveAndPrintTest&)> remove;
};

TEST_F(SaveAndPrintTest, EveryFailingStepLeavesRowAndStockTogetherUntouched)
{
    const std::vector<Fault> faults = {
        {"insert",
         [](SaveAndPrintTest&) {
             DbExec(QStringLiteral(
                 "create trigger no_insert before insert on SaleDetail begin select raise(abort,'disk full'); end"));
         },
         [](SaveAndPrintTest&) { DbExec(QStringLiteral("drop trigger no_insert")); }},
        {"advance fails",
         [](SaveAndPrintTest&) {
             DbExec(QStringLiteral("create trigger no_advance before update on fpkcxx begin select raise(abort,'locked'); end"));
         },
         [](SaveAndPrintTest&) { DbExec(QStringLiteral("drop trigger no_advance")); }},
        {"advance moves two rolls", [](SaveAndPrintTest&) { DbExec(QStringLiteral("insert into fpkcxx select * from fpkcxx")); },
         [](SaveAndPrintTest&) { DbExec(QStringLiteral("delete from fpkcxx where rowid > 1")); }},
        {"print fails", [](SaveAndPrintTest& t) { t.PrintIntoMissingFolder(); }, [](SaveAndPrintTest& t) { t.PrintIntoPdf(); }},
        {"commit fails",
         [](SaveAndPrintTest&) { DataBase->SetBeforeCommitHook([] { throw std::runtime_error("commit refused"); }); },
         [](SaveAndPrintTest&) { DataBase->SetBeforeCommitHook({}); }},
    };
    for (const Fault& f : faults) {
        SCOPED_TRACE(f.name);
        ASSERT_TRUE(frame->InitInvoice());
        FillValidInvoice(*frame);
        f.inject(*this);
        dialogs.Clear();
        EXPECT_FALSE(Issue());
        EXPECT_EQ(dialogs.Texts().last(), QStringLiteral("开票失败！"));
        EXPECT_EQ(dialogs.Shown().back().kind, TMsgKind::Error);
        f.remove(*this);
        ExpectNothingIssued();
    }
    // A failed print is not committed; a failed commit names the printed sheet in the log.
    const QStringList log = folder.LogMessages();
    EXPECT_TRUE(log.filter(QStringLiteral("已打印但未能保存")).size() == 1) << log.join(u'\n').toStdString();
    EXPECT_TRUE(
        log.filter(QStringLiteral("已打印但未能保存")).value(0).contains(QStringLiteral("发票代码144001900111号码00001001")));

    // Afterwards the same number issues normally.
    FillValidInvoice(*frame);
    dialogs.Clear();
    ASSERT_TRUE(Issue());
    EXPECT_EQ(Rows(), 1);
    EXPECT_EQ(Roll(), QStringLiteral("00001002/49/101"));
}

TEST_F(SaveAndPrintTest, NegativeInvoiceStoresNegatedAmountsAndTheReversedInvoice)
{
    frame->edtDJ->setText(QStringLiteral("12345.00"));
    frame->edtJWFY1->setText(QStringLiteral("上牌"));
    frame->edtJWJE1->setText(QStringLiteral("-100.00"));
    frame->edtYSFPDM->setText(QStringLiteral("144001900000"));
    frame->edtYSFPHM->setText(QStringLiteral("00000007"));
    ASSERT_TRUE(frame->CheckInput(QStringLiteral("2")));
    ASSERT_TRUE(Issue(QStringLiteral("2")));
    QSqlQuery q = DataBase->Run(QStringLiteral("select dj,jwje1,jwjehj,fpzt,ysfpdm,ysfphm,jwhjdx from SaleDetail"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toDouble(), -12345.0);
    EXPECT_EQ(q.value(1).toDouble(), -100.0);
    EXPECT_EQ(q.value(2).toDouble(), -12445.0);
    EXPECT_EQ(q.value(3).toString(), QStringLiteral("2"));
    EXPECT_EQ(q.value(4).toString(), QStringLiteral("144001900000"));
    EXPECT_EQ(q.value(5).toString(), QStringLiteral("00000007"));
    EXPECT_EQ(q.value(6).toString(), QStringLiteral("RMB(负数)壹万贰仟肆佰肆拾伍圆整"));
    EXPECT_EQ(PrintValue("dj"), QStringLiteral("-12345.00"));
    EXPECT_TRUE(PdfWords(pdf).contains(QStringLiteral("-12345.00")));
    EXPECT_EQ(Roll(), QStringLiteral("00001002/49/101"));

    // A price of the full ten characters is stored and printed whole once made negative.
    ASSERT_TRUE(frame->InitInvoice());
    FillValidInvoice(*frame, 2);
    frame->edtDJ->setText(QStringLiteral("1234567.89"));
    ASSERT_TRUE(frame->CheckInput(QStringLiteral("2")));
    ASSERT_TRUE(Issue(QStringLiteral("2")));
    EXPECT_EQ(DbValue(QStringLiteral("select dj from SaleDetail where fphm='00001002'")).toDouble(), -1234567.89);
    EXPECT_TRUE(PdfWords(pdf).contains(QStringLiteral("-1234567.89")));
}

TEST_F(SaveAndPrintTest, AnInvoiceWithoutChargesOrEngineNumber)
{
    frame->edtFDJH->setEditText(QStringLiteral(" 无 "));
    ASSERT_TRUE(Issue());
    EXPECT_EQ(DbCount(QStringLiteral("select count(*) from SaleDetail where fdjhm is null and jwje1=0 and jwje2=0 "
                                     "and jwje3=0 and jwfy1='' and jwfy2='' and jwfy3=''")),
              1);
    EXPECT_TRUE(PrintNull("fdjhm"));
    for (const char* item : {"jwje1", "jwje2", "jwje3", "jwfy1"}) {
        EXPECT_FALSE(PrintNull(item)) << item;
        EXPECT_EQ(PrintValue(item), QString()) << item;
    }
    EXPECT_FALSE(PdfWords(pdf).contains(QStringLiteral("无")));
}

TEST_F(SaveAndPrintTest, FillPrintValuesFillsTheNamedItemsOnly)
{
    TPrintTemplate tpl;
    const QStringList names = {"prtYear", "prtMonth", "prtDay",    "ghdw",     "ghdwID",     "cllx",    "cpxh",   "cd",
                               "hgzhm",   "jkzmhm",   "sjdhm",     "fdjhm",    "cjhm",       "dj",      "htdh",   "jwfy1",
                               "jwje1",   "jwfy2",    "jwje2",     "jwfy3",    "jwje3",      "jwhjdx",  "jwjehj", "saleName",
                               "saleAdd", "saleTel",  "saleTaxID", "saleBank", "saleAcount", "saleMan", "skr",    "ManageTaxID"};
    ASSERT_EQ(names.size(), 32);
    for (const QString& n : names)
        tpl.Add().ItemName = n;
    tpl.Add().ItemName = QStringLiteral("fpdm");
    tpl.Add().ItemName = QStringLiteral("Ghdw");
    tpl.GetItem(32).Value = QStringLiteral("left from before");
    frame->stSH->setText(QStringLiteral("税号如所示"));
    frame->FillPrintValues(tpl);
    auto value = [&](const char* n) { return tpl.GetItem(tpl.IndexOfName(QString::fromLatin1(n))).Value; };
    EXPECT_TRUE(tpl.GetItem(32).Value.isNull());
    EXPECT_TRUE(tpl.GetItem(33).Value.isNull());
    for (int i = 0; i < 32; ++i)
        EXPECT_FALSE(tpl.GetItem(i).Value.isNull()) << names.at(i).toStdString();
    EXPECT_EQ(value("ghdw").toString(), QStringLiteral("广州某某贸易有限公司"));
    EXPECT_EQ(value("cjhm").toString(), QStringLiteral("LSVAB2B3000000001"));
    EXPECT_EQ(value("saleTaxID").toString(), QStringLiteral("税号如所示"));
    EXPECT_EQ(value("ManageTaxID").toString(), QStringLiteral("44010000"));
    EXPECT_EQ(value("jwjehj").toString(), QStringLiteral(" 123456.00"));
    EXPECT_EQ(value("saleMan").toString(), QStringLiteral("李会计"));
    EXPECT_EQ(value("prtDay").toString(), QStringLiteral("05"));
}

TEST_F(SaveAndPrintTest, IssuingTheLastNumberOfARollMovesToTheNext)
{
    AddRoll(folder, QStringLiteral("144001900222"), QStringLiteral("00000001"), QStringLiteral("00000010"),
            QStringLiteral("2026-03-02"));
    DbExec(QStringLiteral("update fpkcxx set dqhm='00001050', syfs=1 where fpdm='144001900111'"));
    ASSERT_TRUE(frame->InitInvoice());
    EXPECT_EQ(frame->stFPHM->text(), QStringLiteral("00001050"));
    FillValidInvoice(*frame);
    ASSERT_TRUE(Issue());
    EXPECT_EQ(DbValue(QStringLiteral("select dqhm||'/'||syfs from fpkcxx where fpdm='144001900111'")).toString(),
              QStringLiteral("00001050/0"));
    ASSERT_TRUE(frame->InitInvoice());
    EXPECT_EQ(frame->stFPDM->text(), QStringLiteral("144001900222"));
    EXPECT_EQ(frame->stFPHM->text(), QStringLiteral("00000001"));
    EXPECT_EQ(frame->stSYFS->text(), QStringLiteral("当前卷剩余份数:10"));
}

class QuotedNamesTest : public SaveAndPrintTest {
protected:
    void SetUp() override {}
};

TEST_F(QuotedNamesTest, NamesWithQuotesStoreAndPrintAsTyped)
{
    const QString point = QStringLiteral("总部'A\"");
    Start(point);
    DbExec(QStringLiteral("update SCCJ set sccj='甲''厂\"' where cpxh='A型'"));
    LoadModels(*DataBase, ModelList);
    ASSERT_TRUE(frame->InitInvoice());
    FillValidInvoice(*frame);
    const QString buyer = QStringLiteral("O'Neil\"汽车\"");
    frame->edtGHDW->setText(buyer);
    ASSERT_TRUE(frame->CheckInput(QStringLiteral("0")));
    ASSERT_TRUE(Issue());
    QSqlQuery q = DataBase->Run(QStringLiteral("select ghdw,sccj,kpdName from SaleDetail"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), buyer);
    EXPECT_EQ(q.value(1).toString(), QStringLiteral("甲'厂\""));
    EXPECT_EQ(q.value(2).toString(), point);
    EXPECT_EQ(Roll(), QStringLiteral("00001002/49/101"));
    EXPECT_TRUE(PdfWords(pdf).contains(buyer)) << PdfWords(pdf).join(u' ').toStdString();
}
}  // namespace
