-- Catalogue rows of the result views of a plan scheme: the supplies ("KX_MRP.MRP.Supplies"), the
-- pegging tree ("KX_MRP.MRP.Allot"), the balance ("KX_MRP.MRP.Balance") with the bills behind a
-- balance row ("KX_MRP.MRP.Bills"), and the substitutions and diversions ("KX_MRP.MRP.Replaces").
-- The workbench opens them, never the menu. Each object is described afresh: rows a former
-- catalogue file gave it are replaced.

-- Quantities of the result views: (field, caption) pairs written as numbers with eight decimals.
create function KX_SYS_CatQtyFields(p_obj text, p_prefix text, p_fields text[][], p_flags text default '') returns void
language plpgsql as $$
declare
  f text[];
begin
  foreach f slice 1 in array p_fields loop
    perform KX_SYS_CatField(p_obj, f[1], f[2], p_prefix || f[1], 6::smallint, 8::smallint, p_flags);
  end loop;
end $$;

-- The planning columns of the item settings ("mt") and the planner and buyer ("pl", "by").
create function KX_SYS_CatPlanningFields(p_obj text) returns void
language plpgsql as $$
begin
  perform KX_SYS_CatField(p_obj, 'ItmPlanner', '计划员', 'pl.EmpName', 24::smallint, 0::smallint, 'D');
  perform KX_SYS_CatField(p_obj, 'ItmBuyer', '采购员', 'by.EmpName', 24::smallint, 0::smallint, 'D');
  perform KX_SYS_CatField(p_obj, 'ItmMinQty', '最小供应量', 'mt.ItmMinQty', 6::smallint, 8::smallint, 'D');
  perform KX_SYS_CatField(p_obj, 'ItmLotQty', '批量增量', 'mt.ItmLotQty', 6::smallint, 8::smallint, 'D');
end $$;

-- Supplies of a scheme: KX_MRP_Supplies ("s") with the item, unit, supplier or department, BOM,
-- origin item and customer, the planning people and the planner's adjustment ("j").
select KX_SYS_CatObject('KX_MRP.MRP.Supplies', '供应计划', 0::smallint, '', 'kx_mrp', 0::smallint, 0);
update KX_SYS_Objects set ObjInternal = 1 where ObjID = 'KX_MRP.MRP.Supplies';
select KX_SYS_CatSource('KX_MRP.MRP.Supplies', 's', 'KX_MRP_Supplies');
select KX_SYS_CatSource('KX_MRP.MRP.Supplies', 'i', 'KX_Base_ItemMaster', 'join KX_Base_ItemMaster as i on i.ItmID=s.SupItmID');
select KX_SYS_CatSource('KX_MRP.MRP.Supplies', 'u', 'KX_Base_Unit', 'left join KX_Base_Unit as u on u.UntID=i.ItmUnitID');
select KX_SYS_CatSource('KX_MRP.MRP.Supplies', 'mt', 'KX_MRP_ItemSetting', 'left join KX_MRP_ItemSetting as mt on mt.ItmID=s.SupItmID');
select KX_SYS_CatSource('KX_MRP.MRP.Supplies', 'pl', 'KX_Base_Employee', 'left join KX_Base_Employee as pl on pl.EmpID=mt.ItmPlannerID');
select KX_SYS_CatSource('KX_MRP.MRP.Supplies', 'by', 'KX_Base_Employee', 'left join KX_Base_Employee as by on by.EmpID=mt.ItmBuyerID');
select KX_SYS_CatSource('KX_MRP.MRP.Supplies', 'd', 'KX_Base_Department', 'left join KX_Base_Department as d on d.DeptID=s.SupDeptID');
select KX_SYS_CatSource('KX_MRP.MRP.Supplies', 'v', 'KX_Base_Supplier', 'left join KX_Base_Supplier as v on v.SuppID=s.SupSuppID');
select KX_SYS_CatSource('KX_MRP.MRP.Supplies', 'b', 'KX_Bom_Head', 'left join KX_Bom_Head as b on b.BomID=s.SupBomID');
select KX_SYS_CatSource('KX_MRP.MRP.Supplies', 'oi', 'KX_Base_ItemMaster', 'left join KX_Base_ItemMaster as oi on oi.ItmID=s.SupOrigItmID');
select KX_SYS_CatSource('KX_MRP.MRP.Supplies', 'c', 'KX_Base_Customer', 'left join KX_Base_Customer as c on c.CustID=s.SupOrigCustID');
select KX_SYS_CatSource('KX_MRP.MRP.Supplies', 'j', 'KX_MRP_SupAdjusts',
                        'left join KX_MRP_SupAdjusts as j on j.AdjSchIID=s.SupSchIID and j.AdjSupIID=s.SupIID');
