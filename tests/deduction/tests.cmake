# Forecast deduction: the hand-written cases (cases/*.ded) and the rules behind them, the
# host actions, the deduction view and the forecast bill editor.
kx_add_test(deduction_tests DB SOURCES
    deduction/deductcase.cpp
    deduction/deductcases_test.cpp
    deduction/deductmps_test.cpp
    deduction/deductoptions_test.cpp
    deduction/deductrace_test.cpp
)
target_link_libraries(deduction_tests PRIVATE kx_scenario_files)
target_compile_definitions(deduction_tests PRIVATE KX_DEDUCT_CASE_DIR="${CMAKE_CURRENT_SOURCE_DIR}/deduction/cases"
                                                  KX_KXMRP_PATH="$<TARGET_FILE:kxmrp>")
add_dependencies(deduction_tests kxmrp)

# The deduction view, the deduction actions and the forecast bill editor on the demo factory.
kx_add_test(deduction_view_tests DB SOURCES
    deduction/deductactions_test.cpp
    deduction/deductview_test.cpp
    deduction/forcasteditor_test.cpp
    masterdata/masterdatafixture.cpp
)
target_include_directories(deduction_view_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/masterdata)

# The same in the desktop host: the forecast list with its editor and deductions, the log.
kx_add_test(deduction_shell_tests DB SOURCES
    deduction/deductshell_test.cpp
    shell/shellfixture.cpp
)
target_include_directories(deduction_shell_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/shell)
target_link_libraries(deduction_shell_tests PRIVATE kx_shell)
add_dependencies(deduction_shell_tests kx_mrp)
