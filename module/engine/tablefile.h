// Table files planners keep lists in: CSV text (UTF-8, a header row with the field names)
// and Excel workbooks (.xlsx, the first sheet).
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QIODevice;

namespace kx {

struct TTableFile {
    QStringList Fields;           // header row
    QList<QStringList> Rows;      // cells as text, as many as the header has
    QList<int> RowNumbers;        // line (CSV) or row (sheet) number of each row, from 1

    int FieldIndex(const QString& name) const;    // without regard to case; -1 when absent
};

// Reads a file by its extension (".xlsx", anything else as CSV). Raises EKxError with
// "文件"%s"不是可以导入的表格数据!" when the file is not a table.
TTableFile ReadTableFile(const QString& path);
TTableFile ReadCsv(QIODevice& device, const QString& name);
TTableFile ReadXlsx(const QString& path);

} // namespace kx
