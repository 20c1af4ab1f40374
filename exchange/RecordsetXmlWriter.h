#pragma once
// Writes the record-set files that invoicing points exchange, in the layout the peers' writers use.
#include "RecordsetXml.h"

#include <QString>

class QIODevice;

// Writes rs as current rows. Raises ERecordsetFormat for a value the format cannot carry (the
// reason names its row and column) and EInOutError when the device fails.
void WriteRecordsetXml(QIODevice& device, const TRecordset& rs);
// Writes into a temporary file beside path that replaces path only once it is complete.
void SaveRecordsetXmlFile(const QString& path, const TRecordset& rs);
