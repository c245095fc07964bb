-- KX_MRP_SetBOMForDemand: the BOM of the demands of made items in the MRP run's tmp_KX_MRP_Demands that have none, before a level is read.

-- call KX_MRP_SetBOMForDemand(Level)
-- Level: the low-level code whose demands are worked on (tmp_KX_MRP_ItemLowestCode); -1 for all.
-- A demand of an item planned as made (planning type above 1: ItmMrpType of KX_MRP_ItemSetting when
-- not 0, else the item master's ItmType) without a BOM gets the item's default standard BOM for its
-- property set at its date, unlocked (DmdBomLocked 0). A demand that comes with a BOM (the order line's,
-- the main-demand line's or the BOM line's choice) is bound to it: DmdBomLocked 1 where it was null.
-- DmdBomSkip is 0 where it was null. Demands of purchased items stay without BOM.
create procedure KX_MRP_SetBOMForDemand(Level integer default -1)
language plpgsql as $$
begin
  update tmp_KX_MRP_Demands as d
     set DmdBomType = case when u.BomID is null then d.DmdBomType else u.BomType end,
         DmdBomID = coalesce(u.BomID, d.DmdBomID),
         DmdBomLocked = coalesce(d.DmdBomLocked, case when d.DmdBomID <> '' then 1 else 0 end),
         DmdBomSkip = coalesce(d.DmdBomSkip, 0)
    from (select t.DmdIID, x.BomType, x.BomID
            from tmp_KX_MRP_Demands as t
            join KX_Base_ItemMaster as i on i.ItmID = t.DmdItmID
            left join KX_MRP_ItemSetting as mt on mt.ItmID = t.DmdItmID
            left join lateral KX_MRP_DefaultBOM(t.DmdItmID, t.DmdItmProps, t.DmdDate) as x
              on coalesce(t.DmdBomID, '') = ''
             and (case when mt.ItmMrpType <> 0 then mt.ItmMrpType else i.ItmType end) > 1
           where (coalesce(t.DmdBomID, '') = '' or t.DmdBomLocked is null or t.DmdBomSkip is null)
             and (Level < 0 or t.DmdItmID in (select l.ItmID from KX_MRP_LevelItems(Level) as l))) as u
   where d.DmdIID = u.DmdIID;
end
$$;
