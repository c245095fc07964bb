-- The demo factory: a small electric-fan maker with master data, BOMs, open bills and stock; run by "kxmrp db init --demo".
--
-- Every row has a fixed identity beginning with "DM-" (or, for rows keyed by an identity column, a
-- fixed natural key), and every insert skips rows that exist already: loading the demo again adds
-- what is missing and leaves present rows, including the users' changes to them, as they are.
-- Dates are days relative to the base date Monday 2026-12-07 (KX_DemoDay), so the case never ages.
-- The loader creates tmp_KX_DemoLogins (the demo users with their password digests) before this
-- text runs, and runs everything in one transaction.

create function pg_temp.KX_DemoDay(n integer) returns timestamp(3)
  language sql immutable as $$ select timestamp '2026-12-07' + make_interval(days => n) $$;

-- Units. Every base unit has factor 1; a line's base quantity is its quantity x its unit's factor.
insert into KX_Base_UnitGroup (UngID, UngNo, UngName) values
  ('DM-UG-CNT', 'DM-CNT', '计数'),
  ('DM-UG-WGT', 'DM-WGT', '重量'),
  ('DM-UG-LEN', 'DM-LEN', '长度')
on conflict do nothing;

insert into KX_Base_Unit (UntID, UntNo, UntName, UntUngID, UntFactor, UntIsBase) values
  ('DM-U-PCS',   'PCS',   '个',        'DM-UG-CNT',    1, 1),
  ('DM-U-SET',   'SET',   '台',        'DM-UG-CNT',    1, 0),
  ('DM-U-ROOT',  'ROOT',  '根',        'DM-UG-CNT',    1, 0),
  ('DM-U-KIT',   'KIT',   '套',        'DM-UG-CNT',    1, 0),
  ('DM-U-COPY',  'COPY',  '份',        'DM-UG-CNT',    1, 0),
  ('DM-U-C100',  'C100',  '百个',      'DM-UG-CNT',  100, 0),
  ('DM-U-K1000', 'K1000', '千个',      'DM-UG-CNT', 1000, 0),
  ('DM-U-CTN4',  'CTN4',  '箱(4台)',   'DM-UG-CNT',    4, 0),
  ('DM-U-KG',    'KG',    '千克',      'DM-UG-WGT',    1, 1),
  ('DM-U-G',     'G',     '克',        'DM-UG-WGT', 0.001, 0),
  ('DM-U-TON',   'TON',   '吨',        'DM-UG-WGT', 1000, 0),
  ('DM-U-BAG25', 'BAG25', '包(25千克)', 'DM-UG-WGT',  25, 0),
  ('DM-U-M',     'M',     '米',        'DM-UG-LEN',    1, 1),
  ('DM-U-ROLL',  'ROLL',  '卷(100米)', 'DM-UG-LEN',  100, 0)
on conflict do nothing;

insert into KX_Base_Currency (CurID, CurNo, CurName, CurRate, CurIsHome) values
  ('DM-CUR-CNY', 'CNY', '人民币', 1, 1),
  ('DM-CUR-USD', 'USD', '美元', 7.1, 0)
on conflict do nothing;

-- Departments: three production workshops under the production department.
insert into KX_Base_Department (DeptID, DeptNo, DeptName, DeptParentID, DeptWorkShop) values
  ('DM-D-GM',  '01',   '总经办', null, 0),
  ('DM-D-PRD', '02',   '生产部', null, 0),
  ('DM-D-WS1', '0201', '总装车间', 'DM-D-PRD', 1),
  ('DM-D-WS2', '0202', '电机车间', 'DM-D-PRD', 1),
  ('DM-D-WS3', '0203', '注塑车间', 'DM-D-PRD', 1),
  ('DM-D-PMC', '03',   '计划部', null, 0),
  ('DM-D-PUR', '04',   '采购部', null, 0),
  ('DM-D-SAL', '05',   '销售部', null, 0),
  ('DM-D-EXP', '06',   '外贸部', null, 0),
  ('DM-D-WH',  '07',   '仓储部', null, 0),
  ('DM-D-QC',  '08',   '品质部', null, 0)
on conflict do nothing;

insert into KX_Base_Employee (EmpID, EmpNo, EmpName, EmpDeptID, EmpPhone) values
  ('DM-E-01', 'E001', '陈志强', 'DM-D-GM',  '0574-6321 8001'),
  ('DM-E-02', 'E002', '李明',   'DM-D-PMC', '0574-6321 8031'),
  ('DM-E-03', 'E003', '张丽',   'DM-D-PUR', '0574-6321 8041'),
  ('DM-E-04', 'E004', '王芳',   'DM-D-PUR', '0574-6321 8042'),
  ('DM-E-05', 'E005', '刘洋',   'DM-D-SAL', '0574-6321 8051'),
  ('DM-E-06', 'E006', '赵敏',   'DM-D-EXP', '0574-6321 8061'),
  ('DM-E-07', 'E007', '孙伟',   'DM-D-WS1', '0574-6321 8021'),
  ('DM-E-08', 'E008', '周杰',   'DM-D-WS2', '0574-6321 8022'),
  ('DM-E-09', 'E009', '黄磊',   'DM-D-WS3', '0574-6321 8023'),
  ('DM-E-10', 'E010', '吴静',   'DM-D-WH',  '0574-6321 8071'),
  ('DM-E-11', 'E011', '郑浩',   'DM-D-QC',  '0574-6321 8081')
on conflict do nothing;

-- Logins: an administrator, the planner and a buyer (digests from the loader).
insert into KX_SYS_Users (UsrID, UsrNo, UsrName, UsrEmpID, UsrPwdHash, UsrPwdSalt, UsrPwdIter, UsrIsAdmin, UsrNote)
select UsrID, UsrNo, UsrName, UsrEmpID, UsrPwdHash, UsrPwdSalt, UsrPwdIter, UsrIsAdmin, '演示用户'
  from tmp_KX_DemoLogins
on conflict do nothing;

insert into KX_SYS_UserGroups (GrpID, GrpNo, GrpName, GrpNote) values
  ('DM-G-ADMIN', 'ADMIN', '系统管理组', '拥有全部权限'),
  ('DM-G-PLAN',  'PLAN',  '计划组', '计划方案、主需求、MRP运算、计划发布与生产投放'),
  ('DM-G-BUY',   'BUY',   '采购组', '计划投放为采购申请和委外申请')
on conflict do nothing;

insert into KX_SYS_UserGroupMembers (UgmGrpID, UgmUsrID)
select m.GrpID, m.UsrID
  from (values ('DM-G-ADMIN', 'DM-USR-ADMIN'), ('DM-G-PLAN', 'DM-USR-LIMING'), ('DM-G-BUY', 'DM-USR-ZHANGLI')) as m(GrpID, UsrID)
  join KX_SYS_Users as u on u.UsrID = m.UsrID
on conflict do nothing;

-- Access groups held by the planner and buyer groups on the module's objects and on the ERP bill
-- objects that planning reads. The administrator holds every right through UsrIsAdmin.
insert into KX_SYS_AccessRights (AcrObjID, AcrGroup, AcrUsrID, AcrIsGroup)
select r.ObjID, g.AcrGroup, r.GrpID, 1
  from (values
    ('DM-G-PLAN', 'KX_MRP.Items',        '{Browse,Update}'),
    ('DM-G-PLAN', 'KX_MRP.ItemSubs',     '{Browse,Update}'),
    ('DM-G-PLAN', 'KX_MRP.Calendar',     '{Browse,Update}'),
    ('DM-G-PLAN', 'KX_MRP.MRP',          '{Browse,Update}'),
    ('DM-G-PLAN', 'KX_MRP.MRPQuery',     '{Browse}'),
    ('DM-G-PLAN', 'KX_MRP.MRP.Main',     '{Browse,Update}'),
    ('DM-G-PLAN', 'KX_MRP.MRP.Allot',    '{Browse}'),
    ('DM-G-PLAN', 'KX_MRP.MRP.Supplies', '{Browse,Update}'),
    ('DM-G-PLAN', 'KX_MRP.MRP.Replaces', '{Browse}'),
    ('DM-G-PLAN', 'KX_MRP.MRP.Balance',  '{Browse}'),
    ('DM-G-PLAN', 'KX_MRP.MRP.Bills',    '{Browse}'),
    ('DM-G-PLAN', 'KX_MRP.MRPRelease',   '{Browse,Update}'),
    ('DM-G-PLAN', 'KX_MRP.MRPOutput',    '{Browse,ToMO}'),
    ('DM-G-PLAN', 'KX_MRP.MRPmini',      '{Browse}'),
    ('DM-G-PLAN', 'KX_MRP.LackAnalyze',  '{Browse}'),
    ('DM-G-PLAN', 'KX_MRP.BOMExpand',    '{Browse,Update}'),
    ('DM-G-PLAN', 'KX_MRP.Forcast',      '{Browse,Update,Delete,Check,UnCheck,Close,UnClose,Deduct}'),
    ('DM-G-PLAN', 'KX_MRP.Deduct',       '{Browse,Update}'),
    ('DM-G-PLAN', 'KX_MRP.DeductLog',    '{Browse,Deduct}'),
    ('DM-G-PLAN', 'KX_MRP.AgeAnalyze',   '{Browse}'),
    ('DM-G-PLAN', 'KX_MRP.SO',           '{Browse,Deduct}'),
    ('DM-G-PLAN', 'KX_MRP.SI',           '{Browse,Deduct}'),
    ('DM-G-PLAN', 'KX_MRP.MO',           '{Browse}'),
    ('DM-G-PLAN', 'KX_MRP.MOBOM',        '{Browse}'),
    ('DM-G-PLAN', 'KX_MRP.MOScrap',      '{Browse}'),
    ('DM-G-PLAN', 'KX_MRP.OO',           '{Browse}'),
    ('DM-G-PLAN', 'KX_MRP.OOBOM',        '{Browse}'),
    ('DM-G-PLAN', 'KX_MRP.PO',           '{Browse}'),
    ('DM-G-PLAN', 'KX_MRP.PI',           '{Browse}'),
    ('DM-G-PLAN', 'KX_MRP.MR',           '{Browse}'),
    ('DM-G-PLAN', 'KX_MRP.OR',           '{Browse}'),
    ('DM-G-PLAN', 'KX_MRP.PR',           '{Browse}'),
    ('DM-G-PLAN', 'KX_MRP.Inventory',    '{Browse}'),
    ('DM-G-BUY',  'KX_MRP.MRPOutput',    '{Browse,ToPR,ToOR}'),
    ('DM-G-BUY',  'KX_MRP.MRPQuery',     '{Browse}'),
    ('DM-G-BUY',  'KX_MRP.MRP.Supplies', '{Browse}'),
    ('DM-G-BUY',  'KX_MRP.Items',        '{Browse}'),
    ('DM-G-BUY',  'KX_MRP.ItemSubs',     '{Browse}'),
    ('DM-G-BUY',  'KX_MRP.BOMExpand',    '{Browse}'),
    ('DM-G-BUY',  'KX_MRP.LackAnalyze',  '{Browse}'),
    ('DM-G-BUY',  'KX_MRP.AgeAnalyze',   '{Browse,Money}'),
    ('DM-G-BUY',  'KX_MRP.PO',           '{Browse}'),
    ('DM-G-BUY',  'KX_MRP.PI',           '{Browse}'),
    ('DM-G-BUY',  'KX_MRP.PR',           '{Browse}'),
    ('DM-G-BUY',  'KX_MRP.OR',           '{Browse}'),
    ('DM-G-BUY',  'KX_MRP.OO',           '{Browse}'),
    ('DM-G-BUY',  'KX_MRP.Inventory',    '{Browse}')
  ) as r(GrpID, ObjID, AcrGroups)
  cross join lateral unnest(r.AcrGroups::text[]) as g(AcrGroup)
on conflict do nothing;

insert into KX_Base_Customer (CustID, CustNo, CustName, CustShort, CustEmpID, CustCurID, CustIsExport, CustAddress, CustPhone) values
  ('DM-C-01', 'C001', '华东百货有限公司',     '华东百货', 'DM-E-05', 'DM-CUR-CNY', 0, '上海市黄浦区南京东路 318 号', '021-6351 2200'),
  ('DM-C-02', 'C002', '广州粤美电器商行',     '粤美电器', 'DM-E-05', 'DM-CUR-CNY', 0, '广州市越秀区海珠中路 66 号', '020-8333 1618'),
  ('DM-C-03', 'C003', '京华家电连锁有限公司', '京华家电', 'DM-E-05', 'DM-CUR-CNY', 0, '北京市朝阳区建国路 88 号', '010-6588 7700'),
  ('DM-C-04', 'C004', '成都蓉城电器有限公司', '蓉城电器', 'DM-E-05', 'DM-CUR-CNY', 0, '成都市锦江区春熙路 12 号', '028-8666 3210'),
  ('DM-C-05', 'C005', '新加坡星海贸易公司',   '星海贸易', 'DM-E-06', 'DM-CUR-USD', 1, '新加坡 裕廊东 21 街 8 号', '+65 6561 2080'),
  ('DM-C-06', 'C006', '迪拜金沙进出口公司',   '金沙进出口', 'DM-E-06', 'DM-CUR-USD', 1, '阿联酋 迪拜 杰贝阿里自贸区 S3 楼', '+971 4 881 5522')
