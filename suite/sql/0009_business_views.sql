-- Business views the MRP module reads: one row per bill line with its head, open quantities and the MRP switch; BOM lists per product.
--
-- Column habits of the bill views (the module's object definitions and statements name them):
-- * the head's and the line's columns under the table names, plus Checked (the head is checked),
--   Checker and Creater (user names, the IDs stay in <P>Checker and <P>Creater), CheckDate, Closed
--   (the line is closed) and CanMRP: 1 when the line may take part in planning, that is the bill is
--   checked, the line is neither closed nor switched off for MRP (<P>Mrp). Unchecked bills are drafts
--   and never planned.
-- * <P>BillQty is the line's base quantity; <P>Qty the open base quantity still to be delivered,
--   produced, received or released (bill quantity less the executed counters; it can be negative after
--   over-execution, readers test "> 0"); <P>OkQty the executed base quantity.
-- * <P>BomNo is the number of the BOM chosen on the line.
-- The views join only suite tables; the module adds its own rows (deduction extensions as "x", item
-- planning settings as "mt") in its object definitions.

-- Forecast bills (heads); the earliest bill date of an originating forecast is read from here.
create view KX_MRP_ForcastHead as
select h.ForID, h.ForNo, h.ForDate,
       h.ForDeptID, h.ForEmpID,
       h.ForRemark,
       h.ForChecked as Checked, h.ForChecker, uk.UsrName as Checker, h.ForCheckDate as CheckDate,
       h.ForCreater, uc.UsrName as Creater, h.ForNewTime
  from KX_Bill_ForHead as h
  left join KX_SYS_Users as uk on uk.UsrID = h.ForChecker
  left join KX_SYS_Users as uc on uc.UsrID = h.ForCreater;

-- Forecast lines. ForQty is the forecast still open after the orders created from it (ForOkQty);
-- forecast deduction subtracts its own deducted quantities from it.
create view KX_MRP_Forcast as
select h.ForID, h.ForNo, h.ForDate,
       h.ForDeptID, h.ForEmpID,
       h.ForRemark,
       h.ForChecked as Checked, h.ForChecker, uk.UsrName as Checker, h.ForCheckDate as CheckDate,
       h.ForCreater, uc.UsrName as Creater, h.ForNewTime,
       l.ForEntry, l.ForItmID,
       l.ForItmProps,
       l.ForItmProp1, l.ForItmProp2, l.ForItmProp3, l.ForItmProp4, l.ForItmProp5,
       l.ForItmProp6, l.ForItmProp7, l.ForItmProp8, l.ForItmProp9, l.ForItmProp10,
       l.ForCustID, l.ForUntID, l.ForUBillQty, l.ForBillQty, l.ForDelivDate,
       l.ForOkQty, l.ForBillQty - l.ForOkQty as ForQty,
       l.ForBomType, l.ForBomID, b.BomNo as ForBomNo,
       l.ForOrigTag, l.ForOrigSubTag, l.ForGroupType, l.ForGroupNo,
       l.ForNote, l.ForMrp, l.ForCloser, l.ForCloseDate,
       l.ForClosed as Closed,
       case when h.ForChecked = 1 and l.ForClosed = 0 and l.ForMrp = 1 then 1 else 0 end as CanMRP
  from KX_Bill_ForHead as h
  join KX_Bill_ForLine as l on l.ForID = h.ForID
  left join KX_Bom_Head as b on b.BomID = l.ForBomID
  left join KX_SYS_Users as uk on uk.UsrID = h.ForChecker
  left join KX_SYS_Users as uc on uc.UsrID = h.ForCreater;

-- Sales order heads.
create view KX_MRP_SOHead as
select h.SOID, h.SONo, h.SODate,
       h.SOCustID, h.SOCustPO, h.SODeptID, h.SOEmpID, h.SOCurID, h.SOExchRate,
       h.SORemark,
       h.SOChecked as Checked, h.SOChecker, uk.UsrName as Checker, h.SOCheckDate as CheckDate,
       h.SOCreater, uc.UsrName as Creater, h.SONewTime
  from KX_Bill_SOHead as h
  left join KX_SYS_Users as uk on uk.UsrID = h.SOChecker
  left join KX_SYS_Users as uc on uc.UsrID = h.SOCreater;

-- Sales order lines. SOQty, the undelivered quantity, is what main demand plans; SOBillQty is what
-- forecast deduction consumes.
create view KX_MRP_SO as
select h.SOID, h.SONo, h.SODate,
       h.SOCustID, h.SOCustPO, h.SODeptID, h.SOEmpID, h.SOCurID, h.SOExchRate,
       h.SORemark,
       h.SOChecked as Checked, h.SOChecker, uk.UsrName as Checker, h.SOCheckDate as CheckDate,
       h.SOCreater, uc.UsrName as Creater, h.SONewTime,
       l.SOEntry, l.SOItmID,
       l.SOItmProps,
       l.SOItmProp1, l.SOItmProp2, l.SOItmProp3, l.SOItmProp4, l.SOItmProp5,
       l.SOItmProp6, l.SOItmProp7, l.SOItmProp8, l.SOItmProp9, l.SOItmProp10,
       l.SOUntID, l.SOUBillQty, l.SOBillQty, l.SOPrice, l.SOAmount, l.SODelivDate,
       l.SOOkQty, l.SOBillQty - l.SOOkQty as SOQty,
       l.SOForcastID, l.SOForcastEntry,
       l.SOBomType, l.SOBomID, b.BomNo as SOBomNo,
       l.SOOrigTag, l.SOOrigSubTag, l.SOGroupType, l.SOGroupNo,
       l.SONote, l.SOMrp, l.SOCloser, l.SOCloseDate,
       l.SOClosed as Closed,
       case when h.SOChecked = 1 and l.SOClosed = 0 and l.SOMrp = 1 then 1 else 0 end as CanMRP
  from KX_Bill_SOHead as h
  join KX_Bill_SOLine as l on l.SOID = h.SOID
  left join KX_Bom_Head as b on b.BomID = l.SOBomID
  left join KX_SYS_Users as uk on uk.UsrID = h.SOChecker
  left join KX_SYS_Users as uc on uc.UsrID = h.SOCreater;

-- Export order heads.
create view KX_MRP_SIHead as
select h.SIID, h.SINo, h.SIDate,
       h.SICustID, h.SICustPO, h.SIDeptID, h.SIEmpID, h.SICurID, h.SIExchRate,
       h.SIContractNo, h.SITradeTerm, h.SIShipPort, h.SIDestPort,
       h.SIRemark,
       h.SIChecked as Checked, h.SIChecker, uk.UsrName as Checker, h.SICheckDate as CheckDate,
       h.SICreater, uc.UsrName as Creater, h.SINewTime
  from KX_Bill_SIHead as h
  left join KX_SYS_Users as uk on uk.UsrID = h.SIChecker
  left join KX_SYS_Users as uc on uc.UsrID = h.SICreater;

-- Export order lines, as the sales order lines.
create view KX_MRP_SI as
select h.SIID, h.SINo, h.SIDate,
       h.SICustID, h.SICustPO, h.SIDeptID, h.SIEmpID, h.SICurID, h.SIExchRate,
       h.SIContractNo, h.SITradeTerm, h.SIShipPort, h.SIDestPort,
       h.SIRemark,
       h.SIChecked as Checked, h.SIChecker, uk.UsrName as Checker, h.SICheckDate as CheckDate,
       h.SICreater, uc.UsrName as Creater, h.SINewTime,
       l.SIEntry, l.SIItmID,
       l.SIItmProps,
       l.SIItmProp1, l.SIItmProp2, l.SIItmProp3, l.SIItmProp4, l.SIItmProp5,
       l.SIItmProp6, l.SIItmProp7, l.SIItmProp8, l.SIItmProp9, l.SIItmProp10,
       l.SIUntID, l.SIUBillQty, l.SIBillQty, l.SIPrice, l.SIAmount, l.SIDelivDate, l.SIShipDate,
       l.SIOkQty, l.SIBillQty - l.SIOkQty as SIQty,
       l.SIForcastID, l.SIForcastEntry,
       l.SIBomType, l.SIBomID, b.BomNo as SIBomNo,
       l.SIOrigTag, l.SIOrigSubTag, l.SIGroupType, l.SIGroupNo,
       l.SINote, l.SIMrp, l.SICloser, l.SICloseDate,
       l.SIClosed as Closed,
       case when h.SIChecked = 1 and l.SIClosed = 0 and l.SIMrp = 1 then 1 else 0 end as CanMRP
  from KX_Bill_SIHead as h
  join KX_Bill_SILine as l on l.SIID = h.SIID
  left join KX_Bom_Head as b on b.BomID = l.SIBomID
  left join KX_SYS_Users as uk on uk.UsrID = h.SIChecker
  left join KX_SYS_Users as uc on uc.UsrID = h.SICreater;

-- Production order lines. MOQty is the quantity not yet stocked in, MOChkQty the part reported
-- finished and waiting for inspection. MODeptID is the producing workshop.
create view KX_MRP_MO as
select h.MOID, h.MONo, h.MODate,
       h.MOBillDeptID, h.MOEmpID,
       h.MORemark,
       h.MOChecked as Checked, h.MOChecker, uk.UsrName as Checker, h.MOCheckDate as CheckDate,
       h.MOCreater, uc.UsrName as Creater, h.MONewTime,
       l.MOEntry, l.MOItmID,
       l.MOItmProps,
       l.MOItmProp1, l.MOItmProp2, l.MOItmProp3, l.MOItmProp4, l.MOItmProp5,
       l.MOItmProp6, l.MOItmProp7, l.MOItmProp8, l.MOItmProp9, l.MOItmProp10,
       l.MODeptID, l.MOStkID, l.MOUntID, l.MOUBillQty, l.MOBillQty, l.MODrawDate, l.MODelivDate,
       l.MOInQty, l.MOInQty as MOOkQty, l.MOChkQty, l.MOBillQty - l.MOInQty as MOQty,
       l.MOBomType, l.MOBomID, b.BomNo as MOBomNo,
       l.MOOrigType, l.MOOrigID, l.MOOrigNo, l.MOOrigEntry, l.MOOrigItmID,
       l.MOOrigCustID, l.MOOrigCustPO, l.MOOrigTag, l.MOOrigSubTag, l.MOGroupType, l.MOGroupNo,
       l.MONote, l.MOMrp, l.MOCloser, l.MOCloseDate,
       l.MOClosed as Closed,
       case when h.MOChecked = 1 and l.MOClosed = 0 and l.MOMrp = 1 then 1 else 0 end as CanMRP
  from KX_Bill_MOHead as h
  join KX_Bill_MOLine as l on l.MOID = h.MOID
  left join KX_Bom_Head as b on b.BomID = l.MOBomID
  left join KX_SYS_Users as uk on uk.UsrID = h.MOChecker
  left join KX_SYS_Users as uc on uc.UsrID = h.MOCreater;

-- Component lines of production orders with their order line. BomID/BomEntry name the component line
-- (BomID is the order's ID, BomEntry the component line number, unique within the order), so a
-- component demand keyed by them leads back to MOID/MOEntry. BomQty is the quantity not yet issued,
-- BomOkQty the quantity issued; BomItmBom... is the component's own BOM.
create view KX_MRP_MOBOM as
select h.MOID, h.MONo, h.MODate,
       h.MOBillDeptID, h.MOEmpID,
       h.MORemark,
       h.MOChecked as Checked, h.MOChecker, uk.UsrName as Checker, h.MOCheckDate as CheckDate,
       h.MOCreater, uc.UsrName as Creater, h.MONewTime,
       l.MOEntry, l.MOItmID, l.MOItmProps,
       l.MODeptID,
       l.MOBillQty, l.MOBillQty - l.MOInQty as MOQty, l.MODrawDate, l.MODelivDate, l.MOBomType, l.MOBomID,
       l.MOOrigType, l.MOOrigID, l.MOOrigNo, l.MOOrigEntry, l.MOOrigItmID,
       l.MOOrigCustID, l.MOOrigCustPO, l.MOOrigTag, l.MOOrigSubTag, l.MOGroupType, l.MOGroupNo,
       l.MONote,
       c.MOID as BomID, c.MobEntry as BomEntry, c.MobItmID as BomItmID,
       c.MobItmProps as BomItmProps,
       c.MobItmProp1 as BomItmProp1, c.MobItmProp2 as BomItmProp2, c.MobItmProp3 as BomItmProp3,
       c.MobItmProp4 as BomItmProp4, c.MobItmProp5 as BomItmProp5, c.MobItmProp6 as BomItmProp6,
       c.MobItmProp7 as BomItmProp7, c.MobItmProp8 as BomItmProp8, c.MobItmProp9 as BomItmProp9,
       c.MobItmProp10 as BomItmProp10,
       c.MobRole as BomRole, c.MobUntID as BomUntID, c.MobUBillQty as BomUBillQty, c.MobBillQty as BomBillQty,
       c.MobOkQty as BomOkQty, c.MobBillQty - c.MobOkQty as BomQty, c.MobUnitQty as BomUnitQty,
       c.MobFixed as BomFixed, c.MobLossRate as BomLossRate, c.MobDrawDate as BomDrawDate, c.MobStkID as BomStkID,
       c.MobBomType as BomItmBomType, c.MobBomID as BomItmBomID, cb.BomNo as BomItmBomNo, c.MobBomSkip as BomItmBomSkip,
       c.MobRowHook as BomRowHook, c.MobSubOf as BomSubOf, c.MobSubRate as BomSubRate, c.MobMrp as BomMrp, c.MobNote as BomNote,
       case when l.MOClosed = 1 or c.MobClosed = 1 then 1 else 0 end as Closed,
       case when h.MOChecked = 1 and l.MOClosed = 0 and l.MOMrp = 1 and c.MobClosed = 0 and c.MobMrp = 1 then 1 else 0 end as CanMRP
  from KX_Bill_MOHead as h
  join KX_Bill_MOLine as l on l.MOID = h.MOID
  join KX_Bill_MOBom as c on c.MOID = l.MOID and c.MOEntry = l.MOEntry
  left join KX_Bom_Head as cb on cb.BomID = c.MobBomID
  left join KX_SYS_Users as uk on uk.UsrID = h.MOChecker
  left join KX_SYS_Users as uc on uc.UsrID = h.MOCreater;

-- Scrap replacement lines of production orders with their order line and replaced component line.
-- MspQty is the quantity not yet issued.
create view KX_MRP_MOScrap as
select h.MOID, h.MONo, h.MODate,
       h.MOBillDeptID, h.MOEmpID,
       h.MORemark,
       h.MOChecked as Checked, h.MOChecker, uk.UsrName as Checker, h.MOCheckDate as CheckDate,
       h.MOCreater, uc.UsrName as Creater, h.MONewTime,
       l.MOEntry, l.MOItmID, l.MOItmProps, l.MODeptID, l.MOBillQty, l.MODrawDate, l.MODelivDate,
       l.MOOrigType, l.MOOrigID, l.MOOrigNo, l.MOOrigEntry, l.MOOrigItmID,
       l.MOOrigCustID, l.MOOrigCustPO, l.MOOrigTag, l.MOOrigSubTag, l.MOGroupType, l.MOGroupNo,
       l.MONote,
       s.MobEntry as BomEntry, c.MobItmID as BomItmID, c.MobNote as BomNote,
       s.MspEntry, s.MspItmID,
       s.MspItmProps,
       s.MspItmProp1, s.MspItmProp2, s.MspItmProp3, s.MspItmProp4, s.MspItmProp5,
       s.MspItmProp6, s.MspItmProp7, s.MspItmProp8, s.MspItmProp9, s.MspItmProp10,
       s.MspUntID, s.MspUBillQty, s.MspBillQty, s.MspOkQty, s.MspBillQty - s.MspOkQty as MspQty,
       s.MspDrawDate, s.MspDate, s.MspEmpID, s.MspReason, s.MspNote, s.MspMrp,
       case when l.MOClosed = 1 or s.MspClosed = 1 then 1 else 0 end as Closed,
       case when h.MOChecked = 1 and l.MOClosed = 0 and l.MOMrp = 1 and s.MspClosed = 0 and s.MspMrp = 1 then 1 else 0 end as CanMRP
  from KX_Bill_MOHead as h
  join KX_Bill_MOLine as l on l.MOID = h.MOID
  join KX_Bill_MOScrap as s on s.MOID = l.MOID and s.MOEntry = l.MOEntry
  left join KX_Bill_MOBom as c on c.MOID = s.MOID and c.MobEntry = s.MobEntry
  left join KX_SYS_Users as uk on uk.UsrID = h.MOChecker
  left join KX_SYS_Users as uc on uc.UsrID = h.MOCreater;

-- Outsourcing order lines. OOQty is the quantity not yet stocked in, OOChkQty the part received
-- and waiting for inspection.
create view KX_MRP_OO as
select h.OOID, h.OONo, h.OODate,
       h.OOSuppID, h.OODeptID, h.OOEmpID, h.OOCurID, h.OOExchRate,
       h.OORemark,
       h.OOChecked as Checked, h.OOChecker, uk.UsrName as Checker, h.OOCheckDate as CheckDate,
       h.OOCreater, uc.UsrName as Creater, h.OONewTime,
       l.OOEntry, l.OOItmID,
       l.OOItmProps,
       l.OOItmProp1, l.OOItmProp2, l.OOItmProp3, l.OOItmProp4, l.OOItmProp5,
       l.OOItmProp6, l.OOItmProp7, l.OOItmProp8, l.OOItmProp9, l.OOItmProp10,
       l.OOStkID, l.OOUntID, l.OOUBillQty, l.OOBillQty, l.OOPrice, l.OOAmount, l.OODrawDate, l.OODelivDate,
       l.OOInQty, l.OOInQty as OOOkQty, l.OOChkQty, l.OOBillQty - l.OOInQty as OOQty,
       l.OOBomType, l.OOBomID, b.BomNo as OOBomNo,
       l.OOOrigType, l.OOOrigID, l.OOOrigNo, l.OOOrigEntry, l.OOOrigItmID,
       l.OOOrigCustID, l.OOOrigCustPO, l.OOOrigTag, l.OOOrigSubTag, l.OOGroupType, l.OOGroupNo,
       l.OONote, l.OOMrp, l.OOCloser, l.OOCloseDate,
       l.OOClosed as Closed,
       case when h.OOChecked = 1 and l.OOClosed = 0 and l.OOMrp = 1 then 1 else 0 end as CanMRP
  from KX_Bill_OOHead as h
  join KX_Bill_OOLine as l on l.OOID = h.OOID
  left join KX_Bom_Head as b on b.BomID = l.OOBomID
  left join KX_SYS_Users as uk on uk.UsrID = h.OOChecker
  left join KX_SYS_Users as uc on uc.UsrID = h.OOCreater;

-- Component lines of outsourcing orders with their order line, keyed like KX_MRP_MOBOM.
create view KX_MRP_OOBOM as
select h.OOID, h.OONo, h.OODate,
       h.OOSuppID, h.OODeptID, h.OOEmpID, h.OOCurID, h.OOExchRate,
       h.OORemark,
       h.OOChecked as Checked, h.OOChecker, uk.UsrName as Checker, h.OOCheckDate as CheckDate,
       h.OOCreater, uc.UsrName as Creater, h.OONewTime,
       l.OOEntry, l.OOItmID, l.OOItmProps,
       l.OOBillQty, l.OOBillQty - l.OOInQty as OOQty, l.OODrawDate, l.OODelivDate, l.OOBomType, l.OOBomID,
       l.OOOrigType, l.OOOrigID, l.OOOrigNo, l.OOOrigEntry, l.OOOrigItmID,
       l.OOOrigCustID, l.OOOrigCustPO, l.OOOrigTag, l.OOOrigSubTag, l.OOGroupType, l.OOGroupNo,
       l.OONote,
       c.OOID as BomID, c.OobEntry as BomEntry, c.OobItmID as BomItmID,
       c.OobItmProps as BomItmProps,
       c.OobItmProp1 as BomItmProp1, c.OobItmProp2 as BomItmProp2, c.OobItmProp3 as BomItmProp3,
       c.OobItmProp4 as BomItmProp4, c.OobItmProp5 as BomItmProp5, c.OobItmProp6 as BomItmProp6,
       c.OobItmProp7 as BomItmProp7, c.OobItmProp8 as BomItmProp8, c.OobItmProp9 as BomItmProp9,
       c.OobItmProp10 as BomItmProp10,
       c.OobRole as BomRole, c.OobUntID as BomUntID, c.OobUBillQty as BomUBillQty, c.OobBillQty as BomBillQty,
       c.OobOkQty as BomOkQty, c.OobBillQty - c.OobOkQty as BomQty, c.OobUnitQty as BomUnitQty,
       c.OobFixed as BomFixed, c.OobLossRate as BomLossRate, c.OobDrawDate as BomDrawDate, c.OobStkID as BomStkID,
       c.OobBomType as BomItmBomType, c.OobBomID as BomItmBomID, cb.BomNo as BomItmBomNo, c.OobBomSkip as BomItmBomSkip,
       c.OobRowHook as BomRowHook, c.OobSubOf as BomSubOf, c.OobSubRate as BomSubRate, c.OobMrp as BomMrp, c.OobNote as BomNote,
       case when l.OOClosed = 1 or c.OobClosed = 1 then 1 else 0 end as Closed,
       case when h.OOChecked = 1 and l.OOClosed = 0 and l.OOMrp = 1 and c.OobClosed = 0 and c.OobMrp = 1 then 1 else 0 end as CanMRP
  from KX_Bill_OOHead as h
  join KX_Bill_OOLine as l on l.OOID = h.OOID
  join KX_Bill_OOBom as c on c.OOID = l.OOID and c.OOEntry = l.OOEntry
  left join KX_Bom_Head as cb on cb.BomID = c.OobBomID
  left join KX_SYS_Users as uk on uk.UsrID = h.OOChecker
  left join KX_SYS_Users as uc on uc.UsrID = h.OOCreater;

-- Purchase requisition lines. PRQty is the quantity not yet ordered.
create view KX_MRP_PR as
select h.PRID, h.PRNo, h.PRDate,
       h.PRDeptID, h.PREmpID, h.PRCurID,
       h.PRRemark,
       h.PRChecked as Checked, h.PRChecker, uk.UsrName as Checker, h.PRCheckDate as CheckDate,
       h.PRCreater, uc.UsrName as Creater, h.PRNewTime,
       l.PREntry, l.PRItmID,
       l.PRItmProps,
       l.PRItmProp1, l.PRItmProp2, l.PRItmProp3, l.PRItmProp4, l.PRItmProp5,
       l.PRItmProp6, l.PRItmProp7, l.PRItmProp8, l.PRItmProp9, l.PRItmProp10,
       l.PRSuppID, l.PRBuyerID, l.PRUntID, l.PRUBillQty, l.PRBillQty, l.PRPrice, l.PRDelivDate,
       l.PROkQty, l.PRBillQty - l.PROkQty as PRQty,
       l.PROrigType, l.PROrigID, l.PROrigNo, l.PROrigEntry, l.PROrigItmID,
       l.PROrigCustID, l.PROrigCustPO, l.PROrigTag, l.PROrigSubTag, l.PRGroupType, l.PRGroupNo,
       l.PRNote, l.PRMrp, l.PRCloser, l.PRCloseDate,
       l.PRClosed as Closed,
       case when h.PRChecked = 1 and l.PRClosed = 0 and l.PRMrp = 1 then 1 else 0 end as CanMRP
  from KX_Bill_PRHead as h
  join KX_Bill_PRLine as l on l.PRID = h.PRID
  left join KX_SYS_Users as uk on uk.UsrID = h.PRChecker
  left join KX_SYS_Users as uc on uc.UsrID = h.PRCreater;

-- Purchase order lines. POQty is the quantity that has not arrived yet. What has arrived and waits
-- for inspection is supply of the goods-in-inspection lines (KX_MRP_PI), so POChkQty, the order's own
-- in-inspection quantity, is always 0 here.
create view KX_MRP_PO as
select h.POID, h.PONo, h.PODate,
       h.POSuppID, h.PODeptID, h.POEmpID, h.POCurID, h.POExchRate,
       h.PORemark,
       h.POChecked as Checked, h.POChecker, uk.UsrName as Checker, h.POCheckDate as CheckDate,
       h.POCreater, uc.UsrName as Creater, h.PONewTime,
       l.POEntry, l.POItmID,
       l.POItmProps,
       l.POItmProp1, l.POItmProp2, l.POItmProp3, l.POItmProp4, l.POItmProp5,
       l.POItmProp6, l.POItmProp7, l.POItmProp8, l.POItmProp9, l.POItmProp10,
       l.POStkID, l.POUntID, l.POUBillQty, l.POBillQty, l.POPrice, l.POAmount, l.PODelivDate,
       l.PORecvQty, l.POInQty, l.POInQty as POOkQty, l.POBillQty - l.PORecvQty as POQty,
       cast(0 as numeric(28,8)) as POChkQty,
       l.POPRID, l.POPREntry,
       l.POOrigType, l.POOrigID, l.POOrigNo, l.POOrigEntry, l.POOrigItmID,
       l.POOrigCustID, l.POOrigCustPO, l.POOrigTag, l.POOrigSubTag, l.POGroupType, l.POGroupNo,
       l.PONote, l.POMrp, l.POCloser, l.POCloseDate,
       l.POClosed as Closed,
       case when h.POChecked = 1 and l.POClosed = 0 and l.POMrp = 1 then 1 else 0 end as CanMRP
  from KX_Bill_POHead as h
  join KX_Bill_POLine as l on l.POID = h.POID
  left join KX_SYS_Users as uk on uk.UsrID = h.POChecker
  left join KX_SYS_Users as uc on uc.UsrID = h.POCreater;

-- Purchase goods in inspection. PIQty, neither stocked in nor rejected, is all in inspection, hence
-- PIChkQty = PIQty.
create view KX_MRP_PI as
select h.PIID, h.PINo, h.PIDate,
       h.PISuppID, h.PIDeptID, h.PIEmpID, h.PICurID, h.PIExchRate,
       h.PIRemark,
       h.PIChecked as Checked, h.PIChecker, uk.UsrName as Checker, h.PICheckDate as CheckDate,
       h.PICreater, uc.UsrName as Creater, h.PINewTime,
       l.PIEntry, l.PIItmID,
       l.PIItmProps,
       l.PIItmProp1, l.PIItmProp2, l.PIItmProp3, l.PIItmProp4, l.PIItmProp5,
       l.PIItmProp6, l.PIItmProp7, l.PIItmProp8, l.PIItmProp9, l.PIItmProp10,
       l.PIStkID, l.PIBatch, l.PIUntID, l.PIUBillQty, l.PIBillQty, l.PIPrice, l.PIAmount, l.PIDelivDate,
       l.PIInQty, l.PIRetQty, l.PIInQty as PIOkQty, l.PIBillQty - l.PIInQty - l.PIRetQty as PIQty,
       l.PIBillQty - l.PIInQty - l.PIRetQty as PIChkQty,
       l.PIPOID, l.PIPOEntry,
       l.PIOrigType, l.PIOrigID, l.PIOrigNo, l.PIOrigEntry, l.PIOrigItmID,
       l.PIOrigCustID, l.PIOrigCustPO, l.PIOrigTag, l.PIOrigSubTag, l.PIGroupType, l.PIGroupNo,
       l.PINote, l.PIMrp, l.PICloser, l.PICloseDate,
       l.PIClosed as Closed,
       case when h.PIChecked = 1 and l.PIClosed = 0 and l.PIMrp = 1 then 1 else 0 end as CanMRP
  from KX_Bill_PIHead as h
  join KX_Bill_PILine as l on l.PIID = h.PIID
  left join KX_SYS_Users as uk on uk.UsrID = h.PIChecker
  left join KX_SYS_Users as uc on uc.UsrID = h.PICreater;

-- Production requisition lines. MRQty is the quantity not yet released into production orders.
create view KX_MRP_MR as
select h.MRID, h.MRNo, h.MRDate,
       h.MRBillDeptID, h.MREmpID,
       h.MRRemark,
       h.MRChecked as Checked, h.MRChecker, uk.UsrName as Checker, h.MRCheckDate as CheckDate,
       h.MRCreater, uc.UsrName as Creater, h.MRNewTime,
       l.MREntry, l.MRItmID,
       l.MRItmProps,
       l.MRItmProp1, l.MRItmProp2, l.MRItmProp3, l.MRItmProp4, l.MRItmProp5,
       l.MRItmProp6, l.MRItmProp7, l.MRItmProp8, l.MRItmProp9, l.MRItmProp10,
       l.MRDeptID, l.MRUntID, l.MRUBillQty, l.MRBillQty, l.MRDrawDate, l.MRDelivDate,
       l.MROkQty, l.MRBillQty - l.MROkQty as MRQty,
       l.MRBomType, l.MRBomID, b.BomNo as MRBomNo,
       l.MROrigType, l.MROrigID, l.MROrigNo, l.MROrigEntry, l.MROrigItmID,
       l.MROrigCustID, l.MROrigCustPO, l.MROrigTag, l.MROrigSubTag, l.MRGroupType, l.MRGroupNo,
       l.MRNote, l.MRMrp, l.MRCloser, l.MRCloseDate,
       l.MRClosed as Closed,
       case when h.MRChecked = 1 and l.MRClosed = 0 and l.MRMrp = 1 then 1 else 0 end as CanMRP
  from KX_Bill_MRHead as h
  join KX_Bill_MRLine as l on l.MRID = h.MRID
  left join KX_Bom_Head as b on b.BomID = l.MRBomID
  left join KX_SYS_Users as uk on uk.UsrID = h.MRChecker
  left join KX_SYS_Users as uc on uc.UsrID = h.MRCreater;

-- Outsourcing requisition lines. ORQty is the quantity not yet ordered.
create view KX_MRP_OR as
select h.ORID, h.ORNo, h.ORDate,
       h.ORDeptID, h.OREmpID, h.ORCurID,
       h.ORRemark,
       h.ORChecked as Checked, h.ORChecker, uk.UsrName as Checker, h.ORCheckDate as CheckDate,
       h.ORCreater, uc.UsrName as Creater, h.ORNewTime,
       l.OREntry, l.ORItmID,
       l.ORItmProps,
       l.ORItmProp1, l.ORItmProp2, l.ORItmProp3, l.ORItmProp4, l.ORItmProp5,
       l.ORItmProp6, l.ORItmProp7, l.ORItmProp8, l.ORItmProp9, l.ORItmProp10,
       l.ORSuppID, l.ORUntID, l.ORUBillQty, l.ORBillQty, l.ORPrice, l.ORDrawDate, l.ORDelivDate,
       l.OROkQty, l.ORBillQty - l.OROkQty as ORQty,
       l.ORBomType, l.ORBomID, b.BomNo as ORBomNo,
       l.OROrigType, l.OROrigID, l.OROrigNo, l.OROrigEntry, l.OROrigItmID,
       l.OROrigCustID, l.OROrigCustPO, l.OROrigTag, l.OROrigSubTag, l.ORGroupType, l.ORGroupNo,
       l.ORNote, l.ORMrp, l.ORCloser, l.ORCloseDate,
       l.ORClosed as Closed,
       case when h.ORChecked = 1 and l.ORClosed = 0 and l.ORMrp = 1 then 1 else 0 end as CanMRP
  from KX_Bill_ORHead as h
  join KX_Bill_ORLine as l on l.ORID = h.ORID
  left join KX_Bom_Head as b on b.BomID = l.ORBomID
  left join KX_SYS_Users as uk on uk.UsrID = h.ORChecker
  left join KX_SYS_Users as uc on uc.UsrID = h.ORCreater;

-- On-hand stock for planning. Stock of virtual warehouses does not count (CanMRP 0).
create view KX_MRP_Inventory as
select s.InvIID, s.InvItmID,
       s.InvItmProps,
       s.InvItmProp1, s.InvItmProp2, s.InvItmProp3, s.InvItmProp4, s.InvItmProp5,
       s.InvItmProp6, s.InvItmProp7, s.InvItmProp8, s.InvItmProp9, s.InvItmProp10,
       s.InvBatch, s.InvStkID, s.InvStpID, s.InvGroupType, s.InvGroupNo,
       s.InvOrigType, s.InvOrigID, s.InvOrigNo, s.InvOrigEntry, s.InvOrigItmID, s.InvOrigCustID,
       s.InvOrigCustPO, s.InvOrigTag, s.InvQty, s.InvInDate, s.InvOutDate,
       k.StkVirtual,
       case when k.StkVirtual = 0 then 1 else 0 end as CanMRP
  from KX_Stk_Inventory as s
  join KX_Base_Stock as k on k.StkID = s.InvStkID;

-- The BOMs of each product (BomItmID), disabled ones left out. Standard BOMs stand alone
-- (BomStandalone 1) and may be chosen for any order of the product; order BOMs belong to one order line.
create view KX_MRP_ItemBOMs as
select h.BomItmID, h.BomItmProps, h.BomType, h.BomID, h.BomNo, h.BomOkRate, h.BomIsDefault,
       h.BomChecked as Checked, h.BomDate, h.BomVersion, h.BomBeginDate, h.BomEndDate, h.BomUntID,
       case when h.BomType = 1 then 1 else 0 end as BomStandalone,
       h.BomOrigType, h.BomOrigID, h.BomOrigEntry, h.BomRemark
  from KX_Bom_Head as h
 where h.BomDisabled = 0;
