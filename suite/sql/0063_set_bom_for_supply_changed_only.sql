-- KX_MRP_SetBOMForSupply writes only the supplies it changes. The run's orders now come in with
-- their lock set (bound to the BOM they name, else unlocked): such a row without BOM is looked
-- at only for its default BOM, and is left alone when it has none.

-- call KX_MRP_SetBOMForSupply(Level): as before (see 0018_set_bom_for_supply.sql).
create or replace procedure KX_MRP_SetBOMForSupply(Level integer default -1)
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
   where s.SupIID = u.SupIID
     and (s.SupBomLocked is null or u.BomID is not null);
end
$$;
