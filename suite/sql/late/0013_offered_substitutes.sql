-- The substitutes planning may offer for an item: valid at a date, of an enabled item that takes part in planning.

-- Rows of KX_Bom_ItemSubs that replace the item ItmID in the property set ItmProps (substitutes for
-- every set, SubItmProps '', included; ItmProps null: any set), valid on AtDate (null: whatever their
-- dates), whose substitute item is not disabled and not excluded from planning (ItmMrpSkip of
-- KX_MRP_ItemSetting). Global (SubRowHook null) and local substitutes of every BOM line: callers keep
-- the local ones of the line they work on.
create function KX_MRP_OfferedItemSubs(ItmID varchar, ItmProps varchar, AtDate timestamp)
returns setof KX_Bom_ItemSubs language sql stable as $$
  select s.*
    from KX_Bom_ItemSubs as s
    join KX_Base_ItemMaster as ri on ri.ItmID = s.SubRItmID and ri.ItmDisabled = 0
    left join KX_MRP_ItemSetting as mt on mt.ItmID = s.SubRItmID
   where s.SubItmID = $1
     and ($2 is null or s.SubItmProps in ('', $2))
     and ($3 is null or KX_MRP_ValidAt(s.SubBeginDate, s.SubEndDate, $3))
     and coalesce(mt.ItmMrpSkip, 0) = 0
$$;
