#include "ScriptedDialogs.h"
#include "core/Errors.h"
#include "shell/TApplication.h"

#include <gtest/gtest.h>
#include <stdexcept>

TEST(DeliverGuarded, AnEscapingErrorIsShownInAnErrorBoxAndTheEventCountsAsUnhandled)
{
    TScriptedDialogs dialogs;
    EXPECT_FALSE(DeliverGuarded([]() -> bool { throw EDatabaseError(QStringLiteral("数据库已锁定")); }));
    EXPECT_FALSE(DeliverGuarded([]() -> bool { throw std::runtime_error("bad state"); }));
    EXPECT_FALSE(DeliverGuarded([]() -> bool { throw 42; }));
    ASSERT_EQ(dialogs.Shown().size(), 3u);
    for (const TShownBox& box : dialogs.Shown()) {
        EXPECT_EQ(box.kind, TMsgKind::Error);
        EXPECT_EQ(box.caption, QStringLiteral("错误"));
    }
    EXPECT_EQ(dialogs.Texts(), (QStringList{"数据库已锁定", "bad state", "未知错误"}));
}

TEST(DeliverGuarded, ADeliveryWithoutErrorKeepsItsResultAndShowsNothing)
{
    TScriptedDialogs dialogs;
    EXPECT_TRUE(DeliverGuarded([] { return true; }));
    EXPECT_FALSE(DeliverGuarded([] { return false; }));
    EXPECT_TRUE(dialogs.Shown().empty());
}
