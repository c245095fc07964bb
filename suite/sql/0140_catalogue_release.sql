-- Catalogue rows of the output view "KX_MRP.MRPOutput": the planned supplies of published schemes
-- ("s", with the item master "i") that the view lists for release, the fields its filter offers,
-- its actions (output settings, layout settings, release) and the rights to release into each kind
-- of bill. The view composes its own statement; the fields give the filter its expressions.
select KX_SYS_CatObject('KX_MRP.MRPOutput', 'MRP计划投放', 0::smallint, '计划\MRP', 'kx_mrp', 0::smallint, 40);
select KX_SYS_CatSource('KX_MRP.MRPOutput', 's', 'KX_MRP_Supplies');
select KX_SYS_CatSource('KX_MRP.MRPOutput', 'i', 'KX_Base_ItemMaster', 'join KX_Base_ItemMaster as i on i.ItmID=s.SupItmID');
do $$
declare
  obj constant text := 'KX_MRP.MRPOutput';
  f record;
begin
  perform KX_SYS_CatField(obj, 'SupIID', '供应内码', 's.SupIID', 3::smallint, 0::smallint, 'PH');
  -- (field, caption, expression, type, flags, value type, enumeration class)
  for f in select * from (values
      ('SupBillNo', '单据编号', 's.SupBillNo', 24, 'L', 0, ''),
      ('SupItmNo', '物料代码', 'i.ItmNo', 24, 'L', 0, ''),
      ('SupItmName', '物料名称', 'i.ItmName', 24, '', 0, ''),
      ('SupItmSpec', '规格型号', 'i.ItmSpec', 24, '', 0, ''),
      ('SupBillType', '计划类型', 's.SupBillType', 2, 'T', 3, 'MrpBillType'),
      ('SupBillDate', '下单日期', 's.SupBillDate', 9, 'T', 0, ''),
      ('SupDrawDate', '开工日期', 's.SupDrawDate', 9, 'T', 0, ''),
      ('SupDate', '交货日期', 's.SupDate', 9, 'T', 0, ''),
      ('SupOrigType', '主需求', 's.SupOrigType', 2, 'T', 3, 'MrpBillType'),
      ('SupOrigNo', '主需求号', 's.SupOrigNo', 24, '', 0, ''),
      ('SupOrigEntry', '主需求行', 's.SupOrigEntry', 3, 'T', 0, ''),
      ('SupCust', '主需求客户', '(select c.CustName from KX_Base_Customer as c where c.CustID=s.SupOrigCustID)', 24, '', 0, ''),
      ('SupCustPO', '主需求客户单号', 's.SupOrigCustPO', 24, '', 0, ''),
      ('SupOrigTag', '需求分类号', 's.SupOrigTag', 24, '', 0, ''),
      ('SupOrigSubTag', '子件需求分类号', 's.SupOrigSubTag', 24, '', 0, ''),
      ('SupGroupType', 'MRP分组', 's.SupGroupType', 2, 'T', 3, 'MrpGroupType'),
      ('SupGroupNo', 'MRP分组号', 's.SupGroupNo', 24, '', 0, ''),
      ('SupQty', '计划数量', 's.SupQty', 6, '', 0, ''),
      ('SupDestQty', '已投放数', 'coalesce(s.SupDestQty, 0)', 6, '', 0, ''),
      ('SupNote', '备注', 's.SupNote', 24, '', 0, ''),
      ('ItmPlanner', '计划员', '(select e.EmpName from KX_MRP_ItemSetting as t join KX_Base_Employee as e on e.EmpID=t.ItmPlannerID where t.ItmID=s.SupItmID)', 24, '', 0, ''),
      ('ItmBuyer', '采购员', '(select e.EmpName from KX_MRP_ItemSetting as t join KX_Base_Employee as e on e.EmpID=t.ItmBuyerID where t.ItmID=s.SupItmID)', 24, '', 0, '')
    ) as v(id, name, expr, type, flags, valuetype, enum) loop
    perform KX_SYS_CatField(obj, f.id, f.name, f.expr, f.type::smallint, case when f.type = 6 then 8 else 0 end::smallint, f.flags,
                            f.valuetype::smallint, f.enum);
  end loop;
  perform KX_SYS_CatAction(obj, 'Options', '投放选项', 6::smallint, 3::smallint, 'kx_mrp');
  perform KX_SYS_CatAction(obj, 'Setting', '设置', 6::smallint, 3::smallint, 'kx_mrp');
  perform KX_SYS_CatAction(obj, 'Output', '投放', 6::smallint, 3::smallint, 'kx_mrp');
  perform KX_SYS_CatAccess(obj, 'Browse', '浏览');
  perform KX_SYS_CatAccess(obj, 'ToMO', '投放生产任务');
  perform KX_SYS_CatAccess(obj, 'ToOR', '投放委外');
  perform KX_SYS_CatAccess(obj, 'ToPR', '投放采购申请');
end $$;
