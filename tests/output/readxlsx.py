"""Reads a workbook with openpyxl and prints what a test compares as JSON: the sheet's
name, frozen cell, autofilter range, merged ranges, each row's outline level and every
cell's value, type (n number, d date, s text, b boolean) and number format."""
import datetime
import json
import sys

import openpyxl


def cell_json(cell):
    value = cell.value
    if value is None:
        return None
    if isinstance(value, bool):
        kind = "b"
    elif isinstance(value, (int, float)):
        kind = "n"
    elif isinstance(value, (datetime.datetime, datetime.date)):
        kind = "d"
        value = value.isoformat()
    else:
        kind = "s"
    return {"v": value, "t": kind, "f": cell.number_format}


book = openpyxl.load_workbook(sys.argv[1])
sheet = book.worksheets[0]
rows = [[cell_json(c) for c in row] for row in sheet.iter_rows(min_row=1, max_row=sheet.max_row, max_col=sheet.max_column)]
levels = [sheet.row_dimensions[r].outline_level or 0 for r in range(1, sheet.max_row + 1)]
print(json.dumps({
    "sheets": book.sheetnames,
    "freeze": sheet.freeze_panes,
    "autofilter": sheet.auto_filter.ref,
    "merged": sorted(str(r) for r in sheet.merged_cells.ranges),
    "levels": levels,
    "rows": rows,
}, ensure_ascii=False))
