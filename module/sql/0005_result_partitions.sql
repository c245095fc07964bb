-- A run replaces a scheme's demands, supplies, allocations and balance whole. Each scheme's
-- rows of these tables live in a partition of their own, which a run builds aside and then
-- swaps in: its indexes are built once from sorted rows rather than row by row, and the old
-- rows go with their table instead of being deleted one by one. Rows of a scheme that has
-- no partition of its own (a copied scheme before its first run) stay in the default
-- partition.

-- call KX_MRP_SplitBySchemes(TableName, SchemeColumn): makes the table one partitioned by
-- the scheme column, with a default partition holding its rows, the same primary key,
-- foreign keys and indexes, and the views over it made again.
create procedure KX_MRP_SplitBySchemes(TableName text, SchemeColumn text)
language plpgsql as $$
declare
  kept text := TableName || '_Unsplit';
  keys text[];
  views text[];
  statement text;
begin
  -- What is made again afterwards, as statements: keys and indexes, then views.
  select coalesce(array_agg(format('alter table %s add constraint %I %s', TableName, c.conname, pg_get_constraintdef(c.oid))
                            order by c.contype desc, c.conname), '{}')
    into keys
    from pg_constraint as c
   where c.conrelid = TableName::regclass and c.contype in ('p', 'f');
  select keys || coalesce(array_agg(pg_get_indexdef(i.indexrelid) order by i.indexrelid), '{}')
    into keys
    from pg_index as i
   where i.indrelid = TableName::regclass
     and not exists (select 1 from pg_constraint as c where c.conindid = i.indexrelid);
  select coalesce(array_agg(format('create view %s as %s', v.oid::regclass, pg_get_viewdef(v.oid)) order by v.oid), '{}')
    into views
    from pg_class as v
   where v.oid in (select r.ev_class from pg_depend as d join pg_rewrite as r on r.oid = d.objid
                    where d.refobjid = TableName::regclass and r.ev_class <> d.refobjid);

  execute format('alter table %s rename to %s', TableName, kept);
  execute format('create table %s (like %s including defaults including constraints) partition by list (%s)',
                 TableName, kept, SchemeColumn);
  execute format('create table %s partition of %s default', TableName || '_Rest', TableName);
  execute format('insert into %s select * from %s', TableName, kept);
  execute format('drop table %s cascade', kept);
  foreach statement in array keys || views loop
    execute statement;
  end loop;
end
$$;

call KX_MRP_SplitBySchemes('KX_MRP_Demands', 'DmdSchIID');
call KX_MRP_SplitBySchemes('KX_MRP_Supplies', 'SupSchIID');
call KX_MRP_SplitBySchemes('KX_MRP_Allots', 'AltSchIID');
call KX_MRP_SplitBySchemes('KX_MRP_Balance', 'BalSchIID');