on conflict do nothing;

-- Suppliers: SuppPO purchase, SuppOO outsourcing; 余姚华丰 is both.
insert into KX_Base_Supplier (SuppID, SuppNo, SuppName, SuppShort, SuppPO, SuppOO, SuppCurID, SuppBuyerID, SuppLeadDays, SuppAddress) values
  ('DM-S-01', 'S001', '常州金铜漆包线有限公司', '金铜漆包线', 1, 0, 'DM-CUR-CNY', 'DM-E-03', 10, '江苏省常州市武进区'),
  ('DM-S-02', 'S002', '宁波甬江轴承有限公司',   '甬江轴承',   1, 0, 'DM-CUR-CNY', 'DM-E-03',  7, '浙江省宁波市北仑区'),
  ('DM-S-03', 'S003', '东莞恒通电子有限公司',   '恒通电子',   1, 0, 'DM-CUR-CNY', 'DM-E-04', 12, '广东省东莞市长安镇'),
  ('DM-S-04', 'S004', '温州瓯海标准件厂',       '瓯海标准件', 1, 0, 'DM-CUR-CNY', 'DM-E-04',  5, '浙江省温州市瓯海区'),
  ('DM-S-05', 'S005', '佛山顺成塑胶原料行',     '顺成塑胶',   1, 0, 'DM-CUR-CNY', 'DM-E-03',  6, '广东省佛山市顺德区'),
  ('DM-S-06', 'S006', '中山彩印包装厂',         '彩印包装',   1, 0, 'DM-CUR-CNY', 'DM-E-04',  7, '广东省中山市小榄镇'),
  ('DM-S-07', 'S007', '余姚华丰塑料制品厂',     '华丰塑料',   1, 1, 'DM-CUR-CNY', 'DM-E-03',  9, '浙江省余姚市'),
  ('DM-S-08', 'S008', '慈溪鑫达五金加工厂',     '鑫达五金',   0, 1, 'DM-CUR-CNY', 'DM-E-03',  8, '浙江省慈溪市观海卫镇'),
  ('DM-S-09', 'S009', '无锡华新硅钢有限公司',   '华新硅钢',   1, 0, 'DM-CUR-CNY', 'DM-E-03', 14, '江苏省无锡市惠山区'),
  ('DM-S-10', 'S010', '东莞立信电容厂',         '立信电容',   1, 0, 'DM-CUR-CNY', 'DM-E-04', 10, '广东省东莞市虎门镇')
on conflict do nothing;

-- Warehouses: the main warehouse with its places, and the virtual in-transit warehouse whose stock
-- planning does not count.
insert into KX_Base_Stock (StkID, StkNo, StkName, StkVirtual, StkHasPlace, StkEmpID) values
  ('DM-K-MAIN', 'WH01', '主仓库', 0, 1, 'DM-E-10'),
  ('DM-K-TRAN', 'WH02', '在途仓', 1, 1, 'DM-E-10')
on conflict do nothing;

insert into KX_Base_StockPlace (StpID, StpStkID, StpNo, StpName) values
  ('DM-P-A',  'DM-K-MAIN', 'A',  '原材料区'),
  ('DM-P-B',  'DM-K-MAIN', 'B',  '半成品区'),
  ('DM-P-C',  'DM-K-MAIN', 'C',  '成品区'),
  ('DM-P-T1', 'DM-K-TRAN', 'T1', '供应商在途')
on conflict do nothing;

insert into KX_Base_ItemClass (ClsID, ClsNo, ClsName) values
  ('DM-CLS-1', 'DM1', '成品'),
  ('DM-CLS-2', 'DM2', '半成品'),
  ('DM-CLS-3', 'DM3', '电机'),
  ('DM-CLS-4', 'DM4', '原材料及外购件'),
  ('DM-CLS-5', 'DM5', '包装材料')
on conflict do nothing;

-- Property slot 1 is the colour, with a checked value list; a renamed slot keeps its installation's name.
update KX_Base_ItemPropDefs set PrdName = '颜色', PrdCheckList = 1 where PrdNo = 1 and PrdName = '辅助项1';
insert into KX_Base_ItemPropValues (PvlPropNo, PvlValue, PvlName) values
  (1, '白色', '象牙白'),
  (1, '蓝色', '天空蓝')
on conflict do nothing;

-- The item master. ItmType: 1 purchased, 2 made, 3 outsourced, 4 virtual (phantom).
-- 台扇 DS-30 and its shell are kept per colour (property 1).
insert into KX_Base_ItemMaster (ItmID, ItmNo, ItmName, ItmSpec, ItmClsID, ItmType, ItmUnitID, ItmInvUnitID, ItmBuyUnitID,
                                ItmSaleUnitID, ItmProdUnitID, ItmDecimal, ItmBatchMgmt, ItmDefStkID, ItmStdPrice, ItmHasProp1, ItmCreater)
select v.ItmID, v.ItmNo, v.ItmName, v.ItmSpec, v.ClsID, v.ItmType, v.BaseUnit, v.BaseUnit, coalesce(v.BuyUnit, v.BaseUnit),
       v.BaseUnit, v.BaseUnit, v.Decimals, v.Batch, 'DM-K-MAIN', v.Price, v.HasColour, u.UsrID
  from (values
    ('DM-I-FS40',  '1.01.001', '落地扇',       'FS-40 40cm 遥控 三档',      'DM-CLS-1', 2, 'DM-U-SET',  null,         0, 0, 168.00, 0),
    ('DM-I-DS30',  '1.01.002', '台扇',         'DS-30 30cm 三档',           'DM-CLS-1', 2, 'DM-U-SET',  null,         0, 0,  89.00, 1),
    ('DM-I-WS40',  '1.01.003', '壁扇',         'WS-40 40cm 拉绳',           'DM-CLS-1', 2, 'DM-U-SET',  null,         0, 0, 129.00, 0),
    ('DM-I-HD40',  '2.01.001', '扇头组件',     'FS-40/WS-40 通用',          'DM-CLS-2', 2, 'DM-U-PCS',  null,         0, 0,  48.00, 0),
    ('DM-I-HD30',  '2.01.002', '扇头组件',     'DS-30',                     'DM-CLS-2', 2, 'DM-U-PCS',  null,         0, 0,  31.00, 0),
    ('DM-I-BS40',  '2.02.001', '底座组件',     'FS-40 委外装配',            'DM-CLS-2', 3, 'DM-U-PCS',  null,         0, 0,  30.00, 0),
    ('DM-I-GD40',  '2.03.001', '网罩组件',     '40cm 前后网罩 (虚拟件)',    'DM-CLS-2', 4, 'DM-U-KIT',  null,         0, 0,   8.70, 0),
    ('DM-I-CB40',  '2.04.001', '控制盒组件',   'FS-40 遥控',                'DM-CLS-2', 2, 'DM-U-PCS',  null,         0, 0,  31.00, 0),
    ('DM-I-BL40',  '2.05.001', '扇叶',         '40cm 五叶 ABS',             'DM-CLS-2', 2, 'DM-U-PCS',  null,         0, 0,   5.20, 0),
    ('DM-I-BL30',  '2.05.002', '扇叶',         '30cm 三叶 ABS',             'DM-CLS-2', 2, 'DM-U-PCS',  null,         0, 0,   3.10, 0),
    ('DM-I-MT40',  '3.01.001', '电机',         'YYF-40 40W 220V',           'DM-CLS-3', 2, 'DM-U-PCS',  null,         0, 0,  36.00, 0),
    ('DM-I-MT30',  '3.01.002', '电机',         'YYF-30 30W 220V',           'DM-CLS-3', 2, 'DM-U-PCS',  null,         0, 0,  27.00, 0),
    ('DM-I-WIRE',  '4.01.001', '漆包线',       'QZ-2/130 φ0.35mm',          'DM-CLS-4', 1, 'DM-U-KG',   null,         3, 1,  68.00, 0),
    ('DM-I-SIST',  '4.01.002', '硅钢片',       '50W470 0.5mm',              'DM-CLS-4', 1, 'DM-U-KG',   'DM-U-TON',   3, 1,   7.50, 0),
    ('DM-I-SLV',   '4.01.003', '黄蜡管',       'φ3mm',                      'DM-CLS-4', 1, 'DM-U-M',    'DM-U-ROLL',  2, 0,   0.15, 0),
    ('DM-I-SH8',   '4.02.001', '电机轴',       'φ8×120 45#钢',              'DM-CLS-4', 1, 'DM-U-PCS',  null,         0, 0,   3.20, 0),
    ('DM-I-SH6',   '4.02.002', '电机轴',       'φ6×100 45#钢',              'DM-CLS-4', 1, 'DM-U-PCS',  null,         0, 0,   2.60, 0),
    ('DM-I-BR1',   '4.02.003', '轴承',         '608ZZ',                     'DM-CLS-4', 1, 'DM-U-PCS',  'DM-U-C100',  0, 0,   1.10, 0),
    ('DM-I-BR2',   '4.02.004', '轴承',         '608-2RS',                   'DM-CLS-4', 1, 'DM-U-PCS',  'DM-U-C100',  0, 0,   1.30, 0),
    ('DM-I-COVER', '4.02.005', '电机端盖',     'YYF 通用 铝压铸',           'DM-CLS-4', 1, 'DM-U-PCS',  null,         0, 0,   2.10, 0),
    ('DM-I-CP15',  '4.03.001', '电容',         'CBB61 1.5μF 450V 恒通',     'DM-CLS-4', 1, 'DM-U-PCS',  null,         0, 1,   0.85, 0),
    ('DM-I-CP15B', '4.03.002', '电容',         'CBB61 1.5μF 450V 立信',     'DM-CLS-4', 1, 'DM-U-PCS',  null,         0, 1,   0.90, 0),
    ('DM-I-PCB',   '4.03.004', '控制板',       'FS-40 遥控 PCBA',           'DM-CLS-4', 1, 'DM-U-PCS',  null,         0, 0,  18.00, 0),
    ('DM-I-RMT',   '4.03.005', '遥控器',       'YK-01 红外',                'DM-CLS-4', 1, 'DM-U-PCS',  null,         0, 0,   6.50, 0),
    ('DM-I-SW',    '4.03.006', '按键开关',     '4档 琴键',                  'DM-CLS-4', 1, 'DM-U-PCS',  null,         0, 0,   2.30, 0),
    ('DM-I-CORD',  '4.03.007', '电源线',       '2×0.5mm² 1.5m 国标',        'DM-CLS-4', 1, 'DM-U-ROOT', null,         0, 0,   3.10, 0),
    ('DM-I-PULL',  '4.03.008', '拉绳开关',     'WS-40',                     'DM-CLS-4', 1, 'DM-U-PCS',  null,         0, 0,   2.80, 0),
    ('DM-I-SCR',   '4.04.001', '螺钉',         'M4×10 十字盘头 镀锌',       'DM-CLS-4', 1, 'DM-U-PCS',  'DM-U-K1000', 0, 0,   0.02, 0),
    ('DM-I-ABS',   '4.05.001', 'ABS塑料粒子',  '757 本色',                  'DM-CLS-4', 1, 'DM-U-KG',   'DM-U-BAG25', 3, 1,  14.50, 0),
    ('DM-I-FC40',  '4.06.001', '前壳',         'FS-40 ABS 白',              'DM-CLS-4', 1, 'DM-U-PCS',  null,         0, 0,   6.50, 0),
    ('DM-I-RC40',  '4.06.002', '后壳',         'FS-40 ABS 白',              'DM-CLS-4', 1, 'DM-U-PCS',  null,         0, 0,   5.80, 0),
    ('DM-I-SHL30', '4.06.003', '外壳',         'DS-30 ABS 分色',            'DM-CLS-4', 1, 'DM-U-PCS',  null,         0, 0,   7.20, 1),
    ('DM-I-FG40',  '4.06.004', '前网罩',       '40cm 镀铬',                 'DM-CLS-4', 1, 'DM-U-PCS',  null,         0, 0,   4.50, 0),
    ('DM-I-RG40',  '4.06.005', '后网罩',       '40cm 镀铬',                 'DM-CLS-4', 1, 'DM-U-PCS',  null,         0, 0,   4.20, 0),
    ('DM-I-PLATE', '4.07.001', '底盘铁板',     'FS-40 φ320 1.2mm',          'DM-CLS-4', 1, 'DM-U-PCS',  null,         0, 0,   9.00, 0),
    ('DM-I-WGHT',  '4.07.002', '配重块',       '2kg 铸铁',                  'DM-CLS-4', 1, 'DM-U-PCS',  null,         0, 0,   6.00, 0),
    ('DM-I-POLE',  '4.07.003', '伸缩立杆',     'FS-40 1.1-1.3m',            'DM-CLS-4', 1, 'DM-U-PCS',  null,         0, 0,  11.00, 0),
    ('DM-I-BRKT',  '4.07.004', '壁挂支架',     'WS-40',                     'DM-CLS-4', 1, 'DM-U-PCS',  null,         0, 0,   5.50, 0),
    ('DM-I-GEAR',  '4.07.005', '摇头齿轮箱',   '同步电机 TYJ50',            'DM-CLS-4', 1, 'DM-U-PCS',  null,         0, 0,   9.50, 0),
    ('DM-I-CTN40', '5.01.001', '纸箱',         'FS-40/WS-40 五层瓦楞',      'DM-CLS-5', 1, 'DM-U-PCS',  null,         0, 0,   4.80, 0),
    ('DM-I-CTN30', '5.01.002', '纸箱',         'DS-30 五层瓦楞',            'DM-CLS-5', 1, 'DM-U-PCS',  null,         0, 0,   3.20, 0),
    ('DM-I-FOAM',  '5.02.001', '泡沫护角',     'EPS 通用',                  'DM-CLS-5', 1, 'DM-U-KIT',  null,         0, 0,   1.50, 0),
    ('DM-I-MANU',  '5.03.001', '说明书',       '电风扇通用 中文',           'DM-CLS-5', 1, 'DM-U-COPY', null,         0, 0,   0.30, 0)
  ) as v(ItmID, ItmNo, ItmName, ItmSpec, ClsID, ItmType, BaseUnit, BuyUnit, Decimals, Batch, Price, HasColour)
  left join KX_SYS_Users as u on u.UsrID = 'DM-USR-ADMIN'
