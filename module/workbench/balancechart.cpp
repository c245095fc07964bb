#include "workbench/balancechart.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace kx {

namespace {

const QString kDemand = QStringLiteral("需求");
const QString kSupply = QStringLiteral("供应");
const QString kOnHand = QStringLiteral("预计结存");
const QString kSafety = QStringLiteral("安全库存");

// A round upper bound of an axis: 1, 2 or 5 times a power of ten.
double NiceCeiling(double value)
{
    if (value <= 0)
        return 1;
    const double scale = std::pow(10.0, std::floor(std::log10(value)));
    for (double step : {1.0, 2.0, 5.0, 10.0})
        if (step * scale >= value)
            return step * scale;
    return 10 * scale;
}

} // namespace

TBalanceChart::TBalanceChart(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("chtBalance"));
    FChart = new QChart;
    FChart->setAnimationOptions(QChart::NoAnimation);
    FChart->legend()->setAlignment(Qt::AlignBottom);
    FChart->setMargins(QMargins(4, 4, 4, 4));
    FView = new QChartView(FChart, this);
    FView->setRenderHint(QPainter::Antialiasing);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FView);
    ShowEmpty(QString());
}

void TBalanceChart::ShowEmpty(const QString& text)
{
    FChart->removeAllSeries();
    for (QAbstractAxis* axis : FChart->axes())
        FChart->removeAxis(axis);
    FChart->setTitle(text);
}

void TBalanceChart::ShowBalance(const QString& title, const QStringList& captions, const QList<TBalancePeriod>& periods,
                                double safetyStock)
{
    ShowEmpty(title);
    auto* demand = new QBarSet(kDemand);
    auto* supply = new QBarSet(kSupply);
    demand->setColor(QColor(214, 96, 77));
    supply->setColor(QColor(67, 147, 195));
    auto* onHand = new QLineSeries;
    onHand->setName(kOnHand);
    onHand->setPen(QPen(QColor(33, 102, 42), 2));
    onHand->setPointsVisible(true);
    auto* safety = new QLineSeries;
    safety->setName(kSafety);
    safety->setPen(QPen(QColor(230, 150, 0), 2, Qt::DashLine));
    double low = 0, high = safetyStock;
    for (int p = 0; p < periods.size(); ++p) {
        const TBalancePeriod& period = periods[p];
        *demand << period.Demand;
        *supply << period.Supply;
        onHand->append(p, period.OnHand);
        low = std::min(low, period.OnHand);
        high = std::max({high, period.Demand, period.Supply, period.OnHand});
    }
    // The safety level spans the whole horizon, from the middle of the first bar to that of the last.
    safety->append(-0.5, safetyStock);
    safety->append(std::max(0.5, periods.size() - 0.5), safetyStock);

    auto* bars = new QBarSeries;
    bars->append(demand);
    bars->append(supply);
    FChart->addSeries(bars);
    FChart->addSeries(onHand);
    FChart->addSeries(safety);

    auto* categories = new QBarCategoryAxis;
    // A time axis is read by where each period starts: "12/07-12/13" shows as "12/07", which
    // fits under its bars where the whole span would be cut to "12...".
    for (const QString& caption : captions.mid(0, periods.size()))
        categories->append(caption.section(QLatin1Char('-'), 0, 0));
    categories->setLabelsAngle(periods.size() > 6 ? -45 : 0);
    categories->setTruncateLabels(false);
    FChart->addAxis(categories, Qt::AlignBottom);
    bars->attachAxis(categories);
    // The lines run on a value axis laid over the categories: period p at x = p.
    auto* positions = new QValueAxis;
    positions->setRange(-0.5, std::max(0.5, periods.size() - 0.5));
    positions->setVisible(false);
    FChart->addAxis(positions, Qt::AlignBottom);
    onHand->attachAxis(positions);
    safety->attachAxis(positions);

    auto* values = new QValueAxis;
    values->setRange(low < 0 ? -NiceCeiling(-low) : 0, NiceCeiling(high));
    values->setLabelFormat(QStringLiteral("%.0f"));
    values->applyNiceNumbers();
    FChart->addAxis(values, Qt::AlignLeft);
    bars->attachAxis(values);
    onHand->attachAxis(values);
    safety->attachAxis(values);
}

QString TBalanceChart::Title() const
{
    return FChart->title();
}

QList<double> TBalanceChart::SeriesValues(const QString& name) const
{
    QList<double> values;
    for (QAbstractSeries* series : FChart->series()) {
        if (auto* bars = qobject_cast<QBarSeries*>(series)) {
            for (QBarSet* set : bars->barSets())
                if (set->label() == name)
                    for (int i = 0; i < set->count(); ++i)
                        values << set->at(i);
        } else if (auto* line = qobject_cast<QLineSeries*>(series); line && line->name() == name) {
            for (const QPointF& point : line->points())
                values << point.y();
        }
    }
    return values;
}

} // namespace kx
