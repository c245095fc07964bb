-- Catalogue rows of the ERP bill lists that the MRP module reads and acts on: forecasts, sales
-- and export orders, production and outsourcing orders with their components and scrap lines,
-- requisitions, purchase orders, goods in inspection and stock.

-- Forecasts
select KX_SYS_CatBillObject('KX_MRP.Forcast', '产品预测', 'KX_MRP_Forcast', 'For', '销售\需求', 10, 'KX_MRP_ForcastExt');
select KX_SYS_CatField('KX_MRP.Forcast', 'CustName', '客户', '(select CustName from KX_Base_Customer as c where c.CustID=s.ForCustID)');
select KX_SYS_CatField('KX_MRP.Forcast', 'ForDelivDate', '交货日期', 's.ForDelivDate', 9::smallint);
select KX_SYS_CatField('KX_MRP.Forcast', 'ForBillQty', '预测数量', 's.ForBillQty', 6::smallint, 8::smallint);
select KX_SYS_CatField('KX_MRP.Forcast', 'ForOkQty', '已执行数', 's.ForOkQty', 6::smallint, 8::smallint);
select KX_SYS_CatField('KX_MRP.Forcast', 'ForQty', '未执行数', 's.ForQty', 6::smallint, 8::smallint);
select KX_SYS_CatField('KX_MRP.Forcast', 'ForDedAQty', '自动冲销数', 'x.ForDedAQty', 6::smallint, 8::smallint);
select KX_SYS_CatField('KX_MRP.Forcast', 'ForDedMQty', '手动冲销数', 'x.ForDedMQty', 6::smallint, 8::smallint);
select KX_SYS_CatField('KX_MRP.Forcast', 'ForDedADis', '禁止自动冲销', 'x.ForDedADis', 5::smallint, 0::smallint, 'DT');
select KX_SYS_CatTrackFields('KX_MRP.Forcast', 'For', false);
select KX_SYS_CatStateFields('KX_MRP.Forcast', 'For');
update KX_SYS_Objects set ObjHasEditor = 1, ObjEditorID = 'KX_MRP.Forcast' where ObjID = 'KX_MRP.Forcast';
select KX_SYS_CatAction('KX_MRP.Forcast', 'New', '新增', 0::smallint, 3::smallint);
select KX_SYS_CatAction('KX_MRP.Forcast', 'Update', '修改', 1::smallint, 1::smallint, '', 's.Checked=0');
select KX_SYS_CatAction('KX_MRP.Forcast', 'Delete', '删除', 2::smallint, 0::smallint, 'kx_mrp', 's.Checked=0', 'Update');
select KX_SYS_CatAction('KX_MRP.Forcast', 'Check', '审核', 8::smallint, 0::smallint, 'kx_mrp', 's.Checked=0', 'Check');
select KX_SYS_CatAction('KX_MRP.Forcast', 'UnCheck', '反审核', 9::smallint, 0::smallint, 'kx_mrp', 's.Checked=1', 'Check');
select KX_SYS_CatAction('KX_MRP.Forcast', 'Close', '行关闭', 6::smallint, 0::smallint, 'kx_mrp', 's.Checked=1 and s.Closed=0', 'Update');
select KX_SYS_CatAction('KX_MRP.Forcast', 'UnClose', '行打开', 6::smallint, 0::smallint, 'kx_mrp', 's.Closed=1', 'Update');
select KX_SYS_CatAction('KX_MRP.Forcast', 'AutoDed', '自动冲销', 6::smallint, 3::smallint, 'kx_mrp', '', 'Deduct');
select KX_SYS_CatAction('KX_MRP.Forcast', 'NoAutoDed', '禁止自动冲销', 6::smallint, 0::smallint, 'kx_mrp', '', 'Deduct');
select KX_SYS_CatAction('KX_MRP.Forcast', 'CanAutoDed', '允许自动冲销', 6::smallint, 0::smallint, 'kx_mrp', '', 'Deduct');

