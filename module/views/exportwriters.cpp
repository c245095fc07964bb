#include "views/exportwriters.h"

#include "db/strutils.h"
#include "engine/progress.h"
#include "views/numberformat.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSaveFile>
#include <QXmlStreamWriter>

#include <functional>

namespace kx {

namespace {

const QByteArray kBom("\xEF\xBB\xBF");
const QString kPlainNumber = QStringLiteral("0.########");

// Text is gathered and handed to the device in pieces of this size.
constexpr qsizetype kFlushBytes = 1 << 16;

class TTextOut {
public:
    explicit TTextOut(QIODevice& device) : FDevice(device) {}
    ~TTextOut() { Flush(); }
    TTextOut& operator<<(const QString& text)
    {
        FBuffer += text.toUtf8();
        if (FBuffer.size() > kFlushBytes)
            Flush();
        return *this;
    }
    TTextOut& operator<<(const char* text)
    {
        FBuffer += text;
        return *this;
    }
    void Flush()
    {
        if (!FBuffer.isEmpty())
            FDevice.write(FBuffer);
        FBuffer.clear();
    }

private:
    QIODevice& FDevice;
    QByteArray FBuffer;
};

QString TypeName(TExportValueKind kind)
{
    switch (kind) {
    case evNumber: return QStringLiteral("number");
    case evDate: return QStringLiteral("date");
    case evDateTime: return QStringLiteral("datetime");
    case evBoolean: return QStringLiteral("boolean");
    case evText: break;
    }
    return QStringLiteral("text");
}

// A cell on one line: tabs and line breaks become spaces.
QString OneLine(QString text)
{
    for (QChar& c : text)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
    return text;
}

QString XmlValue(const TExportTable& table, int row, int column)
{
    const QVariant value = table.Value(row, column);
    if (value.isNull() || !value.isValid())
        return QString();
    switch (table.Columns[column].Kind) {
    case evDate: return value.toDate().toString(Qt::ISODate);
    case evDateTime: return value.toDateTime().toString(Qt::ISODate);
    case evBoolean: return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case evNumber:
    case evText: break;
    }
    return PlainExportText(table, row, column);
}

// A summary as XML carries it: the plain number.
QString PlainSummary(const QVariant& value)
{
    bool ok = false;
    const double d = value.toDouble(&ok);
    return ok ? FormatFloat(kPlainNumber, d) : value.toString();
}

QString CellStyle(const TExportColumn& column)
{
    return column.AlignRight || column.Kind == evNumber ? QStringLiteral(" align=\"right\"") : QString();
}

} // namespace

TExportFormat ExportFormatOfFile(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("csv"))
        return efCsv;
    if (suffix == QLatin1String("txt"))
        return efText;
    if (suffix == QLatin1String("html"))
        return efHtml;
    if (suffix == QLatin1String("xml"))
        return efXml;
    if (suffix == QLatin1String("pdf"))
        return efPdf;
    return efWorkbook;
}

void ExportRowDone(IEngineProgress* progress, int row, int rowCount)
{
    if (!progress || (row % 500 != 0 && row != rowCount))
        return;
    progress->ShowPosition(row, rowCount);
    progress->CheckAbort();
}

