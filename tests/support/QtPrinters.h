#pragma once
// Readable texts in failure messages. Every file of a test program that prints these types must
// see the same printers: a printer seen by some files only would make the printing differ from
// file to file.
#include <QString>
#include <QStringList>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }
inline void PrintTo(const QStringList& list, std::ostream* os) { *os << '[' << list.join(u'|').toStdString() << ']'; }
