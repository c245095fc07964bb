#include "release/outputsetdlg.h"

#include "db/messages.h"
#include "db/quote.h"
#include "db/settings.h"
#include "db/shared.h"
#include "db/sqlrun.h"
#include "engine/planscheme.h"
#include "release/outputlist.h"
#include "views/pickedit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>
#include <QTabWidget>

namespace kx {

namespace {

const char* const kSplitCaptions[3] = {"分单依据一:", "分单依据二:", "分单依据三:"};
const char* const kSortCaptions[3] = {"分录排序一:", "分录排序二:", "分录排序三:"};

QString LabelCaption(const QString& label)
{
    return QString(label).remove(QStringLiteral("(&E)")).remove(QStringLiteral("(&D)")).remove(QLatin1Char(':'));
}

void SetupPicker(TPickEdit* edit, const QString& caption, const QString& source)
{
    TInfoFieldDef field;
    field.Name = caption;
    field.ValueType = vtLookup;
    field.ValueSource = source;
    edit->Properties.SetupForField(field);
}

QString NameOf(const QString& sql, const QString& id)
{
    if (id.isEmpty())
        return QString();
    TQuery q(&SharedConnection());
    if (!RunSQL(q, sql.arg(QuotedStr(id)), true) || q.IsEmpty())
        return QString();
    return q.Fields(0).AsString();
}

// An empty entry and then the fields a destination offers, each carrying its code.
void FillFields(QComboBox* combo, int destType)
{
    combo->addItem(QString(), 0);
    for (int field : OutputFieldsOffered(destType))
        combo->addItem(OutputFieldCaption(field), field);
}

void SelectField(QComboBox* combo, int field)
{
    const int index = combo->findData(field);
    combo->setCurrentIndex(index < 0 ? 0 : index);
}

// Clearing a list entry clears and disables the entries after it.
void ChainFields(QComboBox* (&combos)[3])
{
    for (int i = 0; i < 2; ++i) {
        QComboBox* next = combos[i + 1];
        QComboBox* self = combos[i];
        QObject::connect(self, &QComboBox::currentIndexChanged, next, [self, next] {
            const bool empty = self->currentData().toInt() == 0;
            if (empty)
                next->setCurrentIndex(0);
            next->setEnabled(!empty && self->isEnabled());
        });
    }
}

} // namespace

TMRPOutputSetDlg::TMRPOutputSetDlg(QWidget* parent) : TDialog(parent)
{
    setWindowTitle(QStringLiteral("投放选项"));
    pgcOptions = new QTabWidget(this);
    pgcOptions->setObjectName(QStringLiteral("pgcOptions"));
    ContentLayout()->addWidget(pgcOptions);
    const int types[3] = {btMO, OutsourcingDestType(), btPR};
    const char* const keys[3] = {"(&1)", "(&2)", "(&3)"};
    for (int i = 0; i < 3; ++i) {
        TPage& page = FPages[i];
        page.DestType = types[i];
        page.Options = LoadOutputOptions(types[i]);
        BuildPage(page);
        pgcOptions->addTab(page.Page, MrpBillTypeText(types[i]) + QLatin1String(keys[i]));
        ShowPage(page);
    }
    connect(pgcOptions, &QTabWidget::currentChanged, this, &TMRPOutputSetDlg::pgcOptionsChanging);
}

void TMRPOutputSetDlg::BuildPage(TPage& p)
{
    p.Page = new QWidget(pgcOptions);
    p.Page->setObjectName(QStringLiteral("tab%1").arg(p.DestType));
    auto* grid = new QGridLayout(p.Page);
    p.cboMergeTrack = new QComboBox(p.Page);
    p.cboMergeTrack->addItem(QStringLiteral("(保持MRP运算结果跟踪)"));
    for (const TEnumItem& item : GetEnumList(QStringLiteral("MrpTrackType")))
        p.cboMergeTrack->addItem(item.Name);
    p.chkMergePeriods = new QCheckBox(QStringLiteral("合并各展望期数量"), p.Page);
    p.edtBillMaxRows = new QSpinBox(p.Page);
    p.edtBillMaxRows->setRange(1, 1000);
    p.edtBillMaxRows->setSingleStep(10);
    int row = 0;
    grid->addWidget(new QLabel(QStringLiteral("跟踪合并:"), p.Page), row, 0);
    grid->addWidget(p.cboMergeTrack, row, 1, 1, 3);
    grid->addWidget(p.chkMergePeriods, ++row, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("最大分录数:"), p.Page), ++row, 0);
    grid->addWidget(p.edtBillMaxRows, row, 1);
    ++row;
    for (int i = 0; i < 3; ++i) {
        p.cboSplitBy[i] = new QComboBox(p.Page);
        p.cboSplitBy[i]->setObjectName(QStringLiteral("cboSplitBy%1").arg(i + 1));
        FillFields(p.cboSplitBy[i], p.DestType);
        p.cboSortBy[i] = new QComboBox(p.Page);
        p.cboSortBy[i]->setObjectName(QStringLiteral("cboSortBy%1").arg(i + 1));
        FillFields(p.cboSortBy[i], p.DestType);
        grid->addWidget(new QLabel(QString::fromUtf8(kSplitCaptions[i]), p.Page), row + i, 0);
        grid->addWidget(p.cboSplitBy[i], row + i, 1);
        grid->addWidget(new QLabel(QString::fromUtf8(kSortCaptions[i]), p.Page), row + i, 2);
        grid->addWidget(p.cboSortBy[i], row + i, 3);
    }
    ChainFields(p.cboSplitBy);
    ChainFields(p.cboSortBy);
    row += 3;
    p.cboItemSubs = new QComboBox(p.Page);
    for (const TEnumItem& item : GetEnumList(QStringLiteral("MrpOutputItemSubs")))
        p.cboItemSubs->addItem(item.Name, item.ID);
    p.chkOutPBoms = new QCheckBox(QStringLiteral("投放用料"), p.Page);
    p.chkOutPBoms->setObjectName(QStringLiteral("chkOutPBoms"));
    p.chkLotRule = new QCheckBox(QStringLiteral("强制批量规则"), p.Page);
    auto* lblItemSubs = new QLabel(QStringLiteral("替代料展开:"), p.Page);
    grid->addWidget(p.chkOutPBoms, row, 1);
    grid->addWidget(p.chkLotRule, row, 3);
    grid->addWidget(lblItemSubs, ++row, 0);
    grid->addWidget(p.cboItemSubs, row, 1, 1, 3);
    const bool material = OutputHasMaterial(p.DestType);
    for (QWidget* w : std::initializer_list<QWidget*>{p.chkOutPBoms, p.chkLotRule, p.cboItemSubs, lblItemSubs})
        w->setVisible(material);
    connect(p.chkOutPBoms, &QCheckBox::toggled, p.cboItemSubs, &QWidget::setEnabled);

