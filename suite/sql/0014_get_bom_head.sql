-- KX_MRP_GetBOMHead: the heads of the BOMs named in tmp_KX_MRP_RefGetBOM into tmp_KX_MRP_BOMHead (root of the BOM expansion view).

-- call KX_MRP_GetBOMHead()
-- In:  tmp_KX_MRP_RefGetBOM (PrdID, BomType, BomID); a row without BomID stands for the product's
--      default standard BOM today.
-- Out: one row per BOM named into tmp_KX_MRP_BOMHead, which the caller creates as
--   create temp table tmp_KX_MRP_BOMHead (
--     BomType smallint, BomID varchar(50), BomNo varchar(80), BomItmID varchar(50), BomUntID varchar(50),
--     BomOkRate numeric(28,8), BomIsDefault smallint, BomChecked smallint, BomVersion varchar(20),
--     BomDate timestamp(3), BomBeginDate timestamp(3), BomEndDate timestamp(3), BomRemark varchar(500),
--     BomProps varchar(100), BomProp1 varchar(80), BomProp2 varchar(80), BomProp3 varchar(80),
--     BomProp4 varchar(80), BomProp5 varchar(80), BomProp6 varchar(80), BomProp7 varchar(80),
--     BomProp8 varchar(80), BomProp9 varchar(80), BomProp10 varchar(80))
-- BomItmID is the product, BomUntID the head unit of the lines' BomUBaseQty, BomOkRate the yield in
-- percent, BomProps/BomProp1..10 the product's property set the BOM serves ('' for every set).
create procedure KX_MRP_GetBOMHead()
language plpgsql as $$
begin
  insert into tmp_KX_MRP_BOMHead
    (BomType, BomID, BomNo, BomItmID, BomUntID, BomOkRate, BomIsDefault, BomChecked, BomVersion, BomDate,
     BomBeginDate, BomEndDate, BomRemark, BomProps, BomProp1, BomProp2, BomProp3, BomProp4, BomProp5,
     BomProp6, BomProp7, BomProp8, BomProp9, BomProp10)
  select h.BomType, h.BomID, h.BomNo, h.BomItmID, h.BomUntID, h.BomOkRate, h.BomIsDefault, h.BomChecked,
         h.BomVersion, h.BomDate, h.BomBeginDate, h.BomEndDate, h.BomRemark, h.BomItmProps,
         h.BomItmProp1, h.BomItmProp2, h.BomItmProp3, h.BomItmProp4, h.BomItmProp5,
         h.BomItmProp6, h.BomItmProp7, h.BomItmProp8, h.BomItmProp9, h.BomItmProp10
    from KX_Bom_Head as h
   where h.BomID in (select r.BomID from KX_MRP_RefGetBOMIDs() as r);
end
$$;
