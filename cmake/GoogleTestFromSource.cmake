# telvane_googletest_from_source(): GoogleTest and GoogleMock built from the
# Debian sources, for the builds that Debian's libraries do not fit (Windows,
# 32-bit Linux), before our warning flags. The sources name their targets
# GTest::gtest and so on, as find_package(GTest) does.
macro(telvane_googletest_from_source)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    foreach(target gtest gtest_main gmock gmock_main)
        # Built like the test programs (tests/CMakeLists.txt): for a quick build.
        target_compile_options(${target} PRIVATE -Og -g1)
    endforeach()
endmacro()
