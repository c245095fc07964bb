-- ERP master data: units, currencies, departments, employees, customers, suppliers and their item prices, warehouses and places, item classes and the item master.

-- Units are grouped; UntFactor converts a quantity in this unit into the group's base unit
-- (base quantity = quantity x UntFactor). An item's units all belong to the group of its base unit.
create table KX_Base_UnitGroup (
  UngID   varchar(50) not null default nextval('KX_SYS_IDSeq')::varchar(50) primary key,
  UngNo   citext      not null unique,
  UngName citext      not null
);

create table KX_Base_Unit (
  UntID       varchar(50)   not null default nextval('KX_SYS_IDSeq')::varchar(50) primary key,
  UntNo       citext        not null unique,
  UntName     citext        not null,
  UntUngID    varchar(50)   references KX_Base_UnitGroup (UngID),
  UntFactor   numeric(28,8) not null default 1 check (UntFactor > 0),
  UntIsBase   smallint      not null default 0 check (UntIsBase in (0, 1)),
  UntDisabled smallint      not null default 0 check (UntDisabled in (0, 1))
);

create table KX_Base_Currency (
  CurID       varchar(50)   not null default nextval('KX_SYS_IDSeq')::varchar(50) primary key,
  CurNo       citext        not null unique,
  CurName     citext        not null,
  CurRate     numeric(28,8) not null default 1 check (CurRate > 0),  -- exchange rate to the home currency
  CurIsHome   smallint      not null default 0 check (CurIsHome in (0, 1)),
  CurDisabled smallint      not null default 0 check (CurDisabled in (0, 1))
);

-- Departments; DeptWorkShop 1 marks a production workshop, the only departments that take production orders.
create table KX_Base_Department (
  DeptID       varchar(50)  not null default nextval('KX_SYS_IDSeq')::varchar(50) primary key,
  DeptNo       citext       not null unique,
  DeptName     citext       not null,
  DeptParentID varchar(50)  references KX_Base_Department (DeptID),
  DeptWorkShop smallint     not null default 0 check (DeptWorkShop in (0, 1)),
  DeptDisabled smallint     not null default 0 check (DeptDisabled in (0, 1)),
  DeptNote     varchar(500)
);

create table KX_Base_Employee (
  EmpID       varchar(50)  not null default nextval('KX_SYS_IDSeq')::varchar(50) primary key,
  EmpNo       citext       not null unique,
  EmpName     citext       not null,
  EmpDeptID   varchar(50)  references KX_Base_Department (DeptID),
  EmpPhone    varchar(50),
  EmpDisabled smallint     not null default 0 check (EmpDisabled in (0, 1))
);
create index KX_Base_Employee_Name on KX_Base_Employee (EmpName);

alter table KX_SYS_Users
  add constraint KX_SYS_Users_Emp foreign key (UsrEmpID) references KX_Base_Employee (EmpID);

create table KX_Base_Customer (
  CustID       varchar(50)  not null default nextval('KX_SYS_IDSeq')::varchar(50) primary key,
  CustNo       citext       not null unique,
  CustName     citext       not null,
  CustShort    citext,
  CustEmpID    varchar(50)  references KX_Base_Employee (EmpID),   -- salesman in charge
  CustCurID    varchar(50)  references KX_Base_Currency (CurID),
  CustIsExport smallint     not null default 0 check (CustIsExport in (0, 1)),  -- takes export orders
  CustAddress  varchar(200),
  CustPhone    varchar(50),
  CustDisabled smallint     not null default 0 check (CustDisabled in (0, 1))
);
create index KX_Base_Customer_Name on KX_Base_Customer (CustName);

