// Golden MRP scenarios: one plain-text file per case with the factory, the scheme and the
// hand-derived results the run must store. This unit reads and validates the files.
//
// File layout:
//   # <what the case proves>               first line
//   # ...                                  comment lines anywhere (only whole lines)
//   [scheme]                               key = value sections: [scheme], [expect run]
//   scope = 1
//   [items]                                table sections: a header line of column names,
//   item  type  MinQty  LotQty             then one row per line, cells separated by blanks;
//   M1    1     100     50                 "..." quotes a cell with blanks, - is empty
//   [expect supplies partial kind=42,58]   expectations may carry options after the name
//
// In expectations a cell "*" is not checked, "-" means empty, null or zero.
#pragma once

#include <QDate>
#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>

namespace kx::scenario {

struct TRow {
    int Line = 0;
    QStringList Cells;
};

// A section of the file: a table (header and rows) or a key = value list.
struct TSection {
    QString Name;                     // lower case, e.g. "bom lines", "expect supplies"
    int Line = 0;                     // line of the [header]
    QMap<QString, QString> Options;   // "partial" -> "", "kind" -> "42,58"
    QStringList Columns;              // lower case
    QList<TRow> Rows;
    QMap<QString, QString> Values;    // key = value sections, keys lower case
    QMap<QString, int> ValueLines;

    bool IsExpectation() const { return Name.startsWith(QLatin1String("expect ")); }
    QString View() const { return IsExpectation() ? Name.mid(7) : QString(); }
    bool HasColumn(const QString& column) const { return Columns.contains(column.toLower()); }
    // The cell of a column; the default when the column is absent or the cell is "-".
    QString Cell(const TRow& row, const QString& column, const QString& defaultValue = QString()) const;
    double Number(const TRow& row, const QString& column, double defaultValue = 0) const;
    QString Value(const QString& key, const QString& defaultValue = QString()) const;
};

struct TScenario {
    QString Path;
    QString Name;                     // file name without ".scn"
    QString Claim;                    // the first comment line
    QList<TSection> Sections;

    QList<const TSection*> SectionsNamed(const QString& name) const;
    const TSection* Section(const QString& name) const;     // the first of that name, or null
};

// Reads and validates an MRP scenario file: known sections and columns, required cells,
// dates, numbers, items that exist. Every problem is "<path>:<line>: <text>".
TScenario ReadScenario(const QString& path, QStringList& errors);

// The case files of a folder, sorted by name.
QStringList ScenarioFiles(const QString& folder, const QString& pattern = QStringLiteral("*.scn"));
// A case file's name as a test's name: its base name with every character but letters and
// digits made "_".
std::string CaseTestName(const QString& path);

// "2027-03-01" as a date; invalid for anything else.
QDate ScenarioDate(const QString& text);

// Column kinds of the result views the expectations are compared with.
enum class TColumnType { Text, Number, Date, Hints, Parents };

struct TViewColumn {
    const char* Name;
    TColumnType Type;
};

// What one kind of case file may hold: the MRP scenarios, the forecast deduction cases.
struct TCaseFormat {
    QString Kind;                                         // "scenario", named in errors
    QHash<QString, QStringList> InputTables;              // columns marked "!" required, "#" number, "@" date
    QHash<QString, QStringList> KeyValueSections;         // the keys each may hold
    QHash<QString, QList<TViewColumn>> Views;             // the columns of each expectation view
    QHash<QString, QStringList> ItemColumns;              // columns that name an item of [items]
    QStringList RequiredSections;
    QStringList ViewsThatMayBeEmpty;                      // expectations that may list no rows without a filter
    QHash<QString, QStringList> IdentityColumns;          // what makes a stored row the one an expected row means
    QStringList ViewsScopedByKind;                        // expectations that speak only of the kinds they list
};

const TCaseFormat& MrpScenarioFormat();
// Reads and validates a case file of any format.
TScenario ReadCaseFile(const QString& path, const TCaseFormat& format, QStringList& errors);

// The columns of an MRP expectation view ("supplies", "demands", "allots", "balance",
// "adjusts", "log"), empty for an unknown view.
const QList<TViewColumn>& ViewColumns(const QString& view);
std::optional<TColumnType> ViewColumnType(const QString& view, const QString& column);

} // namespace kx::scenario
