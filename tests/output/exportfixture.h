// A database for export and print tests: the object "KX_TEST.Orders" (sales order lines
// with a date, a customer text full of commas, quotes, line breaks and Chinese, an order
// type, a quantity, an amount and an urgent flag) and a grid view of it whose designed
// bands are "订单" (fixed left) and "客户与数量"; and the helpers that read files back
// with independent tools (Python's openpyxl and csv, poppler).
#pragma once

#include "viewfixture.h"

#include "views/gridview.h"

#include <QJsonDocument>

#include <memory>

namespace kx::test {

class TExportTest : public TViewTest {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // A scratch folder for this test's files.
    QString FilePath(const QString& name) const;

private:
    QString FFolder;
};

const TInfoObjectDef* OrdersDef();

// The orders grid with its designed bands, opened the way the host opens it, with
// the scheme parameters given (grouping, totals) and its data loaded.
class TOrdersView : public TInfoGridView {
public:
    TOrdersView(const TInfoObjectDef* def);
};
std::unique_ptr<TOrdersView> OpenOrders(const QString& params = QString());

// Runs /usr/bin/python3 (Debian's, which has openpyxl) with a script of this folder;
// returns its standard output parsed as JSON; fails the test when the script fails.
QJsonDocument RunPythonJson(const QString& script, const QStringList& arguments);
// Runs a program and returns its standard output; empty when it fails.
QString RunProgram(const QString& program, const QStringList& arguments);

// Answers the export dialog with a file name for the scope.
class TChosenExportFile {
public:
    explicit TChosenExportFile(const QString& fileName);
    ~TChosenExportFile();
    // The name the dialog suggested.
    const QString& Suggested() const { return *FSuggested; }

private:
    std::shared_ptr<QString> FSuggested;
};

} // namespace kx::test
