-- KX_MRP_GetItemSubstitutes: the substitutes defined for the component lines listed in tmp_KX_MRP_BomRefItems, into tmp_KX_MRP_ItemSubs (BOM expansion view).

-- call KX_MRP_GetItemSubstitutes(BomType, BomID)
-- In:  tmp_KX_MRP_BomRefItems (BomItmID varchar(50), BomRowHook varchar(50)), the lines shown.
--      BomType and BomID name the BOM being expanded; the row hooks alone identify the lines (also
--      the lines that a flattened skip level brought in from another BOM), so they are not needed.
-- Out: for every line, its local substitutes (SubGlobal 0) and the global substitutes of its
--      component (SubGlobal 1, listed under each line of that component), whatever their dates,
--      into tmp_KX_MRP_ItemSubs, which the caller creates as
--   create temp table tmp_KX_MRP_ItemSubs (
--     BomRowHook varchar(50), SubGlobal smallint, SubPriority int, SubItmID varchar(50),
--     SubItmProps varchar(100), SubRItmID varchar(50), SubRProps varchar(100),
--     SubRProp1 varchar(80), SubRProp2 varchar(80), SubRProp3 varchar(80), SubRProp4 varchar(80),
--     SubRProp5 varchar(80), SubRProp6 varchar(80), SubRProp7 varchar(80), SubRProp8 varchar(80),
--     SubRProp9 varchar(80), SubRProp10 varchar(80), SubQty numeric(28,8), SubRQty numeric(28,8),
--     SubReplace smallint, SubBeginDate timestamp(3), SubEndDate timestamp(3), SubNote varchar(500))
-- SubItmID/SubItmProps: the replaced component and the property set the substitute applies to ('' all);
-- SubPriority: the order within the line (1 first); SubQty of the component is exchanged for SubRQty
-- of the substitute.
create procedure KX_MRP_GetItemSubstitutes(BomType integer default null, BomID varchar default null)
language plpgsql as $$
begin
  insert into tmp_KX_MRP_ItemSubs
    (BomRowHook, SubGlobal, SubPriority, SubItmID, SubItmProps, SubRItmID, SubRProps,
     SubRProp1, SubRProp2, SubRProp3, SubRProp4, SubRProp5, SubRProp6, SubRProp7, SubRProp8, SubRProp9, SubRProp10,
     SubQty, SubRQty, SubReplace, SubBeginDate, SubEndDate, SubNote)
  select r.BomRowHook, case when s.SubRowHook is null then 1 else 0 end, s.SubSeq, s.SubItmID, s.SubItmProps,
         s.SubRItmID, s.SubRProps,
         s.SubRProp1, s.SubRProp2, s.SubRProp3, s.SubRProp4, s.SubRProp5,
         s.SubRProp6, s.SubRProp7, s.SubRProp8, s.SubRProp9, s.SubRProp10,
         s.SubQty, s.SubRQty, s.SubReplace, s.SubBeginDate, s.SubEndDate, s.SubNote
    from (select distinct b.BomItmID, b.BomRowHook from tmp_KX_MRP_BomRefItems as b) as r
    join KX_Bom_ItemSubs as s
      on s.SubRowHook = r.BomRowHook
      or s.SubRowHook is null and s.SubItmID = r.BomItmID;
end
$$;
