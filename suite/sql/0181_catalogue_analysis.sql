-- Catalogue rows of the analyses: the BOM expansion tree with the BOM list it expands, the
-- inventory aging tree and the stock filter of its data condition. The trees fill themselves; their
-- fields give captions and types of the columns and no statement of their own.

-- The BOM list, the master of the BOM expansion: every BOM that is not disabled, with its product.
select KX_SYS_CatObject('KX_MRP.BOMHeads', '产品BOM', 0::smallint, '', '', 0::smallint, 0);
update KX_SYS_Objects set ObjInternal = 1 where ObjID = 'KX_MRP.BOMHeads';
select KX_SYS_CatSource('KX_MRP.BOMHeads', 's', 'KX_MRP_ItemBOMs');
select KX_SYS_CatSource('KX_MRP.BOMHeads', 'i', 'KX_Base_ItemMaster', 'join KX_Base_ItemMaster as i on i.ItmID=s.BomItmID');
select KX_SYS_CatSource('KX_MRP.BOMHeads', 'u', 'KX_Base_Unit', 'left join KX_Base_Unit as u on u.UntID=i.ItmUnitID');
do $$
declare
  obj constant text := 'KX_MRP.BOMHeads';
begin
  perform KX_SYS_CatField(obj, 'BomID', 'BOM内码', 's.BomID', 24::smallint, 0::smallint, 'PH');
  perform KX_SYS_CatField(obj, 'BomItmID', '产品内码', 's.BomItmID', 24::smallint, 0::smallint, 'H');
  perform KX_SYS_CatField(obj, 'BomType', 'BOM类别', 's.BomType', 2::smallint, 0::smallint, 'H');
  perform KX_SYS_CatField(obj, 'BomNo', 'BOM单号', 's.BomNo', 24::smallint, 0::smallint, 'L');
  perform KX_SYS_CatItemFields(obj, 's.BomItm');
  perform KX_SYS_CatField(obj, 'BomVersion', '版本', 's.BomVersion');
  perform KX_SYS_CatField(obj, 'BomOkRate', '成品率(%)', 's.BomOkRate', 6::smallint, 2::smallint, 'T');
  perform KX_SYS_CatField(obj, 'BomIsDefault', '默认', 's.BomIsDefault', 5::smallint, 0::smallint, 'T');
  perform KX_SYS_CatField(obj, 'Checked', '已审核', 's.Checked', 5::smallint, 0::smallint, 'T');
  perform KX_SYS_CatField(obj, 'BomDate', 'BOM日期', 's.BomDate', 9::smallint);
  perform KX_SYS_CatField(obj, 'BomRemark', '备注', 's.BomRemark');
  perform KX_SYS_CatAccess(obj, 'Browse', '浏览');
end $$;

-- The BOM expansion: one field per column of the tree; the BOM-local substitutes of its lines are
-- edited with the actions below.
select KX_SYS_CatObject('KX_MRP.BOMExpand', 'BOM展开查询', 0::smallint, '计划\主数据', 'kx_mrp', 0::smallint, 40);
select KX_SYS_CatSource('KX_MRP.BOMExpand', 's', 'KX_MRP_ItemBOMs');
do $$
declare
  obj constant text := 'KX_MRP.BOMExpand';
  col record;
