-- Bills of materials (heads with yield, component lines) and item substitutes, global and BOM-local.

-- A BOM is identified by (BomType, BomID) wherever the suite passes one; BomID alone is unique too.
-- BomType (enumeration "BomType"): 1 standard BOM, offered for any order of the product ("stand-alone");
-- 2 order BOM, made for one customer order line (BomOrigType/ID/Entry) and used only through it.
-- BomItmProps '' means the BOM serves every property set of the product; otherwise only that set.
-- BomOkRate is the product's yield in percent: the components of a parent quantity Q are computed for
-- Q * 100 / BomOkRate.
create table KX_Bom_Head (
  BomID         varchar(50)   not null default nextval('KX_SYS_IDSeq')::varchar(50) primary key,
  BomType       smallint      not null default 1 check (BomType in (1, 2)),
  BomNo         citext        not null unique,
  BomItmID      varchar(50)   not null references KX_Base_ItemMaster (ItmID),
  BomItmProps   varchar(100)  not null default '',
  BomItmProp1   varchar(80)   not null default '',
  BomItmProp2   varchar(80)   not null default '',
  BomItmProp3   varchar(80)   not null default '',
  BomItmProp4   varchar(80)   not null default '',
  BomItmProp5   varchar(80)   not null default '',
  BomItmProp6   varchar(80)   not null default '',
  BomItmProp7   varchar(80)   not null default '',
  BomItmProp8   varchar(80)   not null default '',
  BomItmProp9   varchar(80)   not null default '',
  BomItmProp10  varchar(80)   not null default '',
  BomUntID      varchar(50)   references KX_Base_Unit (UntID),   -- unit in which the lines' BolUBaseQty is counted
  BomOkRate     numeric(28,8) not null default 100 check (BomOkRate > 0 and BomOkRate <= 100),
  BomIsDefault  smallint      not null default 0 check (BomIsDefault in (0, 1)),
  BomVersion    varchar(20),
  BomDate       timestamp(3)  not null default localtimestamp::date,
  BomBeginDate  timestamp(3),                                   -- validity of the whole BOM; null: open
  BomEndDate    timestamp(3),
  BomOrigType   smallint,                                       -- order BOM: the customer order line it serves
  BomOrigID     varchar(50),
  BomOrigEntry  integer,
  BomChecked    smallint      not null default 0 check (BomChecked in (0, 1)),
  BomChecker    varchar(50)   references KX_SYS_Users (UsrID),
  BomCheckDate  timestamp(3),
  BomCreater    varchar(50)   references KX_SYS_Users (UsrID),
  BomNewTime    timestamp(3)  not null default localtimestamp,
  BomDisabled   smallint      not null default 0 check (BomDisabled in (0, 1)),
  BomRemark     varchar(500),
  unique (BomType, BomID)
);
create index KX_Bom_Head_Item on KX_Bom_Head (BomItmID, BomItmProps);
-- At most one default among the usable standard BOMs of a product and property set.
create unique index KX_Bom_Head_Default on KX_Bom_Head (BomItmID, BomItmProps)
  where BomIsDefault = 1 and BomType = 1 and BomDisabled = 0;

