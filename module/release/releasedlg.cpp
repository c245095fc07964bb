#include "release/releasedlg.h"

#include "db/errors.h"
#include "db/messages.h"
#include "db/shared.h"
#include "engine/planscheme.h"
#include "kx_mrp/environment.h"
#include "release/releasesetdlg.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kx {

namespace {

const QString kReleaseObjectID = QStringLiteral("KX_MRP.MRPRelease");
const QString kRefreshItem = QStringLiteral("(刷新)");

enum TUserColumn { ucName = 0, ucKind = 1 };
enum TUserRole { urUser = Qt::UserRole + 1 };

bool HoldsReleaseUpdate()
{
    TModuleEnvironment* env = Env();
    const TInfoObjectDef* def = env && env->GetObjectDef ? env->GetObjectDef(kReleaseObjectID) : nullptr;
    return def && def->GetAccessGroup(QStringLiteral("Update"));
}

QPushButton* ActionButton(QAction* action, QWidget* parent)
{
    auto* button = new QPushButton(action->text(), parent);
    button->setObjectName(QStringLiteral("btn") + action->objectName().mid(3));
    button->setAutoDefault(false);
    QObject::connect(button, &QPushButton::clicked, action, &QAction::trigger);
    QObject::connect(action, &QAction::changed, button, [button, action] { button->setEnabled(action->isEnabled()); });
    return button;
}

} // namespace

