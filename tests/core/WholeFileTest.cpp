#include "core/WholeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
class WholeFile : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString File(const QString& name = QStringLiteral("data.xml")) const { return dir.filePath(name); }

    void Write(const QString& file, const QByteArray& bytes) const
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    QByteArray Read(const QString& file) const
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
    }
    // Every entry of the folder, hidden ones too.
    QStringList Entries() const
    {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }
};

bool WriteNew(QIODevice& d) { return d.write("new bytes") == 9; }
}  // namespace

TEST_F(WholeFile, ReplacesTheFileAndLeavesNoTemporary)
{
    SaveWholeFile(File(), WriteNew);
    EXPECT_EQ(Read(File()), "new bytes");
    Write(File(), "old");
    SaveWholeFile(File(), [](QIODevice& d) { return d.write("second") == 6; });
    EXPECT_EQ(Read(File()), "second");
    EXPECT_EQ(Entries(), QStringList{"data.xml"});
}

// A writer that fails or throws: the old file stays, and no temporary.
TEST_F(WholeFile, AWriterThatFailsKeepsTheOldFileAndNamesIt)
{
    Write(File(), "old");
    try {
        SaveWholeFile(File(), [](QIODevice& d) { return d.write("half") < 0; });
        ADD_FAILURE() << "no exception";
    } catch (const EFileError& e) {
        EXPECT_EQ(e.File(), File());
        EXPECT_TRUE(e.Reason().startsWith(QStringLiteral("无法写入文件："))) << e.Text().toStdString();
        EXPECT_TRUE(e.Text().contains(File())) << e.Text().toStdString();
    }
    EXPECT_THROW(SaveWholeFile(File(),
                               [](QIODevice& d) -> bool {
                                   d.write("half");
                                   throw EConvertError(QStringLiteral("bad value"));
                               }),
                 EConvertError);
    EXPECT_EQ(Read(File()), "old");
    EXPECT_EQ(Entries(), QStringList{"data.xml"});
}

TEST_F(WholeFile, AFolderThatCannotTakeTheFileIsNamed)
{
    // A plain file where the folder should be: nothing can be created in it.
    Write(File(QStringLiteral("reports")), "not a folder");
    const QString file = File(QStringLiteral("reports/list.xlsx"));
    try {
        SaveWholeFile(file, WriteNew);
        ADD_FAILURE() << "no exception";
    } catch (const EFileError& e) {
        EXPECT_TRUE(e.Reason().startsWith(QStringLiteral("无法创建文件："))) << e.Text().toStdString();
        EXPECT_TRUE(e.Text().contains(dir.filePath(QStringLiteral("reports")))) << e.Text().toStdString();
    }
    EXPECT_EQ(Entries(), QStringList{"reports"});
}

TEST_F(WholeFile, AFileThatCannotBeReplacedIsNamedAndTheTemporaryGoes)
{
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("data.xml/kept")));
    try {
        SaveWholeFile(File(), WriteNew);
        ADD_FAILURE() << "no exception";
    } catch (const EFileError& e) {
        EXPECT_TRUE(e.Reason().startsWith(QStringLiteral("无法替换文件："))) << e.Text().toStdString();
        EXPECT_EQ(e.File(), File());
    }
    EXPECT_TRUE(QFileInfo(File(QStringLiteral("data.xml/kept"))).isDir());
    EXPECT_EQ(Entries(), QStringList{"data.xml"});
}

TEST_F(WholeFile, DroppedAfterAFlushTheOldFileStays)
{
    Write(File(), "old");
    {
        TWholeFile out(File());
        out.Device().write("flushed but never committed");
        out.Flush();
        EXPECT_EQ(Read(File()), "old");
    }
    EXPECT_EQ(Read(File()), "old");
    EXPECT_EQ(Entries(), QStringList{"data.xml"});
}

TEST_F(WholeFile, ALinkStaysALinkAndItsFileIsReplaced)
{
    Write(File(QStringLiteral("real.ini")), "old");
    ASSERT_TRUE(QFile::link(File(QStringLiteral("real.ini")), File(QStringLiteral("link.ini"))));
    ASSERT_TRUE(QFile::setPermissions(File(QStringLiteral("real.ini")), QFile::ReadOwner | QFile::WriteOwner));
    SaveWholeFile(File(QStringLiteral("link.ini")), WriteNew);
    EXPECT_TRUE(QFileInfo(File(QStringLiteral("link.ini"))).isSymLink());
    EXPECT_EQ(Read(File(QStringLiteral("real.ini"))), "new bytes");
    const QFile::Permissions owner = QFile::ReadOwner | QFile::WriteOwner;
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
    EXPECT_EQ(QFile::permissions(File(QStringLiteral("real.ini"))) & (owner | others), owner);
    EXPECT_EQ(Entries(), (QStringList{"link.ini", "real.ini"}));
}
