# Publishing of plan schemes and the release of planned supplies into ERP bills.
target_sources(kx_engine PRIVATE
    release/outputlist.cpp
    release/outputoptions.cpp
    release/publishing.cpp
    release/releasebills.cpp
    release/releasecheck.cpp
    release/releaseentries.cpp
)
target_sources(kx_ui PRIVATE
    release/outputframe.cpp
    release/outputpanel.cpp
    release/outputsetdlg.cpp
    release/releasedlg.cpp
    release/releasesetdlg.cpp
)
