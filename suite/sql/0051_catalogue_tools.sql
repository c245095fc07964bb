-- Helpers that later catalogue migrations use to describe objects: one call per object,
-- data source and field, the sequence numbers counted for the caller.

create function KX_SYS_CatObject(p_id text, p_name text, p_type smallint, p_menu text, p_dll text default '',
                                 p_editor smallint default 0, p_order integer default 0) returns void
language plpgsql as $$
begin
  delete from KX_SYS_Objects where ObjID = p_id;
  insert into KX_SYS_Objects (ObjID, ObjName, ObjType, ObjMenu, ObjDllName, ObjHasEditor, ObjOrder)
  values (p_id, p_name, p_type, p_menu, p_dll, p_editor, p_order);
end $$;

create function KX_SYS_CatSource(p_obj text, p_id text, p_sql text, p_join text default '', p_filter text default '',
                                 p_type smallint default 0) returns void
language plpgsql as $$
declare
  v_seq integer;
begin
  select coalesce(max(DsrSeq), 0) + 1 into v_seq from KX_SYS_ObjDataSources where DsrObjID = p_obj;
  insert into KX_SYS_ObjDataSources (DsrObjID, DsrSeq, DsrID, DsrIsMain, DsrType, DsrSQLData, DsrJoin, DsrFilter)
  values (p_obj, v_seq, p_id, case when v_seq = 1 then 1 else 0 end, p_type, p_sql, p_join, p_filter);
end $$;

-- p_type: dataset field type (1 text, 2 smallint, 3 integer, 5 boolean, 6 float, 9 date, 11 date-time,
-- 24 wide text); p_flags: letters P primary, H hidden from lists, D not in the default column set,
-- L fixed left, S not sortable, F not filterable, T no total.
create function KX_SYS_CatField(p_obj text, p_id text, p_name text, p_expr text, p_type smallint default 24,
                                p_precision smallint default 0, p_flags text default '', p_valuetype smallint default 0,
                                p_enumclass text default '', p_valuesource text default '',
                                p_viewsign smallint default 0) returns void
language plpgsql as $$
declare
  v_seq integer;
begin
  select coalesce(max(FldSeq), 0) + 1 into v_seq from KX_SYS_ObjFields where FldObjID = p_obj;
  insert into KX_SYS_ObjFields (FldObjID, FldSeq, FldID, FldName, FldIsPrimary, FldDataType, FldPrecision, FldSQLExpress,
                                FldValueType, FldValueSource, FldEnumClass, FldHideList, FldHideSort, FldHideFilter,
                                FldHideTotal, FldLayout, FldViewSign)
  values (p_obj, v_seq, p_id, p_name, (position('P' in p_flags) > 0)::int, p_type, p_precision, p_expr,
          p_valuetype, p_valuesource, p_enumclass, (position('H' in p_flags) > 0)::int, (position('S' in p_flags) > 0)::int,
          (position('F' in p_flags) > 0)::int, (position('T' in p_flags) > 0)::int,
          case when position('L' in p_flags) > 0 then 1 when position('D' in p_flags) > 0 then 3 else 0 end, p_viewsign);
end $$;

create function KX_SYS_CatAction(p_obj text, p_id text, p_name text, p_type smallint default 6, p_kind smallint default 0,
                                 p_dll text default '', p_filter text default '', p_access text default '') returns void
language plpgsql as $$
declare
  v_seq integer;
begin
  select coalesce(max(ActSeq), -1) + 1 into v_seq from KX_SYS_ObjActions where ActObjID = p_obj;
  insert into KX_SYS_ObjActions (ActObjID, ActSeq, ActID, ActName, ActType, ActKind, ActDllName, ActFilter, ActAccess)
  values (p_obj, v_seq, p_id, p_name, p_type, p_kind, p_dll, p_filter, p_access);
end $$;

create function KX_SYS_CatAccess(p_obj text, p_id text, p_name text) returns void
language plpgsql as $$
begin
  insert into KX_SYS_ObjAccessGroups (AgrObjID, AgrID, AgrName, AgrSeq)
  values (p_obj, p_id, p_name, (select count(*) from KX_SYS_ObjAccessGroups where AgrObjID = p_obj));
end $$;

