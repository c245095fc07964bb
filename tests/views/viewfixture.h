// A database with a small catalogue for view tests: the objects "KX_TEST.Items" (items over
// KX_Base_ItemMaster with their unit) and "KX_TEST.Units" (units, master of items through
// the relation "Items"), six items in two units and two users.
#pragma once

#include "testdatabase.h"

#include "views/gridview.h"

#include <memory>

namespace kx::test {

class TViewTest : public TDatabaseTest {
protected:
    static void SetUpTestSuite();
    void SetUp() override;

    static const TInfoObjectDef* ItemsDef();
    static const TInfoObjectDef* UnitsDef();
    // The calls the host recorded whose text starts with prefix.
    static QStringList CallsStartingWith(const QString& prefix);
};

// Creates a grid view of an object the way the host does: created, sized, initialized.
template <class TView = TInfoGridView>
std::unique_ptr<TView> OpenView(const TInfoObjectDef* def, const QString& asDetailID = QString(), IInfoView* master = nullptr)
{
    auto view = std::make_unique<TView>(nullptr, def);
    view->resize(900, 360);
    view->InitializeView(asDetailID, master);
    return view;
}

// The field names of the visible columns, in display order.
QStringList ShownFields(const TViewColumns& columns);
// The record (row of the grid's snapshot) with the item number.
int RecordOfItem(const TInfoGridView& view, const QString& itemNo);

} // namespace kx::test
