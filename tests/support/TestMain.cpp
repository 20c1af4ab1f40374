// Every test program: offscreen windows, the C locale, a fixed clock and a fixed DPI.
#include "ProgramFolder.h"
#include "core/Clock.h"

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
}  // namespace


int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_FONT_DPI", "96");
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qputenv("LANG", "C.UTF-8");
    qputenv("TZ", "UTC");
    std::setlocale(LC_ALL, "C.UTF-8");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale::c());
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FixedClockListener);
    return RUN_ALL_TESTS();
}
