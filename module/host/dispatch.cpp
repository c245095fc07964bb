#include "host/dispatch.h"

#include "analysis/bomexpandframe.h"
#include "analysis/invageframe.h"
#include "analysis/mrpminiframe.h"
#include "db/messages.h"
#include "deduction/deductactions.h"
#include "deduction/deductframe.h"
#include "editors/forcasteditor.h"
#include "host/forcastactions.h"
#include "masterdata/itemsettingframe.h"
#include "masterdata/itemsubsframe.h"
#include "masterdata/workcalenderdlg.h"
#include "release/outputframe.h"
#include "release/releasedlg.h"
#include "workbench/allotframe.h"
#include "workbench/balanceframe.h"
#include "workbench/billsframe.h"
#include "workbench/mainframe.h"
#include "workbench/mrpframe.h"
#include "workbench/replacesframe.h"
#include "workbench/suppliesframe.h"

namespace kx {

namespace {

using TViewFactory = IInfoView* (*)(const TInfoObjectDef* def);
using TFrameFactory = IInfoFrame* (*)(const TInfoObjectDef* def);
using TFormRunner = void (*)(const TInfoObjectDef* def);
using TEditFactory = IInfoEdit* (*)(const TInfoObjectDef* def);
// An action handler; an empty action ID in its row takes every action of the object.
using TActionRunner = void (*)(const TInfoObjectDef* def, const QString& actionID, IInfoView* view, bool* handled);

template <class TView>
IInfoView* CreateView(const TInfoObjectDef* def)
{
    return new TView(nullptr, def);
}

template <TMiniKind Kind>
IInfoFrame* CreateMiniFrame(const TInfoObjectDef* def)
{
    return new TMRPminiFrame(def, Kind, [](const TInfoObjectDef* viewDef) { return CreateInfoViewFor(viewDef); });
}

template <class TEdit>
IInfoEdit* CreateEdit(const TInfoObjectDef* def)
{
    return new TEdit(nullptr, def);
}

// The plan scheme workbench: maintain mode for the planner's own schemes, read mode for
// those published to him. Its result tabs get their views from this dispatch.
template <bool Maintain>
IInfoFrame* CreateSchemeFrame(const TInfoObjectDef* def)
{
    return new TMRPFrame(def, Maintain, CreateInfoViewFor);
}

template <class T>
struct TRow {
    const char* ObjectID;
    T Run;                        // null while the feature is not available
};

struct TActionRow {
    const char* ObjectID;
    const char* ActionID;
    TActionRunner Run;
};

const TRow<TViewFactory> kViews[] = {
    {"KX_MRP.Items", CreateView<TItemSettingFrame>},
    {"KX_MRP.BOMExpand", CreateView<TBOMExpandFrame>},
    {"KX_MRP.ItemSubs", CreateView<TItemSubsFrame>},
    {"KX_MRP.Deduct", CreateView<TMRPDeductFrame>},
    {"KX_MRP.MRP.Main", CreateView<TMRPMainFrame>},
    {"KX_MRP.MRP.Allot", CreateView<TMRPAllotFrame>},
    {"KX_MRP.MRP.Supplies", CreateView<TMRPSuppliesFrame>},
    {"KX_MRP.MRP.Replaces", CreateView<TMRPReplacesFrame>},
    {"KX_MRP.MRP.Balance", CreateView<TMRPBalanceFrame>},
    {"KX_MRP.MRP.Bills", CreateView<TMRPBillsFrame>},
    {"KX_MRP.MRPOutput", CreateView<TMRPOutputFrame>},
    {"KX_MRP.AgeAnalyze", CreateView<TInvAgeFrame>},
};

const TRow<TFrameFactory> kFrames[] = {
    {"KX_MRP.MRP", CreateSchemeFrame<true>},
    {"KX_MRP.MRPQuery", CreateSchemeFrame<false>},
    {"KX_MRP.MRPmini", CreateMiniFrame<mkKit>},
    {"KX_MRP.LackAnalyze", CreateMiniFrame<mkLack>},
};

const TRow<TFormRunner> kForms[] = {
    {"KX_MRP.Calendar", ShowWorkCalendarForm},
    {"KX_MRP.MRPRelease", ShowReleaseForm},
};

const TRow<TEditFactory> kEdits[] = {
    {"KX_MRP.Forcast", CreateEdit<TForcastEditor>},
};

const TActionRow kActions[] = {
    {"KX_MRP.Forcast", "Delete", RunForcastDelete},
    {"KX_MRP.Forcast", "Check", RunForcastCheck},
    {"KX_MRP.Forcast", "UnCheck", RunForcastUnCheck},
    {"KX_MRP.Forcast", "Close", RunForcastClose},
    {"KX_MRP.Forcast", "UnClose", RunForcastUnClose},
    {"KX_MRP.Forcast", "AutoDed", RunForcastAutoDeduct},
    {"KX_MRP.Forcast", "NoAutoDed", RunForcastNoAutoDeduct},
    {"KX_MRP.Forcast", "CanAutoDed", RunForcastCanAutoDeduct},
    {"KX_MRP.SO", "", RunOrderDeductAction},
    {"KX_MRP.SI", "", RunOrderDeductAction},
    {"KX_MRP.DeductLog", "", RunDeductLogAction},
};

bool SameID(const char* id, const QString& other)
{
    return QString::fromLatin1(id).compare(other, Qt::CaseInsensitive) == 0;
}

template <class T, size_t N>
T Find(const TRow<T> (&table)[N], const TInfoObjectDef* def)
{
    if (!def)
        return nullptr;
    for (const auto& row : table)
        if (SameID(row.ObjectID, def->ID))
            return row.Run;
    return nullptr;
}

} // namespace

IInfoView* CreateInfoViewFor(const TInfoObjectDef* def)
{
    const TViewFactory create = Find(kViews, def);
    return create ? create(def) : nullptr;
}

IInfoFrame* CreateInfoFrameFor(const TInfoObjectDef* def)
{
    if (const TFrameFactory create = Find(kFrames, def))
        return create(def);
    ShowInfo(QStringLiteral("很抱歉, 此功能处于内部测试阶段, 暂时不开放使用!"));
    return nullptr;
}

void ShowInfoFormFor(const TInfoObjectDef* def)
{
    if (const TFormRunner run = Find(kForms, def))
        run(def);
}

IInfoEdit* CreateInfoEditFor(const TInfoObjectDef* def)
{
    const TEditFactory create = Find(kEdits, def);
    return create ? create(def) : nullptr;
}

void RunInfoActionFor(const TInfoObjectDef* def, const QString& actionID, IInfoView* view, bool* handled)
{
    if (!def)
        return;
    for (const TActionRow& row : kActions) {
        if (!SameID(row.ObjectID, def->ID))
            continue;
        if (*row.ActionID && !SameID(row.ActionID, actionID))
            continue;
        if (row.Run)
            row.Run(def, actionID, view, handled);
        return;
    }
}

} // namespace kx
