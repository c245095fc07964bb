#include "analysis/mrpminisetdlg.h"

#include "db/dataset.h"
#include "db/messages.h"
#include "db/settings.h"
#include "db/shared.h"
#include "views/mrpfilters.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QRadioButton>
#include <QTableWidget>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kx {

namespace {

QString Qty(double v)
{
    return QString::number(v, 'f', 8).remove(QRegularExpression(QStringLiteral("\\.?0+$")));
}

QString Day(const QDate& d)
{
    return d.isValid() ? d.toString(QStringLiteral("yyyy/MM/dd")) : QString();
}

// Fills a grid with the texts of lines: numbers right-aligned, columns as wide as their texts
// up to a limit.
void FillGrid(QTableWidget* grid, const QList<TMiniLine>& lines, const std::function<QStringList(const TMiniLine&)>& texts)
{
    grid->setRowCount(0);
    grid->setRowCount(int(lines.size()));
    for (int r = 0; r < lines.size(); ++r) {
        const QStringList cells = texts(lines[r]);
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            bool number = false;
            cells[c].toDouble(&number);
            if (number && c > 0)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grid->setItem(r, c, item);
        }
    }
    grid->resizeColumnsToContents();
    for (int c = 0; c < grid->columnCount(); ++c)
        grid->setColumnWidth(c, qBound(56, grid->columnWidth(c) + 8, 220));
}

QTableWidget* MakeGrid(QWidget* parent, const QStringList& captions)
{
    auto* grid = new QTableWidget(0, int(captions.size()), parent);
    grid->setHorizontalHeaderLabels(captions);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->setDefaultSectionSize(22);
    grid->horizontalHeader()->setDefaultSectionSize(84);
    return grid;
}

// The open lines of a bill object; the user checks the ones to take.
class TMiniLinePickDlg : public TDialog {
public:
    TMiniLinePickDlg(const QString& caption, const QStringList& captions, const QList<TMiniLine>& lines,
                     const std::function<QStringList(const TMiniLine&)>& texts, QWidget* parent)
        : TDialog(parent), FLines(lines)
    {
        setWindowTitle(caption);
        resize(900, 480);
        grdPick = MakeGrid(this, captions);
        grdPick->setObjectName(QStringLiteral("grdPick"));
        FillGrid(grdPick, lines, texts);
        for (int r = 0; r < grdPick->rowCount(); ++r) {
            QTableWidgetItem* first = grdPick->item(r, 0);
            first->setFlags(first->flags() | Qt::ItemIsUserCheckable);
            first->setCheckState(Qt::Unchecked);
        }
        ContentLayout()->addWidget(new QLabel(lines.isEmpty() ? QStringLiteral("没有可选的单据行。") : QStringLiteral("勾选要加入的单据行:"), this));
        ContentLayout()->addWidget(grdPick, 1);
    }

    QList<TMiniLine> Picked() const
    {
        QList<TMiniLine> picked;
        for (int r = 0; r < grdPick->rowCount(); ++r)
            if (grdPick->item(r, 0)->checkState() == Qt::Checked || grdPick->item(r, 0)->isSelected())
                picked << FLines[r];
        return picked;
    }

    QTableWidget* grdPick;

private:
    QList<TMiniLine> FLines;
};

} // namespace

