#include "masterdata/lossratedlg.h"

#include "db/messages.h"
#include "db/strutils.h"
#include "views/columneditor.h"
#include "views/commonui.h"

#include <QAbstractTableModel>
#include <QRegularExpression>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <cmath>

namespace kx {

namespace {

enum TLossColumn { colQty = 0, colText = 1, colType = 2, colValue = 3 };

const QString kQtyFormat = QStringLiteral("###,###,##0.########");
constexpr double kMaxValue = 999999999;
constexpr TLossSegmentType kNoType = TLossSegmentType(-1);

QString TypeText(TLossSegmentType type)
{
    switch (type) {
    case lstPercent: return QStringLiteral("百分比(%)");
    case lstSmooth: return QStringLiteral("平滑至百分比(%)");
    case lstFixed: return QStringLiteral("固定数量");
    }
    return QString();
}

// A number typed into a usage or value cell; false for text that is no number or lies
// beyond the largest value.
bool ReadCellNumber(const QString& text, double& value)
{
    bool ok = false;
    const QString plain = QString(text).remove(QLatin1Char(',')).trimmed();
    value = plain.isEmpty() ? 0 : plain.toDouble(&ok);
    return (plain.isEmpty() || ok) && std::fabs(value) <= kMaxValue;
}

} // namespace

// The segment rows of the dialog's table.
class TLossRateModel : public QAbstractTableModel {
public:
    explicit TLossRateModel(QObject* parent) : QAbstractTableModel(parent) {}

    QList<TLossSegment> Rows;

    void Reset(const QList<TLossSegment>& rows)
    {
        beginResetModel();
        Rows = rows;
        endResetModel();
    }
    void Insert(int row, const TLossSegment& segment)
    {
        beginInsertRows(QModelIndex(), row, row);
        Rows.insert(row, segment);
        endInsertRows();
        DescriptionsChanged();
    }
    void Remove(int row)
    {
        beginRemoveRows(QModelIndex(), row, row);
        Rows.removeAt(row);
        endRemoveRows();
        DescriptionsChanged();
    }
    void Set(int row, const TLossSegment& segment)
    {
        Rows[row] = segment;
        Q_EMIT dataChanged(index(row, colQty), index(row, colValue));
        DescriptionsChanged();
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : int(Rows.size()); }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : 4; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid())
            return QVariant();
        const TLossSegment& r = Rows[index.row()];
        switch (role) {
        case Qt::DisplayRole:
            switch (index.column()) {
            case colQty: return FormatFloat(kQtyFormat, r.Bound);
            case colText: return LossSegmentDescription(Rows, index.row());
            case colType: return TypeText(r.Type);
            case colValue: return FormatFloat(kQtyFormat, r.Value);
            }
            break;
        case Qt::EditRole:
            switch (index.column()) {
            case colQty: return r.Bound;
            case colType: return int(r.Type);
            case colValue: return r.Value;
            }
            break;
        case Qt::TextAlignmentRole:
            return int(index.column() == colQty || index.column() == colValue ? Qt::AlignRight | Qt::AlignVCenter
                                                                                 : Qt::AlignLeft | Qt::AlignVCenter);
        case Qt::BackgroundRole:
            return index.column() == colText ? QVariant(kReadOnlyBackColor) : QVariant();
        default: break;
        }
        return QVariant();
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (!index.isValid() || role != Qt::EditRole)
            return false;
        TLossSegment r = Rows[index.row()];
        if (index.column() == colType) {
            r.Type = TLossSegmentType(value.toInt());
        } else {
            double number = 0;
            if (!ReadCellNumber(value.toString(), number))
                return false;
            (index.column() == colQty ? r.Bound : r.Value) = number;
        }
        Set(index.row(), r);
        return true;
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
        if (index.column() != colText)
            f |= Qt::ItemIsEditable;
        return f;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const char* const captions[] = {"标准用量", "分段说明", "类型", "损耗值"};
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 4)
            return QString::fromUtf8(captions[section]);
        return QVariant();
    }

private:
    // Every description depends on the row before it.
    void DescriptionsChanged()
    {
        if (!Rows.isEmpty())
            Q_EMIT dataChanged(index(0, colText), index(int(Rows.size()) - 1, colText));
    }
};

