-- Catalogue rows of forecast deduction: the automatic deduction on the order lists, the deduction
-- log the host lists (its "清除冲销" belongs to the module), the columns and commands of the
-- deduction view, and the view as a detail list under the forecast and order lists.

-- The automatic deduction may be started from the order lists as from the forecast list.
select KX_SYS_CatAction('KX_MRP.SO', 'AutoDed', '自动冲销', 6::smallint, 3::smallint, 'kx_mrp', '', 'Deduct');
select KX_SYS_CatAction('KX_MRP.SI', 'AutoDed', '自动冲销', 6::smallint, 3::smallint, 'kx_mrp', '', 'Deduct');

-- The deduction log: one row per pair of a forecast line and an order line.
select KX_SYS_CatObject('KX_MRP.DeductLog', '预测冲销记录', 4::smallint, '销售\需求', '', 0::smallint, 50);
select KX_SYS_CatSource('KX_MRP.DeductLog', 's', 'KX_MRP_Deduction');
select KX_SYS_CatSource('KX_MRP.DeductLog', 'f', 'KX_MRP_Forcast',
                        'left join KX_MRP_Forcast as f on f.ForID=s.DedForID and f.ForEntry=s.DedForEntry');
select KX_SYS_CatSource('KX_MRP.DeductLog', 'o', 'KX_MRP_SO',
                        'left join (select 2 as OrdType, SOID as OrdID, SOEntry as OrdEntry, SONo as OrdNo, SOItmID as OrdItmID, '
                        'SOCustID as OrdCustID, SOCustPO as OrdCustPO, SODelivDate as OrdDelivDate, SOBillQty as OrdBillQty from KX_MRP_SO '
                        'union all select 4, SIID, SIEntry, SINo, SIItmID, SICustID, SICustPO, SIDelivDate, SIBillQty from KX_MRP_SI) as o '
                        'on o.OrdType=s.DedOrdType and o.OrdID=s.DedOrdID and o.OrdEntry=s.DedOrdEntry');
select KX_SYS_CatSource('KX_MRP.DeductLog', 'i', 'KX_Base_ItemMaster', 'left join KX_Base_ItemMaster as i on i.ItmID=f.ForItmID');
select KX_SYS_CatSource('KX_MRP.DeductLog', 'u', 'KX_Base_Unit', 'left join KX_Base_Unit as u on u.UntID=i.ItmUnitID');
select KX_SYS_CatSource('KX_MRP.DeductLog', 'du', 'KX_SYS_Users', 'left join KX_SYS_Users as du on du.UsrID=s.DedUsrID');
do $$
declare
  obj constant text := 'KX_MRP.DeductLog';
begin
  perform KX_SYS_CatField(obj, 'DedIID', '冲销内码', 's.DedIID', 3::smallint, 0::smallint, 'PHT');
  perform KX_SYS_CatField(obj, 'DedTime', '冲销时间', 's.DedTime', 11::smallint, 0::smallint, 'L');
  perform KX_SYS_CatField(obj, 'ForNo', '预测单号', 'f.ForNo', 24::smallint, 0::smallint, 'L');
  perform KX_SYS_CatField(obj, 'DedForEntry', '预测行', 's.DedForEntry', 3::smallint, 0::smallint, 'T');
  perform KX_SYS_CatField(obj, 'DedForID', '预测内码', 's.DedForID', 24::smallint, 0::smallint, 'H');
  perform KX_SYS_CatItemFields(obj, 'f.ForItm');
  perform KX_SYS_CatField(obj, 'ForDelivDate', '预测交期', 'f.ForDelivDate', 9::smallint);
  perform KX_SYS_CatField(obj, 'ForCustName', '预测客户', '(select CustName from KX_Base_Customer as c where c.CustID=f.ForCustID)');
  perform KX_SYS_CatField(obj, 'DedOrdType', '订单类型', 's.DedOrdType', 2::smallint, 0::smallint, 'T', 3::smallint, 'MrpBillType');
  perform KX_SYS_CatField(obj, 'OrdNo', '订单号', 'o.OrdNo');
  perform KX_SYS_CatField(obj, 'DedOrdEntry', '订单行', 's.DedOrdEntry', 3::smallint, 0::smallint, 'T');
  perform KX_SYS_CatField(obj, 'DedOrdID', '订单内码', 's.DedOrdID', 24::smallint, 0::smallint, 'H');
  perform KX_SYS_CatField(obj, 'OrdItmNo', '订单物料代码', '(select ItmNo from KX_Base_ItemMaster as oi where oi.ItmID=o.OrdItmID)',
                          24::smallint, 0::smallint, 'D');
  perform KX_SYS_CatField(obj, 'OrdCustName', '订单客户', '(select CustName from KX_Base_Customer as c where c.CustID=o.OrdCustID)');
  perform KX_SYS_CatField(obj, 'OrdCustPO', '客户单号', 'o.OrdCustPO', 24::smallint, 0::smallint, 'D');
  perform KX_SYS_CatField(obj, 'OrdDelivDate', '订单交期', 'o.OrdDelivDate', 9::smallint);
  perform KX_SYS_CatField(obj, 'DedForQty', '预测冲销数', 's.DedForQty', 6::smallint, 8::smallint);
  perform KX_SYS_CatField(obj, 'DedOrdQty', '订单冲销数', 's.DedOrdQty', 6::smallint, 8::smallint);
  perform KX_SYS_CatField(obj, 'DedManual', '手动冲销', 's.DedManual', 5::smallint, 0::smallint, 'T');
  perform KX_SYS_CatField(obj, 'DedUsrName', '冲销人', 'du.UsrName');
  perform KX_SYS_CatAction(obj, 'ClearDed', '清除冲销', 6::smallint, 0::smallint, 'kx_mrp', '', 'Deduct');
  perform KX_SYS_CatAccess(obj, 'Browse', '浏览');
  perform KX_SYS_CatAccess(obj, 'Deduct', '冲销');