-- Component lines. Usage: BolUQty of the line unit per BolUBaseQty of the head unit; BolQty and
-- BolBaseQty are the same ratio in the base units of component and product (kept with the line, as
-- the ERP stores them). BolFixed 1: the usage is needed once per parent order, whatever its quantity.
-- BolPercent: share of the usage that planning counts ("计划%"). BolLossRate is the loss in percent;
-- BolPutLossRate an optional segmented loss text ("10|100:2%|1000:1%+"), which takes precedence.
-- BolRowHook is the line's stable link: it survives renumbering and carries the local substitutes.
-- BolRole (enumeration "BomRole"): 0 component; 2 co-product and 3 by-product are outputs, not demand.
-- BolBomType/BolBomID name the component's own BOM to use (locked when BolBomLocked); BolBomSkip
-- (enumeration "BomSkip"): 0 normal, 1 skip the component's level (its components are issued
-- directly to the parent), 2 plan it as a virtual part.
create table KX_Bom_Line (
  BomID          varchar(50)   not null references KX_Bom_Head (BomID) on delete cascade,
  BomEntry       integer       not null,
  BolRowHook     varchar(50)   not null default nextval('KX_SYS_IDSeq')::varchar(50) unique,
  BolItmID       varchar(50)   not null references KX_Base_ItemMaster (ItmID),
  BolItmProps    varchar(100)  not null default '',
  BolItmProp1    varchar(80)   not null default '',
  BolItmProp2    varchar(80)   not null default '',
  BolItmProp3    varchar(80)   not null default '',
  BolItmProp4    varchar(80)   not null default '',
  BolItmProp5    varchar(80)   not null default '',
  BolItmProp6    varchar(80)   not null default '',
  BolItmProp7    varchar(80)   not null default '',
  BolItmProp8    varchar(80)   not null default '',
  BolItmProp9    varchar(80)   not null default '',
  BolItmProp10   varchar(80)   not null default '',
  BolRole        smallint      not null default 0 check (BolRole between 0 and 3),
  BolFixed       smallint      not null default 0 check (BolFixed in (0, 1)),
  BolUntID       varchar(50)   references KX_Base_Unit (UntID),
  BolUQty        numeric(28,8) not null check (BolUQty >= 0),
  BolUBaseQty    numeric(28,8) not null default 1 check (BolUBaseQty > 0),
  BolQty         numeric(28,8) not null check (BolQty >= 0),
  BolBaseQty     numeric(28,8) not null default 1 check (BolBaseQty > 0),
  BolPercent     numeric(28,8) not null default 100 check (BolPercent >= 0 and BolPercent <= 100),
  BolLossRate    numeric(28,8) not null default 0 check (BolLossRate >= 0 and BolLossRate < 100),
  BolPutLossRate varchar(500)  not null default '',
  BolBeginDate   timestamp(3),
  BolEndDate     timestamp(3),
  BolOffsetDay   integer       not null default 0,           -- days the issue lies after the parent's start
  BolPosition    varchar(500),                              -- where the part goes
  BolPosNo       varchar(500),                              -- position designators
  BolStkID       varchar(50)   references KX_Base_Stock (StkID),   -- issuing warehouse
  BolOperSeq     varchar(50),
  BolOperID      varchar(50),
  BolDrawType    smallint      not null default 0 check (BolDrawType between 0 and 2),  -- enumeration "BomDrawType"
  BolBomType     smallint,
  BolBomID       varchar(50)   references KX_Bom_Head (BomID),
  BolBomLocked   smallint      not null default 0 check (BolBomLocked in (0, 1)),
  BolBomSkip     smallint      not null default 0 check (BolBomSkip between 0 and 2),
  BolNote        varchar(500),
  BolNote1       varchar(200),
  BolNote2       varchar(200),
  BolNote3       varchar(200),
  primary key (BomID, BomEntry),
  check (BolEndDate is null or BolBeginDate is null or BolEndDate >= BolBeginDate)
);
create index KX_Bom_Line_Item on KX_Bom_Line (BolItmID);

-- Substitutes. A global substitute (SubBomID and SubRowHook null, "全局替代") may replace the item
-- SubItmID wherever it is used; a local one ("局部替代") only on the BOM line SubRowHook of BOM SubBomID.
-- SubSeq orders the substitutes of one item or line (1 first). SubQty of the replaced item
-- (in its base unit) is exchanged for SubRQty of the substitute SubRItmID with property set SubRProps.
-- SubItmProps '' applies to every property set of the replaced item. SubReplace 1: the substitute may
-- replace the component outright; 0: it only covers what the component's own supply leaves short.
-- The host stores them as a substitute bill (kind 16) per BOM: values Qty -> SubRQty, RQty -> SubQty.
create table KX_Bom_ItemSubs (
  SubIID       integer       generated by default as identity primary key,
  SubBomType   smallint,
  SubBomID     varchar(50)   references KX_Bom_Head (BomID) on delete cascade,
  SubRowHook   varchar(50)   references KX_Bom_Line (BolRowHook) on delete cascade,
  SubItmID     varchar(50)   not null references KX_Base_ItemMaster (ItmID),
  SubItmProps  varchar(100)  not null default '',
  SubSeq       integer       not null default 1,
  SubRItmID    varchar(50)   not null references KX_Base_ItemMaster (ItmID),
  SubRProps    varchar(100)  not null default '',
  SubRProp1    varchar(80)   not null default '',
  SubRProp2    varchar(80)   not null default '',
  SubRProp3    varchar(80)   not null default '',
  SubRProp4    varchar(80)   not null default '',
  SubRProp5    varchar(80)   not null default '',
  SubRProp6    varchar(80)   not null default '',
  SubRProp7    varchar(80)   not null default '',
  SubRProp8    varchar(80)   not null default '',
  SubRProp9    varchar(80)   not null default '',
  SubRProp10   varchar(80)   not null default '',
  SubQty       numeric(28,8) not null default 1 check (SubQty > 0),
  SubRQty      numeric(28,8) not null default 1 check (SubRQty > 0),
  SubReplace   smallint      not null default 0 check (SubReplace in (0, 1)),
  SubBeginDate timestamp(3),
  SubEndDate   timestamp(3),
  SubNote      varchar(500),
  SubUsrID     varchar(50)   references KX_SYS_Users (UsrID),
  SubTime      timestamp(3)  not null default localtimestamp,
  check ((SubBomID is null) = (SubRowHook is null)),
  check (SubRItmID <> SubItmID),
  check (SubEndDate is null or SubBeginDate is null or SubEndDate > SubBeginDate),
  unique nulls not distinct (SubRowHook, SubItmID, SubItmProps, SubRItmID, SubRProps)
);
create index KX_Bom_ItemSubs_Item on KX_Bom_ItemSubs (SubItmID, SubSeq);
create index KX_Bom_ItemSubs_Sub on KX_Bom_ItemSubs (SubRItmID);
create index KX_Bom_ItemSubs_Line on KX_Bom_ItemSubs (SubBomID, SubRowHook, SubSeq);