do $$
declare
  obj constant text := 'KX_MRP.MRP.Supplies';
begin
  perform KX_SYS_CatField(obj, 'SupSchIID', '方案内码', 's.SupSchIID', 3::smallint, 0::smallint, 'PHT');
  perform KX_SYS_CatField(obj, 'SupIID', '供应内码', 's.SupIID', 3::smallint, 0::smallint, 'PHT');
  perform KX_SYS_CatField(obj, 'ItmNo', '物料代码', 'i.ItmNo', 24::smallint, 0::smallint, 'L');
  perform KX_SYS_CatField(obj, 'ItmName', '物料名称', 'i.ItmName', 24::smallint, 0::smallint, 'L');
  perform KX_SYS_CatField(obj, 'ItmSpec', '规格型号', 'i.ItmSpec', 24::smallint, 0::smallint, 'L');
  perform KX_SYS_CatField(obj, 'SupBillType', '类型', 's.SupBillType', 2::smallint, 0::smallint, 'LT', 3::smallint, 'MrpBillType');
  perform KX_SYS_CatField(obj, 'SupBillNo', '单据编号', 's.SupBillNo');
  perform KX_SYS_CatField(obj, 'SupBillEntry', '单据行', 's.SupBillEntry', 3::smallint, 0::smallint, 'T');
  perform KX_SYS_CatField(obj, 'SupDate', '交货日期', 's.SupDate', 9::smallint);
  perform KX_SYS_CatField(obj, 'DeptName', '供应单位', 'coalesce(v.SuppName, d.DeptName)');
  perform KX_SYS_CatField(obj, 'BomNo', 'BOM单', 'b.BomNo');
  perform KX_SYS_CatField(obj, 'SupDrawDate', '发料日期', 's.SupDrawDate', 9::smallint);
  perform KX_SYS_CatField(obj, 'SupNote', '备注', 's.SupNote');
  perform KX_SYS_CatField(obj, 'UntName', '单位', 'u.UntName');
  perform KX_SYS_CatQtyFields(obj, 's.', array[['SupBillQty', '单据数量']]);
  perform KX_SYS_CatField(obj, 'SupOkQty', '执行数量',
                          '(case when s.SupBillType<42 and s.SupBillQty>s.SupQty then s.SupBillQty-s.SupQty else 0 end)',
                          6::smallint, 8::smallint);
  perform KX_SYS_CatQtyFields(obj, 's.', array[['SupAdjQty', '(调整数)'], ['SupQty', '计划数量'], ['SupChkQty', '(在检数)'],
                                               ['SupAllotQty', '被分配数'], ['SupAReplQty', '(替代他料)'], ['SupRestQty', '剩余数量'],
                                               ['SupDestQty', '已投放数']]);
  perform KX_SYS_CatField(obj, 'SupUnDestQty', '未投放数',
                          '(case when s.SupBillType>=42 then s.SupQty-coalesce(s.SupDestQty,0) end)', 6::smallint, 8::smallint);
  perform KX_SYS_CatField(obj, 'SupDester', '投放人', 's.SupDester', 24::smallint, 0::smallint, 'D');
  perform KX_SYS_CatField(obj, 'SupDestTime', '投放时间', 's.SupDestTime', 11::smallint, 0::smallint, 'D');
  perform KX_SYS_CatField(obj, 'OrigType', '主需求', 'nullif(s.SupOrigType, 0)', 2::smallint, 0::smallint, 'T', 3::smallint, 'MrpBillType');
  perform KX_SYS_CatField(obj, 'OrigNo', '主需求号',
                          '(case when coalesce(s.SupOrigEntry,0)<>0 then s.SupOrigNo||''/''||s.SupOrigEntry else s.SupOrigNo end)');
  perform KX_SYS_CatField(obj, 'OrigCust', '主需求客户', 'c.CustName', 24::smallint, 0::smallint, 'D');
  perform KX_SYS_CatField(obj, 'OrigCustPO', '主需求客户单号', 's.SupOrigCustPO', 24::smallint, 0::smallint, 'D');
  perform KX_SYS_CatField(obj, 'OrigItmNo', '主需求物料代码', 'oi.ItmNo', 24::smallint, 0::smallint, 'D');
  perform KX_SYS_CatField(obj, 'OrigItmName', '主需求物料名称', 'oi.ItmName', 24::smallint, 0::smallint, 'D');
  perform KX_SYS_CatField(obj, 'OrigItmSpec', '主需求规格型号', 'oi.ItmSpec', 24::smallint, 0::smallint, 'D');
  perform KX_SYS_CatField(obj, 'SupBillDate', '下单日期', 's.SupBillDate', 9::smallint, 0::smallint, 'D');
  perform KX_SYS_CatField(obj, 'SupOrigTag', '需求分类号', 's.SupOrigTag', 24::smallint, 0::smallint, 'D');
  perform KX_SYS_CatField(obj, 'SupOrigSubTag', '子件需求分类号', 's.SupOrigSubTag', 24::smallint, 0::smallint, 'D');
  perform KX_SYS_CatField(obj, 'SupGroupType', 'MRP分组', 's.SupGroupType', 2::smallint, 0::smallint, 'DT', 3::smallint, 'MrpGroupType');
  perform KX_SYS_CatField(obj, 'SupGroupNo', 'MRP分组号', 's.SupGroupNo', 24::smallint, 0::smallint, 'D');
  perform KX_SYS_CatPlanningFields(obj);
  perform KX_SYS_CatField(obj, 'ItmFixLeadTime', '固定提前期', 'mt.ItmFixLeadTime', 3::smallint, 0::smallint, 'DT');
  perform KX_SYS_CatField(obj, 'ItmVarLeadTime', '变动提前期', 'mt.ItmVarLeadTime', 3::smallint, 0::smallint, 'DT');
  perform KX_SYS_CatField(obj, 'ItmVarLeadLot', '变动提前期批量', 'mt.ItmVarLeadLot', 6::smallint, 8::smallint, 'D');
  for n in 1..10 loop
    perform KX_SYS_CatField(obj, 'SupItmProp' || n, '辅助项' || n, 's.SupItmProp' || n, 24::smallint, 0::smallint, 'D');
  end loop;
  perform KX_SYS_CatField(obj, 'SupBomLocked', 'BOM锁定', 's.SupBomLocked', 2::smallint, 0::smallint, 'HT');
  perform KX_SYS_CatField(obj, 'SupHints', '期间分布', 's.SupHints', 24::smallint, 0::smallint, 'H');
  perform KX_SYS_CatField(obj, 'SupItmProps', '辅助属性', 's.SupItmProps', 24::smallint, 0::smallint, 'H');
  perform KX_SYS_CatAction(obj, 'Update', '调整供应计划', 1::smallint, 3::smallint, 'kx_mrp', '', 'Update');
  perform KX_SYS_CatAction(obj, 'MRP', '运算MRP', 6::smallint, 3::smallint, 'kx_mrp', '', 'Update');
  perform KX_SYS_CatAccess(obj, 'Browse', '浏览');
  perform KX_SYS_CatAccess(obj, 'Update', '修改');
