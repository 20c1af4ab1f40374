#include "ScriptedDialogs.h"
#include "widgets/Guarded.h"
#include "widgets/WindowHelpers.h"

#include <QWidget>
#include <gtest/gtest.h>
#include <stdexcept>

TEST(CentredCorner, HalvesTheRoomLeftTruncatingTowardZero)
{
    EXPECT_EQ(CentredCorner(QSize(800, 600), QSize(720, 520)), QPoint(40, 40));
    EXPECT_EQ(CentredCorner(QSize(801, 601), QSize(720, 520)), QPoint(40, 40));
    // Larger than the room: the odd pixel is dropped on the far side, as div does.
    EXPECT_EQ(CentredCorner(QSize(715, 511), QSize(720, 520)), QPoint(-2, -4));
}

TEST(CentredCorner, KeepsTheCornerInViewOnlyWhenAsked)
{
    EXPECT_EQ(CentredCorner(QSize(700, 600), QSize(720, 520), TOverhang::KeepCorner), QPoint(0, 40));
    EXPECT_EQ(CentredCorner(QSize(800, 500), QSize(720, 520), TOverhang::KeepCorner), QPoint(40, 0));
    EXPECT_EQ(CentredCorner(QSize(800, 600), QSize(720, 520), TOverhang::KeepCorner), QPoint(40, 40));
}

TEST(CentrePanel, MovesThePanelOverTheFormsClientArea)
{
    QWidget form;
    form.resize(500, 300);
    auto* panel = new QWidget(&form);
    panel->resize(600, 100);
    CentrePanel(&form, panel);
    EXPECT_EQ(panel->pos(), QPoint(-50, 100));
    CentrePanel(&form, panel, TOverhang::KeepCorner);
    EXPECT_EQ(panel->pos(), QPoint(0, 100));
    EXPECT_EQ(panel->size(), QSize(600, 100)) << "only moved, never resized";
}

TEST(Named, GivesTheObjectNameAndHandsTheWidgetBack)
{
    QWidget form;
    QWidget* made = Named(new QWidget(&form), "pnlMain");
    EXPECT_EQ(made->objectName(), QStringLiteral("pnlMain"));
    EXPECT_EQ(form.findChild<QWidget*>(QStringLiteral("pnlMain")), made);
}

TEST(GuardedOnFirstShow, PreparesOnceAndShowsAFailureInsteadOfLettingItOut)
{
    TScriptedDialogs dialogs;
    bool shown = false;
    int prepared = 0;
    const auto prepare = [&] {
        ++prepared;
        throw std::runtime_error("no database");
    };
    EXPECT_NO_THROW(GuardedOnFirstShow(shown, prepare));
    EXPECT_TRUE(shown);
    EXPECT_EQ(dialogs.Texts(), QStringList{"no database"});
    EXPECT_EQ(dialogs.Shown().at(0).kind, TMsgKind::Error);
    // Restored from minimised: not prepared again, even after a failed first preparation.
    GuardedOnFirstShow(shown, prepare);
    EXPECT_EQ(prepared, 1);
    EXPECT_EQ(dialogs.Shown().size(), 1u);
}

TEST(SetMinimiseOnlyTitleBar, LeavesTheSystemMenuAndTheMinimiseBoxButNoMaximiseBox)
{
    QWidget window;
    SetMinimiseOnlyTitleBar(&window);
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_TRUE(window.isWindow());
    EXPECT_TRUE(flags & Qt::CustomizeWindowHint) << "the buttons are the window's choice";
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
}
