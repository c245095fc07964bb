-- Supply bills: production orders with their component and scrap-replacement lines, outsourcing orders with their component lines, purchase requisitions, purchase orders, purchase goods in inspection, production and outsourcing requisitions.
--
-- The shared habits of bill heads and lines are described at the top of the customer demand bills.
-- Every supply line records the main demand it serves: <P>OrigType (a "MrpBillType" demand code: 2
-- sales order, 4 export order, 8 forecast, 12 free demand), <P>OrigID/No/Entry (that bill line),
-- <P>OrigItmID, <P>OrigCustID, <P>OrigCustPO, besides the tags and the MRP group. The release of MRP
-- plans fills them from the planned supply.
-- Open quantities are not stored: the business views derive them from the bill quantity and the
-- executed counters.

-- Production orders. The order line's MODeptID is the producing workshop (a department with
-- DeptWorkShop 1); the head's MOBillDeptID is the department that issued the order. MOChkQty is the
-- quantity reported finished and waiting for inspection, MOInQty the quantity stocked in.
-- MODrawDate is the planned start (material issue), MODelivDate the due date.
create table KX_Bill_MOHead (
  MOID             varchar(50)   not null default nextval('KX_SYS_IDSeq')::varchar(50) primary key,
  MONo             citext        not null unique,
  MODate           timestamp(3)  not null,
  MOBillDeptID     varchar(50)   references KX_Base_Department (DeptID),
  MOEmpID          varchar(50)   references KX_Base_Employee (EmpID),
  MORemark         varchar(500),
  MOChecked        smallint      not null default 0 check (MOChecked in (0, 1)),
  MOChecker        varchar(50)   references KX_SYS_Users (UsrID),
  MOCheckDate      timestamp(3),
  MOCreater        varchar(50)   references KX_SYS_Users (UsrID),
  MONewTime        timestamp(3)  not null default localtimestamp
);
create index KX_Bill_MOHead_Date on KX_Bill_MOHead (MODate);

create table KX_Bill_MOLine (
  MOID             varchar(50)   not null references KX_Bill_MOHead (MOID) on delete cascade,
  MOEntry          integer       not null,
  MOItmID          varchar(50)   not null references KX_Base_ItemMaster (ItmID),
  MOItmProps       varchar(100)  not null default '',
  MOItmProp1       varchar(80)   not null default '',
  MOItmProp2       varchar(80)   not null default '',
  MOItmProp3       varchar(80)   not null default '',
  MOItmProp4       varchar(80)   not null default '',
  MOItmProp5       varchar(80)   not null default '',
  MOItmProp6       varchar(80)   not null default '',
  MOItmProp7       varchar(80)   not null default '',
  MOItmProp8       varchar(80)   not null default '',
  MOItmProp9       varchar(80)   not null default '',
  MOItmProp10      varchar(80)   not null default '',
  MODeptID         varchar(50)   not null references KX_Base_Department (DeptID),
  MOStkID          varchar(50)   references KX_Base_Stock (StkID),
  MOUntID          varchar(50)   references KX_Base_Unit (UntID),
  MOUBillQty       numeric(28,8) not null,
  MOBillQty        numeric(28,8) not null check (MOBillQty >= 0),
  MOChkQty         numeric(28,8) not null default 0,
  MOInQty          numeric(28,8) not null default 0,
  MODrawDate       timestamp(3)  not null,
  MODelivDate      timestamp(3)  not null,
  MOBomType        smallint      not null default 0,
  MOBomID          varchar(50)   references KX_Bom_Head (BomID),
  MOOrigType       smallint,
  MOOrigID         varchar(50),
  MOOrigNo         citext,
  MOOrigEntry      integer,
  MOOrigItmID      varchar(50)   references KX_Base_ItemMaster (ItmID),
  MOOrigCustID     varchar(50)   references KX_Base_Customer (CustID),
  MOOrigCustPO     citext,
  MOOrigTag        varchar(80),
  MOOrigSubTag     varchar(80),
  MOGroupType      smallint      not null default 0 check (MOGroupType in (0, 1, 2, 3, 4, 9)),
  MOGroupNo        varchar(100)  not null default '',
  MOMrp            smallint      not null default 1 check (MOMrp in (0, 1)),
  MOClosed         smallint      not null default 0 check (MOClosed in (0, 1)),
  MOCloser         varchar(50)   references KX_SYS_Users (UsrID),
  MOCloseDate      timestamp(3),
  MONote           varchar(500),
  primary key (MOID, MOEntry)
);
create index KX_Bill_MOLine_Item on KX_Bill_MOLine (MOItmID, MOItmProps);
create index KX_Bill_MOLine_Deliv on KX_Bill_MOLine (MODelivDate);

