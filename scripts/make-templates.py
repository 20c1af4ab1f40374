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
from openpyxl.utils import get_column_letter
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


def title_rows(ws, title, last_column, header_cells):
    """The title over row 1 to last_column, a thin row 2, and row 3 for the header texts: each
    header cell takes its column's style and is merged over its neighbours, because the view and
    the printing let no text spill into the next cell."""
    ws.merge_cells(f"A1:{last_column}1")
    ws["A1"] = title
    ws["A1"].font = Font(name=SONG, size=16, bold=True)
    ws["A1"].alignment = Alignment(horizontal="center", vertical="center")
    ws.row_dimensions[1].height = 30
    ws.row_dimensions[2].height = 8
    ws.row_dimensions[3].height = 18
    for cells in header_cells:
        ws.merge_cells(cells)


def page_setup(ws, orientation, repeated_rows):
    """A4, one page wide, repeated_rows ("1:4") at the top of every page, centred."""
    ws.page_setup.paperSize = ws.PAPERSIZE_A4
    ws.page_setup.orientation = orientation
    ws.page_setup.fitToWidth = 1
    ws.page_setup.fitToHeight = 0
    ws.sheet_properties.pageSetUpPr = PageSetupProperties(fitToPage=True)
    ws.print_title_rows = repeated_rows
    ws.print_options.horizontalCentered = True


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

    title_rows(ws, "机动车销售统一发票清单", "G", ("A3:C3", "D3:E3", "F3:G3"))
    ws.row_dimensions[4].height = 20
    for index, (letter, _, heading) in enumerate(columns, start=1):
        cell = ws.cell(row=4, column=index, value=heading)
        cell.font = Font(name=SONG, size=10, bold=True)
        cell.alignment = Alignment(horizontal="center", vertical="center")

    page_setup(ws, "portrait", "1:4")
    save(wb, folder, "机动车销售统一发票清单.xlsx")


def stock_statement(folder):
    """The monthly receipt-use-stock statement: title over A1:M1, row 3 free for the company, its
    taxpayer number and the month, the heads of the six column groups in rows 5 and 6 (framed
    with the rows by the program), one range a row from row 8 under the total row 7. Ranges and
    runs are text; counts are numbers. A4 landscape, one page wide, rows 1-6 on every page."""
    wb = Workbook()
    ws = wb.active
    ws.title = "领用存月报表"

    # A the point; then pairs of a count (a number, right) and its numbers (text, centred).
    for column in range(1, 14):
        dim = ws.column_dimensions[get_column_letter(column)]
        dim.font = Font(name=SONG, size=10)
        if column % 2 == 0:
            dim.width = 7
            dim.alignment = Alignment(horizontal="right")
        else:
            dim.width = 14 if column == 1 else 19
            dim.number_format = "@"
            if column > 1:
                dim.alignment = Alignment(horizontal="center")

    title_rows(ws, "机动车销售统一发票领用存月报表", "M", ("A3:D3", "E3:I3", "J3:M3"))
    ws.merge_cells("A4:M4")
    ws["A4"] = "发票名称：机动车销售统一发票　　　　单位：份"
    ws["A4"].font = Font(name=SONG, size=10)

    head = Font(name=SONG, size=10, bold=True)
    centre = Alignment(horizontal="center", vertical="center", wrap_text=True)
    ws.merge_cells("A5:A6")
    ws["A5"] = "开票点"
    groups = ["期初库存", "本期领购", "本期使用", "本期交回", "本期作废、遗失", "期末库存"]
    for index, group in enumerate(groups):
        count = 2 + 2 * index
        ws.merge_cells(start_row=5, start_column=count, end_row=5, end_column=count + 1)
        ws.cell(row=5, column=count, value=group)
        ws.cell(row=6, column=count, value="份数")
        ws.cell(row=6, column=count + 1, value="起止号码")
    for row in (5, 6):
        ws.row_dimensions[row].height = 20
        for column in range(1, 14):
            ws.cell(row=row, column=column).font = head
            ws.cell(row=row, column=column).alignment = centre

    page_setup(ws, "landscape", "1:6")
    save(wb, folder, "机动车销售统一发票领用存报表.xlsx")


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make-templates.py <folder>")
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    sale_list(folder)
    stock_statement(folder)


if __name__ == "__main__":
    main()
