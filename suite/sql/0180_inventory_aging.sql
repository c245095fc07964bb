-- The procedures of the inventory aging analysis: stock at a date, the stock-in lines that brought
-- the stock in (newest first), transfers inside merged dimensions taken out again, prices of the
-- matched lines and the last stock-out date of each summary row.
--
-- The caller creates the work tables (layouts in the module's analysis/invagetables.h):
-- tmp_KX_MRP_Inventory (stock rows with InvQty, the matched InvInQty and the search position
-- InvNextDate/InvNextBill/InvNextEntry, InvDone), tmp_KX_MRP_LastStockInBillsA and ...B (stock-in
-- lines, Bill... columns) and tmp_KX_MRP_InvAgeMain (summary rows, Age... columns).
--
-- Conditions are SQL text over the stock rows "s" (columns named as in KX_Stk_Inventory: InvItmID,
-- InvItmProps, InvBatch, InvStkID, InvStpID, InvGroupType, InvGroupNo), the item master "i" and the
-- warehouse "k"; "$$StockID$$" stands for the warehouse of a row. These are the aliases of the
-- catalogue object "KX_MRP.InvFilter" that the analysis' data condition is edited with.
--
-- A stock-in is a line of a checked bill that receives stock (StbDir 1) or the receiving side of a
-- transfer (StbType 21, into StlToStkID/StlToStpID). Bills count up to the end of the stock date.
-- A stock-out is a line of a checked issuing bill (StbDir -1).

-- The condition text with the warehouse macro resolved; "true" for none.
create function KX_MRP_AgeCondition(Condition text) returns text
language sql immutable as $fn$
  select coalesce(nullif(trim(replace(coalesce(Condition, ''), '$$StockID$$', 's.InvStkID')), ''), 'true')
$fn$;

-- call KX_MRP_GetHistoryInventory(StockDate, Condition)
-- StockDate: the stock at the end of that day; null for the stock now.
-- Out: rows added to tmp_KX_MRP_Inventory, one per item, property set, batch, warehouse, place and
-- MRP group whose quantity is not 0 (stock kept for several main demands is summed): the current
-- stock less every checked movement dated after the day (a receipt taken back, an issue given back,
-- a transfer moved back from its destination to its source).
create procedure KX_MRP_GetHistoryInventory(StockDate timestamp default null, Condition text default '')
language plpgsql as $proc$
begin
  execute format($sql$
    insert into tmp_KX_MRP_Inventory
      (InvItmID, InvItmProps, InvItmProp1, InvItmProp2, InvItmProp3, InvItmProp4, InvItmProp5, InvItmProp6,
       InvItmProp7, InvItmProp8, InvItmProp9, InvItmProp10, InvBatch, InvStkID, InvStpID, InvGroupType, InvGroupNo,
       InvQty, InvInQty)
    select s.InvItmID, s.InvItmProps, max(s.InvItmProp1), max(s.InvItmProp2), max(s.InvItmProp3), max(s.InvItmProp4),
           max(s.InvItmProp5), max(s.InvItmProp6), max(s.InvItmProp7), max(s.InvItmProp8), max(s.InvItmProp9),
           max(s.InvItmProp10), s.InvBatch, s.InvStkID, s.InvStpID, s.InvGroupType, s.InvGroupNo, sum(s.InvQty), 0
      from (select InvItmID, InvItmProps, InvItmProp1, InvItmProp2, InvItmProp3, InvItmProp4, InvItmProp5,
                   InvItmProp6, InvItmProp7, InvItmProp8, InvItmProp9, InvItmProp10, InvBatch, InvStkID, InvStpID,
                   InvGroupType, InvGroupNo, InvQty
              from KX_Stk_Inventory
            union all
            select l.StlItmID, l.StlItmProps, l.StlItmProp1, l.StlItmProp2, l.StlItmProp3, l.StlItmProp4,
                   l.StlItmProp5, l.StlItmProp6, l.StlItmProp7, l.StlItmProp8, l.StlItmProp9, l.StlItmProp10,
                   l.StlBatch, m.StkID, m.StpID, l.StlGroupType, l.StlGroupNo, m.Sign * l.StlQty
              from KX_Stk_BillHead as h
              join KX_Stk_BillLine as l on l.StbID = h.StbID
             cross join lateral (values (l.StlStkID, l.StlStpID, case when h.StbDir = 1 then -1 else 1 end),
                                        (l.StlToStkID, l.StlToStpID, -1)) as m(StkID, StpID, Sign)
             where $1 is not null and h.StbChecked = 1 and h.StbDate >= $1 and m.StkID is not null
           ) as s(InvItmID, InvItmProps, InvItmProp1, InvItmProp2, InvItmProp3, InvItmProp4, InvItmProp5,
                  InvItmProp6, InvItmProp7, InvItmProp8, InvItmProp9, InvItmProp10, InvBatch, InvStkID, InvStpID,
                  InvGroupType, InvGroupNo, InvQty)
      join KX_Base_ItemMaster as i on i.ItmID = s.InvItmID
      join KX_Base_Stock as k on k.StkID = s.InvStkID
     where %s
     group by s.InvItmID, s.InvItmProps, s.InvBatch, s.InvStkID, s.InvStpID, s.InvGroupType, s.InvGroupNo
    having sum(s.InvQty) <> 0
     order by s.InvItmID, s.InvItmProps, s.InvBatch, s.InvStkID, s.InvStpID, s.InvGroupType, s.InvGroupNo$sql$,
    KX_MRP_AgeCondition(Condition))
  using StockDate::date + 1;
end
$proc$;

-- call KX_MRP_GetLastStockInBills(StockDate, MergeBatch, MergeStock, MergePlace, MergeTrack)
-- For every stock row that is positive, not yet fully matched and not done: the stock-in lines of its
-- item and property set (and of its batch, warehouse, place and MRP group unless that dimension is
-- merged, 1) dated up to the end of StockDate (null: any date) and older than the row's search
-- position, newest first, as many as cover the quantity still unmatched (the last may cover more).
-- Out: those lines added to tmp_KX_MRP_LastStockInBillsA with BillInvIID the stock row, the bill's
-- type, number, line, date, partner (supplier, else customer, else department), the receiving
-- warehouse and place (and the source of a transfer in BillFrom...), the line's batch, group,
-- quantity, note, the bill's remark, the order it executes and the main demand it carries;
-- BillAmt 0 and BillOkQty null until priced and matched. The stock row's search position moves to
-- the oldest line taken; a row for which nothing older is left is marked done (InvDone 1).
create procedure KX_MRP_GetLastStockInBills(StockDate timestamp default null, MergeBatch integer default 0,
                                            MergeStock integer default 0, MergePlace integer default 0,
                                            MergeTrack integer default 0)
language plpgsql as $proc$
declare
  limit_day timestamp := coalesce(StockDate::date + 1, 'infinity'::timestamp);
begin
  insert into tmp_KX_MRP_LastStockInBillsA
    (BillInvIID, BillTypID, BillTypName, BillID, BillNo, BillEntry, BillDate, BillSupply, BillItmID, BillItmProps,
     BillItmProp1, BillItmProp2, BillItmProp3, BillItmProp4, BillItmProp5, BillItmProp6, BillItmProp7, BillItmProp8,
     BillItmProp9, BillItmProp10, BillBatch, BillStkID, BillStpID, BillFromStkID, BillFromStpID, BillGroupType,
     BillGroupNo, BillQty, BillAmt, BillNote, BillMemo, BillOrdType, BillOrdID, BillOrdNo, BillOrdEntry,
     BillOrigType, BillOrigID, BillOrigNo, BillOrigEntry, BillOrigItmID, BillOrigCustID, BillOrigCustPO, BillOrigTag)
  select c.InvIID, c.StbType, e.EnmName, c.StbID, c.StbNo, c.StbEntry, c.StbDate,
         coalesce(sp.SuppName, cu.CustName, d.DeptName), c.StlItmID, c.StlItmProps,
         c.StlItmProp1, c.StlItmProp2, c.StlItmProp3, c.StlItmProp4, c.StlItmProp5, c.StlItmProp6, c.StlItmProp7,
         c.StlItmProp8, c.StlItmProp9, c.StlItmProp10, c.StlBatch, c.InStkID, c.InStpID,
         case when c.StbType = 21 then c.StlStkID end, case when c.StbType = 21 then c.StlStpID end,
         c.StlGroupType, c.StlGroupNo, c.StlQty, 0, c.StlNote, c.StbRemark,
         c.StlOrdType, c.StlOrdID, c.StlOrdNo, c.StlOrdEntry, c.StlOrigType, c.StlOrigID, c.StlOrigNo,
         c.StlOrigEntry, c.StlOrigItmID, c.StlOrigCustID, c.StlOrigCustPO, c.StlOrigTag
    from (select i.InvIID, t.*,
                 sum(t.StlQty) over (partition by i.InvIID order by t.StbDate desc, t.StbID desc, t.StbEntry desc) as RunQty,
                 i.InvQty - i.InvInQty as OpenQty
            from tmp_KX_MRP_Inventory as i
            join lateral (
                 select h.StbID, h.StbNo::varchar as StbNo, h.StbDate, h.StbType, h.StbSuppID, h.StbCustID, h.StbDeptID,
                        h.StbRemark, l.StbEntry, l.StlItmID, l.StlItmProps, l.StlItmProp1, l.StlItmProp2, l.StlItmProp3,
                        l.StlItmProp4, l.StlItmProp5, l.StlItmProp6, l.StlItmProp7, l.StlItmProp8, l.StlItmProp9,
                        l.StlItmProp10, l.StlBatch, l.StlStkID, l.StlStpID, l.StlGroupType, l.StlGroupNo, l.StlQty,
                        l.StlNote, l.StlOrdType, l.StlOrdID, l.StlOrdNo::varchar as StlOrdNo, l.StlOrdEntry,
                        l.StlOrigType, l.StlOrigID, l.StlOrigNo::varchar as StlOrigNo, l.StlOrigEntry, l.StlOrigItmID,
                        l.StlOrigCustID, l.StlOrigCustPO::varchar as StlOrigCustPO, l.StlOrigTag,
                        r.InStkID, r.InStpID
                   from KX_Stk_BillLine as l
                   join KX_Stk_BillHead as h on h.StbID = l.StbID
                  cross join lateral (select case when h.StbType = 21 then l.StlToStkID else l.StlStkID end as InStkID,
                                             case when h.StbType = 21 then l.StlToStpID else l.StlStpID end as InStpID) as r
                  where l.StlItmID = i.InvItmID and l.StlItmProps = i.InvItmProps
                    and h.StbChecked = 1 and h.StbDate < limit_day and (h.StbDir = 1 or h.StbType = 21)
                    and (MergeBatch = 1 or l.StlBatch = i.InvBatch)
                    and (MergeStock = 1 or r.InStkID = i.InvStkID)
                    and (MergePlace = 1 or r.InStpID is not distinct from i.InvStpID)
                    and (MergeTrack = 1 or l.StlGroupType = i.InvGroupType and l.StlGroupNo = i.InvGroupNo)
                    and (i.InvNextDate is null
                         or (h.StbDate, h.StbID, l.StbEntry) < (i.InvNextDate, i.InvNextBill, i.InvNextEntry))
                 ) as t on true
           where i.InvDone = 0 and i.InvQty > i.InvInQty) as c
    left join KX_Base_Supplier as sp on sp.SuppID = c.StbSuppID
    left join KX_Base_Customer as cu on cu.CustID = c.StbCustID
    left join KX_Base_Department as d on d.DeptID = c.StbDeptID
    left join KX_SYS_Enums as e on e.EnmClass = 'StockBillType' and e.EnmID = c.StbType
   where c.RunQty - c.StlQty < c.OpenQty
   order by c.InvIID, c.StbDate desc, c.StbID desc, c.StbEntry desc;

  -- Where each row's next search starts, and the rows that have nothing older left.
  update tmp_KX_MRP_Inventory as i
     set InvNextDate = o.BillDate, InvNextBill = o.BillID, InvNextEntry = o.BillEntry
    from (select distinct on (BillInvIID) BillInvIID, BillDate, BillID, BillEntry
            from tmp_KX_MRP_LastStockInBillsA
           order by BillInvIID, BillDate, BillID, BillEntry) as o
   where i.InvIID = o.BillInvIID;
  update tmp_KX_MRP_Inventory as i
     set InvDone = 1
   where i.InvDone = 0 and i.InvQty > i.InvInQty
     and not exists (select 1 from tmp_KX_MRP_LastStockInBillsA as a where a.BillInvIID = i.InvIID);
end
$proc$;

-- call KX_MRP_UndoInnerTransBills(StockDate, MergeBatch, MergeStock, MergePlace, MergeTrack)
-- A transfer moves stock within one item key. When every dimension the transfer changes (warehouse,
-- place) is merged, the stock did not come in at all: the transfer's stock-in lines not yet matched
-- (BillOkQty null) leave tmp_KX_MRP_LastStockInBillsB, and the next search of the caller's loop
-- finds the older stock-ins behind them. A transfer across a dimension that is not merged stays a
-- stock-in of its destination. Batch and MRP group never change in a transfer, so their flags and
-- the date do not matter here; they are accepted so that the call names the whole analysis.
create procedure KX_MRP_UndoInnerTransBills(StockDate timestamp default null, MergeBatch integer default 0,
                                            MergeStock integer default 0, MergePlace integer default 0,
                                            MergeTrack integer default 0)
language plpgsql as $proc$
begin
  delete from tmp_KX_MRP_LastStockInBillsB
   where BillTypID = 21 and BillOkQty is null
     and (MergeStock = 1 or BillFromStkID = BillStkID)
     and (MergePlace = 1 or BillFromStpID is not distinct from BillStpID);
end
$proc$;

-- call KX_MRP_GetLastStockInPrice()
-- Amounts of the matched lines of tmp_KX_MRP_LastStockInBillsB (BillOkQty > 0), rounded to 2
-- decimals: the line's own amount when it has one; otherwise (transfers, receipts booked without a
-- price) its quantity at the last price the item and property set came in at up to the line's
-- date, else at its first price after that date, else at the item's standard price.
create procedure KX_MRP_GetLastStockInPrice()
language plpgsql as $proc$
begin
  update tmp_KX_MRP_LastStockInBillsB as b
     set BillAmt = round(case when l.StlAmount > 0 then l.StlAmount
                              else b.BillQty * coalesce(
                                     (select p.StlAmount / p.StlQty
                                        from KX_Stk_BillLine as p
                                        join KX_Stk_BillHead as ph on ph.StbID = p.StbID
                                       where p.StlItmID = b.BillItmID and p.StlItmProps = b.BillItmProps
                                         and ph.StbChecked = 1 and ph.StbDir = 1 and p.StlAmount > 0 and p.StlQty > 0
                                       order by (ph.StbDate > b.BillDate), abs(extract(epoch from ph.StbDate - b.BillDate)),
                                                ph.StbID desc, p.StbEntry desc
                                       limit 1),
                                     i.ItmStdPrice, 0) end, 2)
    from KX_Stk_BillLine as l, KX_Base_ItemMaster as i
   where l.StbID = b.BillID and l.StbEntry = b.BillEntry and i.ItmID = b.BillItmID and b.BillOkQty > 0;
