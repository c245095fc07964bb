-- The items of one level of the MRP run (low-level code), for the procedures that work on one level of the run tables.

-- The items of tmp_KX_MRP_ItemLowestCode (ItmID, LowestCode) whose code is Level. Level -1 (or any
-- negative level) gives no rows and does not touch the table, so callers write
-- "(Level < 0 or x.ItmID in (select ItmID from KX_MRP_LevelItems(Level)))" for "that level, or all".
create function KX_MRP_LevelItems(Level integer)
returns table (ItmID varchar(50)) language plpgsql stable as $$
begin
  if Level >= 0 then
    return query select c.ItmID::varchar(50) from tmp_KX_MRP_ItemLowestCode as c where c.LowestCode = Level;
  end if;
end
$$;
