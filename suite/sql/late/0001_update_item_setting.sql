-- KX_MRP_UpdateItemSetting: stores one item's planning settings (the item settings view saves each changed row with it).

-- call KX_MRP_UpdateItemSetting(ItmID => 'A', ItmMrpType => 0, ... , ItmPlanItmID => '')
-- Inserts the item's KX_MRP_ItemSetting row or replaces all its values. Every value must be given;
-- a missing (null) text is stored as '', a missing number as 0. Values outside the table's rules
-- (negative lead times or quantities, unknown codes, a maximum below the minimum) are refused by
-- the table's checks.
create procedure KX_MRP_UpdateItemSetting(
  ItmID varchar, ItmMrpType integer, ItmMrpSkip integer, ItmPlannerID varchar, ItmBuyerID varchar,
  ItmMrpGroup integer, ItmMrpTrack integer, ItmPreLeadTime integer, ItmFixLeadTime integer,
  ItmVarLeadTime integer, ItmVarLeadLot numeric, ItmPostLeadTime integer, ItmSafeQty numeric,
  ItmMinQty numeric, ItmLotQty numeric, ItmMaxQty numeric, ItmPutLossType integer, ItmPutLossRate varchar,
  ItmPutInteger integer, ItmSuitSkip integer, ItmOutSkip integer, ItmMOBomSkip integer, ItmOOBomSkip integer,
  ItmMODeptID varchar, ItmPOSuppID varchar, ItmOOSuppID varchar, ItmPlanItmID varchar)
language sql as $$
  insert into KX_MRP_ItemSetting as t
    (ItmID, ItmMrpType, ItmMrpSkip, ItmPlannerID, ItmBuyerID, ItmMrpGroup, ItmMrpTrack, ItmPreLeadTime,
     ItmFixLeadTime, ItmVarLeadTime, ItmVarLeadLot, ItmPostLeadTime, ItmSafeQty, ItmMinQty, ItmLotQty,
     ItmMaxQty, ItmPutLossType, ItmPutLossRate, ItmPutInteger, ItmSuitSkip, ItmOutSkip, ItmMOBomSkip,
     ItmOOBomSkip, ItmMODeptID, ItmPOSuppID, ItmOOSuppID, ItmPlanItmID)
  values ($1, coalesce($2, 0), coalesce($3, 0), coalesce($4, ''), coalesce($5, ''), coalesce($6, 0),
          coalesce($7, 0), coalesce($8, 0), coalesce($9, 0), coalesce($10, 0), coalesce($11, 0),
          coalesce($12, 0), coalesce($13, 0), coalesce($14, 0), coalesce($15, 0), coalesce($16, 0),
          coalesce($17, 0), coalesce($18, ''), coalesce($19, 0), coalesce($20, 0), coalesce($21, 0),
          coalesce($22, 0), coalesce($23, 0), coalesce($24, ''), coalesce($25, ''), coalesce($26, ''),
          coalesce($27, ''))
  on conflict (ItmID) do update
     set ItmMrpType = excluded.ItmMrpType, ItmMrpSkip = excluded.ItmMrpSkip,
         ItmPlannerID = excluded.ItmPlannerID, ItmBuyerID = excluded.ItmBuyerID,
         ItmMrpGroup = excluded.ItmMrpGroup, ItmMrpTrack = excluded.ItmMrpTrack,
         ItmPreLeadTime = excluded.ItmPreLeadTime, ItmFixLeadTime = excluded.ItmFixLeadTime,
         ItmVarLeadTime = excluded.ItmVarLeadTime, ItmVarLeadLot = excluded.ItmVarLeadLot,
         ItmPostLeadTime = excluded.ItmPostLeadTime, ItmSafeQty = excluded.ItmSafeQty,
         ItmMinQty = excluded.ItmMinQty, ItmLotQty = excluded.ItmLotQty, ItmMaxQty = excluded.ItmMaxQty,
         ItmPutLossType = excluded.ItmPutLossType, ItmPutLossRate = excluded.ItmPutLossRate,
         ItmPutInteger = excluded.ItmPutInteger, ItmSuitSkip = excluded.ItmSuitSkip,
         ItmOutSkip = excluded.ItmOutSkip, ItmMOBomSkip = excluded.ItmMOBomSkip,
         ItmOOBomSkip = excluded.ItmOOBomSkip, ItmMODeptID = excluded.ItmMODeptID,
         ItmPOSuppID = excluded.ItmPOSuppID, ItmOOSuppID = excluded.ItmOOSuppID,
         ItmPlanItmID = excluded.ItmPlanItmID
$$;