-- Suppliers; SuppPO marks purchase suppliers, SuppOO outsourcing processors. A supplier may be both.
create table KX_Base_Supplier (
  SuppID       varchar(50)  not null default nextval('KX_SYS_IDSeq')::varchar(50) primary key,
  SuppNo       citext       not null unique,
  SuppName     citext       not null,
  SuppShort    citext,
  SuppPO       smallint     not null default 1 check (SuppPO in (0, 1)),
  SuppOO       smallint     not null default 0 check (SuppOO in (0, 1)),
  SuppCurID    varchar(50)  references KX_Base_Currency (CurID),   -- currency of its bills
  SuppBuyerID  varchar(50)  references KX_Base_Employee (EmpID),
  SuppLeadDays integer      not null default 0,
  SuppAddress  varchar(200),
  SuppPhone    varchar(50),
  SuppDisabled smallint     not null default 0 check (SuppDisabled in (0, 1))
);
create index KX_Base_Supplier_Name on KX_Base_Supplier (SuppName);

-- Warehouses. Stock of a virtual warehouse (consignment, in transit) is not offered to planning or aging.
create table KX_Base_Stock (
  StkID       varchar(50)  not null default nextval('KX_SYS_IDSeq')::varchar(50) primary key,
  StkNo       citext       not null unique,
  StkName     citext       not null,
  StkVirtual  smallint     not null default 0 check (StkVirtual in (0, 1)),
  StkHasPlace smallint     not null default 0 check (StkHasPlace in (0, 1)),
  StkEmpID    varchar(50)  references KX_Base_Employee (EmpID),   -- keeper
  StkDisabled smallint     not null default 0 check (StkDisabled in (0, 1))
);

create table KX_Base_StockPlace (
  StpID       varchar(50)  not null default nextval('KX_SYS_IDSeq')::varchar(50) primary key,
  StpStkID    varchar(50)  not null references KX_Base_Stock (StkID),
  StpNo       citext       not null,
  StpName     citext       not null,
  StpDisabled smallint     not null default 0 check (StpDisabled in (0, 1)),
  unique (StpStkID, StpNo)
);

create table KX_Base_ItemClass (
  ClsID       varchar(50)  not null default nextval('KX_SYS_IDSeq')::varchar(50) primary key,
  ClsNo       citext       not null unique,
  ClsName     citext       not null,
  ClsParentID varchar(50)  references KX_Base_ItemClass (ClsID)
);