namespace {

// Editors of the segment table: a drop-down of the three types, right-aligned edits for
// numbers.
class TLossRateDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        if (index.column() == colType) {
            auto* combo = new QComboBox(parent);
            for (TLossSegmentType t : {lstPercent, lstSmooth, lstFixed})
                combo->addItem(TypeText(t), int(t));
            return combo;
        }
        auto* edit = new QLineEdit(parent);
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        edit->setFrame(false);
        return edit;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        if (auto* combo = qobject_cast<QComboBox*>(editor)) {
            combo->setCurrentIndex(std::max(0, combo->findData(index.data(Qt::EditRole).toInt())));
        } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
            edit->setText(FloatToText(index.data(Qt::EditRole).toDouble()));
            edit->selectAll();
        }
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        if (auto* combo = qobject_cast<QComboBox*>(editor))
            model->setData(index, combo->currentData(), Qt::EditRole);
        else if (auto* edit = qobject_cast<QLineEdit*>(editor))
            model->setData(index, edit->text(), Qt::EditRole);
    }
};

TLossSegment EmptySegment()
{
    return TLossSegment{0, lstPercent, 0};
}

// A label's caption without its hot-key marker and colon: "标准用量(&Q):" -> "标准用量".
QString PlainCaption(const QString& caption)
{
    QString text = caption;
    text.remove(QRegularExpression(QStringLiteral("\\(&.\\)"))).remove(QLatin1Char('&'));
    if (text.endsWith(QLatin1Char(':')))
        text.chop(1);
    return text;
}

} // namespace

TLossRateDlg::TLossRateDlg(const QString& text, QWidget* parent) : TDialog(parent)
{
    setWindowTitle(QStringLiteral("投料损耗率设置"));
    resize(620, 420);
    btnOk->setText(QStringLiteral("确定(&O)"));
    lblFormula = new QLabel(GetLossRateType() ? QStringLiteral("当前系统公式: 投料数=标准用量÷(1-损耗率%)")
                                              : QStringLiteral("当前系统公式: 投料数=标准用量×(1+损耗率%)"),
                            this);
    auto* lblTable = new QLabel(QStringLiteral("超额累进损耗参数表:"), this);

    FModel = new TLossRateModel(this);
    trlLossRate = new QTreeView(this);
    trlLossRate->setObjectName(QStringLiteral("trlLossRate"));
    trlLossRate->setModel(FModel);
    trlLossRate->setRootIsDecorated(false);
    trlLossRate->setSortingEnabled(false);
    trlLossRate->setUniformRowHeights(true);
    trlLossRate->setItemDelegate(new TLossRateDelegate(trlLossRate));
    trlLossRate->setEditTriggers(QAbstractItemView::AllEditTriggers);
    trlLossRate->header()->resizeSection(colQty, 110);
    trlLossRate->header()->resizeSection(colText, 220);
    trlLossRate->header()->resizeSection(colType, 130);

    btnInsert = new QPushButton(QStringLiteral("插入行(&A)"), this);
    btnRemove = new QPushButton(QStringLiteral("移除行(&D)"), this);
    btnClear = new QPushButton(QStringLiteral("清除设置(&C)"), this);
    for (QPushButton* b : {btnInsert, btnRemove, btnClear})
        b->setAutoDefault(false);
    auto* rowButtons = new QHBoxLayout;
    rowButtons->addWidget(btnInsert);
    rowButtons->addWidget(btnRemove);
    rowButtons->addStretch(1);
    rowButtons->addWidget(btnClear);

    auto* grpTrial = new QGroupBox(QStringLiteral(" 数量试算: "), this);
    auto* lblTrialQty = new QLabel(QStringLiteral("标准用量(&Q):"), grpTrial);
    edtTrialQty = new QLineEdit(grpTrial);
    edtTrialQty->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblTrialQty->setBuddy(edtTrialQty);
    btnTrial = new QPushButton(QStringLiteral("计算(&T)"), grpTrial);
    btnTrial->setAutoDefault(false);
    auto* lblTrialLoss = new QLabel(QStringLiteral("损耗数(&L):"), grpTrial);
    edtTrialLoss = new QLineEdit(grpTrial);
    edtTrialLoss->setReadOnly(true);
    edtTrialLoss->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblTrialLoss->setBuddy(edtTrialLoss);
    auto* trial = new QHBoxLayout(grpTrial);
    trial->addWidget(lblTrialQty);
    trial->addWidget(edtTrialQty, 1);
    trial->addWidget(btnTrial);
    trial->addWidget(lblTrialLoss);
    trial->addWidget(edtTrialLoss, 1);

    ContentLayout()->addWidget(lblFormula);
    ContentLayout()->addWidget(lblTable);
    ContentLayout()->addWidget(trlLossRate, 1);
    ContentLayout()->addLayout(rowButtons);
    ContentLayout()->addWidget(grpTrial);

    QList<TLossSegment> rows = ParseLossRate(text.trimmed());
    if (rows.isEmpty())
        rows << EmptySegment();
    FModel->Reset(rows);

    connect(btnInsert, &QPushButton::clicked, this, &TLossRateDlg::InsertRow);
    connect(btnRemove, &QPushButton::clicked, this, &TLossRateDlg::RemoveRow);
    connect(btnClear, &QPushButton::clicked, this, &TLossRateDlg::ClearSetting);
    connect(btnTrial, &QPushButton::clicked, this, &TLossRateDlg::TrialCalculate);
    connect(edtTrialQty, &QLineEdit::textChanged, edtTrialLoss, &QLineEdit::clear);
    connect(trlLossRate->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& current) {
        if (current.isValid() && int(FModel->Rows[current.row()].Type) < 0) {
            TLossSegment r = FModel->Rows[current.row()];
            r.Type = lstPercent;
            FModel->Set(current.row(), r);
        }
    });
    trlLossRate->setCurrentIndex(FModel->index(0, colQty));
}