-- Component (material) lines of production orders. MobEntry numbers the component lines across the
-- whole order, so (MOID, MobEntry) names one line; MOEntry is the order line it feeds.
-- MobBillQty is the required base quantity, MobOkQty the quantity issued, MobUnitQty the usage per base
-- unit of the product. MobRole (enumeration "BomRole"): 0 component, 1 substitute released with the order
-- for the component line MobSubOf at the share MobSubRate (percent), 2 co-product, 3 by-product; only
-- role 0 is material demand. MobBomType/MobBomID is the component's own BOM for sub-assemblies,
-- MobRowHook the BOM line it came from.
create table KX_Bill_MOBom (
  MOID             varchar(50)   not null,
  MobEntry         integer       not null,
  MOEntry          integer       not null,
  MobItmID         varchar(50)   not null references KX_Base_ItemMaster (ItmID),
  MobItmProps      varchar(100)  not null default '',
  MobItmProp1      varchar(80)   not null default '',
  MobItmProp2      varchar(80)   not null default '',
  MobItmProp3      varchar(80)   not null default '',
  MobItmProp4      varchar(80)   not null default '',
  MobItmProp5      varchar(80)   not null default '',
  MobItmProp6      varchar(80)   not null default '',
  MobItmProp7      varchar(80)   not null default '',
  MobItmProp8      varchar(80)   not null default '',
  MobItmProp9      varchar(80)   not null default '',
  MobItmProp10     varchar(80)   not null default '',
  MobRole          smallint      not null default 0 check (MobRole between 0 and 3),
  MobUntID         varchar(50)   references KX_Base_Unit (UntID),
  MobUBillQty      numeric(28,8) not null,
  MobBillQty       numeric(28,8) not null check (MobBillQty >= 0),
  MobUnitQty       numeric(28,8) not null default 0,
  MobFixed         smallint      not null default 0 check (MobFixed in (0, 1)),
  MobLossRate      numeric(28,8) not null default 0,
  MobOkQty         numeric(28,8) not null default 0,
  MobDrawDate      timestamp(3)  not null,
  MobStkID         varchar(50)   references KX_Base_Stock (StkID),
  MobBomType       smallint,
  MobBomID         varchar(50)   references KX_Bom_Head (BomID),
  MobBomSkip       smallint      not null default 0,
  MobRowHook       varchar(50),
  MobSubOf         integer,
  MobSubRate       numeric(28,8) not null default 100,
  MobMrp           smallint      not null default 1 check (MobMrp in (0, 1)),
  MobClosed        smallint      not null default 0 check (MobClosed in (0, 1)),
  MobNote          varchar(500),
  primary key (MOID, MobEntry),
  foreign key (MOID, MOEntry) references KX_Bill_MOLine (MOID, MOEntry) on delete cascade
);
create index KX_Bill_MOBom_Item on KX_Bill_MOBom (MobItmID, MobItmProps);
create index KX_Bill_MOBom_Line on KX_Bill_MOBom (MOID, MOEntry);

