# The plan scheme workbench and its result views: widget-free logic into kx_engine (kxmrp
# and the tests call it), screens into kx_ui.
target_sources(kx_engine PRIVATE
    workbench/allotment.cpp
    workbench/balancebills.cpp
    workbench/deliveryimport.cpp
    workbench/itembom.cpp
    workbench/mainedit.cpp
    workbench/mainpick.cpp
    workbench/schemeops.cpp
    workbench/supplyadjust.cpp
)
target_sources(kx_ui PRIVATE
    workbench/allotframe.cpp
    workbench/balancechart.cpp
    workbench/balanceframe.cpp
    workbench/billsframe.cpp
    workbench/importresults.cpp
    workbench/itembomedit.cpp
    workbench/mainadjustdlg.cpp
    workbench/mainframe.cpp
    workbench/mainsourcedlg.cpp
    workbench/mrpframe.cpp
    workbench/replacesframe.cpp
    workbench/resulttab.cpp
    workbench/schemepage.cpp
    workbench/schemeviewlink.cpp
    workbench/suppliesframe.cpp
)
