#include "masterdata/additemsubsdlg.h"

#include "db/messages.h"
#include "db/shared.h"
#include "db/strutils.h"
#include "masterdata/itemsetting.h"
#include "views/pickedit.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

namespace kx {

namespace {

const QString kCaptionSubItemNo = QStringLiteral("替代物料代码");
const QString kCaptionQty = QStringLiteral("替代用量");
const QString kCaptionBaseQty = QStringLiteral("用量基数");

// A date typed into a field: empty is no date; false for text that is no date.
bool ReadDate(const QLineEdit* edit, QDate& date)
{
    const QString text = edit->text().trimmed();
    date = text.isEmpty() ? QDate() : TextToDateTime(text).date();
    return text.isEmpty() || date.isValid();
}

bool ReadNumber(const QLineEdit* edit, double& value)
{
    bool ok = false;
    value = QString(edit->text()).remove(QLatin1Char(',')).trimmed().toDouble(&ok);
    return ok;
}

} // namespace

TAddItemSubsDlg::TAddItemSubsDlg(QWidget* parent) : TDialog(parent)
{
    setWindowTitle(QStringLiteral("批量新增替代物料"));
    edtItemNo = new TPickEdit(this);
    TPickEditProperties& picker = edtItemNo->Properties;
    picker.FCaption = kCaptionSubItemNo;
    picker.FSQL = BuildItemPickSQL(QString(),
                                   QStringLiteral("i.ItmType<>%1 and i.ItmDisabled=0 and (%2)").arg(kItemTypeVirtual).arg(kItemPickSearch),
                                   QStringLiteral("i.ItmID as \"#ItmID\""));
    picker.FTextField = ItemPickColumn(QStringLiteral("ItmNo"));
    picker.FFixedFields = picker.FTextField;
    edtItemName = new QLineEdit(this);
    edtItemSpec = new QLineEdit(this);
    for (QLineEdit* e : {edtItemName, edtItemSpec})
        e->setReadOnly(true);
    edtBeginDate = new QLineEdit(this);
    edtEndDate = new QLineEdit(this);
    edtBeginDate->setPlaceholderText(QStringLiteral("yyyy/mm/dd"));
    edtEndDate->setPlaceholderText(QStringLiteral("yyyy/mm/dd"));
    edtQty = new QLineEdit(QStringLiteral("1"), this);
    edtBaseQty = new QLineEdit(QStringLiteral("1"), this);
    for (QLineEdit* e : {edtQty, edtBaseQty})
        e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    edtNote = new QLineEdit(this);
    cboPosition = new QComboBox(this);
    cboPosition->addItems({QStringLiteral("插入在最后面"), QStringLiteral("插入在最前面"), QStringLiteral("插入在选择项之后"),
                           QStringLiteral("插入在选择项之前")});

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("替代物料代码(&I):"), edtItemNo);
    form->addRow(QStringLiteral("替代物料名称(&N):"), edtItemName);
    form->addRow(QStringLiteral("替代规格型号(&S):"), edtItemSpec);
    form->addRow(QStringLiteral("生效日期(&D):"), edtBeginDate);
    form->addRow(QStringLiteral("失效日期(&E):"), edtEndDate);
    form->addRow(QStringLiteral("替代用量(&Q):"), edtQty);
    form->addRow(QStringLiteral("用量基数(&B):"), edtBaseQty);
    form->addRow(QString(), new QLabel(QStringLiteral("(即: 被替代物料的基本单位用量)"), this));
    form->addRow(QStringLiteral("备注(&M):"), edtNote);
    form->addRow(QStringLiteral("新增项位置(&P):"), cboPosition);
    ContentLayout()->addLayout(form);
    resize(420, 340);

    connect(edtItemNo, &QLineEdit::editingFinished, this, &TAddItemSubsDlg::edtItemNoExit);
}

TAddSubPosition TAddItemSubsDlg::Position() const
{
    return TAddSubPosition(cboPosition->currentIndex());
}

void TAddItemSubsDlg::edtItemNoExit()
{
    FItem = LookupSubItem(SharedQuery(), edtItemNo->text());
    edtItemName->setText(FItem.value(QStringLiteral("ItmName")).toString());
    edtItemSpec->setText(FItem.value(QStringLiteral("ItmSpec")).toString());
}

bool TAddItemSubsDlg::Refuse(QWidget* field, const QString& message)
{
    ShowWarning(message);
    field->setFocus();
    return false;
}

bool TAddItemSubsDlg::CanClose()
{
    const QString itemNo = edtItemNo->text().trimmed();
    if (itemNo.isEmpty())
        return Refuse(edtItemNo, FieldCheckText(fcEmpty, kCaptionSubItemNo));
    edtItemNoExit();
    if (FItem.isEmpty())
        return Refuse(edtItemNo, FieldCheckText(fcNotExists, kCaptionSubItemNo, itemNo));
    QDate begin, end;
    if (!ReadDate(edtBeginDate, begin))
        return Refuse(edtBeginDate, FieldCheckText(fcInvalid, kCaptionBeginDate, edtBeginDate->text().trimmed()));
    if (!ReadDate(edtEndDate, end))
        return Refuse(edtEndDate, FieldCheckText(fcInvalid, kCaptionEndDate, edtEndDate->text().trimmed()));
    double qty = 0, baseQty = 0;
    if (!ReadNumber(edtQty, qty) || qty <= 0)
        return Refuse(edtQty, FieldCheckText(fcNotGreater, kCaptionQty, edtQty->text().trimmed(), QStringLiteral("0")));
    if (!ReadNumber(edtBaseQty, baseQty) || baseQty <= 0)
        return Refuse(edtBaseQty, FieldCheckText(fcNotGreater, kCaptionBaseQty, edtBaseQty->text().trimmed(), QStringLiteral("0")));
    if (begin.isValid() && end.isValid() && end <= begin)
        return Refuse(edtEndDate, FieldCheckText(fcNotGreaterField, kCaptionEndDate, QString(), kCaptionBeginDate));

    FSub = TItemSub{};
    FSub.SubItemID = FItem.value(QStringLiteral("ItmID")).toString();
    FSub.SubItemNo = itemNo;
    FSub.SubItemName = edtItemName->text();
    FSub.SubItemSpec = edtItemSpec->text();
    FSub.PropMask = FItem.value(QStringLiteral("PropMask")).toString();
    FSub.Qty = qty;
    FSub.RQty = baseQty;
    FSub.BeginDate = begin;
    FSub.EndDate = end;
    FSub.Note = edtNote->text().trimmed();
    return true;
}

} // namespace kx