TMiniSetDlgBase::TMiniSetDlgBase(TMiniKind kind, const TInfoObjectDef* objectDef, TViewScheme* scheme, const QList<TMiniLine>& lines,
                                 const QDate& today, QWidget* parent)
    : TViewSettingDlg(objectDef, scheme, parent), FKind(kind), FToday(today), FLines(lines)
{
    setWindowTitle(MiniCaption(kind));
    resize(980, 560);
    pgcPages = new QTabWidget(this);
    pgcPages->setObjectName(QStringLiteral("pgcPages"));
    FLinesPage = new QWidget(pgcPages);
    pgcPages->addTab(FLinesPage, kind == mkKit ? QStringLiteral(" 配套需求(&1) ") : QStringLiteral(" 投料需求(&1) "));
    btnRemove = new QPushButton(QStringLiteral("移除(&R)"), FLinesPage);
    btnRemoveAll = new QPushButton(QStringLiteral(" 全部移除(&C)"), FLinesPage);
    for (QPushButton* b : {btnRemove, btnRemoveAll})
        b->setAutoDefault(false);
    connect(btnRemove, &QPushButton::clicked, this, [this] {
        QList<int> rows;
        for (const QModelIndex& i : grdLines->selectionModel()->selectedRows())
            rows << i.row();
        std::sort(rows.rbegin(), rows.rend());
        for (int r : rows)
            FLines.removeAt(r);
        RefreshGrid();
    });
    connect(btnRemoveAll, &QPushButton::clicked, this, [this] {
        FLines.clear();
        RefreshGrid();
    });

    // Page two: the run options.
    auto* options = new QWidget(pgcPages);
    pgcPages->addTab(options, QStringLiteral(" 参数(&2) "));
    auto* columns = new QHBoxLayout(options);
    auto* form = FOptionsForm = new QFormLayout;
    columns->addLayout(form, 3);
    cboTrackMode = new QComboBox(options);
    for (const TEnumItem& e : GetEnumList(QStringLiteral("MrpTrackType")))
        cboTrackMode->addItem(e.Name, e.ID);
    if (cboTrackMode->count() == 0)
        cboTrackMode->addItem(QStringLiteral("(不合并)"), 0);
    form->addRow(QStringLiteral("跟踪合并(&H):"), cboTrackMode);
    chkItemTrack = new QCheckBox(QStringLiteral("考虑物料的计划跟踪合并参数(&I)"), options);
    chkCareLoss = new QCheckBox(QStringLiteral("考虑BOM损耗率(&B)"), options);
    chkCareLot = new QCheckBox(QStringLiteral("考虑供应批量规则(&O)"), options);
    chkCareSafety = new QCheckBox(QStringLiteral("考虑安全库存(&S)"), options);
    chkOtherOut = new QCheckBox(QStringLiteral("考虑目标需求之外的预计出库量(&W)"), options);
    chkGrossOnly = new QCheckBox(QStringLiteral("主需求自身只计算毛需求(&A)"), options);
    auto* checks = new QGroupBox(QStringLiteral(" 选项: "), options);
    auto* checkLayout = new QVBoxLayout(checks);
    for (QCheckBox* c : {chkItemTrack, chkCareLoss, chkCareLot, chkCareSafety, chkOtherOut, chkGrossOnly})
        checkLayout->addWidget(c);
    form->addRow(checks);
    cboReplace = new QComboBox(options);
    cboReplace->addItems({QStringLiteral("(不考虑)"), QStringLiteral("即时库存"), QStringLiteral("即时库存+供应订单"),
                          QStringLiteral("即时库存+供应订单+供应申请")});
    form->addRow(QStringLiteral("物料替代(&R):"), cboReplace);
    cboSuites = new QComboBox(options);
    cboSuites->addItems({QStringLiteral("即时库存"), QStringLiteral("即时库存+采购在检"), QStringLiteral("即时库存+采购订单"),
                         QStringLiteral("即时库存+采购订单+采购申请")});
    form->addRow(QStringLiteral("齐套计算(&T):"), cboSuites);
    chkOneLevel = new QCheckBox(QStringLiteral("仅展开单级物料清单(&D)"), options);
    form->addRow(chkOneLevel);
    // What the run reads beside the demand lines, as the user restricts it.
    auto* scope = new QVBoxLayout;
    auto* scopeLabel = new QLabel(QStringLiteral("参与范围(&C):"), options);
    trlFilters = new TMRPFilterTree(TMRPFilterTree::SupplyObjectIDs(), options);
    scopeLabel->setBuddy(trlFilters->trlMRPFilters);
    scope->addWidget(scopeLabel);
    scope->addWidget(trlFilters, 1);
    columns->addLayout(scope, 2);
    lblScheme->setText(QStringLiteral("参数方案(&N):"));
    ContentLayout()->insertWidget(0, pgcPages, 1);
}

void TMiniSetDlgBase::RefreshGrid()
{
    FillGrid(grdLines, FLines, [this](const TMiniLine& l) { return LineTexts(l); });
}

void TMiniSetDlgBase::AddLines(const QList<TMiniLine>& lines)
{
    int priority = 0;
    for (const TMiniLine& l : FLines)
        priority = std::max(priority, l.Priority);
    for (TMiniLine l : lines) {
        l.Priority = ++priority;
        FLines << l;
    }
    RefreshGrid();
}

