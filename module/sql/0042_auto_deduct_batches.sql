-- KX_MRP_AutoDeductLines, version 2: the pairs of several forecast lines share a transaction.
--
-- call KX_MRP_AutoDeductLines(first, last, user, batch, pairs)
-- As before (see 0041), with one difference: rather than committing every pair on its own, the
-- procedure commits once the pairs made since the last commit reach batch (always after a whole
-- forecast line, and at the end). A pair is still written whole or not at all, and the open
-- quantities are still read afresh for every forecast line (a transaction sees its own pairs);
-- a transaction now holds the rows of up to about batch pairs, for a few milliseconds each.
-- A pair whose order no longer has room (another user deducted it meanwhile) is taken back
-- from the forecast's total at once, within the same transaction.
drop procedure KX_MRP_AutoDeductLines(integer, integer, varchar, integer);
create procedure KX_MRP_AutoDeductLines(p_first integer, p_last integer, p_user varchar, p_batch integer, inout p_pairs integer)
language plpgsql as $$
declare
  f       record;
  c       record;
  rest    numeric(28,8);
  q       numeric(28,8);
  touched integer;
  pending integer := 0;
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
      -- were read: when one would, nothing of the pair stays.
      insert into KX_MRP_ForcastExt as x (ForID, ForEntry, ForItmID, ForDedAQty, ForDedMQty, ForDedUsrID, ForDedTime)
      values (f.ForID, f.ForEntry, f.ForItmID, q, 0, p_user, localtimestamp)
      on conflict (ForID, ForEntry) do update
         set ForDedAQty = coalesce(x.ForDedAQty, 0) + q, ForDedUsrID = p_user, ForDedTime = localtimestamp
       where coalesce(x.ForDedADis, 0) = 0 and coalesce(x.ForDedMQty, 0) + coalesce(x.ForDedAQty, 0) + q <= f.ForQty;
      get diagnostics touched = row_count;
      exit when touched = 0;
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
        update KX_MRP_ForcastExt as x set ForDedAQty = x.ForDedAQty - q
         where x.ForID = f.ForID and x.ForEntry = f.ForEntry;
        continue;
      end if;
      insert into KX_MRP_Deduction (DedForID, DedForEntry, DedOrdType, DedOrdID, DedOrdEntry, DedForQty, DedOrdQty,
                                    DedManual, DedUsrID, DedTime)
      values (f.ForID, f.ForEntry, c.OrdType, c.OrdID, c.OrdEntry, q, q, 0, p_user, localtimestamp);
      rest := rest - q;
      p_pairs := p_pairs + 1;
      pending := pending + 1;
      exit when rest <= 0;
    end loop;
    if pending >= p_batch then
      commit;
      pending := 0;
    end if;
  end loop;
  commit;
end
$$;