    p.edtDepartment = new TPickEdit(p.Page);
    p.edtDepartment->setObjectName(QStringLiteral("edtDepartment"));
    SetupPicker(p.edtDepartment, QStringLiteral("部门"),
                QStringLiteral("[名称]^[代码]|代码|select DeptNo as \"代码\", DeptName as \"名称\" from KX_Base_Department "
                               "where DeptDisabled=0"));
    p.edtEmployee = new TPickEdit(p.Page);
    p.edtEmployee->setObjectName(QStringLiteral("edtEmployee"));
    SetupPicker(p.edtEmployee, LabelCaption(OutputEmployeeLabel(p.DestType)),
                QStringLiteral("[名称]^[代码]|代码|select EmpNo as \"代码\", EmpName as \"名称\" from KX_Base_Employee where EmpDisabled=0"));
    auto* lblDepartment = new QLabel(QStringLiteral("部门(&D):"), p.Page);
    lblDepartment->setBuddy(p.edtDepartment);
    auto* lblEmployee = new QLabel(OutputEmployeeLabel(p.DestType), p.Page);
    lblEmployee->setBuddy(p.edtEmployee);
    grid->addWidget(lblDepartment, ++row, 0);
    grid->addWidget(p.edtDepartment, row, 1, 1, 3);
    grid->addWidget(lblEmployee, ++row, 0);
    grid->addWidget(p.edtEmployee, row, 1, 1, 3);
    lblEmployee->setVisible(OutputHasEmployee(p.DestType));
    p.edtEmployee->setVisible(OutputHasEmployee(p.DestType));
    grid->setRowStretch(row + 1, 1);
}

