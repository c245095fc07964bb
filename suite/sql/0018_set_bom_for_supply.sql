-- KX_MRP_SetBOMForSupply: the BOM of the made supplies in the MRP run's tmp_KX_MRP_Supplies that have none.

-- call KX_MRP_SetBOMForSupply(Level)
-- Level: the low-level code whose items are worked on (tmp_KX_MRP_ItemLowestCode); -1 for every
-- supply of the table, as the run calls it after gathering the existing supplies.
-- Supplies of made kinds (production 22, 34, 42, 44, 64, outsourcing 24, 36, 52, 54, 66, other
-- planned 62) without a BOM get the item's default standard BOM for their property set at their draw
-- date (else their due date), unlocked (SupBomLocked 0); a supply that comes with its own BOM and no
-- lock flag is locked to it (1). Stock and purchase kinds are left as they are.
create procedure KX_MRP_SetBOMForSupply(Level integer default -1)
language plpgsql as $$
begin
  update tmp_KX_MRP_Supplies as s
     set SupBomType = case when u.BomID is null then s.SupBomType else u.BomType end,
         SupBomID = coalesce(u.BomID, s.SupBomID),
         SupBomLocked = coalesce(s.SupBomLocked, case when s.SupBomID <> '' then 1 else 0 end)
    from (select t.SupIID, d.BomType, d.BomID
            from tmp_KX_MRP_Supplies as t
            left join lateral KX_MRP_DefaultBOM(t.SupItmID, t.SupItmProps, coalesce(t.SupDrawDate, t.SupDate)) as d
              on coalesce(t.SupBomID, '') = ''
           where t.SupBillType in (22, 24, 34, 36, 42, 44, 52, 54, 62, 64, 66)
             and (coalesce(t.SupBomID, '') = '' or t.SupBomLocked is null)
             and (Level < 0 or t.SupItmID in (select l.ItmID from KX_MRP_LevelItems(Level) as l))) as u
   where s.SupIID = u.SupIID;
end
$$;
