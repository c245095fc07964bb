#include "db/copyrows.h"

#include "db/connection.h"
#include "db/errors.h"

#include <QStringEncoder>
#include <QVarLengthArray>

#include <charconv>
#include <cmath>

namespace kx {

namespace {

// Chunk size at which rows are sent: large enough for few round trips, small enough to
// keep memory flat for millions of rows.
constexpr qsizetype kSendBytes = 8 << 20;

} // namespace

TCopyRows::TCopyRows(TConnection& connection, const QString& table, const QString& columns)
    : FConnection(connection), FTable(table),
      FCopySQL(QStringLiteral("copy %1 (%2) from stdin").arg(table, columns))
{
    FData.reserve(size_t(kSendBytes + (64 << 10)));
}

void TCopyRows::Separate()
{
    if (FRowStarted)
        FData.push_back('\t');
    FRowStarted = true;
}

TCopyRows& TCopyRows::Text(std::string_view utf8)
{
    Separate();
    // Runs of plain characters go in whole; only a backslash and the separators are escaped.
    const char* run = utf8.data();
    const char* const end = run + utf8.size();
    for (const char* p = run; p != end; ++p) {
        const char* escaped;
        switch (*p) {
        case '\\': escaped = "\\\\"; break;
        case '\t': escaped = "\\t"; break;
        case '\n': escaped = "\\n"; break;
        case '\r': escaped = "\\r"; break;
        default: continue;
        }
        FData.append(run, size_t(p - run));
        FData.append(escaped, 2);
        run = p + 1;
    }
    if (run != end)
        FData.append(run, size_t(end - run));
    return *this;
}

TCopyRows& TCopyRows::Text(const QString& value)
{
    // In UTF-8 a character takes at most three bytes for each of its UTF-16 units.
    QVarLengthArray<char, 512> utf8(value.size() * 3);
    QStringEncoder encoder(QStringConverter::Utf8);
    const char* const end = encoder.appendToBuffer(utf8.data(), value);
    return Text(std::string_view(utf8.constData(), size_t(end - utf8.constData())));
}

TCopyRows& TCopyRows::Int(qint64 value)
{
    Separate();
    char buffer[24];
    const auto end = std::to_chars(buffer, buffer + sizeof(buffer), value).ptr;
    FData.append(buffer, size_t(end - buffer));
    return *this;
}

TCopyRows& TCopyRows::Qty(double value)
{
    if (!std::isfinite(value))
        throw EConvertError(QStringLiteral("数量值无效: %1").arg(value));
    Separate();
    // Eight fixed decimals of the binary value would show its error where eight decimals are
    // more than a double holds: 163801899.98 would be written 163801899.97999999.
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::fixed);
    if (result.ec != std::errc())
        throw EConvertError(QStringLiteral("数量值超出范围: %1").arg(value));
    FData.append(buffer, size_t(result.ptr - buffer));
    return *this;
}

TCopyRows& TCopyRows::Date(const QDate& value)
{
    if (!value.isValid())
        return Null();
    Separate();
    char buffer[11] = {};
    const int y = value.year(), m = value.month(), d = value.day();
    buffer[0] = char('0' + y / 1000 % 10);
    buffer[1] = char('0' + y / 100 % 10);
    buffer[2] = char('0' + y / 10 % 10);
    buffer[3] = char('0' + y % 10);
    buffer[4] = '-';
    buffer[5] = char('0' + m / 10);
    buffer[6] = char('0' + m % 10);
    buffer[7] = '-';
    buffer[8] = char('0' + d / 10);
    buffer[9] = char('0' + d % 10);
    FData.append(buffer, 10);
    return *this;
}

TCopyRows& TCopyRows::Null()
{
    Separate();
    FData.append("\\N", 2);
    return *this;
}

void TCopyRows::EndRow()
{
    FData.push_back('\n');
    FRowStarted = false;
    ++FPending;
    if (qsizetype(FData.size()) >= kSendBytes)
        Send();
}

void TCopyRows::Send()
{
    if (FPending == 0)
        return;
    FRows += FConnection.CopyIn(FCopySQL, QByteArrayView(FData.data(), qsizetype(FData.size())));
    FData.clear();       // keeps the buffer for the next chunk
    FPending = 0;
}

qint64 TCopyRows::Finish()
{
    if (FRowStarted)
        EndRow();
    Send();
    return FRows;
}

} // namespace kx
