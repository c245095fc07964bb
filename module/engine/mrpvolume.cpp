// The volume of a run under order tracking. Tracked, every originating order line (or order,
// customer, tag) keeps its own planned supplies all the way down its BOMs: each tracking key
// brings its own copy of every BOM line below the item it demands. A factory whose sales lines
// each need a deep BOM multiplies into tens of millions of demand rows, more than any level
// can hold in memory. Right after the low-level codes the run counts, from the starting
// demands and the BOM graph, how many demand rows each tracking mode would bring, and stops
// at once, naming the estimate and the coarser modes that fit, when the scheme's would not.
#include "engine/mrprun_p.h"

#include "db/dataset.h"
#include "db/errors.h"
#include "db/quote.h"
#include "db/settings.h"
#include "db/shared.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <vector>

namespace kx {

namespace {

// The tracking modes from the finest to none, and the key of a starting demand under each
// (the keys of the run's levels, on the demand's originating line; demands that no sales,
// export or forecast line originates are not tracked).
constexpr std::array<int, 7> kTrackModes{0, 1, 2, 3, 4, 5, 9};
// What a tracked demand row costs the run in memory at its peak: the level's demand and
// supply records, their allocations and results, and the rows the explosion writes back.
constexpr double kBytesPerTrackedDemand = 400;

QString TrackKeySQL(int mode)
{
    const QString tracked = QStringLiteral("DmdOrigType in (%1, %2, %3)").arg(SQLInt(btSO), SQLInt(btSI), SQLInt(btForcast));
    QString key;
    switch (mode) {
    case 0: key = QStringLiteral("DmdOrigType||'|'||rtrim(coalesce(DmdOrigID,''))||'|'||coalesce(DmdOrigEntry,0)"); break;
    case 1: key = QStringLiteral("DmdOrigType||'|'||rtrim(coalesce(DmdOrigID,''))||'|'||rtrim(coalesce(DmdOrigItmID,''))"); break;
    case 2: key = QStringLiteral("DmdOrigType||'|'||rtrim(coalesce(DmdOrigID,''))"); break;
    case 3: key = QStringLiteral("rtrim(coalesce(DmdOrigCustID,''))||'|'||rtrim(coalesce(DmdOrigItmID,''))"); break;
    case 4: key = QStringLiteral("rtrim(coalesce(DmdOrigCustID,''))"); break;
    case 5: key = QStringLiteral("rtrim(coalesce(DmdOrigTag,''))"); break;
    default: return QStringLiteral("''");
    }
    return QStringLiteral("(case when %1 then %2 else '' end)").arg(tracked, key);
}

QString Count(qint64 n)
{
    return QLocale(QLocale::Chinese, QLocale::China).toString(n);
}

QString Gigabytes(double bytes)
{
    return QString::number(bytes / (1024.0 * 1024 * 1024), 'f', 1) + QStringLiteral(" GB");
}

} // namespace

void TMRPRun::CheckRunVolume(const QStringList& items, const std::function<QList<int>(int)>& children)
{
    if (Scheme.CareMRPTrackMode == 9)
        return;
    QHash<QString, int> index;
    std::vector<QList<int>> edges(size_t(items.size()));
    for (int i = 0; i < items.size(); ++i) {
        index.insert(items[i], i);
        edges[size_t(i)] = children(i);
    }
    QStringList counts;
    for (const int mode : kTrackModes)
        counts << QStringLiteral("count(distinct %1)").arg(TrackKeySQL(mode));
    TQuery q(&Connection);
    q.SQL = QStringLiteral("select DmdItmID, %1 from tmp_KX_MRP_Demands group by DmdItmID").arg(counts.join(QStringLiteral(", ")));
    q.Open();
    // Each demanded item with each of its keys: the item's own row and one row for every BOM
    // line below it (each part planned once per key, however many paths lead to it).
    std::array<qint64, kTrackModes.size()> rows{};
    for (int r = 0; r < q.RecordCount(); ++r) {
        const auto it = index.constFind(q.TextAt(r, 0));
        qint64 below = 0;
        if (it != index.constEnd()) {
            std::vector<bool> seen(edges.size());
            seen[size_t(*it)] = true;
            QList<int> todo{*it};
            while (!todo.isEmpty()) {
                for (const int c : edges[size_t(todo.takeLast())]) {
                    ++below;
                    if (!seen[size_t(c)]) {
                        seen[size_t(c)] = true;
                        todo << c;
                    }
                }
            }
        }
        for (size_t m = 0; m < kTrackModes.size(); ++m)
            rows[m] += qint64(q.IntAt(r, int(m) + 1)) * (1 + below);
    }
    const size_t scheme = size_t(std::find(kTrackModes.begin(), kTrackModes.end(), Scheme.CareMRPTrackMode) - kTrackModes.begin());
    if (scheme >= kTrackModes.size())
        return;
    const double limit = double(ReadSettingInt(QStringLiteral("KX_MRP"), QStringLiteral("RunMemoryLimitMB"), true, 2048)) * 1024 * 1024;
    const double needed = double(rows[scheme]) * kBytesPerTrackedDemand;
    Log(rlStep, 1, QStringLiteral("按跟踪合并方式估计的物料需求记录: %1 条, 约需内存 %2").arg(Count(rows[scheme]), Gigabytes(needed)));
    if (needed <= limit)
        return;
    QStringList coarser;
    for (size_t m = scheme + 1; m < kTrackModes.size(); ++m) {
        QString caption;
        GetEnumText(QStringLiteral("MrpTrackType"), kTrackModes[m], caption);
        const double bytes = double(rows[m]) * kBytesPerTrackedDemand;
        coarser << QStringLiteral("%1 \"%2\": 约%3条, %4%5")
                       .arg(kTrackModes[m])
                       .arg(caption, Count(rows[m]), Gigabytes(bytes), bytes <= limit ? QStringLiteral(" (可以运算)") : QString());
    }
    QString caption;
    GetEnumText(QStringLiteral("MrpTrackType"), Scheme.CareMRPTrackMode, caption);
    throw EKxError(QStringLiteral("按跟踪合并方式\"%1\"运算, 估计将产生约%2条物料需求记录, 约需内存%3, 超过了本次运算允许的%4, 运算未开始计算各层。"
                                  "\r\r请改用较粗的跟踪合并方式:\r%5")
                       .arg(caption, Count(rows[scheme]), Gigabytes(needed), Gigabytes(limit), coarser.join(QLatin1Char('\r'))));
}

} // namespace kx
