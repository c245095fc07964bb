-- KX_MRP_SetBOMForBomItem: the BOM each component line of tmp_KX_MRP_BOM uses at a date (BOM expansion view, release of order material lines).

-- call KX_MRP_SetBOMForBomItem([AtDate => '20240115'])
-- Works on the caller's tmp_KX_MRP_BOM as KX_MRP_GetBOM filled it:
-- * with a date, lines not valid on that day (BomBeginDate..BomEndDate, both included) are deleted:
--   they take no part in what is issued then;
-- * every line gets its component's BOM in BomItmBomType, BomItmBomID, BomItmBomNo, BomItmBomOkRate:
--   the BOM the line names when it is locked there (BomItmBomLocked 1), otherwise the component's
--   default standard BOM for the line's property set valid at the date (today without a date), and
--   when the component has none, the BOM the line names, if any;
-- * BomItmBomLocked and BomItmBomSkip are 0 where they were null.
create procedure KX_MRP_SetBOMForBomItem(AtDate timestamp default null)
language plpgsql as $$
begin
  if AtDate is not null then
    delete from tmp_KX_MRP_BOM as b where not KX_MRP_ValidAt(b.BomBeginDate, b.BomEndDate, AtDate);
  end if;
  update tmp_KX_MRP_BOM as b
     set BomItmBomType = h.BomType, BomItmBomID = h.BomID, BomItmBomNo = h.BomNo, BomItmBomOkRate = h.BomOkRate,
         BomItmBomLocked = coalesce(b.BomItmBomLocked, 0), BomItmBomSkip = coalesce(b.BomItmBomSkip, 0)
    from (select t.ctid as RowID,            -- the table has no key: rows are matched by their identity
                 case when t.BomItmBomLocked = 1 and t.BomItmBomID <> '' then t.BomItmBomID
                      else coalesce((select d.BomID from KX_MRP_DefaultBOM(t.BomItmID, t.BomProps, AtDate) as d),
                                    nullif(t.BomItmBomID, ''))
                 end as UseBomID
            from tmp_KX_MRP_BOM as t) as u
    left join KX_Bom_Head as h on h.BomID = u.UseBomID
   where b.ctid = u.RowID;
end
$$;
