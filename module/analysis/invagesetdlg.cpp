#include "analysis/invagesetdlg.h"

#include "db/dataset.h"
#include "db/messages.h"
#include "db/shared.h"
#include "db/sqlrun.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

namespace kx {

namespace {

constexpr int kRoleStockID = Qt::UserRole + 1;
constexpr int kColDays = 0;
constexpr int kColName = 1;

QTableWidgetItem* ReadOnlyItem(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    item->setBackground(QColor(236, 236, 236));
    return item;
}

} // namespace

TInvAgeSetDlg::TInvAgeSetDlg(const TInfoObjectDef* viewDef, const TInvAgeSettings& settings, const QDate& today, QWidget* parent)
    : TDialog(parent), FToday(today), FCriteria(settings.Criteria), FCriteriaCode(settings.CriteriaCode)
{
    setWindowTitle(QStringLiteral("物料库龄分析"));
    setObjectName(QStringLiteral("InvAgeSetDlg"));
    resize(640, 560);

    // Stock of which day.
    auto* stockBox = new QGroupBox(QStringLiteral(" 库存 "), this);
    rbStockNow = new QRadioButton(QStringLiteral("即时库存(&N)"), stockBox);
    rbStockDate = new QRadioButton(QStringLiteral("截止日期库存(&D):"), stockBox);
    edtInvDate = new QDateEdit(stockBox);
    edtInvDate->setObjectName(QStringLiteral("edtInvDate"));
    edtInvDate->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    edtInvDate->setCalendarPopup(true);
    edtInvDate->setDate(settings.InvDate.isValid() ? settings.InvDate : today.addDays(-1));
    (settings.StockNow ? rbStockNow : rbStockDate)->setChecked(true);
    edtInvDate->setEnabled(!settings.StockNow);
    connect(rbStockDate, &QRadioButton::toggled, edtInvDate, &QWidget::setEnabled);
    auto* stockRow = new QHBoxLayout(stockBox);
    stockRow->addWidget(rbStockNow);
    stockRow->addSpacing(16);
    stockRow->addWidget(rbStockDate);
    stockRow->addWidget(edtInvDate);
    stockRow->addStretch(1);
    ContentLayout()->addWidget(stockBox);

    auto* middle = new QHBoxLayout;
    ContentLayout()->addLayout(middle, 1);

    // Warehouses.
    auto* stocksBox = new QGroupBox(QStringLiteral(" 参与仓库 "), this);
    chkAllStocks = new QCheckBox(QStringLiteral("全部仓库(&A)"), stocksBox);
    lstStocks = new QListWidget(stocksBox);
    lstStocks->setObjectName(QStringLiteral("lstStocks"));
    auto* stocksLayout = new QVBoxLayout(stocksBox);
    stocksLayout->addWidget(chkAllStocks);
    stocksLayout->addWidget(lstStocks, 1);
    chkAllStocks->setChecked(settings.AllStocks);
    lstStocks->setEnabled(!settings.AllStocks);
    connect(chkAllStocks, &QCheckBox::toggled, lstStocks, [this](bool all) { lstStocks->setEnabled(!all); });
    middle->addWidget(stocksBox, 1);
    LoadStocks(settings.Stocks);

    // Age groups.
    auto* groupsBox = new QGroupBox(QStringLiteral(" 库龄分组(&G) "), this);
    grdAgeGroups = new QTableWidget(0, 2, groupsBox);
    grdAgeGroups->setObjectName(QStringLiteral("grdAgeGroups"));
    grdAgeGroups->setHorizontalHeaderLabels({QStringLiteral("区间天数"), QStringLiteral("库龄分组")});
    grdAgeGroups->horizontalHeader()->setStretchLastSection(true);
    grdAgeGroups->verticalHeader()->setDefaultSectionSize(22);
    grdAgeGroups->setColumnWidth(kColDays, 80);
    btnInsertGroup = new QPushButton(QStringLiteral("插入(&I)"), groupsBox);
    btnRemoveGroup = new QPushButton(QStringLiteral("移除(&R)"), groupsBox);
    auto* groupButtons = new QHBoxLayout;
    groupButtons->addWidget(btnInsertGroup);
    groupButtons->addWidget(btnRemoveGroup);
    groupButtons->addStretch(1);
    auto* groupsLayout = new QVBoxLayout(groupsBox);
    groupsLayout->addWidget(grdAgeGroups, 1);
    groupsLayout->addLayout(groupButtons);
    middle->addWidget(groupsBox, 1);
    SetIntervals(settings.Intervals);
    connect(grdAgeGroups, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (!FRelabeling && item->column() == kColDays)
            RelabelGroups();
    });
    connect(btnInsertGroup, &QPushButton::clicked, this, [this] {
        QList<int> intervals = Settings().Intervals;
        const int row = grdAgeGroups->currentRow();
        const int at = row >= 0 && row < intervals.size() ? row + 1 : int(intervals.size());
        intervals.insert(at, 30);
        SetIntervals(intervals);
        grdAgeGroups->setCurrentCell(at, kColDays);
    });
    connect(btnRemoveGroup, &QPushButton::clicked, this, [this] {
        QList<int> intervals = Settings().Intervals;
        const int row = grdAgeGroups->currentRow();
        if (row < 0 || row >= intervals.size())
            return;
        intervals.removeAt(row);
        SetIntervals(intervals);
    });

