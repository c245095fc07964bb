-- KX_MRP_ForcastStamp: a fingerprint of a product forecast bill as stored, its head and every
-- line; the forecast editor reads it with the bill and the bill service compares it when the
-- bill is stored again, so that a bill another user changed meanwhile is not overwritten.
-- null when there is no such bill.
create function KX_MRP_ForcastStamp(p_id varchar) returns text
language sql stable as $$
  select md5(concat_ws('|', h.ForNo, h.ForDate, h.ForChecked) || '#' ||
             coalesce(string_agg(concat_ws('|', l.ForEntry, l.ForItmID, l.ForItmProps, l.ForItmProp1, l.ForItmProp2, l.ForItmProp3,
                                           l.ForItmProp4, l.ForItmProp5, l.ForItmProp6, l.ForItmProp7, l.ForItmProp8, l.ForItmProp9,
                                           l.ForItmProp10, coalesce(l.ForCustID, '-'), coalesce(l.ForUntID, '-'), l.ForUBillQty,
                                           l.ForBillQty, l.ForDelivDate, coalesce(l.ForNote, '-'), coalesce(l.ForOrigTag, '-'),
                                           coalesce(l.ForOrigSubTag, '-'), l.ForGroupType, l.ForGroupNo, l.ForClosed),
                                 ';' order by l.ForEntry), ''))
    from KX_Bill_ForHead as h
    left join KX_Bill_ForLine as l on l.ForID = h.ForID
   where h.ForID = p_id
   group by h.ForID, h.ForNo, h.ForDate, h.ForChecked
$$;
