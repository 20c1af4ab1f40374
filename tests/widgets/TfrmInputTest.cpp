#include "Typing.h"
#include "widgets/QtDialogs.h"
#include "widgets/TfrmInput.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

TEST(TfrmInput, TypingStopsAtTheMaximumAndEnterConfirms)
{
    TQtDialogs dialogs;
    QString value = QStringLiteral("before");
    QString caption, prompt;
    WhenModal([&](QWidget* w) {
        auto* form = qobject_cast<TfrmInput*>(w);
        ASSERT_NE(form, nullptr);
        caption = form->windowTitle();
        prompt = form->stPrompt->text();
        EXPECT_TRUE(form->edtInput->text().isEmpty());
        QTest::keyClicks(form->edtInput, QStringLiteral("123456789"));
        QTest::keyClick(form->edtInput, Qt::Key_Return);
    });
    EXPECT_TRUE(dialogs.InputBox(QStringLiteral("提示"), QStringLiteral("请输入要打印的纸质发票号码"), value, 8));
    EXPECT_EQ(value, QStringLiteral("12345678"));
    EXPECT_EQ(caption, QStringLiteral("提示"));
    EXPECT_EQ(prompt, QStringLiteral("请输入要打印的纸质发票号码"));
}

TEST(TfrmInput, EscapeCancelsAndKeepsTheValueWhileOkOnEmptyGivesEmpty)
{
    TQtDialogs dialogs;
    QString value = QStringLiteral("kept");
    WhenModal([](QWidget* w) {
        QTest::keyClicks(static_cast<TfrmInput*>(w)->edtInput, QStringLiteral("abc"));
        QTest::keyClick(w, Qt::Key_Escape);
    });
    EXPECT_FALSE(dialogs.InputBox(QStringLiteral("提示"), QStringLiteral("p"), value, 12));
    EXPECT_EQ(value, QStringLiteral("kept"));

    WhenModal([](QWidget* w) { static_cast<TfrmInput*>(w)->BitBtn1->click(); });
    EXPECT_TRUE(dialogs.InputBox(QStringLiteral("提示"), QStringLiteral("p"), value, 0));
    EXPECT_EQ(value, QString());
}

TEST(TfrmInput, ZeroMeansNoLimit)
{
    TfrmInput form;
    form.SetMaxLength(0);
    QTest::keyClicks(form.edtInput, QStringLiteral("0123456789012345"));
    EXPECT_EQ(form.edtInput->text().size(), 16);
}

TEST(TQtDialogs, BoxesCarryTheProgramsCaptionsAndButtons)
{
    TQtDialogs dialogs;
    QString title;
    QStringList buttons;
    WhenModal([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        for (QAbstractButton* b : box->buttons())
            buttons << b->text();
        for (QAbstractButton* b : box->buttons())
            if (b->text() == QStringLiteral("否"))
                b->click();
    });
    EXPECT_EQ(dialogs.MessageBox(TMsgKind::Confirmation, CaptionOf(TMsgKind::Confirmation), QStringLiteral("是否继续开票？"),
                                 mbYes | mbNo),
              mbNo);
    EXPECT_EQ(title, QStringLiteral("确定"));
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{"否", "是"}));

    WhenModal([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
    EXPECT_EQ(dialogs.MessageBox(TMsgKind::Warning, CaptionOf(TMsgKind::Warning), QStringLiteral("x"), mbYes | mbNo), mbNo);
}

TEST(TQtDialogs, TheSaveDialogTakesAnExistingFileWithoutAQuestion)
{
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("2026年02月一店销售清单.xml"));
    QFile file(existing);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    TQtDialogs dialogs;
    bool asks = false;
    WhenModal([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile(existing);
        // A question about replacing the file would come up inside the accepting.
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                asks = true;
                box->button(QMessageBox::Yes)->click();
            }
        });
        QMetaObject::invokeMethod(dialog, "accept");  // as its Save button does
    });
    EXPECT_EQ(dialogs.SaveFileName(QStringLiteral("请选择要导出的路径"), existing, QStringLiteral("xml文件 (*.xml)")), existing);
    EXPECT_FALSE(asks);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// Enter presses the default button: "是" unless the caller asks for "否", as before a step that
// cannot be undone.
TEST(TQtDialogs, EnterPressesTheDefaultButton)
{
    TQtDialogs dialogs;
    QString marked;
    auto enter = [&marked](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        marked = box->defaultButton() ? box->defaultButton()->text() : QString();
        QTest::keyClick(w, Qt::Key_Return);
    };
    WhenModal(enter);
    EXPECT_EQ(
        dialogs.MessageBox(TMsgKind::Confirmation, CaptionOf(TMsgKind::Confirmation), QStringLiteral("继续？"), mbYes | mbNo),
        mbYes);
    EXPECT_EQ(marked, QStringLiteral("是"));
    TDialogs* previous = SetDialogs(&dialogs);
    WhenModal(enter);
    EXPECT_FALSE(AskYesNo(QStringLiteral("作废？"), TMsgKind::Warning, mbNo));
    SetDialogs(previous);
    EXPECT_EQ(marked, QStringLiteral("否"));
    WhenModal(enter);
    EXPECT_EQ(dialogs.MessageBox(TMsgKind::Warning, CaptionOf(TMsgKind::Warning), QStringLiteral("x"), mbYes | mbNo, mbNo), mbNo);
    EXPECT_EQ(marked, QStringLiteral("否"));
    // A default the box does not offer falls back to its first button.
    EXPECT_EQ(DefaultButtonOf(mbOK, mbNo), mbOK);
    EXPECT_EQ(DefaultButtonOf(mbOK | mbCancel, mbNone), mbOK);
}
