// What the table file readers share: the refusal, and a table built row by row within the
// bounds every reader keeps, so that no file, however it is made, costs more memory than
// a genuine table of its size. Private to the readers.
#pragma once

#include "engine/tablefile.h"

namespace kx {

// The sheet limits of a workbook, kept by CSV text too.
constexpr int kMaxTableColumns = 16384;       // column XFD
constexpr int kMaxTableRows = 1048576;

// The text of a refused file: "文件"%s"不是可以导入的表格数据!", and the reason when one is given.
QString NotATableText(const QString& path, const QString& reason = QString());
[[noreturn]] void NotATable(const QString& path, const QString& reason = QString());

class TTableBuilder {
public:
    explicit TTableBuilder(const QString& path) : FPath(path) {}

    [[noreturn]] void Refuse(const QString& reason = QString()) const { NotATable(FPath, reason); }
    bool HasHeader() const { return FHeaderSet; }
    // The names of the first row, trailing unnamed columns left out; refuses a row without
    // any name.
    void SetHeader(const QStringList& header);
    // Columns of the header: a data row's cells beyond them are of no use and need not be kept.
    int Width() const { return int(FTable.Fields.size()); }
    // A data row (its line or row number, its cells), padded or cut to the header's width;
    // a row without any text is skipped. Refuses a table whose rows times columns grow far
    // beyond the cells it actually holds, or beyond what any import needs.
    void AddRow(int number, QStringList cells);
    TTableFile Take() { return std::move(FTable); }

private:
    QString FPath;
    TTableFile FTable;
    bool FHeaderSet = false;
    qint64 FFilledCells = 0;
};

} // namespace kx
