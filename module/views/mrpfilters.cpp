#include "views/mrpfilters.h"

#include "db/shared.h"
#include "engine/schemefilters.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kx {

namespace {

constexpr int kObjectRole = Qt::UserRole;
constexpr int kKindRole = Qt::UserRole + 1;

// Captions of the data objects when the host gives no definition.
QString ObjectCaption(const QString& objectID, const TInfoObjectDef* def)
{
    static const struct {
        const char* ID;
        const char* Caption;
    } kCaptions[] = {{"KX_MRP.Forcast", "产品预测"}, {"KX_MRP.SO", "销售订单"},  {"KX_MRP.SI", "出口订单"},
                     {"KX_MRP.MR", "生产计划"},     {"KX_MRP.MO", "生产任务"},  {"KX_MRP.MOScrap", "生产补料"},
                     {"KX_MRP.OR", "委外计划"},     {"KX_MRP.OO", "委外订单"},  {"KX_MRP.PR", "采购申请"},
                     {"KX_MRP.PO", "采购订单"},     {"KX_MRP.PI", "采购在检"}};
    if (objectID == QLatin1String("KX_MRP.Inventory"))
        return QStringLiteral("参与仓库");
    if (def)
        return def->Name;
    for (const auto& c : kCaptions)
        if (objectID == QLatin1String(c.ID))
            return QString::fromUtf8(c.Caption);
    return objectID;
}

// What the object's item says of its condition.
QString ShownCondition(const TObjectFilter& filter, qsizetype kinds)
{
    if (kinds > 0 && filter.LeftOut.size() >= kinds)
        return QStringLiteral("(不参与运算)");
    return filter.Condition.isEmpty() ? QStringLiteral("(默认条件)") : filter.Condition;
}

const TInfoObjectDef* ObjectDef(const QString& objectID)
{
    TModuleEnvironment* env = Env();
    return env && env->GetObjectDef ? env->GetObjectDef(objectID) : nullptr;
}

} // namespace

const QStringList& TMRPFilterTree::RunObjectIDs()
{
    static const QStringList ids{QStringLiteral("KX_MRP.Forcast"), QStringLiteral("KX_MRP.SO"), QStringLiteral("KX_MRP.SI"),
                                 QStringLiteral("KX_MRP.MR"),      QStringLiteral("KX_MRP.MO"), QStringLiteral("KX_MRP.MOScrap"),
                                 QStringLiteral("KX_MRP.OR"),      QStringLiteral("KX_MRP.OO"), QStringLiteral("KX_MRP.PR"),
                                 QStringLiteral("KX_MRP.PO"),      QStringLiteral("KX_MRP.PI"), QStringLiteral("KX_MRP.Inventory")};
    return ids;
}

const QStringList& TMRPFilterTree::SupplyObjectIDs()
{
    static const QStringList ids = RunObjectIDs().mid(3);
    return ids;
}

TMRPFilterTree::TMRPFilterTree(const QStringList& objectIDs, QWidget* parent) : QWidget(parent), FObjectIDs(objectIDs)
{
    trlMRPFilters = new QTreeWidget(this);
    trlMRPFilters->setObjectName(QStringLiteral("trlMRPFilters"));
    trlMRPFilters->setColumnCount(2);
    trlMRPFilters->setHeaderHidden(true);
    trlMRPFilters->setExpandsOnDoubleClick(false);
    trlMRPFilters->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    btnSetFilter = new QPushButton(QStringLiteral(" 条件(&L)..."), this);
    btnSetFilter->setObjectName(QStringLiteral("btnSetFilter"));
    btnSetFilter->setAutoDefault(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(trlMRPFilters, 1);
    layout->addWidget(btnSetFilter, 0, Qt::AlignLeft);
    connect(btnSetFilter, &QPushButton::clicked, this, &TMRPFilterTree::EditFilter);
    connect(trlMRPFilters, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (FEditable)
            EditFilter();
    });
    connect(trlMRPFilters, &QTreeWidget::itemChanged, this, &TMRPFilterTree::trlMRPFiltersItemChanged);
    ShowFilters();
}

void TMRPFilterTree::SetFilters(const QString& filters)
{
    FFilters = filters;
    ShowFilters();
}

void TMRPFilterTree::SetEditable(bool editable)
{
    FEditable = editable;
    btnSetFilter->setEnabled(editable);
    ShowFilters();
}

QTreeWidgetItem* TMRPFilterTree::ObjectItem(const QString& objectID) const
{
    for (int i = 0; i < trlMRPFilters->topLevelItemCount(); ++i)
        if (trlMRPFilters->topLevelItem(i)->data(0, kObjectRole).toString().compare(objectID, Qt::CaseInsensitive) == 0)
            return trlMRPFilters->topLevelItem(i);
    return nullptr;
}

QTreeWidgetItem* TMRPFilterTree::KindItem(const QString& objectID, int kind) const
{
    QTreeWidgetItem* object = ObjectItem(objectID);
    for (int i = 0; object && i < object->childCount(); ++i)
        if (object->child(i)->data(0, kKindRole).toInt() == kind)
            return object->child(i);
    return nullptr;
}

