#pragma once
#include <QJsonObject>
#include <QString>

// What openpyxl, a reader independent of ours, reads of a workbook's first sheet (see
// read_workbook.py): "cells" by name with "value", "type", "cached", "format", "bold",
// "borders" ("LRTB" for thin sides), and "merges", "widths", "print_titles", "dimension",
// "paper", "orientation", "fit_width", "full_calc_on_load". Empty when it cannot read it.
QJsonObject ReadWithOpenpyxl(const QString& file);
// Only the cells' "value" and "type", and the "dimension", read as a stream: for large files.
QJsonObject ReadValuesWithOpenpyxl(const QString& file);
// One cell's entry; empty for a cell openpyxl does not have.
QJsonObject OpenpyxlCell(const QJsonObject& sheet, const QString& name);
