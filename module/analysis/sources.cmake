# Analyses: BOM expansion and inventory aging.
target_sources(kx_engine PRIVATE
    analysis/bomexpand.cpp
    analysis/invage.cpp
    analysis/mrpmini.cpp
)
target_sources(kx_ui PRIVATE
    analysis/bomexpandframe.cpp
    analysis/invageframe.cpp
    analysis/invagesetdlg.cpp
    analysis/mrpminiframe.cpp
    analysis/mrpminisetdlg.cpp
)
