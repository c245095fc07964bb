// Excel workbooks (.xlsx): the first sheet as a table. A workbook is a zip of XML parts,
// and a file made to harm can declare parts that inflate a thousandfold, cell references
// far beyond the sheet, or a row padded to the last column. Every part is therefore checked
// against its packed size before it is read, read as a stream (never inflated whole), and
// every reference and row kept within the sheet limits and the table bounds.
#include "engine/tablefile_p.h"

#include "db/strutils.h"
#include "masterdata/planperiods.h"

#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>

#include <QFile>

#include <minizip/unzip.h>

#include <cmath>
#include <vector>

namespace kx {

namespace {

// A part may inflate to this much whatever its packed size, and beyond it to this many
// times its packed size: the XML of genuine workbooks packs at most some tens to one.
constexpr qint64 kFreeInflate = 8LL * 1024 * 1024;
constexpr qint64 kMaxInflateRatio = 100;
constexpr qint64 kMaxPartBytes = 256LL * 1024 * 1024;
// Workbook dates are day numbers from 1899-12-30; 2958465 is 9999-12-31.
constexpr double kLastDateSerial = 2958465;

// The shared strings of a workbook, kept as one text and the end of each string in it.
class TStringTable {
public:
    void Add(const QString& s)
    {
        FText += s;
        FEnds.push_back(FText.size());
    }
    QString At(qsizetype i) const
    {
        if (i < 0 || size_t(i) >= FEnds.size())
            return QString();
        const qsizetype begin = i == 0 ? 0 : FEnds[size_t(i) - 1];
        return FText.mid(begin, FEnds[size_t(i)] - begin);
    }

private:
    QString FText;
    std::vector<qsizetype> FEnds;
};

// The part of a zip opened last, read as a stream. The zip reader never inflates a part
// beyond the size it declares, and a part read to its end is checked against its checksum.
class TZipPart : public QIODevice {
public:
    TZipPart() = default;
    ~TZipPart() override { close(); }
    bool OpenIn(unzFile zip)
    {
        if (unzOpenCurrentFile(zip) != UNZ_OK)
            return false;
        FZip = zip;
        return QIODevice::open(QIODevice::ReadOnly);
    }
    void close() override
    {
        if (FZip)
            unzCloseCurrentFile(FZip);
        FZip = nullptr;
        QIODevice::close();
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const int n = unzReadCurrentFile(FZip, data, unsigned(qMin<qint64>(maxSize, 1 << 20)));
        return n < 0 ? -1 : n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    unzFile FZip = nullptr;
};

class TWorkbookReader {
public:
    explicit TWorkbookReader(const QString& path) : FPath(path) {}
    ~TWorkbookReader()
    {
        if (FZip)
            unzClose(FZip);
    }
    TTableFile Read();

private:
    [[noreturn]] void Refuse(const QString& reason = QString()) const { NotATable(FPath, reason); }
    // Opens a part for streaming after checking what it declares it inflates to; false when
    // the workbook has no such part and it is not required.
    bool OpenPart(TZipPart& file, const QString& part, bool required);
    // Reads the next token, refusing a document type declaration (a workbook part never has
    // one; its entities could expand without end) and a part that is not well-formed.
    void Next(QXmlStreamReader& xml) const;
    QString FirstSheetPath();
    void ReadSharedStrings();
    void ReadDateStyles();
    QString RichText(QXmlStreamReader& xml) const;
    // The column (from 0) and row (from 1) of a reference such as "B7"; refuses one outside the sheet.
    void CellPosition(QStringView ref, int& column, int& row) const;
    QString CellText(const QString& type, int style, const QString& value) const;

