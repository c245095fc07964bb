# Export and printing: workbooks, CSV, web pages, XML and PDF of grids, trees and lists,
# read back with independent tools (Debian's python3 with openpyxl, poppler).
kx_add_test(output_tests DB SOURCES
    output/exportfixture.cpp
    views/viewfixture.cpp
    output/export_test.cpp
    output/print_test.cpp
    output/quickfilter_test.cpp
)
target_include_directories(output_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/views)
target_compile_definitions(output_tests PRIVATE KX_OUTPUT_TEST_DIR="${CMAKE_CURRENT_SOURCE_DIR}/output")

# Qt's own dialogs in Chinese, on an X display: under xvfb-run, skipped when it is missing.
add_executable(output_language_tests output/language_test.cpp support/testmain.cpp)
target_link_libraries(output_language_tests PRIVATE kx_test_support kx_shell)
add_test(NAME output_language_tests COMMAND bash -c
    "command -v xvfb-run >/dev/null || { echo 'SKIPPED: xvfb-run is not installed (scripts/install-deps.sh installs it)'; exit 77; }; exec xvfb-run -a -s '-screen 0 1400x900x24' \"$0\""
    $<TARGET_FILE:output_language_tests>)
set_tests_properties(output_language_tests PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=xcb;KX_TEST_OUTPUT=${CMAKE_BINARY_DIR}/test-output"
    SKIP_RETURN_CODE 77 TIMEOUT 300)

# View schemes, filter bar and fixed columns in the desktop host, offscreen.
kx_add_test(output_shell_tests DB SOURCES
    output/schemes_test.cpp
    shell/shellfixture.cpp
)
target_link_libraries(output_shell_tests PRIVATE kx_shell)
target_include_directories(output_shell_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/shell)
add_dependencies(output_shell_tests kx_mrp)
