# Forecast deduction: the automatic run, the bookkeeping of the log and the lines' extension
# rows, and the manual deduction of one bill line (widget-free); the dialog, the view and the
# host actions on top.
target_sources(kx_engine PRIVATE
    deduction/autodeduct.cpp
    deduction/deductbill.cpp
    deduction/deductlog.cpp
    deduction/deductoptions.cpp
)
target_sources(kx_ui PRIVATE
    deduction/deductactions.cpp
    deduction/deductautodlg.cpp
    deduction/deductframe.cpp
)