on conflict do nothing;

insert into KX_Base_ItemProps (PrsItmID, PrsProp1) values
  ('DM-I-DS30', '白色'), ('DM-I-DS30', '蓝色'),
  ('DM-I-SHL30', '白色'), ('DM-I-SHL30', '蓝色')
on conflict do nothing;

-- The property-set keys of the coloured items, for the inserts below ('' for every other item).
create temp table tmp_KX_DemoProps on commit drop as
select PrsItmID as ItmID, PrsProp1 as Prop1, PrsID
  from KX_Base_ItemProps
 where PrsItmID in ('DM-I-DS30', 'DM-I-SHL30')
   and PrsProp2 = '' and PrsProp3 = '' and PrsProp4 = '' and PrsProp5 = '' and PrsProp6 = ''
   and PrsProp7 = '' and PrsProp8 = '' and PrsProp9 = '' and PrsProp10 = '';

-- A line's unit factor over its item's base unit factor: the base quantity of one line unit.
create temp table tmp_KX_DemoFactors on commit drop as
select i.ItmID, u.UntID, u.UntFactor / b.UntFactor as Factor
  from KX_Base_ItemMaster as i
  join KX_Base_Unit as b on b.UntID = i.ItmUnitID
  join KX_Base_Unit as u on u.UntUngID = b.UntUngID
 where i.ItmID like 'DM-%';
create unique index tmp_KX_DemoFactors_Key on tmp_KX_DemoFactors (ItmID, UntID);

-- BOMs. Four levels: fans (0), heads, bases, guards, blades and control boxes (1), motors (2) and
-- their materials (3). The screw is used on every level below the fans; 底座组件 is assembled by an
-- outsourcing processor; 网罩组件 is a phantom; 台扇 DS-30 has one BOM per colour.
insert into KX_Bom_Head (BomID, BomType, BomNo, BomItmID, BomItmProps, BomItmProp1, BomUntID, BomOkRate, BomIsDefault,
                         BomVersion, BomDate, BomBeginDate, BomChecked, BomChecker, BomCheckDate, BomCreater, BomRemark)
select v.BomID, 1, v.BomNo, v.ItmID, coalesce(p.PrsID, ''), coalesce(v.Colour, ''), i.ItmUnitID, v.OkRate, 1,
       'V1.0', pg_temp.KX_DemoDay(-400), pg_temp.KX_DemoDay(-400), 1, u.UsrID, pg_temp.KX_DemoDay(-398), u.UsrID, v.Remark
  from (values
    ('DM-B-FS40',   'BOM-1.01.001',    'DM-I-FS40', null::varchar,  100.0, '落地扇总装'),
    ('DM-B-DS30W',  'BOM-1.01.002-W',  'DM-I-DS30', '白色',         100.0, '台扇总装 白色'),
    ('DM-B-DS30B',  'BOM-1.01.002-B',  'DM-I-DS30', '蓝色',         100.0, '台扇总装 蓝色'),
    ('DM-B-WS40',   'BOM-1.01.003',    'DM-I-WS40', null,           100.0, '壁扇总装'),
    ('DM-B-HD40',   'BOM-2.01.001',    'DM-I-HD40', null,           100.0, null),
    ('DM-B-HD30',   'BOM-2.01.002',    'DM-I-HD30', null,           100.0, null),
    ('DM-B-BS40',   'BOM-2.02.001',    'DM-I-BS40', null,           100.0, '委外加工: 我方发料'),
    ('DM-B-GD40',   'BOM-2.03.001',    'DM-I-GD40', null,           100.0, '虚拟件, 直接在总装线装配'),
    ('DM-B-CB40',   'BOM-2.04.001',    'DM-I-CB40', null,           100.0, null),
    ('DM-B-BL40',   'BOM-2.05.001',    'DM-I-BL40', null,           100.0, '注塑'),
    ('DM-B-BL30',   'BOM-2.05.002',    'DM-I-BL30', null,           100.0, '注塑'),
    ('DM-B-MT40',   'BOM-3.01.001',    'DM-I-MT40', null,            98.0, '绕线、嵌线、浸漆; 成品率98%'),
    ('DM-B-MT30',   'BOM-3.01.002',    'DM-I-MT30', null,            98.0, '绕线、嵌线、浸漆; 成品率98%')
  ) as v(BomID, BomNo, ItmID, Colour, OkRate, Remark)
  join KX_Base_ItemMaster as i on i.ItmID = v.ItmID
  left join tmp_KX_DemoProps as p on p.ItmID = v.ItmID and p.Prop1 = v.Colour
  left join KX_SYS_Users as u on u.UsrID = 'DM-USR-ADMIN'
on conflict do nothing;

-- Component lines: usage UQty of the line unit per one product unit; BolQty is the same in the
-- component's base unit. Row hooks are fixed so that the local substitute below can name its line.
insert into KX_Bom_Line (BomID, BomEntry, BolRowHook, BolItmID, BolItmProps, BolItmProp1, BolUntID, BolUQty, BolUBaseQty,
                         BolQty, BolBaseQty, BolLossRate, BolStkID, BolDrawType, BolPosition)
select v.BomID, v.Entry, v.BomID || '-' || v.Entry, v.ItmID, coalesce(p.PrsID, ''), coalesce(v.Colour, ''), v.UntID, v.UQty, 1,
       v.UQty * f.Factor, 1, v.LossRate, 'DM-K-MAIN', v.DrawType, v.Position
  from (values
    ('DM-B-FS40',  1, 'DM-I-HD40',  null::varchar, 'DM-U-PCS',  1.0,   0.0, 0, '机头'),
    ('DM-B-FS40',  2, 'DM-I-BS40',  null,          'DM-U-PCS',  1,     0,   0, '底座'),
    ('DM-B-FS40',  3, 'DM-I-GD40',  null,          'DM-U-KIT',  1,     0,   0, '网罩'),
    ('DM-B-FS40',  4, 'DM-I-BL40',  null,          'DM-U-PCS',  1,     0,   0, '网罩内'),
    ('DM-B-FS40',  5, 'DM-I-CB40',  null,          'DM-U-PCS',  1,     0,   0, '立杆顶部'),
    ('DM-B-FS40',  6, 'DM-I-POLE',  null,          'DM-U-PCS',  1,     0,   0, '底座与机头之间'),
    ('DM-B-FS40',  7, 'DM-I-SCR',   null,          'DM-U-PCS',  6,     2,   1, '立杆及控制盒固定'),
    ('DM-B-FS40',  8, 'DM-I-CTN40', null,          'DM-U-PCS',  1,     0,   0, null),
    ('DM-B-FS40',  9, 'DM-I-FOAM',  null,          'DM-U-KIT',  1,     0,   0, null),
    ('DM-B-FS40', 10, 'DM-I-MANU',  null,          'DM-U-COPY', 1,     0,   0, null),
    ('DM-B-DS30W', 1, 'DM-I-HD30',  null,          'DM-U-PCS',  1,     0,   0, '机头'),
    ('DM-B-DS30W', 2, 'DM-I-SHL30', '白色',        'DM-U-PCS',  1,     0,   0, '外壳'),
    ('DM-B-DS30W', 3, 'DM-I-BL30',  null,          'DM-U-PCS',  1,     0,   0, null),
    ('DM-B-DS30W', 4, 'DM-I-SCR',   null,          'DM-U-PCS',  4,     2,   1, '外壳固定'),
    ('DM-B-DS30W', 5, 'DM-I-CTN30', null,          'DM-U-PCS',  1,     0,   0, null),
    ('DM-B-DS30W', 6, 'DM-I-MANU',  null,          'DM-U-COPY', 1,     0,   0, null),
    ('DM-B-DS30B', 1, 'DM-I-HD30',  null,          'DM-U-PCS',  1,     0,   0, '机头'),
    ('DM-B-DS30B', 2, 'DM-I-SHL30', '蓝色',        'DM-U-PCS',  1,     0,   0, '外壳'),
    ('DM-B-DS30B', 3, 'DM-I-BL30',  null,          'DM-U-PCS',  1,     0,   0, null),
    ('DM-B-DS30B', 4, 'DM-I-SCR',   null,          'DM-U-PCS',  4,     2,   1, '外壳固定'),
    ('DM-B-DS30B', 5, 'DM-I-CTN30', null,          'DM-U-PCS',  1,     0,   0, null),
    ('DM-B-DS30B', 6, 'DM-I-MANU',  null,          'DM-U-COPY', 1,     0,   0, null),
    ('DM-B-WS40',  1, 'DM-I-HD40',  null,          'DM-U-PCS',  1,     0,   0, '机头'),
    ('DM-B-WS40',  2, 'DM-I-GD40',  null,          'DM-U-KIT',  1,     0,   0, '网罩'),
    ('DM-B-WS40',  3, 'DM-I-BL40',  null,          'DM-U-PCS',  1,     0,   0, null),
    ('DM-B-WS40',  4, 'DM-I-BRKT',  null,          'DM-U-PCS',  1,     0,   0, '机头背面'),
    ('DM-B-WS40',  5, 'DM-I-PULL',  null,          'DM-U-PCS',  1,     0,   0, null),
    ('DM-B-WS40',  6, 'DM-I-CORD',  null,          'DM-U-ROOT', 1,     0,   0, null),
    ('DM-B-WS40',  7, 'DM-I-SCR',   null,          'DM-U-PCS',  8,     2,   1, '支架及开关固定'),
    ('DM-B-WS40',  8, 'DM-I-CTN40', null,          'DM-U-PCS',  1,     0,   0, null),
    ('DM-B-WS40',  9, 'DM-I-FOAM',  null,          'DM-U-KIT',  1,     0,   0, null),
    ('DM-B-WS40', 10, 'DM-I-MANU',  null,          'DM-U-COPY', 1,     0,   0, null),
    ('DM-B-HD40',  1, 'DM-I-MT40',  null,          'DM-U-PCS',  1,     0,   0, null),
    ('DM-B-HD40',  2, 'DM-I-FC40',  null,          'DM-U-PCS',  1,     0,   0, null),
    ('DM-B-HD40',  3, 'DM-I-RC40',  null,          'DM-U-PCS',  1,     0,   0, null),
    ('DM-B-HD40',  4, 'DM-I-GEAR',  null,          'DM-U-PCS',  1,     0,   0, '后壳内'),
    ('DM-B-HD40',  5, 'DM-I-SCR',   null,          'DM-U-PCS',  4,     2,   1, '前后壳合缝'),
    ('DM-B-HD30',  1, 'DM-I-MT30',  null,          'DM-U-PCS',  1,     0,   0, null),
    ('DM-B-HD30',  2, 'DM-I-SW',    null,          'DM-U-PCS',  1,     0,   0, null),
    ('DM-B-HD30',  3, 'DM-I-CORD',  null,          'DM-U-ROOT', 1,     0,   0, null),
    ('DM-B-HD30',  4, 'DM-I-SCR',   null,          'DM-U-PCS',  3,     2,   1, null),
    ('DM-B-BS40',  1, 'DM-I-PLATE', null,          'DM-U-PCS',  1,     0,   0, null),
    ('DM-B-BS40',  2, 'DM-I-WGHT',  null,          'DM-U-PCS',  1,     0,   0, null),
    ('DM-B-BS40',  3, 'DM-I-SCR',   null,          'DM-U-PCS',  4,     2,   0, null),
    ('DM-B-GD40',  1, 'DM-I-FG40',  null,          'DM-U-PCS',  1,     0,   0, null),
    ('DM-B-GD40',  2, 'DM-I-RG40',  null,          'DM-U-PCS',  1,     0,   0, null),
    ('DM-B-CB40',  1, 'DM-I-PCB',   null,          'DM-U-PCS',  1,     0,   0, null),
    ('DM-B-CB40',  2, 'DM-I-RMT',   null,          'DM-U-PCS',  1,     0,   0, '随箱'),
    ('DM-B-CB40',  3, 'DM-I-CORD',  null,          'DM-U-ROOT', 1,     0,   0, null),
    ('DM-B-CB40',  4, 'DM-I-SCR',   null,          'DM-U-PCS',  2,     2,   1, null),
    ('DM-B-BL40',  1, 'DM-I-ABS',   null,          'DM-U-G',  320,     3,   0, null),
    ('DM-B-BL30',  1, 'DM-I-ABS',   null,          'DM-U-G',  180,     3,   0, null),
    ('DM-B-MT40',  1, 'DM-I-WIRE',  null,          'DM-U-G',  280,     1.5, 0, '定子绕组'),
    ('DM-B-MT40',  2, 'DM-I-SIST',  null,          'DM-U-KG',   0.65,  1,   0, '定转子铁芯'),
    ('DM-B-MT40',  3, 'DM-I-SH8',   null,          'DM-U-PCS',  1,     0,   0, null),
    ('DM-B-MT40',  4, 'DM-I-BR1',   null,          'DM-U-PCS',  2,     0,   0, '前后端盖'),
    ('DM-B-MT40',  5, 'DM-I-CP15',  null,          'DM-U-PCS',  1,     0,   0, null),
    ('DM-B-MT40',  6, 'DM-I-COVER', null,          'DM-U-PCS',  2,     0,   0, null),
    ('DM-B-MT40',  7, 'DM-I-SCR',   null,          'DM-U-PCS',  4,     2,   1, '端盖紧固'),
    ('DM-B-MT40',  8, 'DM-I-SLV',   null,          'DM-U-M',    0.3,   5,   0, '引出线护套'),
    ('DM-B-MT30',  1, 'DM-I-WIRE',  null,          'DM-U-G',  200,     1.5, 0, '定子绕组'),
    ('DM-B-MT30',  2, 'DM-I-SIST',  null,          'DM-U-KG',   0.45,  1,   0, '定转子铁芯'),
    ('DM-B-MT30',  3, 'DM-I-SH6',   null,          'DM-U-PCS',  1,     0,   0, null),
    ('DM-B-MT30',  4, 'DM-I-BR1',   null,          'DM-U-PCS',  2,     0,   0, '前后端盖'),
    ('DM-B-MT30',  5, 'DM-I-CP15',  null,          'DM-U-PCS',  1,     0,   0, null),
    ('DM-B-MT30',  6, 'DM-I-COVER', null,          'DM-U-PCS',  2,     0,   0, null),
    ('DM-B-MT30',  7, 'DM-I-SCR',   null,          'DM-U-PCS',  4,     2,   1, '端盖紧固'),
    ('DM-B-MT30',  8, 'DM-I-SLV',   null,          'DM-U-M',    0.25,  5,   0, '引出线护套')
  ) as v(BomID, Entry, ItmID, Colour, UntID, UQty, LossRate, DrawType, Position)
  join tmp_KX_DemoFactors as f on f.ItmID = v.ItmID and f.UntID = v.UntID
  left join tmp_KX_DemoProps as p on p.ItmID = v.ItmID and p.Prop1 = v.Colour
