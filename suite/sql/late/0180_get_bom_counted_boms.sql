-- KX_MRP_GetBOM planned for the number of BOMs it is asked for. Same rows as before.
-- The BOMs named go into a work table of their own that is analysed before the lines are read:
-- a set-returning function looked like a thousand BOMs to the planner, so that reading the lines
-- of one BOM (the BOM expansion view reads a level of the tree at a time, the explosion a level
-- of a small plan) read and hashed the whole item setting and BOM head tables, some 50 ms a call;
-- with the count known, a few BOMs are read by index, and a big level is still hashed.
create or replace procedure KX_MRP_GetBOM(ForceOneLevel integer default 1)
language plpgsql
set plan_cache_mode = force_custom_plan
as $$
declare
  flatten boolean := coalesce(ForceOneLevel, 1) = 0;
begin
  if to_regclass('pg_temp.tmp_KX_MRP_GetBOMSeed') is null then
    create temp table tmp_KX_MRP_GetBOMSeed (BomID varchar(50));
  else
    truncate table tmp_KX_MRP_GetBOMSeed;
  end if;
  -- The BOMs named, each once, counted before the lines are read (as KX_MRP_RefGetBOMIDs
  -- names them; an ID without a BOM finds no head below).
  insert into tmp_KX_MRP_GetBOMSeed (BomID)
  select distinct x.BomID
    from (select coalesce(nullif(r.BomID, ''), (select d.BomID from KX_MRP_DefaultBOM(r.PrdID, null, null) as d)) as BomID
            from tmp_KX_MRP_RefGetBOM as r) as x
   where x.BomID is not null;
  analyze tmp_KX_MRP_GetBOMSeed;
  insert into tmp_KX_MRP_BOM
    (BomType, BomID, BomNo, BomPrdID, BomPrdOkRate, BomEntry, BomItmID, BomProps,
     BomProp1, BomProp2, BomProp3, BomProp4, BomProp5, BomProp6, BomProp7, BomProp8, BomProp9, BomProp10,
     BomFixed, BomQty, BomBaseQty, BomLossRate, BomPutLossRate, BomUntID, BomUQty, BomUBaseQty, BomPercent,
     BomRowHook, BomBeginDate, BomEndDate, BomOffsetDay, BomPosition, BomPosNo, BomStkID, BomOperSeq,
     BomOperID, BomDrawType, BomRole, BomRoleName, BomItmBomType, BomItmBomID, BomItmBomNo,
     BomItmBomOkRate, BomItmBomLocked, BomItmBomSkip, BomNote, BomNote1, BomNote2, BomNote3)
  with recursive seed as (
    select h.BomType, h.BomID, h.BomNo::varchar(80) as BomNo, h.BomItmID, h.BomOkRate
      from tmp_KX_MRP_GetBOMSeed as r
      join KX_Bom_Head as h on h.BomID = r.BomID
  ),
  lines as (
    select s.BomType as RootType, s.BomID as RootID, s.BomNo as RootNo, s.BomItmID as PrdID, s.BomOkRate as PrdOkRate,
           l.BomEntry::bigint as Entry, null::bigint as ParentEntry, 1 as Depth, array[s.BomID]::varchar[] as Path,
           l.BolItmID as ItmID, l.BolItmProps as Props,
           l.BolItmProp1 as Prop1, l.BolItmProp2 as Prop2, l.BolItmProp3 as Prop3, l.BolItmProp4 as Prop4,
           l.BolItmProp5 as Prop5, l.BolItmProp6 as Prop6, l.BolItmProp7 as Prop7, l.BolItmProp8 as Prop8,
           l.BolItmProp9 as Prop9, l.BolItmProp10 as Prop10,
           l.BolFixed as Fixed, l.BolQty::numeric as Qty, l.BolBaseQty::numeric as BaseQty,
           l.BolUntID as UntID, l.BolUQty::numeric as UQty, l.BolUBaseQty::numeric as UBaseQty,
           l.BolPercent::numeric as Pct, l.BolLossRate as LossRate, l.BolPutLossRate as PutLossRate,
           l.BolRowHook as RowHook, l.BolBeginDate as BeginDate, l.BolEndDate as EndDate, l.BolOffsetDay as OffsetDay,
           l.BolPosition as Position, l.BolPosNo as PosNo, l.BolStkID as StkID, l.BolOperSeq as OperSeq,
           l.BolOperID as OperID, l.BolDrawType as DrawType, l.BolRole as Role,
           l.BolBomType as SubBomType, l.BolBomID as SubBomID, l.BolBomLocked as SubBomLocked, l.BolBomSkip as SubBomSkip,
           l.BolNote as Note, l.BolNote1 as Note1, l.BolNote2 as Note2, l.BolNote3 as Note3
      from seed as s
      join KX_Bom_Line as l on l.BomID = s.BomID
    union all
    select p.RootType, p.RootID, p.RootNo, p.PrdID, p.PrdOkRate,
           p.Entry * 1000 + c.BomEntry, p.Entry, p.Depth + 1, p.Path || x.BomID,
           c.BolItmID, c.BolItmProps,
           c.BolItmProp1, c.BolItmProp2, c.BolItmProp3, c.BolItmProp4, c.BolItmProp5,
           c.BolItmProp6, c.BolItmProp7, c.BolItmProp8, c.BolItmProp9, c.BolItmProp10,
           greatest(p.Fixed, c.BolFixed),
           case when c.BolFixed = 1 then c.BolQty else p.Qty * c.BolQty * 100 / x.BomOkRate / c.BolBaseQty end,
           case when c.BolFixed = 1 then c.BolBaseQty else p.BaseQty end,
           c.BolUntID,
           case when c.BolFixed = 1 then c.BolUQty else p.Qty * c.BolUQty * 100 / x.BomOkRate / c.BolBaseQty end,
           case when c.BolFixed = 1 then c.BolUBaseQty else p.UBaseQty end,
           p.Pct * c.BolPercent / 100, c.BolLossRate, c.BolPutLossRate,
           c.BolRowHook, greatest(p.BeginDate, c.BolBeginDate), least(p.EndDate, c.BolEndDate),
           p.OffsetDay + c.BolOffsetDay,
           c.BolPosition, c.BolPosNo, coalesce(c.BolStkID, p.StkID), c.BolOperSeq,
           c.BolOperID, c.BolDrawType, c.BolRole,
           c.BolBomType, c.BolBomID, c.BolBomLocked, c.BolBomSkip,
           c.BolNote, c.BolNote1, c.BolNote2, c.BolNote3
      from lines as p
      join KX_Bom_Head as x
        on x.BomID = coalesce(p.SubBomID, (select d.BomID from KX_MRP_DefaultBOM(p.ItmID, p.Props, null) as d))
      join KX_Bom_Line as c on c.BomID = x.BomID
     where flatten and p.Role = 0 and p.SubBomSkip = 1 and p.Depth < 3 and not x.BomID = any(p.Path)
  ),
  kept as (
    select l.*,
           case when mt.ItmPutLossType = 1 then null
                when mt.ItmPutLossType = 2 and mt.ItmPutLossRate <> '' then mt.ItmPutLossRate
                when l.PutLossRate <> '' then l.PutLossRate
                else KX_MRP_LossRateText(l.LossRate)
           end as LossText,
           coalesce(mt.ItmPutLossType, 0) as LossType,
           not (coalesce(mt.ItmPutLossType = 1, false) or coalesce(mt.ItmPutLossType = 2 and mt.ItmPutLossRate <> '', false)
                or coalesce(l.PutLossRate <> '', false)) as LossOfRate
      from lines as l
      left join KX_MRP_ItemSetting as mt on mt.ItmID = l.ItmID
     where not flatten or not exists (select 1 from lines as ch where ch.RootID = l.RootID and ch.ParentEntry = l.Entry)
  )
  select k.RootType, k.RootID, k.RootNo, k.PrdID, k.PrdOkRate, k.Entry, k.ItmID, k.Props,
         k.Prop1, k.Prop2, k.Prop3, k.Prop4, k.Prop5, k.Prop6, k.Prop7, k.Prop8, k.Prop9, k.Prop10,
         k.Fixed, k.Qty, k.BaseQty,
         case when k.LossType = 1 then 0
              when k.LossOfRate then coalesce(k.LossRate, 0)
              when k.LossText ~ '^ *[0-9]*\.?[0-9]+ *% *$' then KX_MRP_LossTextNumber(trim(replace(k.LossText, '%', '')))
              when k.Qty > 0 then KX_MRP_LossQtyToPercent(KX_MRP_CalcLossQty(k.LossText, k.LossRate, k.Qty), k.Qty)
              else k.LossRate
         end,
         k.LossText, k.UntID, k.UQty, k.UBaseQty, k.Pct,
         k.RowHook, k.BeginDate, k.EndDate, k.OffsetDay, k.Position, k.PosNo, k.StkID, k.OperSeq,
         k.OperID, k.DrawType, k.Role, e.EnmName, k.SubBomType, k.SubBomID, sb.BomNo,
         sb.BomOkRate, k.SubBomLocked, k.SubBomSkip, k.Note, k.Note1, k.Note2, k.Note3
    from kept as k
    left join KX_Bom_Head as sb on sb.BomID = k.SubBomID
    left join KX_SYS_Enums as e on e.EnmClass = 'BomRole' and e.EnmID = k.Role;
end
$$;
