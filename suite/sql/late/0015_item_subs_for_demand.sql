-- KX_MRP_GetItemSubsForDemand: the substitutes offered for demands or BOM lines listed in tmp_KX_MRP_DemandRefItems, into tmp_KX_MRP_ItemSubsForDemand (output view, release).

-- call KX_MRP_GetItemSubsForDemand()
-- In: the caller's
--   create temp table tmp_KX_MRP_DemandRefItems (
--     SupIID int, DmdIID int, DmdItmID varchar(50) not null, DmdItmProps varchar(100) not null default '',
--     DmdBomHook varchar(50), DmdDate timestamp(3))
--   one row per demand of a planned supply (SupIID the supply, DmdIID the demand, its item, property
--   set, BOM line and date), or per material line of a BOM to release (SupIID the caller's entry,
--   DmdIID the BOM line's BomEntry, DmdBomHook its BomRowHook, DmdDate the draw date).
-- Out: rows added to the caller's
--   create temp table tmp_KX_MRP_ItemSubsForDemand (
--     SupIID int, DmdIID int, SubGlobal smallint, SubPriority int, SubItmID varchar(50),
--     SubRItmID varchar(50), SubRProps varchar(100), SubRProp1 varchar(80), SubRProp2 varchar(80),
--     SubRProp3 varchar(80), SubRProp4 varchar(80), SubRProp5 varchar(80), SubRProp6 varchar(80),
--     SubRProp7 varchar(80), SubRProp8 varchar(80), SubRProp9 varchar(80), SubRProp10 varchar(80),
--     SubQty numeric(28,8), SubRQty numeric(28,8), SubReplace smallint, SubBomType smallint,
--     SubBomID varchar(50), SubBomNo varchar(80), SubBeginDate timestamp(3), SubEndDate timestamp(3),
--     SubNote varchar(500))
--   per reference row, the substitutes offered at its date (today without one; KX_MRP_OfferedItemSubs):
--   the local ones of its BOM line (SubGlobal 0) and the global ones of its item (SubGlobal 1), in
--   SubPriority order within each; SubItmID the replaced item; SubQty of it is exchanged for SubRQty
--   of the substitute; SubBomType/ID/No the substitute's default standard BOM at the date, if any.
create procedure KX_MRP_GetItemSubsForDemand()
language plpgsql as $$
begin
  insert into tmp_KX_MRP_ItemSubsForDemand
    (SupIID, DmdIID, SubGlobal, SubPriority, SubItmID, SubRItmID, SubRProps,
     SubRProp1, SubRProp2, SubRProp3, SubRProp4, SubRProp5, SubRProp6, SubRProp7, SubRProp8, SubRProp9, SubRProp10,
     SubQty, SubRQty, SubReplace, SubBomType, SubBomID, SubBomNo, SubBeginDate, SubEndDate, SubNote)
  select r.SupIID, r.DmdIID, case when s.SubRowHook is null then 1 else 0 end, s.SubSeq, s.SubItmID,
         s.SubRItmID, s.SubRProps,
         s.SubRProp1, s.SubRProp2, s.SubRProp3, s.SubRProp4, s.SubRProp5,
         s.SubRProp6, s.SubRProp7, s.SubRProp8, s.SubRProp9, s.SubRProp10,
         s.SubQty, s.SubRQty, s.SubReplace, b.BomType, b.BomID, b.BomNo, s.SubBeginDate, s.SubEndDate, s.SubNote
    from tmp_KX_MRP_DemandRefItems as r
    cross join lateral KX_MRP_OfferedItemSubs(r.DmdItmID, coalesce(r.DmdItmProps, ''), coalesce(r.DmdDate, localtimestamp)) as s
    left join lateral KX_MRP_DefaultBOM(s.SubRItmID, s.SubRProps, r.DmdDate) as b on true
   where s.SubRowHook is null or s.SubRowHook = r.DmdBomHook;
end
$$;
