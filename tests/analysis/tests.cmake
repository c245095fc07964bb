# The analyses: BOM expansion, kit and shortage analysis, inventory aging.
kx_add_test(analysis_tests DB SOURCES
    analysis/bomquantity_test.cpp
    analysis/invage_test.cpp
)
kx_add_test(analysis_view_tests DB SOURCES
    analysis/bomexpand_test.cpp
    analysis/invageview_test.cpp
    analysis/mrpmini_test.cpp
    masterdata/masterdatafixture.cpp
)
