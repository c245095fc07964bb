-- KX_MRP_GetItemSubsExists: marks the items and item property sets of the output view that have substitutes.

-- call KX_MRP_GetItemSubsExists()
-- Works on the caller's
--   create temp table tmp_KX_MRP_RefItems (ItmID varchar(50) primary key, SubItmID varchar(50))
--   create temp table tmp_KX_MRP_RefItemProps (ItmID varchar(50) not null, ItmProps varchar(100) not null,
--     SubItmID varchar(50), primary key (ItmID, ItmProps))
-- (either may be empty). SubItmID becomes the first substitute planning may offer for the item (any
-- property set) or the item's property set, locals of any BOM line before globals, that has not
-- expired by today; null when there is none. The rows are otherwise unchanged.
-- The substitute item shown for an item (ItmProps null: any property set): the first offered one that
-- has not expired by today, locals before globals, by priority.
create function KX_MRP_FirstOfferedSubItem(ItmID varchar, ItmProps varchar)
returns varchar language sql stable as $$
  select s.SubRItmID
    from KX_MRP_OfferedItemSubs($1, $2, null) as s
   where s.SubEndDate is null or s.SubEndDate::date >= current_date
   order by s.SubRowHook is null, s.SubSeq, s.SubRItmID
   limit 1
$$;

create procedure KX_MRP_GetItemSubsExists()
language plpgsql as $$
begin
  update tmp_KX_MRP_RefItems as r set SubItmID = KX_MRP_FirstOfferedSubItem(r.ItmID, null);
  update tmp_KX_MRP_RefItemProps as r set SubItmID = KX_MRP_FirstOfferedSubItem(r.ItmID, r.ItmProps);
end
$$;
