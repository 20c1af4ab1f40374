// Every test program: offscreen windows on a fixed screen, the C locale, a fixed clock and a fixed DPI.
#include "ProgramFolder.h"
#include "core/Clock.h"
#include "core/Globals.h"

#include <QApplication>
#include <QLocale>
#include <clocale>
#include <gtest/gtest.h>

namespace {
class FixedClockListener : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override
    {
        SetClock([] { return FixedNow(); });
    }
};

// Every test starts on the application context of a fresh process, whatever the test before
// it left behind: the company record, the lists, the password and the offsets outlive
// FreeGlobals, as they do in the program.
class FreshContextListener : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { Restore(); }
    void OnTestEnd(const ::testing::TestInfo&) override { Restore(); }
    static void Restore()
    {
        FreeGlobals();
        AppPath.clear();
        PrtOffX = 0;
        PrtOffY = 0;
        CorpInfo = TBaseInfo();
        UserPassword.clear();
    }
};
}  // namespace

int main(int argc, char** argv)
{
    // A desk screen of 1024 x 768 at 96 dpi.
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" TALLYRA_TEST_SCREEN);
    qputenv("QT_FONT_DPI", "96");
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qputenv("LANG", "C.UTF-8");
    qputenv("TZ", "UTC");
    std::setlocale(LC_ALL, "C.UTF-8");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale::c());
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FixedClockListener);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshContextListener);
    return RUN_ALL_TESTS();
}
