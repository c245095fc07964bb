#include "views/printsetting.h"

#include "db/strutils.h"

#include <QStringList>

namespace kx {

namespace {

const QString kPaper = QStringLiteral("Paper");
const QString kOrientation = QStringLiteral("Orientation");
const QString kMargins = QStringLiteral("Margins");
const QString kFitToWidth = QStringLiteral("FitToWidth");
const QString kTitle = QStringLiteral("Title");
const QString kTotals = QStringLiteral("Totals");

const QStringList kOrientationNames{QStringLiteral("auto"), QStringLiteral("portrait"), QStringLiteral("landscape")};

bool FlagOf(const QString& text, bool otherwise)
{
    return text.isEmpty() ? otherwise : text != QLatin1String("0");
}

} // namespace

QList<TPaperChoice> PaperChoices()
{
    return {{QPageSize::A4, QStringLiteral("A4 (210 x 297 毫米)")},
            {QPageSize::A3, QStringLiteral("A3 (297 x 420 毫米)")},
            {QPageSize::A5, QStringLiteral("A5 (148 x 210 毫米)")},
            {QPageSize::B5, QStringLiteral("B5 (176 x 250 毫米)")},
            {QPageSize::Letter, QStringLiteral("Letter (8.5 x 11 英寸)")},
            {QPageSize::Legal, QStringLiteral("Legal (8.5 x 14 英寸)")}};
}

TPrintSetting TPrintSetting::FromText(const QString& text)
{
    TPrintSetting s;
    const QString paper = GetParamValue(text, kPaper);
    for (const TPaperChoice& p : PaperChoices())
        if (QPageSize::key(p.Id).compare(paper, Qt::CaseInsensitive) == 0)
            s.PageSize = p.Id;
    const qsizetype orientation = kOrientationNames.indexOf(GetParamValue(text, kOrientation).toLower());
    if (orientation >= 0)
        s.Orientation = TPrintOrientation(orientation);
    const QStringList margins = GetParamValue(text, kMargins).split(QLatin1Char(','));
    if (margins.size() == 4) {
        QList<double> mm;
        for (const QString& m : margins) {
            bool ok = false;
            const double v = m.trimmed().toDouble(&ok);
            if (ok && v >= 0 && v <= 100)
                mm << v;
        }
        if (mm.size() == 4)
            s.Margins = QMarginsF(mm[0], mm[1], mm[2], mm[3]);
    }
    s.FitToWidth = FlagOf(GetParamValue(text, kFitToWidth), s.FitToWidth);
    s.PrintTitle = FlagOf(GetParamValue(text, kTitle), s.PrintTitle);
    s.PrintTotals = FlagOf(GetParamValue(text, kTotals), s.PrintTotals);
    return s;
}

QString TPrintSetting::ToText() const
{
    QString text;
    text = SetParamValue(text, kPaper, QPageSize::key(PageSize));
    text = SetParamValue(text, kOrientation, kOrientationNames[Orientation]);
    text = SetParamValue(text, kMargins, QStringLiteral("%1,%2,%3,%4")
                                             .arg(Margins.left())
                                             .arg(Margins.top())
                                             .arg(Margins.right())
                                             .arg(Margins.bottom()));
    text = SetParamValue(text, kFitToWidth, FitToWidth ? QStringLiteral("1") : QStringLiteral("0"));
    text = SetParamValue(text, kTitle, PrintTitle ? QStringLiteral("1") : QStringLiteral("0"));
    text = SetParamValue(text, kTotals, PrintTotals ? QStringLiteral("1") : QStringLiteral("0"));
    return text;
}

} // namespace kx
