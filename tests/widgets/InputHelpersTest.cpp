#include "ScriptedDialogs.h"
#include "Typing.h"
#include "widgets/InputHelpers.h"

#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

TEST(LimitTyped, CountsGbkBytesForTypingButNeverCutsWhatTheProgramSets)
{
    QLineEdit edit;
    LimitTyped(&edit, 5);
    TypeText(&edit, QStringLiteral("机动车"));  // 6 bytes: the third character is refused
    EXPECT_EQ(edit.text(), QStringLiteral("机动"));
    TypeText(&edit, QStringLiteral("ab"));
    EXPECT_EQ(edit.text(), QStringLiteral("机动a"));
    edit.setText(QStringLiteral("-1234567.89"));
    EXPECT_EQ(edit.text(), QStringLiteral("-1234567.89"));
}

TEST(LimitTyped, RefusesCharactersOutsideTheAllowedSet)
{
    QLineEdit edit;
    LimitTyped(&edit, 8, QStringLiteral("[0-9]"));
    TypeText(&edit, QStringLiteral("12a3 4"));
    EXPECT_EQ(edit.text(), QStringLiteral("1234"));
}

TEST(TEnterChain, MovesToTheNextEnabledFieldAndRunsTheLastStep)
{
    QWidget form;
    auto* a = new QLineEdit(&form);
    auto* b = new QLineEdit(&form);
    auto* c = new QLineEdit(&form);
    int finished = 0;
    new TEnterChain(
        {a, b, c}, [&] { ++finished; }, &form);
    form.show();
    QApplication::setActiveWindow(&form);
    b->setEnabled(false);
    a->setFocus();
    QTest::keyClick(a, Qt::Key_Return);
    EXPECT_TRUE(c->hasFocus());
    EXPECT_EQ(finished, 0);
    QTest::keyClick(c, Qt::Key_Enter);
    EXPECT_EQ(finished, 1);
}

// The warning comes first, then the focus: a box shown afterwards would take the focus away.
TEST(RefuseInput, WarnsThenPutsTheFocusOnTheFieldAndFails)
{
    QWidget form;
    auto* a = new QLineEdit(&form);
    auto* b = new QLineEdit(&form);
    form.show();
    QApplication::setActiveWindow(&form);
    a->setFocus();
    TScriptedDialogs dialogs;
    bool focusedWhileUp = true;
    dialogs.OnShow = [&](const TShownBox&) { focusedWhileUp = b->hasFocus(); };
    EXPECT_FALSE(RefuseInput(QStringLiteral("请输入发票代码！"), b));
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(dialogs.Shown()[0].kind, TMsgKind::Warning);
    EXPECT_EQ(dialogs.Shown()[0].text, QStringLiteral("请输入发票代码！"));
    EXPECT_FALSE(focusedWhileUp);
    EXPECT_TRUE(b->hasFocus());

    // Without a field the focus stays where the clerk was.
    EXPECT_FALSE(RefuseInput(QStringLiteral("发票号码已经存在！"), nullptr));
    EXPECT_EQ(dialogs.Shown().size(), 2u);
    EXPECT_TRUE(b->hasFocus());
}

TEST(IsEnterKey, ReturnAndTheKeypadsEnterOnly)
{
    EXPECT_TRUE(IsEnterKey(Qt::Key_Return));
    EXPECT_TRUE(IsEnterKey(Qt::Key_Enter));
    for (const int other : {int(Qt::Key_Tab), int(Qt::Key_Space), int(Qt::Key_Escape), int(Qt::Key_Down), 0})
        EXPECT_FALSE(IsEnterKey(other)) << other;
}