on conflict do nothing;

-- A second, not default BOM of the floor fan for gift boxes, made at a yield of 95%: the phantom
-- guard set, a pole with a progressive loss text (5% of the first 20, 2% above), a fixed five
-- display cartons per lot and foam with a 10% loss. Planning uses the default BOM; the BOM
-- expansion shows this one when it is chosen.
insert into KX_Bom_Head (BomID, BomType, BomNo, BomItmID, BomUntID, BomOkRate, BomIsDefault, BomVersion, BomDate, BomBeginDate,
                         BomChecked, BomChecker, BomCheckDate, BomCreater, BomRemark)
select 'DM-B-FS40G', 1, 'BOM-1.01.001-G', 'DM-I-FS40', i.ItmUnitID, 95, 0, 'V1.1', pg_temp.KX_DemoDay(-60), pg_temp.KX_DemoDay(-60),
       1, u.UsrID, pg_temp.KX_DemoDay(-59), u.UsrID, '落地扇礼盒装; 成品率95%'
  from KX_Base_ItemMaster as i
  left join KX_SYS_Users as u on u.UsrID = 'DM-USR-ADMIN'
 where i.ItmID = 'DM-I-FS40'
on conflict do nothing;
insert into KX_Bom_Line (BomID, BomEntry, BolRowHook, BolItmID, BolFixed, BolUntID, BolUQty, BolUBaseQty, BolQty, BolBaseQty,
                         BolLossRate, BolPutLossRate, BolStkID, BolPosition)
select 'DM-B-FS40G', v.Entry, 'DM-B-FS40G-' || v.Entry, v.ItmID, v.Fixed, v.UntID, v.UQty, 1, v.UQty * f.Factor, 1, v.LossRate,
       v.LossText, 'DM-K-MAIN', v.Position
  from (values
    (1, 'DM-I-HD40',  0, 'DM-U-PCS', 1.0, 0.0, '',         '机头'),
    (2, 'DM-I-GD40',  0, 'DM-U-KIT', 1,   0,   '',         '网罩'),
    (3, 'DM-I-POLE',  0, 'DM-U-PCS', 1,   0,   '20:5%|2%', '底座与机头之间'),
    (4, 'DM-I-CTN40', 1, 'DM-U-PCS', 5,   0,   '',         '每批陈列样箱'),
    (5, 'DM-I-FOAM',  0, 'DM-U-KIT', 2,   10,  '',         '礼盒内衬')
  ) as v(Entry, ItmID, Fixed, UntID, UQty, LossRate, LossText, Position)
  join tmp_KX_DemoFactors as f on f.ItmID = v.ItmID and f.UntID = v.UntID
on conflict do nothing;

-- Substitutes: the second capacitor brand may replace the first anywhere (global, outright); the
-- sealed bearing covers what the open bearing lacks on the YYF-40 motor only (local).
insert into KX_Bom_ItemSubs (SubBomType, SubBomID, SubRowHook, SubItmID, SubSeq, SubRItmID, SubQty, SubRQty, SubReplace,
                             SubBeginDate, SubNote, SubUsrID)
select v.BomType, v.BomID, v.RowHook, v.ItmID, 1, v.RItmID, 1, 1, v.Replace, pg_temp.KX_DemoDay(-180), v.Note, u.UsrID
  from (values
    (null::smallint, null::varchar, null::varchar, 'DM-I-CP15', 'DM-I-CP15B', 1, '立信电容经品质部认证, 可全面替代'),
    (1,              'DM-B-MT40',   'DM-B-MT40-4', 'DM-I-BR1',  'DM-I-BR2',   0, 'YYF-40 电机缺 608ZZ 时可用 608-2RS')
  ) as v(BomType, BomID, RowHook, ItmID, RItmID, Replace, Note)
  left join KX_SYS_Users as u on u.UsrID = 'DM-USR-ADMIN'
on conflict do nothing;

-- Supply sources and prices: SpiKind/SprKind 1 purchase, 2 outsourcing. Prices per base unit.
insert into KX_Base_SuppItems (SpiSuppID, SpiItmID, SpiKind, SpiPriority, SpiQuota, SpiLeadDays)
select v.SuppID, v.ItmID, v.Kind, v.Priority, v.Quota, s.SuppLeadDays
  from (values
    ('DM-S-01', 'DM-I-WIRE',  1, 1, 100.0),
    ('DM-S-09', 'DM-I-SIST',  1, 1, 100),
    ('DM-S-02', 'DM-I-SH8',   1, 1, 100),
    ('DM-S-02', 'DM-I-SH6',   1, 1, 100),
    ('DM-S-02', 'DM-I-BR1',   1, 1, 100),
    ('DM-S-02', 'DM-I-BR2',   1, 1, 100),
    ('DM-S-07', 'DM-I-COVER', 1, 1, 100),
    ('DM-S-03', 'DM-I-CP15',  1, 1, 70),
    ('DM-S-10', 'DM-I-CP15B', 1, 1, 100),
    ('DM-S-10', 'DM-I-CP15',  1, 2, 30),
    ('DM-S-03', 'DM-I-PCB',   1, 1, 100),
    ('DM-S-03', 'DM-I-RMT',   1, 1, 100),
    ('DM-S-03', 'DM-I-SW',    1, 1, 100),
    ('DM-S-03', 'DM-I-CORD',  1, 1, 100),
    ('DM-S-03', 'DM-I-PULL',  1, 1, 100),
    ('DM-S-03', 'DM-I-GEAR',  1, 1, 100),
    ('DM-S-04', 'DM-I-SCR',   1, 1, 100),
    ('DM-S-05', 'DM-I-ABS',   1, 1, 100),
    ('DM-S-01', 'DM-I-SLV',   1, 1, 100),
    ('DM-S-07', 'DM-I-FC40',  1, 1, 100),
    ('DM-S-07', 'DM-I-RC40',  1, 1, 100),
    ('DM-S-07', 'DM-I-SHL30', 1, 1, 100),
    ('DM-S-09', 'DM-I-FG40',  1, 1, 100),
    ('DM-S-09', 'DM-I-RG40',  1, 1, 100),
    ('DM-S-09', 'DM-I-PLATE', 1, 1, 100),
    ('DM-S-09', 'DM-I-WGHT',  1, 1, 100),
    ('DM-S-09', 'DM-I-POLE',  1, 1, 100),
    ('DM-S-09', 'DM-I-BRKT',  1, 1, 100),
    ('DM-S-06', 'DM-I-CTN40', 1, 1, 100),
    ('DM-S-06', 'DM-I-CTN30', 1, 1, 100),
    ('DM-S-06', 'DM-I-FOAM',  1, 1, 100),
    ('DM-S-06', 'DM-I-MANU',  1, 1, 100),
    ('DM-S-08', 'DM-I-BS40',  2, 1, 100),
    ('DM-S-07', 'DM-I-BL30',  2, 1, 100)
  ) as v(SuppID, ItmID, Kind, Priority, Quota)
  join KX_Base_Supplier as s on s.SuppID = v.SuppID
on conflict do nothing;

-- Prices have no natural key: one price per supplier, item and kind from the demo.
insert into KX_Base_SuppPrice (SprSuppID, SprItmID, SprKind, SprCurID, SprUntID, SprPrice, SprBeginDate)
select a.SpiSuppID, a.SpiItmID, a.SpiKind, 'DM-CUR-CNY', i.ItmUnitID,
       round(i.ItmStdPrice * (case when a.SpiKind = 2 then 0.4 when a.SpiPriority > 1 then 1.05 else 1 end), 4),
       pg_temp.KX_DemoDay(-365)
  from KX_Base_SuppItems as a
  join KX_Base_ItemMaster as i on i.ItmID = a.SpiItmID
 where a.SpiItmID like 'DM-%' and a.SpiSuppID like 'DM-%'
   and not exists (select 1 from KX_Base_SuppPrice as p
                    where p.SprSuppID = a.SpiSuppID and p.SprItmID = a.SpiItmID and p.SprKind = a.SpiKind);

