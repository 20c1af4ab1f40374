#pragma once
// Readable texts in failure messages. Given to every file of the test program at once: a
// printer seen by some files only would make the printing differ from file to file.
#include <QString>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }
