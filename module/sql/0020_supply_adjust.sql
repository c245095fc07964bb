-- The planner's change of one planned supply, as the supplies view and "kxmrp supplies" store it.

-- select KX_MRP_AdjustSupply(SchIID, SupIID, SeenType, SeenBomID, SeenQty,
--                            NewType, NewBomType, NewBomID, NewAdjQty, NewQty, NewRestQty, NewHints,
--                            AdjOldType, AdjOldBomID, AdjOldQty, AdjPending)
-- Called inside the caller's transaction, once per changed line:
-- 1. The supply must still be as the caller read it (type, BOM, quantity seen to a millionth: the
--    caller's copy of a long quantity may differ in the last decimals), else 65302: another
--    session changed it meanwhile. A released supply (SupDestQty > 0) is refused with 65303.
-- 2. The adjustment record keeps the values before the first change: an existing record only takes
--    the new pending flag, a new one the old values given.
-- 3. The balance row of the supply's item, properties and group loses the old quantity under the
--    old type and gains the new quantity under the new type (planned purchase 58, outsourcing 52,
--    production 42 in their own columns and together in BalQty; 54 and 44 in BalXQty); its end
--    quantity moves by the difference. No balance row: 65304.
-- 4. The supply takes the new type, BOM, quantities and hints. No supply row: 65301.
create function KX_MRP_AdjustSupply(SchIID integer, SupIID integer, SeenType integer, SeenBomID varchar, SeenQty numeric,
                                    NewType integer, NewBomType integer, NewBomID varchar, NewAdjQty numeric, NewQty numeric,
                                    NewRestQty numeric, NewHints varchar, AdjOldType integer, AdjOldBomID varchar,
                                    AdjOldQty numeric, AdjPending integer) returns void
language plpgsql as $$
declare
  sup record;
begin
  select s.SupBillType, s.SupBomID, s.SupQty, s.SupDestQty, s.SupBillNo, s.SupItmID, s.SupItmProps, s.SupGroupType, s.SupGroupNo
    into sup
    from KX_MRP_Supplies as s
   where s.SupSchIID = $1 and s.SupIID = $2
     for update;
  if not found then
    raise exception '供应计划(%)不存在, 可能已被重新运算MRP替换!', $2 using detail = 'errnum=65301';
  end if;
  if sup.SupBillType <> $3 or coalesce(sup.SupBomID, '') <> coalesce($4, '') or abs(sup.SupQty - $5) > 0.000001 then
    raise exception '供应计划[%]已被其他用户修改!', sup.SupBillNo using detail = 'errnum=65302';
  end if;
  if coalesce(sup.SupDestQty, 0) > 0 then
    raise exception '供应计划[%]已有投放数量, 不能调整!', sup.SupBillNo using detail = 'errnum=65303';
  end if;

  insert into KX_MRP_SupAdjusts (AdjSchIID, AdjSupIID, AdjOldType, AdjOldBomID, AdjOldQty, AdjPending)
  values ($1, $2, $13, nullif($14, ''), $15, $16)
  on conflict (AdjSchIID, AdjSupIID) do update set AdjPending = excluded.AdjPending;

  update KX_MRP_Balance as b
     set BalEndQty = coalesce(b.BalEndQty, 0) - sup.SupQty + $10,
         BalQty = coalesce(b.BalQty, 0) - (case when sup.SupBillType in (58, 52, 42) then sup.SupQty else 0 end)
                                        + (case when $6 in (58, 52, 42) then $10 else 0 end),
         BalPPOQty = coalesce(b.BalPPOQty, 0) - (case when sup.SupBillType = 58 then sup.SupQty else 0 end)
                                              + (case when $6 = 58 then $10 else 0 end),
         BalPOOQty = coalesce(b.BalPOOQty, 0) - (case when sup.SupBillType = 52 then sup.SupQty else 0 end)
                                              + (case when $6 = 52 then $10 else 0 end),
         BalPMOQty = coalesce(b.BalPMOQty, 0) - (case when sup.SupBillType = 42 then sup.SupQty else 0 end)
                                              + (case when $6 = 42 then $10 else 0 end),
         BalXQty = coalesce(b.BalXQty, 0) - (case when sup.SupBillType in (54, 44) then sup.SupQty else 0 end)
                                          + (case when $6 in (54, 44) then $10 else 0 end)
   where b.BalSchIID = $1 and b.BalGroupType = sup.SupGroupType and b.BalGroupNo = sup.SupGroupNo
     and b.BalItmID = sup.SupItmID and b.BalItmProps = sup.SupItmProps;
  if not found then
    raise exception '供需平衡表中没有供应计划[%]的物料记录, 不能调整!', sup.SupBillNo using detail = 'errnum=65304';
  end if;

  update KX_MRP_Supplies as s
     set SupBillType = $6, SupBomType = $7, SupBomID = nullif($8, ''), SupAdjQty = $9, SupQty = $10, SupRestQty = $11,
         SupHints = $12
   where s.SupSchIID = $1 and s.SupIID = $2;
end
$$;
