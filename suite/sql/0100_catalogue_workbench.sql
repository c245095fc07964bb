-- Catalogue rows of the plan scheme workbench ("KX_MRP.MRP", its read-only twin "KX_MRP.MRPQuery")
-- and of its first result view, the main demand of a scheme ("KX_MRP.MRP.Main").
-- Each object is described afresh: rows a former catalogue file gave it are replaced.

-- The workbench frames: the scheme table is their data source; the frame lists the schemes itself.
do $$
declare
  obj text;
begin
  foreach obj in array array['KX_MRP.MRP', 'KX_MRP.MRPQuery'] loop
    perform KX_SYS_CatObject(obj, case when obj = 'KX_MRP.MRP' then 'MRP计划方案' else 'MRP计划查询' end, 1::smallint,
                             '计划\MRP', 'kx_mrp', 0::smallint, case when obj = 'KX_MRP.MRP' then 10 else 20 end);
    perform KX_SYS_CatSource(obj, 's', 'KX_MRP_Schemes');
    perform KX_SYS_CatField(obj, 'SchIID', '方案内码', 's.SchIID', 3::smallint, 0::smallint, 'PHT');
    perform KX_SYS_CatField(obj, 'SchName', '方案名称', 's.SchName');
    perform KX_SYS_CatField(obj, 'SchState', '最新状态', 's.SchState', 3::smallint, 0::smallint, 'T');
    perform KX_SYS_CatField(obj, 'SchUsrID', '创建者', 's.SchUsrID', 24::smallint, 0::smallint, '', 1::smallint);
    perform KX_SYS_CatAccess(obj, 'Browse', '浏览');
  end loop;
  obj := 'KX_MRP.MRP';
  perform KX_SYS_CatAction(obj, 'New', '新建计划方案', 0::smallint, 3::smallint, 'kx_mrp', '', 'Update');
  perform KX_SYS_CatAction(obj, 'Copy', '复制计划方案', 3::smallint, 3::smallint, 'kx_mrp', '', 'Update');
  perform KX_SYS_CatAction(obj, 'Update', '修改计划方案', 1::smallint, 3::smallint, 'kx_mrp', '', 'Update');
  perform KX_SYS_CatAction(obj, 'Delete', '删除计划方案', 2::smallint, 3::smallint, 'kx_mrp', '', 'Update');
  perform KX_SYS_CatAction(obj, 'MPS', '获取主需求', 6::smallint, 3::smallint, 'kx_mrp', '', 'Update');
  perform KX_SYS_CatAction(obj, 'MRP', '运算MRP', 6::smallint, 3::smallint, 'kx_mrp', '', 'Update');
  perform KX_SYS_CatAccess(obj, 'Update', '修改');
end $$;

-- Main demand of a scheme: KX_MRP_Main ("s") with its item, unit, department, BOM, planning
-- people and originating customer demand. The "Last..." fields read the bill line as it stands now.
select KX_SYS_CatObject('KX_MRP.MRP.Main', '主需求', 0::smallint, '', 'kx_mrp', 0::smallint, 0);
update KX_SYS_Objects set ObjInternal = 1 where ObjID = 'KX_MRP.MRP.Main';
select KX_SYS_CatSource('KX_MRP.MRP.Main', 's', 'KX_MRP_Main');
select KX_SYS_CatSource('KX_MRP.MRP.Main', 'i', 'KX_Base_ItemMaster', 'join KX_Base_ItemMaster as i on i.ItmID=s.ManItmID');
select KX_SYS_CatSource('KX_MRP.MRP.Main', 'u', 'KX_Base_Unit', 'left join KX_Base_Unit as u on u.UntID=i.ItmUnitID');
select KX_SYS_CatSource('KX_MRP.MRP.Main', 'mt', 'KX_MRP_ItemSetting', 'left join KX_MRP_ItemSetting as mt on mt.ItmID=s.ManItmID');
select KX_SYS_CatSource('KX_MRP.MRP.Main', 'pl', 'KX_Base_Employee', 'left join KX_Base_Employee as pl on pl.EmpID=mt.ItmPlannerID');
select KX_SYS_CatSource('KX_MRP.MRP.Main', 'by', 'KX_Base_Employee', 'left join KX_Base_Employee as by on by.EmpID=mt.ItmBuyerID');
select KX_SYS_CatSource('KX_MRP.MRP.Main', 'd', 'KX_Base_Department', 'left join KX_Base_Department as d on d.DeptID=s.ManDeptID');
select KX_SYS_CatSource('KX_MRP.MRP.Main', 'b', 'KX_Bom_Head', 'left join KX_Bom_Head as b on b.BomID=s.ManBomID');
select KX_SYS_CatSource('KX_MRP.MRP.Main', 'oi', 'KX_Base_ItemMaster', 'left join KX_Base_ItemMaster as oi on oi.ItmID=s.ManOrigItmID');
select KX_SYS_CatSource('KX_MRP.MRP.Main', 'c', 'KX_Base_Customer', 'left join KX_Base_Customer as c on c.CustID=s.ManOrigCustID');
do $$
declare
  obj constant text := 'KX_MRP.MRP.Main';
  qty record;
  -- The current bill line of a sales, export or forecast line, as a scalar sub-select per kind.
  last_line constant text :=
    '(case s.ManBillType when 2 then (select %1$s from KX_Bill_SOLine as l left join KX_MRP_SOExt as x on x.SOID=l.SOID and x.SOEntry=l.SOEntry '
    'where l.SOID=s.ManBillID and l.SOEntry=s.ManBillEntry) '
    'when 4 then (select %2$s from KX_Bill_SILine as l left join KX_MRP_SIExt as x on x.SIID=l.SIID and x.SIEntry=l.SIEntry '
    'where l.SIID=s.ManBillID and l.SIEntry=s.ManBillEntry) '
    'when 8 then (select %3$s from KX_Bill_ForLine as l left join KX_MRP_ForcastExt as x on x.ForID=l.ForID and x.ForEntry=l.ForEntry '
    'where l.ForID=s.ManBillID and l.ForEntry=s.ManBillEntry) end)';
