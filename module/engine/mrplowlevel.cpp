// Low-level codes: the deepest position of every item in any bill of materials of the run,
// open-order BOMs and substitutes included. Items are planned level by level from code 0, so
// an item is planned only after every parent that may need it. A BOM in which an item is
// its own descendant stops the run and names exactly the items on the loop.
#include "engine/mrprun_p.h"

#include "db/connection.h"
#include "db/copyrows.h"
#include "db/dataset.h"
#include "db/errors.h"
#include "db/quote.h"
#include "engine/progress.h"

#include <QHash>
#include <QSet>
#include <QStringBuilder>

#include <algorithm>
#include <functional>
#include <vector>

namespace kx {

namespace {

struct TItemInfo {
    int Type = 1;                 // item master type: 1 purchased, 2 made, 3 outsourced, 4 virtual
    int MrpType = 0;              // planning type, 0 follows the master
    bool Skip = false;            // left out of planning
};

// The item graph of the run: parent -> child edges of BOMs (and of open orders), by index.
struct TItemGraph {
    QHash<QString, int> Index;
    QStringList IDs;
    QList<QList<int>> Bom;        // children by BOM
    QList<QList<int>> Orders;     // children by open-order component lines only

    int Add(const QString& id)
    {
        auto it = Index.find(id);
        if (it != Index.end())
            return it.value();
        const int i = int(IDs.size());
        Index.insert(id, i);
        IDs << id;
        Bom.append(QList<int>());
        Orders.append(QList<int>());
        return i;
    }
};

// Strongly connected components (Tarjan, iterative) of a graph given as successor lists.
QList<int> Components(int n, const std::function<const QList<int>&(int, int)>& edges, int edgeKinds)
{
    QList<int> comp(n, -1), index(n, -1), low(n, 0);
    QList<int> stack;
    QList<bool> onStack(n, false);
    int counter = 0, components = 0;
    struct TFrame { int Node; int Kind; qsizetype Next; };
    for (int root = 0; root < n; ++root) {
        if (index[root] >= 0)
            continue;
        QList<TFrame> frames{{root, 0, 0}};
        index[root] = low[root] = counter++;
        stack << root;
        onStack[root] = true;
        while (!frames.isEmpty()) {
            TFrame& f = frames.last();
            if (f.Kind < edgeKinds && f.Next < edges(f.Node, f.Kind).size()) {
                const int w = edges(f.Node, f.Kind)[f.Next++];
                if (index[w] < 0) {
                    index[w] = low[w] = counter++;
                    stack << w;
                    onStack[w] = true;
                    frames.append({w, 0, 0});
                } else if (onStack[w]) {
                    low[f.Node] = std::min(low[f.Node], index[w]);
                }
                continue;
            }
            if (f.Kind < edgeKinds) {
                ++f.Kind;
                f.Next = 0;
                continue;
            }
            const int v = f.Node;
            if (low[v] == index[v]) {
                int w;
                do {
                    w = stack.takeLast();
                    onStack[w] = false;
                    comp[w] = components;
                } while (w != v);
                ++components;
            }
            frames.removeLast();
            if (!frames.isEmpty())
                low[frames.last().Node] = std::min(low[frames.last().Node], low[v]);
        }
    }
    return comp;
}

} // namespace

int TMRPRun::LowLevelCodes()
{
    TQuery q(&Connection);
    // Every item of the run starts at code 0. The demands' items come with the BOMs they
    // name, the first BOMs to read.
    TItemGraph graph;
    struct TNamedBom { QString Item; QVariant Type, ID; };
    std::vector<TNamedBom> demandBoms;
    q.SQL = QStringLiteral("select distinct DmdItmID, DmdBomType, DmdBomID from tmp_KX_MRP_Demands");
    q.Open();
    demandBoms.reserve(size_t(q.RecordCount()));
    for (int r = 0; r < q.RecordCount(); ++r) {
        demandBoms.push_back({q.TextAt(r, 0), q.ValueAt(r, 1), q.ValueAt(r, 2)});
        graph.Add(demandBoms.back().Item);
    }
    // Restricted to what the demands reach, the open orders gathered at the start count only
    // once their item is reached; the supplies picked as main demand and the kept adjustments
    // are where the plan starts, as the demands are.
    const bool reach = ReachScope();
    q.SQL = QStringLiteral("select SupItmID from tmp_KX_MRP_Supplies%1 union select SupItmID from tmp_KX_MRP_LastSupAdjusts")
                .arg(reach ? QStringLiteral(" where SupPDmdIID=-1") : QString());
    q.Open();
    for (int r = 0; r < q.RecordCount(); ++r)
        graph.Add(q.TextAt(r, 0));
    if (graph.IDs.isEmpty()) {
        Exec(QStringLiteral("truncate table tmp_KX_MRP_ItemLowestCode"));
        return 0;
    }

    QHash<QString, TItemInfo> items;
    // Only what orders the levels is read for every item; the names of a loop's items are read
    // when there is one.
    q.SQL = QStringLiteral("select i.ItmID, i.ItmType, coalesce(t.ItmMrpType, 0), coalesce(t.ItmMrpSkip, 0) "
                           "from KX_Base_ItemMaster as i left join KX_MRP_ItemSetting as t on t.ItmID=i.ItmID");
    q.Open();
    items.reserve(q.RecordCount());
    for (int r = 0; r < q.RecordCount(); ++r)
        items.insert(q.TextAt(r, 0), TItemInfo{q.IntAt(r, 1), q.IntAt(r, 2), q.IntAt(r, 3) != 0});
    static const TItemInfo unknown{};
    auto info = [&](const QString& id) -> const TItemInfo& {
        const auto it = items.constFind(id);
        return it == items.constEnd() ? unknown : *it;
    };
    auto skipped = [&](const QString& id) { return info(id).Skip; };
    // With open-order BOMs a made item is one the master makes; otherwise its planning type counts.
    const bool openOrderBoms = !GlobalScope();
    auto made = [&](const QString& id) {
        const TItemInfo& i = info(id);
        return openOrderBoms ? i.Type > 1 : (i.MrpType > 1 || (i.Type > 1 && i.MrpType == 0));
    };

    // The BOMs read first: those of demands with a BOM or of made items (of the item master),
    // production and outsourcing orders (by their product's BOM when open-order BOMs count),
    // requisitions, planned supplies and the kept adjustments.
    // A made item's demands are bound to its default BOM for their property set on their date,
    // so any of its enabled standard BOMs may be the one a level explodes: all of them are read.
    QMultiHash<QString, QPair<int, QString>> standardBoms;
    q.SQL = QStringLiteral("select BomItmID, BomType, BomID from KX_Bom_Head where BomType=1 and BomDisabled=0");
    q.Open();
    for (int r = 0; r < q.RecordCount(); ++r)
        standardBoms.insert(q.TextAt(r, 0), qMakePair(q.IntAt(r, 1), q.TextAt(r, 2)));

    QSet<QString> read;
    QSet<QString> standardsRead;
    QList<QStringList> seed;
    q.SQL = QStringLiteral(
                "select distinct SupItmID, (case when %1 and SupBillType in (%2, %3) then null else SupBomType end), "
                "(case when %1 and SupBillType in (%2, %3) then null else SupBomID end), (case when SupPDmdIID=-1 then 1 else 0 end) "
                "from tmp_KX_MRP_Supplies where SupBillType in (%2, %3, %4, %5) or SupBillType>=%6 "
                "union select distinct SupItmID, SupBomType, SupBomID, 1 from tmp_KX_MRP_LastSupAdjusts where coalesce(SupBomID,'')<>''")
                .arg(openOrderBoms ? QStringLiteral("true") : QStringLiteral("false"), SQLInt(btMO), SQLInt(btOO), SQLInt(btMR),
                     SQLInt(btOR), SQLInt(btPlanMO));
    q.Open();
    auto addBom = [&](const QString& prd, const QVariant& type, const QVariant& id) {
        const QString key = prd % QLatin1Char('\x1f') % type.toString() % QLatin1Char('\x1f') % id.toString();
        if (read.contains(key))
            return;
        read.insert(key);
        seed << QStringList{prd, type.isNull() ? QString() : type.toString(), id.toString(), id.isNull() ? QStringLiteral("1") : QString()};
    };
    // A BOM to read, and with the first BOM of a made item all its standard BOMs.
    auto addSeed = [&](const QString& prd, const QVariant& type, const QVariant& id) {
        addBom(prd, type, id);
        if (!made(prd) || standardsRead.contains(prd))
            return;
        standardsRead.insert(prd);
        for (auto it = standardBoms.constFind(prd); it != standardBoms.constEnd() && it.key() == prd; ++it)
            addBom(prd, it.value().first, it.value().second);
    };
    for (const TNamedBom& d : demandBoms) {
        const auto item = items.constFind(d.Item);
        if (item != items.constEnd() && (!d.ID.toString().isEmpty() || item->Type > 1))
            addSeed(d.Item, d.Type, d.ID);
    }
    // The BOMs of an open order's item, read once the item is reached (see reach).
    QMultiHash<QString, QPair<QVariant, QVariant>> openOrderBomsOf;
    for (int r = 0; r < q.RecordCount(); ++r) {
        if (reach && q.IntAt(r, 3) == 0)
            openOrderBomsOf.insert(q.TextAt(r, 0), qMakePair(q.ValueAt(r, 1), q.ValueAt(r, 2)));
        else
            addSeed(q.TextAt(r, 0), q.ValueAt(r, 1), q.ValueAt(r, 2));
    }
    for (auto it = openOrderBomsOf.constBegin(); it != openOrderBomsOf.constEnd(); ++it)
        if (graph.Index.contains(it.key()))
            addSeed(it.key(), it.value().first, it.value().second);
    // An item of the graph; reached for the first time, its open orders' BOMs are read too.
    auto reached = [&](const QString& id) {
        const qsizetype before = graph.IDs.size();
        const int v = graph.Add(id);
        if (graph.IDs.size() != before)
            for (auto it = openOrderBomsOf.constFind(id); it != openOrderBomsOf.constEnd() && it.key() == id; ++it)
                addSeed(id, it.value().first, it.value().second);
        return v;
    };

    QSet<QPair<int, int>> bomEdges;
    const auto explore = [&] {
        while (!seed.isEmpty()) {
            Progress.CheckAbort();
            Exec(QStringLiteral("truncate table tmp_KX_MRP_RefGetBOM"));
            {
                TCopyRows rows(Connection, QStringLiteral("tmp_KX_MRP_RefGetBOM"), QStringLiteral("PrdID, BomType, BomID"));
                for (const QStringList& s : seed) {
                    rows.Text(s[0]);
                    s[1].isEmpty() ? rows.Null() : rows.Int(s[1].toInt());
                    s[3].isEmpty() ? rows.Text(s[2]) : rows.Null();
                    rows.EndRow();
                }
                rows.Finish();
            }
            seed.clear();
            // Rows of parent, child and the child's BOM type and ID become edges; a child that
            // counts as made brings its BOM to read in the next round.
            const auto readEdges = [&](const auto& addEdge, const auto& bringsBom) {
                q.Open();
                for (int r = 0; r < q.RecordCount(); ++r) {
                    const QString child = q.TextAt(r, 1);
                    if (skipped(child))
                        continue;
                    const int p = graph.Add(q.TextAt(r, 0));
                    addEdge(p, reached(child));
                    if (bringsBom(child))
                        addSeed(child, q.ValueAt(r, 2), q.ValueAt(r, 3));
                }
            };
            Exec(QStringLiteral("truncate table tmp_KX_MRP_BOMCouples;\rcall KX_MRP_GetBOMCouples()"));
            q.SQL = QStringLiteral("select PrdID, ItmID, ItmBomType, ItmBomID from tmp_KX_MRP_BOMCouples");
            readEdges(
                [&](int p, int c) {
                    if (!bomEdges.contains({p, c})) {
                        bomEdges.insert({p, c});
                        graph.Bom[p] << c;
                    }
                },
                made);
            if (openOrderBoms) {
                // Component lines of the products' open orders count as edges too.
                const QString products = QStringLiteral("(select distinct PrdID from tmp_KX_MRP_RefGetBOM)");
                q.SQL = QStringLiteral("select MOItmID, BomItmID, BomItmBomType, BomItmBomID from KX_MRP_MOBOM where CanMRP=1 and "
                                       "BomQty>0 and MOItmID<>BomItmID and MOItmID in %1 union select OOItmID, BomItmID, BomItmBomType, "
                                       "BomItmBomID from KX_MRP_OOBOM where CanMRP=1 and BomQty>0 and OOItmID<>BomItmID and OOItmID in %1")
                            .arg(products);
                readEdges(
                    [&](int p, int c) {
                        if (!bomEdges.contains({p, c}) && !graph.Orders[p].contains(c))
                            graph.Orders[p] << c;
                    },
                    [&](const QString& id) { return info(id).Type > 1; });
            }
        }
    };
    explore();
    // Substitute pairs of the graph's items: (item, substitute, product of a BOM-local one).
    struct TSubsPair { QString Item, Sub, Product; };
    std::vector<TSubsPair> subsPairs;
    if (Scheme.CareItemReplace != 0) {
        Exec(QStringLiteral("truncate table tmp_KX_MRP_RefGetBOM;\rtruncate table tmp_KX_MRP_ItemSubsCouples;\r"
                            "call KX_MRP_GetItemSubsCouples()"));
        q.SQL = QStringLiteral("select distinct SubItmID, SubRItmID, coalesce(SubPrdID, '') from tmp_KX_MRP_ItemSubsCouples");
        q.Open();
        for (int r = 0; r < q.RecordCount(); ++r)
            subsPairs.push_back({q.TextAt(r, 0), q.TextAt(r, 1), q.TextAt(r, 2)});
    }
    const auto pairCounts = [&](const TSubsPair& s) {
        return !skipped(s.Sub) && graph.Index.contains(s.Item) && (s.Product.isEmpty() || graph.Index.contains(s.Product));
    };
    // A substitute that may stand in for a reached item is reached too, with its open orders
    // and what they reach.
    if (reach) {
        for (bool more = true; more;) {
            for (const TSubsPair& s : subsPairs)
                if (!graph.Index.contains(s.Sub) && openOrderBomsOf.contains(s.Sub) && pairCounts(s))
                    reached(s.Sub);
            more = !seed.isEmpty();
            explore();
        }
    }

    const int n = int(graph.IDs.size());
    // A loop through BOMs stops the run: the items that reach themselves, by number.
    const QList<int> bomComp = Components(n, [&](int v, int) -> const QList<int>& { return graph.Bom[v]; }, 1);
    QHash<int, int> compSize;
    for (int v = 0; v < n; ++v)
        ++compSize[bomComp[v]];
    QList<int> loop;
    for (int v = 0; v < n; ++v)
        if (compSize.value(bomComp[v]) > 1 || graph.Bom[v].contains(v))
            loop << v;
    if (!loop.isEmpty()) {
        // Named by number, name and specification, in the order of their numbers; an item
        // missing from the master has none and comes first.
        QStringList ids;
        for (int v : loop)
            ids << QuotedStr(graph.IDs[v]);
        q.SQL = QStringLiteral("select ItmID, ItmNo, ItmName, coalesce(ItmSpec, '') from KX_Base_ItemMaster where ItmID in (%1)")
                    .arg(ids.join(QStringLiteral(", ")));
        q.Open();
        QHash<QString, QStringList> names;
        for (int r = 0; r < q.RecordCount(); ++r)
            names.insert(q.TextAt(r, 0), {q.TextAt(r, 1), q.TextAt(r, 2), q.TextAt(r, 3)});
        const QStringList none{QString(), QString(), QString()};
        const auto name = [&](int v) -> const QStringList& {
            const auto it = names.constFind(graph.IDs[v]);
            return it == names.constEnd() ? none : *it;
        };
        std::sort(loop.begin(), loop.end(), [&](int a, int b) { return name(a)[0] < name(b)[0]; });
        QString text = QStringLiteral("以下物料涉及BOM循环嵌套, 必须修正后才能继续!");
        for (int v : loop) {
            const QStringList& item = name(v);
            const QString line = item[0] + QStringLiteral(" (") + item[1] +
                                 (item[2].isEmpty() ? QString() : QStringLiteral(" / ") + item[2]) + QLatin1Char(')');
            Log(rlError, 1, line);
            text += QLatin1Char('\r') + line;
        }
        throw EKxError(text);
    }
    // Open-order edges that would close a loop are left out: an order of a product that
    // is, through BOMs, one of its own components' parents cannot order the levels.
    const QList<int> allComp =
        Components(n, [&](int v, int kind) -> const QList<int>& { return kind == 0 ? graph.Bom[v] : graph.Orders[v]; }, 2);
    for (int v = 0; v < n; ++v)
        graph.Orders[v].removeIf([&](int c) { return allComp[c] == allComp[v]; });

    // Substitute pairs share the deeper code of the two, unless one is a descendant of the
    // other (the pair would close a loop).
    QList<QPair<int, int>> pairs;
    for (const TSubsPair& s : subsPairs)
        if (pairCounts(s))
            pairs << qMakePair(graph.Index.value(s.Item), graph.Add(s.Sub));
    const int total = int(graph.IDs.size());
    auto children = [&](int v) {
        QList<int> c = v < n ? graph.Bom[v] : QList<int>();
        if (v < n)
            c += graph.Orders[v];
        return c;
    };
    auto reaches = [&](int from, int to) {
        QList<int> todo{from};
        QSet<int> seen{from};
        while (!todo.isEmpty()) {
            const int v = todo.takeLast();
            if (v == to)
                return true;
            for (int c : children(v))
                if (!seen.contains(c)) {
                    seen.insert(c);
                    todo << c;
                }
        }
        return false;
    };
    pairs.removeIf([&](const QPair<int, int>& p) { return p.first == p.second || reaches(p.first, p.second) || reaches(p.second, p.first); });

    // Longest paths from the roots, raised for substitute pairs until nothing moves.
    QList<int> code(total, 0);
    QList<int> indegree(total, 0);
    for (int v = 0; v < total; ++v)
        for (int c : children(v))
            ++indegree[c];
    QList<int> order;
    for (int v = 0; v < total; ++v)
        if (indegree[v] == 0)
            order << v;
    for (qsizetype i = 0; i < order.size(); ++i)
        for (int c : children(order[i]))
            if (--indegree[c] == 0)
                order << c;
    auto propagate = [&] {
        for (int v : order)
            for (int c : children(v))
                code[c] = std::max(code[c], code[v] + 1);
    };
    propagate();
    for (int pass = 0; pass < 100; ++pass) {
        bool moved = false;
        for (const auto& [a, b] : pairs) {
            const int deepest = std::max(code[a], code[b]);
            if (code[a] != deepest || code[b] != deepest) {
                code[a] = code[b] = deepest;
                moved = true;
            }
        }
        if (!moved)
            break;
        propagate();
    }

    CheckRunVolume(graph.IDs, children);

    Exec(QStringLiteral("truncate table tmp_KX_MRP_ItemLowestCode"));
    TCopyRows rows(Connection, QStringLiteral("tmp_KX_MRP_ItemLowestCode"), QStringLiteral("ItmID, LowestCode, ItmInMaster"));
    int deepest = 0;
    for (int v = 0; v < total; ++v) {
        rows.Text(graph.IDs[v]).Int(code[v]).Int(items.contains(graph.IDs[v]) ? 1 : 0).EndRow();
        deepest = std::max(deepest, code[v]);
    }
    rows.Finish();
    Exec(QStringLiteral("analyze tmp_KX_MRP_ItemLowestCode"));
    // The open orders of items not reached: no demand of the plan can use them.
    if (reach)
        Exec(QStringLiteral("delete from tmp_KX_MRP_Supplies as s where not exists (select 1 from tmp_KX_MRP_ItemLowestCode as l "
                            "where l.ItmID=s.SupItmID);\ranalyze tmp_KX_MRP_Supplies"));
    return deepest + 1;
}

} // namespace kx
