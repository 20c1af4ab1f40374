#pragma once
#include "Errors.h"

#include <QFile>
#include <QString>
#include <functional>

// A file replaced whole or not at all. The bytes go into a hidden temporary beside it
// (".<name>.tmp"), which replaces the file only on Commit, once it is on disk; the file a link
// points at is the one replaced. Dropped without Commit, it removes the temporary and leaves the
// file as it was. A temporary a killed run left behind is written over by the next save.
// Failures raise EFileError: "无法创建文件：", "无法写入文件：" or "无法替换文件：" and the
// system's reason.
class TWholeFile {
public:
    explicit TWholeFile(const QString& path);
    ~TWholeFile();
    TWholeFile(const TWholeFile&) = delete;
    TWholeFile& operator=(const TWholeFile&) = delete;

    QIODevice& Device() { return m_temporary; }
    // Puts what was written on disk, so that a step that must follow the bytes (a commit)
    // can come before Commit.
    void Flush();
    // Flushes, and the temporary replaces the file.
    void Commit();

private:
    QString m_path;    // as the caller named it, for the messages
    QString m_target;  // the file replaced
    QFile m_temporary;
    bool m_flushed = false;
    bool m_committed = false;
};

// The usual whole save: write fills the device; false (the device's error is the reason) or an
// exception (passed on unchanged) leaves the file as it was.
void SaveWholeFile(const QString& path, const std::function<bool(QIODevice&)>& write);
