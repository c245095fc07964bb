-- KX_MRP_GetItemSubsCouples: the item-substitute pairs the MRP run orders by low-level code, into tmp_KX_MRP_ItemSubsCouples.

-- call KX_MRP_GetItemSubsCouples()
-- In:  tmp_KX_MRP_RefGetBOM (PrdID, BomType, BomID), the BOMs whose local substitutes count; a row
--      without BomID stands for the product's default standard BOM today. When the table has no rows,
--      the local substitutes of every BOM count (the caller keeps the pairs of its own products).
-- Out: tmp_KX_MRP_ItemSubsCouples (SubItmID, SubRItmID, SubPrdID, SubBomType, SubBomID), created by the
--      caller, one row per distinct pair of replaced item SubItmID and substitute SubRItmID:
--      * global substitutes with SubPrdID '' and no BOM;
--      * local substitutes with the product, type and ID of the BOM whose line they belong to.
--      Dates, planning switches and disabled items do not matter here: a pair that could ever be
--      used must order the levels.
create procedure KX_MRP_GetItemSubsCouples()
language plpgsql as $$
declare
  all_boms boolean := not exists (select 1 from tmp_KX_MRP_RefGetBOM);
begin
  insert into tmp_KX_MRP_ItemSubsCouples (SubItmID, SubRItmID, SubPrdID, SubBomType, SubBomID)
  select distinct s.SubItmID, s.SubRItmID, '', null::smallint, null::varchar
    from KX_Bom_ItemSubs as s
   where s.SubBomID is null
  union
  select distinct s.SubItmID, s.SubRItmID, h.BomItmID, h.BomType, h.BomID
    from KX_Bom_ItemSubs as s
    join KX_Bom_Head as h on h.BomID = s.SubBomID
   where all_boms or h.BomID in (select r.BomID from KX_MRP_RefGetBOMIDs() as r);
end
$$;