-- Sales and export orders
select KX_SYS_CatBillObject('KX_MRP.SO', '销售订单', 'KX_MRP_SO', 'SO', '销售\需求', 20, 'KX_MRP_SOExt');
select KX_SYS_CatBillObject('KX_MRP.SI', '出口订单', 'KX_MRP_SI', 'SI', '销售\需求', 30, 'KX_MRP_SIExt');
do $$
declare
  p text;
  obj text;
begin
  foreach p in array array['SO', 'SI'] loop
    obj := 'KX_MRP.' || p;
    perform KX_SYS_CatField(obj, 'CustName', '客户', format('(select CustName from KX_Base_Customer as c where c.CustID=s.%sCustID)', p));
    perform KX_SYS_CatField(obj, p || 'CustPO', '客户单号', 's.' || p || 'CustPO');
    perform KX_SYS_CatField(obj, 'DeptName', '部门', format('(select DeptName from KX_Base_Department as d where d.DeptID=s.%sDeptID)', p));
    perform KX_SYS_CatField(obj, p || 'DelivDate', '交货日期', 's.' || p || 'DelivDate', 9::smallint);
    perform KX_SYS_CatField(obj, p || 'BillQty', '订单数量', 's.' || p || 'BillQty', 6::smallint, 8::smallint);
    perform KX_SYS_CatField(obj, p || 'OkQty', '已交数量', 's.' || p || 'OkQty', 6::smallint, 8::smallint);
    perform KX_SYS_CatField(obj, p || 'Qty', '未交数量', 's.' || p || 'Qty', 6::smallint, 8::smallint);
    perform KX_SYS_CatField(obj, p || 'DedAQty', '自动冲销数', 'x.' || p || 'DedAQty', 6::smallint, 8::smallint);
    perform KX_SYS_CatField(obj, p || 'DedMQty', '手动冲销数', 'x.' || p || 'DedMQty', 6::smallint, 8::smallint);
    perform KX_SYS_CatField(obj, p || 'DedADis', '禁止自动冲销', 'x.' || p || 'DedADis', 5::smallint, 0::smallint, 'DT');
    perform KX_SYS_CatTrackFields(obj, p, false);
    perform KX_SYS_CatStateFields(obj, p);
    perform KX_SYS_CatAction(obj, 'NoAutoDed', '禁止自动冲销', 6::smallint, 0::smallint, 'kx_mrp', '', 'Deduct');
    perform KX_SYS_CatAction(obj, 'CanAutoDed', '允许自动冲销', 6::smallint, 0::smallint, 'kx_mrp', '', 'Deduct');
  end loop;
end $$;

-- Production orders, outsourcing orders and the three kinds of requisition
select KX_SYS_CatBillObject('KX_MRP.MO', '生产订单', 'KX_MRP_MO', 'MO', '生产\订单', 10);
select KX_SYS_CatBillObject('KX_MRP.OO', '委外订单', 'KX_MRP_OO', 'OO', '委外\订单', 10);
select KX_SYS_CatBillObject('KX_MRP.MR', '生产申请', 'KX_MRP_MR', 'MR', '生产\订单', 20);
select KX_SYS_CatBillObject('KX_MRP.OR', '委外申请', 'KX_MRP_OR', 'OR', '委外\订单', 20);
select KX_SYS_CatBillObject('KX_MRP.PR', '采购申请', 'KX_MRP_PR', 'PR', '采购\订单', 10);
select KX_SYS_CatBillObject('KX_MRP.PO', '采购订单', 'KX_MRP_PO', 'PO', '采购\订单', 20);
select KX_SYS_CatBillObject('KX_MRP.PI', '采购待检', 'KX_MRP_PI', 'PI', '采购\订单', 30);
do $$
declare
  p text;
  obj text;
