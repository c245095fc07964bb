-- Which BOM a product uses at a date: validity of dated rows and the choice of a product's default standard BOM.

-- A BOM, BOM line or substitute with begin and end dates is valid on a day from its begin date to its
-- end date, both included; a missing date leaves that side open. Only the day of AtDate counts.
create function KX_MRP_ValidAt(BeginDate timestamp, EndDate timestamp, AtDate timestamp)
returns boolean language sql immutable as $$
  select ($1 is null or $1::date <= $3::date) and ($2 is null or $2::date >= $3::date)
$$;

-- The standard BOM a product uses when none is named: among its enabled standard BOMs valid at the
-- date (today when null) that serve the property set (a BOM for exactly that set, else one for every
-- set, BomItmProps ''), the one marked default, else the checked one, else the newest. ItmProps null
-- looks at every set and prefers the BOMs for every set. No row when the product has none.
create function KX_MRP_DefaultBOM(ItmID varchar, ItmProps varchar, AtDate timestamp)
returns table (BomType smallint, BomID varchar(50), BomNo varchar(80), BomOkRate numeric(28,8))
language sql stable as $$
  select h.BomType, h.BomID, h.BomNo::varchar(80), h.BomOkRate
    from KX_Bom_Head as h
   where h.BomItmID = $1 and h.BomType = 1 and h.BomDisabled = 0
     and ($2 is null or h.BomItmProps in ($2, ''))
     and KX_MRP_ValidAt(h.BomBeginDate, h.BomEndDate, coalesce($3, localtimestamp))
   order by (h.BomItmProps = coalesce($2, '')) desc, h.BomIsDefault desc, h.BomChecked desc,
            h.BomDate desc, h.BomNo
   limit 1
$$;

-- The BOMs that the caller's tmp_KX_MRP_RefGetBOM (PrdID, BomType, BomID) names, each once: a row's
-- BomID, or for a row without one the product's default standard BOM today. BomType is not needed
-- (BomID alone identifies a BOM). Rows that name no existing BOM give nothing.
create function KX_MRP_RefGetBOMIDs()
returns table (BomID varchar(50)) language plpgsql stable as $$
begin
  return query
  select distinct h.BomID
    from tmp_KX_MRP_RefGetBOM as r
    join KX_Bom_Head as h
      on h.BomID = coalesce(nullif(r.BomID, ''), (select d.BomID from KX_MRP_DefaultBOM(r.PrdID, null, null) as d));
end
$$;
