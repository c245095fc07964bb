-- System settings, per-user settings and enumerations of the suite.
-- Read and written by the module's settings and enumeration routines.
create extension if not exists citext;

create table KX_SYS_SysSettings (
  SetClass citext not null,
  SetKey   citext not null,
  SetValue text,
  primary key (SetClass, SetKey)
);

create table KX_SYS_UserSettings (
  SetUsrID varchar(50) not null,
  SetClass citext not null,
  SetKey   citext not null,
  SetValue text,
  primary key (SetUsrID, SetClass, SetKey)
);

create table KX_SYS_Enums (
  EnmClass citext not null,
  EnmID    integer not null,
  EnmName  varchar(100) not null,
  primary key (EnmClass, EnmID)
);
