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

# kxmrp kit and kxmrp lack, run as a separate program.
kx_add_test(analysis_cli_tests DB SOURCES
    analysis/minicli_test.cpp
)
target_compile_definitions(analysis_cli_tests PRIVATE KX_KXMRP_PATH="$<TARGET_FILE:kxmrp>")
add_dependencies(analysis_cli_tests kxmrp)
