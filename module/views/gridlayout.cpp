#include "views/gridlayout.h"

#include "db/errors.h"
#include "db/fieldlists.h"
#include "db/strutils.h"

#include <algorithm>

namespace kx {

namespace {

constexpr int kCodeLength = 7;
// Two base-36 digits hold 0..1295. A stored width is never below 20, so "00" stands for
// the widest width, 1296.
constexpr int kWidthModulus = 36 * 36;

// "[Positions]" as ordered (field, code) pairs: "ID:code|ID:code|".
QList<QPair<QString, QString>> ParsePositions(const QString& text)
{
    QList<QPair<QString, QString>> list;
    for (const QString& entry : text.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        const qsizetype colon = entry.lastIndexOf(QLatin1Char(':'));
        if (colon > 0)
            list.append({entry.left(colon).trimmed(), entry.mid(colon + 1).trimmed()});
    }
    return list;
}

QString FindPosition(const QList<QPair<QString, QString>>& list, const QString& field)
{
    for (const auto& p : list)
        if (p.first.compare(field, Qt::CaseInsensitive) == 0)
            return p.second;
    return QString();
}

void PlacePosition(QList<QPair<QString, QString>>& list, const QString& field, const QString& code)
{
    for (auto& p : list)
        if (p.first.compare(field, Qt::CaseInsensitive) == 0) {
            p.second = code;
            return;
        }
    list.append({field, code});
}

bool Stored(const TViewColumn* c)
{
    return c->Tag < 1 && !c->FieldName.isEmpty();
}

void ApplySorts(TViewColumns& columns, const QString& sorts, bool grouping)
{
    int nextGroup = 0, nextSort = 0;
    for (const QString& entry : sorts.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        const QStringList parts = entry.split(QLatin1Char(':'));
        TViewColumn* c = columns.ByField(parts.value(0).trimmed());
        if (!c)
            continue;
        c->Descending = parts.value(1).trimmed() == QLatin1String("1");
        if (grouping && parts.value(2).trimmed() == QLatin1String("1")) {
            c->GroupIndex = nextGroup++;
            c->Visible = false;
        } else {
            c->SortIndex = nextSort++;
        }
    }
}

void ApplySummaries(TViewColumns& columns, const QString& total, const QString& summaries)
{
    columns.FooterVisible = !total.startsWith(QLatin1Char('0'));
    columns.GroupFootersVisible = columns.FooterVisible && total.mid(1, 1) != QLatin1String("0");
    if (!columns.FooterVisible)
        return;
    for (const QString& entry : summaries.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        const QStringList parts = entry.split(QLatin1Char(':'));
        TViewColumn* c = columns.ByField(parts.value(0).trimmed());
        const int kind = parts.value(1).trimmed().toInt();
        if (c && kind >= skSum && kind <= skMin)
            c->Summary = TSummaryKind(kind);
    }
}

} // namespace

int ClampColumnWidth(int width)
{
    return std::clamp(width, kMinColumnWidth, kMaxColumnWidth);
}

QString EncodeColumnPosition(const TColumnPosition& p)
{
    return IntToBase(std::clamp(p.Band, 0, 35), 36, 1) + IntToBase(std::clamp(p.ColIndex, 0, 1295), 36, 2)
        + IntToBase(std::clamp(p.Row, 0, 35), 36, 1) + IntToBase(std::clamp(p.LineCount, 1, 35), 36, 1)
        + IntToBase(ClampColumnWidth(p.Width) % kWidthModulus, 36, 2);
}

bool DecodeColumnPosition(const QString& code, TColumnPosition& p)
{
    if (code.size() != kCodeLength)
        return false;
    try {
        p.Band = int(BaseToInt(code.mid(0, 1), 36));
        p.ColIndex = int(BaseToInt(code.mid(1, 2), 36));
        p.Row = int(BaseToInt(code.mid(3, 1), 36));
        p.LineCount = std::max(1, int(BaseToInt(code.mid(4, 1), 36)));
        const int width = int(BaseToInt(code.mid(5, 2), 36));
        p.Width = width == 0 ? kMaxColumnWidth : ClampColumnWidth(width);
    } catch (const EConvertError&) {
        return false;
    }
    return true;
}

void ApplyColumnLayout(TViewColumns& columns, const TInfoObjectDef& def, const QString& params, const QString& fields,
                       const TLayoutOptions& options)
{
    columns.ClearSortingAndGrouping();
    columns.ClearSummaries();
    for (TViewColumn* c : QList<TViewColumn*>(columns.Items()))
        if (c->Dynamic)
            columns.Remove(c);

    const QString positionsText = GetParamValue(params, kParamPositions);
    const auto positions = ParsePositions(positionsText);
    const int defaultBand = columns.DefaultBand();
    for (const TInfoFieldDef& f : def.Fields) {
        if (f.HideList || !FieldListContains(fields, f.ID) || columns.ByField(f.ID) || !options.CreateColumns)
            continue;
        const bool fixed = f.Layout == flFixedLeft || f.Layout == flFixedRight;
        TViewColumn* c = columns.Add(f.ID, FieldColumnCaption(f), fixed ? columns.FixedBand(f.Layout) : defaultBand);
        c->Editable = false;
        c->Sortable = !f.HideSort;
        c->Filterable = !f.HideFilter;
        c->Width = 70;
        c->Dynamic = true;
        SetupColumnByField(*c, f);
        if (positionsText.isEmpty()) {
            c->Row = 0;
            c->LineCount = 1;
        }
    }

    // Columns take their stored places; sorting the places and numbering them again keeps
    // the positions within each band and row consecutive.
    struct TPlaced {
        TViewColumn* Column;
        int Order;
    };
    QList<TPlaced> placed;
    for (int i = 0; i < columns.Count(); ++i) {
        TViewColumn* c = columns.At(i);
        TColumnPosition p;
        if (Stored(c) && DecodeColumnPosition(FindPosition(positions, c->FieldName), p)) {
            c->Band = p.Band < columns.Bands.size() ? p.Band : defaultBand;
            c->ColIndex = p.ColIndex;
            c->Row = p.Row;
            c->LineCount = p.LineCount;
            c->Width = p.Width;
            c->Visible = FieldListContains(fields, c->FieldName);
        }
        placed.append({c, i});
    }
    std::stable_sort(placed.begin(), placed.end(), [](const TPlaced& a, const TPlaced& b) {
        if (a.Column->Band != b.Column->Band)
            return a.Column->Band < b.Column->Band;
        if (a.Column->Row != b.Column->Row)
            return a.Column->Row < b.Column->Row;
        return a.Column->ColIndex < b.Column->ColIndex;
    });
    for (qsizetype i = 0; i < placed.size(); ++i) {
        TViewColumn* c = placed[i].Column;
        const bool sameRun = i > 0 && placed[i - 1].Column->Band == c->Band && placed[i - 1].Column->Row == c->Row;
        c->ColIndex = sameRun ? placed[i - 1].Column->ColIndex + 1 : 0;
    }

    if (!options.GridMode)
        ApplySorts(columns, GetParamValue(params, kParamSorts), options.Grouping);
    for (int b = 0; b < columns.Bands.size(); ++b) {
        const auto shown = std::any_of(columns.Items().begin(), columns.Items().end(),
                                       [b](const TViewColumn* c) { return c->Band == b && c->Visible; });
        if (shown || columns.NextColIndex(b) > 0)
            columns.Bands[b].Visible = shown;
    }
    ApplySummaries(columns, GetParamValue(params, kParamTotal), GetParamValue(params, kParamSummaries));
}

QString StoreColumnLayout(const TViewColumns& columns, const QString& params, const TLayoutOptions& options)
{
    auto positions = ParsePositions(GetParamValue(params, kParamPositions));
    QStringList visible;
    for (const TViewColumn* c : columns.DisplayOrder())
        if (Stored(c))
            visible << c->FieldName;
    for (const TViewColumn* c : columns.Items()) {
        if (!Stored(c) || c->Band < 0 || c->Band >= columns.Bands.size())
            continue;
        int width = c->Width;
        TColumnPosition old;
        if (!c->Visible && DecodeColumnPosition(FindPosition(positions, c->FieldName), old))
            width = old.Width;
        PlacePosition(positions, c->FieldName,
                      EncodeColumnPosition({c->Band, c->ColIndex, c->Row, c->LineCount, width}));
    }
    QString positionsText;
    for (const auto& p : positions)
        positionsText += p.first + QLatin1Char(':') + p.second + QLatin1Char('|');
    QString result = SetParamValue(params, kParamPositions, positionsText);

    if (!options.GridMode) {
        QStringList sorts;
        QStringList listed;
        for (const TViewColumn* c : columns.GroupColumns()) {
            if (!c->FieldName.isEmpty() && options.Grouping) {
                if (!visible.contains(c->FieldName, Qt::CaseInsensitive))
                    visible << c->FieldName;
                sorts << c->FieldName + (c->Descending ? QStringLiteral(":1:1") : QStringLiteral(":0:1"));
                listed << c->FieldName;
            }
        }
        for (const TViewColumn* c : columns.SortColumns()) {
            if (c->FieldName.isEmpty() || listed.contains(c->FieldName, Qt::CaseInsensitive))
                continue;
            const QString direction = c->Descending ? QStringLiteral(":1") : QStringLiteral(":0");
            sorts << c->FieldName + direction + (options.Grouping ? QStringLiteral(":0") : QString());
        }
        result = SetParamValue(result, kParamSorts, sorts.join(QLatin1Char('|')));
    }
    return SetParamValue(result, kParamFields, MakeFieldList(visible));
}

} // namespace kx