begin
  foreach p in array array['MO', 'MR'] loop
    perform KX_SYS_CatField('KX_MRP.' || p, 'DeptName', '生产单位',
                            format('(select DeptName from KX_Base_Department as d where d.DeptID=s.%sDeptID)', p));
  end loop;
  foreach p in array array['OO', 'OR', 'PO', 'PI'] loop
    perform KX_SYS_CatField('KX_MRP.' || p, 'SuppName', '供应商',
                            format('(select SuppName from KX_Base_Supplier as v where v.SuppID=s.%sSuppID)', p));
  end loop;
  perform KX_SYS_CatField('KX_MRP.PR', 'SuppName', '建议供应商',
                          '(select SuppName from KX_Base_Supplier as v where v.SuppID=s.PRSuppID)');
  foreach p in array array['MO', 'OO', 'MR', 'OR'] loop
    perform KX_SYS_CatField('KX_MRP.' || p, p || 'DrawDate', '开工日期', 's.' || p || 'DrawDate', 9::smallint);
  end loop;
  foreach p in array array['MO', 'OO', 'MR', 'OR', 'PR', 'PO', 'PI'] loop
    obj := 'KX_MRP.' || p;
    perform KX_SYS_CatField(obj, p || 'DelivDate', '交货日期', 's.' || p || 'DelivDate', 9::smallint);
    perform KX_SYS_CatField(obj, p || 'BillQty', '单据数量', 's.' || p || 'BillQty', 6::smallint, 8::smallint);
    perform KX_SYS_CatField(obj, p || 'OkQty', '已执行数', 's.' || p || 'OkQty', 6::smallint, 8::smallint);
    perform KX_SYS_CatField(obj, p || 'Qty', '未执行数', 's.' || p || 'Qty', 6::smallint, 8::smallint);
    if p in ('MO', 'OO', 'PO', 'PI') then
      perform KX_SYS_CatField(obj, p || 'ChkQty', '待检数量', 's.' || p || 'ChkQty', 6::smallint, 8::smallint, 'D');
    end if;
    if p in ('PR', 'PO', 'PI') then
      perform KX_SYS_CatField(obj, 'BomNo', 'BOM单', 'null', 24::smallint, 0::smallint, 'H');
      perform KX_SYS_CatField(obj, 'OrigTag', '需求分类号', 's.' || p || 'OrigTag');
      perform KX_SYS_CatField(obj, 'OrigSubTag', '子件需求分类号', 's.' || p || 'OrigSubTag', 24::smallint, 0::smallint, 'D');
      perform KX_SYS_CatField(obj, 'MRPGroupType', 'MRP分组', 's.' || p || 'GroupType', 2::smallint, 0::smallint, 'D',
                              3::smallint, 'MrpGroupType');
      perform KX_SYS_CatField(obj, 'MRPGroupNo', 'MRP分组号', 's.' || p || 'GroupNo', 24::smallint, 0::smallint, 'D');
      perform KX_SYS_CatField(obj, 'OrigType', '源需求类型', 's.' || p || 'OrigType', 2::smallint, 0::smallint, 'D',
                              3::smallint, 'MrpBillType');
      perform KX_SYS_CatField(obj, 'OrigID', '源需求内码', 's.' || p || 'OrigID', 24::smallint, 0::smallint, 'H');
      perform KX_SYS_CatField(obj, 'OrigNo', '源需求单号', 's.' || p || 'OrigNo', 24::smallint, 0::smallint, 'D');
      perform KX_SYS_CatField(obj, 'OrigEntry', '源需求行', 's.' || p || 'OrigEntry', 3::smallint, 0::smallint, 'DT');
      perform KX_SYS_CatField(obj, 'OrigItmID', '源需求物料', 's.' || p || 'OrigItmID', 24::smallint, 0::smallint, 'H');
      perform KX_SYS_CatField(obj, 'OrigCustID', '源需求客户内码', 's.' || p || 'OrigCustID', 24::smallint, 0::smallint, 'H');
      perform KX_SYS_CatField(obj, 'OrigCustPO', '源需求客户单号', 's.' || p || 'OrigCustPO', 24::smallint, 0::smallint, 'D');
      perform KX_SYS_CatField(obj, 'OrigCust', '源需求客户',
                              format('(select CustName from KX_Base_Customer as oc where oc.CustID=s.%sOrigCustID)', p),
                              24::smallint, 0::smallint, 'D');
    else
      perform KX_SYS_CatTrackFields(obj, p, true);
    end if;
    perform KX_SYS_CatStateFields(obj, p);
  end loop;