TLossRateDlg::~TLossRateDlg()
{
    delete trlLossRate;
}

QList<TLossSegment> TLossRateDlg::Rows() const
{
    return FModel->Rows;
}

void TLossRateDlg::SetRow(int row, const TLossSegment& segment)
{
    if (row >= 0 && row < FModel->Rows.size())
        FModel->Set(row, segment);
}

QString TLossRateDlg::RowDescription(int row) const
{
    return FModel->index(row, colText).data().toString();
}

void TLossRateDlg::InsertRow()
{
    const QModelIndex current = trlLossRate->currentIndex();
    const int row = current.isValid() ? current.row() + 1 : int(FModel->Rows.size());
    FModel->Insert(row, EmptySegment());
    const QModelIndex qty = FModel->index(row, colQty);
    trlLossRate->setCurrentIndex(qty);
    trlLossRate->edit(qty);
}

void TLossRateDlg::RemoveRow()
{
    const QModelIndex current = trlLossRate->currentIndex();
    if (current.isValid())
        FModel->Remove(current.row());
    if (FModel->Rows.isEmpty())
        FModel->Insert(0, EmptySegment());
    trlLossRate->setCurrentIndex(FModel->index(std::min(current.isValid() ? current.row() : 0, int(FModel->Rows.size()) - 1), colQty));
}

void TLossRateDlg::ClearSetting()
{
    FText.clear();
    QDialog::accept();
}

bool TLossRateDlg::CheckAndWrite()
{
    // A pending cell edit counts.
    CommitPendingEdit(trlLossRate);
    QString text;
    const TLossRateFault fault = WriteLossRate(FModel->Rows, GetLossRateType(), text);
    if (fault.Row >= 0) {
        ShowWarning(fault.Message);
        static const int columnOfFault[] = {colQty, colType, colValue};
        const QModelIndex cell = FModel->index(fault.Row, columnOfFault[fault.Column]);
        trlLossRate->setCurrentIndex(cell);
        trlLossRate->setFocus();
        trlLossRate->edit(cell);
        return false;
    }
    FText = text;
    return true;
}

void TLossRateDlg::TrialCalculate()
{
    if (!CheckAndWrite())
        return;
    double usage = 0;
    if (!ReadCellNumber(edtTrialQty->text(), usage) || usage <= 0) {
        ShowWarning(QStringLiteral("[%1]的值不能为零!").arg(PlainCaption(QStringLiteral("标准用量(&Q):"))));
        edtTrialQty->setFocus();
        return;
    }
    edtTrialLoss->setText(FormatFloat(kFloatFormat, CalcLossQty(FText, 0, usage)));
}

bool TLossRateDlg::CanClose()
{
    return CheckAndWrite();
}

bool ShowLossRateDlg(QString& text, QWidget* parent)
{
    TLossRateDlg dlg(text, parent);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    text = dlg.LossRateText();
    return true;
}

TLossRateEdit::TLossRateEdit(QWidget* parent) : TExButtonEdit(parent)
{
    connect(this, &TExButtonEdit::ButtonClick, this, &TLossRateEdit::EditLossRate);
}

void TLossRateEdit::EditLossRate()
{
    QString value = text();
    if (!ShowLossRateDlg(value, this))
        return;
    setText(value);
    Q_EMIT editingFinished();
    Q_EMIT ValuePicked();
    selectAll();
}

} // namespace kx
