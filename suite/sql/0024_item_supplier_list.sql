-- KX_MRP_GetItemSupplierList: the suppliers that may supply an item by the price list or the supply sources (supplier picker of the output view).

-- select * from KX_MRP_GetItemSupplierList(ItmID => 'A', SuppKind => 1, ListType => 1)
-- SuppKind: 1 purchase, 2 outsourcing. ListType: 1 "价格资料", suppliers with a price of that kind
-- valid today in KX_Base_SuppPrice; 2 "供货资料", suppliers listed for the item in KX_Base_SuppItems.
-- Rows SuppID, SuppNo, SuppName of enabled suppliers of the kind (SuppPO / SuppOO), each once, in
-- priority order for supply sources and by supplier number for prices. The picker restricts its
-- own statement with "SuppID in (select SuppID from KX_MRP_GetItemSupplierList(...))".
create function KX_MRP_GetItemSupplierList(ItmID varchar, SuppKind integer default 1, ListType integer default 1)
returns table (SuppID varchar(50), SuppNo varchar(80), SuppName varchar(200))
language sql stable as $$
  select s.SuppID, s.SuppNo::varchar(80), s.SuppName::varchar(200)
    from KX_Base_Supplier as s
    join (select p.SprSuppID as SuppID, min(0) as Priority
            from KX_Base_SuppPrice as p
           where $3 = 1 and p.SprItmID = $1 and p.SprKind = $2 and p.SprDisabled = 0
             and KX_MRP_ValidAt(p.SprBeginDate, p.SprEndDate, localtimestamp)
           group by p.SprSuppID
          union all
          select i.SpiSuppID, min(i.SpiPriority)
            from KX_Base_SuppItems as i
           where $3 = 2 and i.SpiItmID = $1 and i.SpiKind = $2 and i.SpiDisabled = 0
           group by i.SpiSuppID) as c on c.SuppID = s.SuppID
   where s.SuppDisabled = 0 and (case $2 when 2 then s.SuppOO else s.SuppPO end) = 1
   order by c.Priority, s.SuppNo
$$;
