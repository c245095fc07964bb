-- Planning settings of items (one row per item, written by KX_MRP_UpdateItemSetting, read by the engine as "mt").

-- A missing row means "not set": readers join it with a left join and treat the missing values as
-- 0 or ''. A stored row always carries every value. References to employees, departments,
-- suppliers and the planning item are plain text: an empty text is an empty reference, so they carry
-- no foreign keys.
create table KX_MRP_ItemSetting (
  ItmID           varchar(50)   not null primary key references KX_Base_ItemMaster (ItmID) on delete cascade,
  -- 0 follows KX_Base_ItemMaster.ItmType; 1 purchased, 2 made in house, 3 outsourced.
  ItmMrpType      integer       not null default 0 check (ItmMrpType between 0 and 3),
  -- 1: not planned at all (no demand, not exploded as a component, never offered as a substitute).
  ItmMrpSkip      smallint      not null default 0 check (ItmMrpSkip in (0, 1)),
  ItmPlannerID    varchar(50)   not null default '',          -- KX_Base_Employee.EmpID
  ItmBuyerID      varchar(50)   not null default '',          -- KX_Base_Employee.EmpID
  -- Grouping of planned supplies (enumeration "MrpGroupMode").
  ItmMrpGroup     integer       not null default 0 check (ItmMrpGroup in (0, 1, 2, 3, 4, 5, 6, 9)),
  -- Tracking of demands and supplies in allocation (enumeration "MrpTrackType").
  ItmMrpTrack     integer       not null default 0 check (ItmMrpTrack in (0, 1, 2, 3, 4, 5, 9)),
  -- Lead times in days. ItmVarLeadTime days are added per ItmVarLeadLot units of the supply.
  ItmPreLeadTime  integer       not null default 0 check (ItmPreLeadTime >= 0),
  ItmFixLeadTime  integer       not null default 0 check (ItmFixLeadTime >= 0),
  ItmVarLeadTime  integer       not null default 0 check (ItmVarLeadTime >= 0),
  ItmVarLeadLot   numeric(28,8) not null default 0 check (ItmVarLeadLot >= 0),
  ItmPostLeadTime integer       not null default 0 check (ItmPostLeadTime >= 0),
  -- Base quantities: safety stock and the lot rule (ItmMaxQty 0: no maximum).
  ItmSafeQty      numeric(28,8) not null default 0 check (ItmSafeQty >= 0),
  ItmMinQty       numeric(28,8) not null default 0 check (ItmMinQty >= 0),
  ItmLotQty       numeric(28,8) not null default 0 check (ItmLotQty >= 0),
  ItmMaxQty       numeric(28,8) not null default 0 check (ItmMaxQty >= 0),
  -- Issue loss of the item as a BOM component (enumeration "MrpPutLossType"): 0 the BOM line's own
  -- rate, 1 no loss, 2 the loss-rate text ItmPutLossRate.
  ItmPutLossType  integer       not null default 0 check (ItmPutLossType between 0 and 2),
  ItmPutLossRate  varchar(500)  not null default '',
  ItmPutInteger   smallint      not null default 0 check (ItmPutInteger in (0, 1)),  -- whole issue quantities
  ItmSuitSkip     smallint      not null default 0 check (ItmSuitSkip in (0, 1)),    -- left out of kit quantities
  ItmOutSkip      smallint      not null default 0 check (ItmOutSkip in (0, 1)),     -- never released
  -- Level skipping as a component of made / outsourced parents (enumeration "MrpBomSkip").
  ItmMOBomSkip    integer       not null default 0 check (ItmMOBomSkip between 0 and 2),
  ItmOOBomSkip    integer       not null default 0 check (ItmOOBomSkip between 0 and 2),
  ItmMODeptID     varchar(50)   not null default '',          -- default workshop (KX_Base_Department)
  ItmPOSuppID     varchar(50)   not null default '',          -- default purchase supplier
  ItmOOSuppID     varchar(50)   not null default '',          -- default outsourcing supplier
  ItmPlanItmID    varchar(50)   not null default '',          -- item under which forecasts of this item are made
  check (ItmMaxQty = 0 or ItmMaxQty >= ItmMinQty)
);
-- Forecast deduction looks up the items planned under a forecast item.
create index KX_MRP_ItemSetting_Plan on KX_MRP_ItemSetting (ItmPlanItmID) where ItmPlanItmID <> '';
