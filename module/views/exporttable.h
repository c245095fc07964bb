// What a grid, tree or list shows, described without widgets so that one set of writers
// (workbook, CSV, text, web page, XML) and one report printer serve every view: the
// visible columns in their order with captions, widths and value kinds, the bands above
// them, the rows (data, group rows and group footers, each with its level) and the
// footer totals. Views describe; the writers and the printer decide how it looks.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace kx {

// How a column's values are written: numbers and dates as real cells of their type.
enum TExportValueKind { evText, evNumber, evDate, evDateTime, evBoolean };

// A row as the view shows it: a record, a group caption row or a group's summary row.
enum TExportRowKind { erData, erGroup, erGroupFooter };

// The summaries a footer or group-footer cell carries (as the grid's summary kinds).
enum TExportSummary { esNone = 0, esSum = 1, esCount = 2, esMax = 3, esMin = 4, esAverage = 5 };

struct TExportColumn {
    QString Name;                         // the field shown; names the cell in XML
    QString Caption;
    int Band = -1;                        // index into the table's bands, -1 none
    int Width = 70;                       // on screen, pixels
    TExportValueKind Kind = evText;
    int Decimals = -1;                    // fixed decimals of a number (2 for money); -1 as the value needs, up to 8
    bool AlignRight = false;
    TExportSummary Summary = esNone;      // what the footer and group footers show under this column
};

struct TExportBand {
    QString Caption;
};

class TExportTable {
public:
    virtual ~TExportTable() = default;

    QString Title;                        // the view's caption: sheet name, page title
    QList<TExportColumn> Columns;         // visible columns in display order
    QList<TExportBand> Bands;
    int FixedColumns = 0;                 // leading columns that stay in place when scrolling
    bool HasFooter = false;               // a totals row ends the table

    virtual int RowCount() const = 0;
    virtual TExportRowKind RowKind(int row) const;
    // The group depth of a row (0 outside groups; a tree node's depth).
    virtual int RowLevel(int row) const;
    // A record's value for the column's kind: a number, a date or date-time, a boolean, or
    // for text columns the text shown (enumeration captions, not codes). Null: empty.
    // Group-footer rows answer their summaries.
    virtual QVariant Value(int row, int column) const = 0;
    // The text the view shows in the cell.
    virtual QString Text(int row, int column) const = 0;
    // A group row's caption ("物料类型: 自制 (3)").
    virtual QString GroupText(int row) const;
    virtual QVariant FooterValue(int column) const;
    virtual QString FooterText(int column) const;

    // Some band has a caption: the header then has two rows.
    bool HasBandCaptions() const;
    // Runs of adjacent columns under the same band: (first column, column count, band).
    struct TBandRun {
        int First;
        int Count;
        int Band;
    };
    QList<TBandRun> BandRuns() const;
};

// A table whose rows are kept in memory: the shell's lists, result lists, tests.
class TExportMemoryTable : public TExportTable {
public:
    struct TRow {
        TExportRowKind Kind = erData;
        int Level = 0;
        QVariantList Values;
        QStringList Texts;                // empty: the values' default texts
        QString GroupText;
    };

    QList<TRow> Rows;
    QVariantList Footer;
    QStringList FooterTexts;

    void AddRow(const QVariantList& values, const QStringList& texts = {}, int level = 0);
    void AddGroupRow(const QString& text, int level);
    void AddGroupFooter(const QVariantList& values, int level);

    int RowCount() const override { return int(Rows.size()); }
    TExportRowKind RowKind(int row) const override { return Rows[row].Kind; }
    int RowLevel(int row) const override { return Rows[row].Level; }
    QVariant Value(int row, int column) const override { return Rows[row].Values.value(column); }
    QString Text(int row, int column) const override;
    QString GroupText(int row) const override { return Rows[row].GroupText; }
    QVariant FooterValue(int column) const override { return Footer.value(column); }
    QString FooterText(int column) const override;
};

// The text a value shows when a view gives none: numbers grouped with up to 8 decimals (or
// the column's decimals), zero and null empty, dates "yyyy/mm/dd", date-times with the
// time, true "√".
QString DefaultExportText(const TExportColumn& column, const QVariant& value);
// A summary value in the footer's format: "≤" before maxima, "≥" before minima.
QString SummaryExportText(const TExportColumn& column, const QVariant& value);

} // namespace kx
