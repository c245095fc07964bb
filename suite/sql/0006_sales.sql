-- Customer demand bills: product forecasts, sales orders and export orders (heads and lines).
--
-- Habits shared by every ERP bill of the suite (here and in the supply bills):
-- * A head carries number, date, the parties, a remark, the check state (<P>Checked, checker, check
--   date) and the creator; its lines are keyed by the head's ID and an entry number.
-- * A line carries the item and its property set (<P>ItmProps, the key of KX_Base_ItemProps, '' for an
--   item without properties, and the ten values), the line unit and the quantity in it (<P>UBillQty),
--   the same quantity in the item's base unit (<P>BillQty), which is what the suite plans and counts
--   with, the executed base quantity, the dates, the BOM chosen for the line, the demand tags
--   (<P>OrigTag "需求分类号", <P>OrigSubTag "子件需求分类号"), the MRP group (<P>GroupType,
--   enumeration "MrpGroupType", and <P>GroupNo), the line's own MRP switch <P>Mrp, the close state and
--   a note. Supply bills also carry the main demand they were made for (<P>Orig...).
-- * Bills are written by the host's bill service; executed quantities are counters that the bills
--   executing a line (deliveries, receipts, issues, follow-up orders) add to when they are stored.

-- Product forecasts. ForOkQty is the quantity taken over by sales and export orders created from the
-- forecast line (SOForcastID); the rest is what planning and forecast deduction work on.
create table KX_Bill_ForHead (
  ForID            varchar(50)   not null default nextval('KX_SYS_IDSeq')::varchar(50) primary key,
  ForNo            citext        not null unique,
  ForDate          timestamp(3)  not null,
  ForDeptID        varchar(50)   references KX_Base_Department (DeptID),
  ForEmpID         varchar(50)   references KX_Base_Employee (EmpID),
  ForRemark        varchar(500),
  ForChecked       smallint      not null default 0 check (ForChecked in (0, 1)),
  ForChecker       varchar(50)   references KX_SYS_Users (UsrID),
  ForCheckDate     timestamp(3),
  ForCreater       varchar(50)   references KX_SYS_Users (UsrID),
  ForNewTime       timestamp(3)  not null default localtimestamp
);
create index KX_Bill_ForHead_Date on KX_Bill_ForHead (ForDate);

create table KX_Bill_ForLine (
  ForID            varchar(50)   not null references KX_Bill_ForHead (ForID) on delete cascade,
  ForEntry         integer       not null,
  ForItmID         varchar(50)   not null references KX_Base_ItemMaster (ItmID),
  ForItmProps      varchar(100)  not null default '',
  ForItmProp1      varchar(80)   not null default '',
  ForItmProp2      varchar(80)   not null default '',
  ForItmProp3      varchar(80)   not null default '',
  ForItmProp4      varchar(80)   not null default '',
  ForItmProp5      varchar(80)   not null default '',
  ForItmProp6      varchar(80)   not null default '',
  ForItmProp7      varchar(80)   not null default '',
  ForItmProp8      varchar(80)   not null default '',
  ForItmProp9      varchar(80)   not null default '',
  ForItmProp10     varchar(80)   not null default '',
  ForCustID        varchar(50)   references KX_Base_Customer (CustID),
  ForUntID         varchar(50)   references KX_Base_Unit (UntID),
  ForUBillQty      numeric(28,8) not null,
  ForBillQty       numeric(28,8) not null check (ForBillQty >= 0),
  ForDelivDate     timestamp(3)  not null,
  ForOkQty         numeric(28,8) not null default 0,
  ForBomType       smallint      not null default 0,
  ForBomID         varchar(50)   references KX_Bom_Head (BomID),
  ForOrigTag       varchar(80),
  ForOrigSubTag    varchar(80),
  ForGroupType     smallint      not null default 0 check (ForGroupType in (0, 1, 2, 3, 4, 9)),
  ForGroupNo       varchar(100)  not null default '',
  ForMrp           smallint      not null default 1 check (ForMrp in (0, 1)),
  ForClosed        smallint      not null default 0 check (ForClosed in (0, 1)),
  ForCloser        varchar(50)   references KX_SYS_Users (UsrID),
  ForCloseDate     timestamp(3),
  ForNote          varchar(500),
  primary key (ForID, ForEntry)
);
create index KX_Bill_ForLine_Item on KX_Bill_ForLine (ForItmID, ForItmProps);
create index KX_Bill_ForLine_Deliv on KX_Bill_ForLine (ForDelivDate);

