-- KX_MRP_GetItemSupplierDef: the default purchase and outsourcing supplier of items by lowest price or latest order, into tmp_KX_MRP_ItemSupplierDef (output view).

-- call KX_MRP_GetItemSupplierDef(Mode, WantPO, WantOO [, ItmID => 'A'])
-- Out: the caller's tmp_KX_MRP_ItemSupplierDef (ItmID varchar(50) primary key, POSuppID varchar(50),
--      OOSuppID varchar(50)) gets one row per item that has a source, replacing a row of the same item:
--      for every such item, or only for ItmID when it is given.
-- Mode 1 ("最低价格"): the supplier of the lowest price in KX_Base_SuppPrice (purchase prices SprKind 1
--      for POSuppID, outsourcing prices 2 for OOSuppID) valid today, compared per base unit in the home
--      currency (SprPrice / unit factor x exchange rate); ties go to the lower supplier number.
-- Mode 2 ("最近订单"): the supplier of the item's latest checked purchase order (KX_MRP_PO) or
--      outsourcing order (KX_MRP_OO) line, by bill date, then bill number.
-- Only enabled suppliers of the kind (SuppPO / SuppOO) count. WantPO 0 leaves POSuppID null, WantOO 0
-- leaves OOSuppID null (the output view asks only for the kinds it shows).
create procedure KX_MRP_GetItemSupplierDef(Mode integer, WantPO integer default 1, WantOO integer default 1,
                                           ItmID varchar default null)
language plpgsql as $$
declare
  one_item varchar := nullif(ItmID, '');
begin
  create temp table tmp_KX_MRP_SupplierSources on commit drop as
  select c.ItmID, c.Kind, c.SuppID
    from (select p.SprItmID as ItmID, p.SprKind as Kind, p.SprSuppID as SuppID,
                 row_number() over (partition by p.SprItmID, p.SprKind
                                    order by p.SprPrice / coalesce(u.UntFactor, 1) * coalesce(r.CurRate, 1), s.SuppNo) as Rank
            from KX_Base_SuppPrice as p
            join KX_Base_Supplier as s on s.SuppID = p.SprSuppID
            left join KX_Base_Unit as u on u.UntID = p.SprUntID
            left join KX_Base_Currency as r on r.CurID = p.SprCurID
           where Mode = 1 and p.SprDisabled = 0 and s.SuppDisabled = 0
             and (p.SprKind = 1 and s.SuppPO = 1 or p.SprKind = 2 and s.SuppOO = 1)
             and KX_MRP_ValidAt(p.SprBeginDate, p.SprEndDate, localtimestamp)
             and (one_item is null or p.SprItmID = one_item)
          union all
          select o.POItmID, 1, o.POSuppID,
                 row_number() over (partition by o.POItmID order by o.PODate desc, o.PONo desc, o.POEntry desc)
            from KX_MRP_PO as o
            join KX_Base_Supplier as s on s.SuppID = o.POSuppID and s.SuppDisabled = 0 and s.SuppPO = 1
           where Mode = 2 and o.Checked = 1 and (one_item is null or o.POItmID = one_item)
          union all
          select o.OOItmID, 2, o.OOSuppID,
                 row_number() over (partition by o.OOItmID order by o.OODate desc, o.OONo desc, o.OOEntry desc)
            from KX_MRP_OO as o
            join KX_Base_Supplier as s on s.SuppID = o.OOSuppID and s.SuppDisabled = 0 and s.SuppOO = 1
           where Mode = 2 and o.Checked = 1 and (one_item is null or o.OOItmID = one_item)) as c
   where c.Rank = 1 and (c.Kind = 1 and WantPO = 1 or c.Kind = 2 and WantOO = 1);

  delete from tmp_KX_MRP_ItemSupplierDef as d where d.ItmID in (select c.ItmID from tmp_KX_MRP_SupplierSources as c);
  insert into tmp_KX_MRP_ItemSupplierDef (ItmID, POSuppID, OOSuppID)
  select c.ItmID, max(case when c.Kind = 1 then c.SuppID end), max(case when c.Kind = 2 then c.SuppID end)
    from tmp_KX_MRP_SupplierSources as c
   group by c.ItmID;
  drop table tmp_KX_MRP_SupplierSources;
end
$$;