void TMRPFilterTree::ShowFilters()
{
    QTreeWidgetItem* focused = trlMRPFilters->currentItem();
    const QString currentID = focused ? focused->data(0, kObjectRole).toString() : QString();
    const QVariant currentKind = focused ? focused->data(0, kKindRole) : QVariant();
    FShowing = true;
    trlMRPFilters->clear();
    QTreeWidgetItem* current = nullptr;
    for (const QString& id : FObjectIDs) {
        const TInfoObjectDef* def = ObjectDef(id);
        const TObjectFilter filter = ObjectFilterOf(FFilters, id);
        const QList<TFilterKind> kinds = FilterKindsOf(def);
        auto* item = new QTreeWidgetItem(trlMRPFilters, {ObjectCaption(id, def), ShownCondition(filter, kinds.size())});
        item->setData(0, kObjectRole, id);
        item->setToolTip(1, filter.Condition);
        for (const TFilterKind& kind : kinds) {
            auto* child = new QTreeWidgetItem(item, {kind.Caption});
            child->setData(0, kObjectRole, id);
            child->setData(0, kKindRole, kind.Value);
            child->setToolTip(0, kind.Value == 0 ? QStringLiteral("%1中不为任何主需求下达的行").arg(item->text(0))
                                                 : QStringLiteral("%1中为%2下达的行").arg(item->text(0), kind.Caption));
            child->setCheckState(0, filter.LeftOut.contains(kind.Value) ? Qt::Unchecked : Qt::Checked);
            child->setFlags(FEditable ? child->flags() | Qt::ItemIsUserCheckable : child->flags() & ~Qt::ItemIsUserCheckable);
            if (id == currentID && currentKind.isValid() && currentKind.toInt() == kind.Value)
                current = child;
        }
        if (!kinds.isEmpty()) {
            // The object's box stands for all its kinds at once; read only, it just shows them.
            if (FEditable) {
                item->setFlags(item->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsAutoTristate);
            } else {
                item->setFlags(item->flags() & ~(Qt::ItemIsUserCheckable | Qt::ItemIsAutoTristate));
                item->setCheckState(0, filter.LeftOut.isEmpty()                  ? Qt::Checked
                                       : filter.LeftOut.size() >= kinds.size() ? Qt::Unchecked
                                                                               : Qt::PartiallyChecked);
            }
            item->setExpanded(!filter.LeftOut.isEmpty());
        }
        if (id == currentID && !current && !currentKind.isValid())
            current = item;
    }
    trlMRPFilters->setCurrentItem(current ? current : trlMRPFilters->topLevelItem(0));
    FShowing = false;
}

void TMRPFilterTree::trlMRPFiltersItemChanged(QTreeWidgetItem* item, int column)
{
    // A kind's box changed (the object's box passes its state on to each of them).
    if (FShowing || column != 0 || !item || !item->parent() || !FEditable)
        return;
    SetKindIncluded(item->data(0, kObjectRole).toString(), item->data(0, kKindRole).toInt(), item->checkState(0) == Qt::Checked);
}

bool TMRPFilterTree::SetKindIncluded(const QString& objectID, int kind, bool included)
{
    TObjectFilter filter = ObjectFilterOf(FFilters, objectID);
    if (filter.LeftOut.contains(kind) != included)
        return false;
    if (included)
        filter.LeftOut.removeAll(kind);
    else
        filter.LeftOut << kind;
    FFilters = WithObjectFilter(FFilters, objectID, filter);
    // The kind's box (when called directly) and the object's condition follow; the object's
    // box follows its kinds' by itself.
    const bool showing = FShowing;
    FShowing = true;
    if (QTreeWidgetItem* k = KindItem(objectID, kind))
        k->setCheckState(0, included ? Qt::Checked : Qt::Unchecked);
    if (QTreeWidgetItem* object = ObjectItem(objectID))
        object->setText(1, ShownCondition(filter, object->childCount()));
    FShowing = showing;
    Q_EMIT FiltersChanged();
    return true;
}

bool TMRPFilterTree::EditFilter()
{
    QTreeWidgetItem* item = trlMRPFilters->currentItem() ? trlMRPFilters->currentItem() : trlMRPFilters->topLevelItem(0);
    TModuleEnvironment* env = Env();
    if (!item || !env || !env->SelectFilter)
        return false;
    const QString id = item->data(0, kObjectRole).toString();
    const TInfoObjectDef* def = ObjectDef(id);
    if (!def)
        return false;
    TObjectFilter filter = ObjectFilterOf(FFilters, id);
    QString code = filter.Code;
    QString text;
    if (!env->SelectFilter(def, code, false, text, nullptr))
        return false;
    filter.Condition = text.trimmed();
    filter.Code = code;
    FFilters = WithObjectFilter(FFilters, id, filter);
    ShowFilters();
    Q_EMIT FiltersChanged();
    return true;
}

} // namespace kx