end $$;

-- The deduction view: a tree the view fills itself, one bill line and its deductions; the
-- fields give its columns.
do $$
declare
  obj constant text := 'KX_MRP.Deduct';
  col record;
begin
  delete from KX_SYS_ObjFields where FldObjID = obj;
  delete from KX_SYS_ObjActions where ActObjID = obj;
  delete from KX_SYS_ObjDataSources where DsrObjID = obj;
  perform KX_SYS_CatSource(obj, 's', 'KX_MRP_Deduction');
  for col in select * from (values
      ('DedKind', '冲销类型', 24, 0, 'L'),
      ('BillNo', '冲销单号', 24, 0, 'L'),
      ('NeedDate', '需求日期', 9, 0, ''),
      ('ItmNo', '物料代码', 24, 0, ''),
      ('ItmName', '物料名称', 24, 0, ''),
      ('ItmSpec', '规格型号', 24, 0, ''),
      ('BomNo', 'BOM单', 24, 0, ''),
      ('BillEntry', '单据行', 3, 0, 'T'),
      ('CustName', '客户', 24, 0, ''),
      ('CustPO', '客户单号', 24, 0, ''),
      ('DeptName', '部门', 24, 0, ''),
      ('BillDate', '单据日期', 9, 0, ''),
      ('BillQty', '单据数量', 6, 8, ''),
      ('ExeQty', '执行数量', 6, 8, ''),
      ('DedAQty', '自动冲销数', 6, 8, ''),
      ('DedMQty', '手动冲销数', 6, 8, ''),
      ('LeftQty', '未冲销数', 6, 8, ''),
      ('UntName', '单位', 24, 0, ''),
      ('DedManual', '手动冲销', 5, 0, 'T'),
      ('DedQty', '本次冲销数', 6, 8, ''),
      ('DedUsrName', '本次冲销人', 24, 0, ''),
      ('DedTime', '本次冲销时间', 11, 0, '')) as v(id, name, type, prec, flags) loop
    perform KX_SYS_CatField(obj, col.id, col.name, 'null', col.type::smallint, col.prec::smallint, col.flags);
  end loop;
  for n in 1..10 loop
    perform KX_SYS_CatField(obj, 'ItmProp' || n, '辅助项' || n, 'null', 24::smallint, 0::smallint, 'D');
  end loop;
  perform KX_SYS_CatAction(obj, 'Update', '修改', 1::smallint, 3::smallint, 'kx_mrp', '', 'Update');
  perform KX_SYS_CatAction(obj, 'AddForcast', '选产品预测', 6::smallint, 3::smallint, 'kx_mrp', '', 'Update');
  perform KX_SYS_CatAction(obj, 'AddSO', '选销售订单', 6::smallint, 3::smallint, 'kx_mrp', '', 'Update');
  perform KX_SYS_CatAction(obj, 'AddSI', '选出口订单', 6::smallint, 3::smallint, 'kx_mrp', '', 'Update');
  perform KX_SYS_CatAction(obj, 'Delete', '删除', 2::smallint, 0::smallint, 'kx_mrp', '', 'Update');
end $$;

-- Under the forecast and order lists the deduction view shows the focused line's deductions.
insert into KX_SYS_ObjRelations (RelObjID, RelSeq, RelID, RelName, RelRelObjID, RelFieldMaps)
select r.ObjID, coalesce((select max(x.RelSeq) from KX_SYS_ObjRelations as x where x.RelObjID = r.ObjID), 0) + 1,
       'Deduct', '预测冲销', 'KX_MRP.Deduct', r.FieldMaps
  from (values
    ('KX_MRP.Forcast', 'ForID=ForID|ForEntry=ForEntry'),
    ('KX_MRP.SO', 'SOID=SOID|SOEntry=SOEntry'),
    ('KX_MRP.SI', 'SIID=SIID|SIEntry=SIEntry')
  ) as r(ObjID, FieldMaps);

-- The forecast editor's columns the list does not show by default: the line's unit, its
-- quantity in that unit and the item's base unit.
select KX_SYS_CatField('KX_MRP.Forcast', 'UntName', '单位', '(select UntName from KX_Base_Unit as fu where fu.UntID=s.ForUntID)',
                       24::smallint, 0::smallint, 'D');
select KX_SYS_CatField('KX_MRP.Forcast', 'ForUBillQty', '数量', 's.ForUBillQty', 6::smallint, 8::smallint, 'D');
select KX_SYS_CatField('KX_MRP.Forcast', 'ItmUntName', '基本单位', 'u.UntName', 24::smallint, 0::smallint, 'D');
