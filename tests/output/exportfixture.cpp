#include "exportfixture.h"

#include "views/exportservice.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

namespace kx::test {

namespace {

const char* const kFixtureSQL = R"SQL(
create table kx_test_orders (ordid varchar(20) primary key, ordno varchar(20), orddate date, ordcust varchar(100),
                             ordtype smallint, ordqty numeric(18,4), ordamount numeric(18,2), ordurgent smallint);
insert into kx_test_orders values
  ('O1', 'SO-001', '2024-03-01', '华东机电, 上海', 1, 120, 3600, 1),
  ('O2', 'SO-002', '2024-03-05', '他说"加急"', 2, 15.5, 1240.5, 0),
  ('O3', 'SO-003', '2024-03-09', E'第一行\n第二行', 1, 0, 0, 0),
  ('O4', 'SO-004', '2024-03-12', 'ACME Ltd.', 2, 1000, 25000, 1),
  ('O5', 'SO-005', '2024-04-01', '北方重工', 1, 2.125, 63.75, null),
  ('O6', 'SO-006', null, '南方 "公司", 广州', 2, 48, 1440, 0);

insert into KX_SYS_Objects (ObjID, ObjName, ObjHasEditor) values ('KX_TEST.Orders', '销售订单', 0);
insert into KX_SYS_ObjDataSources (DsrObjID, DsrSeq, DsrID, DsrIsMain, DsrType, DsrSQLData, DsrJoin) values
  ('KX_TEST.Orders', 1, 'o', 1, 0, 'kx_test_orders', '');
insert into KX_SYS_ObjFields (FldObjID, FldSeq, FldID, FldName, FldIsPrimary, FldDataType, FldPrecision, FldSQLExpress,
                              FldValueType, FldEnumValues, FldHideList, FldLayout, FldViewSign) values
  ('KX_TEST.Orders', 1, 'OrdID', '订单ID', 1, 24, 0, 'o.OrdID', 0, '', 1, 0, 0),
  ('KX_TEST.Orders', 2, 'OrdNo', '订单\单号', 0, 24, 0, 'o.OrdNo', 0, '', 0, 1, 0),
  ('KX_TEST.Orders', 3, 'OrdDate', '订单\日期', 0, 9, 0, 'o.OrdDate', 0, '', 0, 0, 0),
  ('KX_TEST.Orders', 4, 'OrdCust', '客户', 0, 24, 0, 'o.OrdCust', 0, '', 0, 0, 0),
  ('KX_TEST.Orders', 5, 'OrdType', '类型', 0, 2, 0, 'o.OrdType', 4, '1=内销|2=外销', 0, 0, 0),
  ('KX_TEST.Orders', 6, 'OrdQty', '数量', 0, 6, 0, 'o.OrdQty', 0, '', 0, 0, 0),
  ('KX_TEST.Orders', 7, 'OrdAmount', '金额', 0, 7, 2, 'o.OrdAmount', 0, '', 0, 0, 0),
  ('KX_TEST.Orders', 8, 'OrdUrgent', '加急', 0, 5, 0, 'o.OrdUrgent', 0, '', 0, 0, 0);
)SQL";

} // namespace

void TExportTest::SetUpTestSuite()
{
    TViewTest::SetUpTestSuite();
    Exec(QString::fromUtf8(kFixtureSQL));
    Host().UseCatalogue();
}

void TExportTest::SetUp()
{
    TViewTest::SetUp();
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    FFolder = QDir::temp().filePath(QStringLiteral("kx-export-%1-%2").arg(info->name()).arg(QCoreApplication::applicationPid()));
    QDir(FFolder).removeRecursively();
    QDir().mkpath(FFolder);
}

void TExportTest::TearDown()
{
    // KX_TEST_KEEP_FILES keeps the written files for a look.
    if (!qEnvironmentVariableIsSet("KX_TEST_KEEP_FILES"))
        QDir(FFolder).removeRecursively();
}

const TInfoObjectDef* OrdersDef()
{
    return TTestHost::Current()->Catalogue()->ObjectDef(QStringLiteral("KX_TEST.Orders"));
}

QString TExportTest::FilePath(const QString& name) const
{
    return QDir(FFolder).filePath(name);
}

TOrdersView::TOrdersView(const TInfoObjectDef* def) : TInfoGridView(nullptr, def)
{
    Columns.AddBand(QStringLiteral("订单"), flFixedLeft);
    const int customer = Columns.AddBand(QStringLiteral("客户与数量"));
    AddColumn(QStringLiteral("OrdNo"), QStringLiteral("单号"), 0)->Width = 80;
    AddColumn(QStringLiteral("OrdDate"), QStringLiteral("日期"), 0)->Width = 90;
    AddColumn(QStringLiteral("OrdCust"), QStringLiteral("客户"), customer)->Width = 160;
    AddColumn(QStringLiteral("OrdType"), QStringLiteral("类型"), customer);
    AddColumn(QStringLiteral("OrdQty"), QStringLiteral("数量"), customer);
    AddColumn(QStringLiteral("OrdAmount"), QStringLiteral("金额"), customer)->Width = 90;
    AddColumn(QStringLiteral("OrdUrgent"), QStringLiteral("加急"), customer)->Width = 50;
}

std::unique_ptr<TOrdersView> OpenOrders(const QString& params)
{
    auto view = std::make_unique<TOrdersView>(OrdersDef());
    view->ViewScheme.Params = params;
    view->resize(900, 400);
    view->InitializeView(QString(), nullptr);
    view->RefreshData(false);
    return view;
}

QString RunProgram(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " failed: " << process.readAllStandardError().toStdString();
        return QString();
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

QJsonDocument RunPythonJson(const QString& script, const QStringList& arguments)
{
    const QString output = RunProgram(QStringLiteral("/usr/bin/python3"),
                                      QStringList{QDir(QStringLiteral(KX_OUTPUT_TEST_DIR)).filePath(script)} + arguments);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(output.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError)
        ADD_FAILURE() << script.toStdString() << " gave no JSON: " << output.left(400).toStdString();
    return document;
}

TChosenExportFile::TChosenExportFile(const QString& fileName) : FSuggested(std::make_shared<QString>())
{
    SetExportFileChooser([fileName, suggested = FSuggested](QWidget*, const QString& name) {
        *suggested = name;
        return fileName;
    });
}

TChosenExportFile::~TChosenExportFile()
{
    SetExportFileChooser(nullptr);
}

} // namespace kx::test