begin
  -- (field, caption, type, precision, flags, enumeration class)
  for col in select * from (values
      ('BomEntry', '行号', 24, 0, 'L', ''),
      ('BomItmNo', '物料代码', 24, 0, 'L', ''),
      ('BomItmName', '物料名称', 24, 0, '', ''),
      ('BomItmSpec', '规格型号', 24, 0, '', ''),
      ('BomItmTypeName', '物料属性', 24, 0, '', ''),
      ('BomItmMrpType', '计划属性', 2, 0, '', 'ItmType'),
      ('BomRole', '子项类型', 24, 0, '', ''),
      ('BomPercent', '计划%', 6, 2, 'T', ''),
      ('BomUnit', '单位', 24, 0, '', ''),
      ('BomFixed', '固定用量', 5, 0, 'T', ''),
      ('BomUCurrQty', '用量', 6, 8, 'T', ''),
      ('BomUFullQty', '全局用量', 6, 8, 'T', ''),
      ('BomUBaseQty', '用量基数', 6, 8, 'T', ''),
      ('BomLossRate', '损耗率(%)', 6, 4, 'T', ''),
      ('BomPutLossRate', '投料损耗率', 24, 0, '', ''),
      ('BomUTestQty', '试算用量', 6, 8, 'T', ''),
      ('BomBeginDate', '生效日期', 9, 0, '', ''),
      ('BomEndDate', '失效日期', 9, 0, '', ''),
      ('BomNote', '备注', 24, 0, '', ''),
      ('BomBaseUnit', '单位(基本)', 24, 0, 'D', ''),
      ('BomCurrQty', '用量(基本)', 6, 8, 'DT', ''),
      ('BomBaseQty', '用量基数(基本)', 6, 8, 'DT', ''),
      ('BomFullQty', '全局用量(基本)', 6, 8, 'DT', ''),
      ('BomTestQty', '试算用量(基本)', 6, 8, 'DT', ''),
      ('BomItmBomNo', 'BOM单', 24, 0, '', ''),
      ('BomItmOkRate', '成品率(%)', 6, 2, 'T', '')) as v(id, name, type, prec, flags, enum) loop
    perform KX_SYS_CatField(obj, col.id, col.name, 'null', col.type::smallint, col.prec::smallint, col.flags,
                            case when col.enum <> '' then 3 else 0 end::smallint, col.enum);
  end loop;
  for n in 1..10 loop
    perform KX_SYS_CatField(obj, 'BomProp' || n, '辅助项' || n, 'null', 24::smallint, 0::smallint, 'D');
  end loop;
  perform KX_SYS_CatAction(obj, 'Update', '编辑替代料', 1::smallint, 3::smallint, 'kx_mrp', '', 'Update');
  perform KX_SYS_CatAction(obj, 'AddSubs', '新增替代料', 6::smallint, 0::smallint, 'kx_mrp', '', 'Update');
  perform KX_SYS_CatAction(obj, 'CopySubs', '复制替代料', 6::smallint, 0::smallint, 'kx_mrp', '', 'Update');
  perform KX_SYS_CatAction(obj, 'DelSubs', '删除替代料', 6::smallint, 0::smallint, 'kx_mrp', '', 'Update');
  perform KX_SYS_CatAction(obj, 'UpSubs', '上移', 6::smallint, 0::smallint, 'kx_mrp', '', 'Update');
  perform KX_SYS_CatAction(obj, 'DownSubs', '下移', 6::smallint, 0::smallint, 'kx_mrp', '', 'Update');
  perform KX_SYS_CatAccess(obj, 'Browse', '浏览');
  perform KX_SYS_CatAccess(obj, 'Update', '修改');
end $$;

-- The stock an aging analysis may be limited to ("数据条件"): the aging procedures evaluate the
-- condition over the stock rows "s", the item "i" and the warehouse "k".
select KX_SYS_CatObject('KX_MRP.InvFilter', '库龄分析数据条件', 0::smallint, '', '', 0::smallint, 0);
update KX_SYS_Objects set ObjInternal = 1 where ObjID = 'KX_MRP.InvFilter';
select KX_SYS_CatSource('KX_MRP.InvFilter', 's', 'KX_Stk_Inventory');
select KX_SYS_CatSource('KX_MRP.InvFilter', 'i', 'KX_Base_ItemMaster', 'join KX_Base_ItemMaster as i on i.ItmID=s.InvItmID');
select KX_SYS_CatSource('KX_MRP.InvFilter', 'k', 'KX_Base_Stock', 'join KX_Base_Stock as k on k.StkID=s.InvStkID');
do $$
declare
  obj constant text := 'KX_MRP.InvFilter';
begin
  perform KX_SYS_CatField(obj, 'ItmNo', '物料代码', 'i.ItmNo', 24::smallint, 0::smallint, 'L');
  perform KX_SYS_CatField(obj, 'ItmName', '物料名称', 'i.ItmName');
  perform KX_SYS_CatField(obj, 'ItmSpec', '规格型号', 'i.ItmSpec');
  perform KX_SYS_CatField(obj, 'ItmType', '物料属性', 'i.ItmType', 2::smallint, 0::smallint, '', 3::smallint, 'ItmType');
  perform KX_SYS_CatField(obj, 'InvBatch', '批号', 's.InvBatch');
  perform KX_SYS_CatField(obj, 'StockID', '仓库内码', 's.InvStkID', 24::smallint, 0::smallint, 'H');
  perform KX_SYS_CatField(obj, 'StkNo', '仓库代码', 'k.StkNo');
  perform KX_SYS_CatField(obj, 'StkName', '仓库', 'k.StkName');
  perform KX_SYS_CatField(obj, 'MRPGroupNo', 'MRP分组号', 's.InvGroupNo');
  perform KX_SYS_CatAccess(obj, 'Browse', '浏览');
