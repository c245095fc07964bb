-- The main-demand view lists a scheme's lines by need date, priority (highest first) and bill
-- kind. Read in that order from this index, the first screens of a large main demand come
-- without sorting every line of the scheme first; each scheme's partition gets it, a
-- partition swapped in by a fetch builds it from its sorted rows.
create index KX_MRP_Main_ViewOrder on KX_MRP_Main (ManSchIID, ManDate, ManPriority desc, ManBillType);
