#include "views/mrpfilters.h"

#include "db/shared.h"
#include "engine/planscheme.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kx {

namespace {

// The entry under which the filter dialog's own code of an object is kept beside the object's
// SQL condition, so that the dialog opens on what the user chose.
QString CodeKey(const QString& objectID)
{
    return QStringLiteral("Code.") + objectID;
}

// Captions of the data objects when the host gives no definition.
QString ObjectCaption(const QString& objectID)
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
    TModuleEnvironment* env = Env();
    if (const TInfoObjectDef* def = env && env->GetObjectDef ? env->GetObjectDef(objectID) : nullptr)
        return def->Name;
    for (const auto& c : kCaptions)
        if (objectID == QLatin1String(c.ID))
            return QString::fromUtf8(c.Caption);
    return objectID;
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
    trlMRPFilters->setRootIsDecorated(false);
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
        if (btnSetFilter->isEnabled())
            EditFilter();
    });
    ShowFilters();
}

void TMRPFilterTree::SetFilters(const QString& filters)
{
    FFilters = filters;
    ShowFilters();
}

void TMRPFilterTree::SetEditable(bool editable)
{
    btnSetFilter->setEnabled(editable);
}

void TMRPFilterTree::ShowFilters()
{
    const int current = trlMRPFilters->currentItem() ? trlMRPFilters->indexOfTopLevelItem(trlMRPFilters->currentItem()) : 0;
    trlMRPFilters->clear();
    for (const QString& id : FObjectIDs) {
        const QString condition = FilterOf(FFilters, id);
        auto* item = new QTreeWidgetItem(trlMRPFilters, {ObjectCaption(id), condition.isEmpty() ? QStringLiteral("(默认条件)") : condition});
        item->setData(0, Qt::UserRole, id);
        item->setToolTip(1, condition);
    }
    trlMRPFilters->setCurrentItem(trlMRPFilters->topLevelItem(qMax(0, current)));
}

bool TMRPFilterTree::EditFilter()
{
    QTreeWidgetItem* item = trlMRPFilters->currentItem() ? trlMRPFilters->currentItem() : trlMRPFilters->topLevelItem(0);
    TModuleEnvironment* env = Env();
    if (!item || !env || !env->SelectFilter || !env->GetObjectDef)
        return false;
    const QString id = item->data(0, Qt::UserRole).toString();
    const TInfoObjectDef* def = env->GetObjectDef(id);
    if (!def)
        return false;
    QString code = FilterOf(FFilters, CodeKey(id));
    QString text;
    if (!env->SelectFilter(def, code, false, text, nullptr))
        return false;
    FFilters = WithFilter(WithFilter(FFilters, id, text.trimmed()), CodeKey(id), text.trimmed().isEmpty() ? QString() : code);
    ShowFilters();
    return true;
}

} // namespace kx
