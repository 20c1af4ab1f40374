#pragma once
#include <QByteArray>
#include <QString>
#include <vector>

// The parts of a workbook file (a zip package), in the order they are stored.
struct TZipEntry {
    QByteArray name;
    QByteArray data;
};

// Nothing larger is read: a workbook of the reports is a few megabytes.
inline constexpr qint64 kMaxPackageBytes = 256 * 1024 * 1024;

// Raises EWorkbookError (file names the source) when bytes are not a readable zip.
std::vector<TZipEntry> ReadZip(const QByteArray& bytes, const QString& file);
// The entries deflated into a zip, with a fixed time stamp so that equal workbooks are equal
// files; raises EWorkbookError.
QByteArray WriteZip(const std::vector<TZipEntry>& entries, const QString& file);
