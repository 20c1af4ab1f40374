#pragma once
#include "ProgramFolder.h"  // DbExec, DbValue, DbCount
#include "QtPrinters.h"

#include <QString>
#include <QStringList>
#include <QVariant>

class QWidget;

class TTestProgramFolder;
class TframeInput;

inline const char* const kCode = "144001900111";

// Company "某汽车销售公司" at invoicing point point, two car types, two models and one
// received roll of 50 invoices, 00001001 to 00001050, of code kCode.
void SeedIssuing(const TTestProgramFolder& folder, const QString& point = QStringLiteral("总部"));
// A received roll as the stock receipt books it.
void AddRoll(const TTestProgramFolder& folder, const QString& code, const QString& first, const QString& last,
             const QString& day = QStringLiteral("2026-03-01"), const QString& point = QStringLiteral("总部"));

// Puts the default template file into the program folder: the context imports it.
void UseDefaultTemplate(const TTestProgramFolder& folder);
// Prints into file from now on (the printing layer reads TALLYRA_PRINT_PDF).
void PrintInto(const QString& file);
// The words of a printed PDF, in reading order, and its number of pages (-1: no readable file).
QStringList PdfWords(const QString& file);
int PdfPages(const QString& file);

// A valid normal invoice for car n (its own engine and frame numbers).
void FillValidInvoice(TframeInput& frame, int car = 1);
