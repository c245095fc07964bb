-- A scheme's main demand is replaced whole when it is fetched, imported or copied, as its
-- results are by a run: each scheme's main-demand lines live in a partition of their own too.

create temp table KX_Migration_Views on commit drop as
select distinct v.oid, v.oid::regclass::text as Name, pg_get_viewdef(v.oid) as Body
  from pg_depend as d
  join pg_rewrite as r on r.oid = d.objid
  join pg_class as v on v.oid = r.ev_class
 where d.refobjid = 'KX_MRP_Main'::regclass
   and v.oid <> d.refobjid;

alter table KX_MRP_Main rename to KX_MRP_Main_Unsplit;
create table KX_MRP_Main (like KX_MRP_Main_Unsplit including defaults including constraints) partition by list (ManSchIID);
create table KX_MRP_Main_Rest partition of KX_MRP_Main default;
insert into KX_MRP_Main select * from KX_MRP_Main_Unsplit;
drop table KX_MRP_Main_Unsplit cascade;
alter table KX_MRP_Main add primary key (ManSchIID, ManIID),
  add foreign key (ManSchIID) references KX_MRP_Schemes (SchIID) on delete cascade;
create index KX_MRP_Main_Bill on KX_MRP_Main (ManSchIID, ManBillType, ManBillID, ManBillEntry);

do $$
declare
  v record;
begin
  for v in select Name, Body from KX_Migration_Views order by oid loop
    execute format('create view %s as %s', v.Name, v.Body);
  end loop;
end $$;
