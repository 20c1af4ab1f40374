"""Prints what openpyxl reads of a workbook's first sheet, as JSON: every cell's value, type,
cached value, number format, bold and border sides, the merges, column widths, print titles
and page set-up.

    read_workbook.py <file.xlsx>
    read_workbook.py --values <file.xlsx>    values and dimension only, read as a stream (large files)
"""
import json
import sys

from openpyxl import load_workbook


def values_only(name):
    sheet = load_workbook(name, read_only=True).worksheets[0]
    cells = {}
    for row in sheet.iter_rows():
        for cell in row:
            if cell.value is not None:
                cells[cell.coordinate] = {"value": cell.value, "type": cell.data_type}
    json.dump({"dimension": sheet.calculate_dimension(), "cells": cells}, sys.stdout, ensure_ascii=False, default=str)


def main():
    if sys.argv[1] == "--values":
        values_only(sys.argv[2])
        return
    name = sys.argv[1]
    book = load_workbook(name)
    cached = load_workbook(name, data_only=True)
    sheet = book.worksheets[0]
    values = cached.worksheets[0]
    cells = {}
    for row in sheet.iter_rows():
        for cell in row:
            b = cell.border
            sides = "".join(s for s, side in (("L", b.left), ("R", b.right), ("T", b.top), ("B", b.bottom))
                            if side is not None and side.style == "thin")
            cells[cell.coordinate] = {
                "value": cell.value if not isinstance(cell.value, float) or cell.value != int(cell.value)
                else int(cell.value),
                "type": cell.data_type,
                "cached": values[cell.coordinate].value,
                "format": cell.number_format,
                "bold": bool(cell.font.b),
                "borders": sides,
            }
    out = {
        "title": sheet.title,
        "dimension": sheet.dimensions,
        "cells": cells,
        "merges": sorted(str(m) for m in sheet.merged_cells.ranges),
        "widths": {k: v.width for k, v in sheet.column_dimensions.items() if v.width},
        "print_titles": sheet.print_title_rows,
        "paper": sheet.page_setup.paperSize,
        "orientation": sheet.page_setup.orientation,
        "fit_width": sheet.page_setup.fitToWidth,
        "full_calc_on_load": bool(book.calculation.fullCalcOnLoad),
    }
    json.dump(out, sys.stdout, ensure_ascii=False, default=str)


if __name__ == "__main__":
    main()