void TMiniSetDlgBase::PickLines(int billType, const QString& objectID, bool askFilter)
{
    QString where;
    if (askFilter && Env() && Env()->GetObjectDef && Env()->SelectFilter) {
        if (const TInfoObjectDef* def = Env()->GetObjectDef(objectID)) {
            QString code, text;
            if (!Env()->SelectFilter(def, code, false, text, nullptr))
                return;
            where = text;
        }
    }
    QList<TMiniLine> open;
    TQuery q(&SharedConnection());
    if (!ReadMiniLines(q, billType, where, open))
        return;
    TMiniLinePickDlg dlg(EnumText(QStringLiteral("MrpBillType"), billType), ColumnCaptions(), open,
                         [this](const TMiniLine& l) { return LineTexts(l); }, this);
    if (dlg.exec() == QDialog::Accepted)
        AddLines(dlg.Picked());
}

TMiniOptions TMiniSetDlgBase::Options() const
{
    TMiniOptions o;
    o.TrackMode = cboTrackMode->currentData().toInt();
    o.ItemTrack = chkItemTrack->isChecked();
    o.CareLoss = chkCareLoss->isChecked();
    o.CareLot = chkCareLot->isChecked();
    o.CareSafety = chkCareSafety->isChecked();
    o.OtherOut = chkOtherOut->isChecked();
    o.GrossOnly = chkGrossOnly->isChecked();
    o.Replace = cboReplace->currentIndex();
    o.Suites = cboSuites->currentIndex();
    o.OneLevel = chkOneLevel->isChecked();
    o.Filters = trlFilters->Filters();
    SavePageOptions(o);
    return o;
}

void TMiniSetDlgBase::LoadScheme()
{
    const TMiniOptions o = ReadMiniOptions(ViewScheme.Params);
    cboTrackMode->setCurrentIndex(std::max(0, cboTrackMode->findData(o.TrackMode)));
    chkItemTrack->setChecked(o.ItemTrack);
    chkCareLoss->setChecked(o.CareLoss);
    chkCareLot->setChecked(o.CareLot);
    chkCareSafety->setChecked(o.CareSafety);
    chkOtherOut->setChecked(o.OtherOut);
    chkGrossOnly->setChecked(o.GrossOnly);
    cboReplace->setCurrentIndex(o.Replace);
    cboSuites->setCurrentIndex(o.Suites);
    chkOneLevel->setChecked(o.OneLevel);
    trlFilters->SetFilters(o.Filters);
    LoadPageOptions(o);
}

bool TMiniSetDlgBase::SaveScheme()
{
    ViewScheme.Params = WriteMiniOptions(ViewScheme.Params, Options());
    return true;
}

bool TMiniSetDlgBase::CanClose()
{
    bool moved = false;
    const QString duplicate = CheckMiniLines(FLines, FKind, FToday, [&](const QList<int>&) {
        moved = ShowQuestion(PastDateQuestion(FKind), mbYesNo) == mrYes;
        return moved;
    });
    if (moved)
        RefreshGrid();
    if (!duplicate.isEmpty()) {
        ShowWarning(duplicate);
        pgcPages->setCurrentIndex(0);
        return false;
    }
    return TViewSettingDlg::CanClose();
}

TMRPminiSetDlg::TMRPminiSetDlg(const TInfoObjectDef* objectDef, TViewScheme* scheme, const QList<TMiniLine>& lines, const QDate& today,
                               QWidget* parent)
    : TMiniSetDlgBase(mkKit, objectDef, scheme, lines, today, parent)
{
    setObjectName(QStringLiteral("MRPminiSetDlg"));
    auto* layout = new QVBoxLayout(FLinesPage);
    auto* caption = new QLabel(QStringLiteral("配套主需求(&D):"), FLinesPage);
    grdLines = MakeGrid(FLinesPage, ColumnCaptions());
    grdLines->setObjectName(QStringLiteral("grdLines"));
    caption->setBuddy(grdLines);
    btnInsert = new QPushButton(QStringLiteral("插入(&I)"), FLinesPage);
    btnPick = new QPushButton(QStringLiteral("下拉选择单据..."), FLinesPage);
    chkShowFilter = new QCheckBox(QStringLiteral("选单前显示筛选条件(&H)"), FLinesPage);
    for (QPushButton* b : {btnInsert, btnPick})
        b->setAutoDefault(false);
    auto* menu = new QMenu(btnPick);
    for (const auto& [type, object] : {std::pair{int(btSO), "KX_MRP.SO"}, {int(btSI), "KX_MRP.SI"}, {int(btForcast), "KX_MRP.Forcast"}})
        menu->addAction(EnumText(QStringLiteral("MrpBillType"), type),
                        this, [this, type, object] { PickLines(type, QLatin1String(object), chkShowFilter->isChecked()); });
    btnPick->setMenu(menu);
    connect(btnInsert, &QPushButton::clicked, this,
            [this] { PickLines(btSO, QStringLiteral("KX_MRP.SO"), chkShowFilter->isChecked()); });
    auto* buttons = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{btnInsert, btnRemove, btnRemoveAll, btnPick, chkShowFilter})
        buttons->addWidget(w);
    buttons->addStretch(1);
    layout->addWidget(caption);
    layout->addWidget(grdLines, 1);
    layout->addLayout(buttons);
    RefreshGrid();
}

