#include "hostilefiles.h"

#include <QDir>
#include <QFile>

#include <minizip/zip.h>
#include <zlib.h>

#include <stdexcept>

namespace kx::hostile {

namespace {

const QByteArray kWorkbook = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                             "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                             "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                             "<sheets><sheet name=\"Sheet1\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
const QByteArray kRelations = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                              "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                              "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
                              "Target=\"worksheets/sheet1.xml\"/></Relationships>";
const QByteArray kSheetHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                              "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>";
const QByteArray kSheetTail = "</sheetData></worksheet>";
const QByteArray kStringsHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                                "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
const QByteArray kStringsTail = "</sst>";
const QByteArray kHeaderRow = "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>ItmNo</t></is></c>"
                              "<c r=\"B1\" t=\"inlineStr\"><is><t>ManQty</t></is></c></row>";

[[noreturn]] void Fail(const QString& what)
{
    throw std::runtime_error(what.toStdString());
}

// A part of head, then unit repeated up to bytes, then tail: made chunk by chunk, never whole.
struct TRepeatedPart {
    QByteArray Head, Unit, Tail;
    qint64 Bytes = 0;

    template <class Sink>
    void Produce(Sink&& sink) const
    {
        sink(Head);
        QByteArray chunk;
        while (chunk.size() < (1 << 20))
            chunk += Unit;
        qint64 left = Bytes - Head.size() - Tail.size();
        while (left > 0) {
            const qint64 n = qMin<qint64>(left, chunk.size() / Unit.size() * Unit.size());
            sink(QByteArrayView(chunk).first(n).toByteArray());
            left -= n;
        }
        sink(Tail);
    }
};

class TZipWriter {
public:
    explicit TZipWriter(const QString& path) : FZip(zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE))
    {
        if (!FZip)
            Fail(QStringLiteral("cannot create ") + path);
    }
    ~TZipWriter() { zipClose(FZip, nullptr); }

    void Add(const QString& name, const QByteArray& data) { Add(name, TRepeatedPart{data, " ", {}, data.size()}); }

    void Add(const QString& name, const TRepeatedPart& part)
    {
        Open(name, false);
        part.Produce([&](const QByteArray& bytes) { zipWriteInFileInZip(FZip, bytes.constData(), unsigned(bytes.size())); });
        zipCloseFileInZip(FZip);
    }

    // The part deflated as it is, but declared in the zip's directory to inflate to declared bytes.
    void AddDeclared(const QString& name, const TRepeatedPart& part, qint64 declared)
    {
        z_stream z{};
        deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
        QByteArray packed;
        uLong crc = crc32(0, nullptr, 0);
        auto feed = [&](const QByteArray& bytes, int flush) {
            z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.constData()));
            z.avail_in = uInt(bytes.size());
            crc = crc32(crc, reinterpret_cast<const Bytef*>(bytes.constData()), uInt(bytes.size()));
            char out[1 << 16];
            do {
                z.next_out = reinterpret_cast<Bytef*>(out);
                z.avail_out = sizeof out;
                deflate(&z, flush);
                packed.append(out, qsizetype(sizeof out - z.avail_out));
            } while (z.avail_out == 0);
        };
        part.Produce([&](const QByteArray& bytes) { feed(bytes, Z_NO_FLUSH); });
        feed(QByteArray(), Z_FINISH);
        deflateEnd(&z);
        Open(name, true);
        zipWriteInFileInZip(FZip, packed.constData(), unsigned(packed.size()));
        zipCloseFileInZipRaw64(FZip, ZPOS64_T(declared), crc);
    }

    void AddFrame()
    {
        Add(QStringLiteral("xl/workbook.xml"), kWorkbook);
        Add(QStringLiteral("xl/_rels/workbook.xml.rels"), kRelations);
    }

private:
    // Starts a deflated part; a raw one takes bytes deflated already.
    void Open(const QString& name, bool raw)
    {
        zip_fileinfo info{};
        if (zipOpenNewFileInZip2_64(FZip, name.toUtf8().constData(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                    Z_BEST_COMPRESSION, raw ? 1 : 0, 1)
            != ZIP_OK)
            Fail(QStringLiteral("cannot add ") + name);
    }

    zipFile FZip;
};

void WriteText(const QString& path, const TRepeatedPart& part)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        Fail(QStringLiteral("cannot write ") + path);
    part.Produce([&](const QByteArray& bytes) { f.write(bytes); });
}

} // namespace

void WriteWorkbook(const QString& path, const QByteArray& sheetData, const QList<QByteArray>& sharedStrings)
{
    TZipWriter zip(path);
    zip.AddFrame();
    zip.Add(QStringLiteral("xl/worksheets/sheet1.xml"), kSheetHead + sheetData + kSheetTail);
    if (!sharedStrings.isEmpty()) {
        QByteArray strings = kStringsHead;
        for (const QByteArray& s : sharedStrings)
            strings += "<si><t>" + s + "</t></si>";
        zip.Add(QStringLiteral("xl/sharedStrings.xml"), strings + kStringsTail);
    }
}

