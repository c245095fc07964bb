#include "engine/tablefile.h"

#include "db/errors.h"
#include "db/strutils.h"
#include "masterdata/planperiods.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

#include <cmath>

namespace kx {

namespace {

[[noreturn]] void NotATable(const QString& name)
{
    throw EKxError(QStringLiteral("文件\"%1\"不是可以导入的表格数据!").arg(QFileInfo(name).fileName()));
}

// Splits CSV text into records of fields (RFC 4180 quoting; "," or, for a header without
// commas, tab separated).
QList<QPair<int, QStringList>> CsvRecords(const QString& text, QChar separator)
{
    QList<QPair<int, QStringList>> records;
    QStringList fields;
    QString field;
    bool quoted = false;
    int line = 1;
    int recordLine = 1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == QLatin1Char('\n'))
                    ++line;
                field += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == separator) {
            fields << field;
            field.clear();
        } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
            fields << field;
            records << qMakePair(recordLine, fields);
            fields.clear();
            field.clear();
            recordLine = ++line;
        } else {
            field += c;
        }
    }
    if (!field.isEmpty() || !fields.isEmpty()) {
        fields << field;
        records << qMakePair(recordLine, fields);
    }
    return records;
}

void AddRow(TTableFile& table, int number, QStringList cells)
{
    bool empty = true;
    for (QString& cell : cells) {
        cell = cell.trimmed();
        empty = empty && cell.isEmpty();
    }
    if (empty)
        return;
    while (cells.size() < table.Fields.size())
        cells << QString();
    cells.resize(table.Fields.size());
    table.Rows << cells;
    table.RowNumbers << number;
}

void SetHeader(TTableFile& table, const QStringList& header, const QString& name)
{
    // Columns without a name are carried along unused.
    for (const QString& f : header)
        table.Fields << f.trimmed();
    while (!table.Fields.isEmpty() && table.Fields.last().isEmpty())
        table.Fields.removeLast();
    if (table.Fields.isEmpty())
        NotATable(name);
}

// --- .xlsx -------------------------------------------------------------------------------

QByteArray ZipEntry(QuaZip& zip, const QString& entry, bool required, const QString& name)
{
    if (!zip.setCurrentFile(entry)) {
        if (required)
            NotATable(name);
        return QByteArray();
    }
    QuaZipFile file(&zip);
    if (!file.open(QIODevice::ReadOnly))
        NotATable(name);
    return file.readAll();
}

// Text of an <si> or <is> element: every <t> inside it.
QString ReadRichText(QXmlStreamReader& xml)
{
    const QString end = xml.name().toString();
    QString text;
    while (xml.readNextStartElement() || !(xml.isEndElement() && xml.name() == end)) {
        if (xml.hasError() || xml.atEnd())
            break;
        if (xml.isStartElement() && xml.name() == QLatin1String("t"))
            text += xml.readElementText();
    }
    return text;
}

QStringList SharedStrings(const QByteArray& data)
{
    QStringList strings;
    QXmlStreamReader xml(data);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("si"))
            strings << ReadRichText(xml);
    }
    return strings;
}

// Which cell styles show a date: built-in date formats and custom formats with day, month
// or year letters outside quotes and brackets.
QSet<int> DateStyles(const QByteArray& data)
{
    QSet<int> dateFormats{14, 15, 16, 17, 18, 19, 20, 21, 22, 45, 46, 47};
    QSet<int> styles;
    QXmlStreamReader xml(data);
    bool inCellXfs = false;
    int xfIndex = 0;
    static const QRegularExpression literal(QStringLiteral("\"[^\"]*\"|\\[[^\\]]*\\]"));
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("numFmt")) {
            QString code = xml.attributes().value(QLatin1String("formatCode")).toString().toLower();
            code.remove(literal);
            if (code.contains(QLatin1Char('y')) || code.contains(QLatin1Char('d')) || code.contains(QLatin1Char('m')))
                dateFormats.insert(xml.attributes().value(QLatin1String("numFmtId")).toInt());
        } else if (xml.isStartElement() && xml.name() == QLatin1String("cellXfs")) {
            inCellXfs = true;
        } else if (xml.isEndElement() && xml.name() == QLatin1String("cellXfs")) {
            inCellXfs = false;
        } else if (inCellXfs && xml.isStartElement() && xml.name() == QLatin1String("xf")) {
            if (dateFormats.contains(xml.attributes().value(QLatin1String("numFmtId")).toInt()))
                styles.insert(xfIndex);
            ++xfIndex;
        }
    }
    return styles;
}

int ColumnOf(QStringView ref)
{
    int column = 0;
    for (QChar c : ref) {
        if (!c.isLetter())
            break;
        column = column * 26 + (c.toUpper().unicode() - 'A' + 1);
    }
    return column - 1;
}

QString SerialToText(double serial)
{
    // Workbook dates count days from 1899-12-30; the fraction is the time of day.
    const qint64 day = qint64(std::floor(serial));
    const QDate date = DayNumberToDate(day);
    const int seconds = int(std::lround((serial - double(day)) * 86400));
    if (seconds == 0 || seconds == 86400)
        return DateToText(seconds == 0 ? date : date.addDays(1));
    return DateTimeToText(QDateTime(date, QTime(0, 0).addSecs(seconds)));
}

