#include "viewfixture.h"

#include "views/recordset.h"

namespace kx::test {

namespace {

// Catalogue rows and hand data of the test objects.
const char* const kFixtureSQL = R"SQL(
insert into KX_SYS_Users (UsrID, UsrNo, UsrName, UsrPwdHash, UsrPwdSalt) values
  ('U001', 'tester', '测试员', repeat('0', 64), repeat('0', 32)),
  ('U002', 'li', '李四', repeat('0', 64), repeat('0', 32))
on conflict (UsrID) do nothing;
insert into KX_Base_Unit (UntID, UntNo, UntName) values ('U1', 'PCS', '个'), ('U2', 'SET', '套');
insert into KX_Base_ItemMaster (ItmID, ItmNo, ItmName, ItmSpec, ItmType, ItmUnitID, ItmStdPrice, ItmDisabled) values
  ('I1', 'A001', '螺栓', 'M8x20', 1, 'U1', 0, 0),
  ('I2', 'A002', '螺母', 'M8', 1, 'U1', 5, 0),
  ('I3', 'A003', '垫片', 'Φ8', 1, 'U1', null, 1),
  ('I4', 'B001', '支架', 'ZJ-01', 2, 'U1', null, 0),
  ('I5', 'C001', '电机组件', 'DJ-220', 2, 'U2', null, 0),
  ('I6', 'C002', '控制箱', 'KZ-3', 3, 'U2', null, 0);

insert into KX_SYS_Objects (ObjID, ObjName, ObjHasEditor) values ('KX_TEST.Items', '物料', 1), ('KX_TEST.Units', '单位', 0);
insert into KX_SYS_ObjDataSources (DsrObjID, DsrSeq, DsrID, DsrIsMain, DsrType, DsrSQLData, DsrJoin) values
  ('KX_TEST.Items', 1, 'i', 1, 0, 'KX_Base_ItemMaster', ''),
  ('KX_TEST.Items', 2, 'u', 0, 0, 'KX_Base_Unit', 'left join KX_Base_Unit as u on u.UntID=i.ItmUnitID'),
  ('KX_TEST.Units', 1, 'u', 1, 0, 'KX_Base_Unit', '');
insert into KX_SYS_ObjFields (FldObjID, FldSeq, FldID, FldName, FldIsPrimary, FldDataType, FldPrecision, FldSQLExpress,
                              FldValueType, FldEnumValues, FldHideList, FldLayout, FldViewSign) values
  ('KX_TEST.Items', 1, 'ItmID', '物料ID', 1, 24, 0, 'i.ItmID', 0, '', 1, 0, 0),
  ('KX_TEST.Items', 2, 'ItmNo', '物料\编号', 0, 24, 0, 'i.ItmNo', 0, '', 0, 1, 0),
  ('KX_TEST.Items', 3, 'ItmName', '物料\名称', 0, 24, 0, 'i.ItmName', 0, '', 0, 0, 0),
  ('KX_TEST.Items', 4, 'ItmSpec', '规格', 0, 24, 0, 'i.ItmSpec', 0, '', 0, 3, 0),
  ('KX_TEST.Items', 5, 'ItmType', '物料类型', 0, 2, 0, 'i.ItmType', 4, '1=外购|2=自制|3=委外|4=虚拟', 0, 0, 0),
  ('KX_TEST.Items', 6, 'UntName', '单位', 0, 24, 0, 'u.UntName', 0, '', 0, 0, 0),
  ('KX_TEST.Items', 7, 'ItmStdPrice', '标准价格', 0, 7, 2, 'i.ItmStdPrice', 0, '', 0, 0, 0),
  ('KX_TEST.Items', 8, 'ItmDisabled', '停用', 0, 2, 0, 'i.ItmDisabled', 0, '', 1, 0, 1),
  ('KX_TEST.Items', 9, 'ItmUnitID', '单位ID', 0, 24, 0, 'i.ItmUnitID', 0, '', 1, 0, 0),
  ('KX_TEST.Units', 1, 'UntID', '单位ID', 1, 24, 0, 'u.UntID', 0, '', 1, 0, 0),
  ('KX_TEST.Units', 2, 'UntNo', '编号', 0, 24, 0, 'u.UntNo', 0, '', 0, 0, 0),
  ('KX_TEST.Units', 3, 'UntName', '名称', 0, 24, 0, 'u.UntName', 0, '', 0, 0, 0);
insert into KX_SYS_ObjActions (ActObjID, ActSeq, ActID, ActName, ActType, ActKind, ActFilter) values
  ('KX_TEST.Items', 1, 'New', '新增', 0, 3, ''),
  ('KX_TEST.Items', 2, 'Edit', '修改', 1, 1, ''),
  ('KX_TEST.Items', 3, 'Disable', '停用', 6, 0, 'i.ItmDisabled=0');
insert into KX_SYS_ObjRelations (RelObjID, RelSeq, RelID, RelName, RelRelObjID, RelFieldMaps) values
  ('KX_TEST.Units', 1, 'Items', '单位物料', 'KX_TEST.Items', 'UntID=ItmUnitID');
)SQL";

} // namespace

void TViewTest::SetUpTestSuite()
{
    TDatabaseTest::SetUpTestSuite();
    Exec(QString::fromUtf8(kFixtureSQL));
    Host().UseCatalogue();
}

void TViewTest::SetUp()
{
    Exec(QStringLiteral("delete from KX_SYS_ViewSchemes; delete from KX_SYS_ViewMasks"));
    Host().Env.MaxRows = 1000;
    Host().Calls.clear();
}

const TInfoObjectDef* TViewTest::ItemsDef()
{
    return Host().Catalogue()->ObjectDef(QStringLiteral("KX_TEST.Items"));
}

const TInfoObjectDef* TViewTest::UnitsDef()
{
    return Host().Catalogue()->ObjectDef(QStringLiteral("KX_TEST.Units"));
}

QStringList TViewTest::CallsStartingWith(const QString& prefix)
{
    QStringList calls;
    for (const QString& c : Host().Calls)
        if (c.startsWith(prefix))
            calls << c;
    return calls;
}

QStringList ShownFields(const TViewColumns& columns)
{
    QStringList fields;
    for (const TViewColumn* c : columns.DisplayOrder())
        fields << c->FieldName;
    return fields;
}

int RecordOfItem(const TInfoGridView& view, const QString& itemNo)
{
    const TRecordSet& records = view.Records();
    for (int r = 0; r < records.RecordCount(); ++r)
        if (records.Value(r, QStringLiteral("ItmNo")).toString() == itemNo)
            return r;
    return -1;
}

} // namespace kx::test