end $$;

-- The inventory aging tree: summary rows and, under them, their matched stock-in lines; one field
-- per column. "Money" shows prices and amounts.
select KX_SYS_CatObject('KX_MRP.AgeAnalyze', '库龄分析', 0::smallint, '计划\分析', 'kx_mrp', 0::smallint, 30);
select KX_SYS_CatSource('KX_MRP.AgeAnalyze', 'a', 'KX_MRP_InvAgeMain');
do $$
declare
  obj constant text := 'KX_MRP.AgeAnalyze';
  col record;
begin
  for col in select * from (values
      ('ItmNo', '物料代码', 24, 0, 'L', ''),
      ('ItmName', '物料名称', 24, 0, '', ''),
      ('ItmSpec', '规格型号', 24, 0, '', ''),
      ('AgeBillNo', '单据编号', 24, 0, '', ''),
      ('AgeBillTypName', '单据类型', 24, 0, '', ''),
      ('AgeSupply', '往来单位', 24, 0, '', ''),
      ('AgeBillDate', '入库日期', 9, 0, '', ''),
      ('AgeBatch', '批号', 24, 0, '', ''),
      ('StkName', '仓库', 24, 0, '', ''),
      ('StpName', '仓位', 24, 0, '', ''),
      ('UntName', '单位', 24, 0, '', ''),
      ('AgeBookQty', '账存数量', 6, 8, '', ''),
      ('AgeQty', '统计数量', 6, 8, '', ''),
      ('AgePrice', '单价', 6, 6, 'T', ''),
      ('AgeAmt', '统计金额', 6, 2, '', ''),
      ('AgeDays', '库龄', 6, 2, 'T', ''),
      ('AgeOutDate', '最近出库日期', 9, 0, '', ''),
      ('AgePlanDate', '计划分配日期', 9, 0, '', ''),
      ('PlannerName', '计划员', 24, 0, '', ''),
      ('BuyerName', '采购员', 24, 0, '', ''),
      ('AgeNote', '备注', 24, 0, '', ''),
      ('AgeMemo', '附注', 24, 0, '', ''),
      ('AgeOrdType', '源订单类型', 2, 0, '', 'MrpBillType'),
      ('AgeOrdNo', '源订单号', 24, 0, '', ''),
      ('AgeOrigType', '源需求类型', 2, 0, '', 'MrpBillType'),
      ('AgeOrigNo', '源需求单号', 24, 0, '', ''),
      ('OrigCustName', '源需求客户', 24, 0, '', ''),
      ('AgeOrigCustPO', '源需求客户单号', 24, 0, '', ''),
      ('OrigItmNo', '源需求物料代码', 24, 0, '', ''),
      ('OrigItmName', '源需求物料名称', 24, 0, '', ''),
      ('OrigItmSpec', '源需求规格型号', 24, 0, '', ''),
      ('AgeGroupType', 'MRP分组', 2, 0, 'D', 'MrpGroupType'),
      ('AgeGroupNo', 'MRP分组号', 24, 0, 'D', '')) as v(id, name, type, prec, flags, enum) loop
    perform KX_SYS_CatField(obj, col.id, col.name, 'null', col.type::smallint, col.prec::smallint, col.flags,
                            case when col.enum <> '' then 3 else 0 end::smallint, col.enum);
  end loop;
  for n in 1..10 loop
    perform KX_SYS_CatField(obj, 'AgeItmProp' || n, '辅助项' || n, 'null', 24::smallint, 0::smallint, 'D');
  end loop;
  perform KX_SYS_CatAction(obj, 'Analyze', '库龄分析', 6::smallint, 3::smallint, 'kx_mrp');
  perform KX_SYS_CatAccess(obj, 'Browse', '浏览');
  perform KX_SYS_CatAccess(obj, 'Money', '金额');
end $$;

-- The kit and shortage analyses: a run with the current settings and one through the settings
-- dialog.
do $$
declare
  obj text;
begin
  foreach obj in array array['KX_MRP.MRPmini', 'KX_MRP.LackAnalyze'] loop
    delete from KX_SYS_ObjActions where ActObjID = obj and ActID in ('SetupMRP', 'RunMRP');
    perform KX_SYS_CatAction(obj, 'SetupMRP', '分析设置', 6::smallint, 3::smallint, 'kx_mrp');
    perform KX_SYS_CatAction(obj, 'RunMRP', '重新分析', 6::smallint, 3::smallint, 'kx_mrp');
  end loop;
end $$;
