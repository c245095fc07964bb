// The report printer of the export service: a table description (exporttable.h) on paged
// paper. Landscape is taken when the columns are wider than portrait paper, columns wider
// than the page are scaled to one page wide, every page carries the title block (caption,
// user, time), the column header and "第 n 页 / 共 m 页", rows are single lines that never
// break across pages, and the totals row follows the last record. The same painting
// serves the printer, the preview and PDF files.
#pragma once

#include "views/exporttable.h"
#include "views/printsetting.h"

#include <QDateTime>
#include <QPageLayout>

class QPagedPaintDevice;

namespace kx {

class IEngineProgress;

struct TReportHeading {
    QString Title;
    QString UserName;
    QDateTime PrintTime;
};

class TReportPrinter {
public:
    TReportPrinter(const TExportTable& table, const TPrintSetting& setting, const TReportHeading& heading);

    // The paper, orientation and margins the report is printed with.
    QPageLayout PageLayout() const;
    bool Landscape() const { return FLandscape; }
    // Puts the page layout on a printer or PDF writer before printing.
    void SetupDevice(QPagedPaintDevice& device) const;

    // Paints every page on the device (set up already); progress may stop the work by
    // raising EAbort. Returns the number of pages.
    int Print(QPagedPaintDevice& device, IEngineProgress* progress = nullptr);

    // After Print: the scale the columns were drawn at (1 when they fit), the records a
    // page holds and where each page starts (row of the table).
    double Scale() const { return FScale; }
    int RowsPerPage() const { return FRowsPerPage; }
    const QList<int>& PageFirstRows() const { return FPageFirstRows; }

private:
    struct TMetrics;
    void Paginate(const TMetrics& m);

    const TExportTable& FTable;
    TPrintSetting FSetting;
    TReportHeading FHeading;
    bool FLandscape = false;
    double FScale = 1;
    int FRowsPerPage = 1;
    QList<int> FPageFirstRows;
};

// Prints the report into a PDF file, which appears only when complete. False with the
// reason in error when it could not be written.
bool PrintReportToPdf(const TExportTable& table, const TPrintSetting& setting, const TReportHeading& heading,
                      const QString& fileName, IEngineProgress* progress, QString* error = nullptr);

} // namespace kx