QList<THostileFile> WriteHostileFiles(const QString& folder, int bombMiB)
{
    QDir().mkpath(folder);
    const qint64 bomb = qint64(bombMiB) * 1024 * 1024;
    QList<THostileFile> files;
    auto path = [&](const char* name) { return QDir(folder).filePath(QLatin1String(name)); };

    // References beyond the sheet, which a trusting reader pads every row out to.
    for (const char* ref : {"FXSHRXW2", "ZZZZZ2"}) {
        const QString p = path(qstrcmp(ref, "ZZZZZ2") == 0 ? "ref-zzzzz.xlsx" : "ref-fxshrxw.xlsx");
        WriteWorkbook(p, kHeaderRow + "<row r=\"2\"><c r=\"" + QByteArray(ref) + "\"><v>1</v></c></row>");
        files << THostileFile{QStringLiteral("单元格引用 %1").arg(QLatin1String(ref)), p, QLatin1String(ref)};
    }
    WriteWorkbook(path("row-beyond.xlsx"), kHeaderRow + "<row r=\"99999999\"><c><v>1</v></c></row>");
    files << THostileFile{QStringLiteral("行号 99999999"), path("row-beyond.xlsx"), QStringLiteral("99999999")};

    // Shared strings that inflate a thousandfold: declared so, and declared small.
    const TRepeatedPart strings{kStringsHead, "<si><t>a</t></si>", kStringsTail, bomb};
    {
        TZipWriter zip(path("strings-bomb.xlsx"));
        zip.AddFrame();
        zip.Add(QStringLiteral("xl/worksheets/sheet1.xml"), kSheetHead + kHeaderRow + kSheetTail);
        zip.Add(QStringLiteral("xl/sharedStrings.xml"), strings);
    }
    files << THostileFile{QStringLiteral("共享字符串 %1 MiB").arg(bombMiB), path("strings-bomb.xlsx"), QStringLiteral("xl/sharedStrings.xml")};
    {
        TZipWriter zip(path("strings-liar.xlsx"));
        zip.AddFrame();
        zip.Add(QStringLiteral("xl/worksheets/sheet1.xml"), kSheetHead + kHeaderRow + kSheetTail);
        zip.AddDeclared(QStringLiteral("xl/sharedStrings.xml"), strings, 4096);
    }
    files << THostileFile{QStringLiteral("共享字符串 %1 MiB, 声明为4 KiB").arg(bombMiB), path("strings-liar.xlsx"), QString()};

    // A sheet of empty rows that inflates a thousandfold.
    {
        TZipWriter zip(path("sheet-bomb.xlsx"));
        zip.AddFrame();
        zip.Add(QStringLiteral("xl/worksheets/sheet1.xml"), TRepeatedPart{kSheetHead + kHeaderRow, "<row/>", kSheetTail, bomb});
    }
    files << THostileFile{QStringLiteral("工作表 %1 MiB").arg(bombMiB), path("sheet-bomb.xlsx"), QStringLiteral("xl/worksheets/sheet1.xml")};

    // A header reaching the last column, and rows of one cell each near it.
    {
        QByteArray rows = "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>ItmNo</t></is></c>"
                          "<c r=\"XFD1\" t=\"inlineStr\"><is><t>Last</t></is></c></row>";
        for (int r = 2; r <= 60000; ++r)
            rows += "<row r=\"" + QByteArray::number(r) + "\"><c r=\"XFC" + QByteArray::number(r) + "\"><v>1</v></c></row>";
        WriteWorkbook(path("padded-rows.xlsx"), rows);
    }
    files << THostileFile{QStringLiteral("16384列的标题, 每行一格"), path("padded-rows.xlsx"), QStringLiteral("行数与列数之积")};

    // Entities that expand a billionfold.
    {
        QByteArray dtd = "<?xml version=\"1.0\"?><!DOCTYPE worksheet [<!ENTITY a0 \"aaaaaaaaaa\">";
        for (int i = 1; i <= 9; ++i)
            dtd += "<!ENTITY a" + QByteArray::number(i) + " \"" + QByteArray("&a" + QByteArray::number(i - 1) + ";").repeated(10) + "\">";
        dtd += "]>";
        TZipWriter zip(path("entities.xlsx"));
        zip.AddFrame();
        zip.Add(QStringLiteral("xl/worksheets/sheet1.xml"),
                dtd + "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>" + kHeaderRow +
                    "<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t>&a9;</t></is></c></row>" + kSheetTail);
    }
    files << THostileFile{QStringLiteral("实体展开"), path("entities.xlsx"), QStringLiteral("文档类型定义")};

    // Not a workbook at all, and one cut short.
    WriteText(path("not-a-zip.xlsx"), TRepeatedPart{"ItmNo,ManQty\n", "A,1\n", {}, 4096});
    files << THostileFile{QStringLiteral("不是压缩包"), path("not-a-zip.xlsx"), QString()};
    {
        WriteWorkbook(path("whole.xlsx"), kHeaderRow + "<row r=\"2\"><c r=\"A2\"><v>1</v></c></row>");
        QFile whole(path("whole.xlsx"));
        whole.open(QIODevice::ReadOnly);
        const QByteArray bytes = whole.readAll();
        whole.close();
        whole.remove();
        QFile cut(path("cut-short.xlsx"));
        cut.open(QIODevice::WriteOnly | QIODevice::Truncate);
        cut.write(bytes.left(bytes.size() * 2 / 3));
    }
    files << THostileFile{QStringLiteral("截断的工作簿"), path("cut-short.xlsx"), QString()};

    // Text tables: a header of separators beyond the sheet's columns, and a column of lines beyond its rows.
    WriteText(path("separators.csv"), TRepeatedPart{"ItmNo", ",", "\nA\n", 4 * 1024 * 1024});
    files << THostileFile{QStringLiteral("400万个分隔符的标题"), path("separators.csv"), QStringLiteral("16384列")};
    WriteText(path("lines.csv"), TRepeatedPart{"ItmNo\n", "x\n", {}, 2200LL * 1024});
    files << THostileFile{QStringLiteral("112万行"), path("lines.csv"), QStringLiteral("行数")};
    return files;
}

} // namespace kx::hostile
