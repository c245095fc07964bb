// The rows an import skipped, listed for the planner after the import: each with its row
// number in the file and the reason.
#pragma once

#include "engine/mainimport.h"

class QWidget;

namespace kx {

// Shows the list when there is anything in it (a dialog with the execution-result list).
void ShowImportIssues(QWidget* parent, const QString& title, const QList<TImportIssue>& issues);

} // namespace kx
