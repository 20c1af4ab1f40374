#include "QtPrinters.h"
#include "MainTestData.h"
#include "ProgramFolder.h"
#include "ScriptedDialogs.h"
#include "ShellTestSupport.h"
#include "Typing.h"
#include "core/Globals.h"
#include "shell/ShellEntry.h"
#include "shell/TfrmLogin.h"
#include "shell/TfrmMain.h"
#include "shell/TfrmUserAccept.h"
#include "widgets/Pictures.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
class Login : public ::testing::Test {
protected:
    void SetUp() override { context = std::make_unique<TTestContext>(folder); }
    void TearDown() override
    {
        EXPECT_TRUE(ConnectionIdle(folder)) << "at the login window";
        context.reset();
    }
    void Try(const QString& text)
    {
        form.EdPwd->clear();
        TypeText(form.EdPwd, text);
        form.BitBtnOK->click();
    }
    int Mark() const { return folder.LogMessages().size(); }

    TTestProgramFolder folder;
    TScriptedDialogs dialogs;
    std::unique_ptr<TTestContext> context;
    TfrmLogin form;
};
}  // namespace

TEST_F(Login, ChecksEmptyShortAndWrongEntriesAndNeverLogsWhatWasTyped)
{
    ASSERT_TRUE(ShowActive(&form));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("登录"));
    EXPECT_EQ(form.Label2->text(), QStringLiteral("初始密码：740291"));
    EXPECT_EQ(form.EdPwd->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(form.Image1->pixmap().isNull());
    EXPECT_EQ(QApplication::focusWidget(), form.EdPwd);
    const int mark = Mark();

    form.BitBtnOK->click();
    Try(QStringLiteral("74029"));
    EXPECT_EQ(dialogs.Texts(), (QStringList{"请输入密码！", "请输入6位密码！"}));
    EXPECT_EQ(form.EdPwd->selectedText(), QStringLiteral("74029"));
    EXPECT_EQ(folder.LogMessages().mid(mark), QStringList());

    Try(QStringLiteral("740292"));
    EXPECT_EQ(dialogs.Texts().last(), QStringLiteral("口令错误，请重新输入口令！"));
    EXPECT_EQ(form.EdPwd->selectedText(), QStringLiteral("740292"));
    EXPECT_EQ(folder.LogMessages().mid(mark), QStringList{"口令错误!"});
    EXPECT_FALSE(RawLog(folder.Path()).contains(QStringLiteral("740292")));
    // At most six characters are typed.
    form.EdPwd->clear();
    TypeText(form.EdPwd, QStringLiteral("74029112"));
    EXPECT_EQ(form.EdPwd->text(), QStringLiteral("740291"));
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Rejected);
}

TEST_F(Login, EnterLogsInLikeTheButtonAndTheComparisonIsExact)
{
    UserPassword = QStringLiteral("abcDEF");
    WhenModal([](QWidget* w) {
        auto* login = static_cast<TfrmLogin*>(w);
        TypeText(login->EdPwd, QStringLiteral("abcdef"));
        QTest::keyClick(login->EdPwd, Qt::Key_Return);
        login->EdPwd->clear();
        TypeText(login->EdPwd, QStringLiteral("abcDEF"));
        QTest::keyClick(login->EdPwd, Qt::Key_Enter);
    });
    const int mark = Mark();
    EXPECT_EQ(form.exec(), QDialog::Accepted);
    EXPECT_EQ(dialogs.Texts(), QStringList{"口令错误，请重新输入口令！"});
    EXPECT_EQ(folder.LogMessages().mid(mark), (QStringList{"口令错误!", "用户登录"}));
}