    // Statistic, reference scheme, merging, data condition.
    auto* form = new QFormLayout;
    cboAgeType = new QComboBox(this);
    cboAgeType->setObjectName(QStringLiteral("cboAgeType"));
    cboAgeType->addItems({QStringLiteral("加权平均库龄"), QStringLiteral("最大库龄"), QStringLiteral("最小库龄")});
    cboAgeType->setCurrentIndex(qBound(0, settings.AgeType, 2));
    form->addRow(QStringLiteral("库龄统计(&T):"), cboAgeType);
    cboPlanScheme = new QComboBox(this);
    cboPlanScheme->setObjectName(QStringLiteral("cboPlanScheme"));
    LoadSchemes(settings.PlanScheme, settings.PlanSchemeText);
    form->addRow(QStringLiteral("参考计划方案(&P):"), cboPlanScheme);

    auto* merge = new QHBoxLayout;
    auto mergeBox = [&](const char* field, const QString& caption, bool on) {
        auto* box = new QCheckBox(caption, this);
        box->setChecked(on);
        box->setVisible(viewDef && viewDef->GetFieldDef(QLatin1String(field)));
        merge->addWidget(box);
        return box;
    };
    chkMergeBatch = mergeBox("AgeBatch", QStringLiteral("批号"), settings.MergeBatch);
    chkMergeStock = mergeBox("StkName", QStringLiteral("仓库"), settings.MergeStock);
    chkMergePlace = mergeBox("StpName", QStringLiteral("仓位"), settings.MergePlace);
    chkMergeTrack = mergeBox("AgeGroupNo", QStringLiteral("MRP分组"), settings.MergeTrack);
    merge->addStretch(1);
    form->addRow(QStringLiteral("合并项目:"), merge);

    auto* criteria = new QHBoxLayout;
    edtCriteria = new QLineEdit(settings.Criteria, this);
    edtCriteria->setObjectName(QStringLiteral("edtCriteria"));
    edtCriteria->setReadOnly(true);
    edtCriteria->setPlaceholderText(QStringLiteral("(全部库存)"));
    btnCriteria = new QPushButton(QStringLiteral("条件(&L)..."), this);
    criteria->addWidget(edtCriteria, 1);
    criteria->addWidget(btnCriteria);
    form->addRow(QStringLiteral("数据条件(&C):"), criteria);
    connect(btnCriteria, &QPushButton::clicked, this, &TInvAgeSetDlg::btnCriteriaClick);
    ContentLayout()->addLayout(form);
}

void TInvAgeSetDlg::LoadStocks(const QStringList& chosen)
{
    TQuery q(&SharedConnection());
    if (!RunSQL(q, InvAgeStocksSQL(), true))
        return;
    for (q.First(); !q.Eof(); q.Next()) {
        const QString id = q.FieldByName(QStringLiteral("StkID")).AsString();
        auto* item = new QListWidgetItem(q.FieldByName(QStringLiteral("StkNo")).AsString() + QStringLiteral(" - ")
                                             + q.FieldByName(QStringLiteral("StkName")).AsString(),
                                         lstStocks);
        item->setData(kRoleStockID, id);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(chosen.contains(id) ? Qt::Checked : Qt::Unchecked);
    }
}

void TInvAgeSetDlg::LoadSchemes(int chosen, const QString& chosenText)
{
    cboPlanScheme->addItem(QStringLiteral("(无)"), 0);
    TQuery q(&SharedConnection());
    if (RunSQL(q, InvAgeSchemesSQL(EnvUserID(), EnvText(Env() ? Env()->UserGroups : nullptr)), true)) {
        for (q.First(); !q.Eof(); q.Next()) {
            const QDateTime run = q.FieldByName(QStringLiteral("SchMrpRunTime")).AsDateTime();
            cboPlanScheme->addItem(QStringLiteral("%1 (%2, %3)")
                                       .arg(q.FieldByName(QStringLiteral("SchName")).AsString(),
                                            run.isValid() ? run.toString(QStringLiteral("yyyy/MM/dd hh:mm")) : QString(),
                                            q.FieldByName(QStringLiteral("UsrName")).AsString()),
                                   q.FieldByName(QStringLiteral("SchIID")).AsInteger());
        }
    }
    int index = cboPlanScheme->findData(chosen);
    if (index < 0 && chosen > 0) {
        cboPlanScheme->addItem(chosenText, chosen);
        index = cboPlanScheme->count() - 1;
    }
    cboPlanScheme->setCurrentIndex(std::max(0, index));
}