    QString FPath;
    unzFile FZip = nullptr;
    TStringTable FStrings;
    QSet<int> FDateStyles;
};

bool TWorkbookReader::OpenPart(TZipPart& file, const QString& part, bool required)
{
    if (unzLocateFile(FZip, part.toUtf8().constData(), 1) != UNZ_OK) {
        if (required)
            Refuse();
        return false;
    }
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(FZip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        Refuse();
    const qint64 packed = qint64(info.compressed_size);
    const qint64 inflated = qint64(info.uncompressed_size);
    if (inflated < 0 || inflated > kMaxPartBytes || (inflated > kFreeInflate && inflated > kMaxInflateRatio * packed))
        Refuse(QStringLiteral("工作簿部件%1压缩后%2字节, 解压后将达%3字节, 超出允许的大小").arg(part).arg(packed).arg(inflated));
    if (!file.OpenIn(FZip))
        Refuse();
    return true;
}

void TWorkbookReader::Next(QXmlStreamReader& xml) const
{
    xml.readNext();
    if (xml.tokenType() == QXmlStreamReader::DTD)
        Refuse(QStringLiteral("工作簿部件含有文档类型定义"));
    if (xml.hasError())
        Refuse();
}

QString TWorkbookReader::FirstSheetPath()
{
    QString relationID;
    {
        TZipPart file;
        OpenPart(file, QStringLiteral("xl/workbook.xml"), true);
        QXmlStreamReader book(&file);
        while (!book.atEnd() && relationID.isEmpty()) {
            Next(book);
            if (book.isStartElement() && book.name() == QLatin1String("sheet"))
                for (const QXmlStreamAttribute& a : book.attributes())
                    if (a.name() == QLatin1String("id"))
                        relationID = a.value().toString();
        }
    }
    TZipPart file;
    OpenPart(file, QStringLiteral("xl/_rels/workbook.xml.rels"), true);
    QXmlStreamReader rels(&file);
    while (!rels.atEnd()) {
        Next(rels);
        if (rels.isStartElement() && rels.name() == QLatin1String("Relationship")
            && rels.attributes().value(QLatin1String("Id")) == relationID) {
            const QString target = rels.attributes().value(QLatin1String("Target")).toString();
            return target.startsWith(QLatin1Char('/')) ? target.mid(1) : QStringLiteral("xl/") + target;
        }
    }
    Refuse();
}

// Text of an <si> or <is> element: every <t> inside it.
QString TWorkbookReader::RichText(QXmlStreamReader& xml) const
{
    const QString end = xml.name().toString();
    QString text;
    for (;;) {
        Next(xml);
        if (xml.atEnd() || (xml.isEndElement() && xml.name() == end))
            break;
        if (xml.isStartElement() && xml.name() == QLatin1String("t"))
            text += xml.readElementText();
    }
    if (xml.hasError())
        Refuse();
    return text;
}

void TWorkbookReader::ReadSharedStrings()
{
    TZipPart file;
    if (!OpenPart(file, QStringLiteral("xl/sharedStrings.xml"), false))
        return;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        Next(xml);
        if (xml.isStartElement() && xml.name() == QLatin1String("si"))
            FStrings.Add(RichText(xml));
    }
}

// Which cell styles show a date: built-in date formats and custom formats with day, month
// or year letters outside quotes and brackets.
void TWorkbookReader::ReadDateStyles()
{
    TZipPart file;
    if (!OpenPart(file, QStringLiteral("xl/styles.xml"), false))
        return;
    QSet<int> dateFormats{14, 15, 16, 17, 18, 19, 20, 21, 22, 45, 46, 47};
    QXmlStreamReader xml(&file);
    bool inCellXfs = false;
    int xfIndex = 0;
    static const QRegularExpression literal(QStringLiteral("\"[^\"]*\"|\\[[^\\]]*\\]"));
    while (!xml.atEnd()) {
        Next(xml);
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
                FDateStyles.insert(xfIndex);
            ++xfIndex;
        }
    }
}

void TWorkbookReader::CellPosition(QStringView ref, int& column, int& row) const
{
    qsizetype i = 0;
    qint64 c = 0;
    while (i < ref.size() && i < 4 && ref[i].isLetter() && ref[i].unicode() < 128) {
        c = c * 26 + (ref[i].toUpper().unicode() - 'A' + 1);
        ++i;
    }
    bool ok = false;
    const qint64 r = ref.mid(i).toLongLong(&ok);
    if (i == 0 || c > kMaxTableColumns || !ok || r < 1 || r > kMaxTableRows)
        Refuse(QStringLiteral("单元格引用(%1)超出工作表的范围(A1至XFD%2)").arg(ref.left(40).toString()).arg(kMaxTableRows));
    column = int(c - 1);
    row = int(r);
}

QString TWorkbookReader::CellText(const QString& type, int style, const QString& value) const
{
    if (type == QLatin1String("s")) {
        bool ok = false;
        const qsizetype index = value.toLongLong(&ok);
        return ok ? FStrings.At(index) : QString();
    }
    if (type == QLatin1String("b"))
        return value == QLatin1String("1") ? QStringLiteral("1") : QStringLiteral("0");
    if ((!type.isEmpty() && type != QLatin1String("n")) || value.isEmpty())
        return value;
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok || !std::isfinite(number))
        return value;
    if (!FDateStyles.contains(style) || number < 0 || number >= kLastDateSerial + 1)
        return FloatToText(number);
    // The fraction of a date serial is the time of day.
    const qint64 day = qint64(std::floor(number));
    const QDate date = DayNumberToDate(day);
    const int seconds = int(std::lround((number - double(day)) * 86400));
    if (seconds == 0 || seconds == 86400)
        return DateToText(seconds == 0 ? date : date.addDays(1));
    return DateTimeToText(QDateTime(date, QTime(0, 0).addSecs(seconds)));
}

TTableFile TWorkbookReader::Read()
{
    FZip = unzOpen64(QFile::encodeName(FPath).constData());
    if (!FZip)
        Refuse();
    const QString sheetPath = FirstSheetPath();
    ReadSharedStrings();
    ReadDateStyles();

    TZipPart file;
    OpenPart(file, sheetPath, true);
    QXmlStreamReader xml(&file);
    TTableBuilder builder(FPath);
    QStringList cells;
    int rowNumber = 0;
    int nextColumn = 0;           // of a cell without reference
    bool inRow = false;
    while (!xml.atEnd()) {
        Next(xml);
        if (xml.isStartElement() && xml.name() == QLatin1String("row")) {
            const QStringView r = xml.attributes().value(QLatin1String("r"));
            if (r.isEmpty()) {
                ++rowNumber;
            } else {
                bool ok = false;
                rowNumber = r.toInt(&ok);
                if (!ok || rowNumber < 1 || rowNumber > kMaxTableRows)
                    Refuse(QStringLiteral("行号(%1)超出工作表的范围(1至%2)").arg(r.left(40).toString()).arg(kMaxTableRows));
            }
            cells.clear();
            nextColumn = 0;
            inRow = true;
        } else if (xml.isEndElement() && xml.name() == QLatin1String("row")) {
            if (!builder.HasHeader())
                builder.SetHeader(cells);
            else
                builder.AddRow(rowNumber, cells);
            inRow = false;
        } else if (inRow && xml.isStartElement() && xml.name() == QLatin1String("c")) {
            const QXmlStreamAttributes attrs = xml.attributes();
            const QString type = attrs.value(QLatin1String("t")).toString();
            const int style = attrs.value(QLatin1String("s")).toInt();
            int column = nextColumn;
            if (attrs.hasAttribute(QLatin1String("r"))) {
                int refRow = 0;
                CellPosition(attrs.value(QLatin1String("r")), column, refRow);
            }
            nextColumn = column + 1;
            QString value;
            for (;;) {
                Next(xml);
                if (xml.isEndElement() && xml.name() == QLatin1String("c"))
                    break;
                if (!xml.isStartElement())
                    continue;
                if (xml.name() == QLatin1String("v"))
                    value = xml.readElementText();
                else if (xml.name() == QLatin1String("is"))
                    value = RichText(xml);
                else
                    xml.skipCurrentElement();
            }
            // Only the header's columns are of use; the header row itself may reach the last one.
            if (column >= (builder.HasHeader() ? builder.Width() : kMaxTableColumns))
                continue;
            const QString text = CellText(type, style, value);
            if (text.isEmpty() && column >= cells.size())
                continue;
            while (cells.size() <= column)
                cells << QString();
            cells[column] = text;
        }
    }
    if (!builder.HasHeader())
        Refuse();
    return builder.Take();
}

} // namespace

TTableFile ReadXlsx(const QString& path)
{
    TWorkbookReader reader(path);
    return reader.Read();
}

} // namespace kx