-- Sales orders. SOOkQty is the delivered base quantity. A line created from a forecast line names it in
-- SOForcastID/SOForcastEntry; such lines are already counted against that forecast and are left out of
-- forecast deduction.
create table KX_Bill_SOHead (
  SOID             varchar(50)   not null default nextval('KX_SYS_IDSeq')::varchar(50) primary key,
  SONo             citext        not null unique,
  SODate           timestamp(3)  not null,
  SOCustID         varchar(50)   not null references KX_Base_Customer (CustID),
  SOCustPO         citext,
  SODeptID         varchar(50)   references KX_Base_Department (DeptID),
  SOEmpID          varchar(50)   references KX_Base_Employee (EmpID),
  SOCurID          varchar(50)   references KX_Base_Currency (CurID),
  SOExchRate       numeric(28,8) not null default 1,
  SORemark         varchar(500),
  SOChecked        smallint      not null default 0 check (SOChecked in (0, 1)),
  SOChecker        varchar(50)   references KX_SYS_Users (UsrID),
  SOCheckDate      timestamp(3),
  SOCreater        varchar(50)   references KX_SYS_Users (UsrID),
  SONewTime        timestamp(3)  not null default localtimestamp
);
create index KX_Bill_SOHead_Date on KX_Bill_SOHead (SODate);

create table KX_Bill_SOLine (
  SOID             varchar(50)   not null references KX_Bill_SOHead (SOID) on delete cascade,
  SOEntry          integer       not null,
  SOItmID          varchar(50)   not null references KX_Base_ItemMaster (ItmID),
  SOItmProps       varchar(100)  not null default '',
  SOItmProp1       varchar(80)   not null default '',
  SOItmProp2       varchar(80)   not null default '',
  SOItmProp3       varchar(80)   not null default '',
  SOItmProp4       varchar(80)   not null default '',
  SOItmProp5       varchar(80)   not null default '',
  SOItmProp6       varchar(80)   not null default '',
  SOItmProp7       varchar(80)   not null default '',
  SOItmProp8       varchar(80)   not null default '',
  SOItmProp9       varchar(80)   not null default '',
  SOItmProp10      varchar(80)   not null default '',
  SOUntID          varchar(50)   references KX_Base_Unit (UntID),
  SOUBillQty       numeric(28,8) not null,
  SOBillQty        numeric(28,8) not null check (SOBillQty >= 0),
  SOPrice          numeric(28,8) not null default 0,
  SOAmount         numeric(28,8) not null default 0,
  SODelivDate      timestamp(3)  not null,
  SOOkQty          numeric(28,8) not null default 0,
  SOBomType        smallint      not null default 0,
  SOBomID          varchar(50)   references KX_Bom_Head (BomID),
  SOOrigTag        varchar(80),
  SOOrigSubTag     varchar(80),
  SOGroupType      smallint      not null default 0 check (SOGroupType in (0, 1, 2, 3, 4, 9)),
  SOGroupNo        varchar(100)  not null default '',
  SOForcastID      varchar(50),
  SOForcastEntry   integer,
  SOMrp            smallint      not null default 1 check (SOMrp in (0, 1)),
  SOClosed         smallint      not null default 0 check (SOClosed in (0, 1)),
  SOCloser         varchar(50)   references KX_SYS_Users (UsrID),
  SOCloseDate      timestamp(3),
  SONote           varchar(500),
  primary key (SOID, SOEntry),
  foreign key (SOForcastID, SOForcastEntry) references KX_Bill_ForLine (ForID, ForEntry)
);
create index KX_Bill_SOLine_Item on KX_Bill_SOLine (SOItmID, SOItmProps);
create index KX_Bill_SOLine_Deliv on KX_Bill_SOLine (SODelivDate);

