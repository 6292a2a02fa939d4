# Helpers shared by the folders' CMakeLists.txt.

# A crash under Wine can still end with exit code 0; its report, or a failed
# test case, fails the test whatever the exit code says.
set(TELVANE_WINE_FAILURES "Unhandled exception|Unhandled page fault|\\[  FAILED  \\]")

# telvane_on_wine_platform(tests...): the tests run under Wine, each on one
# of the run's platforms (scripts/wine-platforms.sh hands them out as the
# CTest resource "platform"). A platform is a display, a sound server and a
# prefix with its own wineserver, so tests on different ones run side by side.
function(telvane_on_wine_platform)
    set_tests_properties(${ARGN} PROPERTIES RESOURCE_GROUPS platform:1)
endfunction()

# telvane_native_test(name sources... LIBS libs... [WINE]): a GoogleTest
# program of the portable core, one CTest test per program. With WINE it is
# also built for Windows and run under Wine (as name_win), for code where the
# sizes of wchar_t and long matter.
function(telvane_native_test name)
    cmake_parse_arguments(ARG "WINE" "" "LIBS" ${ARGN})
    if(NOT WIN32)
        add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
        target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
        add_test(NAME ${name} COMMAND ${name})
    elseif(ARG_WINE)
        add_executable(${name}_win ${ARG_UNPARSED_ARGUMENTS})
        target_link_libraries(${name}_win PRIVATE ${ARG_LIBS} gtest gtest_main gmock)
        add_test(NAME ${name}_win COMMAND ${name}_win)
        set_tests_properties(${name}_win PROPERTIES TIMEOUT 300 FAIL_REGULAR_EXPRESSION "${TELVANE_WINE_FAILURES}")
        telvane_on_wine_platform(${name}_win)
    endif()
endfunction()

# telvane_wine_test(name sources... LIBS libs... [TIMEOUT s] [SECONDS s]): a
# GoogleTest program of the Windows build, run under Wine by CTest. SECONDS,
# what it takes on an idle machine, lets CTest start the longest tests first
# (a fresh build has no timings of its own), so a parallel run does not end
# waiting on one of them.
function(telvane_wine_test name)
    cmake_parse_arguments(ARG "" "TIMEOUT;SECONDS" "LIBS" ${ARGN})
    add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} gtest gtest_main gmock)
    add_test(NAME ${name} COMMAND ${name})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT} FAIL_REGULAR_EXPRESSION "${TELVANE_WINE_FAILURES}")
    telvane_on_wine_platform(${name})
    if(ARG_SECONDS)
        set_tests_properties(${name} PROPERTIES COST ${ARG_SECONDS})
    endif()
endfunction()

# telvane_gui_program(name sources...): a Unicode Windows GUI program.
function(telvane_gui_program name)
    add_executable(${name} WIN32 ${ARGN})
    target_link_options(${name} PRIVATE -municode)
endfunction()

# telvane_copy_to_product(outputs files...): copies the folder's files into
# the product folder (bin) when they change; outputs receives the copies'
# paths, for the target that depends on them.
function(telvane_copy_to_product outputs)
    set(copies)
    foreach(file ${ARGN})
        set(out ${CMAKE_BINARY_DIR}/bin/${file})
        add_custom_command(
            OUTPUT ${out}
            COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_CURRENT_SOURCE_DIR}/${file} ${out}
            DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${file}
            COMMENT "Copying ${file}"
            VERBATIM)
        list(APPEND copies ${out})
    endforeach()
    set(${outputs} ${copies} PARENT_SCOPE)
endfunction()

include(${CMAKE_CURRENT_LIST_DIR}/AddSubfolders.cmake)

# telvane_folder_targets(out dirs...): the targets that the folders and
# their subfolders define.
function(telvane_folder_targets out)
    set(found)
    foreach(dir ${ARGN})
        get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
        get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
        list(APPEND found ${targets})
        if(subdirs)
            telvane_folder_targets(below ${subdirs})
            list(APPEND found ${below})
        endif()
    endforeach()
    set(${out} ${found} PARENT_SCOPE)
endfunction()
