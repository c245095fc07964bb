// Substitutions and diversions of a demo run: without a diversion filter only substitutions
// are listed; each wider filter adds the allocations that moved supply made for one order to
// another.
#include "resultsfixture.h"

#include "db/shared.h"
#include "views/recordset.h"
#include "workbench/replacesframe.h"

#include <QComboBox>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

class ReplacesView : public TResultsTest {};

TEST_F(ReplacesView, SubstitutionsFirstEachWiderFilterAddsDiversions)
{
    auto scheme = RunDemoScheme(QStringLiteral("替代挪用"));
    auto view = OpenView<TMRPReplacesFrame>(QStringLiteral("KX_MRP.MRP.Replaces"), scheme.get());
    ASSERT_NE(view, nullptr);
    const int substitutions =
        Scalar(QStringLiteral("select count(*) from KX_MRP_Allots where AltSchIID=%1 and AltIsRepl=1").arg(scheme->SchemeIID)).toInt();
    ASSERT_GT(substitutions, 0);
    EXPECT_EQ(view->Records().RecordCount(), substitutions);
    for (int r = 0; r < view->Records().RecordCount(); ++r)
        EXPECT_EQ(view->Records().Value(r, QStringLiteral("AltIsRepl")).toInt(), 1);
    EXPECT_TRUE(SavePicture(view.get(), QStringLiteral("replaces_view.png")));

    // Across order lines includes across orders, which includes across customers.
    QList<int> counts;
    for (int divert : {dtOrderLine, dtOrder, dtCustomer, dtForcastCustomer}) {
        view->cboDivertType->setCurrentIndex(divert);
        counts << view->Records().RecordCount();
        EXPECT_EQ(view->Records().RecordCount(), Scalar(QStringLiteral("select count(*) from KX_MRP_Allots as a join KX_MRP_Supplies as s on "
                                                                       "s.SupSchIID=a.AltSchIID and s.SupIID=a.AltSupIID join KX_MRP_Demands "
                                                                       "as d on d.DmdSchIID=a.AltSchIID and d.DmdIID=a.AltDmdIID where %1")
                                                                    .arg(ReplacesCondition(scheme->SchemeIID, divert)))
                                                         .toInt());
    }
    EXPECT_GE(counts[0], counts[1]);
    EXPECT_GE(counts[1], counts[2]);
    EXPECT_GE(counts[2], substitutions);
    EXPECT_GT(counts[0], substitutions);
    view->cboDivertType->setCurrentIndex(dtOrderLine);
    EXPECT_TRUE(SavePicture(view.get(), QStringLiteral("replaces_view_diverted.png")));
}
