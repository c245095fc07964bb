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
// supply records, their allocations and results, and the rows the explosion writes back
// (measured: 1.69 GB for 1.36 million demand rows of a generated factory tracked by order line).
constexpr double kBytesPerTrackedDemand = 1300;

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

// The demand rows of each key: its demanded items, and one row for every BOM line below them,
// each part planned once per key however many paths lead to it. The BOM lines below an item
// are counted once per item; a key demanding several items counts what their BOMs share once.
class TTrackedRows {
public:
    TTrackedRows(const QStringList& items, const std::function<QList<int>(int)>& children)
        : FEdges(size_t(items.size())), FSeen(size_t(items.size()), 0), FBelow(size_t(items.size()), -1)
    {
        for (int i = 0; i < items.size(); ++i) {
            FIndex.insert(items[i], i);
            FEdges[size_t(i)] = children(i);
        }
    }

    // The rows of one key demanding the given items (codes; unknown ones count their own row).
    qint64 OfKey(const QStringList& keyItems)
    {
        if (keyItems.size() == 1) {
            const auto it = FIndex.constFind(keyItems.first());
            if (it == FIndex.constEnd())
                return 1;
            if (FBelow[size_t(*it)] < 0)
                FBelow[size_t(*it)] = Visit({*it});
            return 1 + FBelow[size_t(*it)];
        }
        QList<int> roots;
        for (const QString& item : keyItems) {
            const auto it = FIndex.constFind(item);
            if (it != FIndex.constEnd())
                roots << *it;
        }
        return keyItems.size() + Visit(roots);
    }

private:
    // BOM lines reachable from the roots, each once.
    qint64 Visit(QList<int> todo)
    {
        ++FVisit;
        for (const int r : todo)
            FSeen[size_t(r)] = FVisit;
        qint64 lines = 0;
        while (!todo.isEmpty()) {
            for (const int c : FEdges[size_t(todo.takeLast())]) {
                ++lines;
                if (FSeen[size_t(c)] != FVisit) {
                    FSeen[size_t(c)] = FVisit;
                    todo << c;
                }
            }
        }
        return lines;
    }

    QHash<QString, int> FIndex;
    std::vector<QList<int>> FEdges;
    std::vector<int> FSeen;           // the visit that last reached an item
    std::vector<qint64> FBelow;       // BOM lines below an item, -1 until counted
    int FVisit = 0;
};

void TMRPRun::CheckRunVolume(const QStringList& items, const std::function<QList<int>(int)>& children)
{
    if (Scheme.CareMRPTrackMode == 9)
        return;
    TTrackedRows tracked(items, children);
    std::array<qint64, kTrackModes.size()> rows{};
    TQuery q(&Connection);
    for (size_t m = 0; m < kTrackModes.size(); ++m) {
        q.SQL = QStringLiteral("select distinct %1 as k, DmdItmID from tmp_KX_MRP_Demands order by 1").arg(TrackKeySQL(kTrackModes[m]));
        q.Open();
        QStringList keyItems;
        for (int r = 0; r < q.RecordCount(); ++r) {
            keyItems << q.TextAt(r, 1);
            if (r + 1 == q.RecordCount() || q.TextAt(r + 1, 0) != q.TextAt(r, 0)) {
                rows[m] += tracked.OfKey(keyItems);
                keyItems.clear();
            }
        }
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