void TInvAgeSetDlg::SetIntervals(const QList<int>& intervals)
{
    FRelabeling = true;
    grdAgeGroups->setRowCount(0);
    const QList<TAgeGroup> groups = MakeAgeGroups(intervals);
    grdAgeGroups->setRowCount(int(groups.size()));
    for (int row = 0; row < groups.size(); ++row) {
        const bool open = row == intervals.size();
        grdAgeGroups->setItem(row, kColDays, open ? ReadOnlyItem(QString()) : new QTableWidgetItem(QString::number(intervals[row])));
        grdAgeGroups->setItem(row, kColName, ReadOnlyItem(groups[row].Name));
    }
    FRelabeling = false;
}

void TInvAgeSetDlg::RelabelGroups()
{
    const QList<TAgeGroup> groups = MakeAgeGroups(Settings().Intervals);
    FRelabeling = true;
    for (int row = 0; row < groups.size() && row < grdAgeGroups->rowCount(); ++row)
        if (QTableWidgetItem* name = grdAgeGroups->item(row, kColName))
            name->setText(groups[row].Name);
    FRelabeling = false;
}

QStringList TInvAgeSetDlg::OfferedStocks() const
{
    QStringList ids;
    for (int i = 0; i < lstStocks->count(); ++i)
        ids << lstStocks->item(i)->data(kRoleStockID).toString();
    return ids;
}

TInvAgeSettings TInvAgeSetDlg::Settings() const
{
    TInvAgeSettings s;
    s.StockNow = rbStockNow->isChecked();
    s.InvDate = edtInvDate->date();
    s.AllStocks = chkAllStocks->isChecked();
    for (int i = 0; i < lstStocks->count(); ++i)
        if (lstStocks->item(i)->checkState() == Qt::Checked)
            s.Stocks << lstStocks->item(i)->data(kRoleStockID).toString();
    // Every row but the open group's last one holds an interval.
    for (int row = 0; row + 1 < grdAgeGroups->rowCount(); ++row) {
        const QTableWidgetItem* days = grdAgeGroups->item(row, kColDays);
        s.Intervals << (days ? days->text().trimmed().toInt() : 0);
    }
    s.AgeType = cboAgeType->currentIndex();
    s.PlanScheme = cboPlanScheme->currentData().toInt();
    s.PlanSchemeText = cboPlanScheme->currentText();
    s.MergeBatch = chkMergeBatch->isChecked();
    s.MergeStock = chkMergeStock->isChecked();
    s.MergePlace = chkMergePlace->isChecked();
    s.MergeTrack = chkMergeTrack->isChecked();
    s.Criteria = FCriteria;
    s.CriteriaCode = FCriteriaCode;
    return s;
}

void TInvAgeSetDlg::btnCriteriaClick()
{
    if (!Env() || !Env()->GetObjectDef || !Env()->SelectFilter)
        return;
    const TInfoObjectDef* def = Env()->GetObjectDef(QStringLiteral("KX_MRP.InvFilter"));
    if (!def) {
        ShowError(QStringLiteral("访问信息对象\"%1\"受到限制!").arg(QStringLiteral("KX_MRP.InvFilter")));
        return;
    }
    QString code = FCriteriaCode, text;
    if (!Env()->SelectFilter(def, code, false, text, nullptr))
        return;
    FCriteriaCode = code;
    FCriteria = text;
    edtCriteria->setText(text);
}

bool TInvAgeSetDlg::CanClose()
{
    TQuery q(&SharedConnection());
    QString refusal;
    try {
        refusal = CheckInvAgeSettings(q, Settings(), FToday);
    } catch (const std::exception& e) {
        ShowException(e);
        return false;
    }
    if (refusal.isEmpty())
        return true;
    ShowWarning(refusal);
    if (refusal.startsWith(QStringLiteral("请选择")))
        lstStocks->setFocus();
    else if (refusal.startsWith(QLatin1Char('[')) || refusal.startsWith(QStringLiteral("库龄分组")))
        grdAgeGroups->setFocus();
    return false;
}

} // namespace kx
