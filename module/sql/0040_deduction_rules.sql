-- What the deduction bookkeeping must never hold, enforced by the tables themselves: a log row
-- takes a positive quantity from both sides and names each pair of lines once; an extension row
-- never carries a negative deducted quantity; flags are 0 or 1. A statement that would break one
-- of these fails, and the transaction it runs in leaves nothing behind.
--
-- The rule that joins the tables (a line's automatic and manual totals equal the sums of its log
-- rows) is kept by the statements that write them, each in one transaction.

alter table KX_MRP_Deduction
  add constraint KX_MRP_Deduction_Qty check (DedForQty > 0 and DedOrdQty > 0),
  add constraint KX_MRP_Deduction_Manual check (DedManual in (0, 1));

-- One log row per pair of lines: an order line already paired with a forecast line is never
-- paired with it again, by hand or automatically. The index also finds a forecast line's rows.
drop index KX_MRP_Deduction_For;
create unique index KX_MRP_Deduction_Pair on KX_MRP_Deduction (DedForID, DedForEntry, DedOrdType, DedOrdID, DedOrdEntry);

alter table KX_MRP_ForcastExt
  add constraint KX_MRP_ForcastExt_Qty check (coalesce(ForDedAQty, 0) >= 0 and coalesce(ForDedMQty, 0) >= 0),
  add constraint KX_MRP_ForcastExt_ADis check (coalesce(ForDedADis, 0) in (0, 1));
alter table KX_MRP_SOExt
  add constraint KX_MRP_SOExt_Qty check (coalesce(SODedAQty, 0) >= 0 and coalesce(SODedMQty, 0) >= 0),
  add constraint KX_MRP_SOExt_ADis check (coalesce(SODedADis, 0) in (0, 1));
alter table KX_MRP_SIExt
  add constraint KX_MRP_SIExt_Qty check (coalesce(SIDedAQty, 0) >= 0 and coalesce(SIDedMQty, 0) >= 0),
  add constraint KX_MRP_SIExt_ADis check (coalesce(SIDedADis, 0) in (0, 1));
