// A dataset over one statement's result: open or execute a statement text, read fields
// by name without regard to case, count records, navigate, locate, test for nulls.
#pragma once

#include "db/connection.h"
#include "kx_mrp/types.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

namespace kx {

class TQuery;

// One field of the current record; cheap to copy, valid while the dataset stays open.
class TField {
public:
    TField(const TQuery* query, int index) : FQuery(query), FIndex(index) {}
    bool IsNull() const;
    QVariant Value() const;
    QString AsString() const;
    int AsInteger() const;
    qint64 AsLargeInt() const;
    double AsFloat() const;
    bool AsBoolean() const;
    QDate AsDate() const;
    QDateTime AsDateTime() const;
    QString FieldName() const;
    TFieldType DataType() const;
    int Index() const { return FIndex; }

private:
    const TQuery* FQuery;
    int FIndex;
};

class TQuery {
public:
    explicit TQuery(TConnection* connection = nullptr) : Connection(connection) {}

    TConnection* Connection;
    QString SQL;
    int CommandTimeout = 3600;

    void Open();                          // runs SQL and keeps its result set
    void ExecSQL();                       // runs SQL without keeping rows
    void Close();
    bool Active() const { return bool(FResult); }
    int RowsAffected() const { return FRowsAffected; }

    int RecordCount() const { return FRowCount; }
    bool IsEmpty() const { return FRowCount == 0; }
    bool Eof() const { return FRow >= FRowCount; }
    bool Bof() const { return FRow <= 0; }
    void First() { FRow = 0; }
    void Next() { if (FRow < FRowCount) ++FRow; }
    void Prior() { if (FRow > 0) --FRow; }
    void Last() { FRow = FRowCount > 0 ? FRowCount - 1 : 0; }
    int RecNo() const { return FRow; }    // from 0
    void SetRecNo(int row) { FRow = qBound(0, row, FRowCount); }

    int FieldCount() const { return FFieldCount; }
    TField Fields(int index) const { return TField(this, index); }
    int FieldIndex(const QString& name) const;        // -1 when absent; case-insensitive
    bool HasField(const QString& name) const { return FieldIndex(name) >= 0; }
    TField FieldByName(const QString& name) const;    // raises EKxError when absent
    QStringList FieldNames() const;

    // Moves to the first record whose fields (names separated by ";") equal the values.
    bool Locate(const QString& fieldNames, const QVariantList& values, bool caseInsensitive = false);

    // Cell access by row, for code that walks a whole result without moving the cursor.
    QVariant ValueAt(int row, int field) const;
    bool IsNullAt(int row, int field) const;
    QString TextAt(int row, int field) const;
    // The cell's text as the server sent it, in UTF-8 (empty for null); valid while the
    // result is.
    QByteArrayView BytesAt(int row, int field) const;
    // The cell as a number, or as the date of a date or timestamp, read straight from its
    // text for the big reads: 0 or an invalid date for null.
    int IntAt(int row, int field) const;
    double NumberAt(int row, int field) const;
    QDate DateAt(int row, int field) const;

private:
    friend class TField;
    friend class TSentAhead;
    void TakeResult(TPGResult result);

    TPGResult FResult;
    int FRow = 0;
    int FRowCount = 0;
    int FFieldCount = 0;
    int FRowsAffected = 0;
    QHash<QString, int> FFieldIndex;      // lower-cased name -> first column of that name
};

// A chunk of rows of a big read (TCopyRead), cell by cell as TQuery gives them: the text as
// the server wrote it, null apart.
class TRowChunk {
public:
    int RecordCount() const { return FRows; }
    int FieldCount() const { return FFields; }
    bool IsNullAt(int row, int field) const { return Cell(row, field).Size < 0; }
    QString TextAt(int row, int field) const;                 // null QString for null
    QByteArrayView BytesAt(int row, int field) const;         // empty for null; valid while the chunk is
    int IntAt(int row, int field) const;                      // 0 for null or other text
    double NumberAt(int row, int field) const;
    QDate DateAt(int row, int field) const;                   // invalid for null

private:
    friend class TCopyRead;
    struct TCell {
        int At;
        int Size;             // -1 for null
    };
    const TCell& Cell(int row, int field) const { return FCells[size_t(row) * size_t(FFields) + size_t(field)]; }
    void Clear();
    void AddRow(QByteArrayView line);      // one row of COPY text, its line end included
    void Reserve(int rows);                // room for about as many rows as the first

    QByteArray FText;         // the rows' cells, unescaped, one after another
    std::vector<TCell> FCells;
    int FFields = 0;
    int FRows = 0;
};

// A big select read chunk by chunk, streamed by COPY: the server sends the rows one after
// another while the caller works on those that came, with nothing to ask for between chunks.
// The caller keeps taking in what arrives (KeepUp), so that the server is never held up by a
// full connection. The connection serves nothing else until the read is done or destroyed; a
// read left midway takes in and drops the rest.
class TCopyRead {
public:
    TCopyRead(TConnection& connection, const QString& select, int chunkRows = 10000);
    ~TCopyRead();
    TCopyRead(const TCopyRead&) = delete;
    TCopyRead& operator=(const TCopyRead&) = delete;

    // Puts the next chunk into chunk (its rows numbered from 0); false when all were read.
    bool Next(TRowChunk& chunk);
    // Takes in what the server has sent so far, without waiting: called every few hundred
    // rows while working on a chunk.
    void KeepUp();

private:
    TConnection& FConnection;
    int FChunkRows;
    bool FDone = false;
};

// Statements sent ahead: the server runs them while the caller goes on with work of its own,
// sending nothing else on the connection, until it waits for them (or they go out of scope,
// when an error of theirs is dropped: the caller is already leaving on one of its own).
class TSentAhead {
public:
    TSentAhead(TConnection& connection, const QString& sql);
    ~TSentAhead();
    TSentAhead(const TSentAhead&) = delete;
    TSentAhead& operator=(const TSentAhead&) = delete;

    void Wait();                  // raises the error of a failed statement
    void Take(TQuery& query);     // waits, and puts a select's rows into the query

private:
    TConnection& FConnection;
    bool FPending = true;
};

} // namespace kx
