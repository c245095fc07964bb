#include "scenariomatch.h"

#include <QRegularExpression>

#include <cmath>

namespace kx::scenario {

namespace {

constexpr double kTolerance = 1e-6;

bool SameQty(double a, double b)
{
    return std::fabs(a - b) <= kTolerance;
}

double ToQty(const QString& text)
{
    return text.trimmed().isEmpty() ? 0 : text.trimmed().toDouble();
}

// "01=20;02=65" or the stored "01=20\r\n02=65" as key -> quantity.
QMap<QString, double> HintMap(const QString& text)
{
    static const QRegularExpression separators(QStringLiteral("[;\\r\\n]+"));
    QMap<QString, double> hints;
    for (const QString& part : text.split(separators, Qt::SkipEmptyParts)) {
        const int eq = int(part.indexOf(u'='));
        hints[part.left(eq).trimmed().toUpper()] += ToQty(part.mid(eq + 1));
    }
    return hints;
}

// "D1#1:20|D2#1:40": the demands in order of first appearance with their quantities added.
QList<QPair<QString, double>> ParentList(const QString& text)
{
    QList<QPair<QString, double>> parents;
    for (const QString& part : text.split(u'|', Qt::SkipEmptyParts)) {
        const int colon = int(part.lastIndexOf(u':'));
        const QString key = part.left(colon).trimmed();
        const double qty = ToQty(part.mid(colon + 1));
        auto it = std::find_if(parents.begin(), parents.end(), [&](const auto& p) { return p.first == key; });
        if (it == parents.end())
            parents << qMakePair(key, qty);
        else
            it->second += qty;
    }
    return parents;
}

TColumnType TypeOf(const TCaseFormat& format, const QString& view, const QString& column)
{
    for (const TViewColumn& c : format.Views.value(view))
        if (column == QLatin1String(c.Name))
            return c.Type;
    return TColumnType::Text;
}

bool IsViewColumn(const TCaseFormat& format, const QString& view, const QString& column)
{
    const auto columns = format.Views.value(view);
    return std::any_of(columns.begin(), columns.end(), [&](const TViewColumn& c) { return column == QLatin1String(c.Name); });
}

QString Shown(TColumnType type, const QString& value)
{
    if (value.isEmpty())
        return QStringLiteral("-");
    if (type == TColumnType::Number)
        return QtyText(value.toDouble());
    if (type == TColumnType::Hints || type == TColumnType::Text)
        return QString(value).replace(QLatin1String("\r\n"), QLatin1String(";")).replace(u'\r', u';');
    return value;
}

// A stored row by the section's columns, or by every filled column of the view when the
// section lists none.
QString Describe(const TCaseFormat& format, const TSection& section, const TActualRow& row)
{
    QStringList parts;
    for (const TViewColumn& c : format.Views.value(section.View())) {
        const QString column = QLatin1String(c.Name);
        const bool listed = section.Columns.contains(column);
        if (listed || (section.Columns.isEmpty() && !row.value(column).isEmpty()))
            parts << column + u'=' + Shown(c.Type, row.value(column));
    }
    return parts.join(u' ');
}

QString Describe(const TSection& section, const TRow& row)
{
    QStringList parts;
    for (int c = 0; c < section.Columns.size(); ++c)
        parts << section.Columns.at(c) + u'=' + row.Cells.at(c);
    return parts.join(u' ');
}

// The columns of an expected row that the stored row does not satisfy.
QStringList Mismatches(const TCaseFormat& format, const TSection& section, const TRow& expected, const TActualRow& actual)
{
    QStringList columns;
    for (int c = 0; c < section.Columns.size(); ++c) {
        const QString& column = section.Columns.at(c);
        if (!CellMatches(TypeOf(format, section.View(), column), expected.Cells.at(c), actual.value(column)))
            columns << column;
    }
    return columns;
}

QList<TActualRow> RowsInScope(const TCaseFormat& format, const TSection& expected, const QList<TActualRow>& actual)
{
    QMap<QString, QString> filters;
    for (auto it = expected.Options.cbegin(); it != expected.Options.cend(); ++it)
        if (IsViewColumn(format, expected.View(), it.key()))
            filters.insert(it.key(), it.value());
    const bool byKind = format.ViewsScopedByKind.contains(expected.View());
    if (byKind && !filters.contains(QStringLiteral("kind")) && !expected.Options.contains(QStringLiteral("all"))) {
        QStringList kinds;
        for (const TRow& r : expected.Rows)
            kinds << expected.Cell(r, QStringLiteral("kind"));
        kinds.removeAll(QString());
        kinds.removeAll(QStringLiteral("*"));
        if (!kinds.isEmpty())
            filters.insert(QStringLiteral("kind"), kinds.join(u','));
    }
    QList<TActualRow> rows;
    for (const TActualRow& row : actual) {
        bool keep = true;
        for (auto it = filters.cbegin(); keep && it != filters.cend(); ++it) {
            const TColumnType type = TypeOf(format, expected.View(), it.key());
            const QStringList values = it.value().split(u',');
            keep = std::any_of(values.begin(), values.end(),
                               [&](const QString& v) { return CellMatches(type, v, row.value(it.key())); });
        }
        if (keep)
            rows << row;
    }
    return rows;
}

} // namespace

QString QtyText(double value)
{
    QString text = QString::number(value, 'f', 8);
    while (text.contains(u'.') && (text.endsWith(u'0') || text.endsWith(u'.')))
        text.chop(1);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

bool CellMatches(TColumnType type, const QString& expected, const QString& actual)
{
    if (expected == QLatin1String("*"))
        return true;
    const QString stored = actual.trimmed();
    switch (type) {
    case TColumnType::Number:
        return SameQty(expected == QLatin1String("-") ? 0 : ToQty(expected), ToQty(stored));
    case TColumnType::Hints: {
        const auto want = expected == QLatin1String("-") ? QMap<QString, double>() : HintMap(expected);
        const auto have = HintMap(stored);
        if (want.keys() != have.keys())
            return false;
        for (auto it = want.cbegin(); it != want.cend(); ++it)
            if (!SameQty(it.value(), have.value(it.key())))
                return false;
        return true;
    }
    case TColumnType::Parents: {
        const auto want = expected == QLatin1String("-") ? QList<QPair<QString, double>>() : ParentList(expected);
        const auto have = ParentList(stored);
        if (want.size() != have.size())
            return false;
        for (int i = 0; i < want.size(); ++i)
            if (want.at(i).first != have.at(i).first || !SameQty(want.at(i).second, have.at(i).second))
                return false;
        return true;
    }
    case TColumnType::Text:
        if (expected.startsWith(u'~'))
            return stored.contains(expected.mid(1));
        [[fallthrough]];
    case TColumnType::Date:
        return expected == QLatin1String("-") ? stored.isEmpty() : stored == expected;
    }
    return false;
}

QList<TDifference> CompareSection(const TSection& expected, const QList<TActualRow>& actual, const TCaseFormat& format)
{
    const QList<TActualRow> rows = RowsInScope(format, expected, actual);
    QList<bool> used(rows.size(), false);
    QList<int> partner(expected.Rows.size(), -1);
    const QStringList identity = format.IdentityColumns.value(expected.View());

    // Exact matches first, so that a near miss never takes the row another line describes.
    for (int e = 0; e < expected.Rows.size(); ++e) {
        for (int a = 0; a < rows.size() && partner[e] < 0; ++a) {
            if (!used[a] && Mismatches(format, expected, expected.Rows.at(e), rows.at(a)).isEmpty()) {
                partner[e] = a;
                used[a] = true;
            }
        }
    }
    QList<TDifference> differences;
    const QString view = expected.View();
    for (int e = 0; e < expected.Rows.size(); ++e) {
        if (partner[e] >= 0)
            continue;
        const TRow& want = expected.Rows.at(e);
        int best = -1;
        QStringList bestMismatches;
        for (int a = 0; a < rows.size(); ++a) {
            if (used[a])
                continue;
            const QStringList mismatches = Mismatches(format, expected, want, rows.at(a));
            const bool sameIdentity = std::none_of(identity.begin(), identity.end(),
                                                   [&](const QString& c) { return mismatches.contains(c); });
            if (sameIdentity && (best < 0 || mismatches.size() < bestMismatches.size())) {
                best = a;
                bestMismatches = mismatches;
            }
        }
        if (best < 0) {
            differences << TDifference{want.Line, QStringLiteral("%1: no stored row like %2").arg(view, Describe(expected, want))};
            continue;
        }
        used[best] = true;
        QStringList parts;
        for (const QString& column : bestMismatches) {
            const TColumnType type = TypeOf(format, view, column);
            parts << QStringLiteral("%1 expected %2, stored %3")
                         .arg(column, expected.Cell(want, column, QStringLiteral("-")), Shown(type, rows.at(best).value(column)));
        }
        differences << TDifference{want.Line, QStringLiteral("%1 %2: %3").arg(view, Describe(expected, want), parts.join(QStringLiteral("; ")))};
    }
    if (!expected.Options.contains(QStringLiteral("partial"))) {
        for (int a = 0; a < rows.size(); ++a)
            if (!used[a])
                differences << TDifference{expected.Line,
                                           QStringLiteral("%1: unexpected stored row %2").arg(view, Describe(format, expected, rows.at(a)))};
    }
    return differences;
}

} // namespace kx::scenario