-- Stock on hand by batch and place, with the receipts that brought it in: purchased items by
-- purchase receipt (1), made items by finished-goods receipt (2), stock in transit by other receipt (5).
create temp table tmp_KX_DemoStock on commit drop as
select t.*, row_number() over (partition by t.InDay, t.StbType order by t.ItmID, t.Colour, t.Batch) as Entry
  from (
select v.*, case when v.StkID = 'DM-K-TRAN' then 5 when i.ItmType = 1 then 1 else 2 end as StbType
  from (values
    ('DM-I-FS40',  null::varchar, '',         'DM-K-MAIN', 'DM-P-C',   35.0, -9),
    ('DM-I-DS30',  '白色',        '',         'DM-K-MAIN', 'DM-P-C',   20,   -16),
    ('DM-I-DS30',  '蓝色',        '',         'DM-K-MAIN', 'DM-P-C',    8,   -16),
    ('DM-I-WS40',  null,          '',         'DM-K-MAIN', 'DM-P-C',   12,   -9),
    ('DM-I-HD40',  null,          '',         'DM-K-MAIN', 'DM-P-B',   10,   -4),
    ('DM-I-MT40',  null,          '',         'DM-K-MAIN', 'DM-P-B',   25,   -4),
    ('DM-I-MT30',  null,          '',         'DM-K-MAIN', 'DM-P-B',   40,   -16),
    ('DM-I-BL40',  null,          '',         'DM-K-MAIN', 'DM-P-B',  120,   -4),
    ('DM-I-BL30',  null,          '',         'DM-K-MAIN', 'DM-P-B',   80,   -16),
    ('DM-I-CB40',  null,          '',         'DM-K-MAIN', 'DM-P-B',   15,   -9),
    ('DM-I-WIRE',  null,          'W261102',  'DM-K-MAIN', 'DM-P-A',  180,   -35),
    ('DM-I-WIRE',  null,          'W261118',  'DM-K-MAIN', 'DM-P-A',  220,   -19),
    ('DM-I-SIST',  null,          'S261015',  'DM-K-MAIN', 'DM-P-A',  900,   -53),
    ('DM-I-SLV',   null,          '',         'DM-K-MAIN', 'DM-P-A',  800,   -53),
    ('DM-I-SH8',   null,          '',         'DM-K-MAIN', 'DM-P-A',  400,   -19),
    ('DM-I-SH6',   null,          '',         'DM-K-MAIN', 'DM-P-A',  350,   -19),
    ('DM-I-BR1',   null,          '',         'DM-K-MAIN', 'DM-P-A', 1200,   -19),
    ('DM-I-BR2',   null,          '',         'DM-K-MAIN', 'DM-P-A',  300,   -96),
    ('DM-I-COVER', null,          '',         'DM-K-MAIN', 'DM-P-A',  700,   -35),
    ('DM-I-CP15',  null,          'C2611A',   'DM-K-MAIN', 'DM-P-A',  600,   -35),
    ('DM-I-CP15B', null,          'L2610',    'DM-K-MAIN', 'DM-P-A',  200,   -53),
    ('DM-I-CP15',  null,          'C2612B',   'DM-K-TRAN', 'DM-P-T1', 1000,  -1),
    ('DM-I-PCB',   null,          '',         'DM-K-MAIN', 'DM-P-A',   20,   -35),
    ('DM-I-RMT',   null,          '',         'DM-K-MAIN', 'DM-P-A',   90,   -35),
    ('DM-I-SW',    null,          '',         'DM-K-MAIN', 'DM-P-A',  150,   -53),
    ('DM-I-CORD',  null,          '',         'DM-K-MAIN', 'DM-P-A',  260,   -19),
    ('DM-I-PULL',  null,          '',         'DM-K-MAIN', 'DM-P-A',   30,   -96),
    ('DM-I-SCR',   null,          '',         'DM-K-MAIN', 'DM-P-A', 18000,  -19),
    ('DM-I-ABS',   null,          'A261105',  'DM-K-MAIN', 'DM-P-A',  500,   -32),
    ('DM-I-ABS',   null,          'A261125',  'DM-K-MAIN', 'DM-P-A',  750,   -12),
    ('DM-I-ABS',   null,          'A261202',  'DM-K-TRAN', 'DM-P-T1', 1000,  -1),
    ('DM-I-FC40',  null,          '',         'DM-K-MAIN', 'DM-P-A',   60,   -19),
    ('DM-I-RC40',  null,          '',         'DM-K-MAIN', 'DM-P-A',   55,   -19),
    ('DM-I-SHL30', '白色',        '',         'DM-K-MAIN', 'DM-P-A',   40,   -35),
    ('DM-I-SHL30', '蓝色',        '',         'DM-K-MAIN', 'DM-P-A',   25,   -35),
    ('DM-I-FG40',  null,          '',         'DM-K-MAIN', 'DM-P-A',   70,   -35),
    ('DM-I-RG40',  null,          '',         'DM-K-MAIN', 'DM-P-A',   65,   -35),
    ('DM-I-PLATE', null,          '',         'DM-K-MAIN', 'DM-P-A',   30,   -53),
    ('DM-I-WGHT',  null,          '',         'DM-K-MAIN', 'DM-P-A',   45,   -53),
    ('DM-I-POLE',  null,          '',         'DM-K-MAIN', 'DM-P-A',   35,   -19),
    ('DM-I-BRKT',  null,          '',         'DM-K-MAIN', 'DM-P-A',   22,   -96),
    ('DM-I-GEAR',  null,          '',         'DM-K-MAIN', 'DM-P-A',   40,   -19),
    ('DM-I-CTN40', null,          '',         'DM-K-MAIN', 'DM-P-A',  150,   -12),
    ('DM-I-CTN30', null,          '',         'DM-K-MAIN', 'DM-P-A',   90,   -12),
    ('DM-I-FOAM',  null,          '',         'DM-K-MAIN', 'DM-P-A',  300,   -12),
    ('DM-I-MANU',  null,          '',         'DM-K-MAIN', 'DM-P-A', 1000,  -180)
  ) as v(ItmID, Colour, Batch, StkID, StpID, Qty, InDay)
  join KX_Base_ItemMaster as i on i.ItmID = v.ItmID
  ) as t;

insert into KX_Stk_Inventory (InvItmID, InvItmProps, InvItmProp1, InvBatch, InvStkID, InvStpID, InvQty, InvInDate, InvUpdTime)
select s.ItmID, coalesce(p.PrsID, ''), coalesce(s.Colour, ''), s.Batch, s.StkID, s.StpID, s.Qty,
       pg_temp.KX_DemoDay(s.InDay), pg_temp.KX_DemoDay(s.InDay)
  from tmp_KX_DemoStock as s
  left join tmp_KX_DemoProps as p on p.ItmID = s.ItmID and p.Prop1 = s.Colour
on conflict do nothing;

insert into KX_Stk_BillHead (StbID, StbNo, StbDate, StbType, StbStkID, StbDeptID, StbEmpID, StbRemark, StbChecked, StbChecker,
                             StbCheckDate, StbCreater)
select distinct 'DM-STB-' || s.StbType || '-' || to_char(pg_temp.KX_DemoDay(s.InDay), 'YYYYMMDD'),
       'ST' || to_char(pg_temp.KX_DemoDay(s.InDay), 'YYMMDD') || '-' || s.StbType,
       pg_temp.KX_DemoDay(s.InDay), s.StbType, s.StkID, 'DM-D-WH', 'DM-E-10', '演示期初入库', 1, u.UsrID,
       pg_temp.KX_DemoDay(s.InDay), u.UsrID
  from tmp_KX_DemoStock as s
  left join KX_SYS_Users as u on u.UsrID = 'DM-USR-ADMIN'
on conflict do nothing;

insert into KX_Stk_BillLine (StbID, StbEntry, StlItmID, StlItmProps, StlItmProp1, StlBatch, StlStkID, StlStpID, StlUntID,
                             StlUBillQty, StlQty, StlPrice, StlAmount)
select 'DM-STB-' || s.StbType || '-' || to_char(pg_temp.KX_DemoDay(s.InDay), 'YYYYMMDD'), s.Entry,
       s.ItmID, coalesce(p.PrsID, ''), coalesce(s.Colour, ''), s.Batch, s.StkID, s.StpID, i.ItmUnitID,
       s.Qty, s.Qty, i.ItmStdPrice, s.Qty * i.ItmStdPrice
  from tmp_KX_DemoStock as s
  join KX_Base_ItemMaster as i on i.ItmID = s.ItmID
  left join tmp_KX_DemoProps as p on p.ItmID = s.ItmID and p.Prop1 = s.Colour
on conflict do nothing;

-- Stock movements since the opening receipts, each pair leaving the balances above as they are:
-- older receipts issued again, recent receipts after issues, a receipt from a purchase order and one
-- from the production order of the overdue sales order (with their deliveries), and front guards
-- received into the transit warehouse, transferred to the main warehouse and issued. Bill types:
-- 1 purchase receipt, 2 finished-goods receipt, 11 sales delivery, 13 production issue, 21 transfer.
insert into KX_Stk_BillHead (StbID, StbNo, StbDate, StbType, StbStkID, StbDeptID, StbEmpID, StbSuppID, StbCustID, StbRemark,
                             StbChecked, StbChecker, StbCheckDate, StbCreater)
select v.ID, v.No, pg_temp.KX_DemoDay(v.Day), v.Type, v.StkID, v.DeptID, 'DM-E-10', v.SuppID, v.CustID, v.Remark, 1, u.UsrID,
       pg_temp.KX_DemoDay(v.Day), u.UsrID
  from (values
    ('DM-STB-H01', 'SH260808-1', -121, 1,  'DM-K-MAIN', 'DM-D-WH',  'DM-S-02', null::varchar, '轴承年度备货'),
    ('DM-STB-H02', 'SH260828-13', -101, 13, 'DM-K-MAIN', 'DM-D-WS2', null,      null,          null),
    ('DM-STB-H03', 'SH260923-1', -75,  1,  'DM-K-MAIN', 'DM-D-WH',  'DM-S-04', null,          null),
    ('DM-STB-H04', 'SH261008-2', -60,  2,  'DM-K-MAIN', 'DM-D-WS1', null,      null,          '旺季备货完工入库'),
    ('DM-STB-H05', 'SH261028-1', -40,  1,  'DM-K-TRAN', 'DM-D-PUR', 'DM-S-09', null,          '供应商直送在途'),
    ('DM-STB-H06', 'SH261107-13', -30, 13, 'DM-K-MAIN', 'DM-D-WS2', null,      null,          null),
    ('DM-STB-H07', 'SH261107-21', -30, 21, 'DM-K-TRAN', 'DM-D-WH',  null,      null,          '在途转主仓'),
    ('DM-STB-H08', 'SH261117-13', -20, 13, 'DM-K-MAIN', 'DM-D-WS1', null,      null,          null),
    ('DM-STB-H09', 'SH261122-13', -15, 13, 'DM-K-MAIN', 'DM-D-WS2', null,      null,          null),
    ('DM-STB-H10', 'SH261127-11', -10, 11, 'DM-K-MAIN', 'DM-D-SAL', null,      'DM-C-01',     null),
    ('DM-STB-H11', 'SH261202-1', -5,   1,  'DM-K-MAIN', 'DM-D-WH',  'DM-S-02', null,          null),
    ('DM-STB-H12', 'SH261204-1', -3,   1,  'DM-K-MAIN', 'DM-D-WH',  'DM-S-03', null,          null),
    ('DM-STB-H13', 'SH261204-1B', -3,  1,  'DM-K-MAIN', 'DM-D-WH',  'DM-S-04', null,          null),
    ('DM-STB-H14', 'SH261205-13', -2,  13, 'DM-K-MAIN', 'DM-D-WS1', null,      null,          null),
    ('DM-STB-H15', 'SH261206-2', -1,   2,  'DM-K-MAIN', 'DM-D-WS1', null,      null,          'MO2611-001 完工入库'),
    ('DM-STB-H16', 'SH261207-11', 0,   11, 'DM-K-MAIN', 'DM-D-SAL', null,      'DM-C-01',     'SO2611-001 补发')
  ) as v(ID, No, Day, Type, StkID, DeptID, SuppID, CustID, Remark)
  left join KX_SYS_Users as u on u.UsrID = 'DM-USR-ADMIN'
on conflict do nothing;

insert into KX_Stk_BillLine (StbID, StbEntry, StlItmID, StlBatch, StlStkID, StlStpID, StlToStkID, StlToStpID, StlUntID, StlUBillQty,
                             StlQty, StlPrice, StlAmount, StlOrdType, StlOrdID, StlOrdNo, StlOrdEntry, StlOrigType, StlOrigID,
                             StlOrigNo, StlOrigEntry, StlOrigItmID, StlOrigCustID, StlOrigCustPO, StlNote)