end
$proc$;

-- call KX_MRP_GetLastStockOutDate(StockDate, Condition, MergeBatch, MergeStock, MergePlace, MergeTrack)
-- AgeOutDate of every row of tmp_KX_MRP_InvAgeMain: the date of the latest stock-out of its item and
-- property set (and of its batch, warehouse, place and MRP group unless merged) dated up to the end of
-- StockDate (null: any date), from the warehouses the condition admits; null when there is none.
create procedure KX_MRP_GetLastStockOutDate(StockDate timestamp default null, Condition text default '',
                                            MergeBatch integer default 0, MergeStock integer default 0,
                                            MergePlace integer default 0, MergeTrack integer default 0)
language plpgsql as $proc$
begin
  execute format($sql$
    update tmp_KX_MRP_InvAgeMain as a
       set AgeOutDate = o.OutDate
      from (select a2.AgeIID, max(s.OutDate) as OutDate
              from tmp_KX_MRP_InvAgeMain as a2
              join (select l.StlItmID, l.StlItmProps, l.StlBatch, l.StlStkID, l.StlStpID, l.StlGroupType, l.StlGroupNo,
                           h.StbDate
                      from KX_Stk_BillHead as h
                      join KX_Stk_BillLine as l on l.StbID = h.StbID
                     where h.StbChecked = 1 and h.StbDir = -1 and h.StbDate < $1
                   ) as s(InvItmID, InvItmProps, InvBatch, InvStkID, InvStpID, InvGroupType, InvGroupNo, OutDate)
                on s.InvItmID = a2.AgeItmID and s.InvItmProps = a2.AgeItmProps
               and ($2 = 1 or s.InvBatch = a2.AgeBatch)
               and ($3 = 1 or s.InvStkID = a2.AgeStkID)
               and ($4 = 1 or s.InvStpID is not distinct from a2.AgeStpID)
               and ($5 = 1 or s.InvGroupType = a2.AgeGroupType and s.InvGroupNo = a2.AgeGroupNo)
              join KX_Base_ItemMaster as i on i.ItmID = s.InvItmID
              join KX_Base_Stock as k on k.StkID = s.InvStkID
             where %s
             group by a2.AgeIID) as o
     where a.AgeIID = o.AgeIID$sql$,
    KX_MRP_AgeCondition(Condition))
  using coalesce(StockDate::date + 1, 'infinity'::timestamp), MergeBatch, MergeStock, MergePlace, MergeTrack;
end
$proc$;
