# The plan scheme workbench and its main-demand view: the scheme and main-demand rules
# without widgets, and the planner's flow through the real frame offscreen.
kx_add_test(workbench_tests DB SOURCES
    workbench/workbenchfixture.cpp
    workbench/schemeops_test.cpp
    workbench/schemefilters_test.cpp
    workbench/mainedit_test.cpp
    workbench/kxmrp_test.cpp
    workbench/workbench_test.cpp
    masterdata/masterdatafixture.cpp
)
target_link_libraries(workbench_tests PRIVATE Qt6::Test)
target_compile_definitions(workbench_tests PRIVATE KX_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data")
# The headless commands are run as the operator runs them.
add_dependencies(workbench_tests kxmrp)
target_compile_definitions(workbench_tests PRIVATE KX_KXMRP="$<TARGET_FILE:kxmrp>")
