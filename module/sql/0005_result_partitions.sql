-- A run replaces a scheme's demands, supplies, allocations and balance whole. Each scheme's
-- rows of these tables live in a partition of their own, which a run builds aside and then
-- swaps in: its indexes are built once from sorted rows rather than row by row, and the old
-- rows go with their table instead of being deleted one by one. Rows of a scheme that has
-- no partition of its own (a copied scheme before its first run) stay in the default
-- partition.

-- Views over these tables are set aside and rebuilt over the new tables.
create temp table KX_Migration_Views on commit drop as
select distinct v.oid, v.oid::regclass::text as Name, pg_get_viewdef(v.oid) as Body
  from pg_depend as d
  join pg_rewrite as r on r.oid = d.objid
  join pg_class as v on v.oid = r.ev_class
 where d.refobjid in ('KX_MRP_Demands'::regclass, 'KX_MRP_Supplies'::regclass, 'KX_MRP_Allots'::regclass,
                      'KX_MRP_Balance'::regclass)
   and v.oid <> d.refobjid;

alter table KX_MRP_Demands rename to KX_MRP_Demands_Unsplit;
create table KX_MRP_Demands (like KX_MRP_Demands_Unsplit including defaults including constraints) partition by list (DmdSchIID);
create table KX_MRP_Demands_Rest partition of KX_MRP_Demands default;
insert into KX_MRP_Demands select * from KX_MRP_Demands_Unsplit;
drop table KX_MRP_Demands_Unsplit cascade;
alter table KX_MRP_Demands add primary key (DmdSchIID, DmdIID),
  add foreign key (DmdSchIID) references KX_MRP_Schemes (SchIID) on delete cascade;
create index KX_MRP_Demands_Item on KX_MRP_Demands (DmdSchIID, DmdItmID);
create index KX_MRP_Demands_Parent on KX_MRP_Demands (DmdSchIID, DmdPSupIID);

alter table KX_MRP_Supplies rename to KX_MRP_Supplies_Unsplit;
create table KX_MRP_Supplies (like KX_MRP_Supplies_Unsplit including defaults including constraints) partition by list (SupSchIID);
create table KX_MRP_Supplies_Rest partition of KX_MRP_Supplies default;
insert into KX_MRP_Supplies select * from KX_MRP_Supplies_Unsplit;
drop table KX_MRP_Supplies_Unsplit cascade;
alter table KX_MRP_Supplies add primary key (SupSchIID, SupIID),
  add foreign key (SupSchIID) references KX_MRP_Schemes (SchIID) on delete cascade;
create index KX_MRP_Supplies_Item on KX_MRP_Supplies (SupSchIID, SupItmID);
create index KX_MRP_Supplies_Bill on KX_MRP_Supplies (SupSchIID, SupBillType, SupBillID, SupBillEntry);

alter table KX_MRP_Allots rename to KX_MRP_Allots_Unsplit;
create table KX_MRP_Allots (like KX_MRP_Allots_Unsplit including defaults including constraints) partition by list (AltSchIID);
create table KX_MRP_Allots_Rest partition of KX_MRP_Allots default;
insert into KX_MRP_Allots select * from KX_MRP_Allots_Unsplit;
drop table KX_MRP_Allots_Unsplit cascade;
alter table KX_MRP_Allots add primary key (AltSchIID, AltIID),
  add foreign key (AltSchIID) references KX_MRP_Schemes (SchIID) on delete cascade;
create index KX_MRP_Allots_Sup on KX_MRP_Allots (AltSchIID, AltSupIID);
create index KX_MRP_Allots_Dmd on KX_MRP_Allots (AltSchIID, AltDmdIID);

alter table KX_MRP_Balance rename to KX_MRP_Balance_Unsplit;
create table KX_MRP_Balance (like KX_MRP_Balance_Unsplit including defaults including constraints) partition by list (BalSchIID);
create table KX_MRP_Balance_Rest partition of KX_MRP_Balance default;
insert into KX_MRP_Balance select * from KX_MRP_Balance_Unsplit;
drop table KX_MRP_Balance_Unsplit cascade;
alter table KX_MRP_Balance add primary key (BalSchIID, BalIID),
  add foreign key (BalSchIID) references KX_MRP_Schemes (SchIID) on delete cascade;

do $$
declare
  v record;
begin
  for v in select Name, Body from KX_Migration_Views order by oid loop
    execute format('create view %s as %s', v.Name, v.Body);
  end loop;
end $$;
