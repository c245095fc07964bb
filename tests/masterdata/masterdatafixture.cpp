#include "masterdatafixture.h"

#include "db/shared.h"
#include "demofactory.h"
#include "kx_mrp/exports.h"
#include "masterdata/lossrate.h"

#include <QApplication>
#include <QWidget>

namespace kx::test {

TTestERPAccess TMasterDataTest::ERPAccess;

void TMasterDataTest::SetUpTestSuite()
{
    TDatabaseTest::SetUpTestSuite();
    suite::LoadDemoFactory(SharedConnection());
    LoginAs(QStringLiteral("DM-USR-LIMING"), QStringLiteral("'DM-G-PLAN'"));
    Host().Env.ERPAccess = &ERPAccess;
    SetLossRateType(false);
}

void TMasterDataTest::LoginAs(const QString& userID, const QString& groups)
{
    Host().SetUser(userID, userID, groups);
    Host().UseCatalogue();
}

void TMasterDataTest::SetUp()
{
    Exec(QStringLiteral("delete from KX_SYS_ViewSchemes"));
    ERPAccess.Stored.clear();
    ERPAccess.FailingStatement.clear();
    Host().Calls.clear();
}

const TInfoObjectDef* TMasterDataTest::Def(const QString& objectID)
{
    return Host().Catalogue()->ObjectDef(objectID);
}

bool TMasterDataTest::SavePicture(QWidget* widget, const QString& fileName)
{
    widget->show();
    QApplication::processEvents();
    return widget->grab().save(TestOutputPath(fileName));
}

} // namespace kx::test
