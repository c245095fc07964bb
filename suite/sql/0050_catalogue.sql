-- The object catalogue: every information object the host can open, with its data
-- sources, fields, actions, relations, access groups and data-permission codes. The host
-- builds object definitions from these rows; who holds which access group is in
-- KX_SYS_AccessRights.

create table KX_SYS_Objects (
  ObjID        citext       not null primary key,          -- "KX_MRP.Items", "KX_MRP.SO" ...
  ObjName      varchar(100) not null,
  ObjType      smallint     not null default 0,           -- 0 list view, 1 workbench frame, 2 form, 3 bill editor, 4 action-only list
  ObjInternal  smallint     not null default 0,
  ObjHasEditor smallint     not null default 0,
  ObjCanPrint  smallint     not null default 1,
  ObjCanExport smallint     not null default 1,
  ObjDllName   varchar(100) not null default '',          -- library serving the object; empty: the host's own list
  ObjSID       varchar(50)  not null default '',
  ObjMenu      varchar(100) not null default '',          -- navigation folder, "计划\主数据"
  ObjOrder     integer      not null default 0,
  ObjEditorID  citext                                       -- object whose editor opens this object's records
);

create table KX_SYS_ObjDataSources (
  DsrObjID   citext       not null references KX_SYS_Objects (ObjID) on delete cascade,
  DsrSeq     integer      not null,
  DsrID      varchar(50)  not null,                       -- alias of the source in the object's statement
  DsrIsMain  smallint     not null default 0,
  DsrType    smallint     not null default 0,             -- 0 table or view, 1 select text, 2 procedure, 3 function
  DsrSQLData text         not null,
  DsrFilter  text         not null default '',
  DsrJoin    text         not null default '',            -- join text of a source that is not the main one
  primary key (DsrObjID, DsrSeq)
);

create table KX_SYS_ObjFields (
  FldObjID       citext       not null references KX_SYS_Objects (ObjID) on delete cascade,
  FldSeq         integer      not null,                   -- display order
  FldID          varchar(80)  not null,
  FldName        varchar(200) not null,
  FldIsPrimary   smallint     not null default 0,
  FldDataType    smallint     not null default 24,        -- field type number of the dataset field-type list (24 wide text)
  FldPrecision   smallint     not null default 0,
  FldSQLExpress  text         not null,
  FldValueType   smallint     not null default 0,         -- 0 normal, 1 creator, 2 user, 3 system enumeration, 4 inner enumeration, 5 lookup, 6 object
  FldValueSource text         not null default '',
  FldEnumClass   varchar(50)  not null default '',        -- enumeration class in KX_SYS_Enums for system enumerations
  FldEnumValues  text         not null default '',        -- inner enumeration: "value=text" items joined by "|"
  FldHideList    smallint     not null default 0,
  FldHideSort    smallint     not null default 0,
  FldHideFilter  smallint     not null default 0,
  FldHideTotal   smallint     not null default 0,
  FldLayout      smallint     not null default 0,         -- 0 normal, 1 fixed left, 2 fixed right, 3 hidden by default
  FldViewSign    smallint     not null default 0,         -- 0 none, 1 closed, 2 to do, 3 warning, 4 error
  primary key (FldObjID, FldSeq)
);

create table KX_SYS_ObjActions (
  ActObjID   citext       not null references KX_SYS_Objects (ObjID) on delete cascade,
  ActSeq     integer      not null,                       -- position: command 100 + index
  ActID      varchar(50)  not null,
  ActName    varchar(100) not null,
  ActType    smallint     not null default 6,             -- 0 new, 1 update, 2 delete, 3 copy, 4 print, 5 export, 6 custom, 7 import, 8 check, 9 uncheck
  ActKind    smallint     not null default 0,             -- 0 simple, 1 single, 2 view, 3 global
  ActGroup   integer      not null default 0,
  ActInEditor smallint    not null default 0,
  ActContext text         not null default '',
  ActFilter  text         not null default '',            -- condition a record must meet
  ActDllName varchar(100) not null default '',            -- library that carries the action out; empty: the host
  ActAccess  citext       not null default '',            -- access group needed to see the action; empty: everyone who sees the object
  primary key (ActObjID, ActSeq)
);

create table KX_SYS_ObjRelations (
  RelObjID     citext       not null references KX_SYS_Objects (ObjID) on delete cascade,
  RelSeq       integer      not null,
  RelID        varchar(50)  not null,
  RelName      varchar(100) not null,
  RelAsBody    smallint     not null default 0,
  RelRelObjID  citext       not null,
  RelFieldMaps text         not null default '',          -- "MasterField=DetailField" items joined by "|"
  primary key (RelObjID, RelSeq)
);

create table KX_SYS_ObjAccessGroups (
  AgrObjID citext       not null references KX_SYS_Objects (ObjID) on delete cascade,
  AgrID    citext       not null,                         -- "Browse", "Update", "Money", "ToMO" ...
  AgrName  varchar(100) not null,
  AgrSeq   integer      not null default 0,
  primary key (AgrObjID, AgrID)
);

-- Data-permission codes of an object: the condition of each code, with "$$UserID$$" and
-- "$$UserGroups$$" standing for the quoted user ID and the quoted, comma-separated group IDs.
create table KX_SYS_ObjPermits (
  PmtObjID    citext       not null references KX_SYS_Objects (ObjID) on delete cascade,
  PmtCode     citext       not null,
  PmtName     varchar(100) not null,
  PmtSQL      text         not null,                      -- condition on the object's own statement
  PmtQuerySQL text         not null default '',           -- condition for callers that query the object's rows by themselves; empty: PmtSQL
  primary key (PmtObjID, PmtCode)
);

-- Which permit codes a user (or a group) holds for an object. A user who holds none of an
-- object's codes sees none of its rows; an administrator is not restricted.
create table KX_SYS_UserPermits (
  UpmObjID   citext      not null,
  UpmCode    citext      not null,
  UpmUsrID   varchar(50) not null,
  UpmIsGroup smallint    not null default 0 check (UpmIsGroup in (0, 1)),
  primary key (UpmObjID, UpmCode, UpmUsrID, UpmIsGroup)
);