TMRPReleaseDlg::TMRPReleaseDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("计划发布管理"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    resize(620, 420);
    cboScheme = new QComboBox(this);
    cboScheme->setObjectName(QStringLiteral("cboScheme"));
    cboScheme->setMinimumWidth(360);
    auto* lblScheme = new QLabel(QStringLiteral("计划方案(&S):"), this);
    lblScheme->setBuddy(cboScheme);
    grdUsers = new QTreeWidget(this);
    grdUsers->setObjectName(QStringLiteral("grdUsers"));
    grdUsers->setHeaderLabels({QStringLiteral("用户/用户组"), QStringLiteral("类别")});
    grdUsers->setRootIsDecorated(false);
    grdUsers->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grdUsers->header()->setSectionResizeMode(ucName, QHeaderView::Stretch);
    auto* lblUsers = new QLabel(QStringLiteral("接收用户(&O):"), this);
    lblUsers->setBuddy(grdUsers);

    auto makeAction = [this](const char* name, const QString& text, void (TMRPReleaseDlg::*slot)()) {
        auto* action = new QAction(text, this);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    actRelease = makeAction("actRelease", QStringLiteral("发布(&R)"), &TMRPReleaseDlg::Publish);
    actUnrelease = makeAction("actUnrelease", QStringLiteral("取消发布(&U)"), &TMRPReleaseDlg::Withdraw);
    actOpenOutput = makeAction("actOpenOutput", QStringLiteral("允许投放(&O)"), &TMRPReleaseDlg::AllowRelease);
    actStopOutput = makeAction("actStopOutput", QStringLiteral("关闭投放(&C)"), &TMRPReleaseDlg::CloseRelease);
    actAddUser = new QAction(QStringLiteral(" 增加用户(&A)..."), this);
    actAddUser->setObjectName(QStringLiteral("actAddUser"));
    connect(actAddUser, &QAction::triggered, this, [this] { AddUsers(); });
    actRemoveUser = makeAction("actRemoveUser", QStringLiteral("移除用户(&D)"), &TMRPReleaseDlg::RemoveUsers);

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(lblScheme);
    top->addWidget(cboScheme, 1);
    layout->addLayout(top);
    auto* middle = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(lblUsers);
    left->addWidget(grdUsers, 1);
    middle->addLayout(left, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addSpacing(lblUsers->sizeHint().height());
    for (QAction* action : {actRelease, actUnrelease, actOpenOutput, actStopOutput})
        buttons->addWidget(ActionButton(action, this));
    buttons->addSpacing(12);
    for (QAction* action : {actAddUser, actRemoveUser})
        buttons->addWidget(ActionButton(action, this));
    buttons->addStretch(1);
    auto* btnClose = new QPushButton(QStringLiteral("关闭"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(btnClose);
    middle->addLayout(buttons);
    layout->addLayout(middle, 1);

    FCanUpdate = HoldsReleaseUpdate();
    connect(cboScheme, &QComboBox::currentIndexChanged, this, &TMRPReleaseDlg::cboSchemeChange);
    connect(grdUsers, &QTreeWidget::itemSelectionChanged, this, &TMRPReleaseDlg::UpdateActions);
    LoadSchemes();
}

TReleaseScheme TMRPReleaseDlg::CurrentScheme() const
{
    const int index = cboScheme->currentIndex();
    return index >= 0 && index < FSchemes.size() ? FSchemes[index] : TReleaseScheme();
}

void TMRPReleaseDlg::LoadSchemes()
{
    const int keep = CurrentScheme().IID;
    FLoading = true;
    cboScheme->clear();
    FSchemes.clear();
    try {
        FSchemes = LoadOwnSchemes(SharedConnection(), EnvUserID());
    } catch (const EKxError& e) {
        ShowException(e);
    }
    for (const TReleaseScheme& s : FSchemes)
        cboScheme->addItem(s.Text(), s.IID);
    cboScheme->addItem(kRefreshItem);
    FLoading = false;
    SelectScheme(keep);
}

void TMRPReleaseDlg::SelectScheme(int schemeIID)
{
    int index = 0;
    for (int i = 0; i < FSchemes.size(); ++i)
        if (FSchemes[i].IID == schemeIID)
            index = i;
    FLoading = true;
    cboScheme->setCurrentIndex(FSchemes.isEmpty() ? -1 : index);
    FLoading = false;
    LoadUsers();
}

void TMRPReleaseDlg::cboSchemeChange(int index)
{
    if (FLoading)
        return;
    if (index == cboScheme->count() - 1 && cboScheme->itemText(index) == kRefreshItem) {
        LoadSchemes();
        return;
    }
    LoadUsers();
}

void TMRPReleaseDlg::LoadUsers()
{
    grdUsers->clear();
    const TReleaseScheme scheme = CurrentScheme();
    if (scheme.IID != 0) {
        try {
            for (const TUserRec& user : LoadReceivers(SharedConnection(), scheme.IID))
                AddUserRow(user);
        } catch (const EKxError& e) {
            ShowException(e);
        }
    }
    PaintUsers();
    UpdateActions();
}

void TMRPReleaseDlg::AddUserRow(const TUserRec& user)
{
    auto* item = new QTreeWidgetItem(grdUsers, {user.DisplayName(), user.IsGroup ? QStringLiteral("用户组") : QStringLiteral("用户")});
    // Groups, enabled users and disabled users are told apart by their pictures.
    const QStyle::StandardPixmap icon = user.IsGroup ? QStyle::SP_DirIcon
                                      : user.IsDisabled ? QStyle::SP_MessageBoxCritical
                                                        : QStyle::SP_FileIcon;
    item->setIcon(ucName, style()->standardIcon(icon));
    item->setData(ucName, urUser, QVariantList{user.UserID, user.UserNo, user.UserName, user.IsGroup, user.IsDisabled});
    // Groups first, then users, each by name.
    item->setData(ucKind, urUser, QStringLiteral("%1%2").arg(user.IsGroup ? 0 : 1).arg(user.UserName));
}

// While the scheme is published its receivers are drawn highlighted.
void TMRPReleaseDlg::PaintUsers()
{
    const bool published = CanEditReceivers(CurrentScheme().State);
    const QPalette palette = QApplication::palette();
    QList<QTreeWidgetItem*> items;
    while (grdUsers->topLevelItemCount() > 0)
        items << grdUsers->takeTopLevelItem(0);
    std::stable_sort(items.begin(), items.end(), [](QTreeWidgetItem* a, QTreeWidgetItem* b) {
        return a->data(ucKind, urUser).toString().compare(b->data(ucKind, urUser).toString(), Qt::CaseInsensitive) < 0;
    });
    for (QTreeWidgetItem* item : items) {
        for (int c = 0; c < 2; ++c)
            item->setForeground(c, published ? palette.color(QPalette::Highlight) : palette.color(QPalette::Text));
        grdUsers->addTopLevelItem(item);
    }
}

void TMRPReleaseDlg::UpdateActions()
{
    const TReleaseScheme s = CurrentScheme();
    const int state = s.IID ? s.State : -1;
    actRelease->setEnabled(FCanUpdate && CanPublish(state));
    actUnrelease->setEnabled(FCanUpdate && CanWithdraw(state));
    actOpenOutput->setEnabled(FCanUpdate && CanAllowRelease(state));
    actStopOutput->setEnabled(FCanUpdate && CanCloseRelease(state, s.MrpRun));
    actAddUser->setEnabled(FCanUpdate && CanEditReceivers(state));
    actRemoveUser->setEnabled(actAddUser->isEnabled() && !grdUsers->selectedItems().isEmpty());
}

void TMRPReleaseDlg::StoreScheme(const TReleaseScheme& scheme)
{
    const int index = cboScheme->currentIndex();
    if (index < 0 || index >= FSchemes.size())
        return;
    FSchemes[index] = scheme;
    cboScheme->setItemText(index, scheme.Text());
    cboScheme->setItemData(index, scheme.IID);
    PaintUsers();
    UpdateActions();
}

bool TMRPReleaseDlg::ChangeState(int newState, const QString& question)
{
    TReleaseScheme scheme = CurrentScheme();
    if (!question.isEmpty() && ShowQuestion(question, mbOKCancel) != mrOK)
        return false;
    try {
        if (!ChangeReleaseState(SharedConnection(), scheme, newState, scheme.State)) {
            ShowError(StateChangeFailedText());
            return false;
        }
    } catch (const EKxError& e) {
        ShowSchemeRefusal(e);
        return false;
    }
    StoreScheme(scheme);
    ShowInfo(QStringLiteral("执行完成。"));
    return true;
}

void TMRPReleaseDlg::Withdraw()
{
    ChangeState(psUnpublished, QStringLiteral("计划方案取消发布后, 您可以修改计划和再发布。确定取消所选计划方案的发布?"));
}

void TMRPReleaseDlg::AllowRelease()
{
    ChangeState(psPublished, QStringLiteral("允许所选计划方案的发布接收用户投放计划结果至ERP系统?"));
}

void TMRPReleaseDlg::CloseRelease()
{
    ChangeState(psReleaseClosed, QStringLiteral("计划方案关闭投放后, 发布接收用户可以继续查询计划。确定对所选的计划方案关闭投放?"));
}

void TMRPReleaseDlg::Publish()
{
    TReleaseScheme scheme = CurrentScheme();
    if (!CanPublish(scheme.State))
        return;
    TConnection& connection = SharedConnection();
    const bool onlyMain = scheme.State == psMPSReady || !scheme.MrpRun;
    try {
        if (!onlyMain) {
            const int missing = MissingBomCount(connection, scheme.IID);
            if (missing > 0
                && ShowQuestion(QStringLiteral("所选方案存在%1条非采购性质的MRP供应计划缺少BOM, 这意味着MRP数据可能不完整, 确定发布?").arg(missing),
                                mbOKCancel) != mrOK)
                return;
        }
        TMRPReleaseSetDlg options(scheme.Name, scheme.State == psMPSReady || scheme.State == psMRPDone, onlyMain, this);
        if (options.exec() != QDialog::Accepted)
            return;
        const bool onlyMPS = options.OnlyMPS();
        if (options.CopyMode()) {
            const QString name = options.SchemeName();
            ShowStatusText(QStringLiteral("正在从计划方案[%1]复制全部数据至[%2], 请稍候...").arg(scheme.Name, name), 0);
            int copied = 0;
            try {
                copied = CopySchemeForPublish(connection, scheme.IID, name, onlyMPS);
            } catch (const EKxError& e) {
                ShowStatusText(QString(), 0);
                ShowException(e);
            }
            ShowStatusText(QString(), 0);
            if (copied == 0) {
                ShowError(QStringLiteral("复制计划方案[%1]至新方案[%2]出现错误, 复制方案发布被中止!").arg(scheme.Name, name));
                return;
            }
            // The item stands for the copy from now on; the source stays unpublished.
            scheme.IID = copied;
            scheme.Name = name;
            scheme.MrpRun = scheme.MrpRun && !onlyMPS;
            StoreScheme(scheme);
            LoadUsers();
        }
        if (grdUsers->topLevelItemCount() == 0 && !AddUsers() && grdUsers->topLevelItemCount() == 0)
            ShowInfo(QStringLiteral("提示: 您刚取消了选择计划发布的接收用户, 发布完成后可以通过\"增加用户\"功能再作选择。"));
        ChangeState(onlyMPS || options.CanOutput() ? psPublished : psReleaseClosed, QString());
    } catch (const EKxError& e) {
        ShowException(e);
    }
}

bool TMRPReleaseDlg::AddUsers()
{
    const TReleaseScheme scheme = CurrentScheme();
    TModuleEnvironment* env = Env();
    if (scheme.IID == 0 || !env || !env->SelectUsers)
        return false;
    QStringList present;
    for (int i = 0; i < grdUsers->topLevelItemCount(); ++i)
        present << grdUsers->topLevelItem(i)->data(ucName, urUser).toList().value(0).toString();
    QStringList chosen;
    if (!env->SelectUsers(chosen, true, true, present) || chosen.isEmpty())
        return false;
    QList<TUserRec> added;
    try {
        added = AddReceivers(SharedConnection(), scheme.IID, chosen);
    } catch (const EKxError& e) {
        ShowException(e);
        return false;
    }
    for (const TUserRec& user : added)
        AddUserRow(user);
    PaintUsers();
    if (!added.isEmpty()) {
        for (int i = 0; i < grdUsers->topLevelItemCount(); ++i)
            if (grdUsers->topLevelItem(i)->data(ucName, urUser).toList().value(0).toString() == added.last().UserID)
                grdUsers->setCurrentItem(grdUsers->topLevelItem(i));
    }
    UpdateActions();
    return !added.isEmpty();
}

void TMRPReleaseDlg::RemoveUsers()
{
    const TReleaseScheme scheme = CurrentScheme();
    for (QTreeWidgetItem* item : grdUsers->selectedItems()) {
        const QVariantList v = item->data(ucName, urUser).toList();
        TUserRec user;
        user.UserID = v.value(0).toString();
        user.IsGroup = v.value(3).toBool();
        try {
            RemoveReceiver(SharedConnection(), scheme.IID, user);
        } catch (const EKxError& e) {
            ShowException(e);
            continue;
        }
        delete item;
    }
    UpdateActions();
}

void ShowReleaseForm(const TInfoObjectDef*)
{
    TMRPReleaseDlg dialog(QApplication::activeWindow());
    dialog.exec();
}

} // namespace kx
