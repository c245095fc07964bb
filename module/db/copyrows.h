// Rows streamed into one table with COPY: values are added field by field in the COPY text
// format (tab-separated, \N for null, backslash escapes) and sent in large chunks.
#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>

#include <string>
#include <string_view>

namespace kx {

class TConnection;

class TCopyRows {
public:
    // columns: the column list as written in "copy table (columns) from stdin".
    TCopyRows(TConnection& connection, const QString& table, const QString& columns);
    TCopyRows(const TCopyRows&) = delete;
    TCopyRows& operator=(const TCopyRows&) = delete;

    TCopyRows& Text(const QString& value);
    TCopyRows& Text(std::string_view utf8);
    TCopyRows& Text(const char* utf8) { return Text(std::string_view(utf8)); }
    TCopyRows& Int(qint64 value);
    // A quantity: the shortest decimal that reads back as the same double (the quantity
    // columns keep eight decimals).
    TCopyRows& Qty(double value);
    TCopyRows& Date(const QDate& value);      // null for an invalid date
    TCopyRows& Null();
    void EndRow();

    // Sends what is left; returns the number of rows copied into the table in all.
    qint64 Finish();
    qint64 Rows() const { return FRows; }
    const QString& Table() const { return FTable; }

private:
    void Separate();
    void Send();

    TConnection& FConnection;
    QString FTable;
    QString FCopySQL;
    std::string FData;        // rows in COPY text not sent yet
    bool FRowStarted = false;
    qint64 FPending = 0;      // rows in FData not sent yet
    qint64 FRows = 0;         // rows sent
};

} // namespace kx
