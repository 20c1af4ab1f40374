// Issuing with settings from outside: offsets in Corvane.ini that no page has, and a database
// that cannot be written. Nothing may be stored, and the clerk is told why.
#include "IssuingTestData.h"
#include "MainWindowTest.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "invoices/TframeInput.h"
#include "printing/TPrintTemplate.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <gtest/gtest.h>

namespace {
class HostileIssuing : public TMainWindowTest {
protected:
    QString Roll() { return DbValue(QStringLiteral("select dqhm||'/'||syfs||'/'||kczt from fpkcxx")).toString(); }
};
}  // namespace

TEST_F(HostileIssuing, OffsetsFarOffThePageRefuseTheInvoiceBeforeAnythingIsStored)
{
    SeedIssuing(folder);
    UseDefaultTemplate(folder);
    folder.WriteFile(QStringLiteral("Corvane.ini"), HostileBytes(QStringLiteral("ini_prtOff_100000000.ini")));
    OpenMain(folder);
    ASSERT_EQ(PrtOffX, 100000000);
    ASSERT_EQ(PrintTpl->PageWidth, 241);
    const QString pdf = folder.File(QStringLiteral("invoice.pdf"));
    PrintInto(pdf);

    TframeInput frame;
    ASSERT_TRUE(frame.InitInvoice());
    FillValidInvoice(frame);
    dialogs.Clear();
    dialogs.AnswerInput(frame.stFPHM->text());
    const int mark = LogMark();
    EXPECT_FALSE(frame.SaveAndPrint(QStringLiteral("0")));

    const QString reason =
        QStringLiteral("Corvane.ini 中 [Print] prtOffX=100000000 超出范围（-241～241 毫米），请在“打印调试”中重新设置");
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("开票失败！\n") + reason}) << "asked for no paper number";
    EXPECT_EQ(LogSince(mark), QStringList{QStringLiteral("开票失败：") + reason});
    EXPECT_EQ(DbCount(QStringLiteral("select count(*) from SaleDetail")), 0);
    EXPECT_EQ(Roll(), QStringLiteral("00001001/50/101"));
    EXPECT_FALSE(DataBase->InTransaction());
    EXPECT_FALSE(QFileInfo::exists(pdf));
    qunsetenv("TALLYRA_PRINT_PDF");
}

// Stock is there, but the received roll cannot be marked in use: the box says the database is
// read-only, the log has the database's own words, and the roll is as it was.
TEST_F(HostileIssuing, AReadOnlyDatabaseIsNamedWhenTheCurrentInvoiceCannotBeTaken)
{
    SeedIssuing(folder);
    OpenMain(folder);
    DbExec(QStringLiteral("PRAGMA query_only=1"));
    const QString box = QStringLiteral("取当前发票号码错误,请检查是否有可用的发票!\n数据库文件只读：") +
                        QDir::toNativeSeparators(folder.DatabaseFile());

    const int mark = LogMark();
    dialogs.Clear();
    main->KJZCFP->trigger();
    ASSERT_FALSE(dialogs.Texts().isEmpty());
    EXPECT_EQ(dialogs.Texts().first(), box);
    const QStringList logged = LogSince(mark).filter(QStringLiteral("取当前发票号码错误："));
    ASSERT_EQ(logged.size(), 1);
    EXPECT_TRUE(logged[0].contains(QStringLiteral("readonly"))) << logged[0].toStdString();

    // The entry frame says the same when it prepares an invoice.
    dialogs.Clear();
    TframeInput frame;
    EXPECT_FALSE(frame.InitInvoice());
    EXPECT_EQ(dialogs.Texts(), QStringList{box});
    EXPECT_EQ(Roll(), QStringLiteral("00001001/50/000"));

    // Writable again, the roll opens and no second line is shown.
    DbExec(QStringLiteral("PRAGMA query_only=0"));
    dialogs.Clear();
    EXPECT_TRUE(frame.InitInvoice());
    EXPECT_TRUE(dialogs.Texts().isEmpty());
    EXPECT_EQ(Roll(), QStringLiteral("00001001/50/101"));

    // Without stock there is nothing to say about the database.
    DbExec(QStringLiteral("update fpkcxx set syfs=0"));
    DbExec(QStringLiteral("PRAGMA query_only=1"));
    dialogs.Clear();
    EXPECT_FALSE(frame.InitInvoice());
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("取当前发票号码错误,请检查是否有可用的发票!")});
}
