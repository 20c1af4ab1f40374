#include "ScriptedDialogs.h"
#include "widgets/Guarded.h"
#include "widgets/WindowHelpers.h"

#include <QWidget>
#include <gtest/gtest.h>
#include <stdexcept>

// The room left halved; larger than the room, the odd pixel is dropped on the far side, as div
// does; a corner kept in view only when asked.
TEST(CentredCorner, HalvesTheRoomLeftTruncatingTowardZero)
{
    const struct {
        QSize room;
        TOverhang overhang;
        QPoint corner;
    } rows[] = {{{800, 600}, TOverhang::BothSides, {40, 40}}, {{801, 601}, TOverhang::BothSides, {40, 40}},
                {{715, 511}, TOverhang::BothSides, {-2, -4}}, {{700, 600}, TOverhang::KeepCorner, {0, 40}},
                {{800, 500}, TOverhang::KeepCorner, {40, 0}}, {{800, 600}, TOverhang::KeepCorner, {40, 40}}};
    for (const auto& [room, overhang, corner] : rows)
        EXPECT_EQ(CentredCorner(room, QSize(720, 520), overhang), corner) << room.width() << "x" << room.height();
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