end $$;

-- The pegging tree: the view composes its statements itself (demands with the planned supply made
-- for them, level by level); the fields give its columns.
select KX_SYS_CatObject('KX_MRP.MRP.Allot', '需求分配', 0::smallint, '', 'kx_mrp', 0::smallint, 0);
update KX_SYS_Objects set ObjInternal = 1 where ObjID = 'KX_MRP.MRP.Allot';
select KX_SYS_CatSource('KX_MRP.MRP.Allot', 's', 'KX_MRP_Demands');
do $$
declare
  obj constant text := 'KX_MRP.MRP.Allot';
  col record;
begin
  for col in select * from (values
      ('DmdPriority', '优先级', 3, 0, 'LT', ''),
      ('DmdBillType', '类型', 2, 0, 'LT', 'MrpBillType'),
      ('DmdBillNo', '单据编号', 24, 0, 'L', ''),
      ('DmdBillEntry', '单据行', 3, 0, 'T', ''),
      ('DmdBillDate', '单据日期', 9, 0, 'D', ''),
      ('OrigType', '主需求', 2, 0, 'T', 'MrpBillType'),
      ('OrigNo', '主需求号', 24, 0, '', ''),
      ('ItmNo', '物料代码', 24, 0, '', ''),
      ('ItmName', '物料名称', 24, 0, '', ''),
      ('ItmSpec', '规格型号', 24, 0, '', ''),
      ('OrigCust', '主需求客户', 24, 0, 'D', ''),
      ('OrigCustPO', '主需求客户单号', 24, 0, 'D', ''),
      ('DmdOrigTag', '需求分类号', 24, 0, 'D', ''),
      ('DmdGroupType', 'MRP分组', 2, 0, 'DT', 'MrpGroupType'),
      ('DmdGroupNo', 'MRP分组号', 24, 0, 'D', ''),
      ('DmdDate', '需求日期', 9, 0, '', ''),
      ('DmdDept', '需求单位', 24, 0, 'D', ''),
      ('DmdNote', '备注', 24, 0, 'D', ''),
      ('UntName', '单位', 24, 0, '', ''),
      ('DmdUnitQty', '单位用量', 6, 8, '', ''),
      ('DmdBillQty', '单据数量', 6, 8, 'D', ''),
      ('DmdOkQty', '执行数量', 6, 8, 'D', ''),
      ('DmdNeedQty', '需求数量', 6, 8, '', ''),
      ('DmdInvQty', '分配库存数', 6, 8, '', ''),
      ('DmdPOQty', '分配采购数', 6, 8, '', ''),
      ('DmdOOQty', '分配委外数', 6, 8, '', ''),
      ('DmdMOQty', '分配生产数', 6, 8, '', ''),
      ('DmdChkQty', '(分配在检)', 6, 8, 'D', ''),
      ('DmdPRQty', '分配采购申请', 6, 8, '', ''),
      ('DmdORQty', '分配委外申请', 6, 8, '', ''),
      ('DmdMRQty', '分配生产计划', 6, 8, '', ''),
      ('DmdReplQty', '(他料替入)', 6, 8, '', ''),
      ('DmdASetQty', '可供套数', 6, 8, 'D', ''),
      ('DmdASetRate', '可供套率(%)', 6, 8, 'D', ''),
      ('DmdNetQty', '净需求数', 6, 8, '', ''),
      ('DmdPPPQty', '分配MRP计划', 6, 8, '', ''),
      ('SupBillType', '分配供应信息\计划类别', 2, 0, 'T', 'MrpBillType'),
      ('BomNo', '分配供应信息\计划BOM', 24, 0, '', ''),
      ('SupQty', '分配供应信息\计划供应数', 6, 8, '', ''),
      ('SupDSetQty', '分配供应信息\齐套数量', 6, 8, 'D', ''),
      ('SupDSetRate', '分配供应信息\齐套率(%)', 6, 8, 'D', ''),
      ('ItmPlanner', '计划员', 24, 0, 'D', ''),
      ('ItmBuyer', '采购员', 24, 0, 'D', ''),
      ('ItmMinQty', '最小供应量', 6, 8, 'D', ''),
      ('ItmLotQty', '批量增量', 6, 8, 'D', ''),
      ('ItmFixLeadTime', '固定提前期', 3, 0, 'DT', ''),
      ('ItmVarLeadTime', '变动提前期', 3, 0, 'DT', ''),
      ('ItmVarLeadLot', '变动提前期批量', 6, 8, 'D', ''),
      ('BalNeedQty', '总体供需信息\总体毛需求', 6, 8, 'D', ''),
      ('BalPBomQty', '总体供需信息\总体待出数', 6, 8, 'D', ''),
      ('BalROutQty', '总体供需信息\总体替代他料', 6, 8, 'D', ''),
      ('BalSafeQty', '总体供需信息\总体安全库存', 6, 8, 'D', ''),
      ('BalInvQty', '总体供需信息\总体库存数', 6, 8, 'D', ''),
      ('BalPOQty', '总体供需信息\总体采购数', 6, 8, 'D', ''),
      ('BalOOQty', '总体供需信息\总体委外数', 6, 8, 'D', ''),
      ('BalMOQty', '总体供需信息\总体生产数', 6, 8, 'D', ''),
      ('BalChkQty', '总体供需信息\(总体在检)', 6, 8, 'D', ''),
      ('BalPRQty', '总体供需信息\总体采购申请', 6, 8, 'D', ''),
      ('BalORQty', '总体供需信息\总体委外申请', 6, 8, 'D', ''),
      ('BalMRQty', '总体供需信息\总体生产计划', 6, 8, 'D', ''),
      ('BalRInQty', '总体供需信息\总体他料替入', 6, 8, 'D', ''),
      ('BalNetQty', '总体供需信息\总体净需求', 6, 8, 'D', ''),
      ('BalQty', '总体供需信息\总体计划数', 6, 8, 'D', ''),
      ('BalXQty', '总体供需信息\总体跳层数', 6, 8, 'D', ''),
      ('BalEndQty', '总体供需信息\总体剩余数', 6, 8, 'D', '')) as v(id, name, type, prec, flags, enum) loop
    perform KX_SYS_CatField(obj, col.id, col.name, 'null', col.type::smallint, col.prec::smallint, col.flags,
                            case when col.enum <> '' then 3 else 0 end::smallint, col.enum);
  end loop;
  for n in 1..10 loop
    perform KX_SYS_CatField(obj, 'DmdItmProp' || n, '辅助项' || n, 'null', 24::smallint, 0::smallint, 'D');
  end loop;
  perform KX_SYS_CatAccess(obj, 'Browse', '浏览');
