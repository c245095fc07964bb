-- KX_MRP_GetBOMForItem: the BOMs a product may use at a date, for the BOM pickers and lookups of plan rows.

-- select * from KX_MRP_GetBOMForItem(ItemID => 'P1', ItemProps => '', DrawDate => '20240115'
--                                    [, OnlyDefault => 1] [, BomNo => 'BOM-P1'])
-- Rows of KX_MRP_ItemBOMs, default first (then checked, newest):
-- * without OnlyDefault and BomNo: the product's standard BOMs valid at the date that serve the
--   property set (its own BOMs and those for every set);
-- * OnlyDefault 1: only the BOM that KX_MRP_DefaultBOM chooses (no row when there is none);
-- * BomNo: the BOM of that number (any case) among the product's BOMs valid at the date, order BOMs
--   included, so that a number the user typed resolves or gives no row.
-- DrawDate null means today; ItemProps null looks at every property set.
create function KX_MRP_GetBOMForItem(ItemID varchar, ItemProps varchar default '', DrawDate timestamp default null,
                                     OnlyDefault integer default 0, BomNo varchar default null)
returns setof KX_MRP_ItemBOMs language sql stable as $$
  select b.*
    from KX_MRP_ItemBOMs as b
   where b.BomItmID = $1
     and ($2 is null or b.BomItmProps in ($2, ''))
     and KX_MRP_ValidAt(b.BomBeginDate, b.BomEndDate, coalesce($3, localtimestamp))
     and case when coalesce($5, '') <> '' then b.BomNo = $5::citext else b.BomStandalone = 1 end
     and (coalesce($4, 0) <> 1 or b.BomID = (select d.BomID from KX_MRP_DefaultBOM($1, $2, $3) as d))
   order by (b.BomItmProps = coalesce($2, '')) desc, b.BomIsDefault desc, b.Checked desc, b.BomDate desc, b.BomNo
$$;