-- Scrap replacement lines of production orders: material issued again for scrapped or lost parts.
-- MobEntry names the component line replaced (null for material outside the order's components).
create table KX_Bill_MOScrap (
  MOID             varchar(50)   not null,
  MspEntry         integer       not null,
  MOEntry          integer       not null,
  MobEntry         integer,
  MspItmID         varchar(50)   not null references KX_Base_ItemMaster (ItmID),
  MspItmProps      varchar(100)  not null default '',
  MspItmProp1      varchar(80)   not null default '',
  MspItmProp2      varchar(80)   not null default '',
  MspItmProp3      varchar(80)   not null default '',
  MspItmProp4      varchar(80)   not null default '',
  MspItmProp5      varchar(80)   not null default '',
  MspItmProp6      varchar(80)   not null default '',
  MspItmProp7      varchar(80)   not null default '',
  MspItmProp8      varchar(80)   not null default '',
  MspItmProp9      varchar(80)   not null default '',
  MspItmProp10     varchar(80)   not null default '',
  MspUntID         varchar(50)   references KX_Base_Unit (UntID),
  MspUBillQty      numeric(28,8) not null,
  MspBillQty       numeric(28,8) not null check (MspBillQty >= 0),
  MspOkQty         numeric(28,8) not null default 0,
  MspDrawDate      timestamp(3)  not null,
  MspDate          timestamp(3)  not null default localtimestamp,
  MspEmpID         varchar(50)   references KX_Base_Employee (EmpID),
  MspReason        varchar(200),
  MspMrp           smallint      not null default 1 check (MspMrp in (0, 1)),
  MspClosed        smallint      not null default 0 check (MspClosed in (0, 1)),
  MspNote          varchar(500),
  primary key (MOID, MspEntry),
  foreign key (MOID, MOEntry) references KX_Bill_MOLine (MOID, MOEntry) on delete cascade,
  foreign key (MOID, MobEntry) references KX_Bill_MOBom (MOID, MobEntry)
);
create index KX_Bill_MOScrap_Item on KX_Bill_MOScrap (MspItmID, MspItmProps);
create index KX_Bill_MOScrap_Draw on KX_Bill_MOScrap (MspDrawDate);

-- Outsourcing orders: the processor (OOSuppID) makes the item from material the company sends.
-- OOChkQty is the quantity received and waiting for inspection, OOInQty the quantity stocked in.
create table KX_Bill_OOHead (
  OOID             varchar(50)   not null default nextval('KX_SYS_IDSeq')::varchar(50) primary key,
  OONo             citext        not null unique,
  OODate           timestamp(3)  not null,
  OOSuppID         varchar(50)   not null references KX_Base_Supplier (SuppID),
  OODeptID         varchar(50)   references KX_Base_Department (DeptID),
  OOEmpID          varchar(50)   references KX_Base_Employee (EmpID),
  OOCurID          varchar(50)   references KX_Base_Currency (CurID),
  OOExchRate       numeric(28,8) not null default 1,
  OORemark         varchar(500),
  OOChecked        smallint      not null default 0 check (OOChecked in (0, 1)),
  OOChecker        varchar(50)   references KX_SYS_Users (UsrID),
  OOCheckDate      timestamp(3),
  OOCreater        varchar(50)   references KX_SYS_Users (UsrID),
  OONewTime        timestamp(3)  not null default localtimestamp
);
create index KX_Bill_OOHead_Date on KX_Bill_OOHead (OODate);

create table KX_Bill_OOLine (
  OOID             varchar(50)   not null references KX_Bill_OOHead (OOID) on delete cascade,
  OOEntry          integer       not null,
  OOItmID          varchar(50)   not null references KX_Base_ItemMaster (ItmID),
  OOItmProps       varchar(100)  not null default '',
  OOItmProp1       varchar(80)   not null default '',
  OOItmProp2       varchar(80)   not null default '',
  OOItmProp3       varchar(80)   not null default '',
  OOItmProp4       varchar(80)   not null default '',
  OOItmProp5       varchar(80)   not null default '',
  OOItmProp6       varchar(80)   not null default '',
  OOItmProp7       varchar(80)   not null default '',
  OOItmProp8       varchar(80)   not null default '',
  OOItmProp9       varchar(80)   not null default '',
  OOItmProp10      varchar(80)   not null default '',
  OOStkID          varchar(50)   references KX_Base_Stock (StkID),
  OOUntID          varchar(50)   references KX_Base_Unit (UntID),
  OOUBillQty       numeric(28,8) not null,
  OOBillQty        numeric(28,8) not null check (OOBillQty >= 0),
  OOPrice          numeric(28,8) not null default 0,
  OOAmount         numeric(28,8) not null default 0,
  OOChkQty         numeric(28,8) not null default 0,
  OOInQty          numeric(28,8) not null default 0,
  OODrawDate       timestamp(3)  not null,
  OODelivDate      timestamp(3)  not null,
  OOBomType        smallint      not null default 0,
  OOBomID          varchar(50)   references KX_Bom_Head (BomID),
  OOOrigType       smallint,
  OOOrigID         varchar(50),
  OOOrigNo         citext,
  OOOrigEntry      integer,
  OOOrigItmID      varchar(50)   references KX_Base_ItemMaster (ItmID),
  OOOrigCustID     varchar(50)   references KX_Base_Customer (CustID),
  OOOrigCustPO     citext,
  OOOrigTag        varchar(80),
  OOOrigSubTag     varchar(80),
  OOGroupType      smallint      not null default 0 check (OOGroupType in (0, 1, 2, 3, 4, 9)),
  OOGroupNo        varchar(100)  not null default '',
  OOMrp            smallint      not null default 1 check (OOMrp in (0, 1)),
  OOClosed         smallint      not null default 0 check (OOClosed in (0, 1)),
  OOCloser         varchar(50)   references KX_SYS_Users (UsrID),
  OOCloseDate      timestamp(3),
  OONote           varchar(500),
  primary key (OOID, OOEntry)
);
create index KX_Bill_OOLine_Item on KX_Bill_OOLine (OOItmID, OOItmProps);
create index KX_Bill_OOLine_Deliv on KX_Bill_OOLine (OODelivDate);

-- Component lines of outsourcing orders (material sent to the processor); as for production orders.
create table KX_Bill_OOBom (
  OOID             varchar(50)   not null,
  OobEntry         integer       not null,
  OOEntry          integer       not null,
  OobItmID         varchar(50)   not null references KX_Base_ItemMaster (ItmID),
  OobItmProps      varchar(100)  not null default '',
  OobItmProp1      varchar(80)   not null default '',
  OobItmProp2      varchar(80)   not null default '',
  OobItmProp3      varchar(80)   not null default '',
  OobItmProp4      varchar(80)   not null default '',
  OobItmProp5      varchar(80)   not null default '',
  OobItmProp6      varchar(80)   not null default '',
  OobItmProp7      varchar(80)   not null default '',
  OobItmProp8      varchar(80)   not null default '',
  OobItmProp9      varchar(80)   not null default '',
  OobItmProp10     varchar(80)   not null default '',
  OobRole          smallint      not null default 0 check (OobRole between 0 and 3),
  OobUntID         varchar(50)   references KX_Base_Unit (UntID),
  OobUBillQty      numeric(28,8) not null,
  OobBillQty       numeric(28,8) not null check (OobBillQty >= 0),
  OobUnitQty       numeric(28,8) not null default 0,
  OobFixed         smallint      not null default 0 check (OobFixed in (0, 1)),
  OobLossRate      numeric(28,8) not null default 0,
  OobOkQty         numeric(28,8) not null default 0,
  OobDrawDate      timestamp(3)  not null,
  OobStkID         varchar(50)   references KX_Base_Stock (StkID),
  OobBomType       smallint,
  OobBomID         varchar(50)   references KX_Bom_Head (BomID),
  OobBomSkip       smallint      not null default 0,
  OobRowHook       varchar(50),
  OobSubOf         integer,
  OobSubRate       numeric(28,8) not null default 100,
  OobMrp           smallint      not null default 1 check (OobMrp in (0, 1)),
  OobClosed        smallint      not null default 0 check (OobClosed in (0, 1)),
  OobNote          varchar(500),
  primary key (OOID, OobEntry),
  foreign key (OOID, OOEntry) references KX_Bill_OOLine (OOID, OOEntry) on delete cascade
);
create index KX_Bill_OOBom_Item on KX_Bill_OOBom (OobItmID, OobItmProps);
create index KX_Bill_OOBom_Line on KX_Bill_OOBom (OOID, OOEntry);

-- Purchase requisitions. PRSuppID is the proposed supplier, PRBuyerID the buyer; PROkQty the base
-- quantity already ordered by purchase orders.
create table KX_Bill_PRHead (
  PRID             varchar(50)   not null default nextval('KX_SYS_IDSeq')::varchar(50) primary key,
  PRNo             citext        not null unique,
  PRDate           timestamp(3)  not null,
  PRDeptID         varchar(50)   references KX_Base_Department (DeptID),
  PREmpID          varchar(50)   references KX_Base_Employee (EmpID),
  PRCurID          varchar(50)   references KX_Base_Currency (CurID),
  PRRemark         varchar(500),
  PRChecked        smallint      not null default 0 check (PRChecked in (0, 1)),
  PRChecker        varchar(50)   references KX_SYS_Users (UsrID),
  PRCheckDate      timestamp(3),
  PRCreater        varchar(50)   references KX_SYS_Users (UsrID),
  PRNewTime        timestamp(3)  not null default localtimestamp
);
create index KX_Bill_PRHead_Date on KX_Bill_PRHead (PRDate);

create table KX_Bill_PRLine (
  PRID             varchar(50)   not null references KX_Bill_PRHead (PRID) on delete cascade,
  PREntry          integer       not null,
  PRItmID          varchar(50)   not null references KX_Base_ItemMaster (ItmID),
  PRItmProps       varchar(100)  not null default '',
  PRItmProp1       varchar(80)   not null default '',
  PRItmProp2       varchar(80)   not null default '',
  PRItmProp3       varchar(80)   not null default '',
  PRItmProp4       varchar(80)   not null default '',
  PRItmProp5       varchar(80)   not null default '',
  PRItmProp6       varchar(80)   not null default '',
  PRItmProp7       varchar(80)   not null default '',
  PRItmProp8       varchar(80)   not null default '',
  PRItmProp9       varchar(80)   not null default '',
  PRItmProp10      varchar(80)   not null default '',
  PRSuppID         varchar(50)   references KX_Base_Supplier (SuppID),
  PRBuyerID        varchar(50)   references KX_Base_Employee (EmpID),
  PRUntID          varchar(50)   references KX_Base_Unit (UntID),
  PRUBillQty       numeric(28,8) not null,
  PRBillQty        numeric(28,8) not null check (PRBillQty >= 0),
  PRPrice          numeric(28,8) not null default 0,
  PROkQty          numeric(28,8) not null default 0,
  PRDelivDate      timestamp(3)  not null,
  PROrigType       smallint,
  PROrigID         varchar(50),
  PROrigNo         citext,
  PROrigEntry      integer,
  PROrigItmID      varchar(50)   references KX_Base_ItemMaster (ItmID),
  PROrigCustID     varchar(50)   references KX_Base_Customer (CustID),
  PROrigCustPO     citext,
  PROrigTag        varchar(80),
  PROrigSubTag     varchar(80),
  PRGroupType      smallint      not null default 0 check (PRGroupType in (0, 1, 2, 3, 4, 9)),
  PRGroupNo        varchar(100)  not null default '',
  PRMrp            smallint      not null default 1 check (PRMrp in (0, 1)),
  PRClosed         smallint      not null default 0 check (PRClosed in (0, 1)),
  PRCloser         varchar(50)   references KX_SYS_Users (UsrID),
  PRCloseDate      timestamp(3),
  PRNote           varchar(500),
  primary key (PRID, PREntry)
);
create index KX_Bill_PRLine_Item on KX_Bill_PRLine (PRItmID, PRItmProps);
create index KX_Bill_PRLine_Deliv on KX_Bill_PRLine (PRDelivDate);

-- Purchase orders. PORecvQty is the base quantity that has arrived (it then waits in a goods-in-inspection
-- bill, or is stocked in directly), POInQty the quantity stocked in. POPRID/POPREntry: the requisition line
-- the order line was made from.
create table KX_Bill_POHead (
  POID             varchar(50)   not null default nextval('KX_SYS_IDSeq')::varchar(50) primary key,
  PONo             citext        not null unique,
  PODate           timestamp(3)  not null,
  POSuppID         varchar(50)   not null references KX_Base_Supplier (SuppID),
  PODeptID         varchar(50)   references KX_Base_Department (DeptID),
  POEmpID          varchar(50)   references KX_Base_Employee (EmpID),
  POCurID          varchar(50)   references KX_Base_Currency (CurID),
  POExchRate       numeric(28,8) not null default 1,
  PORemark         varchar(500),
  POChecked        smallint      not null default 0 check (POChecked in (0, 1)),
  POChecker        varchar(50)   references KX_SYS_Users (UsrID),
  POCheckDate      timestamp(3),
  POCreater        varchar(50)   references KX_SYS_Users (UsrID),
  PONewTime        timestamp(3)  not null default localtimestamp
);
create index KX_Bill_POHead_Date on KX_Bill_POHead (PODate);

create table KX_Bill_POLine (
  POID             varchar(50)   not null references KX_Bill_POHead (POID) on delete cascade,
  POEntry          integer       not null,
  POItmID          varchar(50)   not null references KX_Base_ItemMaster (ItmID),
  POItmProps       varchar(100)  not null default '',
  POItmProp1       varchar(80)   not null default '',
  POItmProp2       varchar(80)   not null default '',
  POItmProp3       varchar(80)   not null default '',
  POItmProp4       varchar(80)   not null default '',
  POItmProp5       varchar(80)   not null default '',
  POItmProp6       varchar(80)   not null default '',
  POItmProp7       varchar(80)   not null default '',
  POItmProp8       varchar(80)   not null default '',
  POItmProp9       varchar(80)   not null default '',
  POItmProp10      varchar(80)   not null default '',
  POStkID          varchar(50)   references KX_Base_Stock (StkID),
  POUntID          varchar(50)   references KX_Base_Unit (UntID),
  POUBillQty       numeric(28,8) not null,
  POBillQty        numeric(28,8) not null check (POBillQty >= 0),
  POPrice          numeric(28,8) not null default 0,
  POAmount         numeric(28,8) not null default 0,
  PORecvQty        numeric(28,8) not null default 0,
  POInQty          numeric(28,8) not null default 0,
  PODelivDate      timestamp(3)  not null,
  POOrigType       smallint,
  POOrigID         varchar(50),
  POOrigNo         citext,
  POOrigEntry      integer,
  POOrigItmID      varchar(50)   references KX_Base_ItemMaster (ItmID),
  POOrigCustID     varchar(50)   references KX_Base_Customer (CustID),
  POOrigCustPO     citext,
  POOrigTag        varchar(80),
  POOrigSubTag     varchar(80),
  POGroupType      smallint      not null default 0 check (POGroupType in (0, 1, 2, 3, 4, 9)),
  POGroupNo        varchar(100)  not null default '',
  POPRID           varchar(50),
  POPREntry        integer,
  POMrp            smallint      not null default 1 check (POMrp in (0, 1)),
  POClosed         smallint      not null default 0 check (POClosed in (0, 1)),
  POCloser         varchar(50)   references KX_SYS_Users (UsrID),
  POCloseDate      timestamp(3),
  PONote           varchar(500),
  primary key (POID, POEntry),
  foreign key (POPRID, POPREntry) references KX_Bill_PRLine (PRID, PREntry)
);
create index KX_Bill_POLine_Item on KX_Bill_POLine (POItmID, POItmProps);
create index KX_Bill_POLine_Deliv on KX_Bill_POLine (PODelivDate);

-- Purchase goods in inspection: arrivals waiting for the incoming inspection. PIBillQty has arrived;
-- PIInQty passed and was stocked in, PIRetQty was rejected. PIDelivDate is the expected stock-in date.
-- PIPOID/PIPOEntry: the purchase order line that delivered, whose PORecvQty already counts the arrival.
create table KX_Bill_PIHead (
  PIID             varchar(50)   not null default nextval('KX_SYS_IDSeq')::varchar(50) primary key,
  PINo             citext        not null unique,
  PIDate           timestamp(3)  not null,
  PISuppID         varchar(50)   not null references KX_Base_Supplier (SuppID),
  PIDeptID         varchar(50)   references KX_Base_Department (DeptID),
  PIEmpID          varchar(50)   references KX_Base_Employee (EmpID),
  PICurID          varchar(50)   references KX_Base_Currency (CurID),
  PIExchRate       numeric(28,8) not null default 1,
  PIRemark         varchar(500),
  PIChecked        smallint      not null default 0 check (PIChecked in (0, 1)),
  PIChecker        varchar(50)   references KX_SYS_Users (UsrID),
  PICheckDate      timestamp(3),
  PICreater        varchar(50)   references KX_SYS_Users (UsrID),
  PINewTime        timestamp(3)  not null default localtimestamp
);
create index KX_Bill_PIHead_Date on KX_Bill_PIHead (PIDate);

create table KX_Bill_PILine (
  PIID             varchar(50)   not null references KX_Bill_PIHead (PIID) on delete cascade,
  PIEntry          integer       not null,
  PIItmID          varchar(50)   not null references KX_Base_ItemMaster (ItmID),
  PIItmProps       varchar(100)  not null default '',
  PIItmProp1       varchar(80)   not null default '',
  PIItmProp2       varchar(80)   not null default '',
  PIItmProp3       varchar(80)   not null default '',
  PIItmProp4       varchar(80)   not null default '',
  PIItmProp5       varchar(80)   not null default '',
  PIItmProp6       varchar(80)   not null default '',
  PIItmProp7       varchar(80)   not null default '',
  PIItmProp8       varchar(80)   not null default '',
  PIItmProp9       varchar(80)   not null default '',
  PIItmProp10      varchar(80)   not null default '',
  PIStkID          varchar(50)   references KX_Base_Stock (StkID),
  PIBatch          varchar(80)   not null default '',
  PIUntID          varchar(50)   references KX_Base_Unit (UntID),
  PIUBillQty       numeric(28,8) not null,
  PIBillQty        numeric(28,8) not null check (PIBillQty >= 0),
  PIPrice          numeric(28,8) not null default 0,
  PIAmount         numeric(28,8) not null default 0,
  PIInQty          numeric(28,8) not null default 0,
  PIRetQty         numeric(28,8) not null default 0,
  PIDelivDate      timestamp(3)  not null,
  PIOrigType       smallint,
  PIOrigID         varchar(50),
  PIOrigNo         citext,
  PIOrigEntry      integer,
  PIOrigItmID      varchar(50)   references KX_Base_ItemMaster (ItmID),
  PIOrigCustID     varchar(50)   references KX_Base_Customer (CustID),
  PIOrigCustPO     citext,
  PIOrigTag        varchar(80),
  PIOrigSubTag     varchar(80),
  PIGroupType      smallint      not null default 0 check (PIGroupType in (0, 1, 2, 3, 4, 9)),
  PIGroupNo        varchar(100)  not null default '',
  PIPOID           varchar(50),
  PIPOEntry        integer,
  PIMrp            smallint      not null default 1 check (PIMrp in (0, 1)),
  PIClosed         smallint      not null default 0 check (PIClosed in (0, 1)),
  PICloser         varchar(50)   references KX_SYS_Users (UsrID),
  PICloseDate      timestamp(3),
  PINote           varchar(500),
  primary key (PIID, PIEntry),
  foreign key (PIPOID, PIPOEntry) references KX_Bill_POLine (POID, POEntry)
);
create index KX_Bill_PILine_Item on KX_Bill_PILine (PIItmID, PIItmProps);
create index KX_Bill_PILine_Deliv on KX_Bill_PILine (PIDelivDate);

-- Production requisitions (production plans awaiting release as production orders). MRDeptID is the
-- proposed workshop; MROkQty the base quantity already released into production orders.
create table KX_Bill_MRHead (
  MRID             varchar(50)   not null default nextval('KX_SYS_IDSeq')::varchar(50) primary key,
  MRNo             citext        not null unique,
  MRDate           timestamp(3)  not null,
  MRBillDeptID     varchar(50)   references KX_Base_Department (DeptID),
  MREmpID          varchar(50)   references KX_Base_Employee (EmpID),
  MRRemark         varchar(500),
  MRChecked        smallint      not null default 0 check (MRChecked in (0, 1)),
  MRChecker        varchar(50)   references KX_SYS_Users (UsrID),
  MRCheckDate      timestamp(3),
  MRCreater        varchar(50)   references KX_SYS_Users (UsrID),
  MRNewTime        timestamp(3)  not null default localtimestamp
);
create index KX_Bill_MRHead_Date on KX_Bill_MRHead (MRDate);

create table KX_Bill_MRLine (
  MRID             varchar(50)   not null references KX_Bill_MRHead (MRID) on delete cascade,
  MREntry          integer       not null,
  MRItmID          varchar(50)   not null references KX_Base_ItemMaster (ItmID),
  MRItmProps       varchar(100)  not null default '',
  MRItmProp1       varchar(80)   not null default '',
  MRItmProp2       varchar(80)   not null default '',
  MRItmProp3       varchar(80)   not null default '',
  MRItmProp4       varchar(80)   not null default '',
  MRItmProp5       varchar(80)   not null default '',
  MRItmProp6       varchar(80)   not null default '',
  MRItmProp7       varchar(80)   not null default '',
  MRItmProp8       varchar(80)   not null default '',
  MRItmProp9       varchar(80)   not null default '',
  MRItmProp10      varchar(80)   not null default '',
  MRDeptID         varchar(50)   references KX_Base_Department (DeptID),
  MRUntID          varchar(50)   references KX_Base_Unit (UntID),
  MRUBillQty       numeric(28,8) not null,
  MRBillQty        numeric(28,8) not null check (MRBillQty >= 0),
  MROkQty          numeric(28,8) not null default 0,
  MRDrawDate       timestamp(3)  not null,
  MRDelivDate      timestamp(3)  not null,
  MRBomType        smallint      not null default 0,
  MRBomID          varchar(50)   references KX_Bom_Head (BomID),
  MROrigType       smallint,
  MROrigID         varchar(50),
  MROrigNo         citext,
  MROrigEntry      integer,
  MROrigItmID      varchar(50)   references KX_Base_ItemMaster (ItmID),
  MROrigCustID     varchar(50)   references KX_Base_Customer (CustID),
  MROrigCustPO     citext,
  MROrigTag        varchar(80),
  MROrigSubTag     varchar(80),
  MRGroupType      smallint      not null default 0 check (MRGroupType in (0, 1, 2, 3, 4, 9)),
  MRGroupNo        varchar(100)  not null default '',
  MRMrp            smallint      not null default 1 check (MRMrp in (0, 1)),
  MRClosed         smallint      not null default 0 check (MRClosed in (0, 1)),
  MRCloser         varchar(50)   references KX_SYS_Users (UsrID),
  MRCloseDate      timestamp(3),
  MRNote           varchar(500),
  primary key (MRID, MREntry)
);
create index KX_Bill_MRLine_Item on KX_Bill_MRLine (MRItmID, MRItmProps);
create index KX_Bill_MRLine_Deliv on KX_Bill_MRLine (MRDelivDate);

-- Outsourcing requisitions. ORSuppID is the proposed processor; OROkQty the quantity already ordered.
create table KX_Bill_ORHead (
  ORID             varchar(50)   not null default nextval('KX_SYS_IDSeq')::varchar(50) primary key,
  ORNo             citext        not null unique,
  ORDate           timestamp(3)  not null,
  ORDeptID         varchar(50)   references KX_Base_Department (DeptID),
  OREmpID          varchar(50)   references KX_Base_Employee (EmpID),
  ORCurID          varchar(50)   references KX_Base_Currency (CurID),
  ORRemark         varchar(500),
  ORChecked        smallint      not null default 0 check (ORChecked in (0, 1)),
  ORChecker        varchar(50)   references KX_SYS_Users (UsrID),
  ORCheckDate      timestamp(3),
  ORCreater        varchar(50)   references KX_SYS_Users (UsrID),
  ORNewTime        timestamp(3)  not null default localtimestamp
);
create index KX_Bill_ORHead_Date on KX_Bill_ORHead (ORDate);

create table KX_Bill_ORLine (
  ORID             varchar(50)   not null references KX_Bill_ORHead (ORID) on delete cascade,
  OREntry          integer       not null,
  ORItmID          varchar(50)   not null references KX_Base_ItemMaster (ItmID),
  ORItmProps       varchar(100)  not null default '',
  ORItmProp1       varchar(80)   not null default '',
  ORItmProp2       varchar(80)   not null default '',
  ORItmProp3       varchar(80)   not null default '',
  ORItmProp4       varchar(80)   not null default '',
  ORItmProp5       varchar(80)   not null default '',
  ORItmProp6       varchar(80)   not null default '',
  ORItmProp7       varchar(80)   not null default '',
  ORItmProp8       varchar(80)   not null default '',
  ORItmProp9       varchar(80)   not null default '',
  ORItmProp10      varchar(80)   not null default '',
  ORSuppID         varchar(50)   references KX_Base_Supplier (SuppID),
  ORUntID          varchar(50)   references KX_Base_Unit (UntID),
  ORUBillQty       numeric(28,8) not null,
  ORBillQty        numeric(28,8) not null check (ORBillQty >= 0),
  ORPrice          numeric(28,8) not null default 0,
  OROkQty          numeric(28,8) not null default 0,
  ORDrawDate       timestamp(3)  not null,
  ORDelivDate      timestamp(3)  not null,
  ORBomType        smallint      not null default 0,
  ORBomID          varchar(50)   references KX_Bom_Head (BomID),
  OROrigType       smallint,
  OROrigID         varchar(50),
  OROrigNo         citext,
  OROrigEntry      integer,
  OROrigItmID      varchar(50)   references KX_Base_ItemMaster (ItmID),
  OROrigCustID     varchar(50)   references KX_Base_Customer (CustID),
  OROrigCustPO     citext,
  OROrigTag        varchar(80),
  OROrigSubTag     varchar(80),
  ORGroupType      smallint      not null default 0 check (ORGroupType in (0, 1, 2, 3, 4, 9)),
  ORGroupNo        varchar(100)  not null default '',
  ORMrp            smallint      not null default 1 check (ORMrp in (0, 1)),
  ORClosed         smallint      not null default 0 check (ORClosed in (0, 1)),
  ORCloser         varchar(50)   references KX_SYS_Users (UsrID),
  ORCloseDate      timestamp(3),
  ORNote           varchar(500),
  primary key (ORID, OREntry)
);
create index KX_Bill_ORLine_Item on KX_Bill_ORLine (ORItmID, ORItmProps);
create index KX_Bill_ORLine_Deliv on KX_Bill_ORLine (ORDelivDate);
