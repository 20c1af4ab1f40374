#include "WholeFile.h"

#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {
QString Target(const QString& path)
{
    const QFileInfo info(path);
    return info.isSymLink() ? info.symLinkTarget() : path;
}

QString TemporaryFor(const QString& target)
{
    const QFileInfo info(target);
    return info.path() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".tmp");
}

QString SystemReason() { return QString::fromLocal8Bit(std::strerror(errno)); }
}  // namespace

TWholeFile::TWholeFile(const QString& path) : m_path(path), m_target(Target(path)), m_temporary(TemporaryFor(m_target))
{
    if (!m_temporary.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EFileError(m_path, QStringLiteral("无法创建文件：") + m_temporary.errorString());
    // The new file keeps the access of the one it replaces.
    if (QFileInfo(m_target).isFile())
        m_temporary.setPermissions(QFile::permissions(m_target));
}

TWholeFile::~TWholeFile()
{
    if (!m_committed) {
        m_temporary.close();
        m_temporary.remove();
    }
}

void TWholeFile::Flush()
{
    if (m_flushed)
        return;
    if (!m_temporary.flush())
        throw EFileError(m_path, QStringLiteral("无法写入文件：") + m_temporary.errorString());
    if (::fsync(m_temporary.handle()) != 0)
        throw EFileError(m_path, QStringLiteral("无法写入文件：") + SystemReason());
    m_flushed = true;
}

void TWholeFile::Commit()
{
    Flush();
    m_temporary.close();
    // QFile::rename would not replace an existing file.
    if (std::rename(QFile::encodeName(m_temporary.fileName()).constData(), QFile::encodeName(m_target).constData()) != 0)
        throw EFileError(m_path, QStringLiteral("无法替换文件：") + SystemReason());
    m_committed = true;
}

void SaveWholeFile(const QString& path, const std::function<bool(QIODevice&)>& write)
{
    TWholeFile file(path);
    if (!write(file.Device()))
        throw EFileError(path, QStringLiteral("无法写入文件：") + file.Device().errorString());
    file.Commit();
}