-- Export orders: sales orders in foreign trade, with contract and shipping data.
create table KX_Bill_SIHead (
  SIID             varchar(50)   not null default nextval('KX_SYS_IDSeq')::varchar(50) primary key,
  SINo             citext        not null unique,
  SIDate           timestamp(3)  not null,
  SICustID         varchar(50)   not null references KX_Base_Customer (CustID),
  SICustPO         citext,
  SIDeptID         varchar(50)   references KX_Base_Department (DeptID),
  SIEmpID          varchar(50)   references KX_Base_Employee (EmpID),
  SICurID          varchar(50)   references KX_Base_Currency (CurID),
  SIExchRate       numeric(28,8) not null default 1,
  SIContractNo     citext,
  SITradeTerm      varchar(20),
  SIShipPort       varchar(80),
  SIDestPort       varchar(80),
  SIRemark         varchar(500),
  SIChecked        smallint      not null default 0 check (SIChecked in (0, 1)),
  SIChecker        varchar(50)   references KX_SYS_Users (UsrID),
  SICheckDate      timestamp(3),
  SICreater        varchar(50)   references KX_SYS_Users (UsrID),
  SINewTime        timestamp(3)  not null default localtimestamp
);
create index KX_Bill_SIHead_Date on KX_Bill_SIHead (SIDate);

create table KX_Bill_SILine (
  SIID             varchar(50)   not null references KX_Bill_SIHead (SIID) on delete cascade,
  SIEntry          integer       not null,
  SIItmID          varchar(50)   not null references KX_Base_ItemMaster (ItmID),
  SIItmProps       varchar(100)  not null default '',
  SIItmProp1       varchar(80)   not null default '',
  SIItmProp2       varchar(80)   not null default '',
  SIItmProp3       varchar(80)   not null default '',
  SIItmProp4       varchar(80)   not null default '',
  SIItmProp5       varchar(80)   not null default '',
  SIItmProp6       varchar(80)   not null default '',
  SIItmProp7       varchar(80)   not null default '',
  SIItmProp8       varchar(80)   not null default '',
  SIItmProp9       varchar(80)   not null default '',
  SIItmProp10      varchar(80)   not null default '',
  SIUntID          varchar(50)   references KX_Base_Unit (UntID),
  SIUBillQty       numeric(28,8) not null,
  SIBillQty        numeric(28,8) not null check (SIBillQty >= 0),
  SIPrice          numeric(28,8) not null default 0,
  SIAmount         numeric(28,8) not null default 0,
  SIDelivDate      timestamp(3)  not null,
  SIShipDate       timestamp(3),
  SIOkQty          numeric(28,8) not null default 0,
  SIBomType        smallint      not null default 0,
  SIBomID          varchar(50)   references KX_Bom_Head (BomID),
  SIOrigTag        varchar(80),
  SIOrigSubTag     varchar(80),
  SIGroupType      smallint      not null default 0 check (SIGroupType in (0, 1, 2, 3, 4, 9)),
  SIGroupNo        varchar(100)  not null default '',
  SIForcastID      varchar(50),
  SIForcastEntry   integer,
  SIMrp            smallint      not null default 1 check (SIMrp in (0, 1)),
  SIClosed         smallint      not null default 0 check (SIClosed in (0, 1)),
  SICloser         varchar(50)   references KX_SYS_Users (UsrID),
  SICloseDate      timestamp(3),
  SINote           varchar(500),
  primary key (SIID, SIEntry),
  foreign key (SIForcastID, SIForcastEntry) references KX_Bill_ForLine (ForID, ForEntry)
);
create index KX_Bill_SILine_Item on KX_Bill_SILine (SIItmID, SIItmProps);
create index KX_Bill_SILine_Deliv on KX_Bill_SILine (SIDelivDate);
