#include "workbench/mainsourcedlg.h"

#include "db/errors.h"
#include "db/messages.h"
#include "db/settings.h"
#include "db/shared.h"
#include "db/strutils.h"
#include "workbench/schemeops.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>

namespace kx {

namespace {

// The user setting that keeps the last choices, as "[name]=value" lines.
const QString kSettingClass = QStringLiteral("KX_MRP");
const QString kSettingKey = QStringLiteral("MRPMainSource");

// Bill kinds that can be picked: enumeration value, import type, object.
const struct {
    int BillType;
    TMRPMainImportType ImportType;
    const char* ObjectID;
    bool Optional;                // offered only when the enumeration has the value
} kPickKinds[] = {
    {btSO, itSelectSO, "KX_MRP.SO", false},       {btSI, itSelectSI, "KX_MRP.SI", true},   {btForcast, itSelectForcast, "KX_MRP.Forcast", true},
    {btMO, itSelectMO, "KX_MRP.MO", false},       {btMR, itSelectMR, "KX_MRP.MR", true},   {btOO, itSelectOO, "KX_MRP.OO", false},
    {btOR, itSelectOR, "KX_MRP.OR", true},
};

QString Captions(std::initializer_list<int> types)
{
    QStringList names;
    for (int t : types)
        if (EnumHasValue(QStringLiteral("MrpBillType"), t))
            names << EnumText(QStringLiteral("MrpBillType"), t);
    return names.join(QLatin1Char('+'));
}

void SelectData(QComboBox* box, int value)
{
    const int i = box->findData(value);
    if (i >= 0)
        box->setCurrentIndex(i);
}

} // namespace

QString TMRPMainSourceDlg::ObjectOfImportType(TMRPMainImportType type)
{
    for (const auto& k : kPickKinds)
        if (k.ImportType == type)
            return QLatin1String(k.ObjectID);
    return QString();
}

TMRPMainSourceDlg::TMRPMainSourceDlg(int schemeIID, QWidget* parent) : TDialog(parent)
{
    setObjectName(QStringLiteral("TMRPMainSourceDlg"));
    setWindowTitle(QStringLiteral("获取主需求"));
    rbtBills = new QRadioButton(QStringLiteral("从业务数据选取(&1):"), this);
    cboBills = new QComboBox(this);
    cboBills->setObjectName(QStringLiteral("cboBills"));
    for (const auto& k : kPickKinds)
        if (!k.Optional || EnumHasValue(QStringLiteral("MrpBillType"), k.BillType))
            cboBills->addItem(EnumText(QStringLiteral("MrpBillType"), k.BillType), int(k.ImportType));
    chkShowFilter = new QCheckBox(QStringLiteral("选单前显示筛选条件(&H)"), this);
    rbtImport = new QRadioButton(QStringLiteral("外部数据源导入(&2):"), this);
    cboImport = new QComboBox(this);
    cboImport->setObjectName(QStringLiteral("cboImport"));
    cboImport->addItem(Captions({btSO, btSI, btForcast}), int(itImportSOorForcast));
    cboImport->addItem(Captions({btMO, btMR, btOO, btOR}), int(itImportMOorOO));
    cboImport->addItem(Captions({btFreeNeed}), int(itImportFreeNeed));
    rbtMrp = new QRadioButton(QStringLiteral("从其他计划导入(&3):"), this);
    cboMrpType = new QComboBox(this);
    cboMrpType->setObjectName(QStringLiteral("cboMrpType"));
    cboMrpType->addItem(QStringLiteral("主需求"), int(itMRPMain));
    cboMrpType->addItem(QStringLiteral("供应计划"), int(itMRPSupplies));
    cboScheme = new QComboBox(this);
    cboScheme->setObjectName(QStringLiteral("cboScheme"));
    cboScheme->setMinimumWidth(320);
    cboWriteType = new QComboBox(this);
    cboWriteType->setObjectName(QStringLiteral("cboWriteType"));
    cboWriteType->addItem(QStringLiteral("同需求行覆盖, 否则追加"), int(wtInsertOrUpdate));
    cboWriteType->addItem(QStringLiteral("完全覆盖, 全清已有数据"), int(wtOverwriteAll));
    chkSynPeriods = new QCheckBox(QStringLiteral("同时导入来源计划的展望期间设置(&T)"), this);

    auto* grid = new QGridLayout;
    grid->addWidget(rbtBills, 0, 0);
    grid->addWidget(cboBills, 0, 1);
    grid->addWidget(chkShowFilter, 1, 1);
    grid->addWidget(rbtImport, 2, 0);
    grid->addWidget(cboImport, 2, 1);
    grid->addWidget(rbtMrp, 3, 0);
    grid->addWidget(cboMrpType, 3, 1);
    grid->addWidget(cboScheme, 4, 1);
    grid->addWidget(chkSynPeriods, 5, 1);
    auto* lblWriteType = new QLabel(QStringLiteral("已有数据覆盖方式(&W):"), this);
    lblWriteType->setBuddy(cboWriteType);
    grid->addWidget(lblWriteType, 6, 0);
    grid->addWidget(cboWriteType, 6, 1);
    ContentLayout()->addLayout(grid);
    for (QRadioButton* b : {rbtBills, rbtImport, rbtMrp})
        connect(b, &QRadioButton::toggled, this, &TMRPMainSourceDlg::UpdateControls);
    connect(cboMrpType, &QComboBox::currentIndexChanged, this, &TMRPMainSourceDlg::UpdateControls);
    LoadSchemes(schemeIID);
    rbtBills->setChecked(true);
    UpdateControls();
}

void TMRPMainSourceDlg::LoadSchemes(int schemeIID)
{
    try {
        for (const TSchemeListItem& item : ReadSourceSchemes(SharedConnection(), schemeIID))
            cboScheme->addItem(item.Caption, item.IID);
    } catch (const EKxError& e) {
        ShowException(e);
    }
}

void TMRPMainSourceDlg::UpdateControls()
{
    cboBills->setEnabled(rbtBills->isChecked());
    chkShowFilter->setEnabled(rbtBills->isChecked());
    cboImport->setEnabled(rbtImport->isChecked());
    cboMrpType->setEnabled(rbtMrp->isChecked());
    cboScheme->setEnabled(rbtMrp->isChecked());
    // Periods come along only with a copy of the other scheme's main demand.
    chkSynPeriods->setEnabled(rbtMrp->isChecked() && cboMrpType->currentData().toInt() == itMRPMain);
}

TMRPMainImportType TMRPMainSourceDlg::ImportType() const
{
    const QComboBox* box = rbtBills->isChecked() ? cboBills : rbtImport->isChecked() ? cboImport : cboMrpType;
    return TMRPMainImportType(box->currentData().toInt());
}

TMPSOverwriteType TMRPMainSourceDlg::WriteType() const
{
    return TMPSOverwriteType(cboWriteType->currentData().toInt());
}

bool TMRPMainSourceDlg::ShowFilter() const
{
    return chkShowFilter->isChecked();
}

bool TMRPMainSourceDlg::SynPeriods() const
{
    return chkSynPeriods->isChecked() && chkSynPeriods->isEnabled();
}

int TMRPMainSourceDlg::SourceSchemeIID() const
{
    return cboScheme->currentData().toInt();
}

QString TMRPMainSourceDlg::SourceSchemeName() const
{
    return cboScheme->currentText();
}

void TMRPMainSourceDlg::SelectImportType(TMRPMainImportType type)
{
    for (QComboBox* box : {cboBills, cboImport, cboMrpType}) {
        const int i = box->findData(int(type));
        if (i < 0)
            continue;
        box->setCurrentIndex(i);
        (box == cboBills ? rbtBills : box == cboImport ? rbtImport : rbtMrp)->setChecked(true);
    }
}

void TMRPMainSourceDlg::LoadChoices()
{
    QString text;
    ReadSetting(kSettingClass, kSettingKey, text, false);
    auto value = [&text](const char* name) { return GetParamValue(text, QLatin1String(name)); };
    if (!value("[SrcImportType]").isEmpty())
        SelectImportType(TMRPMainImportType(value("[SrcImportType]").toInt()));
    if (!value("[SrcWriteType]").isEmpty())
        SelectData(cboWriteType, value("[SrcWriteType]").toInt());
    chkShowFilter->setChecked(value("[SrcShowFilter]") == QLatin1String("1"));
    chkSynPeriods->setChecked(value("[SrcSynPeriods]") == QLatin1String("1"));
    UpdateControls();
}

void TMRPMainSourceDlg::StoreChoices() const
{
    QString text;
    text = SetParamValue(text, QStringLiteral("[SrcImportType]"), QString::number(int(ImportType())));
    text = SetParamValue(text, QStringLiteral("[SrcWriteType]"), QString::number(int(WriteType())));
    text = SetParamValue(text, QStringLiteral("[SrcShowFilter]"), chkShowFilter->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    text = SetParamValue(text, QStringLiteral("[SrcSynPeriods]"), chkSynPeriods->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    WriteSetting(kSettingClass, kSettingKey, false, text);
}

bool TMRPMainSourceDlg::CanClose()
{
    const TMRPMainImportType type = ImportType();
    if ((type == itMRPMain || type == itMRPSupplies) && SourceSchemeIID() <= 0) {
        ShowWarning(FieldCheckText(fcEmpty, QStringLiteral("计划方案")));
        cboScheme->setFocus();
        return false;
    }
    StoreChoices();
    return true;
}

} // namespace kx