end $$;

-- Component and scrap-replacement lines of open orders
do $$
declare
  p text;
  obj text;
begin
  foreach p in array array['MO', 'OO'] loop
    obj := 'KX_MRP.' || p || 'BOM';
    perform KX_SYS_CatObject(obj, case p when 'MO' then '生产订单用料' else '委外订单用料' end, 4::smallint,
                             case p when 'MO' then '生产\订单' else '委外\订单' end, '', 0::smallint, 15);
    perform KX_SYS_CatSource(obj, 's', 'KX_MRP_' || p || 'BOM');
    perform KX_SYS_CatSource(obj, 'i', 'KX_Base_ItemMaster', 'join KX_Base_ItemMaster as i on i.ItmID=s.BomItmID');
    perform KX_SYS_CatSource(obj, 'u', 'KX_Base_Unit', 'left join KX_Base_Unit as u on u.UntID=i.ItmUnitID');
    perform KX_SYS_CatSource(obj, 'mt', 'KX_MRP_ItemSetting', 'left join KX_MRP_ItemSetting as mt on mt.ItmID=s.BomItmID');
    perform KX_SYS_CatField(obj, 'BomID', '单据内码', 's.BomID', 24::smallint, 0::smallint, 'PH');
    perform KX_SYS_CatField(obj, p || 'No', '单据编号', 's.' || p || 'No', 24::smallint, 0::smallint, 'L');
    perform KX_SYS_CatField(obj, p || 'Entry', '单据行', 's.' || p || 'Entry', 3::smallint, 0::smallint, 'T');
    perform KX_SYS_CatField(obj, 'BomEntry', '用料行', 's.BomEntry', 3::smallint, 0::smallint, 'PT');
    perform KX_SYS_CatField(obj, 'BomItmID', '物料内码', 's.BomItmID', 24::smallint, 0::smallint, 'H');
    perform KX_SYS_CatItemFields(obj, 's.BomItm');
    perform KX_SYS_CatField(obj, 'BomRole', '子件角色', 's.BomRole', 2::smallint, 0::smallint, '', 3::smallint, 'BomRole');
    perform KX_SYS_CatField(obj, 'BomDrawDate', '领料日期', 's.BomDrawDate', 9::smallint);
    perform KX_SYS_CatField(obj, 'BomBillQty', '应发数量', 's.BomBillQty', 6::smallint, 8::smallint);
    perform KX_SYS_CatField(obj, 'BomOkQty', '已发数量', 's.BomOkQty', 6::smallint, 8::smallint);
    perform KX_SYS_CatField(obj, 'BomQty', '未发数量', 's.BomQty', 6::smallint, 8::smallint);
    perform KX_SYS_CatField(obj, 'BomNo', 'BOM单', 's.BomItmBomNo', 24::smallint, 0::smallint, 'D');
    perform KX_SYS_CatField(obj, 'OrigTag', '需求分类号', 's.' || p || 'OrigTag');
    perform KX_SYS_CatField(obj, 'OrigSubTag', '子件需求分类号', 's.' || p || 'OrigSubTag', 24::smallint, 0::smallint, 'D');
    perform KX_SYS_CatField(obj, 'MRPGroupType', 'MRP分组', 's.' || p || 'GroupType', 2::smallint, 0::smallint, 'D', 3::smallint,
                            'MrpGroupType');
    perform KX_SYS_CatField(obj, 'MRPGroupNo', 'MRP分组号', 's.' || p || 'GroupNo', 24::smallint, 0::smallint, 'D');
    perform KX_SYS_CatField(obj, 'BomNote', '备注', 's.BomNote');
    perform KX_SYS_CatField(obj, 'Closed', '已关闭', 's.Closed', 5::smallint, 0::smallint, 'T', 0::smallint, '', '', 1::smallint);
    perform KX_SYS_CatField(obj, 'CanMRP', '参与MRP', 's.CanMRP', 5::smallint, 0::smallint, 'DT');
  end loop;
