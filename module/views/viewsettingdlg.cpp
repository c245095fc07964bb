#include "views/viewsettingdlg.h"

#include "db/messages.h"
#include "db/shared.h"
#include "db/strutils.h"
#include "views/gridlayout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

namespace kx {

namespace {

const QString kSharedSuffix = QStringLiteral(" (共享)");

} // namespace

TViewSettingDlg::TViewSettingDlg(const TInfoObjectDef* objectDef, TViewScheme* origScheme, QWidget* parent)
    : TDialog(parent), ObjectDef(objectDef), OrigScheme(origScheme), ViewScheme(*origScheme), ByQuery(&SharedConnection())
{
    gbxScheme = new QGroupBox(QStringLiteral("方案"), this);
    lblScheme = new QLabel(QStringLiteral("方案(&M):"), gbxScheme);
    cboScheme = new QComboBox(gbxScheme);
    cboScheme->setMinimumWidth(220);
    lblScheme->setBuddy(cboScheme);
    btnSchemeNew = new QPushButton(QStringLiteral("默认(&N)"), gbxScheme);
    btnSchemeSave = new QPushButton(QStringLiteral("另存(&S)..."), gbxScheme);
    btnSchemeDelete = new QPushButton(QStringLiteral("删除(&D)"), gbxScheme);
    for (QPushButton* b : {btnSchemeNew, btnSchemeSave, btnSchemeDelete})
        b->setAutoDefault(false);
    auto* row = new QHBoxLayout(gbxScheme);
    row->addWidget(lblScheme);
    row->addWidget(cboScheme, 1);
    row->addWidget(btnSchemeNew);
    row->addWidget(btnSchemeSave);
    row->addWidget(btnSchemeDelete);
    ContentLayout()->addWidget(gbxScheme);

    connect(cboScheme, &QComboBox::activated, this, &TViewSettingDlg::ChooseEntry);
    connect(btnSchemeNew, &QPushButton::clicked, this, [this] {
        cboScheme->setCurrentIndex(cboScheme->count() - 1);
        ChooseEntry(cboScheme->count() - 1);
    });
    connect(btnSchemeSave, &QPushButton::clicked, this, [this] {
        if (!SaveScheme())
            return;
        QString name;
        bool shared = false;
        if (TViewSettingSaveDlg::ExecuteSaveDialog(ViewScheme.ID, FEntries, name, shared, this))
            SaveSchemeAs(name, shared);
    });
    connect(btnSchemeDelete, &QPushButton::clicked, this, &TViewSettingDlg::DeleteChosenScheme);
}

void TViewSettingDlg::Prepare()
{
    FillList(ViewScheme.IID);
}

void TViewSettingDlg::FillList(int selectIID)
{
    FEntries = ListViewSchemes(ByQuery, ViewScheme.ID);
    const QIcon sharedIcon = style()->standardIcon(QStyle::SP_DriveNetIcon);
    const QIcon privateIcon = style()->standardIcon(QStyle::SP_FileIcon);
    const QSignalBlocker block(cboScheme);
    cboScheme->clear();
    int selected = 0;
    for (int i = 0; i < FEntries.size(); ++i) {
        const TSchemeListEntry& e = FEntries[i];
        const bool shared = e.Kind == sekOwnPublic || e.Kind == sekOtherPublic || e.Kind == sekDefault;
        cboScheme->addItem(e.Kind == sekCurrent ? QIcon() : shared ? sharedIcon : privateIcon, e.Text, e.IID);
        if (i > 0 && e.IID == selectIID && selectIID != 0)
            selected = i;
    }
    cboScheme->setCurrentIndex(selected);
    const TSchemeEntryKind kind = FEntries.value(selected).Kind;
    btnSchemeDelete->setEnabled(kind == sekPrivate || kind == sekOwnPublic);
}

void TViewSettingDlg::ChooseEntry(int index)
{
    if (index < 0 || index >= FEntries.size())
        return;
    const TSchemeListEntry& entry = FEntries[index];
    if (entry.Kind == sekCurrent) {
        ViewScheme = *OrigScheme;
    } else {
        TViewScheme chosen = ViewScheme;
        chosen.IID = entry.IID;
        chosen.Name = entry.Name;
        chosen.Params.clear();
        chosen.SQLParsed = false;
        if (entry.IID > 0)
            LoadViewScheme(chosen);
        else
            chosen.Kind = vkPublic;
        // Choosing a scheme never loses the column layout.
        if (GetParamValue(chosen.Params, kParamPositions).isEmpty())
            chosen.Params = SetParamValue(chosen.Params, kParamPositions, GetParamValue(OrigScheme->Params, kParamPositions));
        ViewScheme = chosen;
    }
    if (cboScheme->currentIndex() != index)
        cboScheme->setCurrentIndex(index);
    btnSchemeDelete->setEnabled(entry.Kind == sekPrivate || entry.Kind == sekOwnPublic);
    LoadScheme();
}

bool TViewSettingDlg::SaveSchemeAs(const QString& name, bool shared)
{
    ViewScheme.IID = 0;
    ViewScheme.Name = name;
    ViewScheme.Kind = shared ? vkPublic : vkPrivate;
    if (!SaveViewScheme(ViewScheme, false))
        return false;
    FillList(ViewScheme.IID);
    return true;
}

void TViewSettingDlg::DeleteChosenScheme()
{
    const int index = cboScheme->currentIndex();
    const TSchemeListEntry entry = FEntries.value(index);
    if (entry.Kind != sekPrivate && entry.Kind != sekOwnPublic)
        return;
    if (ShowQuestion(QStringLiteral("您所选的项目将被删除, 确定?"), mbOKCancel | mbDefButton2) != mrOK)
        return;
    TViewScheme doomed = ViewScheme;
    doomed.IID = entry.IID;
    if (!DeleteViewScheme(doomed))
        return;
    FEntries.removeAt(index);
    cboScheme->removeItem(index);
    ChooseEntry(0);
}

void TViewSettingDlg::LoadScheme() {}

bool TViewSettingDlg::SaveScheme()
{
    return true;
}

bool TViewSettingDlg::CanClose()
{
    return SaveScheme();
}

TViewSettingSaveDlg::TViewSettingSaveDlg(const QList<TSchemeListEntry>& items, QWidget* parent) : TDialog(parent)
{
    setWindowTitle(QStringLiteral("保存方案"));
    cxLabel1 = new QLabel(QStringLiteral("方案名称(&N):"), this);
    edtName = new QComboBox(this);
    edtName->setEditable(true);
    edtName->lineEdit()->setMaxLength(80);
    edtName->setMinimumWidth(240);
    cxLabel1->setBuddy(edtName);
    chkShared = new QCheckBox(QStringLiteral("共享给其他人使用(&S)"), this);
    for (const TSchemeListEntry& e : items)
        if (e.Kind == sekPrivate)
            FNames << e.Name;
        else if (e.Kind == sekOwnPublic)
            FNames << e.Name + kSharedSuffix;
    edtName->addItems(FNames);
    edtName->setCurrentIndex(-1);
    edtName->setEditText(QString());
    auto* row = new QHBoxLayout;
    row->addWidget(cxLabel1);
    row->addWidget(edtName, 1);
    ContentLayout()->addLayout(row);
    ContentLayout()->addWidget(chkShared);
    connect(edtName, &QComboBox::activated, this, &TViewSettingSaveDlg::edtNameActivated);
}

void TViewSettingSaveDlg::edtNameActivated(int index)
{
    QString text = edtName->itemText(index);
    if (!text.contains(kSharedSuffix))
        return;
    chkShared->setChecked(true);
    edtName->setEditText(text.remove(kSharedSuffix));
}

QString TViewSettingSaveDlg::SchemeName() const
{
    return edtName->currentText().trimmed();
}

bool TViewSettingSaveDlg::Shared() const
{
    return chkShared->isChecked();
}

bool TViewSettingSaveDlg::CanClose()
{
    const QString name = SchemeName();
    if (name.isEmpty()) {
        ShowWarning(QStringLiteral("名称不能为空, 请输入!"));
        edtName->setFocus();
        return false;
    }
    const bool listed = FNames.contains(name, Qt::CaseInsensitive) || FNames.contains(name + kSharedSuffix, Qt::CaseInsensitive);
    if (listed && ShowQuestion(QStringLiteral("您指定的\"%1\"已经存在, 确定覆盖?").arg(name), mbOKCancel | mbDefButton2) != mrOK)
        return false;
    return true;
}

bool TViewSettingSaveDlg::ExecuteSaveDialog(const QString&, const QList<TSchemeListEntry>& items, QString& name, bool& shared,
                                            QWidget* parent)
{
    TViewSettingSaveDlg dlg(items, parent);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    name = dlg.SchemeName();
    shared = dlg.Shared();
    return true;
}

} // namespace kx
