-- A deleted scheme's rows go with it (the foreign keys cascade); its partitions, left empty,
-- go too.
create function KX_MRP_DropSchemePartitions() returns trigger language plpgsql as $$
declare
  t text;
begin
  foreach t in array array['kx_mrp_main', 'kx_mrp_demands', 'kx_mrp_supplies', 'kx_mrp_allots', 'kx_mrp_balance'] loop
    execute format('drop table if exists %I', t || '_s' || old.SchIID);
  end loop;
  return null;
end
$$;

create trigger KX_MRP_Schemes_Partitions after delete on KX_MRP_Schemes
  for each row execute function KX_MRP_DropSchemePartitions();
