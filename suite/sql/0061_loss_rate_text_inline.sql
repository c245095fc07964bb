-- KX_MRP_LossRateText written so that queries take it in as an expression: the rate turned to
-- text before "%" is appended (the same text), which keeps the body immutable. As a called
-- function it ran as a statement of its own for every BOM line that KX_MRP_GetBOM lists.
create or replace function KX_MRP_LossRateText(Rate numeric)
returns varchar language sql immutable as $$
  select (trim_scale(coalesce($1, 0))::text || '%')::varchar
$$;