-- The item columns every item-bearing object shows: number, name, specification, unit, and the
-- property key with its ten values (p is the source's column prefix, e.g. 's.SOItm').
create function KX_SYS_CatItemFields(p_obj text, p_prefix text) returns void
language plpgsql as $$
begin
  perform KX_SYS_CatField(p_obj, 'ItmNo', '物料代码', 'i.ItmNo', 24::smallint, 0::smallint, 'L');
  perform KX_SYS_CatField(p_obj, 'ItmName', '物料名称', 'i.ItmName');
  perform KX_SYS_CatField(p_obj, 'ItmSpec', '规格型号', 'i.ItmSpec');
  perform KX_SYS_CatField(p_obj, 'ItmUnitName', '单位', 'u.UntName');
  perform KX_SYS_CatField(p_obj, 'ItmProps', '辅助属性', p_prefix || 'Props', 24::smallint, 0::smallint, 'D');
  for n in 1..10 loop
    perform KX_SYS_CatField(p_obj, 'ItmProp' || n, '辅助项' || n, p_prefix || 'Prop' || n, 24::smallint, 0::smallint, 'D');
  end loop;
end $$;

-- A bill-line object over a business view "s" with prefix p (For, SO, MO ...): its sources, key,
-- number and date, the item, the planning columns the main demand and the MRP run read through
-- macros, and the state columns.
create function KX_SYS_CatBillObject(p_obj text, p_name text, p_view text, p text, p_menu text, p_order integer,
                                     p_ext text default '') returns void
language plpgsql as $$
begin
  perform KX_SYS_CatObject(p_obj, p_name, 4::smallint, p_menu, '', 0::smallint, p_order);
  perform KX_SYS_CatSource(p_obj, 's', p_view);
  perform KX_SYS_CatSource(p_obj, 'i', 'KX_Base_ItemMaster', format('join KX_Base_ItemMaster as i on i.ItmID=s.%sItmID', p));
  perform KX_SYS_CatSource(p_obj, 'u', 'KX_Base_Unit', 'left join KX_Base_Unit as u on u.UntID=i.ItmUnitID');
  perform KX_SYS_CatSource(p_obj, 'mt', 'KX_MRP_ItemSetting', format('left join KX_MRP_ItemSetting as mt on mt.ItmID=s.%sItmID', p));
  if p_ext <> '' then
    perform KX_SYS_CatSource(p_obj, 'x', p_ext, format('left join %s as x on x.%sID=s.%sID and x.%sEntry=s.%sEntry', p_ext, p, p, p, p));
  end if;
  perform KX_SYS_CatField(p_obj, p || 'ID', '单据内码', 's.' || p || 'ID', 24::smallint, 0::smallint, 'PH');
  perform KX_SYS_CatField(p_obj, p || 'No', '单据编号', 's.' || p || 'No', 24::smallint, 0::smallint, 'L');
  perform KX_SYS_CatField(p_obj, p || 'Date', '单据日期', 's.' || p || 'Date', 9::smallint);
  perform KX_SYS_CatField(p_obj, p || 'Entry', '单据行', 's.' || p || 'Entry', 3::smallint, 0::smallint, 'PT');
  perform KX_SYS_CatField(p_obj, p || 'ItmID', '物料内码', 's.' || p || 'ItmID', 24::smallint, 0::smallint, 'H');
  perform KX_SYS_CatItemFields(p_obj, 's.' || p || 'Itm');
end $$;

-- The tracking and grouping columns of a bill line (macros $$OrigTag$$ ... $$BomNo$$).
create function KX_SYS_CatTrackFields(p_obj text, p text, p_with_origin boolean) returns void
language plpgsql as $$
begin
  perform KX_SYS_CatField(p_obj, 'BomNo', 'BOM单', 's.' || p || 'BomNo');
  perform KX_SYS_CatField(p_obj, 'OrigTag', '需求分类号', 's.' || p || 'OrigTag');
  perform KX_SYS_CatField(p_obj, 'OrigSubTag', '子件需求分类号', 's.' || p || 'OrigSubTag', 24::smallint, 0::smallint, 'D');
  perform KX_SYS_CatField(p_obj, 'MRPGroupType', 'MRP分组', 's.' || p || 'GroupType', 2::smallint, 0::smallint, 'D', 3::smallint,
                          'MrpGroupType');
  perform KX_SYS_CatField(p_obj, 'MRPGroupNo', 'MRP分组号', 's.' || p || 'GroupNo', 24::smallint, 0::smallint, 'D');
  if p_with_origin then
    perform KX_SYS_CatField(p_obj, 'OrigType', '源需求类型', 's.' || p || 'OrigType', 2::smallint, 0::smallint, 'D', 3::smallint,
                            'MrpBillType');
    perform KX_SYS_CatField(p_obj, 'OrigID', '源需求内码', 's.' || p || 'OrigID', 24::smallint, 0::smallint, 'H');
    perform KX_SYS_CatField(p_obj, 'OrigNo', '源需求单号', 's.' || p || 'OrigNo', 24::smallint, 0::smallint, 'D');
    perform KX_SYS_CatField(p_obj, 'OrigEntry', '源需求行', 's.' || p || 'OrigEntry', 3::smallint, 0::smallint, 'DT');
    perform KX_SYS_CatField(p_obj, 'OrigItmID', '源需求物料', 's.' || p || 'OrigItmID', 24::smallint, 0::smallint, 'H');
    perform KX_SYS_CatField(p_obj, 'OrigCustID', '源需求客户内码', 's.' || p || 'OrigCustID', 24::smallint, 0::smallint, 'H');
    perform KX_SYS_CatField(p_obj, 'OrigCustPO', '源需求客户单号', 's.' || p || 'OrigCustPO', 24::smallint, 0::smallint, 'D');
    perform KX_SYS_CatField(p_obj, 'OrigCust', '源需求客户',
                            format('(select CustName from KX_Base_Customer as oc where oc.CustID=s.%sOrigCustID)', p),
                            24::smallint, 0::smallint, 'D');
  end if;
end $$;

-- The state columns every bill line shows, and the user who created and checked it.
create function KX_SYS_CatStateFields(p_obj text, p text) returns void
language plpgsql as $$
begin
  perform KX_SYS_CatField(p_obj, p || 'Note', '备注', 's.' || p || 'Note');
  perform KX_SYS_CatField(p_obj, 'Checked', '已审核', 's.Checked', 5::smallint, 0::smallint, 'T');
  perform KX_SYS_CatField(p_obj, 'Closed', '已关闭', 's.Closed', 5::smallint, 0::smallint, 'T', 0::smallint, '', '', 1::smallint);
  perform KX_SYS_CatField(p_obj, 'CanMRP', '参与MRP', 's.CanMRP', 5::smallint, 0::smallint, 'DT');
  perform KX_SYS_CatField(p_obj, 'Creater', '制单人', 's.Creater', 24::smallint, 0::smallint, 'D', 1::smallint);
  perform KX_SYS_CatField(p_obj, 'Checker', '审核人', 's.Checker', 24::smallint, 0::smallint, 'D', 2::smallint);
  perform KX_SYS_CatField(p_obj, 'CheckDate', '审核日期', 's.CheckDate', 11::smallint, 0::smallint, 'D');
end $$;
