-- KX_MRP_GetInventoryForDemand, KX_MRP_GetInventoryForSupply: the stock supplies (bill type 16) of the MRP run, from the on-hand stock the run gathered into tmp_KX_MRP_ItemInventory.

-- In: tmp_KX_MRP_ItemInventory (InvItmID, InvItmProps, InvItmProp1..10, InvBatch, InvOrigType, InvOrigID,
-- InvOrigNo, InvOrigEntry, InvOrigItmID, InvOrigCustID, InvOrigCustPO, InvOrigTag, InvGroupType,
-- InvGroupNo, InvQty), the positive stock of the scheme's warehouses. The table is only read.
-- Out: rows added to tmp_KX_MRP_Supplies, one per item, property set, MRP group and origin, the
-- batches summed: SupBillType 16, SupPeriod 0, SupBillDate and SupDate the stock date, SupBillQty =
-- SupQty = SupRestQty the quantity, SupAllotQty and SupChkQty 0, priority 0, no BOM (type 0, unlocked), the
-- property values, group and origin of the stock.
-- The stock is split by what it is kept for:
-- * KX_MRP_GetInventoryForDemand(StockDate): stock reserved for a main demand, i.e. with an origin
--   order (InvOrigType not 0 and InvOrigID given) or an origin tag; its supply carries that origin,
--   so that the allocation gives it to the demand of that origin first;
-- * KX_MRP_GetInventoryForSupply([StockDate]): free stock (no origin), one supply per item, property
--   set and MRP group. Without a date the stock is dated today; the run passes the same date to both.
-- A key that already has a stock supply in the table is not added again, so calling either for every
-- level adds each stock once. Supplies are added in the order of their keys.

-- Adds the stock supplies of the reserved (Reserved true) or of the free stock.
create procedure KX_MRP_AddStockSupplies(Reserved boolean, StockDate timestamp)
language plpgsql as $$
begin
  insert into tmp_KX_MRP_Supplies
    (SupPeriod, SupBillType, SupBillID, SupBillNo, SupBillEntry, SupBillDate, SupBillQty,
     SupOrigType, SupOrigID, SupOrigNo, SupOrigEntry, SupOrigItmID, SupOrigCustID, SupOrigCustPO, SupOrigTag,
     SupOrigSubTag, SupGroupType, SupGroupNo, SupItmID, SupItmProps,
     SupItmProp1, SupItmProp2, SupItmProp3, SupItmProp4, SupItmProp5,
     SupItmProp6, SupItmProp7, SupItmProp8, SupItmProp9, SupItmProp10,
     SupDate, SupLeadDays, SupPriority, SupAdjQty, SupQty, SupChkQty, SupAllotQty, SupAGrpxQty, SupAReplQty,
     SupRestQty, SupBomLocked, SupBomType, SupDrawDate)
  select 0, 16, null, '', 0, StockDate, k.Qty,
         k.OrigType, k.OrigID, k.OrigNo, k.OrigEntry, k.OrigItmID, k.OrigCustID, k.OrigCustPO, k.OrigTag,
         '', k.GroupType, k.GroupNo, k.ItmID, k.ItmProps,
         k.Prop1, k.Prop2, k.Prop3, k.Prop4, k.Prop5, k.Prop6, k.Prop7, k.Prop8, k.Prop9, k.Prop10,
         StockDate, 0, 0, 0, k.Qty, 0, 0, 0, 0,
         k.Qty, 0, 0, StockDate
    from (select i.InvItmID as ItmID, coalesce(i.InvItmProps, '') as ItmProps,
                 coalesce(i.InvGroupType, 0) as GroupType, coalesce(i.InvGroupNo, '') as GroupNo,
                 coalesce(i.InvOrigType, 0) as OrigType, coalesce(i.InvOrigID, '') as OrigID,
                 coalesce(i.InvOrigEntry, 0) as OrigEntry, coalesce(i.InvOrigTag, '') as OrigTag,
                 max(i.InvOrigNo) as OrigNo, max(i.InvOrigItmID) as OrigItmID, max(i.InvOrigCustID) as OrigCustID,
                 max(i.InvOrigCustPO) as OrigCustPO,
                 max(i.InvItmProp1) as Prop1, max(i.InvItmProp2) as Prop2, max(i.InvItmProp3) as Prop3,
                 max(i.InvItmProp4) as Prop4, max(i.InvItmProp5) as Prop5, max(i.InvItmProp6) as Prop6,
                 max(i.InvItmProp7) as Prop7, max(i.InvItmProp8) as Prop8, max(i.InvItmProp9) as Prop9,
                 max(i.InvItmProp10) as Prop10,
                 sum(i.InvQty) as Qty
            from tmp_KX_MRP_ItemInventory as i
           where i.InvQty > 0
             and Reserved = (coalesce(i.InvOrigType, 0) <> 0 and coalesce(i.InvOrigID, '') <> ''
                             or coalesce(i.InvOrigTag, '') <> '')
           group by 1, 2, 3, 4, 5, 6, 7, 8) as k
   where not exists (select 1 from tmp_KX_MRP_Supplies as s
                      where s.SupBillType = 16 and s.SupItmID = k.ItmID and s.SupItmProps = k.ItmProps
                        and s.SupGroupType = k.GroupType and s.SupGroupNo = k.GroupNo
                        and s.SupOrigType = k.OrigType and s.SupOrigID = k.OrigID
                        and s.SupOrigEntry = k.OrigEntry and s.SupOrigTag = k.OrigTag)
   order by k.ItmID, k.ItmProps, k.GroupType, k.GroupNo, k.OrigType, k.OrigID, k.OrigEntry, k.OrigTag;
end
$$;

create procedure KX_MRP_GetInventoryForDemand(StockDate timestamp)
language sql as $$
  call KX_MRP_AddStockSupplies(true, StockDate)
$$;

create procedure KX_MRP_GetInventoryForSupply(StockDate timestamp default null)
language sql as $$
  call KX_MRP_AddStockSupplies(false, coalesce(StockDate, localtimestamp::date))
$$;
