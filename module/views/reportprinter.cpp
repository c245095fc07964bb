#include "views/reportprinter.h"

#include "db/strutils.h"
#include "views/exportwriters.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

namespace kx {

namespace {

constexpr double kPointsPerPixel = 0.75;  // screen pixels (96 per inch) in points
constexpr double kMillimetre = 72 / 25.4;  // points
constexpr double kTablePointSize = 9;
constexpr double kIndentPoints = 10;
const QColor kLineColor(150, 150, 150);
const QColor kHeaderFill(224, 224, 224);
const QColor kGroupFill(238, 238, 238);
const QColor kSummaryFill(242, 244, 247);

QFont SizedFont(double pixels, bool bold = false)
{
    QFont font = qGuiApp ? QGuiApplication::font() : QFont();
    font.setPixelSize(std::max(1, int(std::lround(pixels))));
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

double NaturalWidthPoints(const TExportTable& table)
{
    double width = 0;
    for (const TExportColumn& c : table.Columns)
        width += std::max(c.Width, 20) * kPointsPerPixel;
    return width;
}

QString PageText(int page, int pages)
{
    return QStringLiteral("第 %1 页 / 共 %2 页").arg(page).arg(pages);
}

} // namespace

struct TReportPrinter::TMetrics {
    double Unit = 1;                      // device pixels per point
    double Width = 0;
    double Height = 0;
    QFont TitleFont, InfoFont, TableFont, BoldFont, PageFont;
    double TitleHeight = 0;
    double HeaderHeight = 0;
    double RowHeight = 0;
    double PageFooterHeight = 0;
    double Pad = 0;
    double Indent = 0;
    int HeaderRows = 1;
    QList<double> ColumnX;                // left edge of each column, then the right end
    bool IndentFirst = false;             // levels without group rows: a tree's
};

TReportPrinter::TReportPrinter(const TExportTable& table, const TPrintSetting& setting, const TReportHeading& heading)
    : FTable(table), FSetting(setting), FHeading(heading)
{
    const QSizeF paper = QPageSize(setting.PageSize).size(QPageSize::Point);
    const double portraitWidth = std::min(paper.width(), paper.height()) - (setting.Margins.left() + setting.Margins.right()) * kMillimetre;
    FLandscape = setting.Orientation == poLandscape
        || (setting.Orientation == poAuto && NaturalWidthPoints(table) > portraitWidth);
}

QPageLayout TReportPrinter::PageLayout() const
{
    return QPageLayout(QPageSize(FSetting.PageSize), FLandscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       FSetting.Margins, QPageLayout::Millimeter);
}

void TReportPrinter::SetupDevice(QPagedPaintDevice& device) const
{
    device.setPageLayout(PageLayout());
}

void TReportPrinter::Paginate(const TMetrics& m)
{
    const double body = m.Height - m.TitleHeight - m.HeaderHeight - m.PageFooterHeight;
    FRowsPerPage = std::max(1, int(std::floor(body / m.RowHeight)));
    // The totals row takes a line after the last record, on a page of its own if need be.
    const int lines = FTable.RowCount() + (FTable.HasFooter && FSetting.PrintTotals ? 1 : 0);
    FPageFirstRows.clear();
    for (int first = 0; first < lines || FPageFirstRows.isEmpty(); first += FRowsPerPage)
        FPageFirstRows << first;
}

int TReportPrinter::Print(QPagedPaintDevice& device, IEngineProgress* progress)
{
    QPainter p(&device);
    TMetrics m;
    m.Unit = device.logicalDpiY() / 72.0;
    m.Width = device.width();
    m.Height = device.height();
    const double natural = NaturalWidthPoints(FTable) * m.Unit;
    FScale = FSetting.FitToWidth && natural > m.Width ? m.Width / natural : 1;
    const double u = m.Unit;
    const double t = m.Unit * FScale;     // table units: points at the table's scale
    m.TitleFont = SizedFont(14 * u, true);
    m.InfoFont = SizedFont(8 * u);
    m.PageFont = SizedFont(8 * u);
    m.TableFont = SizedFont(kTablePointSize * t);
    m.BoldFont = SizedFont(kTablePointSize * t, true);
    m.Pad = 2 * t;
    m.Indent = kIndentPoints * t;
    m.RowHeight = QFontMetricsF(m.TableFont, &device).height() + 2 * m.Pad;
    m.HeaderRows = FTable.HasBandCaptions() ? 2 : 1;
    m.HeaderHeight = m.HeaderRows * m.RowHeight;
    if (FSetting.PrintTitle)
        m.TitleHeight = QFontMetricsF(m.TitleFont, &device).height() + QFontMetricsF(m.InfoFont, &device).height() + 6 * u;
    m.PageFooterHeight = QFontMetricsF(m.PageFont, &device).height() + 4 * u;
    double x = 0;
    for (const TExportColumn& c : FTable.Columns) {
        m.ColumnX << x;
        x += std::max(c.Width, 20) * kPointsPerPixel * t;
    }
    m.ColumnX << x;
    bool grouped = false;
    for (int r = 0; r < FTable.RowCount() && !grouped; ++r)
        grouped = FTable.RowKind(r) == erGroup;
    for (int r = 0; r < FTable.RowCount() && !grouped && !m.IndentFirst; ++r)
        m.IndentFirst = FTable.RowLevel(r) > 0;
    Paginate(m);

    const QFontMetricsF tableMetrics(m.TableFont, &device);
    const QFontMetricsF boldMetrics(m.BoldFont, &device);
    const int columns = int(FTable.Columns.size());
    const double tableRight = m.ColumnX.last();
    const int rows = FTable.RowCount();
    const int pages = int(FPageFirstRows.size());
    QPen line(kLineColor);
    line.setWidthF(0.5 * u);

    // One cell's text, cut to its column, aligned, on a row whose top is y.
    auto cell = [&](const QFontMetricsF& fm, int column, double y, const QString& text, bool right, double indent = 0) {
        if (text.isEmpty())
            return;
        const double left = m.ColumnX[column] + m.Pad + indent;
        const double room = m.ColumnX[column + 1] - m.Pad - left;
        QString shown = text;
        double advance = fm.horizontalAdvance(shown);
        if (advance > room) {
            shown = fm.elidedText(text, Qt::ElideRight, room);
            advance = fm.horizontalAdvance(shown);
        }
        p.drawText(QPointF(right ? left + room - advance : left, y + m.Pad + fm.ascent()), shown);
    };
    auto rule = [&](double y) { p.drawLine(QPointF(0, y), QPointF(tableRight, y)); };

    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            device.newPage();
        double y = 0;
        if (FSetting.PrintTitle) {
            p.setPen(Qt::black);
            p.setFont(m.TitleFont);
            const QFontMetricsF title(m.TitleFont, &device);
            p.drawText(QRectF(0, 0, m.Width, title.height()), Qt::AlignHCenter | Qt::AlignTop, FHeading.Title);
            p.setFont(m.InfoFont);
            const QFontMetricsF info(m.InfoFont, &device);
            const QRectF infoRect(0, title.height() + 2 * u, m.Width, info.height());
            p.drawText(infoRect, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("制表人: %1").arg(FHeading.UserName));
            p.drawText(infoRect, Qt::AlignRight | Qt::AlignTop,
                       QStringLiteral("打印时间: %1").arg(DateTimeToText(FHeading.PrintTime)));
            y = m.TitleHeight;
        }
        const double headerTop = y;
        p.fillRect(QRectF(0, y, tableRight, m.HeaderHeight), kHeaderFill);
        p.setPen(Qt::black);
        p.setFont(m.BoldFont);
        if (m.HeaderRows == 2) {
            for (const TExportTable::TBandRun& run : FTable.BandRuns()) {
                const QRectF band(m.ColumnX[run.First], y, m.ColumnX[run.First + run.Count] - m.ColumnX[run.First], m.RowHeight);
                p.drawText(band, Qt::AlignCenter, boldMetrics.elidedText(FTable.Bands.value(run.Band).Caption, Qt::ElideRight,
                                                                          band.width() - 2 * m.Pad));
            }
            y += m.RowHeight;
        }
        for (int c = 0; c < columns; ++c) {
            const QRectF caption(m.ColumnX[c], y, m.ColumnX[c + 1] - m.ColumnX[c], m.RowHeight);
            p.drawText(caption, Qt::AlignCenter, boldMetrics.elidedText(FTable.Columns[c].Caption, Qt::ElideRight,
                                                                         caption.width() - 2 * m.Pad));
        }
        y += m.RowHeight;
        p.setPen(line);
        rule(headerTop);
        if (m.HeaderRows == 2)
            rule(headerTop + m.RowHeight);
        rule(y);

        const int first = FPageFirstRows[page];
        const int last = std::min(first + FRowsPerPage, rows);
        for (int r = first; r < last; ++r) {
            const TExportRowKind kind = FTable.RowKind(r);
            const int level = FTable.RowLevel(r);
            if (kind == erGroup) {
                p.fillRect(QRectF(0, y, tableRight, m.RowHeight), kGroupFill);
                p.setPen(Qt::black);
                p.setFont(m.BoldFont);
                const double left = m.Pad + level * m.Indent;
                p.drawText(QPointF(left, y + m.Pad + boldMetrics.ascent()),
                           boldMetrics.elidedText(FTable.GroupText(r), Qt::ElideRight, tableRight - left - m.Pad));
            } else {
                const bool summary = kind == erGroupFooter;
                if (summary)
                    p.fillRect(QRectF(0, y, tableRight, m.RowHeight), kSummaryFill);
                p.setPen(Qt::black);
                p.setFont(m.TableFont);
                for (int c = 0; c < columns; ++c) {
                    const TExportColumn& col = FTable.Columns[c];
                    const double indent = c == 0 && m.IndentFirst ? level * m.Indent : 0;
                    cell(tableMetrics, c, y, FTable.Text(r, c), summary || col.AlignRight || col.Kind == evNumber, indent);
                }
            }
            y += m.RowHeight;
            p.setPen(line);
            rule(y);
            ExportRowDone(progress, r + 1, rows);
        }
        if (page == pages - 1 && FTable.HasFooter && FSetting.PrintTotals) {
            p.setPen(Qt::black);
            p.setFont(m.BoldFont);
            for (int c = 0; c < columns; ++c)
                cell(boldMetrics, c, y, FTable.FooterText(c), true);
            y += m.RowHeight;
            p.setPen(line);
            rule(y);
        }
        for (double edge : m.ColumnX)
            p.drawLine(QPointF(edge, headerTop), QPointF(edge, y));

        p.setPen(Qt::black);
        p.setFont(m.PageFont);
        p.drawText(QRectF(0, m.Height - m.PageFooterHeight, m.Width, m.PageFooterHeight), Qt::AlignHCenter | Qt::AlignBottom,
                   PageText(page + 1, pages));
    }
    p.end();
    return pages;
}

bool PrintReportToPdf(const TExportTable& table, const TPrintSetting& setting, const TReportHeading& heading,
                      const QString& fileName, IEngineProgress* progress, QString* error)
{
    const QFileInfo info(fileName);
    const QString part = info.absoluteDir().filePath(QStringLiteral(".~%1.part").arg(info.fileName()));
    TReportPrinter printer(table, setting, heading);
    {
        QPdfWriter pdf(part);
        pdf.setResolution(600);
        pdf.setTitle(heading.Title);
        pdf.setCreator(QStringLiteral("KX_MRP"));
        printer.SetupDevice(pdf);
        try {
            printer.Print(pdf, progress);
        } catch (...) {
            QFile::remove(part);
            throw;
        }
    }
    if (!QFileInfo::exists(part) || (QFile::exists(fileName) && !QFile::remove(fileName)) || !QFile::rename(part, fileName)) {
        QFile::remove(part);
        if (error)
            *error = QStringLiteral("无法写入文件");
        return false;
    }
    return true;
}

} // namespace kx
