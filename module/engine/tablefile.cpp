#include "engine/tablefile_p.h"

#include "db/errors.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <optional>
#include <utility>

namespace kx {

namespace {

// A text table larger than this is not a list a planner keeps; refused before it is read.
constexpr qint64 kMaxCsvBytes = 64LL * 1024 * 1024;
constexpr qint64 kCsvChunk = 1024 * 1024;
// Rows times columns a table may hold whatever it is made of, and the empty cells it may
// carry for each cell with text beyond a first allowance: a sparse table of genuine data
// stays well within both, a file made to pad every row to the sheet's last column does not.
constexpr qint64 kMaxCells = 4'000'000;
constexpr qint64 kFreeCells = 262'144;
constexpr qint64 kCellsPerFilledCell = 16;

// Splits CSV text into records of fields (RFC 4180 quoting) as it comes in pieces, and hands
// each record to the builder: the first as the header, the others as data. A record keeps at
// most as many fields as the header has (the header itself one more than a sheet may have,
// to tell that it is too wide), so a file costs the memory of the cells kept, not its size.
class TCsvSplitter {
public:
    TCsvSplitter(QChar separator, TTableBuilder& builder) : FSeparator(separator), FBuilder(builder) {}

    void Feed(QStringView text)
    {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text[i];
            if (FQuoteSeen) {
                // A quote inside a quoted field: doubled it stands for itself, else it ends the quoting.
                FQuoteSeen = false;
                if (c == QLatin1Char('"')) {
                    FField += c;
                    continue;
                }
                FQuoted = false;
            }
            if (FCarriageReturn) {
                FCarriageReturn = false;
                if (c == QLatin1Char('\n'))
                    continue;
            }
            if (FQuoted) {
                if (c == QLatin1Char('"')) {
                    FQuoteSeen = true;
                } else {
                    if (c == QLatin1Char('\n'))
                        ++FLine;
                    FField += c;
                }
            } else if (c == QLatin1Char('"')) {
                FQuoted = true;
            } else if (c == FSeparator) {
                EndField();
            } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
                FCarriageReturn = c == QLatin1Char('\r');
                EndRecord();
                FRecordLine = ++FLine;
            } else {
                FField += c;
            }
        }
    }

    void Finish()
    {
        if (!FField.isEmpty() || !FFields.isEmpty())
            EndRecord();
    }

private:
    void EndField()
    {
        if (FFields.size() < (FBuilder.HasHeader() ? FBuilder.Width() : kMaxTableColumns + 1))
            FFields << FField;
        FField.clear();
    }

    void EndRecord()
    {
        EndField();
        if (!FBuilder.HasHeader())
            FBuilder.SetHeader(FFields);
        else
            FBuilder.AddRow(FRecordLine, FFields);
        FFields.clear();
    }

    QChar FSeparator;
    TTableBuilder& FBuilder;
    QStringList FFields;
    QString FField;
    bool FQuoted = false;
    bool FQuoteSeen = false;
    bool FCarriageReturn = false;
    int FLine = 1;
    int FRecordLine = 1;
};

} // namespace

QString NotATableText(const QString& path, const QString& reason)
{
    QString text = QStringLiteral("文件\"%1\"不是可以导入的表格数据!").arg(QFileInfo(path).fileName());
    if (!reason.isEmpty())
        text += QStringLiteral("\r\r原因: ") + reason;
    return text;
}

void NotATable(const QString& path, const QString& reason)
{
    throw EKxError(NotATableText(path, reason));
}

void TTableBuilder::SetHeader(const QStringList& header)
{
    if (header.size() > kMaxTableColumns)
        Refuse(QStringLiteral("表格超过%1列").arg(kMaxTableColumns));
    // Columns without a name are carried along unused.
    for (const QString& f : header)
        FTable.Fields << f.trimmed();
    while (!FTable.Fields.isEmpty() && FTable.Fields.last().isEmpty())
        FTable.Fields.removeLast();
    if (FTable.Fields.isEmpty())
        Refuse();
    FHeaderSet = true;
}

void TTableBuilder::AddRow(int number, QStringList cells)
{
    const int width = Width();
    if (cells.size() > width)
        cells.resize(width);
    qint64 filled = 0;
    for (QString& cell : cells) {
        cell = cell.trimmed();
        filled += !cell.isEmpty();
    }
    if (filled == 0)
        return;
    if (FTable.Rows.size() >= kMaxTableRows)
        Refuse(QStringLiteral("表格的行数超过%1行").arg(kMaxTableRows));
    FFilledCells += filled;
    const qint64 cellsKept = qint64(FTable.Rows.size() + 1) * width;
    if (cellsKept > kMaxCells || cellsKept > kFreeCells + kCellsPerFilledCell * FFilledCells)
        Refuse(QStringLiteral("表格的行数与列数之积(%1行 × %2列)超出允许的范围").arg(FTable.Rows.size() + 1).arg(width));
    while (cells.size() < width)
        cells << QString();
    FTable.Rows << cells;
    FTable.RowNumbers << number;
}

int TTableFile::FieldIndex(const QString& name) const
{
    for (qsizetype i = 0; i < Fields.size(); ++i)
        if (Fields[i].compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

TTableFile ReadCsv(QIODevice& device, const QString& name)
{
    const QString tooLarge = QStringLiteral("文本表格超过%1MB").arg(kMaxCsvBytes / (1024 * 1024));
    if (device.size() > kMaxCsvBytes)
        NotATable(name, tooLarge);
    QStringDecoder decoder(QStringDecoder::Utf8);
    TTableBuilder builder(name);
    std::optional<TCsvSplitter> splitter;
    qint64 total = 0;
    QString pending;              // text before the separator is known: the first line
    for (;;) {
        const QByteArray bytes = device.read(kCsvChunk);
        total += bytes.size();
        if (total > kMaxCsvBytes)
            NotATable(name, tooLarge);
        if (bytes.contains('\0'))
            NotATable(name);
        QString text = decoder.decode(bytes);
        if (decoder.hasError() || text.contains(QChar::ReplacementCharacter))
            NotATable(name);
        const bool atEnd = bytes.isEmpty();
        if (!splitter) {
            pending += text;
            if (pending.startsWith(QChar(0xFEFF)))
                pending.remove(0, 1);
            const qsizetype firstLineEnd = pending.indexOf(QLatin1Char('\n'));
            // A first line that does not end within a chunk is judged by its beginning.
            if (firstLineEnd < 0 && !atEnd && pending.size() < kCsvChunk)
                continue;
            const QStringView firstLine = QStringView(pending).left(firstLineEnd < 0 ? pending.size() : firstLineEnd);
            splitter.emplace(!firstLine.contains(QLatin1Char(',')) && firstLine.contains(QLatin1Char('\t')) ? QLatin1Char('\t')
                                                                                                      : QLatin1Char(','),
                             builder);
            text = std::exchange(pending, QString());
        }
        splitter->Feed(text);
        if (atEnd)
            break;
    }
    splitter->Finish();
    if (!builder.HasHeader())
        NotATable(name);
    return builder.Take();
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
