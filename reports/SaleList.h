#pragma once
#include "ReportMaking.h"

#include <QString>

class TWorkbook;

// The invoice list of a month: every valid invoice (normal and negative) of every invoicing
// point, one a row, written into the first sheet of the list's template.

// corpName + "yyyy年MM月" + "机动车销售统一发票清单.xlsx".
QString SaleListFileName(const QString& corpName, const QString& month);
// AppPath + "template/机动车销售统一发票清单.xlsx".
QString SaleListTemplate();

// A3, D3 and F3 from the company record and the month; from row 5 one invoice a row (number,
// code, number, maker, model, frame number, amount, all as text), then "合计" and the sum in
// "%10.2f"; a month without invoices gets rows 5 to 13 numbered and empty with the total in
// row 14. With borders the list is framed from A4 down to its total row (row 15 when empty).
// Returns the number of invoices; raises EDatabaseError, EConvertError or EWorkbookError.
int FillSaleList(TWorkbook& book, const QString& month, bool borders);

// Reads the template, fills it and saves it as folder + name, which is replaced only by a
// complete list. The template is only read. Raises as FillSaleList, and EWorkbookError for a
// name that would point into another folder.
int MakeSaleList(const QString& folder, const QString& name, const QString& month, bool borders);
