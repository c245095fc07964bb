// The workbook writer: one worksheet named after the view, the header (band captions
// merged above the column captions) frozen with the fixed columns, an autofilter on the
// captions, records with numbers, dates and flags as cells of their own type, group rows
// and group summaries as outline levels, and the totals row under the records.
#include "views/exportwriters.h"

#include "engine/progress.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <xlsxwriter.h>

#include <cmath>

namespace kx {

namespace {

constexpr lxw_color_t kHeaderColor = 0xE8E8E8;
constexpr lxw_color_t kGroupColor = 0xF4F4F4;
constexpr lxw_color_t kSummaryColor = 0xF2F4F7;
constexpr int kMaxOutlineLevel = 7;

// Excel number formats matching the grid: zero shows as an empty cell, a whole number
// without a decimal point, a fraction with up to 8 decimals or the column's decimals.
QByteArray NumberFormat(int decimals, bool whole)
{
    QByteArray picture = "#,##0";
    if (decimals > 0)
        picture += '.' + QByteArray(decimals, '0');
    else if (decimals < 0 && !whole)
        picture += ".########";
    return picture + ";-" + picture + ";";
}

// Summaries show zeros; maxima carry "≤" and minima "≥" as in the footer.
QByteArray SummaryFormat(TExportSummary summary, bool whole)
{
    const QByteArray picture = whole ? "#,##0" : "#,##0.########";
    QByteArray prefix;
    if (summary == esMax)
        prefix = QStringLiteral("\"≤\"").toUtf8();
    else if (summary == esMin)
        prefix = QStringLiteral("\"≥\"").toUtf8();
    if (prefix.isEmpty())
        return picture;
    return prefix + picture + ';' + prefix + '-' + picture;
}

bool IsWhole(double d)
{
    return std::fabs(d) < 1e15 && d == std::floor(d);
}

// Sheet names: at most 31 characters, none of []:*?/\ and not starting or ending with '.
QString SheetName(const QString& title)
{
    QString name;
    for (const QChar c : title)
        name += QStringLiteral("[]:*?/\\").contains(c) ? QLatin1Char(' ') : c;
    name = name.trimmed().left(31);
    while (name.startsWith(QLatin1Char('\'')))
        name.remove(0, 1);
    while (name.endsWith(QLatin1Char('\'')))
        name.chop(1);
    return name.isEmpty() ? QStringLiteral("Sheet1") : name;
}

lxw_datetime ToExcelTime(const QDateTime& dt)
{
    const QDate d = dt.date();
    const QTime t = dt.time();
    return lxw_datetime{d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second() + t.msec() / 1000.0};
}

class TWorkbookWriter {
public:
    TWorkbookWriter(const TExportTable& table, lxw_workbook* workbook) : FTable(table), FBook(workbook) {}

    void Write(IEngineProgress* progress);

private:
    lxw_format* Format(const QByteArray& key, const std::function<void(lxw_format*)>& setup);
    lxw_format* NumberCell(int column, double value, bool summary, int level, bool bold);
    lxw_format* DateCell(bool withTime);
    lxw_format* TextCell(int column, int level);
    void WriteHeader();
    void WriteDataRow(int row, int at);
    void WriteSummaryRow(int at, int level, const std::function<QVariant(int)>& value, bool footer);
    void SetLevel(int at, int level);

