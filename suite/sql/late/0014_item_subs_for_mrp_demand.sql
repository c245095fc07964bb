-- KX_MRP_GetItemSubsForMRPDemand: the substitutes allowed for each open demand of one level of the MRP run, into tmp_KX_MRP_ItemSubsForMRPDemand.

-- call KX_MRP_GetItemSubsForMRPDemand(Level, UseOrders)
-- In:  tmp_KX_MRP_Demands of the items whose code in tmp_KX_MRP_ItemLowestCode is Level (-1: all),
--      with a net requirement (DmdQty > 0).
-- Out: rows added to tmp_KX_MRP_ItemSubsForMRPDemand (DmdIID, SubGlobal, SubPriority, SubRItmID,
--      SubRProps, SubQty, SubRQty, SubReplace), created and emptied by the caller: per demand, the
--      substitutes offered at the demand's date (KX_MRP_OfferedItemSubs) for its item and property set,
--      the local ones of its BOM line (SubRowHook = DmdBomHook, SubGlobal 0) and the global ones of its
--      item (SubGlobal 1), SubPriority their order. SubQty of the demand's item is exchanged for
--      SubRQty of the substitute.
-- UseOrders 0: substitutes may cover the demand from stock only, so only those with stock left in
--      tmp_KX_MRP_Supplies (SupBillType 16, SupRestQty > 0) for their item and property set are
--      given; 1: all of them.
create procedure KX_MRP_GetItemSubsForMRPDemand(Level integer default -1, UseOrders integer default 1)
language plpgsql as $$
begin
  insert into tmp_KX_MRP_ItemSubsForMRPDemand
    (DmdIID, SubGlobal, SubPriority, SubRItmID, SubRProps, SubQty, SubRQty, SubReplace)
  select d.DmdIID, case when s.SubRowHook is null then 1 else 0 end, s.SubSeq, s.SubRItmID, s.SubRProps,
         s.SubQty, s.SubRQty, s.SubReplace
    from tmp_KX_MRP_Demands as d
    cross join lateral KX_MRP_OfferedItemSubs(d.DmdItmID, coalesce(d.DmdItmProps, ''), d.DmdDate) as s
   where d.DmdQty > 0
     and (s.SubRowHook is null or s.SubRowHook = d.DmdBomHook)
     and (Level < 0 or d.DmdItmID in (select l.ItmID from KX_MRP_LevelItems(Level) as l))
     and (UseOrders = 1
          or exists (select 1 from tmp_KX_MRP_Supplies as p
                      where p.SupBillType = 16 and p.SupItmID = s.SubRItmID and p.SupItmProps = s.SubRProps
                        and p.SupRestQty > 0));
end
$$;
