#include "workbench/importresults.h"

#include "views/dialog.h"
#include "views/doresultframe.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace kx {

void ShowImportIssues(QWidget* parent, const QString& title, const QList<TImportIssue>& issues)
{
    if (issues.isEmpty())
        return;
    TDialog dlg(parent);
    dlg.setObjectName(QStringLiteral("dlgImportIssues"));
    dlg.setWindowTitle(title);
    dlg.resize(760, 420);
    dlg.btnCancel->hide();
    auto* results = new TDoResultFrame(&dlg);
    results->FTitle = title;
    results->colPosition->Caption = QStringLiteral("行号");
    results->ShowTrackPosition(false);
    for (const TImportIssue& issue : issues)
        results->AddResultNode(issue.Kind, QString(issue.Text).replace(QLatin1Char('\r'), QLatin1Char(' ')),
                               QStringLiteral("第%1行").arg(issue.Row), issue.Row);
    dlg.ContentLayout()->addWidget(results, 1);
    dlg.exec();
}

} // namespace kx
