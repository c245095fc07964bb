-- Catalogue rows of the module's planning master data: item planning settings, item substitutes and the factory calendar.
-- Each object is described afresh: rows a former catalogue file gave it are replaced.

-- Item planning settings: the item master with its KX_MRP_ItemSetting row ("s", missing values read
-- as 0 or ''). The pickers of planner, buyer, workshop, suppliers and planning item answer "#ID",
-- the identity stored in the settings row.
select KX_SYS_CatObject('KX_MRP.Items', '物料计划资料', 0::smallint, '计划\主数据', 'kx_mrp', 0::smallint, 10);
select KX_SYS_CatSource('KX_MRP.Items', 'i', 'KX_Base_ItemMaster');
select KX_SYS_CatSource('KX_MRP.Items', 's', 'KX_MRP_ItemSetting', 'left join KX_MRP_ItemSetting as s on s.ItmID=i.ItmID');
select KX_SYS_CatSource('KX_MRP.Items', 'u', 'KX_Base_Unit', 'left join KX_Base_Unit as u on u.UntID=i.ItmUnitID');
do $$
declare
  obj constant text := 'KX_MRP.Items';
  employees constant text := '[名称]^[代码]|代码|select EmpNo as "代码", EmpName as "名称", EmpID as "#ID" from KX_Base_Employee where EmpDisabled=0';
  setting record;
  unit record;