end $$;

-- The balance of a scheme per item, property key and MRP group: KX_MRP_Balance ("s"); the view
-- adds the plan periods under each row. "相关需求" gathers the component demands of planned supplies.
select KX_SYS_CatObject('KX_MRP.MRP.Balance', '供需平衡', 0::smallint, '', 'kx_mrp', 0::smallint, 0);
update KX_SYS_Objects set ObjInternal = 1 where ObjID = 'KX_MRP.MRP.Balance';
select KX_SYS_CatSource('KX_MRP.MRP.Balance', 's', 'KX_MRP_Balance');
select KX_SYS_CatSource('KX_MRP.MRP.Balance', 'i', 'KX_Base_ItemMaster', 'join KX_Base_ItemMaster as i on i.ItmID=s.BalItmID');
select KX_SYS_CatSource('KX_MRP.MRP.Balance', 'u', 'KX_Base_Unit', 'left join KX_Base_Unit as u on u.UntID=i.ItmUnitID');
select KX_SYS_CatSource('KX_MRP.MRP.Balance', 'mt', 'KX_MRP_ItemSetting', 'left join KX_MRP_ItemSetting as mt on mt.ItmID=s.BalItmID');
select KX_SYS_CatSource('KX_MRP.MRP.Balance', 'pl', 'KX_Base_Employee', 'left join KX_Base_Employee as pl on pl.EmpID=mt.ItmPlannerID');
select KX_SYS_CatSource('KX_MRP.MRP.Balance', 'by', 'KX_Base_Employee', 'left join KX_Base_Employee as by on by.EmpID=mt.ItmBuyerID');
do $$
declare
  obj constant text := 'KX_MRP.MRP.Balance';