select v.ID, v.Entry, v.ItmID, v.Batch, v.StkID, v.StpID, v.ToStkID, v.ToStpID, i.ItmUnitID, v.Qty, v.Qty, v.Price, v.Qty * v.Price,
       v.OrdType, v.OrdID, v.OrdNo, v.OrdEntry,
       case when v.ForSO then 2 end, case when v.ForSO then 'DM-SO-01' end, case when v.ForSO then 'SO2611-001' end,
       case when v.ForSO then 1 end, case when v.ForSO then 'DM-I-FS40' end, case when v.ForSO then 'DM-C-01' end,
       case when v.ForSO then 'HD-PO-88121' end, v.Note
  from (values
    ('DM-STB-H01', 1, 'DM-I-BR1',  '', 'DM-K-MAIN', 'DM-P-A',  null::varchar, null::varchar,   500.0, 1.20,  null::smallint, null::varchar, null::varchar, null::integer, false, null::varchar),
    ('DM-STB-H02', 1, 'DM-I-BR1',  '', 'DM-K-MAIN', 'DM-P-A',  null,          null,            500,   0,     null,           null,          null,          null,          false, '电机车间领用'),
    ('DM-STB-H03', 1, 'DM-I-SCR',  '', 'DM-K-MAIN', 'DM-P-A',  null,          null,          10000,   0.018, null,           null,          null,          null,          false, null),
    ('DM-STB-H04', 1, 'DM-I-FS40', '', 'DM-K-MAIN', 'DM-P-C',  null,          null,             70,   0,     null,           null,          null,          null,          false, null),
    ('DM-STB-H05', 1, 'DM-I-FG40', '', 'DM-K-TRAN', 'DM-P-T1', null,          null,             20,   4.40,  null,           null,          null,          null,          false, null),
    ('DM-STB-H06', 1, 'DM-I-SCR',  '', 'DM-K-MAIN', 'DM-P-A',  null,          null,          10000,   0,     null,           null,          null,          null,          false, null),
    ('DM-STB-H07', 1, 'DM-I-FG40', '', 'DM-K-TRAN', 'DM-P-T1', 'DM-K-MAIN',   'DM-P-A',         20,   0,     null,           null,          null,          null,          false, null),
    ('DM-STB-H08', 1, 'DM-I-FG40', '', 'DM-K-MAIN', 'DM-P-A',  null,          null,             20,   0,     22,             'DM-MO-01',    'MO2611-001',  1,             true,  null),
    ('DM-STB-H09', 1, 'DM-I-BR1',  '', 'DM-K-MAIN', 'DM-P-A',  null,          null,            400,   0,     null,           null,          null,          null,          false, null),
    ('DM-STB-H10', 1, 'DM-I-FS40', '', 'DM-K-MAIN', 'DM-P-C',  null,          null,             70,   0,     2,              'DM-SO-01',    'SO2611-001',  1,             true,  null),
    ('DM-STB-H11', 1, 'DM-I-BR1',  '', 'DM-K-MAIN', 'DM-P-A',  null,          null,            400,   1.05,  null,           null,          null,          null,          false, null),
    ('DM-STB-H12', 1, 'DM-I-PCB',  '', 'DM-K-MAIN', 'DM-P-A',  null,          null,            100,  18.00,  26,             'DM-PO-03',    'PO2612-001',  2,             false, null),
    ('DM-STB-H13', 1, 'DM-I-SCR',  '', 'DM-K-MAIN', 'DM-P-A',  null,          null,           5000,   0.021, null,           null,          null,          null,          false, null),
    ('DM-STB-H14', 1, 'DM-I-PCB',  '', 'DM-K-MAIN', 'DM-P-A',  null,          null,            100,   0,     null,           null,          null,          null,          false, '控制盒组件装配'),
    ('DM-STB-H14', 2, 'DM-I-SCR',  '', 'DM-K-MAIN', 'DM-P-A',  null,          null,           5000,   0,     null,           null,          null,          null,          false, null),
    ('DM-STB-H15', 1, 'DM-I-FS40', '', 'DM-K-MAIN', 'DM-P-C',  null,          null,             80,   0,     22,             'DM-MO-01',    'MO2611-001',  1,             true,  null),
    ('DM-STB-H16', 1, 'DM-I-FS40', '', 'DM-K-MAIN', 'DM-P-C',  null,          null,             80,   0,     2,              'DM-SO-01',    'SO2611-001',  1,             true,  null)
  ) as v(ID, Entry, ItmID, Batch, StkID, StpID, ToStkID, ToStpID, Qty, Price, OrdType, OrdID, OrdNo, OrdEntry, ForSO, Note)
  join KX_Base_ItemMaster as i on i.ItmID = v.ItmID
on conflict do nothing;

-- Product forecasts. Part of FC2611-001/1 and FC2612-001/1 has been taken over by sales orders
-- made from them (ForOkQty); FC2612-002 is an unchecked draft.
insert into KX_Bill_ForHead (ForID, ForNo, ForDate, ForDeptID, ForEmpID, ForRemark, ForChecked, ForChecker, ForCheckDate, ForCreater)
select v.ID, v.No, pg_temp.KX_DemoDay(v.Day), v.DeptID, v.EmpID, v.Remark, v.Checked,
       case when v.Checked = 1 then u.UsrID end, case when v.Checked = 1 then pg_temp.KX_DemoDay(v.Day) end, u.UsrID
  from (values
    ('DM-FC-01', 'FC2611-001', -30, 'DM-D-SAL', 'DM-E-05', '2026年12月至2027年1月内销预测', 1),
    ('DM-FC-02', 'FC2612-001',  -4, 'DM-D-SAL', 'DM-E-05', '2027年1月至2月内销预测', 1),
    ('DM-FC-03', 'FC2612-002',  -1, 'DM-D-EXP', 'DM-E-06', '2027年3月外销预测', 0)
  ) as v(ID, No, Day, DeptID, EmpID, Remark, Checked)
  left join KX_SYS_Users as u on u.UsrID = 'DM-USR-LIMING'
on conflict do nothing;

insert into KX_Bill_ForLine (ForID, ForEntry, ForItmID, ForItmProps, ForItmProp1, ForCustID, ForUntID, ForUBillQty, ForBillQty,
                             ForDelivDate, ForOkQty, ForNote)
select v.ID, v.Entry, v.ItmID, coalesce(p.PrsID, ''), coalesce(v.Colour, ''), v.CustID, v.UntID, v.UQty, v.UQty * f.Factor,
       pg_temp.KX_DemoDay(v.Deliv), v.OkQty, v.Note
  from (values
    ('DM-FC-01', 1, 'DM-I-FS40', null::varchar, 'DM-C-03',     'DM-U-SET',  800, 24, 500, '京华家电年货备货'),
    ('DM-FC-01', 2, 'DM-I-WS40', null,          null::varchar, 'DM-U-SET',  300, 24,   0, null::varchar),
    ('DM-FC-01', 3, 'DM-I-DS30', '白色',        'DM-C-02',     'DM-U-SET',  400, 24,   0, null),
    ('DM-FC-02', 1, 'DM-I-DS30', '白色',        'DM-C-02',     'DM-U-SET',  600, 52, 200, null),
    ('DM-FC-02', 2, 'DM-I-DS30', '蓝色',        null,          'DM-U-SET',  300, 52,   0, null),
    ('DM-FC-02', 3, 'DM-I-FS40', null,          null,          'DM-U-SET', 1000, 70,   0, '春节后旺季'),
    ('DM-FC-02', 4, 'DM-I-WS40', null,          'DM-C-04',     'DM-U-SET',  400, 80,   0, null),
    ('DM-FC-03', 1, 'DM-I-FS40', null,          'DM-C-05',     'DM-U-SET',  500, 100,  0, null)
  ) as v(ID, Entry, ItmID, Colour, CustID, UntID, UQty, Deliv, OkQty, Note)
  join tmp_KX_DemoFactors as f on f.ItmID = v.ItmID and f.UntID = v.UntID
  left join tmp_KX_DemoProps as p on p.ItmID = v.ItmID and p.Prop1 = v.Colour
on conflict do nothing;

-- Sales orders: one overdue and partly delivered, one line closed, one unchecked draft, spare parts,
-- and two lines made from forecast lines.
insert into KX_Bill_SOHead (SOID, SONo, SODate, SOCustID, SOCustPO, SODeptID, SOEmpID, SOCurID, SORemark, SOChecked, SOChecker,
                            SOCheckDate, SOCreater)
select v.ID, v.No, pg_temp.KX_DemoDay(v.Day), v.CustID, v.CustPO, 'DM-D-SAL', 'DM-E-05', 'DM-CUR-CNY', v.Remark, v.Checked,
       case when v.Checked = 1 then u.UsrID end, case when v.Checked = 1 then pg_temp.KX_DemoDay(v.Day) end, u.UsrID
  from (values
    ('DM-SO-01', 'SO2611-001', -25, 'DM-C-01', 'HD-PO-88121', '年末促销备货', 1),
    ('DM-SO-02', 'SO2611-002', -18, 'DM-C-02', 'YM-2611-035', null,           1),
    ('DM-SO-03', 'SO2612-001',  -6, 'DM-C-03', 'JH-20261201', '按预测下单',   1),
    ('DM-SO-04', 'SO2612-002',  -2, 'DM-C-04', 'RC-1202',     null,           1),
    ('DM-SO-05', 'SO2612-003',  -1, 'DM-C-01', 'HD-PO-88207', '价格待确认',   0),
    ('DM-SO-06', 'SO2612-004',   0, 'DM-C-02', 'YM-2612-002', '按预测下单',   1)
  ) as v(ID, No, Day, CustID, CustPO, Remark, Checked)
  left join KX_SYS_Users as u on u.UsrID = 'DM-USR-ADMIN'
on conflict do nothing;

insert into KX_Bill_SOLine (SOID, SOEntry, SOItmID, SOItmProps, SOItmProp1, SOUntID, SOUBillQty, SOBillQty, SOPrice, SOAmount,
                            SODelivDate, SOOkQty, SOForcastID, SOForcastEntry, SOClosed, SOCloser, SOCloseDate, SONote)
select v.ID, v.Entry, v.ItmID, coalesce(p.PrsID, ''), coalesce(v.Colour, ''), v.UntID, v.UQty, v.UQty * f.Factor, v.Price,
       v.UQty * v.Price, pg_temp.KX_DemoDay(v.Deliv), v.OkQty, v.ForID, v.ForEntry, v.Closed,
       case when v.Closed = 1 then u.UsrID end, case when v.Closed = 1 then pg_temp.KX_DemoDay(-1) end, v.Note
  from (values
    ('DM-SO-01', 1, 'DM-I-FS40', null::varchar, 'DM-U-SET', 200, 168.0, -3, 150, null::varchar, null::integer, 0, '已发150台, 余量尽快补发'),
    ('DM-SO-01', 2, 'DM-I-WS40', null,          'DM-U-SET', 100, 129,   10,   0, null,          null,          0, null),
    ('DM-SO-02', 1, 'DM-I-DS30', '白色',        'DM-U-SET', 300,  89,   12,   0, null,          null,          0, null),
    ('DM-SO-02', 2, 'DM-I-DS30', '蓝色',        'DM-U-SET', 150,  89,   12,   0, null,          null,          0, null),
    ('DM-SO-03', 1, 'DM-I-FS40', null,          'DM-U-SET', 500, 165,   24,   0, 'DM-FC-01',    1,             0, null),
    ('DM-SO-03', 2, 'DM-I-HD40', null,          'DM-U-PCS',  20,  45,   20,   0, null,          null,          0, '售后备件'),
    ('DM-SO-04', 1, 'DM-I-WS40', null,          'DM-U-SET',  80, 129,   31,   0, null,          null,          0, null),
    ('DM-SO-04', 2, 'DM-I-FS40', null,          'DM-U-SET',  60, 168,   45,   0, null,          null,          1, '客户取消'),
    ('DM-SO-05', 1, 'DM-I-FS40', null,          'DM-U-SET', 120, 168,   38,   0, null,          null,          0, null),
    ('DM-SO-06', 1, 'DM-I-DS30', '白色',        'DM-U-SET', 200,  89,   52,   0, 'DM-FC-02',    1,             0, null),
    ('DM-SO-06', 2, 'DM-I-BL40', null,          'DM-U-PCS',  50,   6,   15,   0, null,          null,          0, '售后备件')
  ) as v(ID, Entry, ItmID, Colour, UntID, UQty, Price, Deliv, OkQty, ForID, ForEntry, Closed, Note)
  join tmp_KX_DemoFactors as f on f.ItmID = v.ItmID and f.UntID = v.UntID
  left join tmp_KX_DemoProps as p on p.ItmID = v.ItmID and p.Prop1 = v.Colour
  left join KX_SYS_Users as u on u.UsrID = 'DM-USR-ADMIN'
on conflict do nothing;

-- Export orders in US dollars; the first lines are ordered in cartons of four fans.
insert into KX_Bill_SIHead (SIID, SINo, SIDate, SICustID, SICustPO, SIDeptID, SIEmpID, SICurID, SIExchRate, SIContractNo,
                            SITradeTerm, SIShipPort, SIDestPort, SIChecked, SIChecker, SICheckDate, SICreater)
select v.ID, v.No, pg_temp.KX_DemoDay(v.Day), v.CustID, v.CustPO, 'DM-D-EXP', 'DM-E-06', 'DM-CUR-USD', 7.1, v.Contract,
       v.Term, v.ShipPort, v.DestPort, 1, u.UsrID, pg_temp.KX_DemoDay(v.Day), u.UsrID
  from (values
    ('DM-SI-01', 'SI2611-001', -20, 'DM-C-05', 'XH-PO-7781', 'XH-2026-118', 'FOB', '宁波', '新加坡'),
    ('DM-SI-02', 'SI2612-001',  -3, 'DM-C-06', 'JS-PO-3320', 'JS-2612-07',  'CIF', '深圳', '杰贝阿里')
  ) as v(ID, No, Day, CustID, CustPO, Contract, Term, ShipPort, DestPort)
  left join KX_SYS_Users as u on u.UsrID = 'DM-USR-ADMIN'
on conflict do nothing;

insert into KX_Bill_SILine (SIID, SIEntry, SIItmID, SIItmProps, SIItmProp1, SIUntID, SIUBillQty, SIBillQty, SIPrice, SIAmount,
                            SIDelivDate, SIShipDate)
select v.ID, v.Entry, v.ItmID, coalesce(p.PrsID, ''), coalesce(v.Colour, ''), v.UntID, v.UQty, v.UQty * f.Factor, v.Price,
       v.UQty * v.Price, pg_temp.KX_DemoDay(v.Deliv), pg_temp.KX_DemoDay(v.Deliv + 3)
  from (values
    ('DM-SI-01', 1, 'DM-I-FS40', null::varchar, 'DM-U-CTN4', 150, 94.0, 18),
    ('DM-SI-01', 2, 'DM-I-WS40', null,          'DM-U-SET',  240, 18.5, 18),
    ('DM-SI-02', 1, 'DM-I-DS30', '蓝色',        'DM-U-CTN4', 100, 50.0, 40)
  ) as v(ID, Entry, ItmID, Colour, UntID, UQty, Price, Deliv)
  join tmp_KX_DemoFactors as f on f.ItmID = v.ItmID and f.UntID = v.UntID
  left join tmp_KX_DemoProps as p on p.ItmID = v.ItmID and p.Prop1 = v.Colour
