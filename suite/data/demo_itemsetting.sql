-- Planning settings of the demo factory's items; run by the demo loader when KX_MRP_ItemSetting exists.
-- Rows of items that have settings already are left as they are.
-- Lead times in days; quantities in the item's base unit. ItmMrpTrack 9 pools the demands of common
-- materials instead of keeping them apart by originating order. The buyer is the supplier's buyer.

insert into KX_MRP_ItemSetting (ItmID, ItmMrpType, ItmMrpSkip, ItmPlannerID, ItmBuyerID, ItmMrpGroup, ItmMrpTrack, ItmPreLeadTime,
                                ItmFixLeadTime, ItmVarLeadTime, ItmVarLeadLot, ItmPostLeadTime, ItmSafeQty, ItmMinQty, ItmLotQty,
                                ItmMaxQty, ItmPutLossType, ItmPutLossRate, ItmPutInteger, ItmSuitSkip, ItmOutSkip, ItmMOBomSkip,
                                ItmOOBomSkip, ItmMODeptID, ItmPOSuppID, ItmOOSuppID, ItmPlanItmID)
select v.ItmID, 0, 0, 'DM-E-02', coalesce(ps.SuppBuyerID, os.SuppBuyerID, ''), 0, v.Track, v.Pre,
       v.Fix, v.Var, v.VarLot, v.Post, v.Safe, v.MinQty, v.LotQty,
       v.MaxQty, v.LossType, v.LossRate, v.PutInteger, 0, 0, 0,
       0, coalesce(v.DeptID, ''), coalesce(v.POSuppID, ''), coalesce(v.OOSuppID, ''), ''
  from (values
  -- item         track pre fix var varlot post safe   min    lot    max   losstype lossrate  integer dept           po supplier    oo supplier
    ('DM-I-FS40',  0,   1,  2,  1,  500.0, 0,   50.0,   0.0,  10.0,   0.0, 0, '',       1, 'DM-D-WS1',    null::varchar, null::varchar),
    ('DM-I-DS30',  0,   1,  2,  1,  500,   0,   30,     0,    10,     0,   0, '',       1, 'DM-D-WS1',    null,          null),
    ('DM-I-WS40',  0,   1,  2,  0,    0,   0,    0,     0,    10,     0,   0, '',       1, 'DM-D-WS1',    null,          null),
    ('DM-I-HD40',  0,   0,  1,  0,    0,   0,    0,     0,    10,     0,   0, '',       1, 'DM-D-WS1',    null,          null),
    ('DM-I-HD30',  0,   0,  1,  0,    0,   0,    0,     0,    10,     0,   0, '',       1, 'DM-D-WS1',    null,          null),
    ('DM-I-BS40',  0,   1,  5,  0,    0,   1,    0,   100,    50,     0,   0, '',       1, null,          null,          'DM-S-08'),
    ('DM-I-GD40',  0,   0,  0,  0,    0,   0,    0,     0,     0,     0,   0, '',       1, 'DM-D-WS1',    null,          null),
    ('DM-I-CB40',  0,   0,  1,  0,    0,   0,    0,     0,    10,     0,   0, '',       1, 'DM-D-WS1',    null,          null),
    ('DM-I-BL40',  0,   0,  1,  0,    0,   0,    0,   200,   100,     0,   0, '',       1, 'DM-D-WS3',    null,          null),
    ('DM-I-BL30',  0,   0,  1,  0,    0,   0,    0,   200,   100,     0,   0, '',       1, 'DM-D-WS3',    null,          'DM-S-07'),
    ('DM-I-MT40',  0,   1,  3,  1,  300,   0,    0,     0,    50,     0,   0, '',       1, 'DM-D-WS2',    null,          null),
    ('DM-I-MT30',  0,   1,  3,  1,  300,   0,    0,     0,    50,     0,   0, '',       1, 'DM-D-WS2',    null,          null),
    ('DM-I-WIRE',  9,   0, 10,  0,    0,   1,   50,   100,    20,  2000,   0, '',       0, null,          'DM-S-01',     null),
    ('DM-I-SIST',  9,   0, 14,  0,    0,   1,  200,  1000,  1000,     0,   0, '',       0, null,          'DM-S-09',     null),
    ('DM-I-SLV',   9,   0, 10,  0,    0,   0,    0,   500,   100,     0,   0, '',       0, null,          'DM-S-01',     null),
    ('DM-I-SH8',   9,   0,  7,  0,    0,   0,    0,     0,   100,     0,   0, '',       1, null,          'DM-S-02',     null),
    ('DM-I-SH6',   9,   0,  7,  0,    0,   0,    0,     0,   100,     0,   0, '',       1, null,          'DM-S-02',     null),
    ('DM-I-BR1',   9,   0,  7,  0,    0,   0,  500,  1000,   100,     0,   0, '',       1, null,          'DM-S-02',     null),
    ('DM-I-BR2',   9,   0,  7,  0,    0,   0,    0,     0,   100,     0,   0, '',       1, null,          'DM-S-02',     null),
    ('DM-I-COVER', 9,   0,  9,  0,    0,   0,    0,     0,   100,     0,   0, '',       1, null,          'DM-S-07',     null),
    ('DM-I-CP15',  9,   0, 12,  0,    0,   2,  300,  1000,   500,     0,   0, '',       1, null,          'DM-S-03',     null),
    ('DM-I-CP15B', 9,   0, 10,  0,    0,   2,    0,     0,   500,     0,   0, '',       1, null,          'DM-S-10',     null),
    ('DM-I-PCB',   9,   0, 12,  0,    0,   2,    0,   100,    50,     0,   0, '',       1, null,          'DM-S-03',     null),
    ('DM-I-RMT',   9,   0, 12,  0,    0,   0,    0,     0,   100,     0,   0, '',       1, null,          'DM-S-03',     null),
    ('DM-I-SW',    9,   0, 12,  0,    0,   0,    0,     0,   100,     0,   0, '',       1, null,          'DM-S-03',     null),
    ('DM-I-CORD',  9,   0, 12,  0,    0,   0,    0,     0,   100,     0,   0, '',       1, null,          'DM-S-03',     null),
    ('DM-I-PULL',  9,   0, 12,  0,    0,   0,    0,     0,    50,     0,   0, '',       1, null,          'DM-S-03',     null),
    ('DM-I-SCR',   9,   0,  5,  0,    0,   0, 5000, 10000,  1000,     0,   2, '10|2%',  1, null,          'DM-S-04',     null),
    ('DM-I-ABS',   9,   0,  6,  0,    0,   1,  200,   500,    25,     0,   0, '',       0, null,          'DM-S-05',     null),
    ('DM-I-FC40',  9,   0,  9,  0,    0,   0,    0,     0,    50,     0,   0, '',       1, null,          'DM-S-07',     null),
    ('DM-I-RC40',  9,   0,  9,  0,    0,   0,    0,     0,    50,     0,   0, '',       1, null,          'DM-S-07',     null),
    ('DM-I-SHL30', 9,   0,  9,  0,    0,   0,    0,     0,    50,     0,   0, '',       1, null,          'DM-S-07',     null),
    ('DM-I-FG40',  9,   0, 14,  0,    0,   0,    0,     0,    50,     0,   0, '',       1, null,          'DM-S-09',     null),
    ('DM-I-RG40',  9,   0, 14,  0,    0,   0,    0,     0,    50,     0,   0, '',       1, null,          'DM-S-09',     null),
    ('DM-I-PLATE', 9,   0, 14,  0,    0,   0,    0,     0,    50,     0,   0, '',       1, null,          'DM-S-09',     null),
    ('DM-I-WGHT',  9,   0, 14,  0,    0,   0,    0,     0,    50,     0,   0, '',       1, null,          'DM-S-09',     null),
    ('DM-I-POLE',  9,   0, 14,  0,    0,   0,    0,     0,    50,     0,   0, '',       1, null,          'DM-S-09',     null),
    ('DM-I-BRKT',  9,   0, 14,  0,    0,   0,    0,     0,    50,     0,   0, '',       1, null,          'DM-S-09',     null),
    ('DM-I-GEAR',  9,   0, 12,  0,    0,   0,    0,     0,    50,     0,   0, '',       1, null,          'DM-S-03',     null),
    ('DM-I-CTN40', 9,   0,  7,  0,    0,   0,    0,   200,   100,     0,   0, '',       1, null,          'DM-S-06',     null),
    ('DM-I-CTN30', 9,   0,  7,  0,    0,   0,    0,   200,   100,     0,   0, '',       1, null,          'DM-S-06',     null),
    ('DM-I-FOAM',  9,   0,  7,  0,    0,   0,    0,     0,   100,     0,   0, '',       1, null,          'DM-S-06',     null),
    ('DM-I-MANU',  9,   0,  7,  0,    0,   0,    0,  1000,   500,     0,   0, '',       1, null,          'DM-S-06',     null)
  ) as v(ItmID, Track, Pre, Fix, Var, VarLot, Post, Safe, MinQty, LotQty, MaxQty, LossType, LossRate, PutInteger, DeptID, POSuppID, OOSuppID)
  join KX_Base_ItemMaster as i on i.ItmID = v.ItmID
  left join KX_Base_Supplier as ps on ps.SuppID = v.POSuppID
  left join KX_Base_Supplier as os on os.SuppID = v.OOSuppID
 where not exists (select 1 from KX_MRP_ItemSetting as t where t.ItmID = v.ItmID);
