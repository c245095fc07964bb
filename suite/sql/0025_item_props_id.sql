-- KX_MRP_GetItemPropsID: the property-set key (ItmProps) of an item and ten property values, checked against the item's property slots and value lists; adds the set when it is new.

-- select * from KX_MRP_GetItemPropsID('K', 'red', 'M', '', '', '', '', '', '', '', '')
-- One row (ID, ErrNum):
-- * an unknown item, or an item that uses no property (all ItmHasProp 0): ID '', ErrNum 0;
-- * ErrNum n, ID '': the first property slot n that the item uses whose value (trimmed) is empty, or,
--   for a slot with a value list (KX_Base_ItemPropDefs.PrdCheckList 1), is not an enabled value of
--   KX_Base_ItemPropValues (compared without case);
-- * otherwise ErrNum 0 and ID the PrsID of the item's set in KX_Base_ItemProps, added when missing.
--   The set stores listed values in the list's spelling, the others trimmed, and '' in the slots
--   the item does not use. Two sessions adding the same set get the same row.
create function KX_MRP_GetItemPropsID(ItmID varchar, Prop1 varchar default '', Prop2 varchar default '',
                                      Prop3 varchar default '', Prop4 varchar default '', Prop5 varchar default '',
                                      Prop6 varchar default '', Prop7 varchar default '', Prop8 varchar default '',
                                      Prop9 varchar default '', Prop10 varchar default '')
returns table (ID varchar(100), ErrNum integer)
language plpgsql volatile as $$
declare
  item_id  varchar := $1;
  given    varchar[] := array[$2, $3, $4, $5, $6, $7, $8, $9, $10, $11];
  used     smallint[];
  vals     varchar[] := array_fill(''::varchar, array[10]);
  val      varchar;
  checked  smallint;
  set_key  varchar(100);
begin
  select array[i.ItmHasProp1, i.ItmHasProp2, i.ItmHasProp3, i.ItmHasProp4, i.ItmHasProp5,
               i.ItmHasProp6, i.ItmHasProp7, i.ItmHasProp8, i.ItmHasProp9, i.ItmHasProp10]
    into used
    from KX_Base_ItemMaster as i
   where i.ItmID = item_id;
  if used is null or not (1 = any(used)) then
    return query select ''::varchar(100), 0;
    return;
  end if;

  for n in 1 .. 10 loop
    continue when used[n] <> 1;
    val := trim(coalesce(given[n], ''));
    if val = '' then
      return query select ''::varchar(100), n;
      return;
    end if;
    select d.PrdCheckList into checked from KX_Base_ItemPropDefs as d where d.PrdNo = n;
    if checked = 1 then
      select v.PvlValue::varchar into val
        from KX_Base_ItemPropValues as v
       where v.PvlPropNo = n and v.PvlValue = val::citext and v.PvlDisabled = 0;
      if not found then
        return query select ''::varchar(100), n;
        return;
      end if;
    end if;
    vals[n] := val;
  end loop;

  insert into KX_Base_ItemProps (PrsItmID, PrsProp1, PrsProp2, PrsProp3, PrsProp4, PrsProp5,
                                 PrsProp6, PrsProp7, PrsProp8, PrsProp9, PrsProp10)
  values (item_id, vals[1], vals[2], vals[3], vals[4], vals[5], vals[6], vals[7], vals[8], vals[9], vals[10])
  on conflict (PrsItmID, PrsProp1, PrsProp2, PrsProp3, PrsProp4, PrsProp5,
               PrsProp6, PrsProp7, PrsProp8, PrsProp9, PrsProp10) do nothing
  returning PrsID into set_key;
  if set_key is null then
    select p.PrsID into set_key
      from KX_Base_ItemProps as p
     where p.PrsItmID = item_id
       and (p.PrsProp1, p.PrsProp2, p.PrsProp3, p.PrsProp4, p.PrsProp5,
            p.PrsProp6, p.PrsProp7, p.PrsProp8, p.PrsProp9, p.PrsProp10)
         = (vals[1], vals[2], vals[3], vals[4], vals[5], vals[6], vals[7], vals[8], vals[9], vals[10]);
  end if;
  return query select set_key, 0;
end
$$;