QStringList TMRPminiSetDlg::ColumnCaptions() const
{
    QStringList c{QStringLiteral("优先级"), QStringLiteral("类型"), QStringLiteral("需求单号"), QStringLiteral("需求行"),
                  QStringLiteral("客户"), QStringLiteral("客户单号"), QStringLiteral("需求单位"), QStringLiteral("单据日期"),
                  QStringLiteral("需求日期"), QStringLiteral("物料代码"), QStringLiteral("物料名称"), QStringLiteral("规格型号")};
    for (int n = 1; n <= 10; ++n)
        c << QStringLiteral("辅助项%1").arg(n);
    c << QStringLiteral("需求分类号") << QStringLiteral("子件需求分类号") << QStringLiteral("MRP分组") << QStringLiteral("单据数量")
      << QStringLiteral("需求数量");
    return c;
}

QStringList TMRPminiSetDlg::LineTexts(const TMiniLine& m) const
{
    const TMainDemandLine& l = m.Line;
    QStringList t{m.Priority ? QString::number(m.Priority) : QString(), m.TypeName, l.BillNo, QString::number(l.BillEntry),
                  m.CustName, l.OrigCustPO, m.UnitName, Day(l.BillDate.date()), Day(l.Date), m.ItemNo, m.ItemName, m.ItemSpec};
    for (const QString& p : l.ItmProp)
        t << p;
    t << l.OrigTag << l.OrigSubTag << (l.GroupNo.isEmpty() ? QString() : l.GroupNo) << Qty(l.BillQty) << Qty(l.Qty);
    return t;
}