end $$;

select KX_SYS_CatObject('KX_MRP.MOScrap', '生产补料', 4::smallint, '生产\订单', '', 0::smallint, 16);
select KX_SYS_CatSource('KX_MRP.MOScrap', 's', 'KX_MRP_MOScrap');
select KX_SYS_CatSource('KX_MRP.MOScrap', 'i', 'KX_Base_ItemMaster', 'join KX_Base_ItemMaster as i on i.ItmID=s.MspItmID');
select KX_SYS_CatSource('KX_MRP.MOScrap', 'u', 'KX_Base_Unit', 'left join KX_Base_Unit as u on u.UntID=i.ItmUnitID');
select KX_SYS_CatSource('KX_MRP.MOScrap', 'mt', 'KX_MRP_ItemSetting', 'left join KX_MRP_ItemSetting as mt on mt.ItmID=s.MspItmID');
select KX_SYS_CatField('KX_MRP.MOScrap', 'MOID', '单据内码', 's.MOID', 24::smallint, 0::smallint, 'PH');
select KX_SYS_CatField('KX_MRP.MOScrap', 'MONo', '单据编号', 's.MONo', 24::smallint, 0::smallint, 'L');
select KX_SYS_CatField('KX_MRP.MOScrap', 'MOEntry', '单据行', 's.MOEntry', 3::smallint, 0::smallint, 'T');
select KX_SYS_CatField('KX_MRP.MOScrap', 'MspEntry', '补料行', 's.MspEntry', 3::smallint, 0::smallint, 'PT');
select KX_SYS_CatField('KX_MRP.MOScrap', 'MspItmID', '物料内码', 's.MspItmID', 24::smallint, 0::smallint, 'H');
select KX_SYS_CatItemFields('KX_MRP.MOScrap', 's.MspItm');
select KX_SYS_CatField('KX_MRP.MOScrap', 'MspDrawDate', '领料日期', 's.MspDrawDate', 9::smallint);
select KX_SYS_CatField('KX_MRP.MOScrap', 'MspBillQty', '补料数量', 's.MspBillQty', 6::smallint, 8::smallint);
select KX_SYS_CatField('KX_MRP.MOScrap', 'MspOkQty', '已发数量', 's.MspOkQty', 6::smallint, 8::smallint);
select KX_SYS_CatField('KX_MRP.MOScrap', 'MspQty', '未发数量', 's.MspQty', 6::smallint, 8::smallint);
select KX_SYS_CatField('KX_MRP.MOScrap', 'OrigTag', '需求分类号', 's.MOOrigTag');
select KX_SYS_CatField('KX_MRP.MOScrap', 'OrigSubTag', '子件需求分类号', 's.MOOrigSubTag', 24::smallint, 0::smallint, 'D');
select KX_SYS_CatField('KX_MRP.MOScrap', 'MRPGroupType', 'MRP分组', 's.MOGroupType', 2::smallint, 0::smallint, 'D', 3::smallint,
                       'MrpGroupType');
select KX_SYS_CatField('KX_MRP.MOScrap', 'MRPGroupNo', 'MRP分组号', 's.MOGroupNo', 24::smallint, 0::smallint, 'D');
select KX_SYS_CatField('KX_MRP.MOScrap', 'MspNote', '备注', 's.MspNote');
select KX_SYS_CatField('KX_MRP.MOScrap', 'Closed', '已关闭', 's.Closed', 5::smallint, 0::smallint, 'T', 0::smallint, '', '', 1::smallint);
select KX_SYS_CatField('KX_MRP.MOScrap', 'CanMRP', '参与MRP', 's.CanMRP', 5::smallint, 0::smallint, 'DT');

