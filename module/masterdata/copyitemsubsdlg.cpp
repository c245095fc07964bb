#include "masterdata/copyitemsubsdlg.h"

#include "db/errors.h"
#include "db/messages.h"
#include "db/shared.h"
#include "db/sqlrun.h"
#include "views/commonui.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace kx {

namespace {

// Where a node of the source tree points: BOM, line and substitute (-1 above a substitute).
struct TSourceRef {
    int Bom = -1;
    int Line = -1;
    int Sub = -1;
};

QVariant RefData(const TSourceRef& ref)
{
    return QVariantList{ref.Bom, ref.Line, ref.Sub};
}

TSourceRef RefOf(const QTreeWidgetItem* node)
{
    const QVariantList v = node->data(0, Qt::UserRole).toList();
    return v.size() == 3 ? TSourceRef{v[0].toInt(), v[1].toInt(), v[2].toInt()} : TSourceRef{};
}

QTreeWidgetItem* AddSourceNode(QTreeWidgetItem* parent, QTreeWidget* tree, const QStringList& texts, const TSourceRef& ref)
{
    auto* node = parent ? new QTreeWidgetItem(parent, texts) : new QTreeWidgetItem(tree, texts);
    node->setData(0, Qt::UserRole, RefData(ref));
    node->setFlags(node->flags() | Qt::ItemIsUserCheckable | (ref.Sub < 0 ? Qt::ItemIsAutoTristate : Qt::NoItemFlags));
    node->setCheckState(0, Qt::Unchecked);
    return node;
}

} // namespace

TCopyItemSubsDlg::TCopyItemSubsDlg(TQuery& query, const TItemSubBom& target, QWidget* parent)
    : TDialog(parent), FQuery(query), FTarget(target)
{
    setWindowTitle(QStringLiteral("复制替代料"));
    resize(720, 480);
    edtTarget = new QLineEdit(target.BomNo, this);
    edtTarget->setReadOnly(true);
    edtSource = new QLineEdit(this);
    edtSource->setPlaceholderText(QStringLiteral("%"));
    btnSearch = new QPushButton(QStringLiteral("搜索(&F)"), this);
    btnSearch->setAutoDefault(false);
    auto* sourceRow = new QHBoxLayout;
    sourceRow->addWidget(edtSource, 1);
    sourceRow->addWidget(btnSearch);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("目标产品(&D):"), edtTarget);
    form->addRow(QStringLiteral("来源产品(&S):"), sourceRow);

    trlSource = new QTreeWidget(this);
    trlSource->setObjectName(QStringLiteral("trlSource"));
    trlSource->setHeaderLabels({QStringLiteral("源BOM/行号"), QStringLiteral("类别"), QStringLiteral("物料代码"), QStringLiteral("物料名称"),
                                QStringLiteral("规格型号"), QStringLiteral("用量(基本)"), QStringLiteral("用量基数(基本)")});
    trlSource->header()->resizeSection(0, 150);
    chkOverwrite = new QCheckBox(QStringLiteral("完全覆盖目标BOM相应用料子项已有的替代料数据(&O)"), this);

    ContentLayout()->addLayout(form);
    ContentLayout()->addWidget(trlSource, 1);
    ContentLayout()->addWidget(chkOverwrite);
    connect(btnSearch, &QPushButton::clicked, this, &TCopyItemSubsDlg::Search);
    connect(edtSource, &QLineEdit::returnPressed, this, &TCopyItemSubsDlg::Search);
}

bool TCopyItemSubsDlg::Search()
{
    trlSource->clear();
    FSources.clear();
    const QString text = edtSource->text().trimmed();
    if (text.isEmpty()) {
        ShowWarning(QStringLiteral("请输入需复制替代料信息的来源产品搜索内容!"));
        edtSource->setFocus();
        return false;
    }
    if (!RunSQL(FQuery, ItemSubsListSQL(CopySearchFilter(text), islComponent, QString()), true))
        return false;
    FSources = CopySources(ItemSubBomsOfList(FQuery), FTarget);
    if (FSources.isEmpty()) {
        ShowWarning(QStringLiteral("未搜索到与复制目标产品相同BOM用料子项的替代料数据!"));
        edtSource->setFocus();
        return false;
    }
    for (int b = 0; b < FSources.size(); ++b) {
        const TItemSubBom& bom = FSources[b];
        QTreeWidgetItem* bomNode = AddSourceNode(nullptr, trlSource, {bom.BomNo, QStringLiteral("源")}, {b, -1, -1});
        for (int l = 0; l < bom.Lines.size(); ++l) {
            const TItemSubLine& line = bom.Lines[l];
            QTreeWidgetItem* lineNode = AddSourceNode(
                bomNode, trlSource, {QString::number(line.Entry), QString(), line.ItemNo, line.ItemName, line.ItemSpec}, {b, l, -1});
            for (int s = 0; s < line.Subs.size(); ++s) {
                const TItemSub& sub = line.Subs[s];
                AddSourceNode(lineNode, trlSource,
                              {QString::number(s + 1), QStringLiteral("局部替代"), sub.SubItemNo, sub.SubItemName, sub.SubItemSpec,
                               FormatFloat(kFloatFormat, sub.Qty), FormatFloat(kFloatFormat, sub.RQty)},
                              {b, l, s});
            }
        }
    }
    trlSource->expandAll();
    return true;
}

void TCopyItemSubsDlg::SetChecked(QTreeWidgetItem* node, bool checked)
{
    if (node)
        node->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

QList<TCopiedSub> TCopyItemSubsDlg::TickedSubs(int& bomCount) const
{
    QList<TCopiedSub> ticked;
    QSet<int> boms;
    for (QTreeWidgetItemIterator it(trlSource, QTreeWidgetItemIterator::Checked); *it; ++it) {
        const TSourceRef ref = RefOf(*it);
        if (ref.Sub < 0)
            continue;
        const TItemSubLine& line = FSources[ref.Bom].Lines[ref.Line];
        ticked << TCopiedSub{line.ItemID, line.Subs[ref.Sub]};
        boms.insert(ref.Bom);
    }
    bomCount = int(boms.size());
    return ticked;
}

bool TCopyItemSubsDlg::CanClose()
{
    int bomCount = 0;
    const QList<TCopiedSub> ticked = TickedSubs(bomCount);
    if (ticked.isEmpty()) {
        ShowWarning(QStringLiteral("请勾选需复制的替代料数据!"));
        return false;
    }
    if (bomCount > 1 && ShowQuestion(QStringLiteral("您选择从 %1 个不同的BOM中复制替代料数据, 确定?").arg(bomCount), mbOKCancel) != mrOK)
        return false;
    TItemSubBom target = FTarget;
    ApplyCopiedSubs(target, ticked, chkOverwrite->isChecked());
    try {
        const TItemSubsFault fault = CheckItemSubBom(FQuery, target);
        if (fault.Failed()) {
            ShowWarning(fault.Message);
            return false;
        }
    } catch (const EAbort&) {
        return false;
    } catch (const std::exception& e) {
        ShowException(e);
        return false;
    }
    QString error;
    if (!SaveItemSubBom(Env() ? Env()->ERPAccess : nullptr, target, EnvUserID(), error)) {
        ShowError(error);
        return false;
    }
    FTarget = target;
    return true;
}

bool CopyItemSubs(TQuery& query, const TItemSubBom& target, QWidget* parent)
{
    TCopyItemSubsDlg dlg(query, target, parent);
    return dlg.exec() == QDialog::Accepted;
}

} // namespace kx