TMRPLackSetDlg::TMRPLackSetDlg(const TInfoObjectDef* objectDef, TViewScheme* scheme, const QList<TMiniLine>& lines, const QDate& today,
                               QWidget* parent)
    : TMiniSetDlgBase(mkLack, objectDef, scheme, lines, today, parent)
{
    setObjectName(QStringLiteral("MRPLackSetDlg"));
    auto* layout = new QVBoxLayout(FLinesPage);
    auto* top = new QHBoxLayout;
    auto* billsLabel = new QLabel(QStringLiteral("投料单据(&T):"), FLinesPage);
    cboLackBills = new QComboBox(FLinesPage);
    cboLackBills->setObjectName(QStringLiteral("cboLackBills"));
    cboLackBills->addItems({QStringLiteral("(指定单据)"), QStringLiteral("生产任务+委外订单"), QStringLiteral("生产任务"), QStringLiteral("委外订单")});
    billsLabel->setBuddy(cboLackBills);
    rbAllDates = new QRadioButton(QStringLiteral("全部(&A)"), FLinesPage);
    rbDelivDate = new QRadioButton(QStringLiteral("截止交货日期(&D):"), FLinesPage);
    edtDelivDate = new QDateEdit(today.addDays(30), FLinesPage);
    edtDelivDate->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    edtDelivDate->setCalendarPopup(true);
    rbAllDates->setChecked(true);
    top->addWidget(billsLabel);
    top->addWidget(cboLackBills);
    top->addSpacing(16);
    top->addWidget(rbAllDates);
    top->addWidget(rbDelivDate);
    top->addWidget(edtDelivDate);
    top->addStretch(1);
    grdLines = MakeGrid(FLinesPage, ColumnCaptions());
    grdLines->setObjectName(QStringLiteral("grdLines"));
    btnPickMO = new QPushButton(QStringLiteral(" 生产任务(&O)..."), FLinesPage);
    btnPickOO = new QPushButton(QStringLiteral(" 委外订单(&E)..."), FLinesPage);
    for (QPushButton* b : {btnPickMO, btnPickOO})
        b->setAutoDefault(false);
    // The orders' material from their own open lines, or from their BOM as it is now.
    chkCurrentBom = new QCheckBox(QStringLiteral("按当前物料清单计算投料(&U)"), this);
    chkCurrentBom->setObjectName(QStringLiteral("chkCurrentBom"));
    FOptionsForm->addRow(chkCurrentBom);
    connect(btnPickMO, &QPushButton::clicked, this, [this] { PickLines(btMO, QStringLiteral("KX_MRP.MO"), false); });
    connect(btnPickOO, &QPushButton::clicked, this, [this] { PickLines(btOO, QStringLiteral("KX_MRP.OO"), false); });
    auto* buttons = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{btnPickMO, btnPickOO, btnRemove, btnRemoveAll})
        buttons->addWidget(w);
    buttons->addStretch(1);
    layout->addLayout(top);
    layout->addWidget(grdLines, 1);
    layout->addLayout(buttons);
    // The chosen lines count only for "(指定单据)"; the dates only for the other choices.
    auto enable = [this] {
        const bool chosen = cboLackBills->currentIndex() == lbChosen;
        for (QWidget* w : std::initializer_list<QWidget*>{grdLines, btnPickMO, btnPickOO, btnRemove, btnRemoveAll})
            w->setEnabled(chosen);
        rbAllDates->setEnabled(!chosen);
        rbDelivDate->setEnabled(!chosen);
        edtDelivDate->setEnabled(!chosen && rbDelivDate->isChecked());
    };
    connect(cboLackBills, &QComboBox::currentIndexChanged, this, enable);
    connect(rbDelivDate, &QRadioButton::toggled, this, enable);
    enable();
    RefreshGrid();
}

QStringList TMRPLackSetDlg::ColumnCaptions() const
{
    QStringList c{QStringLiteral("优先级"), QStringLiteral("类型"), QStringLiteral("生产/委外单"), QStringLiteral("单据行"),
                  QStringLiteral("产品代码"), QStringLiteral("产品名称"), QStringLiteral("规格型号"), QStringLiteral("计划数量"),
                  QStringLiteral("单据数量"), QStringLiteral("生产单位"), QStringLiteral("单据日期"), QStringLiteral("交货日期"),
                  QStringLiteral("单位"), QStringLiteral("源需求单号"), QStringLiteral("源需求客户"), QStringLiteral("源需求客户单号"),
                  QStringLiteral("备注")};
    for (int n = 1; n <= 10; ++n)
        c << QStringLiteral("辅助项%1").arg(n);
    return c;
}

QStringList TMRPLackSetDlg::LineTexts(const TMiniLine& m) const
{
    const TMainDemandLine& l = m.Line;
    QStringList t{m.Priority ? QString::number(m.Priority) : QString(), m.TypeName, l.BillNo, QString::number(l.BillEntry),
                  m.ItemNo, m.ItemName, m.ItemSpec, Qty(m.PlanQty), Qty(l.BillQty), m.DeptName, Day(l.BillDate.date()),
                  Day(m.DelivDate), m.UnitName, l.OrigNo, m.CustName, l.OrigCustPO, l.Note};
    for (const QString& p : l.ItmProp)
        t << p;
    return t;
}

void TMRPLackSetDlg::LoadPageOptions(const TMiniOptions& o)
{
    cboLackBills->setCurrentIndex(o.LackBills);
    (o.AllDates ? rbAllDates : rbDelivDate)->setChecked(true);
    if (o.DelivDate.isValid())
        edtDelivDate->setDate(o.DelivDate);
    chkCurrentBom->setChecked(o.CurrentBom);
}

void TMRPLackSetDlg::SavePageOptions(TMiniOptions& o) const
{
    o.LackBills = cboLackBills->currentIndex();
    o.AllDates = rbAllDates->isChecked();
    o.DelivDate = edtDelivDate->date();
    o.CurrentBom = chkCurrentBom->isChecked();
}

} // namespace kx
