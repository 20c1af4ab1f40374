#pragma once
#include "exchange/RecordsetXml.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

// A file of the record-set fixtures that other writers made. They lie beside the repository,
// not in it: a checkout without them skips the tests that compare with them.
QString Fixture(const QString& name);
bool FixturesPresent();
#define SKIP_WITHOUT_FIXTURES() \
    if (!FixturesPresent())     \
    GTEST_SKIP() << "record-set fixtures not found at " << Fixture(QString()).toStdString()

// What the record-set writer writes of rs.
QByteArray RecordsetBytes(const TRecordset& rs);

// An invoice row of SaleDetail: every column in the table's order, NULLs where the clerk
// leaves a field empty; the values are those exchange files must carry unchanged.
QVariantList InvoiceValues(const QString& point, const QString& issued, const QString& number, double total);
