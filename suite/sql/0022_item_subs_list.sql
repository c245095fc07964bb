-- KX_MRP_GetItemSubsList: the BOMs, component lines and substitutes listed by the substitute maintenance view and the substitute copy dialog, into tmp_KX_MRP_GetItemSubsList.

-- call KX_MRP_GetItemSubsList(Filter => '', LimitType => 0, LimitItmID => '')
-- Filter: a condition on the BOMs, in which $$ItemNo$$ stands for the product's item number and the
--   aliases h (KX_Bom_Head) and p (the product's KX_Base_ItemMaster row) may be used, e.g.
--   "$$ItemNo$$ like 'A%'"; empty for every BOM. Disabled BOMs are never listed.
-- LimitType and LimitItmID choose the component lines ('' item: no item limit):
--   0 lines of the component LimitItmID; 1 such lines that have local substitutes; 2 lines that have
--   LimitItmID as a local substitute (any substitute when the item is empty).
-- Out: rows added to tmp_KX_MRP_GetItemSubsList (created by the caller), by BomLevel:
--   0 one per BOM with at least one chosen line: BomType, BomID, BomNo, BomItmID the product,
--     BomEntry 0, the product's property set;
--   1 one per chosen line: BomEntry, BomRowHook, BomItmID the component and the line's property set,
--     BomFixed, BomUntID, BomUQty, BomQty, BomBaseQty, dates, position, operation, note;
--   2 one per local substitute of the line: BomSubSeq (priority), BomSubItmID, BomSubReplace,
--     BomProps/BomProp1..10 the substitute's set, BomQty = SubRQty of the substitute for
--     BomBaseQty = SubQty of the component, BomUQty = SubRQty in BomUntID (the substitute's base
--     unit), dates, BomNote; BomItmID, BomEntry and BomRowHook those of the line.
-- Global substitutes come under one BOM node "(全局范围)" (BomType 0, BomID '', BomEntry 0), listed
-- when the filter is empty or holds with $$ItemNo$$ = '': a level-1 row per replaced item (BomEntry
-- 1, 2 ... in item number order, no row hook) and its global substitutes at level 2. The limits
-- apply to them as to lines.
-- Rows come in no particular order; the caller orders by BomType, BomNo, BomID, BomEntry, component
-- number, BomLevel, BomSubSeq.
create procedure KX_MRP_GetItemSubsList(Filter text default '', LimitType integer default 0, LimitItmID varchar default '')
language plpgsql as $proc$
declare
  item varchar := coalesce(LimitItmID, '');
  kind integer := coalesce(LimitType, 0);
  cond text := nullif(trim(coalesce(Filter, '')), '');
  bom_ids varchar[];
  show_global boolean := true;
begin
  if cond is not null then
    execute format('select coalesce(array_agg(h.BomID), ''{}'') from KX_Bom_Head as h'
                   ' join KX_Base_ItemMaster as p on p.ItmID = h.BomItmID where %s',
                   replace(cond, '$$ItemNo$$', 'p.ItmNo'))
       into bom_ids;
    begin
      execute format('select coalesce((%s), false)', replace(cond, '$$ItemNo$$', '''''')) into show_global;
    exception when others then
      show_global := false;   -- the condition names BOM columns: it cannot hold for the global node
    end;
  end if;

  -- Chosen lines and their local substitutes.
  create temp table tmp_KX_MRP_SubsListLines on commit drop as
  select l.*
    from KX_Bom_Head as h
    join KX_Bom_Line as l on l.BomID = h.BomID
   where h.BomDisabled = 0
     and (bom_ids is null or h.BomID = any(bom_ids))
     and case kind
           when 2 then exists (select 1 from KX_Bom_ItemSubs as s
                                where s.SubRowHook = l.BolRowHook and (item = '' or s.SubRItmID = item))
           when 1 then (item = '' or l.BolItmID = item)
                       and exists (select 1 from KX_Bom_ItemSubs as s where s.SubRowHook = l.BolRowHook)
           else item = '' or l.BolItmID = item
         end;

  insert into tmp_KX_MRP_GetItemSubsList
    (BomLevel, BomType, BomID, BomNo, BomEntry, BomItmID, BomProps,
     BomProp1, BomProp2, BomProp3, BomProp4, BomProp5, BomProp6, BomProp7, BomProp8, BomProp9, BomProp10, BomNote)
  select 0, h.BomType, h.BomID, h.BomNo, 0, h.BomItmID, h.BomItmProps,
         h.BomItmProp1, h.BomItmProp2, h.BomItmProp3, h.BomItmProp4, h.BomItmProp5,
         h.BomItmProp6, h.BomItmProp7, h.BomItmProp8, h.BomItmProp9, h.BomItmProp10, h.BomRemark
    from KX_Bom_Head as h
   where h.BomID in (select l.BomID from tmp_KX_MRP_SubsListLines as l);

  insert into tmp_KX_MRP_GetItemSubsList
    (BomLevel, BomType, BomID, BomNo, BomEntry, BomRowHook, BomItmID, BomProps,
     BomProp1, BomProp2, BomProp3, BomProp4, BomProp5, BomProp6, BomProp7, BomProp8, BomProp9, BomProp10,
     BomFixed, BomUntID, BomUQty, BomQty, BomBaseQty, BomBeginDate, BomEndDate, BomPosNo, BomOperSeq,
     BomOperID, BomPosition, BomNote)
  select 1, h.BomType, h.BomID, h.BomNo, l.BomEntry, l.BolRowHook, l.BolItmID, l.BolItmProps,
         l.BolItmProp1, l.BolItmProp2, l.BolItmProp3, l.BolItmProp4, l.BolItmProp5,
         l.BolItmProp6, l.BolItmProp7, l.BolItmProp8, l.BolItmProp9, l.BolItmProp10,
         l.BolFixed, l.BolUntID, l.BolUQty, l.BolQty, l.BolBaseQty, l.BolBeginDate, l.BolEndDate, l.BolPosNo,
         l.BolOperSeq, l.BolOperID, l.BolPosition, l.BolNote
    from tmp_KX_MRP_SubsListLines as l
    join KX_Bom_Head as h on h.BomID = l.BomID;

  insert into tmp_KX_MRP_GetItemSubsList
    (BomLevel, BomType, BomID, BomNo, BomEntry, BomRowHook, BomItmID, BomSubSeq, BomSubItmID, BomSubReplace,
     BomProps, BomProp1, BomProp2, BomProp3, BomProp4, BomProp5, BomProp6, BomProp7, BomProp8, BomProp9, BomProp10,
     BomUntID, BomUQty, BomQty, BomBaseQty, BomBeginDate, BomEndDate, BomNote)
  select 2, h.BomType, h.BomID, h.BomNo, l.BomEntry, l.BolRowHook, l.BolItmID, s.SubSeq, s.SubRItmID, s.SubReplace,
         s.SubRProps, s.SubRProp1, s.SubRProp2, s.SubRProp3, s.SubRProp4, s.SubRProp5,
         s.SubRProp6, s.SubRProp7, s.SubRProp8, s.SubRProp9, s.SubRProp10,
         ri.ItmUnitID, s.SubRQty, s.SubRQty, s.SubQty, s.SubBeginDate, s.SubEndDate, s.SubNote
    from tmp_KX_MRP_SubsListLines as l
    join KX_Bom_Head as h on h.BomID = l.BomID
    join KX_Bom_ItemSubs as s on s.SubRowHook = l.BolRowHook
    join KX_Base_ItemMaster as ri on ri.ItmID = s.SubRItmID;

  drop table tmp_KX_MRP_SubsListLines;

  if not show_global then
    return;
  end if;

  -- The global node: replaced items chosen like component lines, numbered by item number.
  create temp table tmp_KX_MRP_SubsListGlobal on commit drop as
  select g.SubItmID, row_number() over (order by i.ItmNo)::integer as Entry
    from (select distinct s.SubItmID
            from KX_Bom_ItemSubs as s
           where s.SubRowHook is null
             and case kind
                   when 2 then item = '' or s.SubRItmID = item
                   else item = '' or s.SubItmID = item
                 end) as g
    join KX_Base_ItemMaster as i on i.ItmID = g.SubItmID;

  if exists (select 1 from tmp_KX_MRP_SubsListGlobal) then
    insert into tmp_KX_MRP_GetItemSubsList (BomLevel, BomType, BomID, BomNo, BomEntry, BomProps)
    values (0, 0, '', '(全局范围)', 0, '');

    insert into tmp_KX_MRP_GetItemSubsList (BomLevel, BomType, BomID, BomNo, BomEntry, BomItmID, BomProps)
    select 1, 0, '', '(全局范围)', g.Entry, g.SubItmID, ''
      from tmp_KX_MRP_SubsListGlobal as g;

    insert into tmp_KX_MRP_GetItemSubsList
      (BomLevel, BomType, BomID, BomNo, BomEntry, BomItmID, BomSubSeq, BomSubItmID, BomSubReplace,
       BomProps, BomProp1, BomProp2, BomProp3, BomProp4, BomProp5, BomProp6, BomProp7, BomProp8, BomProp9, BomProp10,
       BomUntID, BomUQty, BomQty, BomBaseQty, BomBeginDate, BomEndDate, BomNote)
    select 2, 0, '', '(全局范围)', g.Entry, s.SubItmID, s.SubSeq, s.SubRItmID, s.SubReplace,
           s.SubRProps, s.SubRProp1, s.SubRProp2, s.SubRProp3, s.SubRProp4, s.SubRProp5,
           s.SubRProp6, s.SubRProp7, s.SubRProp8, s.SubRProp9, s.SubRProp10,
           ri.ItmUnitID, s.SubRQty, s.SubRQty, s.SubQty, s.SubBeginDate, s.SubEndDate, s.SubNote
      from tmp_KX_MRP_SubsListGlobal as g
      join KX_Bom_ItemSubs as s on s.SubItmID = g.SubItmID and s.SubRowHook is null
      join KX_Base_ItemMaster as ri on ri.ItmID = s.SubRItmID;
  end if;

  drop table tmp_KX_MRP_SubsListGlobal;
end
$proc$;
