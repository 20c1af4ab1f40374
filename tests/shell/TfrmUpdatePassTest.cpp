#include "QtPrinters.h"
#include "FormTest.h"
#include "ProgramFolder.h"
#include "ScriptedDialogs.h"
#include "ShellTestSupport.h"
#include "Typing.h"
#include "core/Common.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "shell/TfrmUpdate.h"
#include "shell/TfrmUpdatePass.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {
class PasswordChange : public TFormTest<TfrmUpdatePass> {
protected:
    void Open(const QString& sql = {})
    {
        TFormTest::Open(sql);
        ASSERT_TRUE(ShowActive(form));
    }
    void Enter(const QString& oldPass, const QString& newPass, const QString& second)
    {
        for (QLineEdit* e : {form->edtOldPass, form->edtNewPass, form->edtSecPass})
            e->clear();
        TypeText(form->edtOldPass, oldPass);
        TypeText(form->edtNewPass, newPass);
        TypeText(form->edtSecPass, second);
    }
    QString Stored() const { return DataBase->Scalar(QStringLiteral("select passwd from passwd")).toString(); }
};
}  // namespace

TEST_F(PasswordChange, EnterWalksTheThreeEditsAndThenChangesThePassword)
{
    Open();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("修改口令"));
    EXPECT_EQ(QApplication::focusWidget(), form->edtOldPass);
    const int mark = folder.LogMessages().size();
    TypeText(form->edtOldPass, QStringLiteral("740291"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), form->edtNewPass);
    TypeText(QApplication::focusWidget(), QStringLiteral("135790"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), form->edtSecPass);
    TypeText(QApplication::focusWidget(), QStringLiteral("135790"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
    EXPECT_EQ(dialogs.Texts(), QStringList{"修改口令成功！"});
    EXPECT_EQ(dialogs.Shown().at(0).kind, TMsgKind::Information);
    EXPECT_EQ(Stored(), QStringLiteral("135790"));
    EXPECT_EQ(UserPassword, QStringLiteral("135790"));
    EXPECT_EQ(folder.LogMessages().mid(mark), QStringList{"修改口令成功!"});  // and no closing line
    FreeClosedWindows();
    EXPECT_TRUE(form.isNull());

    // The next start's login checks the new password.
    context.reset();
    context = std::make_unique<TTestContext>(folder);
    EXPECT_EQ(UserPassword, QStringLiteral("135790"));
}

TEST_F(PasswordChange, EntriesAreCheckedInOrderWithTheFocusOnTheFaultyOne)
{
    Open();
    const struct {
        const char* oldPass;
        const char* newPass;
        const char* second;
        const char* message;
        QLineEdit* TfrmUpdatePass::*focus;
    } cases[] = {
        {"", "", "", "请输入旧口令！！", &TfrmUpdatePass::edtOldPass},
        {"1", "", "", "请输入新口令！！！", &TfrmUpdatePass::edtNewPass},
        {"1", "12345", "", "口令只能是6位！！！", &TfrmUpdatePass::edtNewPass},  // before the confirmation
        {"1", "123456", "", "请再次输入新口令！！！", &TfrmUpdatePass::edtSecPass},
        {"1", "123456", "12345", "口令只能是6位！！！", &TfrmUpdatePass::edtSecPass},
        {"1", "123456", "123457", "两次输入的口令不相同！！！", &TfrmUpdatePass::edtSecPass},
        {"74029", "123456", "123456", "旧口令输入不正确", &TfrmUpdatePass::edtOldPass},
    };
    for (const auto& c : cases) {
        dialogs.Clear();
        Enter(QString::fromUtf8(c.oldPass), QString::fromUtf8(c.newPass), QString::fromUtf8(c.second));
        form->btnOK->click();
        EXPECT_EQ(dialogs.Texts(), QStringList{QString::fromUtf8(c.message)});
        EXPECT_EQ(QApplication::focusWidget(), form->*(c.focus)) << c.message;
    }
    EXPECT_EQ(Stored(), QStringLiteral("740291"));
    EXPECT_EQ(UserPassword, QStringLiteral("740291"));
}

TEST_F(PasswordChange, AFailedStoreSaysSoAndChangesNothing)
{
    Open(QStringLiteral("create trigger no_update before update on passwd begin select raise(abort, 'read-only'); end;"));
    const int mark = folder.LogMessages().size();
    Enter(QStringLiteral("740291"), QStringLiteral("135790"), QStringLiteral("135790"));
    form->btnOK->click();
    EXPECT_EQ(dialogs.Texts(), QStringList{"修改口令失败！"});
    EXPECT_EQ(folder.LogMessages().mid(mark), QStringList{"修改口令失败!"});
    EXPECT_EQ(UserPassword, QStringLiteral("740291"));
    EXPECT_EQ(Stored(), QStringLiteral("740291"));
    EXPECT_EQ(QApplication::focusWidget(), form->edtSecPass);
    EXPECT_EQ(form->edtNewPass->text(), QStringLiteral("135790"));
    EXPECT_TRUE(form->isVisible());
}

TEST(UpgradePage, OpensTheAddressOfTheSettingsFileOrOursAndNothingForAnEmptyOne)
{
    TTestProgramFolder folder;
    TTestContext context(folder);
    TUrlCatcher urls;
    {
        TfrmUpdate page;
        EXPECT_TRUE(page.windowState() & Qt::WindowMaximized);
        page.show();
        EXPECT_EQ(page.Address(), QString::fromLatin1(kDefaultUpgradeUrl));
    }
    folder.WriteFile(QStringLiteral("Corvane.ini"), "[download]\nurl=https://upgrade.example.org/tallyra\n");
    {
        TfrmUpdate page;
        page.show();
        EXPECT_TRUE(page.WebBrowser1->text().contains(QStringLiteral("https://upgrade.example.org/tallyra")));
    }
    folder.WriteFile(QStringLiteral("Corvane.ini"), "[download]\nurl=\n");
    {
        TfrmUpdate page;
        page.show();
        EXPECT_EQ(page.Address(), QString());
    }
    EXPECT_EQ(urls.Urls, (QList<QUrl>{QUrl(QString::fromLatin1(kDefaultUpgradeUrl)),
                                      QUrl(QStringLiteral("https://upgrade.example.org/tallyra"))}));
}
