# Reliability: files made to harm the import, two sessions on one scheme, the command line's
# refusals, and the messages every failure ends in.
kx_add_test(reliability_unit_tests SOURCES
    reliability/cliargs_test.cpp
    reliability/errortext_test.cpp
    reliability/hostilefile_test.cpp
)
target_link_libraries(reliability_unit_tests PRIVATE kx_bench_support kx_clihost)

kx_add_test(reliability_tests DB SOURCES
    reliability/cli_test.cpp
    reliability/importcells_test.cpp
    reliability/runvolume_test.cpp
    reliability/schemerace_test.cpp
    reliability/sessionfixture.cpp
)
target_link_libraries(reliability_tests PRIVATE kx_bench_support)
target_compile_definitions(reliability_tests PRIVATE KX_KXMRP_PATH="$<TARGET_FILE:kxmrp>")
add_dependencies(reliability_tests kxmrp)
