#pragma once
// What the record-set reader and writer share besides the record set: only their sources
// include it.
#include <QString>
#include <cstddef>
#include <string_view>

namespace recordset_xml {
// "第<row>行<column>列": the cell the reason for a refused value names.
QString CellName(size_t row, const QString& column);
// UTF-8 bytes as text.
QString Text(std::string_view utf8);
// -?digits
bool IsIntegerText(std::string_view s);
}  // namespace recordset_xml
