#pragma once
#include "TWorkbook.h"

#include <QString>

class QPrinter;
class QWidget;

// The sheet's paper (by its spreadsheet code), orientation and margins on printer.
void SetUpSheetPage(const TSheetContent& sheet, QPrinter& printer);

// Draws the sheet onto printer, page after page: the columns shrunk to the page width where
// they are wider, the print-title rows at the top of every page, fonts, alignment, merged
// cells and borders. Returns the pages drawn; raises EPrintError when the printer cannot be
// painted on or fails.
int RenderSheet(const TSheetContent& sheet, QPrinter& printer);

// The print preview of the sheet on printer, titled title. Printing from it raises EPrintError,
// once the preview has closed, when the sheet could not be drawn on the printer.
void PreviewSheet(const TSheetContent& sheet, QPrinter& printer, const QString& title, QWidget* parent);

// Prints the first sheet of a workbook file: a print preview on the default printer, or with
// TALLYRA_PRINT_PDF straight into that PDF. Nothing is written to the workbook. Raises
// EWorkbookError when the file cannot be read and EPrintError when printing fails.
void PrintSheet(const QString& file, QWidget* parent);
