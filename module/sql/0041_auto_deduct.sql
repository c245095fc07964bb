-- KX_MRP_AutoDeductLines: the matching of the automatic forecast deduction, run by AutoDeduct
-- for one stretch of the open forecast lines it gathered.
--
-- call KX_MRP_AutoDeductLines(first, last, user, pairs)
-- Works on three work tables of the caller's session:
--   tmp_KX_MRP_DedFor (DedSeq, ForID, ForEntry, ForItmID, ItmProps, ForCustID, OrigTag, ForQty,
--                      DedFrom, DedTo): the open forecast lines in the order they deduct, each
--                      with the delivery window its orders must fall into;
--   tmp_KX_MRP_DedOrd (OrdType, OrdID, OrdEntry, ItmID, ItmProps, PlanItmID, CustID, OrigTag,
--                      DelivDate, BillQty): the sales (2) and export (4) order lines that may
--                      deduct, PlanItmID being the planning item of the line's item.
-- Customers and tags are '' when a line has none.
--
-- For each forecast line DedSeq first..last, in that order, with R its quantity still open now:
-- the orders of the same item and properties, or of an item planned under the forecast's item,
-- due within the window, of the forecast's customer and tag when it names them, not yet paired
-- with this forecast line, not excluded from automatic deduction and with quantity still open,
-- are taken by delivery date, order type, order and line; each takes q = min(R, its open
-- quantity) until R is used up. Each pair is its own transaction: the log row and both
-- extension rows are written together or not at all. The open quantities are read afresh for
-- every forecast line, so what one line consumed is gone for the next. Should another user have
-- deducted one of the two lines in the meantime so that q no longer fits, the pair is not made:
-- a forecast line is then left as it is, an order line passed over.
-- Must be called outside a transaction block (it commits). pairs counts the pairs written.
create procedure KX_MRP_AutoDeductLines(p_first integer, p_last integer, p_user varchar, inout p_pairs integer)
language plpgsql as $$
declare
  f       record;
  c       record;
  rest    numeric(28,8);
  q       numeric(28,8);
  touched integer;
