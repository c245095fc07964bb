#include "deduction/deductautodlg.h"

#include "db/shared.h"
#include "engine/objectquery.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kx {

namespace {

const QString kForcastID = QStringLiteral("KX_MRP.Forcast");
const QString kSOID = QStringLiteral("KX_MRP.SO");
const QString kSIID = QStringLiteral("KX_MRP.SI");

QSpinBox* DaysEdit(QWidget* parent)
{
    auto* edit = new QSpinBox(parent);
    edit->setRange(0, 9999);
    edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return edit;
}

QPlainTextEdit* ConditionMemo(QWidget* parent)
{
    auto* memo = new QPlainTextEdit(parent);
    memo->setReadOnly(true);
    memo->setFixedHeight(48);
    memo->setTabChangesFocus(true);
    return memo;
}

} // namespace

TDeductAutoDlg::TDeductAutoDlg(QWidget* parent) : TDialog(parent)
{
    setWindowTitle(QStringLiteral("自动冲销"));
    setObjectName(QStringLiteral("DeductAutoDlg"));

    auto* match = new QGroupBox(this);
    auto* grid = new QGridLayout(match);
    rbSpan = new QRadioButton(QStringLiteral("按交期时间段对齐冲销(&1)"), match);
    cboSpan = new QComboBox(match);
    cboSpan->addItems({QStringLiteral("周次"), QStringLiteral("月份")});
    auto* spanLine = new QHBoxLayout;
    spanLine->addSpacing(20);
    spanLine->addWidget(new QLabel(QStringLiteral("相同"), match));
    spanLine->addWidget(cboSpan);
    spanLine->addWidget(new QLabel(QStringLiteral("的预测与订单进行冲销，"), match));
    spanLine->addStretch(1);
    chkSpan2Month = new QCheckBox(QStringLiteral("从"), match);
    edtSpan2Date = new QDateEdit(match);
    edtSpan2Date->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    edtSpan2Date->setCalendarPopup(true);
    auto* switchLine = new QHBoxLayout;
    switchLine->addSpacing(20);
    switchLine->addWidget(chkSpan2Month);
    switchLine->addWidget(edtSpan2Date);
    switchLine->addWidget(new QLabel(QStringLiteral("开始，相同月份的预测与订单进行冲销。"), match));
    switchLine->addStretch(1);
    rbDays = new QRadioButton(QStringLiteral("按交期顺序先后冲销(&2)"), match);
    edtDaysBefore = DaysEdit(match);
    edtDaysAfter = DaysEdit(match);
    auto* daysLine = new QHBoxLayout;
    daysLine->addSpacing(20);
    daysLine->addWidget(new QLabel(QStringLiteral("订单交期早于预测交期不超过"), match));
    daysLine->addWidget(edtDaysBefore);
    daysLine->addWidget(new QLabel(QStringLiteral("天，"), match));
    daysLine->addWidget(new QLabel(QStringLiteral("晚于预测交期不超过"), match));
    daysLine->addWidget(edtDaysAfter);
    daysLine->addWidget(new QLabel(QStringLiteral("天。"), match));
    daysLine->addStretch(1);
    grid->addWidget(rbSpan, 0, 0);
    grid->addLayout(spanLine, 1, 0);
    grid->addLayout(switchLine, 2, 0);
    grid->addWidget(rbDays, 3, 0);
    grid->addLayout(daysLine, 4, 0);
    ContentLayout()->addWidget(match);

    chkKeepLast = new QCheckBox(QStringLiteral("保留以前自动冲销的相关结果(&K)"), this);
    ContentLayout()->addWidget(chkKeepLast);

    auto* conditions = new QGridLayout;
    const struct {
        const char* Caption;
        const char* Button;
        QPlainTextEdit** Memo;
        QPushButton** Edit;
        QString ObjectID;
    } rows[] = {
        {"产品预测范围(&F):", " 设置(&A)...", &memForcast, &btnForcast, kForcastID},
        {"销售订单范围(&S):", " 设置(&B)...", &memSO, &btnSO, kSOID},
        {"出口订单范围(&E):", " 设置(&C)...", &memSI, &btnSI, kSIID},
    };
    int row = 0;
    for (const auto& r : rows) {
        auto* label = new QLabel(QString::fromUtf8(r.Caption), this);
        *r.Memo = ConditionMemo(this);
        (*r.Memo)->setObjectName(r.ObjectID);
        (*r.Memo)->viewport()->installEventFilter(this);
        (*r.Memo)->viewport()->setProperty("kxObjectID", r.ObjectID);
        label->setBuddy(*r.Memo);
        *r.Edit = new QPushButton(QString::fromUtf8(r.Button), this);
        const QString objectID = r.ObjectID;
        connect(*r.Edit, &QPushButton::clicked, this, [this, objectID] { EditCondition(objectID); });
        conditions->addWidget(label, row, 0, Qt::AlignTop);
        conditions->addWidget(*r.Memo, row, 1);
        conditions->addWidget(*r.Edit, row, 2, Qt::AlignTop);
        ++row;
    }
    conditions->setColumnStretch(1, 1);
    ContentLayout()->addLayout(conditions);

    lblTip = new QLabel(QStringLiteral("提示：自动冲销只针对未业务关闭的产品预测进行！"), this);
    QPalette tip = lblTip->palette();
    tip.setColor(QPalette::WindowText, QColor(0, 0, 160));
    lblTip->setPalette(tip);
    ContentLayout()->addWidget(lblTip);

    connect(rbSpan, &QRadioButton::toggled, this, &TDeductAutoDlg::UpdateEnabled);
    connect(rbDays, &QRadioButton::toggled, this, &TDeductAutoDlg::UpdateEnabled);
    connect(cboSpan, &QComboBox::currentIndexChanged, this, &TDeductAutoDlg::UpdateEnabled);
    connect(chkSpan2Month, &QCheckBox::toggled, this, &TDeductAutoDlg::UpdateEnabled);
    resize(560, 420);
}

