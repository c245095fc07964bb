-- A scheme's main demand is replaced whole when it is fetched, imported or copied, as its
-- results are by a run: each scheme's main-demand lines live in a partition of their own too.
call KX_MRP_SplitBySchemes('KX_MRP_Main', 'ManSchIID');
