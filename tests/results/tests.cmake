# The result views of a run: supplies with the planner's adjustments, pegging, balance with
# its bills and chart, substitutions.
kx_add_test(results_tests DB SOURCES
    results/resultsfixture.cpp
    results/supplyadjust_test.cpp
    results/suppliesview_test.cpp
    results/balanceview_test.cpp
    results/allotview_test.cpp
    results/replacesview_test.cpp
)
target_link_libraries(results_tests PRIVATE kx_scenario_runner Qt6::Test)

# The generated factory of size M adjusted in many ways: apart, as it takes a while.
kx_add_test(results_identity_tests DB SOURCES
    results/adjustidentity_test.cpp
)
target_link_libraries(results_identity_tests PRIVATE kx_scenario_runner)

# kxmrp supplies, run as a separate program.
kx_add_test(results_cli_tests DB SOURCES
    results/suppliescli_test.cpp
)
target_compile_definitions(results_cli_tests PRIVATE KX_KXMRP_PATH="$<TARGET_FILE:kxmrp>")
add_dependencies(results_cli_tests kxmrp)

# The result tabs inside the real workbench.
kx_add_test(results_workbench_tests DB SOURCES
    results/workbenchtabs_test.cpp
    workbench/workbenchfixture.cpp
    masterdata/masterdatafixture.cpp
)
target_link_libraries(results_workbench_tests PRIVATE Qt6::Test)
