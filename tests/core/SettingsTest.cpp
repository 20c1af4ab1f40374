// The settings file read and written as plain lines.
#include "FailingDevice.h"
#include "ProgramFolder.h"
#include "core/Globals.h"
#include "core/Settings.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace {
TIniText Parsed(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    TIniText ini;
    EXPECT_TRUE(ini.Read(buffer));
    return ini;
}

QByteArray WithOffsets(const QByteArray& bytes, const char* x = "7", const char* y = "-2")
{
    TIniText ini = Parsed(bytes);
    ini.SetValue(QStringLiteral("Print"), QStringLiteral("prtOffX"), QString::fromLatin1(x));
    ini.SetValue(QStringLiteral("Print"), QStringLiteral("prtOffY"), QString::fromLatin1(y));
    return ini.Bytes();
}

const QByteArray kWritten =
    "; settings of the first invoicing point\r\n"
    "[download]\r\n"
    "url = http://host/up?a=1,2;x \r\n"
    "URL=second\r\n"
    ";url=commented out\r\n"
    "\r\n"
    "[Print]\r\n"
    "prtOffX = 5\r\n"
    "a line without a key\r\n"
    "[print]\r\n"
    "prtOffY=9\r\n";
}  // namespace

TEST(IniText, AValueIsTheRestOfItsLineUnderTheFirstSectionOfItsName)
{
    const TIniText ini = Parsed(kWritten);
    EXPECT_EQ(ini.Value(QStringLiteral("download"), QStringLiteral("url")), QStringLiteral("http://host/up?a=1,2;x"));
    EXPECT_EQ(ini.Value(QStringLiteral("DOWNLOAD"), QStringLiteral("Url")), QStringLiteral("http://host/up?a=1,2;x"));
    EXPECT_EQ(ini.Value(QStringLiteral("Print"), QStringLiteral("prtOffX")), QStringLiteral("5"));
    EXPECT_EQ(ini.Value(QStringLiteral("Print"), QStringLiteral("prtOffY")), std::nullopt) << "a later [print] does not count";
    EXPECT_EQ(ini.Value(QStringLiteral("Print"), QStringLiteral("url")), std::nullopt);
    EXPECT_EQ(ini.Value(QStringLiteral("other"), QStringLiteral("url")), std::nullopt);
    EXPECT_EQ(Parsed("[download]\nurl=\n").Value(QStringLiteral("download"), QStringLiteral("url")), QString(""));
    EXPECT_EQ(Parsed("\xEF\xBB\xBF[download]\nurl=\"a\"\\n").Value(QStringLiteral("download"), QStringLiteral("url")),
              QStringLiteral("\"a\"\\n"))
        << "no quoting, no escapes";
}

TEST(IniText, SettingKeysChangesTheirLinesOnlyAndAddsWhatIsMissing)
{
    EXPECT_EQ(WithOffsets(kWritten), QByteArray("; settings of the first invoicing point\r\n"
                                                "[download]\r\n"
                                                "url = http://host/up?a=1,2;x \r\n"
                                                "URL=second\r\n"
                                                ";url=commented out\r\n"
                                                "\r\n"
                                                "[Print]\r\n"
                                                "prtOffX = 7\r\n"
                                                "a line without a key\r\n"
                                                "prtOffY=-2\r\n"
                                                "[print]\r\n"
                                                "prtOffY=9\r\n"));
    // The missing key goes to the end of its section, before the blank line parting it from the next.
    EXPECT_EQ(WithOffsets("[Print]\nprtoffx=1\n\n[download]\nurl=u\n"),
              QByteArray("[Print]\nprtoffx=7\nprtOffY=-2\n\n[download]\nurl=u\n"));
    // A missing section is added at the end, after the last line has been ended.
    EXPECT_EQ(WithOffsets("[download]\r\nurl=u"), QByteArray("[download]\r\nurl=u\r\n[Print]\r\nprtOffX=7\r\nprtOffY=-2\r\n"));
    EXPECT_EQ(WithOffsets("[Print]"), QByteArray("[Print]\nprtOffX=7\nprtOffY=-2\n"));
    EXPECT_EQ(WithOffsets(""), QByteArray("[Print]\nprtOffX=7\nprtOffY=-2\n"));
}

TEST(IniText, WritesBackEveryByteItReadAndReportsADeviceThatFails)
{
    for (const QByteArray& bytes : {kWritten, QByteArray("\xEF\xBB\xBF[a]\nk=\xff\xfe\r\nno end"), QByteArray("\n\n")}) {
        const TIniText ini = Parsed(bytes);
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        ASSERT_TRUE(ini.Write(out));
        EXPECT_EQ(out.data(), bytes);
    }
    const TIniText ini = Parsed(kWritten);
    for (qint64 limit : {0LL, 1LL, static_cast<qint64>(kWritten.size()) - 1}) {
        TFailingDevice device({}, limit);
        device.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        EXPECT_FALSE(ini.Write(device)) << limit;
    }
    TFailingDevice whole({}, kWritten.size());
    whole.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    EXPECT_TRUE(ini.Write(whole));
    EXPECT_EQ(whole.written, kWritten);

    TFailingDevice broken(kWritten, kWritten.size() / 2);
    broken.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    TIniText partial;
    EXPECT_FALSE(partial.Read(broken));
}

// Saving the offsets through the file is the print fine-tuning window's test.
TEST(Settings, AnOffsetThatIsNotAPlainIntegerReadsAsTheDefault)
{
    TTestProgramFolder folder;
    AppPath = folder.Path();
    folder.WriteFile(QStringLiteral("Corvane.ini"), "[Print]\nprtOffX=+5\nprtOffY=1.5\n");
    EXPECT_EQ(ReadIniInteger(QStringLiteral("Print"), QStringLiteral("prtOffX"), 11), 11);
    EXPECT_EQ(ReadIniInteger(QStringLiteral("Print"), QStringLiteral("prtOffY"), 12), 12);
}
