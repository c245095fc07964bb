-- BOM numbers of the rows of a plan scheme: of main-demand lines, demands and supplies (applied after the module's own tables exist).

-- Each view gives, for a plan row that names a BOM, that BOM's number and yield. Callers join them
-- with a left join on the scheme and row identity ("KX_MRP_BOMsOfSupply as b on b.SupSchIID=s.SupSchIID
-- and b.SupIID=s.SupIID"); rows without a BOM, or whose BOM was deleted since, have no row here.
-- BomID alone identifies a BOM; the row's BOM type is passed through for the callers that show it.

create view KX_MRP_BOMsOfMain as
select m.ManSchIID, m.ManIID, m.ManBomType as BomType, b.BomID, b.BomNo, b.BomOkRate, b.BomVersion
  from KX_MRP_Main as m
  join KX_Bom_Head as b on b.BomID = m.ManBomID;

create view KX_MRP_BOMsOfDemand as
select d.DmdSchIID, d.DmdIID, d.DmdBomType as BomType, b.BomID, b.BomNo, b.BomOkRate, b.BomVersion
  from KX_MRP_Demands as d
  join KX_Bom_Head as b on b.BomID = d.DmdBomID;

create view KX_MRP_BOMsOfSupply as
select s.SupSchIID, s.SupIID, s.SupBomType as BomType, b.BomID, b.BomNo, b.BomOkRate, b.BomVersion
  from KX_MRP_Supplies as s
  join KX_Bom_Head as b on b.BomID = s.SupBomID;