begin
  for f in select * from tmp_KX_MRP_DedFor where DedSeq between p_first and p_last order by DedSeq loop
    select f.ForQty - coalesce(x.ForDedMQty, 0) - coalesce(x.ForDedAQty, 0)
      into rest
      from (select 1) as one
      left join KX_MRP_ForcastExt as x on x.ForID = f.ForID and x.ForEntry = f.ForEntry
     where coalesce(x.ForDedADis, 0) = 0;
    continue when rest is null or rest <= 0;

    for c in
      select o.DelivDate, o.OrdType, o.OrdID, o.OrdEntry, o.ItmID, o.BillQty,
             o.BillQty - coalesce(x.SODedMQty, 0) - coalesce(x.SODedAQty, 0) as OpenQty
        from tmp_KX_MRP_DedOrd as o
        left join KX_MRP_SOExt as x on x.SOID = o.OrdID and x.SOEntry = o.OrdEntry
       where o.OrdType = 2
         and o.DelivDate between f.DedFrom and f.DedTo
         and (f.ForCustID = '' or o.CustID = f.ForCustID)
         and (f.OrigTag = '' or o.OrigTag = f.OrigTag)
         and (o.ItmID = f.ForItmID and o.ItmProps = f.ItmProps or o.PlanItmID = f.ForItmID)
         and coalesce(x.SODedADis, 0) = 0
         and o.BillQty > coalesce(x.SODedMQty, 0) + coalesce(x.SODedAQty, 0)
         and not exists (select 1 from KX_MRP_Deduction as d
                          where d.DedForID = f.ForID and d.DedForEntry = f.ForEntry and d.DedOrdType = 2
                            and d.DedOrdID = o.OrdID and d.DedOrdEntry = o.OrdEntry)
      union all
      select o.DelivDate, o.OrdType, o.OrdID, o.OrdEntry, o.ItmID, o.BillQty,
             o.BillQty - coalesce(x.SIDedMQty, 0) - coalesce(x.SIDedAQty, 0)
        from tmp_KX_MRP_DedOrd as o
        left join KX_MRP_SIExt as x on x.SIID = o.OrdID and x.SIEntry = o.OrdEntry
       where o.OrdType = 4
         and o.DelivDate between f.DedFrom and f.DedTo
         and (f.ForCustID = '' or o.CustID = f.ForCustID)
         and (f.OrigTag = '' or o.OrigTag = f.OrigTag)
         and (o.ItmID = f.ForItmID and o.ItmProps = f.ItmProps or o.PlanItmID = f.ForItmID)
         and coalesce(x.SIDedADis, 0) = 0
         and o.BillQty > coalesce(x.SIDedMQty, 0) + coalesce(x.SIDedAQty, 0)
         and not exists (select 1 from KX_MRP_Deduction as d
                          where d.DedForID = f.ForID and d.DedForEntry = f.ForEntry and d.DedOrdType = 4
                            and d.DedOrdID = o.OrdID and d.DedOrdEntry = o.OrdEntry)
       order by 1, 2, 3, 4
    loop
      q := least(rest, c.OpenQty);
      -- Neither side's total may pass its quantity, whatever another user did since the lines
      -- were read: when one would, the pair is rolled back and nothing of it stays.
      insert into KX_MRP_ForcastExt as x (ForID, ForEntry, ForItmID, ForDedAQty, ForDedMQty, ForDedUsrID, ForDedTime)
      values (f.ForID, f.ForEntry, f.ForItmID, q, 0, p_user, localtimestamp)
      on conflict (ForID, ForEntry) do update
         set ForDedAQty = coalesce(x.ForDedAQty, 0) + q, ForDedUsrID = p_user, ForDedTime = localtimestamp
       where coalesce(x.ForDedADis, 0) = 0 and coalesce(x.ForDedMQty, 0) + coalesce(x.ForDedAQty, 0) + q <= f.ForQty;
      get diagnostics touched = row_count;
      if touched = 0 then
        rollback;
        exit;
      end if;
      if c.OrdType = 2 then
        insert into KX_MRP_SOExt as x (SOID, SOEntry, SOItmID, SODedAQty, SODedMQty, SODedUsrID, SODedTime)
        values (c.OrdID, c.OrdEntry, c.ItmID, q, 0, p_user, localtimestamp)
        on conflict (SOID, SOEntry) do update
           set SODedAQty = coalesce(x.SODedAQty, 0) + q, SODedUsrID = p_user, SODedTime = localtimestamp
         where coalesce(x.SODedADis, 0) = 0 and coalesce(x.SODedMQty, 0) + coalesce(x.SODedAQty, 0) + q <= c.BillQty;
      else
        insert into KX_MRP_SIExt as x (SIID, SIEntry, SIItmID, SIDedAQty, SIDedMQty, SIDedUsrID, SIDedTime)
        values (c.OrdID, c.OrdEntry, c.ItmID, q, 0, p_user, localtimestamp)
        on conflict (SIID, SIEntry) do update
           set SIDedAQty = coalesce(x.SIDedAQty, 0) + q, SIDedUsrID = p_user, SIDedTime = localtimestamp
         where coalesce(x.SIDedADis, 0) = 0 and coalesce(x.SIDedMQty, 0) + coalesce(x.SIDedAQty, 0) + q <= c.BillQty;
      end if;
      get diagnostics touched = row_count;
      if touched = 0 then
        rollback;
        continue;
      end if;
      insert into KX_MRP_Deduction (DedForID, DedForEntry, DedOrdType, DedOrdID, DedOrdEntry, DedForQty, DedOrdQty,
                                    DedManual, DedUsrID, DedTime)
      values (f.ForID, f.ForEntry, c.OrdType, c.OrdID, c.OrdEntry, q, q, 0, p_user, localtimestamp);
      commit;
      rest := rest - q;
      p_pairs := p_pairs + 1;
      exit when rest <= 0;
    end loop;
  end loop;
end
$$;
