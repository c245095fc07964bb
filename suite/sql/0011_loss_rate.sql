-- Issue loss arithmetic: loss quantities of a percentage or of a segmented loss-rate text, under the system's loss formula (KX_MRP_LossRateType).

-- Loss quantity of a percentage over a standard usage, rounded to 8 decimals. Divide formula
-- (LosType 1): issue = usage / (1 - rate/100), so the loss is usage*100/(100-rate) - usage; a rate of
-- 100 or more has no issue quantity and gives 0. Multiply formula: usage * rate / 100.
create function KX_MRP_PercentToLossQty(Rate numeric, Usage numeric)
returns numeric language sql stable as $$
  select case
           when coalesce($1, 0) <= 0 or $2 is null then 0
           when (select LosType from KX_MRP_LossRateType) = 1 then
             case when $1 < 100 then round($2 * 100 / (100 - $1) - $2, 8) else 0 end
           else round($2 * $1 / 100, 8)
         end
$$;

-- The percentage that gives a loss quantity over a usage, the inverse of KX_MRP_PercentToLossQty.
create function KX_MRP_LossQtyToPercent(LossQty numeric, Usage numeric)
returns numeric language sql stable as $$
  select case
           when coalesce($1, 0) <= 0 or coalesce($2, 0) <= 0 then 0
           when (select LosType from KX_MRP_LossRateType) = 1 then round($1 * 100 / ($2 + $1), 8)
           else round($1 * 100 / $2, 8)
         end
$$;

-- A number of a loss-rate text; unreadable text counts as 0.
create function KX_MRP_LossTextNumber(Txt text)
returns numeric language sql immutable as $$
  select case when $1 ~ '^[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?$' then $1::numeric else 0 end
$$;

-- Loss quantity of a loss-rate text over a standard usage. The text is a list of segments separated by
-- "|": an optional upper bound of the usage and ":", then a fixed quantity ("10"), a percentage ("2%")
-- or a percentage smoothed from the previous segment's rate ("1%+", "3%-"). A segment without bound
-- covers nothing when it is not the last (a fixed quantity there applies to any usage) and everything
-- above the previous bound when it is the last. An empty text falls back to DefaultRate percent.
-- Example: "10|100:2%|1000:1%+" over 550 is 10 + 2 (2% of 100) + 6.75 (450 at 2% smoothed halfway
-- towards 1%, i.e. 1.5%) = 18.75.
create function KX_MRP_CalcLossQty(Txt text, DefaultRate numeric, Usage numeric)
returns numeric language plpgsql stable as $$
declare
  segs     text[];
  seg      text;
  body     text;
  n        integer;
  bound    numeric;
  width    numeric;
  portion  numeric;
  rate     numeric;
  loss     numeric;
  fixed    boolean;
  total    numeric := 0;
  lower_q  numeric := 0;
  last_rate numeric := 0;
  remaining numeric := coalesce(Usage, 0);
begin
  segs := array_remove(string_to_array(replace(coalesce(Txt, ''), ' ', ''), '|'), '');
  n := coalesce(array_length(segs, 1), 0);
  if n = 0 then
    return KX_MRP_PercentToLossQty(DefaultRate, Usage);
  end if;
  for i in 1 .. n loop
    seg := segs[i];
    if position(':' in seg) > 0 then
      bound := KX_MRP_LossTextNumber(split_part(seg, ':', 1));
      body := substr(seg, position(':' in seg) + 1);
    else
      bound := case when i = n then 1e30 else 0 end;   -- the last segment has no upper limit
      body := seg;
    end if;
    width := greatest(bound - lower_q, 0);
    portion := least(width, remaining);
    fixed := position('%' in body) = 0;
    if fixed then
      loss := KX_MRP_LossTextNumber(body);
    else
      rate := KX_MRP_LossTextNumber(split_part(body, '%', 1));
      -- A smoothed segment that the usage ends inside moves only part of the way towards its rate.
      if (body like '%\%+' or body like '%\%-') and portion < width then
        rate := last_rate + (rate - last_rate) * portion / width;
      end if;
      loss := KX_MRP_PercentToLossQty(rate, portion);
    end if;
    total := total + loss;
    remaining := remaining - width;
    exit when remaining <= 0;
    lower_q := lower_q + width;
    if not fixed then
      last_rate := rate;
    end if;
  end loop;
  return total;
end
$$;

-- The text a BOM line without its own loss-rate text is given: its rate in shortest form and "%".
create function KX_MRP_LossRateText(Rate numeric)
returns varchar language sql immutable as $$
  select (trim_scale(coalesce($1, 0)) || '%')::varchar
$$;