void TMRPOutputSetDlg::ShowPage(TPage& p)
{
    const TMRPOutputOptions& o = p.Options;
    p.cboMergeTrack->setCurrentIndex(qBound(0, o.MergeTrack, p.cboMergeTrack->count() - 1));
    p.chkMergePeriods->setChecked(o.MergePeriods);
    p.edtBillMaxRows->setValue(o.MaxRows);
    for (int i = 0; i < 3; ++i) {
        SelectField(p.cboSplitBy[i], o.SplitBy[i]);
        SelectField(p.cboSortBy[i], o.SortBy[i]);
    }
    p.cboItemSubs->setCurrentIndex(qMax(0, p.cboItemSubs->findData(o.ItemSubs)));
    p.chkOutPBoms->setChecked(o.OutPBoms);
    p.cboItemSubs->setEnabled(o.OutPBoms);
    p.chkLotRule->setChecked(o.LotRule);
    p.edtDepartment->setText(NameOf(QStringLiteral("select DeptName from KX_Base_Department where DeptID=%1"), o.DepartmentID));
    p.edtEmployee->setText(NameOf(QStringLiteral("select EmpName from KX_Base_Employee where EmpID=%1"), o.EmployeeID));
}

bool TMRPOutputSetDlg::StorePage(TPage& p)
{
    TMRPOutputOptions o = p.Options;
    o.MergeTrack = p.cboMergeTrack->currentIndex();
    o.MergePeriods = p.chkMergePeriods->isChecked();
    o.MaxRows = p.edtBillMaxRows->value();
    for (int i = 0; i < 3; ++i) {
        o.SplitBy[i] = p.cboSplitBy[i]->currentData().toInt();
        o.SortBy[i] = p.cboSortBy[i]->currentData().toInt();
    }
    o.ItemSubs = p.cboItemSubs->currentData().toInt();
    o.OutPBoms = p.chkOutPBoms->isChecked();
    o.LotRule = p.chkLotRule->isChecked();
    auto refuse = [&](const QString& text, QWidget* focus) {
        pgcOptions->setCurrentWidget(p.Page);
        ShowWarning(text);
        focus->setFocus();
        return false;
    };
    if (const QString fault = CheckOutputFields(o); !fault.isEmpty())
        return refuse(fault, p.cboSplitBy[0]);
    const QString dept = p.edtDepartment->text().trimmed();
    if (dept.isEmpty())
        return refuse(FieldCheckText(fcEmpty, QStringLiteral("部门")), p.edtDepartment);
    o.DepartmentID = FindOutputDepartment(SharedConnection(), dept);
    if (o.DepartmentID.isEmpty())
        return refuse(FieldCheckText(fcInvalid, QStringLiteral("部门"), dept), p.edtDepartment);
    if (OutputHasEmployee(p.DestType)) {
        const QString caption = LabelCaption(OutputEmployeeLabel(p.DestType));
        const QString emp = p.edtEmployee->text().trimmed();
        if (emp.isEmpty())
            return refuse(FieldCheckText(fcEmpty, caption), p.edtEmployee);
        o.EmployeeID = FindOutputEmployee(SharedConnection(), emp);
        if (o.EmployeeID.isEmpty())
            return refuse(FieldCheckText(fcInvalid, caption, emp), p.edtEmployee);
    } else {
        o.EmployeeID.clear();
    }
    p.Options = o;
    return true;
}

void TMRPOutputSetDlg::pgcOptionsChanging(int index)
{
    if (FSwitching)
        return;
    // A tab with a fault keeps the focus.
    FSwitching = true;
    const int leaving = FCurrentTab;
    if (!StorePage(FPages[leaving]))
        pgcOptions->setCurrentIndex(leaving);
    else
        FCurrentTab = index;
    FSwitching = false;
}

void TMRPOutputSetDlg::ShowDestType(int destType)
{
    for (int i = 0; i < 3; ++i)
        if (FPages[i].DestType == destType || DestGroupOf(FPages[i].DestType) == DestGroupOf(destType)) {
            FSwitching = true;
            pgcOptions->setCurrentIndex(i);
            FCurrentTab = i;
            FSwitching = false;
        }
}

bool TMRPOutputSetDlg::CanClose()
{
    for (TPage& page : FPages)
        if (!StorePage(page))
            return false;
    for (const TPage& page : FPages)
        SaveOutputOptions(page.DestType, page.Options);
    return true;
}

bool ShowOutputOptionsDialog(QWidget* parent, int destType)
{
    TMRPOutputSetDlg dialog(parent);
    if (destType != 0)
        dialog.ShowDestType(destType);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace kx