on conflict do nothing;

-- Production orders. MO2611-001 serves the overdue sales order and is partly finished (20 waiting for
-- inspection, 80 stocked) with its material partly issued and one scrap replacement; MO2612-002 is a draft.
insert into KX_Bill_MOHead (MOID, MONo, MODate, MOBillDeptID, MOEmpID, MORemark, MOChecked, MOChecker, MOCheckDate, MOCreater)
select v.ID, v.No, pg_temp.KX_DemoDay(v.Day), 'DM-D-PMC', 'DM-E-02', v.Remark, v.Checked,
       case when v.Checked = 1 then u.UsrID end, case when v.Checked = 1 then pg_temp.KX_DemoDay(v.Day) end, u.UsrID
  from (values
    ('DM-MO-01', 'MO2611-001', -12, 'SO2611-001 补货', 1),
    ('DM-MO-02', 'MO2612-001',  -5, null,             1),
    ('DM-MO-03', 'MO2612-002',  -1, '草稿, 待排产',   0)
  ) as v(ID, No, Day, Remark, Checked)
  left join KX_SYS_Users as u on u.UsrID = 'DM-USR-LIMING'
on conflict do nothing;

insert into KX_Bill_MOLine (MOID, MOEntry, MOItmID, MODeptID, MOStkID, MOUntID, MOUBillQty, MOBillQty, MOChkQty, MOInQty,
                            MODrawDate, MODelivDate, MOBomType, MOBomID, MOOrigType, MOOrigID, MOOrigNo, MOOrigEntry,
                            MOOrigItmID, MOOrigCustID, MOOrigCustPO)
select v.ID, v.Entry, v.ItmID, v.DeptID, 'DM-K-MAIN', i.ItmUnitID, v.Qty, v.Qty, v.ChkQty, v.InQty,
       pg_temp.KX_DemoDay(v.Draw), pg_temp.KX_DemoDay(v.Deliv), 1, v.BomID,
       case when v.Orig then 2 end, case when v.Orig then 'DM-SO-01' end, case when v.Orig then 'SO2611-001' end,
       case when v.Orig then 1 end, case when v.Orig then 'DM-I-FS40' end, case when v.Orig then 'DM-C-01' end,
       case when v.Orig then 'HD-PO-88121' end
  from (values
    ('DM-MO-01', 1, 'DM-I-FS40', 'DM-D-WS1', 200.0, 20.0, 80.0, -2,  3, 'DM-B-FS40', true),
    ('DM-MO-01', 2, 'DM-I-HD40', 'DM-D-WS1', 150,    0,    0,   -1,  2, 'DM-B-HD40', true),
    ('DM-MO-02', 1, 'DM-I-MT40', 'DM-D-WS2', 300,    0,    0,    1,  6, 'DM-B-MT40', false),
    ('DM-MO-02', 2, 'DM-I-BL40', 'DM-D-WS3', 400,    0,    0,    2,  4, 'DM-B-BL40', false),
    ('DM-MO-03', 1, 'DM-I-WS40', 'DM-D-WS1', 100,    0,    0,    8, 12, 'DM-B-WS40', false)
  ) as v(ID, Entry, ItmID, DeptID, Qty, ChkQty, InQty, Draw, Deliv, BomID, Orig)
  join KX_Base_ItemMaster as i on i.ItmID = v.ItmID
on conflict do nothing;

-- Material lines in base units: usage per product unit with the BOM's loss and yield; the phantom
-- guard set appears as its two guards.
insert into KX_Bill_MOBom (MOID, MobEntry, MOEntry, MobItmID, MobUntID, MobUBillQty, MobBillQty, MobUnitQty, MobLossRate, MobOkQty,
                           MobDrawDate, MobStkID, MobRowHook)
select v.ID, v.Entry, v.MOEntry, v.ItmID, i.ItmUnitID, v.Qty, v.Qty, v.UnitQty, v.LossRate, v.OkQty,
       pg_temp.KX_DemoDay(v.Draw), 'DM-K-MAIN', v.RowHook
  from (values
    ('DM-MO-01',  1, 1, 'DM-I-HD40',   200.0, 1.0,   0.0,  120.0, -2, 'DM-B-FS40-1'),
    ('DM-MO-01',  2, 1, 'DM-I-BS40',   200,   1,     0,    100,   -2, 'DM-B-FS40-2'),
    ('DM-MO-01',  3, 1, 'DM-I-FG40',   200,   1,     0,    120,   -2, 'DM-B-GD40-1'),
    ('DM-MO-01',  4, 1, 'DM-I-RG40',   200,   1,     0,    120,   -2, 'DM-B-GD40-2'),
    ('DM-MO-01',  5, 1, 'DM-I-BL40',   200,   1,     0,    120,   -2, 'DM-B-FS40-4'),
    ('DM-MO-01',  6, 1, 'DM-I-CB40',   200,   1,     0,    100,   -2, 'DM-B-FS40-5'),
    ('DM-MO-01',  7, 1, 'DM-I-POLE',   200,   1,     0,    200,   -2, 'DM-B-FS40-6'),
    ('DM-MO-01',  8, 1, 'DM-I-SCR',   1224,   6,     2,    734,   -2, 'DM-B-FS40-7'),
    ('DM-MO-01',  9, 1, 'DM-I-CTN40',  200,   1,     0,     80,   -2, 'DM-B-FS40-8'),
    ('DM-MO-01', 10, 1, 'DM-I-FOAM',   200,   1,     0,     80,   -2, 'DM-B-FS40-9'),
    ('DM-MO-01', 11, 1, 'DM-I-MANU',   200,   1,     0,     80,   -2, 'DM-B-FS40-10'),
    ('DM-MO-01', 12, 2, 'DM-I-MT40',   150,   1,     0,     90,   -1, 'DM-B-HD40-1'),
    ('DM-MO-01', 13, 2, 'DM-I-FC40',   150,   1,     0,     90,   -1, 'DM-B-HD40-2'),
    ('DM-MO-01', 14, 2, 'DM-I-RC40',   150,   1,     0,     90,   -1, 'DM-B-HD40-3'),
    ('DM-MO-01', 15, 2, 'DM-I-GEAR',   150,   1,     0,     90,   -1, 'DM-B-HD40-4'),
    ('DM-MO-01', 16, 2, 'DM-I-SCR',    612,   4,     2,    360,   -1, 'DM-B-HD40-5'),
    ('DM-MO-02',  1, 1, 'DM-I-WIRE',    87.0, 0.28,  1.5,    0,    1, 'DM-B-MT40-1'),
    ('DM-MO-02',  2, 1, 'DM-I-SIST',   201,   0.65,  1,      0,    1, 'DM-B-MT40-2'),
    ('DM-MO-02',  3, 1, 'DM-I-SH8',    307,   1,     0,      0,    1, 'DM-B-MT40-3'),
    ('DM-MO-02',  4, 1, 'DM-I-BR1',    613,   2,     0,      0,    1, 'DM-B-MT40-4'),
    ('DM-MO-02',  5, 1, 'DM-I-CP15',   307,   1,     0,      0,    1, 'DM-B-MT40-5'),
    ('DM-MO-02',  6, 1, 'DM-I-COVER',  613,   2,     0,      0,    1, 'DM-B-MT40-6'),
    ('DM-MO-02',  7, 1, 'DM-I-SCR',   1249,   4,     2,      0,    1, 'DM-B-MT40-7'),
    ('DM-MO-02',  8, 1, 'DM-I-SLV',     96.5, 0.3,   5,      0,    1, 'DM-B-MT40-8'),
    ('DM-MO-02',  9, 2, 'DM-I-ABS',    131.84, 0.32, 3,      0,    2, 'DM-B-BL40-1'),
    ('DM-MO-03',  1, 1, 'DM-I-HD40',   100,   1,     0,      0,    8, 'DM-B-WS40-1'),
    ('DM-MO-03',  2, 1, 'DM-I-FG40',   100,   1,     0,      0,    8, 'DM-B-GD40-1'),
    ('DM-MO-03',  3, 1, 'DM-I-RG40',   100,   1,     0,      0,    8, 'DM-B-GD40-2'),
    ('DM-MO-03',  4, 1, 'DM-I-BL40',   100,   1,     0,      0,    8, 'DM-B-WS40-3'),
    ('DM-MO-03',  5, 1, 'DM-I-BRKT',   100,   1,     0,      0,    8, 'DM-B-WS40-4'),
    ('DM-MO-03',  6, 1, 'DM-I-PULL',   100,   1,     0,      0,    8, 'DM-B-WS40-5'),
    ('DM-MO-03',  7, 1, 'DM-I-CORD',   100,   1,     0,      0,    8, 'DM-B-WS40-6'),
    ('DM-MO-03',  8, 1, 'DM-I-SCR',    816,   8,     2,      0,    8, 'DM-B-WS40-7'),
    ('DM-MO-03',  9, 1, 'DM-I-CTN40',  100,   1,     0,      0,    8, 'DM-B-WS40-8'),
    ('DM-MO-03', 10, 1, 'DM-I-FOAM',   100,   1,     0,      0,    8, 'DM-B-WS40-9'),
    ('DM-MO-03', 11, 1, 'DM-I-MANU',   100,   1,     0,      0,    8, 'DM-B-WS40-10')
  ) as v(ID, Entry, MOEntry, ItmID, Qty, UnitQty, LossRate, OkQty, Draw, RowHook)
  join KX_Base_ItemMaster as i on i.ItmID = v.ItmID
on conflict do nothing;

insert into KX_Bill_MOScrap (MOID, MspEntry, MOEntry, MobEntry, MspItmID, MspUntID, MspUBillQty, MspBillQty, MspDrawDate, MspDate,
                             MspEmpID, MspReason)
values ('DM-MO-01', 1, 1, 5, 'DM-I-BL40', 'DM-U-PCS', 6, 6, pg_temp.KX_DemoDay(1), pg_temp.KX_DemoDay(-1), 'DM-E-07',
        '装配中扇叶划伤6片, 报废补料')
on conflict do nothing;

-- Outsourcing orders: the base assembly at the metal-work processor (partly back, 20 in inspection),
-- and 30cm blades given out because the moulding shop is full.
insert into KX_Bill_OOHead (OOID, OONo, OODate, OOSuppID, OODeptID, OOEmpID, OOCurID, OORemark, OOChecked, OOChecker,
                            OOCheckDate, OOCreater)
select v.ID, v.No, pg_temp.KX_DemoDay(v.Day), v.SuppID, 'DM-D-PUR', 'DM-E-03', 'DM-CUR-CNY', v.Remark, 1, u.UsrID,
       pg_temp.KX_DemoDay(v.Day), u.UsrID
  from (values
    ('DM-OO-01', 'OO2612-001', -8, 'DM-S-08', null::varchar),
    ('DM-OO-02', 'OO2612-002', -1, 'DM-S-07', '注塑产能不足, 30cm扇叶外发')
  ) as v(ID, No, Day, SuppID, Remark)
  left join KX_SYS_Users as u on u.UsrID = 'DM-USR-ZHANGLI'
on conflict do nothing;

insert into KX_Bill_OOLine (OOID, OOEntry, OOItmID, OOStkID, OOUntID, OOUBillQty, OOBillQty, OOPrice, OOAmount, OOChkQty, OOInQty,
                            OODrawDate, OODelivDate, OOBomType, OOBomID)
select v.ID, v.Entry, v.ItmID, 'DM-K-MAIN', i.ItmUnitID, v.Qty, v.Qty, v.Price, v.Qty * v.Price, v.ChkQty, v.InQty,
       pg_temp.KX_DemoDay(v.Draw), pg_temp.KX_DemoDay(v.Deliv), 1, v.BomID
  from (values
    ('DM-OO-01', 1, 'DM-I-BS40', 300.0, 12.5, 20.0, 100.0, -6,  5, 'DM-B-BS40'),
    ('DM-OO-02', 1, 'DM-I-BL30', 500,    1.2,  0,     0,    3, 12, 'DM-B-BL30')
  ) as v(ID, Entry, ItmID, Qty, Price, ChkQty, InQty, Draw, Deliv, BomID)
  join KX_Base_ItemMaster as i on i.ItmID = v.ItmID
on conflict do nothing;

insert into KX_Bill_OOBom (OOID, OobEntry, OOEntry, OobItmID, OobUntID, OobUBillQty, OobBillQty, OobUnitQty, OobLossRate, OobOkQty,
                           OobDrawDate, OobStkID, OobRowHook)
