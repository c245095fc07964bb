// The balance of one item of a run as a picture: demand and supply per plan period as bars,
// the projected quantity on hand as a line, and the safety stock as a level across the horizon.
#pragma once

#include "workbench/balancebills.h"

#include <QWidget>

class QLabel;

class QChart;
class QChartView;

namespace kx {

class TBalanceChart : public QWidget {
    Q_OBJECT

public:
    explicit TBalanceChart(QWidget* parent = nullptr);

    // Draws the periods of a balance row (captions in the same order).
    void ShowBalance(const QString& title, const QStringList& captions, const QList<TBalancePeriod>& periods, double safetyStock);
    // An empty chart with a line saying why.
    void ShowEmpty(const QString& text);

    QChart* Chart() const { return FChart; }
    // What is drawn, for tests and the status line: the title and per series its values.
    QString Title() const;
    QList<double> SeriesValues(const QString& name) const;

private:
    QChart* FChart;
    QChartView* FView;
};

} // namespace kx