void TDeductAutoDlg::SetOptions(const TAuotDeductOptions& options)
{
    rbSpan->setChecked(options.SpanDeduct);
    rbDays->setChecked(!options.SpanDeduct);
    cboSpan->setCurrentIndex(options.Span1Week ? 0 : 1);
    chkSpan2Month->setChecked(options.Span2Month);
    edtSpan2Date->setDate(options.Span2Date.isValid() ? options.Span2Date : DefaultSpan2Date(QDate::currentDate()));
    edtDaysBefore->setValue(options.DaysBefore);
    edtDaysAfter->setValue(options.DaysAfter);
    chkKeepLast->setChecked(options.KeepLast);
    FForcast = {options.ForcastFilterCode, options.ForcastFilterText};
    FSO = {options.SOFilterCode, options.SOFilterText};
    FSI = {options.SIFilterCode, options.SIFilterText};
    for (const QString& id : {kForcastID, kSOID, kSIID})
        ShowCondition(id);
    UpdateEnabled();
}

TAuotDeductOptions TDeductAutoDlg::Options() const
{
    TAuotDeductOptions options;
    options.SpanDeduct = rbSpan->isChecked();
    options.Span1Week = cboSpan->currentIndex() == 0;
    options.Span2Month = chkSpan2Month->isChecked();
    options.Span2Date = edtSpan2Date->date();
    options.DaysBefore = edtDaysBefore->value();
    options.DaysAfter = edtDaysAfter->value();
    options.KeepLast = chkKeepLast->isChecked();
    options.ForcastFilterCode = FForcast.Code;
    options.ForcastFilterText = FForcast.Text;
    options.SOFilterCode = FSO.Code;
    options.SOFilterText = FSO.Text;
    options.SIFilterCode = FSI.Code;
    options.SIFilterText = FSI.Text;
    return options;
}

TDeductAutoDlg::TCondition& TDeductAutoDlg::ConditionOf(const QString& objectID)
{
    return objectID == kSOID ? FSO : objectID == kSIID ? FSI : FForcast;
}

QPlainTextEdit* TDeductAutoDlg::MemoOf(const QString& objectID) const
{
    return objectID == kSOID ? memSO : objectID == kSIID ? memSI : memForcast;
}

void TDeductAutoDlg::ShowCondition(const QString& objectID)
{
    const QString text = ConditionOf(objectID).Text.trimmed();
    MemoOf(objectID)->setPlainText(text.isEmpty() ? QStringLiteral("(默认范围)") : text);
}

void TDeductAutoDlg::EditCondition(const QString& objectID)
{
    if (!Env() || !Env()->SelectFilter)
        return;
    const TInfoObjectDef* def = RequireObjectDef(objectID);
    if (!def)
        return;
    TCondition& condition = ConditionOf(objectID);
    QString code = condition.Code;
    QString text;
    if (!Env()->SelectFilter(def, code, false, text, nullptr))
        return;
    condition = {code, text};
    ShowCondition(objectID);
}

bool TDeductAutoDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        const QString objectID = watched->property("kxObjectID").toString();
        if (!objectID.isEmpty()) {
            EditCondition(objectID);
            return true;
        }
    }
    return TDialog::eventFilter(watched, event);
}

void TDeductAutoDlg::UpdateEnabled()
{
    const bool span = rbSpan->isChecked();
    const bool weeks = cboSpan->currentIndex() == 0;
    cboSpan->setEnabled(span);
    // Months from a switch date only make sense while weeks are matched before it.
    chkSpan2Month->setEnabled(span && weeks);
    edtSpan2Date->setEnabled(span && weeks && chkSpan2Month->isChecked());
    edtDaysBefore->setEnabled(!span);
    edtDaysAfter->setEnabled(!span);
}

} // namespace kx
