#!/usr/bin/env python3
"""Makes the workbook templates of the reports into the folder given (the program folder's
template/). The build runs it; the templates are not kept in the repository.

    make-templates.py <folder>
"""
import os
import sys
import tempfile

from openpyxl import Workbook
from openpyxl.styles import Alignment, Border, Font, Side
from openpyxl.worksheet.properties import PageSetupProperties

SONG = "宋体"


def save(workbook, folder, name):
    # Written beside its final name and renamed, so a build never leaves half a template.
    target = os.path.join(folder, name)
    handle, temporary = tempfile.mkstemp(dir=folder, suffix=".tmp")
    os.close(handle)
    try:
        workbook.save(temporary)
        os.chmod(temporary, 0o644)
        os.replace(temporary, target)
    except BaseException:
        os.unlink(temporary)
        raise


def sale_list(folder):
    """The invoice list: title over A1:G1, row 3 free for the company, its taxpayer number and
    the month, headings in row 4, one invoice a row from row 5. Codes, numbers and frame
    numbers are text; the amount is right-aligned. A4, one page wide, rows 1-4 on every page."""
    wb = Workbook()
    ws = wb.active
    ws.title = "发票清单"

    columns = [
        ("A", 6, "序号"),
        ("B", 16, "发票代码"),
        ("C", 12, "发票号码"),
        ("D", 30, "生产企业名称"),
        ("E", 22, "车辆型号"),
        ("F", 24, "车架号码/车辆识别代号"),
        ("G", 14, "价税合计"),
    ]
    for letter, width, _ in columns:
        dim = ws.column_dimensions[letter]
        dim.width = width
        dim.font = Font(name=SONG, size=10)
        if letter in "BCF":
            dim.number_format = "@"
        if letter == "G":
            dim.alignment = Alignment(horizontal="right")

    ws.merge_cells("A1:G1")
    ws["A1"] = "机动车销售统一发票清单"
    ws["A1"].font = Font(name=SONG, size=16, bold=True)
    ws["A1"].alignment = Alignment(horizontal="center", vertical="center")
    ws.row_dimensions[1].height = 30
    ws.row_dimensions[2].height = 8
    ws.row_dimensions[3].height = 18
    # The header cells of row 3 take their column's style; each has room over its neighbours.
    for cells in ("A3:C3", "D3:E3", "F3:G3"):
        ws.merge_cells(cells)
    ws.row_dimensions[4].height = 20
    for index, (letter, _, heading) in enumerate(columns, start=1):
        cell = ws.cell(row=4, column=index, value=heading)
        cell.font = Font(name=SONG, size=10, bold=True)
        cell.alignment = Alignment(horizontal="center", vertical="center")

    ws.page_setup.paperSize = ws.PAPERSIZE_A4
    ws.page_setup.orientation = "portrait"
    ws.page_setup.fitToWidth = 1
    ws.page_setup.fitToHeight = 0
    ws.sheet_properties.pageSetUpPr = PageSetupProperties(fitToPage=True)
    ws.print_title_rows = "1:4"
    ws.print_options.horizontalCentered = True
    save(wb, folder, "机动车销售统一发票清单.xlsx")


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make-templates.py <folder>")
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    sale_list(folder)


if __name__ == "__main__":
    main()