begin
  perform KX_SYS_CatField(obj, 'ManSchIID', '方案内码', 's.ManSchIID', 3::smallint, 0::smallint, 'PHT');
  perform KX_SYS_CatField(obj, 'ManIID', '需求内码', 's.ManIID', 3::smallint, 0::smallint, 'PHT');
  perform KX_SYS_CatField(obj, 'ManPriority', '优先级', 's.ManPriority', 3::smallint, 0::smallint, 'LT');
  perform KX_SYS_CatField(obj, 'ManBillType', '类型', 's.ManBillType', 2::smallint, 0::smallint, 'LT', 3::smallint, 'MrpBillType');
  perform KX_SYS_CatField(obj, 'ManBillNo', '需求单号', 's.ManBillNo', 24::smallint, 0::smallint, 'L');
  perform KX_SYS_CatField(obj, 'ManBillEntry', '需求行', 's.ManBillEntry', 3::smallint, 0::smallint, 'LT');
  perform KX_SYS_CatField(obj, 'DeptName', '需求单位', 'd.DeptName');
  perform KX_SYS_CatField(obj, 'ManBillDate', '单据日期', 's.ManBillDate', 9::smallint);
  perform KX_SYS_CatField(obj, 'ManDate', '需求日期', 's.ManDate', 9::smallint);
  perform KX_SYS_CatField(obj, 'ItmNo', '物料代码', 'i.ItmNo');
  perform KX_SYS_CatField(obj, 'ItmName', '物料名称', 'i.ItmName');
  perform KX_SYS_CatField(obj, 'ItmSpec', '规格型号', 'i.ItmSpec');
  perform KX_SYS_CatField(obj, 'BomNo', 'BOM单', 'b.BomNo');
  perform KX_SYS_CatField(obj, 'UntName', '单位', 'u.UntName');
  perform KX_SYS_CatField(obj, 'OrigType', '主需求', 's.ManOrigType', 2::smallint, 0::smallint, 'DT', 3::smallint, 'MrpBillType');
  perform KX_SYS_CatField(obj, 'OrigNo', '主需求号', 's.ManOrigNo', 24::smallint, 0::smallint, 'D');
  perform KX_SYS_CatField(obj, 'OrigCust', '主需求客户', 'c.CustName', 24::smallint, 0::smallint, 'D');
  perform KX_SYS_CatField(obj, 'OrigCustPO', '主需求客户单号', 's.ManOrigCustPO', 24::smallint, 0::smallint, 'D');
  perform KX_SYS_CatField(obj, 'OrigItmNo', '主需求物料代码', 'oi.ItmNo', 24::smallint, 0::smallint, 'D');
  perform KX_SYS_CatField(obj, 'OrigItmName', '主需求物料名称', 'oi.ItmName', 24::smallint, 0::smallint, 'D');
  perform KX_SYS_CatField(obj, 'OrigItmSpec', '主需求规格型号', 'oi.ItmSpec', 24::smallint, 0::smallint, 'D');
  perform KX_SYS_CatField(obj, 'ManOrigTag', '需求分类号', 's.ManOrigTag');
  perform KX_SYS_CatField(obj, 'ManOrigSubTag', '子件需求分类号', 's.ManOrigSubTag', 24::smallint, 0::smallint, 'D');
  perform KX_SYS_CatField(obj, 'ManGroupType', 'MRP分组', 's.ManGroupType', 2::smallint, 0::smallint, 'DT', 3::smallint, 'MrpGroupType');
  perform KX_SYS_CatField(obj, 'ManGroupNo', 'MRP分组号', 's.ManGroupNo', 24::smallint, 0::smallint, 'D');
  for qty in select * from (values ('ManBillQty', '单据数量'), ('ManExeQty', '执行数量'), ('ManDedQty', '冲销数量'),
                                   ('ManNeedQty', '需求数量'), ('ManAdjQty', '调整数量'), ('ManQty', '计划数量')) as v(id, name) loop
    perform KX_SYS_CatField(obj, qty.id, qty.name, 's.' || qty.id, 6::smallint, 8::smallint);
  end loop;
  perform KX_SYS_CatField(obj, 'ManNote', '备注', 's.ManNote');
  perform KX_SYS_CatField(obj, 'ItmPlanner', '计划员', 'pl.EmpName');
  perform KX_SYS_CatField(obj, 'ItmBuyer', '采购员', 'by.EmpName', 24::smallint, 0::smallint, 'D');
  perform KX_SYS_CatField(obj, 'LastBillQty', '最新单据数',
                          format(last_line, 'l.SOBillQty', 'l.SIBillQty', 'l.ForBillQty'), 6::smallint, 8::smallint, 'D');
  perform KX_SYS_CatField(obj, 'LastExeQty', '最新执行数',
                          format(last_line, 'l.SOOkQty', 'l.SIOkQty', 'l.ForOkQty'), 6::smallint, 8::smallint, 'D');
  perform KX_SYS_CatField(obj, 'LastDedQty', '最新冲销数',
                          format(last_line, 'coalesce(x.SODedAQty,0)+coalesce(x.SODedMQty,0)',
                                 'coalesce(x.SIDedAQty,0)+coalesce(x.SIDedMQty,0)',
                                 'coalesce(x.ForDedAQty,0)+coalesce(x.ForDedMQty,0)'), 6::smallint, 8::smallint, 'D');
  perform KX_SYS_CatField(obj, 'LastNeedQty', '最新需求数',
                          format(last_line, 'l.SOBillQty-l.SOOkQty', 'l.SIBillQty-l.SIOkQty',
                                 'l.ForBillQty-l.ForOkQty-coalesce(x.ForDedAQty,0)-coalesce(x.ForDedMQty,0)'), 6::smallint, 8::smallint, 'D');
  perform KX_SYS_CatField(obj, 'LastStatus', '最新需求状态',
                          'coalesce(' || format(last_line,
                                 'case when l.SOClosed=1 then ''已关闭'' when l.SOMrp=0 then ''不参与计划'' else ''正常'' end',
                                 'case when l.SIClosed=1 then ''已关闭'' when l.SIMrp=0 then ''不参与计划'' else ''正常'' end',
                                 'case when l.ForClosed=1 then ''已关闭'' when l.ForMrp=0 then ''不参与计划'' else ''正常'' end')
                          || ', case when s.ManBillType in (2, 4, 8) then ''已删除'' end)', 24::smallint, 0::smallint, 'D');
  for n in 1..10 loop
    perform KX_SYS_CatField(obj, 'ManItmProp' || n, '辅助项' || n, 's.ManItmProp' || n, 24::smallint, 0::smallint, 'D');
  end loop;
  perform KX_SYS_CatAction(obj, 'MPS', '获取主需求', 6::smallint, 3::smallint, 'kx_mrp', '', 'Update');
  perform KX_SYS_CatAction(obj, 'Adjust', '批调整', 6::smallint, 3::smallint, 'kx_mrp', '', 'Update');
  perform KX_SYS_CatAction(obj, 'Update', '编辑', 1::smallint, 3::smallint, 'kx_mrp', '', 'Update');
  perform KX_SYS_CatAction(obj, 'AddNeed', '新增需求', 6::smallint, 3::smallint, 'kx_mrp', '', 'Update');
  perform KX_SYS_CatAction(obj, 'DelNeed', '删除需求', 6::smallint, 3::smallint, 'kx_mrp', '', 'Update');
  perform KX_SYS_CatAction(obj, 'MRP', '运算MRP', 6::smallint, 3::smallint, 'kx_mrp', '', 'Update');
  perform KX_SYS_CatAccess(obj, 'Browse', '浏览');
  perform KX_SYS_CatAccess(obj, 'Update', '修改');
end $$;
