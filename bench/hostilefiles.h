// Table files made to harm a reader that trusts them: workbooks whose parts inflate a
// thousandfold (honestly declared, or declared small), cell and row references beyond the
// sheet, a header at the last column with every row padded out to it, entity expansion, and
// text tables made of separators. The reliability tests and the import benchmark write them
// afresh each time; none is kept in the repository.
#pragma once

#include <QList>
#include <QString>

namespace kx::hostile {

struct THostileFile {
    QString Name;                 // what it tries
    QString Path;
    QString Reason;               // a piece of the refusal's reason, empty when the plain refusal is expected
};

// Writes every hostile file into folder. bombMiB: what the inflating parts inflate to (the
// benchmark uses 1024, the tests a few dozen).
QList<THostileFile> WriteHostileFiles(const QString& folder, int bombMiB);

// A well-formed workbook with the given sheet XML (the <sheetData> content) and shared strings.
void WriteWorkbook(const QString& path, const QByteArray& sheetData, const QList<QByteArray>& sharedStrings = {});

} // namespace kx::hostile