begin
  perform KX_SYS_CatField(obj, 'BalSchIID', '方案内码', 's.BalSchIID', 3::smallint, 0::smallint, 'PHT');
  perform KX_SYS_CatField(obj, 'BalIID', '平衡内码', 's.BalIID', 3::smallint, 0::smallint, 'PHT');
  perform KX_SYS_CatField(obj, 'ItmNo', '物料代码', 'i.ItmNo', 24::smallint, 0::smallint, 'L');
  perform KX_SYS_CatField(obj, 'ItmName', '物料名称', 'i.ItmName', 24::smallint, 0::smallint, 'L');
  perform KX_SYS_CatField(obj, 'ItmSpec', '规格型号', 'i.ItmSpec');
  perform KX_SYS_CatField(obj, 'UntName', '单位', 'u.UntName');
  perform KX_SYS_CatQtyFields(obj, 's.', array[['BalInvQty', '初始库存'], ['BalSafeQty', '安全库存'], ['BalForQty', '产品预测'],
                                               ['BalSOQty', '销售订单'], ['BalFreeQty', '其他需求']]);
  perform KX_SYS_CatField(obj, 'BalRelQty', '相关需求',
                          '(coalesce(s.BalPOODQty,0)+coalesce(s.BalPMODQty,0)+coalesce(s.BalVirDQty,0))', 6::smallint, 8::smallint);
  perform KX_SYS_CatQtyFields(obj, 's.', array[['BalOODQty', '委外待出'], ['BalMODQty', '生产待出'], ['BalROutQty', '替代他料'],
                                               ['BalPOQty', '采购订单'], ['BalOOQty', '委外订单'], ['BalMOQty', '生产任务'],
                                               ['BalChkQty', '(在检数)'], ['BalPRQty', '采购申请'], ['BalORQty', '委外申请'],
                                               ['BalMRQty', '生产计划'], ['BalRInQty', '他料替入'], ['BalNetQty', '净需求'],
                                               ['BalQty', '计划数量'], ['BalXQty', '跳层数量'], ['BalEndQty', '剩余数量']]);
  perform KX_SYS_CatPlanningFields(obj);
  perform KX_SYS_CatField(obj, 'BalGroupType', 'MRP分组', 's.BalGroupType', 2::smallint, 0::smallint, 'T', 3::smallint, 'MrpGroupType');
  perform KX_SYS_CatField(obj, 'BalGroupNo', 'MRP分组号/期间', 's.BalGroupNo');
  for n in 1..10 loop
    perform KX_SYS_CatField(obj, 'BalItmProp' || n, '辅助项' || n, 's.BalItmProp' || n, 24::smallint, 0::smallint, 'D');
  end loop;
  perform KX_SYS_CatField(obj, 'BalItmID', '物料内码', 's.BalItmID', 24::smallint, 0::smallint, 'H');
  perform KX_SYS_CatField(obj, 'BalItmProps', '辅助属性', 's.BalItmProps', 24::smallint, 0::smallint, 'H');
  perform KX_SYS_CatField(obj, 'ItmSafeQty', '物料安全库存', 'mt.ItmSafeQty', 6::smallint, 8::smallint, 'H');
  perform KX_SYS_CatAccess(obj, 'Browse', '浏览');
  delete from KX_SYS_ObjRelations where RelObjID = obj;
  insert into KX_SYS_ObjRelations (RelObjID, RelSeq, RelID, RelName, RelRelObjID, RelFieldMaps)
  values (obj, 1, 'Bills', '来源单据', 'KX_MRP.MRP.Bills',
          'BalSchIID=BalSchIID|BalItmID=BalItmID|BalItmProps=BalItmProps|BalGroupType=BalGroupType|BalGroupNo=BalGroupNo');
