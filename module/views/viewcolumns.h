// The columns of a grid or tree view, addressed by the field they are bound to, and the
// bands that group them under a common caption. Widgets show these columns; the layout
// stored in a view scheme is read from and written to them.
#pragma once

#include "kx_mrp/objectdef.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QString>
#include <QVariant>

#include <functional>

class QWidget;

namespace kx {

// How a column shows and edits its values.
enum TColumnKind { ckText, ckNumber, ckCurrency, ckBoolean, ckDate, ckDateTime, ckEnum, ckPicker };
// Footer and group summaries; the numbers are those stored in "[Summaries]".
enum TSummaryKind { skNone = 0, skSum = 1, skCount = 2, skMax = 3, skMin = 4, skAverage = 5 };

// Item roles the view models answer beside the standard ones.
enum TViewRole {
    vrRawValue = Qt::UserRole + 1,        // the stored value of a cell
    vrRowKind,                            // TRowKind of the row
    vrFieldName,                          // the field bound to the column
};

// How a record's cells are drawn: set by the view-sign colours and the views' hooks.
struct TCellDrawFormat {
    QColor Background;                    // invalid: the standard colour
    QColor TextColor;
    QFont Font;
    bool FontChanged = false;
};

struct TViewBand {
    QString Caption;
    TInfoFieldLayout Fixed = flNormal;    // flFixedLeft / flFixedRight: kept at the left or right edge
    bool Nested = false;
    bool Visible = true;
};

class TViewColumn {
public:
    QString FieldName;                    // the bound field; empty for an unbound column
    QString Caption;
    int Tag = 0;                          // > 0: a column a concrete view creates at run time (periods ...)
    int Band = 0;
    int ColIndex = 0;                     // position within the band
    int Row = 0;
    int LineCount = 1;
    int Width = 70;                       // pixels
    bool Visible = true;
    bool Editable = false;
    bool Sortable = true;
    bool Filterable = true;
    bool Summable = true;                 // offers a summary (false for HideTotal fields)
    TFieldType DataType = ftUnknown;
    TColumnKind Kind = ckText;
    Qt::Alignment Alignment = Qt::AlignLeft | Qt::AlignVCenter;
    int Precision = 0;                    // decimals a number is rounded to for display; 0: as stored
    QList<TEnumValue> EnumItems;
    const TInfoFieldDef* FieldDef = nullptr;
    bool OwnEditor = false;               // a designed column with an editor of its own
    std::function<QString(const QVariant&)> OnGetDisplayText;   // a display handler of its own
    // The in-place editor of a column with an editor of its own: a line edit (its text is
    // the value), a button edit among them.
    std::function<QWidget*(QWidget* parent)> OnCreateEditor;
    bool Dynamic = false;                 // created from a field definition when the layout was applied

    int SortIndex = -1;                   // position among the sorted columns, -1 unsorted
    int GroupIndex = -1;                  // position among the grouping columns, -1 not grouped
    bool Descending = false;
    TSummaryKind Summary = skNone;

    // The text a cell of this column shows for a value.
    QString DisplayText(const QVariant& value) const;
    // The enumeration text of a value, or the value itself when it is no item.
    QString EnumText(const QVariant& value) const;
};

// Sets a column up by its field definition: enumerations become drop-downs, users and
// lookups pickers, numbers right-aligned with the number display rules, booleans check
// boxes, dates date editors.
void SetupColumnByField(TViewColumn& column, const TInfoFieldDef& field);

// The caption a field's column shows: the part of its name after the first "\" (a name
// made of a band name, "\" and a caption shows only the caption).
QString FieldColumnCaption(const TInfoFieldDef& field);

// Columns a view binds to field names itself (tree lists, editor bodies), in binding order.
class TColumnBindings {
public:
    TViewColumn* Find(const QString& fieldName) const;
    bool Contains(const TViewColumn* column) const { return FItems.contains(const_cast<TViewColumn*>(column)); }
    void Append(TViewColumn* column) { FItems << column; }
    TViewColumn* TakeLast() { return FItems.takeLast(); }
    int Count() const { return int(FItems.size()); }
    const QList<TViewColumn*>& Items() const { return FItems; }

private:
    QList<TViewColumn*> FItems;
};

// The data of a cell by role, shared by the grid and tree models: display text,
// alignment, check state, colours and the stored value.
QVariant ColumnCellData(const TViewColumn* column, const QVariant& value, int role, const TCellDrawFormat* format);

class TViewColumns {
public:
    TViewColumns();
    ~TViewColumns();
    TViewColumns(const TViewColumns&) = delete;
    TViewColumns& operator=(const TViewColumns&) = delete;

    QList<TViewBand> Bands;               // never empty: band 0 exists from the start
    bool FooterVisible = false;
    bool GroupFootersVisible = false;

    int Count() const { return int(FColumns.size()); }
    TViewColumn* At(int index) const { return FColumns.value(index); }
    int IndexOf(const TViewColumn* column) const { return int(FColumns.indexOf(const_cast<TViewColumn*>(column))); }
    TViewColumn* ByField(const QString& fieldName) const;
    const QList<TViewColumn*>& Items() const { return FColumns; }

    // A band for designed columns; the first call names the band that exists from the start.
    int AddBand(const QString& caption, TInfoFieldLayout fixed = flNormal);
    // A new column at the end of the band (the default band when band < 0).
    TViewColumn* Add(const QString& fieldName, const QString& caption, int band = -1);
    void Remove(TViewColumn* column);
    void Clear();

    // The band kept at the left (flFixedLeft) or right (flFixedRight) edge; created when
    // there is none.
    int FixedBand(TInfoFieldLayout fixed);
    // The last band that is neither fixed nor nested.
    int DefaultBand() const;
    int NextColIndex(int band) const;
    bool HasBandCaptions() const;
    // Bands fixed left first, then the normal ones, then those fixed right.
    QList<int> BandDisplayOrder() const;
    // Visible columns in display order: by band, row and position in the band.
    QList<TViewColumn*> DisplayOrder() const;
    // Puts the list in display order (the visible columns first), so that a column's
    // position in the list is its position on screen.
    void SortByDisplayOrder();
    QList<TViewColumn*> GroupColumns() const;
    QList<TViewColumn*> SortColumns() const;
    void ClearSortingAndGrouping();
    void ClearSummaries();

private:
    // The columns whose position (GroupIndex or SortIndex) is set, in that order.
    QList<TViewColumn*> OrderedBy(int TViewColumn::*position) const;

    QList<TViewColumn*> FColumns;
};

} // namespace kx
