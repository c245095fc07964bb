#include "masterdata/lossrate.h"

#include "db/dataset.h"
#include "db/messages.h"
#include "db/shared.h"
#include "db/sqlrun.h"
#include "db/strutils.h"

#include <cfloat>
#include <cmath>
#include <optional>

namespace kx {

namespace {

std::optional<bool>& LossMode()
{
    static std::optional<bool> mode;
    return mode;
}

double ReadNumber(const QString& text, bool* ok = nullptr)
{
    bool good = false;
    const double v = text.toDouble(&good);
    if (ok)
        *ok = good;
    return good ? v : 0;
}

struct TRawSegment {
    QString Bound;                // empty when the segment has no ":"
    QString Value;
    QString Suffix;               // "", "%", "%+", "%-"
};

// Splits a segment into bound, value and type suffix; false when it does not have that shape.
bool SplitSegment(const QString& segment, TRawSegment& raw)
{
    QString s = segment;
    const qsizetype colon = s.indexOf(QLatin1Char(':'));
    if (colon >= 0) {
        raw.Bound = s.left(colon);
        s = s.mid(colon + 1);
    }
    if (s.endsWith(QLatin1String("%+")) || s.endsWith(QLatin1String("%-"))) {
        raw.Suffix = s.right(2);
        s.chop(2);
    } else if (s.endsWith(QLatin1Char('%'))) {
        raw.Suffix = QStringLiteral("%");
        s.chop(1);
    }
    raw.Value = s;
    return !s.contains(QLatin1Char('%')) && !s.contains(QLatin1Char(':'));
}

TLossSegmentType TypeOf(const QString& suffix)
{
    if (suffix.isEmpty())
        return lstFixed;
    return suffix.size() == 2 ? lstSmooth : lstPercent;
}

QStringList Segments(const QString& text)
{
    QString s = text;
    s.remove(QLatin1Char(' '));
    QStringList parts = s.split(QLatin1Char('|'));
    if (!parts.isEmpty() && parts.last().isEmpty())
        parts.removeLast();        // a trailing "|" is tolerated
    return parts;
}

} // namespace

bool GetLossRateType()
{
    if (!LossMode()) {
        TQuery q(&SharedConnection());
        bool divide = false;
        if (RunSQL(q, QStringLiteral("select * from KX_MRP_LossRateType"), true) && !q.IsEmpty())
            divide = q.FieldByName(QStringLiteral("LosType")).AsInteger() == 1;
        LossMode() = divide;
    }
    return *LossMode();
}

void SetLossRateType(bool divide)
{
    LossMode() = divide;
}

double PercentToLossQty(double rate, double usage)
{
    if (rate <= 0)
        return 0;
    if (!GetLossRateType())
        return Round8(usage * rate / 100);
    return rate < 100 ? Round8(usage * 100 / (100 - rate) - usage) : 0;
}

double LossQtyToPercent(double lossQty, double usage)
{
    if (lossQty <= 0)
        return 0;
    if (!GetLossRateType())
        return usage != 0 ? Round8(lossQty * 100 / usage) : 0;
    return usage + lossQty != 0 ? Round8(lossQty * 100 / (usage + lossQty)) : 0;
}

QList<TLossSegment> ParseLossRate(const QString& text)
{
    QList<TLossSegment> rows;
    for (const QString& segment : Segments(text)) {
        TRawSegment raw;
        SplitSegment(segment, raw);
        rows << TLossSegment{ReadNumber(raw.Bound), TypeOf(raw.Suffix), ReadNumber(raw.Value)};
    }
    return rows;
}

QString CheckLossRateText(const QString& text)
{
    const QString invalid = QStringLiteral("损耗率(%1)格式无效!").arg(text);
    const QStringList segments = Segments(text);
    if (text.trimmed().isEmpty())
        return QString();
    if (segments.isEmpty())
        return invalid;
    for (const QString& segment : segments) {
        TRawSegment raw;
        bool ok = SplitSegment(segment, raw) && !raw.Value.isEmpty();
        if (ok) {
            ReadNumber(raw.Value, &ok);
            if (ok && !raw.Bound.isNull())
                ReadNumber(raw.Bound, &ok);
        }
        if (!ok)
            return invalid;
    }
    return QString();
}

double CalcLossQty(const QString& text, double defaultRate, double usage)
{
    if (text.trimmed().isEmpty())
        return PercentToLossQty(defaultRate, usage);
    const QStringList segments = Segments(text);
    double total = 0;
    double lower = 0;
    double lastRate = 0;
    double remaining = usage;
    for (qsizetype i = 0; i < segments.size(); ++i) {
        TRawSegment raw;
        SplitSegment(segments[i], raw);
        double bound = raw.Bound.isNull() ? 0 : ReadNumber(raw.Bound);
        if (raw.Bound.isNull() && i == segments.size() - 1)
            bound = DBL_MAX;
        const double width = bound >= lower ? bound - lower : 0;
        const double portion = std::min(width, remaining);
        const TLossSegmentType type = TypeOf(raw.Suffix);
        double rate = ReadNumber(raw.Value);
        double loss = 0;
        bool isRate = true;
        if (type == lstFixed) {
            loss = rate;          // a fixed loss, whatever part of the usage the segment covers
            isRate = false;
        } else {
            if (type == lstSmooth && portion < width)
                rate = lastRate + (rate - lastRate) * portion / width;
            loss = PercentToLossQty(rate, portion);
        }
        total += loss;
        remaining -= width;
        if (remaining <= 0)
            break;
        lower += width;
        if (isRate)
            lastRate = rate;
    }
    return total;
}

QString LossSegmentDescription(const QList<TLossSegment>& rows, int i)
{
    const double q = rows[i].Bound;
    const double p = i > 0 ? rows[i - 1].Bound : 0;
    if (q != 0 && (i == 0 || p == 0))
        return QStringLiteral("标准用量 ≤ %1").arg(FloatToText(q));
    if (q != 0)
        return QStringLiteral("%1 < 标准用量 ≤ %2").arg(FloatToText(p), FloatToText(q));
    if (i > 0 && p != 0)
        return QStringLiteral("%1 < 标准用量").arg(FloatToText(p));
    return QStringLiteral("任意标准用量");
}

TLossRateFault WriteLossRate(const QList<TLossSegment>& rows, bool divide, QString& text)
{
    auto fault = [](int row, int column, const QString& message) { return TLossRateFault{row, column, message}; };
    const QString usageCaption = QStringLiteral("标准用量");
    const QString valueCaption = QStringLiteral("损耗值");
    QString result;
    const int n = int(rows.size());
    for (int i = 0; i < n; ++i) {
        const TLossSegment& r = rows[i];
        const TLossSegment* prev = i > 0 ? &rows[i - 1] : nullptr;
        const bool last = i == n - 1;
        if (r.Bound < 0)
            return fault(i, 0, FieldCheckText(fcNotGreaterOrEqual, usageCaption, FloatToText(r.Bound), QStringLiteral("0")));
        if (prev && !(last && r.Bound == 0) && r.Bound < prev->Bound)
            return fault(i, 0, QStringLiteral("分段的标准用量(%1)不能小于前面分段的值(%2)!").arg(FloatToText(r.Bound), FloatToText(prev->Bound)));
        if (int(r.Type) < lstPercent || int(r.Type) > lstFixed)
            return fault(i, 1, FieldCheckText(fcEmpty, QStringLiteral("类型")));
        if (r.Type == lstSmooth && (!prev || prev->Type == lstFixed))
            return fault(i, 1, QStringLiteral("[平滑至百分比]类型分段只能出现在[百分比]或[平滑至百分比]类型分段之后!"));
        if (r.Type == lstSmooth && prev && r.Bound <= prev->Bound)
            return fault(i, 0, QStringLiteral("[平滑至百分比]类型分段的标准用量(%1)没有大于前面分段的值(%2)!")
                                   .arg(FloatToText(r.Bound), FloatToText(prev->Bound)));
        if (r.Bound == 0) {
            // A single row with usage 0 counts as the last row.
            if (!last && i > 0)
                return fault(i, 0, QStringLiteral("中间分段的标准用量不能等于0 !"));
            if (last && r.Type != lstPercent)
                return fault(i, 1, QStringLiteral("尾分段的标准用量为0时(表示标准用量无上限), 只能设置[百分比]类型的损耗值!"));
            if (!last && i == 0 && r.Type != lstFixed)
                return fault(i, 1, QStringLiteral("首分段的标准用量为0时(表示标准用量任意), 只能设置[固定数量]类型的损耗值!"));
        }
        if (r.Value < 0)
            return fault(i, 2, FieldCheckText(fcNotGreaterOrEqual, valueCaption, FloatToText(r.Value), QStringLiteral("0")));
        if (r.Value == 0 && r.Type == lstFixed)
            return fault(i, 2, QStringLiteral("[固定数量]类型的损耗值不能等于0 !"));
        // At 100% the divide formula has no issue quantity at all (its loss reads as 0): refused too.
        if (divide && r.Type != lstFixed && r.Value >= 100)
            return fault(i, 2, QStringLiteral("当前系统损耗率模式下[公式: 投料数=标准用量÷(1-损耗率%)], 损耗值不能大于100% !"));
        if (r.Type == lstSmooth && prev && r.Value == prev->Value)
            return fault(i, 2, QStringLiteral("[平滑至百分比]类型的损耗值不能与前面分段的值相同!"));
        result += QLatin1Char('|');
        if (r.Bound != 0)
            result += FloatToText(r.Bound) + QLatin1Char(':');
        result += FloatToText(r.Value);
        if (r.Type == lstPercent)
            result += QLatin1Char('%');
        else if (r.Type == lstSmooth)
            result += (prev && r.Value > prev->Value) ? QStringLiteral("%-") : QStringLiteral("%+");
    }
    text = result.mid(1);
    return TLossRateFault{};
}

} // namespace kx
