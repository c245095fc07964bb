// The file writers of the export service: a table description (exporttable.h) written as
// an Excel workbook, CSV, a text file, a web page or XML data. A file appears under its
// name only when it was written whole; a failed or stopped export leaves what was there.
#pragma once

#include "views/exporttable.h"

class QIODevice;

namespace kx {

class IEngineProgress;

enum TExportFormat { efWorkbook, efCsv, efText, efHtml, efXml, efPdf };

// The format a file name asks for by its extension: ".csv", ".txt", ".html", ".xml",
// ".pdf"; anything else (".xlsx", ".xls", ".htm", none) is the workbook.
TExportFormat ExportFormatOfFile(const QString& fileName);

// Writes the table; progress (may be null) sees the rows written and may stop the work by
// raising EAbort, which leaves the target untouched. False with the reason in error when
// the file could not be written. PDF is the report printer's (reportprinter.h).
bool WriteExportFile(const TExportTable& table, const QString& fileName, TExportFormat format, IEngineProgress* progress,
                     QString* error = nullptr);

// The text writers on an open device. CSV: UTF-8 with a byte-order mark, CRLF line ends,
// fields quoted when they hold a comma, a quote or a line break (quotes doubled); the
// header row of captions, then one line per record, numbers without grouping, dates
// "yyyy/mm/dd". Text: tab-separated cells as shown, group rows and totals included.
void WriteCsv(const TExportTable& table, QIODevice& out, IEngineProgress* progress);
void WriteText(const TExportTable& table, QIODevice& out, IEngineProgress* progress);
void WriteHtml(const TExportTable& table, QIODevice& out, IEngineProgress* progress);
void WriteXml(const TExportTable& table, QIODevice& out, IEngineProgress* progress);
// The workbook (xlsxexport.cpp) goes to a file of its own.
bool WriteWorkbook(const TExportTable& table, const QString& fileName, IEngineProgress* progress, QString* error);

// One CSV field: quoted when it holds a comma, a quote, CR or LF.
QString CsvField(const QString& text);
// A record value as CSV and XML carry it: numbers plain with up to 8 decimals, dates
// "yyyy/mm/dd" (with the time for date-times), others as the view shows them.
QString PlainExportText(const TExportTable& table, int row, int column);

// Reports the rows written now and then and asks whether to stop.
void ExportRowDone(IEngineProgress* progress, int row, int rowCount);

} // namespace kx
