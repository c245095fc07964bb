-- KX_MRP_GetBOMCouples: the parent-component pairs of the BOMs named in tmp_KX_MRP_RefGetBOM, with the BOM each component would use, into tmp_KX_MRP_BOMCouples (low-level codes of the MRP run).

-- call KX_MRP_GetBOMCouples()
-- In:  tmp_KX_MRP_RefGetBOM (PrdID, BomType, BomID), the BOMs to read; a row without BomID stands
--      for the product's default standard BOM today.
-- Out: tmp_KX_MRP_BOMCouples (PrdID, ItmID, ItmBomType, ItmBomID), created by the caller: one row per
--      distinct product and component of the material lines (role 0) of those BOMs, whatever the
--      lines' dates, with the component's BOM: the one the line names, else the component's default
--      standard BOM today for the line's property set (null when it has none). Skip-level lines are
--      pairs like any other.
create procedure KX_MRP_GetBOMCouples()
language plpgsql as $$
begin
  insert into tmp_KX_MRP_BOMCouples (PrdID, ItmID, ItmBomType, ItmBomID)
  select distinct h.BomItmID, l.BolItmID,
         case when l.BolBomID is not null then coalesce(l.BolBomType, sb.BomType) else d.BomType end,
         coalesce(l.BolBomID, d.BomID)
    from KX_Bom_Head as h
    join KX_Bom_Line as l on l.BomID = h.BomID and l.BolRole = 0
    left join KX_Bom_Head as sb on sb.BomID = l.BolBomID
    left join lateral KX_MRP_DefaultBOM(l.BolItmID, l.BolItmProps, null) as d on l.BolBomID is null
   where h.BomID in (select r.BomID from KX_MRP_RefGetBOMIDs() as r);
end
$$;
