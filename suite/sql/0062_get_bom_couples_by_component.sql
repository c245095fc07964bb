-- KX_MRP_GetBOMCouples, faster: the default BOM of a component is looked up once per component
-- and property set, not once for every BOM line that uses it.

-- call KX_MRP_GetBOMCouples(): as before (see 0015_get_bom_couples.sql).
create or replace procedure KX_MRP_GetBOMCouples()
language plpgsql as $$
begin
  insert into tmp_KX_MRP_BOMCouples (PrdID, ItmID, ItmBomType, ItmBomID)
  with lines as (
    select h.BomItmID as PrdID, l.BolItmID, l.BolItmProps, l.BolBomType, l.BolBomID
      from KX_Bom_Head as h
      join KX_Bom_Line as l on l.BomID = h.BomID and l.BolRole = 0
     where h.BomID in (select r.BomID from KX_MRP_RefGetBOMIDs() as r)
  ),
  defaults as (
    select k.BolItmID, k.BolItmProps, d.BomType, d.BomID
      from (select distinct BolItmID, BolItmProps from lines where BolBomID is null) as k
      cross join lateral KX_MRP_DefaultBOM(k.BolItmID, k.BolItmProps, null) as d
  )
  select distinct l.PrdID, l.BolItmID,
         case when l.BolBomID is not null then coalesce(l.BolBomType, sb.BomType) else d.BomType end,
         coalesce(l.BolBomID, d.BomID)
    from lines as l
    left join KX_Bom_Head as sb on sb.BomID = l.BolBomID
    left join defaults as d on l.BolBomID is null and d.BolItmID = l.BolItmID
                           and d.BolItmProps is not distinct from l.BolItmProps;
end
$$;
