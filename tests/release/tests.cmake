# Publishing plan schemes and releasing them into bills, and the output view's screens.
kx_add_test(release_tests DB SOURCES
    release/releasefixture.cpp
    release/publishing_test.cpp
    release/release_test.cpp
    release/releasechecks_test.cpp
    release/outputview_test.cpp
    release/kxmrp_test.cpp
)
target_link_libraries(release_tests PRIVATE Qt6::Test)
target_compile_definitions(release_tests PRIVATE KX_KXMRP_PROGRAM="$<TARGET_FILE:kxmrp>")
add_dependencies(release_tests kxmrp)

# The desktop host listing what a release wrote.
target_sources(shell_tests PRIVATE release/shellrelease_test.cpp)