QString CsvField(const QString& text)
{
    static const QString special = QStringLiteral(",\"\r\n");
    bool quote = false;
    for (const QChar c : text)
        if (special.contains(c)) {
            quote = true;
            break;
        }
    if (!quote)
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

QString PlainExportText(const TExportTable& table, int row, int column)
{
    const TExportColumn& c = table.Columns[column];
    const QVariant value = table.Value(row, column);
    if (value.isNull() || !value.isValid())
        return QString();
    switch (c.Kind) {
    case evNumber: {
        bool ok = false;
        const double d = value.toDouble(&ok);
        return ok ? FormatFloat(kPlainNumber, d) : value.toString();
    }
    case evDate: return DateToText(value.toDate());
    case evDateTime: {
        const QDateTime dt = value.toDateTime();
        return dt.time() == QTime(0, 0) ? DateToText(dt.date()) : DateTimeToText(dt);
    }
    case evBoolean:
    case evText: break;
    }
    return table.Text(row, column);
}

void WriteCsv(const TExportTable& table, QIODevice& device, IEngineProgress* progress)
{
    TTextOut out(device);
    out << kBom.constData();
    const int columns = int(table.Columns.size());
    for (int c = 0; c < columns; ++c)
        out << (c ? QStringLiteral(",") : QString()) << CsvField(table.Columns[c].Caption);
    out << "\r\n";
    const int rows = table.RowCount();
    for (int r = 0; r < rows; ++r) {
        if (table.RowKind(r) == erData) {
            for (int c = 0; c < columns; ++c)
                out << (c ? QStringLiteral(",") : QString()) << CsvField(PlainExportText(table, r, c));
            out << "\r\n";
        }
        ExportRowDone(progress, r + 1, rows);
    }
}

void WriteText(const TExportTable& table, QIODevice& device, IEngineProgress* progress)
{
    TTextOut out(device);
    out << kBom.constData();
    const int columns = int(table.Columns.size());
    auto line = [&](const std::function<QString(int)>& cell) {
        for (int c = 0; c < columns; ++c)
            out << (c ? QStringLiteral("\t") : QString()) << OneLine(cell(c));
        out << "\r\n";
    };
    line([&](int c) { return table.Columns[c].Caption; });
    const int rows = table.RowCount();
    for (int r = 0; r < rows; ++r) {
        if (table.RowKind(r) == erGroup)
            out << QString(table.RowLevel(r), QLatin1Char('\t')) << OneLine(table.GroupText(r)) << "\r\n";
        else
            line([&](int c) { return table.Text(r, c); });
        ExportRowDone(progress, r + 1, rows);
    }
    if (table.HasFooter)
        line([&](int c) { return table.FooterText(c); });
}

void WriteHtml(const TExportTable& table, QIODevice& device, IEngineProgress* progress)
{
    TTextOut out(device);
    const QString title = table.Title.toHtmlEscaped();
    out << "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" << title << "</title>\n"
        << "<style>table{border-collapse:collapse;font-size:10pt}th,td{border:1px solid #999;padding:2px 4px;"
           "white-space:nowrap}th{background:#e8e8e8}tr.group td{font-weight:bold;background:#f4f4f4}"
           "tr.summary td,tfoot td{font-weight:bold;background:#f2f4f7}</style></head><body>\n"
        << "<h3>" << title << "</h3>\n<table>\n<thead>\n";
    const int columns = int(table.Columns.size());
    if (table.HasBandCaptions()) {
        out << "<tr>";
        for (const TExportTable::TBandRun& run : table.BandRuns())
            out << QStringLiteral("<th colspan=\"%1\">").arg(run.Count)
                << table.Bands.value(run.Band).Caption.toHtmlEscaped() << "</th>";
        out << "</tr>\n";
    }
    out << "<tr>";
    for (const TExportColumn& c : table.Columns)
        out << "<th>" << c.Caption.toHtmlEscaped() << "</th>";
    out << "</tr>\n</thead>\n<tbody>\n";
    const int rows = table.RowCount();
    for (int r = 0; r < rows; ++r) {
        const TExportRowKind kind = table.RowKind(r);
        if (kind == erGroup) {
            out << QStringLiteral("<tr class=\"group\"><td colspan=\"%1\" style=\"padding-left:%2px\">")
                       .arg(columns)
                       .arg(4 + 16 * table.RowLevel(r))
                << table.GroupText(r).toHtmlEscaped() << "</td></tr>\n";
        } else {
            out << (kind == erGroupFooter ? "<tr class=\"summary\">" : "<tr>");
            for (int c = 0; c < columns; ++c)
                out << "<td" << CellStyle(table.Columns[c]) << ">" << table.Text(r, c).toHtmlEscaped() << "</td>";
            out << "</tr>\n";
        }
        ExportRowDone(progress, r + 1, rows);
    }
    out << "</tbody>\n";
    if (table.HasFooter) {
        out << "<tfoot><tr>";
        for (int c = 0; c < columns; ++c)
            out << "<td" << CellStyle(table.Columns[c]) << ">" << table.FooterText(c).toHtmlEscaped() << "</td>";
        out << "</tr></tfoot>\n";
    }
    out << "</table>\n</body></html>\n";
}

void WriteXml(const TExportTable& table, QIODevice& device, IEngineProgress* progress)
{
    QXmlStreamWriter xml(&device);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("table"));
    xml.writeAttribute(QStringLiteral("title"), table.Title);
    xml.writeStartElement(QStringLiteral("columns"));
    for (const TExportColumn& c : table.Columns) {
        xml.writeEmptyElement(QStringLiteral("column"));
        xml.writeAttribute(QStringLiteral("name"), c.Name);
        xml.writeAttribute(QStringLiteral("caption"), c.Caption);
        if (c.Band >= 0 && !table.Bands.value(c.Band).Caption.isEmpty())
            xml.writeAttribute(QStringLiteral("band"), table.Bands.value(c.Band).Caption);
        xml.writeAttribute(QStringLiteral("type"), TypeName(c.Kind));
    }
    xml.writeEndElement();
    const int columns = int(table.Columns.size());
    auto cells = [&](const std::function<QString(int)>& value) {
        for (int c = 0; c < columns; ++c) {
            xml.writeStartElement(QStringLiteral("cell"));
            xml.writeAttribute(QStringLiteral("name"), table.Columns[c].Name);
            xml.writeCharacters(value(c));
            xml.writeEndElement();
        }
    };
    xml.writeStartElement(QStringLiteral("rows"));
    const int rows = table.RowCount();
    for (int r = 0; r < rows; ++r) {
        const TExportRowKind kind = table.RowKind(r);
        xml.writeStartElement(kind == erGroup ? QStringLiteral("group") : kind == erGroupFooter ? QStringLiteral("summary")
                                                                                                 : QStringLiteral("row"));
        xml.writeAttribute(QStringLiteral("level"), QString::number(table.RowLevel(r)));
        if (kind == erGroup)
            xml.writeAttribute(QStringLiteral("text"), table.GroupText(r));
        else if (kind == erGroupFooter)
            cells([&](int c) { return PlainSummary(table.Value(r, c)); });
        else
            cells([&](int c) { return XmlValue(table, r, c); });
        xml.writeEndElement();
        ExportRowDone(progress, r + 1, rows);
    }
    xml.writeEndElement();
    if (table.HasFooter) {
        xml.writeStartElement(QStringLiteral("footer"));
        cells([&](int c) { return PlainSummary(table.FooterValue(c)); });
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
}

bool WriteExportFile(const TExportTable& table, const QString& fileName, TExportFormat format, IEngineProgress* progress,
                     QString* error)
{
    if (format == efWorkbook)
        return WriteWorkbook(table, fileName, progress, error);
    // A stopped export (EAbort) leaves the save file uncommitted: the target stays as it was.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    switch (format) {
    case efCsv: WriteCsv(table, file, progress); break;
    case efText: WriteText(table, file, progress); break;
    case efHtml: WriteHtml(table, file, progress); break;
    case efXml: WriteXml(table, file, progress); break;
    case efWorkbook:
    case efPdf: break;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace kx