TEST_F(Login, CancelEscapeAndTheCloseBoxEndWithoutALogLine)
{
    const int mark = Mark();
    WhenModal([](QWidget* w) { static_cast<TfrmLogin*>(w)->BitBtnCancel->click(); });
    EXPECT_EQ(form.exec(), QDialog::Rejected);
    WhenModal([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
    EXPECT_EQ(form.exec(), QDialog::Rejected);
    WhenModal([](QWidget* w) { w->close(); });
    EXPECT_EQ(form.exec(), QDialog::Rejected);
    EXPECT_EQ(folder.LogMessages().mid(mark), QStringList());
}

TEST(UserAccept, AcceptGoesOnAndRefuseOrEscapeEnds)
{
    WhenModal([](QWidget* w) {
        auto* agreement = qobject_cast<TfrmUserAccept*>(w);
        ASSERT_NE(agreement, nullptr);
        EXPECT_EQ(agreement->windowTitle(), QStringLiteral("使用协议"));
        EXPECT_TRUE(agreement->Memo1->isReadOnly());
        EXPECT_TRUE(agreement->Memo1->toPlainText().contains(QStringLiteral("使用协议")));
        QTest::keyClick(agreement, Qt::Key_Return);  // the default button is "接受"
    });
    EXPECT_TRUE(RunUserAccept());
    WhenModal([](QWidget* w) { static_cast<TfrmUserAccept*>(w)->BitBtn1->click(); });
    EXPECT_FALSE(RunUserAccept());
    WhenModal([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
    EXPECT_FALSE(RunUserAccept());
}

namespace {
// Answers the start-up windows as a clerk does and records their captions; closes the main
// window once it is up.
class TStartWalker {
public:
    // With a folder, whether the program holds a read at the login and the main window.
    explicit TStartWalker(bool acceptAgreement, const TTestProgramFolder* folder = nullptr)
        : m_accept(acceptAgreement), m_folder(folder)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Step(); });
        m_timer.start(10);
    }
    QStringList Titles;
    QList<QImage> Icons;
    QStringList Held;  // where it held one, and what

private:
    void CheckIdle(const char* where)
    {
        if (!m_folder)
            return;
        if (const ::testing::AssertionResult idle = ConnectionIdle(*m_folder); !idle)
            Held << QString::fromLatin1(where) + u' ' + QString::fromStdString(idle.message());
    }
    void Step()
    {
        if (QWidget* up = QApplication::activeModalWidget())
            Icons << up->windowIcon().pixmap(16).toImage();
        if (auto* agreement = qobject_cast<TfrmUserAccept*>(QApplication::activeModalWidget())) {
            Titles << agreement->windowTitle();
            (m_accept ? agreement->BitBtn2 : agreement->BitBtn1)->click();
        } else if (auto* login = qobject_cast<TfrmLogin*>(QApplication::activeModalWidget())) {
            Titles << login->windowTitle();
            CheckIdle("login");
            TypeText(login->EdPwd, QStringLiteral("740291"));
            login->BitBtnOK->click();
        } else if (frmMain && frmMain->isVisible()) {
            Titles << frmMain->windowTitle();
            CheckIdle("main");
            frmMain->Exit->trigger();
        }
    }
    bool m_accept;
    const TTestProgramFolder* m_folder;
    QTimer m_timer;
};
}  // namespace

TEST(ShellEntry, AFreshFolderShowsTheAgreementTheLoginAndTheMainWindow)
{
    TTestProgramFolder folder;
    TScriptedDialogs dialogs;
    QTemporaryDir lock;
    TStartWalker walker(true, &folder);
    QApplication::setWindowIcon(QIcon());
    EXPECT_EQ(ProgramEntry(ShellEntryWindows(), lock.path()), 0);
    EXPECT_EQ(walker.Titles, (QStringList{"使用协议", "登录", "Tallyra"}));
    EXPECT_EQ(walker.Held, QStringList());
    // Windows without a parent carry the program's icon, not the toolkit's.
    ASSERT_EQ(walker.Icons.size(), 2);
    for (const QImage& icon : walker.Icons)
        EXPECT_EQ(icon, ProgramIcon().pixmap(16).toImage());
    EXPECT_EQ(dialogs.Texts(), QStringList{"请输入企业基本信息！"});
    EXPECT_FALSE(DataBase);
    const QStringList log = folder.LogMessages();
    EXPECT_EQ(log.mid(log.size() - 3), (QStringList{"用户登录", "退出开票系统！", "file closed!"}));
}

TEST(ShellEntry, RefusingTheAgreementEndsBeforeTheLoginAndACompanyWithATaxpayerIdSkipsIt)
{
    TTestProgramFolder folder;
    TScriptedDialogs dialogs;
    QTemporaryDir lock;
    {
        TStartWalker walker(false);
        EXPECT_EQ(ProgramEntry(ShellEntryWindows(), lock.path()), 0);
        EXPECT_EQ(walker.Titles, QStringList{"使用协议"});
        EXPECT_EQ(folder.LogMessages(), (QStringList{"Log file Create", "file closed!"}));
    }
    folder.Sql(CompanySql(QStringLiteral("否")));
    TStartWalker walker(false, &folder);
    EXPECT_EQ(ProgramEntry(ShellEntryWindows(), lock.path()), 0);
    EXPECT_EQ(walker.Titles, (QStringList{"登录", "Tallyra"}));
    EXPECT_EQ(walker.Held, QStringList());  // the company read at start-up is let go
}