-- Stock
select KX_SYS_CatObject('KX_MRP.Inventory', '即时库存', 4::smallint, '库存', '', 0::smallint, 10);
select KX_SYS_CatSource('KX_MRP.Inventory', 's', 'KX_MRP_Inventory');
select KX_SYS_CatSource('KX_MRP.Inventory', 'i', 'KX_Base_ItemMaster', 'join KX_Base_ItemMaster as i on i.ItmID=s.InvItmID');
select KX_SYS_CatSource('KX_MRP.Inventory', 'u', 'KX_Base_Unit', 'left join KX_Base_Unit as u on u.UntID=i.ItmUnitID');
select KX_SYS_CatSource('KX_MRP.Inventory', 'k', 'KX_Base_Stock', 'join KX_Base_Stock as k on k.StkID=s.InvStkID');
select KX_SYS_CatSource('KX_MRP.Inventory', 'mt', 'KX_MRP_ItemSetting', 'left join KX_MRP_ItemSetting as mt on mt.ItmID=s.InvItmID');
select KX_SYS_CatField('KX_MRP.Inventory', 'InvIID', '库存内码', 's.InvIID', 3::smallint, 0::smallint, 'PHT');
select KX_SYS_CatField('KX_MRP.Inventory', 'InvItmID', '物料内码', 's.InvItmID', 24::smallint, 0::smallint, 'H');
select KX_SYS_CatItemFields('KX_MRP.Inventory', 's.InvItm');
select KX_SYS_CatField('KX_MRP.Inventory', 'StockID', '仓库内码', 's.InvStkID', 24::smallint, 0::smallint, 'H');
select KX_SYS_CatField('KX_MRP.Inventory', 'StkName', '仓库', 'k.StkName');
select KX_SYS_CatField('KX_MRP.Inventory', 'InvBatch', '批号', 's.InvBatch');
select KX_SYS_CatField('KX_MRP.Inventory', 'InvQty', '库存数量', 's.InvQty', 6::smallint, 8::smallint);
select KX_SYS_CatField('KX_MRP.Inventory', 'InvInDate', '最近入库日期', 's.InvInDate', 9::smallint, 0::smallint, 'D');
select KX_SYS_CatField('KX_MRP.Inventory', 'OrigTag', '需求分类号', 's.InvOrigTag', 24::smallint, 0::smallint, 'D');
select KX_SYS_CatField('KX_MRP.Inventory', 'MRPGroupType', 'MRP分组', 's.InvGroupType', 2::smallint, 0::smallint, 'D', 3::smallint,
                       'MrpGroupType');
select KX_SYS_CatField('KX_MRP.Inventory', 'MRPGroupNo', 'MRP分组号', 's.InvGroupNo', 24::smallint, 0::smallint, 'D');
select KX_SYS_CatField('KX_MRP.Inventory', 'CanMRP', '参与MRP', 's.CanMRP', 5::smallint, 0::smallint, 'DT');

-- Who may open the bill lists: browsing for everyone in a group that holds "Browse"; the
-- forecast's own actions need "Update", "Check" and "Deduct".
do $$
declare
  obj text;
begin
  foreach obj in array array['KX_MRP.Forcast', 'KX_MRP.SO', 'KX_MRP.SI', 'KX_MRP.MO', 'KX_MRP.OO', 'KX_MRP.MR', 'KX_MRP.OR',
                             'KX_MRP.PR', 'KX_MRP.PO', 'KX_MRP.PI', 'KX_MRP.MOBOM', 'KX_MRP.OOBOM', 'KX_MRP.MOScrap',
                             'KX_MRP.Inventory'] loop
    perform KX_SYS_CatAccess(obj, 'Browse', '浏览');
  end loop;
  perform KX_SYS_CatAccess('KX_MRP.Forcast', 'Update', '修改');
  perform KX_SYS_CatAccess('KX_MRP.Forcast', 'Check', '审核');
  foreach obj in array array['KX_MRP.Forcast', 'KX_MRP.SO', 'KX_MRP.SI'] loop
    perform KX_SYS_CatAccess(obj, 'Deduct', '冲销');
  end loop;
end $$;