end $$;

-- The bills behind a balance row: the view composes the statement of the row's supplies, demands
-- and substitutions; the fields give its columns.
select KX_SYS_CatObject('KX_MRP.MRP.Bills', '来源单据', 0::smallint, '', 'kx_mrp', 0::smallint, 0);
update KX_SYS_Objects set ObjInternal = 1 where ObjID = 'KX_MRP.MRP.Bills';
select KX_SYS_CatSource('KX_MRP.MRP.Bills', 's', 'KX_MRP_Supplies');
do $$
declare
  obj constant text := 'KX_MRP.MRP.Bills';
  col record;
begin
  perform KX_SYS_CatField(obj, 'BillClass', '类别', 's.BillClass', 2::smallint, 0::smallint, 'LT', 4::smallint);
  update KX_SYS_ObjFields set FldEnumValues = '1=库存/安全库存|2=独立需求|3=相关需求|4=他料替入|5=供应订单|6=替代他料|7=计划供应'
   where FldObjID = obj and FldID = 'BillClass';
  for col in select * from (values
      ('SupBillType', '类型', 2, 0, 'LT', 'MrpBillType'),
      ('SupBillNo', '单据编号', 24, 0, 'L', ''),
      ('SupBillEntry', '单据行', 3, 0, 'T', ''),
      ('SupBillDate', '单据日期', 9, 0, '', ''),
      ('SupDate', '供需日期', 9, 0, '', ''),
      ('DeptName', '供需单位', 24, 0, '', ''),
      ('SupNote', '备注', 24, 0, 'D', ''),
      ('BomNo', 'BOM单', 24, 0, '', ''),
      ('OrigType', '主需求', 2, 0, 'T', 'MrpBillType'),
      ('OrigNo', '主需求号', 24, 0, '', ''),
      ('OrigCust', '主需求客户', 24, 0, 'D', ''),
      ('OrigCustPO', '主需求客户单号', 24, 0, 'D', ''),
      ('OrigItmNo', '主需求物料代码', 24, 0, 'D', ''),
      ('OrigItmName', '主需求物料名称', 24, 0, 'D', ''),
      ('OrigItmSpec', '主需求规格型号', 24, 0, 'D', ''),
      ('SupOrigTag', '需求分类号', 24, 0, 'D', ''),
      ('SupBillQty', '单据数量', 6, 8, '', ''),
      ('SupOkQty', '执行数量', 6, 8, 'D', ''),
      ('SupInvQty', '分配库存数', 6, 8, '', ''),
      ('SupPOQty', '分配采购数', 6, 8, '', ''),
      ('SupOOQty', '分配委外数', 6, 8, '', ''),
      ('SupMOQty', '分配生产数', 6, 8, '', ''),
      ('SupChkQty', '(在检数)', 6, 8, '', ''),
      ('SupPRQty', '分配采购申请', 6, 8, '', ''),
      ('SupORQty', '分配委外申请', 6, 8, '', ''),
      ('SupMRQty', '分配生产计划', 6, 8, '', ''),
      ('SupPPPQty', '分配MRP计划', 6, 8, '', ''),
      ('SupReplQty', '(替代数)', 6, 8, '', ''),
      ('SupQty', '供需数量', 6, 8, '', ''),
      ('SupRestQty', '剩余数量', 6, 8, '', ''),
      ('AltItmNo', '替代物料代码', 24, 0, '', ''),
      ('AltItmName', '替代物料名称', 24, 0, 'D', ''),
      ('AltItmSpec', '替代规格型号', 24, 0, 'D', ''),
      ('AltQty', '替代对方数', 6, 8, '', '')) as v(id, name, type, prec, flags, enum) loop
    perform KX_SYS_CatField(obj, col.id, col.name, 's.' || col.id, col.type::smallint, col.prec::smallint, col.flags,
                            case when col.enum <> '' then 3 else 0 end::smallint, col.enum);
  end loop;
  perform KX_SYS_CatField(obj, 'SupIID', '单据内码', 's.SupIID', 3::smallint, 0::smallint, 'HT');
  perform KX_SYS_CatField(obj, 'SupPeriod', '期间', 's.SupPeriod', 3::smallint, 0::smallint, 'HT');
  perform KX_SYS_CatField(obj, 'SupHints', '期间分布', 's.SupHints', 24::smallint, 0::smallint, 'H');
  perform KX_SYS_CatAccess(obj, 'Browse', '浏览');
