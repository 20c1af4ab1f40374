#pragma once
// Reads the record-set files that invoicing points exchange.
#include "RecordsetXml.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

class QIODevice;

// What a reader takes: at most so many columns and rows, and columns that check passes (it
// raises to refuse them). Both are tested before the first row is read.
struct TRecordsetLimits {
    size_t maxColumns = 1024;
    size_t maxRows = 1000000;
    std::function<void(const std::vector<TField>&)> checkColumns;
};

// Reads a record-set file from a device, a piece at a time (UTF-8 with or without a BOM, UTF-16
// with one). Raises ERecordsetFormat when it is none, is not well-formed XML, holds an element
// in its data that is no row, goes past the limits or has a value that does not fit its column's
// type, EInOutError when the device fails, and whatever limits.checkColumns raises.
TRecordset ReadRecordsetXml(QIODevice& device, const TRecordsetLimits& limits = {});
TRecordset ReadRecordsetXml(const QByteArray& bytes, const TRecordsetLimits& limits = {});
// The same from a file; a file larger than kMaxRecordsetFile is refused unread.
TRecordset LoadRecordsetXmlFile(const QString& path, const TRecordsetLimits& limits = {});
inline constexpr qint64 kMaxRecordsetFile = 1024LL * 1024 * 1024;