// The target of the workbook's first sheet, from the workbook and its relations.
QString FirstSheetPath(QuaZip& zip, const QString& name)
{
    QString relationID;
    QXmlStreamReader book(ZipEntry(zip, QStringLiteral("xl/workbook.xml"), true, name));
    while (!book.atEnd() && relationID.isEmpty()) {
        book.readNext();
        if (book.isStartElement() && book.name() == QLatin1String("sheet"))
            for (const QXmlStreamAttribute& a : book.attributes())
                if (a.name() == QLatin1String("id"))
                    relationID = a.value().toString();
    }
    QXmlStreamReader rels(ZipEntry(zip, QStringLiteral("xl/_rels/workbook.xml.rels"), true, name));
    while (!rels.atEnd()) {
        rels.readNext();
        if (rels.isStartElement() && rels.name() == QLatin1String("Relationship")
            && rels.attributes().value(QLatin1String("Id")) == relationID) {
            QString target = rels.attributes().value(QLatin1String("Target")).toString();
            return target.startsWith(QLatin1Char('/')) ? target.mid(1) : QStringLiteral("xl/") + target;
        }
    }
    NotATable(name);
}

} // namespace

int TTableFile::FieldIndex(const QString& name) const
{
    for (qsizetype i = 0; i < Fields.size(); ++i)
        if (Fields[i].compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

TTableFile ReadCsv(QIODevice& device, const QString& name)
{
    const QByteArray bytes = device.readAll();
    if (bytes.contains('\0'))
        NotATable(name);
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    if (text.contains(QChar::ReplacementCharacter))
        NotATable(name);
    const qsizetype firstLineEnd = text.indexOf(QLatin1Char('\n'));
    const QString firstLine = text.left(firstLineEnd < 0 ? text.size() : firstLineEnd);
    const QChar separator = !firstLine.contains(QLatin1Char(',')) && firstLine.contains(QLatin1Char('\t')) ? QLatin1Char('\t') : QLatin1Char(',');
    const auto records = CsvRecords(text, separator);
    if (records.isEmpty())
        NotATable(name);
    TTableFile table;
    SetHeader(table, records.first().second, name);
    for (qsizetype i = 1; i < records.size(); ++i)
        AddRow(table, records[i].first, records[i].second);
    return table;
}

TTableFile ReadXlsx(const QString& path)
{
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdUnzip))
        NotATable(path);
    const QString sheetPath = FirstSheetPath(zip, path);
    const QStringList strings = SharedStrings(ZipEntry(zip, QStringLiteral("xl/sharedStrings.xml"), false, path));
    const QSet<int> dateStyles = DateStyles(ZipEntry(zip, QStringLiteral("xl/styles.xml"), false, path));
    QXmlStreamReader xml(ZipEntry(zip, sheetPath, true, path));

    QList<QPair<int, QStringList>> rows;
    QStringList cells;
    int rowNumber = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("row")) {
            rowNumber = xml.attributes().hasAttribute(QLatin1String("r")) ? xml.attributes().value(QLatin1String("r")).toInt() : rowNumber + 1;
            cells.clear();
        } else if (xml.isEndElement() && xml.name() == QLatin1String("row")) {
            rows << qMakePair(rowNumber, cells);
        } else if (xml.isStartElement() && xml.name() == QLatin1String("c")) {
            const auto attrs = xml.attributes();
            const QString type = attrs.value(QLatin1String("t")).toString();
            const int style = attrs.value(QLatin1String("s")).toInt();
            const int column = attrs.hasAttribute(QLatin1String("r")) ? ColumnOf(attrs.value(QLatin1String("r"))) : int(cells.size());
            QString value;
            while (xml.readNextStartElement()) {
                if (xml.name() == QLatin1String("v"))
                    value = xml.readElementText();
                else if (xml.name() == QLatin1String("is"))
                    value = ReadRichText(xml);
                else
                    xml.skipCurrentElement();
            }
            if (type == QLatin1String("s"))
                value = strings.value(value.toInt());
            else if (type == QLatin1String("b"))
                value = value == QLatin1String("1") ? QStringLiteral("1") : QStringLiteral("0");
            else if ((type.isEmpty() || type == QLatin1String("n")) && !value.isEmpty()) {
                bool ok = false;
                const double number = value.toDouble(&ok);
                if (ok)
                    value = dateStyles.contains(style) ? SerialToText(number) : FloatToText(number);
            }
            if (column < 0)
                continue;
            while (cells.size() <= column)
                cells << QString();
            cells[column] = value;
        }
    }
    if (xml.hasError() || rows.isEmpty())
        NotATable(path);
    TTableFile table;
    SetHeader(table, rows.first().second, path);
    for (qsizetype i = 1; i < rows.size(); ++i)
        AddRow(table, rows[i].first, rows[i].second);
    return table;
}

TTableFile ReadTableFile(const QString& path)
{
    if (path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
        return ReadXlsx(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EKxError(QStringLiteral("无法打开文件\"%1\"!").arg(path));
    return ReadCsv(file, path);
}

} // namespace kx
