#include "views/exporttable.h"

#include "db/strutils.h"
#include "views/numberformat.h"

#include <QDateTime>

namespace kx {

namespace {

QString NumberPicture(int decimals)
{
    if (decimals < 0)
        return kFloatFormat;
    return decimals == 0 ? QStringLiteral("###,###,###,##0") : QStringLiteral("###,###,###,##0.") + QString(decimals, QLatin1Char('0'));
}

bool IsNumber(const QVariant& value, double& d)
{
    if (value.isNull() || !value.isValid())
        return false;
    bool ok = false;
    d = value.toDouble(&ok);
    return ok;
}

} // namespace

TExportRowKind TExportTable::RowKind(int) const
{
    return erData;
}

int TExportTable::RowLevel(int) const
{
    return 0;
}

QString TExportTable::GroupText(int) const
{
    return QString();
}

QVariant TExportTable::FooterValue(int) const
{
    return QVariant();
}

QString TExportTable::FooterText(int column) const
{
    return SummaryExportText(Columns.value(column), FooterValue(column));
}

bool TExportTable::HasBandCaptions() const
{
    for (const TExportBand& b : Bands)
        if (!b.Caption.isEmpty())
            return true;
    return false;
}

QList<TExportTable::TBandRun> TExportTable::BandRuns() const
{
    QList<TBandRun> runs;
    for (int c = 0; c < Columns.size(); ++c) {
        const int band = Columns[c].Band;
        if (!runs.isEmpty() && runs.last().Band == band)
            ++runs.last().Count;
        else
            runs.append({c, 1, band});
    }
    return runs;
}

void TExportMemoryTable::AddRow(const QVariantList& values, const QStringList& texts, int level)
{
    Rows.append({erData, level, values, texts, QString()});
}

void TExportMemoryTable::AddGroupRow(const QString& text, int level)
{
    Rows.append({erGroup, level, {}, {}, text});
}

void TExportMemoryTable::AddGroupFooter(const QVariantList& values, int level)
{
    Rows.append({erGroupFooter, level, values, {}, QString()});
}

QString TExportMemoryTable::Text(int row, int column) const
{
    const TRow& r = Rows[row];
    if (column < r.Texts.size())
        return r.Texts[column];
    if (r.Kind == erGroupFooter)
        return SummaryExportText(Columns.value(column), r.Values.value(column));
    return DefaultExportText(Columns.value(column), r.Values.value(column));
}

QString TExportMemoryTable::FooterText(int column) const
{
    return column < FooterTexts.size() ? FooterTexts[column] : TExportTable::FooterText(column);
}

QString DefaultExportText(const TExportColumn& column, const QVariant& value)
{
    if (value.isNull() || !value.isValid())
        return QString();
    switch (column.Kind) {
    case evNumber: {
        double d = 0;
        if (!IsNumber(value, d))
            return value.toString();
        return d == 0 ? QString() : FormatFloat(NumberPicture(column.Decimals), d);
    }
    case evDate:
    case evDateTime: {
        const QDateTime dt = value.typeId() == QMetaType::QDate ? value.toDate().startOfDay() : value.toDateTime();
        if (!dt.isValid())
            return value.toString();
        return column.Kind == evDate || dt.time() == QTime(0, 0) ? DateToText(dt.date()) : DateTimeToText(dt);
    }
    case evBoolean: return value.toBool() ? QStringLiteral("√") : QString();
    case evText: break;
    }
    return value.toString();
}

QString SummaryExportText(const TExportColumn& column, const QVariant& value)
{
    double d = 0;
    if (!IsNumber(value, d))
        return value.isNull() ? QString() : value.toString();
    switch (column.Summary) {
    case esMax: return FormatFloat(kMaxSummaryFormat, d);
    case esMin: return FormatFloat(kMinSummaryFormat, d);
    case esNone: return QString();
    default: return FormatFloat(kFloatFormat, d);
    }
}

} // namespace kx