end $$;

-- Substitutions and diversions: the allocations of a scheme ("a") with the supply ("s") that gave
-- and the demand ("d") that took, each with its item.
select KX_SYS_CatObject('KX_MRP.MRP.Replaces', '替代明细', 0::smallint, '', 'kx_mrp', 0::smallint, 0);
update KX_SYS_Objects set ObjInternal = 1 where ObjID = 'KX_MRP.MRP.Replaces';
select KX_SYS_CatSource('KX_MRP.MRP.Replaces', 'a', 'KX_MRP_Allots');
select KX_SYS_CatSource('KX_MRP.MRP.Replaces', 's', 'KX_MRP_Supplies',
                        'join KX_MRP_Supplies as s on s.SupSchIID=a.AltSchIID and s.SupIID=a.AltSupIID');
select KX_SYS_CatSource('KX_MRP.MRP.Replaces', 'd', 'KX_MRP_Demands',
                        'join KX_MRP_Demands as d on d.DmdSchIID=a.AltSchIID and d.DmdIID=a.AltDmdIID');
select KX_SYS_CatSource('KX_MRP.MRP.Replaces', 'di', 'KX_Base_ItemMaster', 'join KX_Base_ItemMaster as di on di.ItmID=d.DmdItmID');
select KX_SYS_CatSource('KX_MRP.MRP.Replaces', 'si', 'KX_Base_ItemMaster', 'join KX_Base_ItemMaster as si on si.ItmID=s.SupItmID');
do $$
declare
  obj constant text := 'KX_MRP.MRP.Replaces';
