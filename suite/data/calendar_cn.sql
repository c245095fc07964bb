-- Factory calendars for 2026 and 2027 with the Chinese public holidays: run by the demo factory and the data generator.
-- A calendar that exists already keeps its holidays as its users edited them; only missing calendars are created.
-- 2026 follows the State Council's published schedule; 2027 is a presumed schedule in the usual pattern
-- (replace it with the published one when it appears).

create temp table tmp_KX_CalPublic (HolFrom date not null, HolTo date not null, HolName varchar(20) not null) on commit drop;
insert into tmp_KX_CalPublic (HolFrom, HolTo, HolName) values
  ('2026-01-01', '2026-01-03', '元旦'),
  ('2026-02-15', '2026-02-23', '春节'),
  ('2026-04-04', '2026-04-06', '清明节'),
  ('2026-05-01', '2026-05-05', '劳动节'),
  ('2026-06-19', '2026-06-21', '端午节'),
  ('2026-09-25', '2026-09-27', '中秋节'),
  ('2026-10-01', '2026-10-07', '国庆节'),
  ('2027-01-01', '2027-01-03', '元旦'),
  ('2027-02-05', '2027-02-13', '春节'),
  ('2027-04-03', '2027-04-05', '清明节'),
  ('2027-05-01', '2027-05-05', '劳动节'),
  ('2027-06-09', '2027-06-09', '端午节'),
  ('2027-09-15', '2027-09-15', '中秋节'),
  ('2027-10-01', '2027-10-07', '国庆节');

-- Weekend days worked to make up for the long holidays ("调休上班").
create temp table tmp_KX_CalWorkday (WrkDate date not null primary key) on commit drop;
insert into tmp_KX_CalWorkday (WrkDate) values
  ('2026-01-04'), ('2026-02-14'), ('2026-02-28'), ('2026-05-09'), ('2026-09-20'), ('2026-10-10'),
  ('2027-02-20'), ('2027-05-08'), ('2027-09-26'), ('2027-10-09');

-- Non-working days of a calendar whose weekly rest days are the ISO weekdays in RestDays (6 Saturday, 7 Sunday).
create temp table tmp_KX_CalDefs (CalName varchar(100) not null, CalNote varchar(500) not null, RestDays integer[] not null) on commit drop;
insert into tmp_KX_CalDefs (CalName, CalNote, RestDays) values
  ('标准工作日历', '周六、周日及法定节假日休息, 调休日上班', '{6,7}'),
  ('六天工作制日历', '周日及法定节假日休息, 调休日上班', '{7}');

with added as (
  insert into KX_MRP_Calendar (CalName, CalNote)
  select CalName, CalNote from tmp_KX_CalDefs
  on conflict (CalName) do nothing
  returning CalIID, CalName
)
insert into KX_MRP_Holidays (CalIID, CalHoliday)
select a.CalIID, d.Day
  from added as a
  join tmp_KX_CalDefs as c on c.CalName = a.CalName
  cross join lateral (select g::date as Day from generate_series(date '2026-01-01', date '2027-12-31', interval '1 day') as g) as d
 where (extract(isodow from d.Day)::integer = any (c.RestDays)
        or exists (select 1 from tmp_KX_CalPublic as p where d.Day between p.HolFrom and p.HolTo))
   and not exists (select 1 from tmp_KX_CalWorkday as w where w.WrkDate = d.Day);