begin
  perform KX_SYS_CatField(obj, 'ItmID', '物料内码', 'i.ItmID', 24::smallint, 0::smallint, 'PH');
  perform KX_SYS_CatField(obj, 'ItmNo', '物料代码', 'i.ItmNo', 24::smallint, 0::smallint, 'L');
  perform KX_SYS_CatField(obj, 'ItmName', '物料名称', 'i.ItmName');
  perform KX_SYS_CatField(obj, 'ItmSpec', '规格型号', 'i.ItmSpec');
  perform KX_SYS_CatField(obj, 'ItmType', '物料属性', 'i.ItmType', 2::smallint, 0::smallint, '', 3::smallint, 'ItmType');
  perform KX_SYS_CatField(obj, 'ItmPlanner', '计划员', '(select e.EmpName from KX_Base_Employee as e where e.EmpID=s.ItmPlannerID)',
                          24::smallint, 0::smallint, '', 5::smallint, '', employees);
  perform KX_SYS_CatField(obj, 'ItmBuyer', '采购员', '(select e.EmpName from KX_Base_Employee as e where e.EmpID=s.ItmBuyerID)',
                          24::smallint, 0::smallint, '', 5::smallint, '', employees);
  perform KX_SYS_CatField(obj, 'ItmDisabled', '禁用', 'i.ItmDisabled', 5::smallint, 0::smallint, 'T');
  perform KX_SYS_CatField(obj, 'UntName', '基本', 'u.UntName');
  for unit in select * from (values ('BuyUnit', '采购', 'ItmBuyUnitID'), ('SaleUnit', '销售', 'ItmSaleUnitID'),
                                    ('ProdUnit', '生产', 'ItmProdUnitID'), ('InvUnit', '库存', 'ItmInvUnitID')) as v(id, name, col) loop
    perform KX_SYS_CatField(obj, unit.id, unit.name, format('(select x.UntName from KX_Base_Unit as x where x.UntID=i.%s)', unit.col));
  end loop;
  -- Planning parameters: (field, caption, type, precision, enumeration class).
  for setting in select * from (values
      ('ItmMrpType', '计划属性', 3, 0, 'MrpType'),
      ('ItmMrpGroup', '计划分组模式', 3, 0, 'MrpGroupMode'),
      ('ItmMrpTrack', '计划跟踪类型', 3, 0, 'MrpTrackType'),
      ('ItmSafeQty', '安全库存', 6, 8, ''),
      ('ItmMinQty', '最小供应量', 6, 8, ''),
      ('ItmLotQty', '批量增量', 6, 8, ''),
      ('ItmMaxQty', '最大供应量', 6, 8, ''),
      ('ItmFixLeadTime', '固定提前期', 3, 0, ''),
      ('ItmVarLeadTime', '变动提前期', 3, 0, ''),
      ('ItmVarLeadLot', '变动提前期批量', 6, 8, ''),
      ('ItmPostLeadTime', '来料检验提前期', 3, 0, ''),
      ('ItmPreLeadTime', '开工备料提前期', 3, 0, ''),
      ('ItmMOBomSkip', '作自制子件跳层', 3, 0, 'MrpBomSkip'),
      ('ItmOOBomSkip', '作委外子件跳层', 3, 0, 'MrpBomSkip'),
      ('ItmMrpSkip', '不参与计划', 5, 0, ''),
      ('ItmSuitSkip', '不参与齐套', 5, 0, ''),
      ('ItmOutSkip', '不参与投放', 5, 0, '')) as v(id, name, type, prec, enum) loop
    perform KX_SYS_CatField(obj, setting.id, setting.name, format('coalesce(s.%s, 0)', setting.id), setting.type::smallint,
                            setting.prec::smallint, case when setting.type = 5 then 'T' else '' end,
                            case when setting.enum <> '' then 3 else 0 end::smallint, setting.enum);
  end loop;
  perform KX_SYS_CatField(obj, 'ItmPlanNo', '预测物料代码', '(select p.ItmNo from KX_Base_ItemMaster as p where p.ItmID=s.ItmPlanItmID)',
                          24::smallint, 0::smallint, '', 5::smallint, '',
                          '[代码]^[名称]^[规格型号]|代码|select ItmNo as "代码", ItmName as "名称", ItmSpec as "规格型号", ItmID as "#ID" '
                          'from KX_Base_ItemMaster where ItmDisabled=0');
  perform KX_SYS_CatField(obj, 'ItmPlanName', '预测物料名称', '(select p.ItmName from KX_Base_ItemMaster as p where p.ItmID=s.ItmPlanItmID)');
  perform KX_SYS_CatField(obj, 'ItmPlanSpec', '预测规格型号', '(select p.ItmSpec from KX_Base_ItemMaster as p where p.ItmID=s.ItmPlanItmID)');
  perform KX_SYS_CatField(obj, 'ItmPutLossType', '投料损耗率控制', 'coalesce(s.ItmPutLossType, 0)', 3::smallint, 0::smallint, '', 3::smallint,
                          'MrpPutLossType');
  perform KX_SYS_CatField(obj, 'ItmPutLossRate', '投料默认损耗率', 'coalesce(s.ItmPutLossRate, '''')');
  perform KX_SYS_CatField(obj, 'ItmPutInteger', '投料取整', 'coalesce(s.ItmPutInteger, 0)', 5::smallint, 0::smallint, 'T');
  perform KX_SYS_CatField(obj, 'ItmMODept', '默认生产部门', '(select d.DeptName from KX_Base_Department as d where d.DeptID=s.ItmMODeptID)',
                          24::smallint, 0::smallint, '', 5::smallint, '',
                          '[名称]^[代码]|代码|select DeptNo as "代码", DeptName as "名称", DeptID as "#ID" from KX_Base_Department '
                          'where DeptDisabled=0 and DeptWorkShop=1');
  perform KX_SYS_CatField(obj, 'ItmPOSupp', '默认供应商', '(select v.SuppName from KX_Base_Supplier as v where v.SuppID=s.ItmPOSuppID)',
                          24::smallint, 0::smallint, '', 5::smallint, '',
                          '[名称]^[代码]|代码|select SuppNo as "代码", SuppName as "名称", SuppID as "#ID" from KX_Base_Supplier '
                          'where SuppDisabled=0 and SuppPO=1');
  perform KX_SYS_CatField(obj, 'ItmOOSupp', '默认加工商', '(select v.SuppName from KX_Base_Supplier as v where v.SuppID=s.ItmOOSuppID)',
                          24::smallint, 0::smallint, '', 5::smallint, '',
                          '[名称]^[代码]|代码|select SuppNo as "代码", SuppName as "名称", SuppID as "#ID" from KX_Base_Supplier '
                          'where SuppDisabled=0 and SuppOO=1');
  perform KX_SYS_CatAction(obj, 'Update', '编辑', 1::smallint, 3::smallint, 'kx_mrp', '', 'Update');
  perform KX_SYS_CatAccess(obj, 'Browse', '浏览');
  perform KX_SYS_CatAccess(obj, 'Update', '修改');
end $$;

-- Item substitutes: a tree the view fills from KX_MRP_GetItemSubsList; the fields give its columns
-- and no statement of their own.
select KX_SYS_CatObject('KX_MRP.ItemSubs', '替代物料', 0::smallint, '计划\主数据', 'kx_mrp', 0::smallint, 20);
select KX_SYS_CatSource('KX_MRP.ItemSubs', 's', 'KX_Bom_ItemSubs');
do $$
declare
  obj constant text := 'KX_MRP.ItemSubs';
  col record;
begin
  for col in select * from (values
      ('NodeText', 'BOM单号/行号', 24, 0, 'L', ''),
      ('BomKind', 'BOM类别', 24, 0, '', ''),
      ('ItmNo', '物料代码', 24, 0, '', ''),
      ('ItmName', '物料名称', 24, 0, '', ''),
      ('ItmSpec', '规格型号', 24, 0, '', ''),
      ('ItmTypeName', '物料属性', 24, 0, '', ''),
      ('ItmMrpType', '计划属性', 2, 0, '', 'ItmType'),
      ('BomFixed', '固定用量', 5, 0, 'T', ''),
      ('UntName', '单位', 24, 0, '', ''),
      ('BomUQty', '用量', 6, 8, '', ''),
      ('BomUBaseQty', '用量基数', 6, 8, '', ''),
      ('ItmUntName', '单位(基本)', 24, 0, '', ''),
      ('BomQty', '用量(基本)', 6, 8, '', ''),
      ('BomBaseQty', '用量基数(基本)', 6, 8, '', ''),
      ('BomBeginDate', '生效日期', 9, 0, '', ''),
      ('BomEndDate', '失效日期', 9, 0, '', ''),
      ('BomNote', '备注', 24, 0, '', '')) as v(id, name, type, prec, flags, enum) loop
    perform KX_SYS_CatField(obj, col.id, col.name, 'null', col.type::smallint, col.prec::smallint, col.flags,
                            case when col.enum <> '' then 3 else 0 end::smallint, col.enum);
  end loop;
  for n in 1..10 loop
    perform KX_SYS_CatField(obj, 'BomProp' || n, '辅助项' || n, 'null');
  end loop;
  perform KX_SYS_CatAction(obj, 'Update', '编辑', 1::smallint, 3::smallint, 'kx_mrp', '', 'Update');
  perform KX_SYS_CatAction(obj, 'AddSubs', '新增替代料', 6::smallint, 0::smallint, 'kx_mrp', '', 'Update');
  perform KX_SYS_CatAction(obj, 'AddSubsEx', '批量新增替代料', 6::smallint, 0::smallint, 'kx_mrp', '', 'Update');
  perform KX_SYS_CatAction(obj, 'DelSubs', '删除替代料', 6::smallint, 0::smallint, 'kx_mrp', '', 'Update');
  perform KX_SYS_CatAction(obj, 'UpSubs', '上移', 6::smallint, 0::smallint, 'kx_mrp', '', 'Update');
  perform KX_SYS_CatAction(obj, 'DownSubs', '下移', 6::smallint, 0::smallint, 'kx_mrp', '', 'Update');
  perform KX_SYS_CatAction(obj, 'CopySubs', '复制替代料', 6::smallint, 0::smallint, 'kx_mrp', '', 'Update');
  perform KX_SYS_CatAccess(obj, 'Browse', '浏览');
  perform KX_SYS_CatAccess(obj, 'Update', '修改');
end $$;

-- The factory calendar: a form; holding "Update" lets a user change holidays.
select KX_SYS_CatObject('KX_MRP.Calendar', '工厂日历', 2::smallint, '计划\主数据', 'kx_mrp', 0::smallint, 30);
update KX_SYS_Objects set ObjCanPrint = 0, ObjCanExport = 0 where ObjID = 'KX_MRP.Calendar';
select KX_SYS_CatSource('KX_MRP.Calendar', 'c', 'KX_MRP_Calendar');
select KX_SYS_CatField('KX_MRP.Calendar', 'CalIID', '日历内码', 'c.CalIID', 3::smallint, 0::smallint, 'PHT');
select KX_SYS_CatField('KX_MRP.Calendar', 'CalName', '日历名称', 'c.CalName');
select KX_SYS_CatAccess('KX_MRP.Calendar', 'Browse', '浏览');
select KX_SYS_CatAccess('KX_MRP.Calendar', 'Update', '修改');