    const TExportTable& FTable;
    lxw_workbook* FBook;
    lxw_worksheet* FSheet = nullptr;
    QHash<QByteArray, lxw_format*> FFormats;
    bool FIndentFirst = false;            // tree levels indent the first column
};

lxw_format* TWorkbookWriter::Format(const QByteArray& key, const std::function<void(lxw_format*)>& setup)
{
    lxw_format*& format = FFormats[key];
    if (!format) {
        format = workbook_add_format(FBook);
        setup(format);
    }
    return format;
}

lxw_format* TWorkbookWriter::NumberCell(int column, double value, bool summary, int level, bool bold)
{
    const TExportColumn& c = FTable.Columns[column];
    const bool whole = IsWhole(value);
    const QByteArray picture = summary ? SummaryFormat(c.Summary, whole) : NumberFormat(c.Decimals, whole);
    const QByteArray key = "n" + picture + (bold ? "b" : "") + (summary && !bold ? "s" : "") + QByteArray::number(level);
    return Format(key, [&](lxw_format* f) {
        format_set_num_format(f, picture.constData());
        if (bold)
            format_set_bold(f);
        if (summary && !bold) {
            format_set_pattern(f, LXW_PATTERN_SOLID);
            format_set_bg_color(f, kSummaryColor);
        }
        if (bold)
            format_set_top(f, LXW_BORDER_THIN);
    });
}

lxw_format* TWorkbookWriter::DateCell(bool withTime)
{
    return Format(withTime ? "dt" : "d", [withTime](lxw_format* f) {
        format_set_num_format(f, withTime ? "yyyy/mm/dd hh:mm:ss" : "yyyy/mm/dd");
        format_set_align(f, LXW_ALIGN_LEFT);
    });
}

lxw_format* TWorkbookWriter::TextCell(int column, int level)
{
    if (column != 0 || !FIndentFirst || level <= 0)
        return nullptr;
    return Format("t" + QByteArray::number(level), [level](lxw_format* f) { format_set_indent(f, uint8_t(std::min(level, 15))); });
}

void TWorkbookWriter::SetLevel(int at, int level)
{
    if (level <= 0)
        return;
    lxw_row_col_options options{};
    options.level = uint8_t(std::min(level, kMaxOutlineLevel));
    worksheet_set_row_opt(FSheet, lxw_row_t(at), LXW_DEF_ROW_HEIGHT, nullptr, &options);
}

void TWorkbookWriter::WriteHeader()
{
    lxw_format* header = Format("h", [](lxw_format* f) {
        format_set_bold(f);
        format_set_align(f, LXW_ALIGN_CENTER);
        format_set_align(f, LXW_ALIGN_VERTICAL_CENTER);
        format_set_pattern(f, LXW_PATTERN_SOLID);
        format_set_bg_color(f, kHeaderColor);
        format_set_border(f, LXW_BORDER_THIN);
    });
    int at = 0;
    if (FTable.HasBandCaptions()) {
        for (const TExportTable::TBandRun& run : FTable.BandRuns()) {
            const QByteArray caption = FTable.Bands.value(run.Band).Caption.toUtf8();
            if (run.Count > 1)
                worksheet_merge_range(FSheet, 0, lxw_col_t(run.First), 0, lxw_col_t(run.First + run.Count - 1), caption.constData(),
                                      header);
            else
                worksheet_write_string(FSheet, 0, lxw_col_t(run.First), caption.constData(), header);
        }
        ++at;
    }
    for (int c = 0; c < FTable.Columns.size(); ++c)
        worksheet_write_string(FSheet, lxw_row_t(at), lxw_col_t(c), FTable.Columns[c].Caption.toUtf8().constData(), header);
}

void TWorkbookWriter::WriteDataRow(int row, int at)
{
    const int level = FTable.RowLevel(row);
    SetLevel(at, level);
    for (int c = 0; c < FTable.Columns.size(); ++c) {
        const QVariant value = FTable.Value(row, c);
        if (value.isNull() || !value.isValid())
            continue;
        const lxw_row_t r = lxw_row_t(at);
        const lxw_col_t col = lxw_col_t(c);
        switch (FTable.Columns[c].Kind) {
        case evNumber: {
            bool ok = false;
            const double d = value.toDouble(&ok);
            if (ok)
                worksheet_write_number(FSheet, r, col, d, NumberCell(c, d, false, 0, false));
            else
                worksheet_write_string(FSheet, r, col, value.toString().toUtf8().constData(), nullptr);
            break;
        }
        case evDate:
        case evDateTime: {
            const QDateTime dt = value.typeId() == QMetaType::QDate ? value.toDate().startOfDay() : value.toDateTime();
            if (!dt.isValid()) {
                worksheet_write_string(FSheet, r, col, value.toString().toUtf8().constData(), nullptr);
                break;
            }
            lxw_datetime when = ToExcelTime(dt);
            worksheet_write_datetime(FSheet, r, col, &when, DateCell(FTable.Columns[c].Kind == evDateTime && dt.time() != QTime(0, 0)));
            break;
        }
        case evBoolean: worksheet_write_boolean(FSheet, r, col, value.toBool() ? 1 : 0, nullptr); break;
        case evText: {
            const QString text = value.toString();
            if (!text.isEmpty())
                worksheet_write_string(FSheet, r, col, text.toUtf8().constData(), TextCell(c, level));
            break;
        }
        }
    }
}

void TWorkbookWriter::WriteSummaryRow(int at, int level, const std::function<QVariant(int)>& value, bool footer)
{
    SetLevel(at, level);
    lxw_format* blank = Format(footer ? "fb" : "sb", [footer](lxw_format* f) {
        if (footer) {
            format_set_bold(f);
            format_set_top(f, LXW_BORDER_THIN);
        } else {
            format_set_pattern(f, LXW_PATTERN_SOLID);
            format_set_bg_color(f, kSummaryColor);
        }
    });
    for (int c = 0; c < FTable.Columns.size(); ++c) {
        const QVariant v = value(c);
        bool ok = false;
        const double d = v.toDouble(&ok);
        if (v.isNull() || !ok || FTable.Columns[c].Summary == esNone)
            worksheet_write_blank(FSheet, lxw_row_t(at), lxw_col_t(c), blank);
        else
            worksheet_write_number(FSheet, lxw_row_t(at), lxw_col_t(c), d, NumberCell(c, d, true, level, footer));
    }
}

void TWorkbookWriter::Write(IEngineProgress* progress)
{
    FSheet = workbook_add_worksheet(FBook, SheetName(FTable.Title).toUtf8().constData());
    const int columns = int(FTable.Columns.size());
    for (int c = 0; c < columns; ++c)
        worksheet_set_column_pixels(FSheet, lxw_col_t(c), lxw_col_t(c), uint32_t(std::max(FTable.Columns[c].Width, 20)), nullptr);
    const int headerRows = FTable.HasBandCaptions() ? 2 : 1;
    WriteHeader();
    const int rows = FTable.RowCount();
    // Levels without group rows are a tree's: its first column is indented by level.
    bool grouped = false, levelled = false;
    for (int r = 0; r < rows; ++r) {
        grouped = grouped || FTable.RowKind(r) == erGroup;
        levelled = levelled || FTable.RowLevel(r) > 0;
    }
    FIndentFirst = levelled && !grouped;
    lxw_format* group = nullptr;
    int at = headerRows;
    for (int r = 0; r < rows; ++r, ++at) {
        switch (FTable.RowKind(r)) {
        case erData: WriteDataRow(r, at); break;
        case erGroup: {
            const int level = FTable.RowLevel(r);
            SetLevel(at, level);
            group = Format("g" + QByteArray::number(level), [level](lxw_format* f) {
                format_set_bold(f);
                format_set_pattern(f, LXW_PATTERN_SOLID);
                format_set_bg_color(f, kGroupColor);
                format_set_indent(f, uint8_t(std::min(level, 15)));
            });
            const QByteArray text = FTable.GroupText(r).toUtf8();
            if (columns > 1)
                worksheet_merge_range(FSheet, lxw_row_t(at), 0, lxw_row_t(at), lxw_col_t(columns - 1), text.constData(), group);
            else
                worksheet_write_string(FSheet, lxw_row_t(at), 0, text.constData(), group);
            break;
        }
        case erGroupFooter: WriteSummaryRow(at, FTable.RowLevel(r), [&](int c) { return FTable.Value(r, c); }, false); break;
        }
        ExportRowDone(progress, r + 1, rows);
    }
    // The filter covers the records, not the totals under them. Rows already written go
    // to disk, so it is set before the totals row.
    if (columns > 0) {
        worksheet_freeze_panes(FSheet, lxw_row_t(headerRows), lxw_col_t(std::min(FTable.FixedColumns, columns)));
        worksheet_autofilter(FSheet, lxw_row_t(headerRows - 1), 0, lxw_row_t(std::max(headerRows, at - 1)), lxw_col_t(columns - 1));
    }
    if (FTable.HasFooter)
        WriteSummaryRow(at, 0, [&](int c) { return FTable.FooterValue(c); }, true);
}

// The workbook is written next to the target and put in its place when complete.
QString PartFileName(const QString& fileName)
{
    const QFileInfo info(fileName);
    return info.absoluteDir().filePath(QStringLiteral(".~%1.part").arg(info.fileName()));
}

} // namespace

bool WriteWorkbook(const TExportTable& table, const QString& fileName, IEngineProgress* progress, QString* error)
{
    const QString part = PartFileName(fileName);
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.use_zip64 = LXW_TRUE;
    const QByteArray partName = QFile::encodeName(part);
    lxw_workbook* book = workbook_new_opt(partName.constData(), &options);
    if (!book) {
        if (error)
            *error = QStringLiteral("无法创建文件");
        return false;
    }
    const QByteArray title = table.Title.toUtf8();
    lxw_doc_properties properties{};
    properties.title = const_cast<char*>(title.constData());
    workbook_set_properties(book, &properties);
    try {
        TWorkbookWriter(table, book).Write(progress);
    } catch (...) {
        workbook_close(book);
        QFile::remove(part);
        throw;
    }
    const lxw_error result = workbook_close(book);
    if (result != LXW_NO_ERROR) {
        QFile::remove(part);
        if (error)
            *error = QString::fromUtf8(lxw_strerror(result));
        return false;
    }
    if (QFile::exists(fileName) && !QFile::remove(fileName)) {
        QFile::remove(part);
        if (error)
            *error = QStringLiteral("文件正被使用或不允许覆盖");
        return false;
    }
    if (!QFile::rename(part, fileName)) {
        QFile::remove(part);
        if (error)
            *error = QStringLiteral("无法写入文件");
        return false;
    }
    return true;
}

} // namespace kx
