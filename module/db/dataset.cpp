#include "db/dataset.h"

#include <libpq-fe.h>

#include <charconv>
#include <cstring>

namespace kx {

namespace {

// Built-in type OIDs of the PostgreSQL catalogue.
enum : Oid {
    oidBool = 16, oidBytea = 17, oidInt8 = 20, oidInt2 = 21, oidInt4 = 23, oidOid = 26,
    oidFloat4 = 700, oidFloat8 = 701, oidBpchar = 1042, oidVarchar = 1043, oidText = 25,
    oidDate = 1082, oidTime = 1083, oidTimestamp = 1114, oidTimestampTz = 1184, oidNumeric = 1700,
};

TFieldType FieldTypeOf(Oid type)
{
    switch (type) {
    case oidBool: return ftBoolean;
    case oidBytea: return ftBlob;
    case oidInt2: return ftSmallint;
    case oidInt4: case oidOid: return ftInteger;
    case oidInt8: return ftLargeint;
    case oidFloat4: case oidFloat8: return ftFloat;
    case oidNumeric: return ftBCD;
    case oidDate: return ftDate;
    case oidTime: return ftTime;
    case oidTimestamp: case oidTimestampTz: return ftDateTime;
    default: return ftWideString;
    }
}

QDateTime ParseTimestamp(const char* s)
{
    // Server text form "2026-12-06 10:20:30.123" (time zone part dropped for timestamptz).
    QString text = QString::fromLatin1(s);
    const qsizetype zone = text.indexOf(QLatin1Char('+'), 19);
    if (zone > 0)
        text.truncate(zone);
    const qsizetype minus = text.indexOf(QLatin1Char('-'), 19);
    if (minus > 0)
        text.truncate(minus);
    QDateTime dt = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!dt.isValid())
        dt = QDateTime::fromString(text.left(19), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return dt;
}

QVariant Convert(const PGresult* r, int row, int col)
{
    if (PQgetisnull(r, row, col))
        return QVariant();
    const char* s = PQgetvalue(r, row, col);
    switch (PQftype(r, col)) {
    case oidBool: return QVariant(s[0] == 't');
    case oidInt2: case oidInt4: return QVariant(int(strtol(s, nullptr, 10)));
    case oidOid: return QVariant(uint(strtoul(s, nullptr, 10)));
    case oidInt8: return QVariant(qlonglong(strtoll(s, nullptr, 10)));
    case oidFloat4: case oidFloat8: case oidNumeric: return QVariant(strtod(s, nullptr));
    case oidDate: return QVariant(QDate::fromString(QString::fromLatin1(s), Qt::ISODate));
    case oidTime: return QVariant(QTime::fromString(QString::fromLatin1(s), Qt::ISODateWithMs));
    case oidTimestamp: case oidTimestampTz: return QVariant(ParseTimestamp(s));
    case oidBytea: {
        size_t len = 0;
        unsigned char* bytes = PQunescapeBytea(reinterpret_cast<const unsigned char*>(s), &len);
        QByteArray data(reinterpret_cast<const char*>(bytes), qsizetype(len));
        PQfreemem(bytes);
        return QVariant(data);
    }
    default: return QVariant(QString::fromUtf8(s, PQgetlength(r, row, col)));
    }
}

} // namespace

void TQuery::TakeResult(TPGResult result)
{
    FResult = std::move(result);
    FRow = 0;
    FFieldIndex.clear();
    if (PQresultStatus(FResult.get()) == PGRES_TUPLES_OK) {
        FRowCount = PQntuples(FResult.get());
        FFieldCount = PQnfields(FResult.get());
        for (int i = FFieldCount - 1; i >= 0; --i)
            FFieldIndex.insert(QString::fromUtf8(PQfname(FResult.get(), i)).toLower(), i);
    } else {
        FRowCount = 0;
        FFieldCount = 0;
    }
    FRowsAffected = QByteArray(PQcmdTuples(FResult.get())).toInt();
}

void TQuery::Open()
{
    Close();
    if (!Connection)
        throw EKxError(QStringLiteral("数据集没有设置数据库连接!"));
    TakeResult(Connection->Execute(SQL, CommandTimeout));
}

namespace {

// A number as the server writes it, the whole text or nothing: 0 for null, empty or other text.
template <typename T>
T NumberOfText(QByteArrayView text)
{
    T value{};
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end ? value : T{};
}

// A date as the server writes it: "yyyy-MM-dd", then for a timestamp the time of day; an
// invalid date for null or other text.
QDate DateOfText(QByteArrayView b)
{
    if (b.size() < 10 || b[4] != '-' || b[7] != '-')
        return QDate();
    auto digits = [&](int from, int count) {
        int value = 0;
        for (int i = from; i < from + count; ++i) {
            if (b[i] < '0' || b[i] > '9')
                return -1;
            value = value * 10 + (b[i] - '0');
        }
        return value;
    };
    return QDate(digits(0, 4), digits(5, 2), digits(8, 2));
}

} // namespace

void TRowChunk::Clear()
{
    FText.clear();
    FCells.clear();
    FFields = FRows = 0;
}

void TRowChunk::AddRow(QByteArrayView line)
{
    if (line.endsWith('\n'))
        line.chop(1);
    // The cells' text is never longer than the row: room for all of it, then cut to size. The
    // row is copied as it is scanned for its cells; a cell with escapes is unescaped in place.
    const qsizetype base = FText.size();
    FText.resize(base + line.size());
    char* const text = FText.data();
    qsizetype to = base;
    const qsizetype rowStart = qsizetype(FCells.size());
    const char* p = line.data();
    const char* const end = p + line.size();
    for (;;) {
        const qsizetype start = to;
        bool escaped = false;
        for (; p < end && *p != '\t'; ++p) {
            escaped |= *p == '\\';
            text[to++] = *p;
        }
        if (!escaped) {
            FCells.push_back({int(start), int(to - start)});
        } else if (to - start == 2 && text[start + 1] == 'N') {
            FCells.push_back({int(start), -1});
            to = start;
        } else {
            // Backslash escapes: the control characters by their letters, a backslash doubled.
            qsizetype out = start;
            for (qsizetype i = start; i < to; ++i) {
                char c = text[i];
                if (c == '\\' && i + 1 < to) {
                    switch (c = text[++i]) {
                    case 'b': c = '\b'; break;
                    case 'f': c = '\f'; break;
                    case 'n': c = '\n'; break;
                    case 'r': c = '\r'; break;
                    case 't': c = '\t'; break;
                    case 'v': c = '\v'; break;
                    default: break;
                    }
                }
                text[out++] = c;
            }
            FCells.push_back({int(start), int(out - start)});
            to = out;
        }
        if (p == end)
            break;
        ++p;
    }
    FText.resize(to);
    const int fields = int(qsizetype(FCells.size()) - rowStart);
    if (FRows == 0)
        FFields = fields;
    else if (fields != FFields)
        throw EKxError(QStringLiteral("读取的数据行有 %1 个字段, 应为 %2 个!").arg(fields).arg(FFields));
    ++FRows;
}

void TRowChunk::Reserve(int rows)
{
    FCells.reserve(size_t(rows) * size_t(FFields));
    FText.reserve(FText.size() * rows + 1);
}

QString TRowChunk::TextAt(int row, int field) const
{
    const TCell& c = Cell(row, field);
    return c.Size < 0 ? QString() : QString::fromUtf8(FText.constData() + c.At, c.Size);
}

QByteArrayView TRowChunk::BytesAt(int row, int field) const
{
    const TCell& c = Cell(row, field);
    return QByteArrayView(FText.constData() + c.At, std::max(c.Size, 0));
}

int TRowChunk::IntAt(int row, int field) const
{
    return NumberOfText<int>(BytesAt(row, field));
}

double TRowChunk::NumberAt(int row, int field) const
{
    return NumberOfText<double>(BytesAt(row, field));
}

QDate TRowChunk::DateAt(int row, int field) const
{
    return DateOfText(BytesAt(row, field));
}

TCopyRead::TCopyRead(TConnection& connection, const QString& select, int chunkRows)
    : FConnection(connection), FChunkRows(qMax(1, chunkRows))
{
    FConnection.CopyOutStart(QStringLiteral("copy (%1) to stdout").arg(select));
}

TCopyRead::~TCopyRead()
{
    if (FDone || !FConnection.Connected())
        return;
    try {
        QByteArrayView row;
        while (FConnection.CopyOutRow(row)) {}
    } catch (const EDatabaseError&) {
        // the caller is already leaving on an error of its own
    }
}

void TCopyRead::KeepUp()
{
    if (!FDone)
        FConnection.TakeIn();
}

bool TCopyRead::Next(TRowChunk& chunk)
{
    chunk.Clear();
    QByteArrayView row;
    while (!FDone && chunk.RecordCount() < FChunkRows) {
        bool more = false;
        try {
            more = FConnection.CopyOutRow(row);
        } catch (const EDatabaseError&) {
            FDone = true;         // the statement failed: nothing more comes
            throw;
        }
        if (!more) {
            FDone = true;
            break;
        }
        chunk.AddRow(row);
        if (chunk.RecordCount() == 1)
            chunk.Reserve(FChunkRows);      // rows of a read are mostly alike in size
    }
    return chunk.RecordCount() > 0;
}

TSentAhead::TSentAhead(TConnection& connection, const QString& sql) : FConnection(connection)
{
    FConnection.Send(sql);
}

TSentAhead::~TSentAhead()
{
    if (!FPending || !FConnection.Connected())
        return;
    try {
        (void)FConnection.Receive();
    } catch (const EDatabaseError&) {
        // dropped: see the class
    }
}

void TSentAhead::Wait()
{
    if (!FPending)
        return;
    FPending = false;
    (void)FConnection.Receive();
}

void TSentAhead::Take(TQuery& query)
{
    query.Close();
    FPending = false;
    query.TakeResult(FConnection.Receive());
}

void TQuery::ExecSQL()
{
    Close();
    if (!Connection)
        throw EKxError(QStringLiteral("数据集没有设置数据库连接!"));
    TPGResult r = Connection->Execute(SQL, CommandTimeout);
    FRowsAffected = QByteArray(PQcmdTuples(r.get())).toInt();
}

void TQuery::Close()
{
    FResult.reset();
    FRow = FRowCount = FFieldCount = 0;
    FFieldIndex.clear();
}

int TQuery::FieldIndex(const QString& name) const
{
    return FFieldIndex.value(name.toLower(), -1);
}

TField TQuery::FieldByName(const QString& name) const
{
    const int i = FieldIndex(name);
    if (i < 0)
        throw EKxError(QStringLiteral("数据集中没有字段[%1]!").arg(name));
    return TField(this, i);
}

QStringList TQuery::FieldNames() const
{
    QStringList names;
    for (int i = 0; i < FFieldCount; ++i)
        names << QString::fromUtf8(PQfname(FResult.get(), i));
    return names;
}

QVariant TQuery::ValueAt(int row, int field) const
{
    if (!FResult || row < 0 || row >= FRowCount || field < 0 || field >= FFieldCount)
        return QVariant();
    return Convert(FResult.get(), row, field);
}

bool TQuery::IsNullAt(int row, int field) const
{
    if (!FResult || row < 0 || row >= FRowCount || field < 0 || field >= FFieldCount)
        return true;
    return PQgetisnull(FResult.get(), row, field);
}

QString TQuery::TextAt(int row, int field) const
{
    if (IsNullAt(row, field))
        return QString();
    return QString::fromUtf8(PQgetvalue(FResult.get(), row, field), PQgetlength(FResult.get(), row, field));
}

QByteArrayView TQuery::BytesAt(int row, int field) const
{
    return QByteArrayView(PQgetvalue(FResult.get(), row, field), PQgetlength(FResult.get(), row, field));
}

int TQuery::IntAt(int row, int field) const
{
    return NumberOfText<int>(BytesAt(row, field));
}

double TQuery::NumberAt(int row, int field) const
{
    return NumberOfText<double>(BytesAt(row, field));
}

QDate TQuery::DateAt(int row, int field) const
{
    return DateOfText(BytesAt(row, field));
}

bool TQuery::Locate(const QString& fieldNames, const QVariantList& values, bool caseInsensitive)
{
    const QStringList names = fieldNames.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    QList<int> cols;
    for (const QString& n : names)
        cols << FieldByName(n.trimmed()).Index();
    for (int row = 0; row < FRowCount; ++row) {
        bool match = true;
        for (qsizetype k = 0; k < cols.size() && match; ++k) {
            const QVariant v = ValueAt(row, cols[k]);
            const QVariant want = k < values.size() ? values[k] : QVariant();
            if (v.isNull() || want.isNull())
                match = v.isNull() && want.isNull();
            else if (v.typeId() == QMetaType::QString || want.typeId() == QMetaType::QString)
                match = v.toString().compare(want.toString(), caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0;
            else
                match = v == want;
        }
        if (match) {
            FRow = row;
            return true;
        }
    }
    return false;
}

bool TField::IsNull() const { return FQuery->IsNullAt(FQuery->FRow, FIndex); }
QVariant TField::Value() const { return FQuery->ValueAt(FQuery->FRow, FIndex); }
QString TField::AsString() const
{
    const QVariant v = Value();
    switch (v.typeId()) {
    case QMetaType::QDate: return v.toDate().toString(QStringLiteral("yyyy/MM/dd"));
    case QMetaType::QDateTime: return v.toDateTime().toString(QStringLiteral("yyyy/MM/dd hh:mm:ss"));
    case QMetaType::Bool: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default: return v.toString();
    }
}
int TField::AsInteger() const { return Value().toInt(); }
qint64 TField::AsLargeInt() const { return Value().toLongLong(); }
double TField::AsFloat() const { return Value().toDouble(); }
bool TField::AsBoolean() const
{
    const QVariant v = Value();
    if (v.typeId() == QMetaType::QString)
        return v.toString().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || v.toString() == QLatin1String("1");
    return v.toBool();
}
QDate TField::AsDate() const
{
    const QVariant v = Value();
    return v.typeId() == QMetaType::QDateTime ? v.toDateTime().date() : v.toDate();
}
QDateTime TField::AsDateTime() const
{
    const QVariant v = Value();
    return v.typeId() == QMetaType::QDate ? v.toDate().startOfDay() : v.toDateTime();
}
QString TField::FieldName() const { return QString::fromUtf8(PQfname(FQuery->FResult.get(), FIndex)); }
TFieldType TField::DataType() const { return FieldTypeOf(PQftype(FQuery->FResult.get(), FIndex)); }

} // namespace kx