-- The item master. ItmType (enumeration "ItmType"): 1 purchased, 2 made in house, 3 outsourced,
-- 4 virtual (a phantom assembly: it has a BOM but is never stocked, and cannot be a substitute).
-- Planning reads "a type above 1 has a BOM to expand". ItmTypeName is kept with the row because
-- the module reads it from this table directly.
-- ItmUnitID is the base unit, in which every base quantity of the suite is counted; the other units
-- are the defaults of stock, purchase, sales and production bills. ItmDecimal is the number of
-- decimals of the item's base quantities. ItmHasProp1..10 say which of the ten item properties the
-- item uses; an item without any has the empty property-set key ''.
create table KX_Base_ItemMaster (
  ItmID          varchar(50)  not null default nextval('KX_SYS_IDSeq')::varchar(50) primary key,
  ItmNo          citext       not null unique,
  ItmName        citext       not null,
  ItmSpec        citext       not null default '',
  ItmClsID       varchar(50)  references KX_Base_ItemClass (ClsID),
  ItmType        smallint     not null default 1 check (ItmType between 1 and 4),
  ItmTypeName    varchar(20)  generated always as
                   (case ItmType when 1 then '外购' when 2 then '自制' when 3 then '委外' when 4 then '虚拟' end) stored,
  ItmUnitID      varchar(50)  not null references KX_Base_Unit (UntID),
  ItmInvUnitID   varchar(50)  references KX_Base_Unit (UntID),
  ItmBuyUnitID   varchar(50)  references KX_Base_Unit (UntID),
  ItmSaleUnitID  varchar(50)  references KX_Base_Unit (UntID),
  ItmProdUnitID  varchar(50)  references KX_Base_Unit (UntID),
  ItmDecimal     smallint     not null default 4 check (ItmDecimal between 0 and 8),
  ItmBatchMgmt   smallint     not null default 0 check (ItmBatchMgmt in (0, 1)),   -- stock kept per batch
  ItmDefStkID    varchar(50)  references KX_Base_Stock (StkID),
  ItmStdPrice    numeric(28,8),
  ItmHasProp1    smallint     not null default 0 check (ItmHasProp1 in (0, 1)),
  ItmHasProp2    smallint     not null default 0 check (ItmHasProp2 in (0, 1)),
  ItmHasProp3    smallint     not null default 0 check (ItmHasProp3 in (0, 1)),
  ItmHasProp4    smallint     not null default 0 check (ItmHasProp4 in (0, 1)),
  ItmHasProp5    smallint     not null default 0 check (ItmHasProp5 in (0, 1)),
  ItmHasProp6    smallint     not null default 0 check (ItmHasProp6 in (0, 1)),
  ItmHasProp7    smallint     not null default 0 check (ItmHasProp7 in (0, 1)),
  ItmHasProp8    smallint     not null default 0 check (ItmHasProp8 in (0, 1)),
  ItmHasProp9    smallint     not null default 0 check (ItmHasProp9 in (0, 1)),
  ItmHasProp10   smallint     not null default 0 check (ItmHasProp10 in (0, 1)),
  ItmDisabled    smallint     not null default 0 check (ItmDisabled in (0, 1)),
  ItmNote        varchar(500),
  ItmCreater     varchar(50)  references KX_SYS_Users (UsrID),
  ItmNewTime     timestamp(3) not null default localtimestamp
);
create index KX_Base_ItemMaster_Name on KX_Base_ItemMaster (ItmName);
create index KX_Base_ItemMaster_Cls on KX_Base_ItemMaster (ItmClsID);

-- Supplier price lists ("价格资料") and supply sources ("供货资料") per item. SprKind / SpiKind:
-- 1 purchase, 2 outsourcing. Prices are per unit SprUntID in currency SprCurID, valid from begin to end
-- date inclusive (null: open). Read when the release proposes a default or lists the possible suppliers.
create table KX_Base_SuppPrice (
  SprIID       integer       generated by default as identity primary key,
  SprSuppID    varchar(50)   not null references KX_Base_Supplier (SuppID),
  SprItmID     varchar(50)   not null references KX_Base_ItemMaster (ItmID),
  SprItmProps  varchar(100)  not null default '',           -- '' for every property set of the item
  SprKind      smallint      not null default 1 check (SprKind in (1, 2)),
  SprCurID     varchar(50)   references KX_Base_Currency (CurID),
  SprUntID     varchar(50)   references KX_Base_Unit (UntID),
  SprMinQty    numeric(28,8) not null default 0,              -- price applies from this quantity on
  SprPrice     numeric(28,8) not null check (SprPrice >= 0),
  SprBeginDate timestamp(3),
  SprEndDate   timestamp(3),
  SprDisabled  smallint      not null default 0 check (SprDisabled in (0, 1))
);
create index KX_Base_SuppPrice_Item on KX_Base_SuppPrice (SprItmID, SprKind);

create table KX_Base_SuppItems (
  SpiSuppID   varchar(50)   not null references KX_Base_Supplier (SuppID),
  SpiItmID    varchar(50)   not null references KX_Base_ItemMaster (ItmID),
  SpiKind     smallint      not null default 1 check (SpiKind in (1, 2)),
  SpiPriority integer       not null default 0,             -- smaller first
  SpiQuota    numeric(28,8),                                -- share of the purchases in percent
  SpiLeadDays integer,
  SpiSuppItmNo varchar(80),                                 -- the supplier's own item number
  SpiDisabled smallint      not null default 0 check (SpiDisabled in (0, 1)),
  primary key (SpiItmID, SpiKind, SpiSuppID)
);
