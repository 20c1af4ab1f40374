#include "widgets/Pictures.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {
QByteArray Bytes(const QString& name)
{
    QFile f(QStringLiteral(":/pictures/%1.jpg").arg(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
}  // namespace

TEST(Pictures, TheProgramsPicturesDecodeWithTheirSizesAndColours)
{
    const struct {
        const char* name;
        QSize size;
    } pictures[] = {{"login", {425, 218}}, {"main", {960, 640}}, {"password", {481, 294}}, {"about", {177, 235}}};
    for (const auto& p : pictures) {
        const QImage image = LoadPicture(QString::fromLatin1(p.name));
        ASSERT_FALSE(image.isNull()) << p.name;
        EXPECT_EQ(image.size(), p.size) << p.name;
        EXPECT_EQ(image.format(), QImage::Format_RGB32) << p.name;
    }
    // The login picture starts dark blue at its top-left corner: red and blue are not swapped.
    const QColor corner = LoadPicture(QStringLiteral("login")).pixelColor(0, 0);
    EXPECT_LT(corner.red(), 40);
    EXPECT_GT(corner.blue(), 45);
    EXPECT_GT(corner.blue(), corner.red() + 30);
    // The about picture's red seal.
    const QColor seal = LoadPicture(QStringLiteral("about")).pixelColor(118, 152);
    EXPECT_GT(seal.red(), 150);
    EXPECT_LT(seal.blue(), 100);
    EXPECT_TRUE(LoadPicture(QStringLiteral("nothing")).isNull());
}

TEST(Pictures, BytesThatAreNoPictureGiveANullImageAndTheReasonWithoutEndingTheProgram)
{
    QString error;
    EXPECT_TRUE(DecodeJpeg(QByteArray("this is not a picture at all"), &error).isNull());
    EXPECT_FALSE(error.isEmpty());
    error.clear();
    EXPECT_TRUE(DecodeJpeg(QByteArray(), &error).isNull());
    EXPECT_FALSE(error.isEmpty());
    // A damaged body after a sound header: the decoder is stopped, or recovers, but returns.
    QByteArray damaged = Bytes(QStringLiteral("main"));
    ASSERT_GT(damaged.size(), 2000);
    for (int i = 700; i < damaged.size() - 2; i += 7)
        damaged[i] = static_cast<char>(0xFF);
    const QImage image = DecodeJpeg(damaged, &error);
    EXPECT_TRUE(image.isNull() || image.size() == QSize(960, 640));
    // Cut short: what arrived is shown, the rest is filled in.
    const QImage cut = DecodeJpeg(Bytes(QStringLiteral("main")).left(3000));
    EXPECT_EQ(cut.size(), QSize(960, 640));
}
