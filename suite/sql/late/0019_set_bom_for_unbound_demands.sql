-- KX_MRP_SetBOMForDemand, for one level: only the demands that came in unbound are looked at.
-- Every writer of demand rows but a few (safety stock, scrap replacements, lines gathered
-- level by level) binds a row as it writes it: the BOM the row names, else for a made item its
-- default BOM for the row's property set on the row's date, and sets DmdBomLocked and
-- DmdBomSkip. A bound row without BOM is one whose default BOM was not found; looking again
-- with the same item, property set and date finds none either. The unbound rows are found
-- through the partial index on the rows without DmdBomLocked or DmdBomSkip.

-- call KX_MRP_SetBOMForDemand(Level): as before (see 0012_set_bom_for_demand.sql).
create or replace procedure KX_MRP_SetBOMForDemand(Level integer default -1)
language plpgsql as $$
begin
  drop table if exists tmp_KX_MRP_DemandBomKeys;
  if Level < 0 then
    create temp table tmp_KX_MRP_DemandBomKeys as
    select distinct t.DmdItmID, t.DmdItmProps, t.DmdDate as DmdDate
      from tmp_KX_MRP_Demands as t
      join KX_Base_ItemMaster as i on i.ItmID = t.DmdItmID
      left join KX_MRP_ItemSetting as mt on mt.ItmID = t.DmdItmID
     where coalesce(t.DmdBomID, '') = ''
       and (case when mt.ItmMrpType <> 0 then mt.ItmMrpType else i.ItmType end) > 1;
  else
    create temp table tmp_KX_MRP_DemandBomKeys as
    select distinct t.DmdItmID, t.DmdItmProps, t.DmdDate as DmdDate
      from KX_MRP_LevelItems(Level) as l
      join KX_Base_ItemMaster as i on i.ItmID = l.ItmID
      left join KX_MRP_ItemSetting as mt on mt.ItmID = l.ItmID
      join tmp_KX_MRP_Demands as t on t.DmdItmID = l.ItmID
     where coalesce(t.DmdBomID, '') = ''
       and (t.DmdBomLocked is null or t.DmdBomSkip is null)
       and (case when mt.ItmMrpType <> 0 then mt.ItmMrpType else i.ItmType end) > 1;
  end if;

  if exists (select 1 from tmp_KX_MRP_DemandBomKeys) then
    drop table if exists tmp_KX_MRP_DemandBoms;
    create temp table tmp_KX_MRP_DemandBoms as
    select k.DmdItmID, k.DmdItmProps, k.DmdDate, x.BomType, x.BomID
      from tmp_KX_MRP_DemandBomKeys as k
      cross join lateral KX_MRP_DefaultBOM(k.DmdItmID, k.DmdItmProps, k.DmdDate) as x;
    create index on tmp_KX_MRP_DemandBoms (DmdItmID, DmdItmProps, DmdDate);
    analyze tmp_KX_MRP_DemandBoms;

    update tmp_KX_MRP_Demands as d
       set DmdBomType = b.BomType,
           DmdBomID = b.BomID,
           DmdBomLocked = coalesce(d.DmdBomLocked, 0),
           DmdBomSkip = coalesce(d.DmdBomSkip, 0)
      from tmp_KX_MRP_DemandBoms as b
     where coalesce(d.DmdBomID, '') = ''
       and b.DmdItmID = d.DmdItmID and b.DmdItmProps = d.DmdItmProps and b.DmdDate = d.DmdDate;
    drop table tmp_KX_MRP_DemandBoms;
  end if;

  -- Demands that came with a BOM are bound to it; the skip mode defaults to none.
  update tmp_KX_MRP_Demands as d
     set DmdBomLocked = coalesce(d.DmdBomLocked, case when coalesce(d.DmdBomID, '') <> '' then 1 else 0 end),
         DmdBomSkip = coalesce(d.DmdBomSkip, 0)
   where (d.DmdBomLocked is null or d.DmdBomSkip is null)
     and (Level < 0 or d.DmdItmID in (select l.ItmID from KX_MRP_LevelItems(Level) as l));

  drop table tmp_KX_MRP_DemandBomKeys;
end
$$;
