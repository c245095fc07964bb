#include "views/filterbar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace kx {

TFilterBar::TFilterBar(const QString& name, const QString& clearCaption, QWidget* parent) : QFrame(parent)
{
    setObjectName(name);
    setStyleSheet(QStringLiteral("#%1 { background: #fff4c2; border: 1px solid #e0c060; }").arg(name));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(6, 2, 6, 2);
    lblFilter = new QLabel(this);
    lblFilter->setObjectName(name + QStringLiteral("Text"));
    lblFilter->setTextFormat(Qt::PlainText);
    btnClear = new QPushButton(clearCaption, this);
    btnClear->setObjectName(name + QStringLiteral("Clear"));
    btnClear->setAutoDefault(false);
    row->addWidget(lblFilter, 1);
    row->addWidget(btnClear);
    hide();
    connect(btnClear, &QPushButton::clicked, this, &TFilterBar::ClearClicked);
}

void TFilterBar::ShowFilter(const QString& prefix, const QString& text)
{
    lblFilter->setText(prefix + text);
    lblFilter->setToolTip(text);
    setVisible(!text.isEmpty());
}

} // namespace kx
