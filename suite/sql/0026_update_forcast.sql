-- KX_MRP_UpdateForcast: the state changes of a product forecast bill (check, uncheck, close, reopen, delete) for the forecast editor and the forecast list actions.

-- call KX_MRP_UpdateForcast(ForID, ForEntry, UpdateType, UserID)
-- ForEntry: the line as text, '0' for the whole bill. UpdateType (enumeration "MrpForcastUpdate"):
--    1 check the bill: ForChecked 1, ForChecker the user, ForCheckDate now (ForEntry is not needed);
--   -1 uncheck it: ForChecked 0, checker and date cleared;
--    2 close the line, or every open line: ForClosed 1, ForCloser the user, ForCloseDate now;
--   -2 reopen the line, or every closed line: ForClosed 0, closer and date cleared;
--    3 delete the line, or the whole bill; a bill left without lines is deleted with its last line.
-- A change the bill's state does not allow raises an error with its number in the detail:
--   65281 the bill does not exist;
--   65282 the line does not exist (or ForEntry is not a line number);
--   65283 the bill is checked: it cannot be checked again or deleted;
--   65284 the bill is not checked: it cannot be unchecked, and its lines cannot be closed;
--   65285 the line is already closed (with '0': no line is open), or a checked bill with closed lines
--         is unchecked;
--   65286 the line is not closed (with '0': no line is closed);
--   65287 an unknown update type.
-- The bill row is locked for the change, so two users changing one bill are served one after the other.
create procedure KX_MRP_UpdateForcast(ForID varchar, ForEntry varchar, UpdateType integer, UserID varchar)
language plpgsql as $$
declare
  bill_id  varchar := $1;
  line_no  integer;
  user_id  varchar := $4;
  bill_no  varchar;
  checked  smallint;
  touched  integer;
begin
  select h.ForNo, h.ForChecked into bill_no, checked
    from KX_Bill_ForHead as h
   where h.ForID = bill_id
     for update;
  if not found then
    raise exception '产品预测单据不存在, 可能已被删除!' using detail = 'errnum=65281';
  end if;
  if trim(coalesce($2, '')) !~ '^[0-9]{1,9}$' then
    raise exception '产品预测[%]的单据行(%)不存在!', bill_no, $2 using detail = 'errnum=65282';
  end if;
  line_no := trim($2)::integer;
  if line_no <> 0 and not exists (select 1 from KX_Bill_ForLine as l where l.ForID = bill_id and l.ForEntry = line_no) then
    raise exception '产品预测[%]的单据行(%)不存在!', bill_no, line_no using detail = 'errnum=65282';
  end if;

  case UpdateType
  when 1 then
    if checked = 1 then
      raise exception '产品预测[%]已审核, 不能再审核!', bill_no using detail = 'errnum=65283';
    end if;
    update KX_Bill_ForHead as h set ForChecked = 1, ForChecker = user_id, ForCheckDate = localtimestamp
     where h.ForID = bill_id;
  when -1 then
    if checked = 0 then
      raise exception '产品预测[%]未审核, 不能反审核!', bill_no using detail = 'errnum=65284';
    end if;
    if exists (select 1 from KX_Bill_ForLine as l where l.ForID = bill_id and l.ForClosed = 1) then
      raise exception '产品预测[%]有已关闭的单据行, 不能反审核!', bill_no using detail = 'errnum=65285';
    end if;
    update KX_Bill_ForHead as h set ForChecked = 0, ForChecker = null, ForCheckDate = null
     where h.ForID = bill_id;
  when 2, -2 then
    if UpdateType = 2 and checked = 0 then
      raise exception '产品预测[%]未审核, 不能关闭!', bill_no using detail = 'errnum=65284';
    end if;
    -- Closing touches the open lines, reopening the closed ones.
    update KX_Bill_ForLine as l
       set ForClosed = case when UpdateType = 2 then 1 else 0 end,
           ForCloser = case when UpdateType = 2 then user_id end,
           ForCloseDate = case when UpdateType = 2 then localtimestamp end
     where l.ForID = bill_id and (line_no = 0 or l.ForEntry = line_no)
       and l.ForClosed = case when UpdateType = 2 then 0 else 1 end;
    get diagnostics touched = row_count;
    if touched = 0 and UpdateType = 2 then
      raise exception '产品预测[%]的单据行已关闭!', bill_no using detail = 'errnum=65285';
    elsif touched = 0 then
      raise exception '产品预测[%]的单据行未关闭, 不能反关闭!', bill_no using detail = 'errnum=65286';
    end if;
  when 3 then
    if checked = 1 then
      raise exception '产品预测[%]已审核, 不能删除!', bill_no using detail = 'errnum=65283';
    end if;
    delete from KX_Bill_ForLine as l where l.ForID = bill_id and (line_no = 0 or l.ForEntry = line_no);
    if not exists (select 1 from KX_Bill_ForLine as l where l.ForID = bill_id) then
      delete from KX_Bill_ForHead as h where h.ForID = bill_id;
    end if;
  else
    raise exception '产品预测的操作类型(%)无效!', UpdateType using detail = 'errnum=65287';
  end case;
end
$$;