select v.ID, v.Entry, 1, v.ItmID, i.ItmUnitID, v.Qty, v.Qty, v.UnitQty, v.LossRate, v.OkQty,
       pg_temp.KX_DemoDay(v.Draw), 'DM-K-MAIN', v.RowHook
  from (values
    ('DM-OO-01', 1, 'DM-I-PLATE',  300.0, 1.0,  0.0, 300.0, -6, 'DM-B-BS40-1'),
    ('DM-OO-01', 2, 'DM-I-WGHT',   300,   1,    0,   200,   -6, 'DM-B-BS40-2'),
    ('DM-OO-01', 3, 'DM-I-SCR',   1224,   4,    2,  1224,   -6, 'DM-B-BS40-3'),
    ('DM-OO-02', 1, 'DM-I-ABS',     92.7, 0.18, 3,     0,    3, 'DM-B-BL30-1')
  ) as v(ID, Entry, ItmID, Qty, UnitQty, LossRate, OkQty, Draw, RowHook)
  join KX_Base_ItemMaster as i on i.ItmID = v.ItmID
on conflict do nothing;

-- Purchase requisitions; the screws of line 1 have been ordered in full by PO2612-005.
insert into KX_Bill_PRHead (PRID, PRNo, PRDate, PRDeptID, PREmpID, PRCurID, PRChecked, PRChecker, PRCheckDate, PRCreater)
select 'DM-PR-01', 'PR2612-001', pg_temp.KX_DemoDay(-2), 'DM-D-PMC', 'DM-E-02', 'DM-CUR-CNY', 1, u.UsrID, pg_temp.KX_DemoDay(-2), u.UsrID
  from (select 1) as one
  left join KX_SYS_Users as u on u.UsrID = 'DM-USR-LIMING'
on conflict do nothing;

insert into KX_Bill_PRLine (PRID, PREntry, PRItmID, PRSuppID, PRBuyerID, PRUntID, PRUBillQty, PRBillQty, PRPrice, PROkQty, PRDelivDate)
select 'DM-PR-01', v.Entry, v.ItmID, v.SuppID, v.BuyerID, v.UntID, v.UQty, v.UQty * f.Factor, v.Price, v.OkQty, pg_temp.KX_DemoDay(v.Deliv)
  from (values
    (1, 'DM-I-SCR',  'DM-S-04', 'DM-E-04', 'DM-U-K1000',  30, 20.0, 30000,  5),
    (2, 'DM-I-GEAR', 'DM-S-03', 'DM-E-04', 'DM-U-PCS',   200,  9.5,     0, 15),
    (3, 'DM-I-POLE', 'DM-S-09', 'DM-E-03', 'DM-U-PCS',   150, 11.0,     0, 12)
  ) as v(Entry, ItmID, SuppID, BuyerID, UntID, UQty, Price, OkQty, Deliv)
  join tmp_KX_DemoFactors as f on f.ItmID = v.ItmID and f.UntID = v.UntID
on conflict do nothing;

-- Purchase orders: the copper wire is late and partly arrived (in inspection), the PCBs partly
-- arrived and stocked, the second capacitor brand arrived with part stocked, part rejected.
insert into KX_Bill_POHead (POID, PONo, PODate, POSuppID, PODeptID, POEmpID, POCurID, POChecked, POChecker, POCheckDate, POCreater)
select v.ID, v.No, pg_temp.KX_DemoDay(v.Day), v.SuppID, 'DM-D-PUR', v.EmpID, 'DM-CUR-CNY', 1, u.UsrID, pg_temp.KX_DemoDay(v.Day), u.UsrID
  from (values
    ('DM-PO-01', 'PO2611-001', -20, 'DM-S-01', 'DM-E-03'),
    ('DM-PO-02', 'PO2611-002', -15, 'DM-S-02', 'DM-E-03'),
    ('DM-PO-03', 'PO2612-001',  -6, 'DM-S-03', 'DM-E-04'),
    ('DM-PO-04', 'PO2612-002',  -4, 'DM-S-05', 'DM-E-03'),
    ('DM-PO-05', 'PO2612-003',  -3, 'DM-S-06', 'DM-E-04'),
    ('DM-PO-06', 'PO2612-004',  -2, 'DM-S-07', 'DM-E-03'),
    ('DM-PO-07', 'PO2612-005',   0, 'DM-S-04', 'DM-E-04'),
    ('DM-PO-08', 'PO2612-006',  -1, 'DM-S-09', 'DM-E-03'),
    ('DM-PO-09', 'PO2611-003', -10, 'DM-S-10', 'DM-E-04')
  ) as v(ID, No, Day, SuppID, EmpID)
  left join KX_SYS_Users as u on u.UsrID = 'DM-USR-ZHANGLI'
on conflict do nothing;

insert into KX_Bill_POLine (POID, POEntry, POItmID, POItmProps, POItmProp1, POStkID, POUntID, POUBillQty, POBillQty, POPrice, POAmount,
                            PORecvQty, POInQty, PODelivDate, POPRID, POPREntry)
select v.ID, v.Entry, v.ItmID, coalesce(p.PrsID, ''), coalesce(v.Colour, ''), 'DM-K-MAIN', v.UntID, v.UQty, v.UQty * f.Factor,
       v.Price, v.UQty * v.Price, v.RecvQty, v.InQty, pg_temp.KX_DemoDay(v.Deliv), v.PRID, v.PREntry
  from (values
    ('DM-PO-01', 1, 'DM-I-WIRE',  null::varchar, 'DM-U-KG',    500, 68.0, 300.0,   0.0, -2, null::varchar, null::integer),
    ('DM-PO-02', 1, 'DM-I-BR1',   null,          'DM-U-C100',   30, 110,    0,     0,    3, null,          null),
    ('DM-PO-02', 2, 'DM-I-SH8',   null,          'DM-U-PCS',  1000, 3.2,    0,     0,    3, null,          null),
    ('DM-PO-02', 3, 'DM-I-SH6',   null,          'DM-U-PCS',   800, 2.6,    0,     0,   10, null,          null),
    ('DM-PO-03', 1, 'DM-I-CP15',  null,          'DM-U-PCS',  2000, 0.85,   0,     0,    6, null,          null),
    ('DM-PO-03', 2, 'DM-I-PCB',   null,          'DM-U-PCS',   300, 18,   100,   100,    9, null,          null),
    ('DM-PO-03', 3, 'DM-I-RMT',   null,          'DM-U-PCS',   500, 6.5,    0,     0,    9, null,          null),
    ('DM-PO-04', 1, 'DM-I-ABS',   null,          'DM-U-BAG25',  40, 362.5,  0,     0,    5, null,          null),
    ('DM-PO-05', 1, 'DM-I-CTN40', null,          'DM-U-PCS',   800, 4.8,    0,     0,    7, null,          null),
    ('DM-PO-05', 2, 'DM-I-CTN30', null,          'DM-U-PCS',   600, 3.2,    0,     0,    7, null,          null),
    ('DM-PO-05', 3, 'DM-I-MANU',  null,          'DM-U-COPY', 2000, 0.3,    0,     0,    7, null,          null),
    ('DM-PO-06', 1, 'DM-I-SHL30', '白色',        'DM-U-PCS',   400, 7.2,    0,     0,    8, null,          null),
    ('DM-PO-06', 2, 'DM-I-SHL30', '蓝色',        'DM-U-PCS',   200, 7.2,    0,     0,    8, null,          null),
    ('DM-PO-06', 3, 'DM-I-FC40',  null,          'DM-U-PCS',   500, 6.5,    0,     0,   10, null,          null),
    ('DM-PO-06', 4, 'DM-I-RC40',  null,          'DM-U-PCS',   500, 5.8,    0,     0,   10, null,          null),
    ('DM-PO-07', 1, 'DM-I-SCR',   null,          'DM-U-K1000',  30, 20,     0,     0,    5, 'DM-PR-01',    1),
    ('DM-PO-08', 1, 'DM-I-SIST',  null,          'DM-U-TON',     1, 7500,   0,     0,   14, null,          null),
    ('DM-PO-08', 2, 'DM-I-PLATE', null,          'DM-U-PCS',   300, 9,      0,     0,    6, null,          null),
    ('DM-PO-09', 1, 'DM-I-CP15B', null,          'DM-U-PCS',   500, 0.9,  500,   200,   -1, null,          null)
  ) as v(ID, Entry, ItmID, Colour, UntID, UQty, Price, RecvQty, InQty, Deliv, PRID, PREntry)
  join tmp_KX_DemoFactors as f on f.ItmID = v.ItmID and f.UntID = v.UntID
  left join tmp_KX_DemoProps as p on p.ItmID = v.ItmID and p.Prop1 = v.Colour
on conflict do nothing;

-- Goods in inspection, each from the purchase order line that delivered it.
insert into KX_Bill_PIHead (PIID, PINo, PIDate, PISuppID, PIDeptID, PIEmpID, PICurID, PIChecked, PIChecker, PICheckDate, PICreater)
select v.ID, v.No, pg_temp.KX_DemoDay(-1), v.SuppID, 'DM-D-QC', 'DM-E-11', 'DM-CUR-CNY', 1, u.UsrID, pg_temp.KX_DemoDay(-1), u.UsrID
  from (values ('DM-PI-01', 'PI2612-001', 'DM-S-01'), ('DM-PI-02', 'PI2612-002', 'DM-S-10')) as v(ID, No, SuppID)
  left join KX_SYS_Users as u on u.UsrID = 'DM-USR-ZHANGLI'
on conflict do nothing;

insert into KX_Bill_PILine (PIID, PIEntry, PIItmID, PIStkID, PIBatch, PIUntID, PIUBillQty, PIBillQty, PIPrice, PIAmount, PIInQty,
                            PIRetQty, PIDelivDate, PIPOID, PIPOEntry)
select v.ID, 1, v.ItmID, 'DM-K-MAIN', v.Batch, i.ItmUnitID, v.Qty, v.Qty, v.Price, v.Qty * v.Price, v.InQty, v.RetQty,
       pg_temp.KX_DemoDay(v.Deliv), v.POID, 1
  from (values
    ('DM-PI-01', 'DM-I-WIRE',  'W261206', 300.0, 68.0,   0.0,  0.0, 1, 'DM-PO-01'),
    ('DM-PI-02', 'DM-I-CP15B', 'L2612',   500,    0.9, 200,   50,   0, 'DM-PO-09')
  ) as v(ID, ItmID, Batch, Qty, Price, InQty, RetQty, Deliv, POID)
  join KX_Base_ItemMaster as i on i.ItmID = v.ItmID
on conflict do nothing;

-- Production and outsourcing requisitions waiting to be released as orders.
insert into KX_Bill_MRHead (MRID, MRNo, MRDate, MRBillDeptID, MREmpID, MRChecked, MRChecker, MRCheckDate, MRCreater)
select 'DM-MR-01', 'MR2612-001', pg_temp.KX_DemoDay(-1), 'DM-D-PMC', 'DM-E-02', 1, u.UsrID, pg_temp.KX_DemoDay(-1), u.UsrID
  from (select 1) as one
  left join KX_SYS_Users as u on u.UsrID = 'DM-USR-LIMING'
on conflict do nothing;

insert into KX_Bill_MRLine (MRID, MREntry, MRItmID, MRDeptID, MRUntID, MRUBillQty, MRBillQty, MRDrawDate, MRDelivDate, MRBomType, MRBomID)
select 'DM-MR-01', v.Entry, v.ItmID, 'DM-D-WS1', i.ItmUnitID, v.Qty, v.Qty, pg_temp.KX_DemoDay(v.Draw), pg_temp.KX_DemoDay(v.Deliv),
       1, v.BomID
  from (values
    (1, 'DM-I-WS40', 150.0, 20, 25, 'DM-B-WS40'),
    (2, 'DM-I-HD40', 150,   17, 19, 'DM-B-HD40')
  ) as v(Entry, ItmID, Qty, Draw, Deliv, BomID)
  join KX_Base_ItemMaster as i on i.ItmID = v.ItmID
on conflict do nothing;

insert into KX_Bill_ORHead (ORID, ORNo, ORDate, ORDeptID, OREmpID, ORCurID, ORChecked, ORChecker, ORCheckDate, ORCreater)
select 'DM-OR-01', 'OR2612-001', pg_temp.KX_DemoDay(-1), 'DM-D-PUR', 'DM-E-03', 'DM-CUR-CNY', 1, u.UsrID, pg_temp.KX_DemoDay(-1), u.UsrID
  from (select 1) as one
  left join KX_SYS_Users as u on u.UsrID = 'DM-USR-ZHANGLI'
on conflict do nothing;

insert into KX_Bill_ORLine (ORID, OREntry, ORItmID, ORSuppID, ORUntID, ORUBillQty, ORBillQty, ORPrice, ORDrawDate, ORDelivDate,
                            ORBomType, ORBomID)
values ('DM-OR-01', 1, 'DM-I-BS40', 'DM-S-08', 'DM-U-PCS', 200, 200, 12.5, pg_temp.KX_DemoDay(15), pg_temp.KX_DemoDay(22), 1, 'DM-B-BS40')
on conflict do nothing;

drop function pg_temp.KX_DemoDay(integer);
