-- Catalogue rows of the objects the MRP module serves (views, workbench frames, forms) and the
-- relations that open detail lists under the ERP order lists. An object already described by
-- another catalogue file keeps its rows: everything here is added only where it is missing.

insert into KX_SYS_Objects (ObjID, ObjName, ObjType, ObjMenu, ObjDllName, ObjOrder, ObjCanPrint, ObjCanExport) values
  ('KX_MRP.Items',        '物料计划资料',   0, '计划\主数据', 'kx_mrp', 10, 1, 1),
  ('KX_MRP.ItemSubs',     '替代物料',       0, '计划\主数据', 'kx_mrp', 20, 1, 1),
  ('KX_MRP.Calendar',     '工厂日历',       2, '计划\主数据', 'kx_mrp', 30, 0, 0),
  ('KX_MRP.BOMExpand',    'BOM展开查询',    0, '计划\主数据', 'kx_mrp', 40, 1, 1),
  ('KX_MRP.MRP',          'MRP计划方案',    1, '计划\MRP',    'kx_mrp', 10, 1, 1),
  ('KX_MRP.MRPQuery',     'MRP计划查询',    1, '计划\MRP',    'kx_mrp', 20, 1, 1),
  ('KX_MRP.MRPRelease',   '计划方案发布',   2, '计划\MRP',    'kx_mrp', 30, 0, 0),
  ('KX_MRP.MRPOutput',    'MRP计划投放',    0, '计划\MRP',    'kx_mrp', 40, 1, 1),
  ('KX_MRP.MRPmini',      '齐套分析',       1, '计划\分析',   'kx_mrp', 10, 1, 1),
  ('KX_MRP.LackAnalyze',  '生产缺料分析',   1, '计划\分析',   'kx_mrp', 20, 1, 1),
  ('KX_MRP.AgeAnalyze',   '库龄分析',       0, '计划\分析',   'kx_mrp', 30, 1, 1),
  ('KX_MRP.Deduct',       '预测冲销',       0, '销售\需求',   'kx_mrp', 40, 1, 1)
on conflict (ObjID) do nothing;

-- The result views of a scheme are opened by the workbench, never from the menu.
insert into KX_SYS_Objects (ObjID, ObjName, ObjType, ObjInternal, ObjMenu, ObjDllName, ObjOrder) values
  ('KX_MRP.MRP.Main',     '主需求',         0, 1, '', 'kx_mrp', 0),
  ('KX_MRP.MRP.Allot',    '需求分配',       0, 1, '', 'kx_mrp', 0),
  ('KX_MRP.MRP.Supplies', '供应计划',       0, 1, '', 'kx_mrp', 0),
  ('KX_MRP.MRP.Replaces', '替代明细',       0, 1, '', 'kx_mrp', 0),
  ('KX_MRP.MRP.Balance',  '供需平衡',       0, 1, '', 'kx_mrp', 0),
  ('KX_MRP.MRP.Bills',    '来源单据',       0, 1, '', 'kx_mrp', 0)
on conflict (ObjID) do nothing;

insert into KX_SYS_ObjAccessGroups (AgrObjID, AgrID, AgrName, AgrSeq)
select g.ObjID, g.AgrID, g.AgrName, g.AgrSeq
  from (values
    ('KX_MRP.Items', 'Browse', '浏览', 0), ('KX_MRP.Items', 'Update', '修改', 1),
    ('KX_MRP.ItemSubs', 'Browse', '浏览', 0), ('KX_MRP.ItemSubs', 'Update', '修改', 1),
    ('KX_MRP.Calendar', 'Browse', '浏览', 0), ('KX_MRP.Calendar', 'Update', '修改', 1),
    ('KX_MRP.BOMExpand', 'Browse', '浏览', 0),
    ('KX_MRP.MRP', 'Browse', '浏览', 0), ('KX_MRP.MRP', 'Update', '修改', 1),
    ('KX_MRP.MRPQuery', 'Browse', '浏览', 0),
    ('KX_MRP.MRPRelease', 'Browse', '浏览', 0), ('KX_MRP.MRPRelease', 'Update', '修改', 1),
    ('KX_MRP.MRPOutput', 'Browse', '浏览', 0), ('KX_MRP.MRPOutput', 'ToMO', '投放生产任务', 1),
    ('KX_MRP.MRPOutput', 'ToOR', '投放委外', 2), ('KX_MRP.MRPOutput', 'ToPR', '投放采购申请', 3),
    ('KX_MRP.MRPmini', 'Browse', '浏览', 0),
    ('KX_MRP.LackAnalyze', 'Browse', '浏览', 0),
    ('KX_MRP.AgeAnalyze', 'Browse', '浏览', 0), ('KX_MRP.AgeAnalyze', 'Money', '金额', 1),
    ('KX_MRP.Deduct', 'Browse', '浏览', 0), ('KX_MRP.Deduct', 'Update', '修改', 1),
    ('KX_MRP.MRP.Main', 'Browse', '浏览', 0), ('KX_MRP.MRP.Main', 'Update', '修改', 1),
    ('KX_MRP.MRP.Allot', 'Browse', '浏览', 0),
    ('KX_MRP.MRP.Supplies', 'Browse', '浏览', 0), ('KX_MRP.MRP.Supplies', 'Update', '修改', 1),
    ('KX_MRP.MRP.Replaces', 'Browse', '浏览', 0),
    ('KX_MRP.MRP.Balance', 'Browse', '浏览', 0),
    ('KX_MRP.MRP.Bills', 'Browse', '浏览', 0)
  ) as g(ObjID, AgrID, AgrName, AgrSeq)
 where not exists (select 1 from KX_SYS_ObjAccessGroups as a where a.AgrObjID = g.ObjID)
on conflict do nothing;

-- Detail lists of the order lists: the material and scrap lines of the focused order line.
insert into KX_SYS_ObjRelations (RelObjID, RelSeq, RelID, RelName, RelRelObjID, RelFieldMaps)
select r.ObjID, r.Seq, r.RelID, r.RelName, r.RelObjID, r.FieldMaps
  from (values
    ('KX_MRP.MO', 1, 'Material', '生产订单用料', 'KX_MRP.MOBOM', 'MOID=BomID|MOEntry=MOEntry'),
    ('KX_MRP.MO', 2, 'Scrap', '生产补料', 'KX_MRP.MOScrap', 'MOID=MOID|MOEntry=MOEntry'),
    ('KX_MRP.OO', 1, 'Material', '委外订单用料', 'KX_MRP.OOBOM', 'OOID=BomID|OOEntry=OOEntry')
  ) as r(ObjID, Seq, RelID, RelName, RelObjID, FieldMaps)
 where not exists (select 1 from KX_SYS_ObjRelations as x where x.RelObjID = r.ObjID and x.RelID = r.RelID)
on conflict do nothing;
