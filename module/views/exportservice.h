// Export and printing commands for any view that can describe what it shows as a table
// (exporttable.h): the save dialog "导出数据" and the file, page setup, print with the
// print dialog, print preview and PDF. Grid views, tree views, result lists and the
// host's own lists all come here; none has export or print code of its own.
#pragma once

#include "views/exporttable.h"
#include "views/printsetting.h"
#include "views/reportprinter.h"

#include <QStringList>

#include <functional>

class QWidget;

namespace kx {

class IEngineProgress;

// Long export and print work: the runner shows the step, the progress and elapsed time
// and lets Esc stop the work (EAbort); title names the window. It returns false when the
// work was stopped or failed. The module's widget layer runs it off the GUI thread
// (longwork.h); the default runs it in place with the status text and the Esc question.
using TExportWork = std::function<void(IEngineProgress& progress)>;
using TExportRunner = std::function<bool(QWidget* parent, const QString& title, const TExportWork& work)>;
TExportRunner SetExportRunner(TExportRunner runner);

// The save dialog: returns the chosen file (with its extension) or empty when cancelled.
// Tests install a chooser that answers from a script.
using TExportFileChooser = std::function<QString(QWidget* parent, const QString& suggestedName)>;
TExportFileChooser SetExportFileChooser(TExportFileChooser chooser);

// The file types offered, the workbook first.
QStringList ExportFileFilters();
// The file name with the extension of the chosen file type added when it has none.
QString WithExportSuffix(const QString& fileName, const QString& filter);

// The title block of a view's pages: its caption, the user logged in, the time now.
TReportHeading ReportHeadingOf(const QString& caption);

// Command 5: the save dialog titled "导出数据" suggesting the base name with ".xlsx", then
// the file. True when a file was written.
bool ExecuteExport(QWidget* parent, const TExportTable& table, const QString& baseName, const QString& printSetting = QString());
// Writes the table into the file in the format its extension names (a PDF through the
// report printer with the print setting). On failure "导出数据至文档"%s"出现错误!"; false
// when it failed or was stopped (the file is then left as it was).
bool ExportTableToFile(QWidget* parent, const TExportTable& table, const QString& fileName,
                       const QString& printSetting = QString());

// Commands 6 to 9: page setup and design (the page setup dialog, whose choices are written
// into printSetting), print with the print dialog, print preview. False when the user
// cancelled or the work was stopped.
bool ExecutePrintCommand(QWidget* parent, int command, const TExportTable& table, QString& printSetting);

} // namespace kx
