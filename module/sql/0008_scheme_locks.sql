-- Who holds a plan scheme's lock, and for what. The lock itself is a session-level advisory
-- lock of the holder's connection, which the server releases when that session ends; a row
-- whose session is gone is stale and is simply overwritten by the next holder.
create table KX_MRP_SchemeLocks (
  LckSchIID     integer      primary key,
  LckPID        integer      not null,           -- server process of the holding session
  LckUsrID      varchar(50),
  LckUsrName    varchar(100),
  LckOperation  varchar(100),
  LckTime       timestamp(0) not null default localtimestamp(0)
);