begin
  perform KX_SYS_CatField(obj, 'AltSchIID', '方案内码', 'a.AltSchIID', 3::smallint, 0::smallint, 'PHT');
  perform KX_SYS_CatField(obj, 'AltIID', '分配内码', 'a.AltIID', 3::smallint, 0::smallint, 'PHT');
  perform KX_SYS_CatField(obj, 'DmdBillType', '需求类型', 'd.DmdBillType', 2::smallint, 0::smallint, 'LT', 3::smallint, 'MrpBillType');
  perform KX_SYS_CatField(obj, 'DmdBillNo', '需求单据编号', 'd.DmdBillNo', 24::smallint, 0::smallint, 'L');
  perform KX_SYS_CatField(obj, 'DmdItmNo', '需求物料代码', 'di.ItmNo', 24::smallint, 0::smallint, 'L');
  perform KX_SYS_CatField(obj, 'DmdItmName', '需求物料名称', 'di.ItmName');
  perform KX_SYS_CatField(obj, 'DmdItmSpec', '需求规格型号', 'di.ItmSpec');
  perform KX_SYS_CatField(obj, 'DmdDate', '需求日期', 'd.DmdDate', 9::smallint);
  perform KX_SYS_CatField(obj, 'DmdQty', '需求数量', '(case when a.AltIsRepl=1 then a.AltReplQty else a.AltQty end)', 6::smallint, 8::smallint);
  perform KX_SYS_CatField(obj, 'AltIsRepl', '替代', 'a.AltIsRepl', 5::smallint, 0::smallint, 'T');
  perform KX_SYS_CatField(obj, 'SupBillType', '供应类型', 's.SupBillType', 2::smallint, 0::smallint, 'T', 3::smallint, 'MrpBillType');
  perform KX_SYS_CatField(obj, 'SupBillNo', '供应单据编号', 's.SupBillNo');
  perform KX_SYS_CatField(obj, 'SupItmNo', '供应物料代码', 'si.ItmNo');
  perform KX_SYS_CatField(obj, 'SupItmName', '供应物料名称', 'si.ItmName');
  perform KX_SYS_CatField(obj, 'SupItmSpec', '供应规格型号', 'si.ItmSpec');
  perform KX_SYS_CatField(obj, 'SupQty', '供应数量', 'a.AltQty', 6::smallint, 8::smallint);
  perform KX_SYS_CatField(obj, 'AltAdjDays', '供应调整天数', 'a.AltAdjDays', 3::smallint, 0::smallint, 'T');
  perform KX_SYS_CatAccess(obj, 'Browse', '浏览');
end $$;
