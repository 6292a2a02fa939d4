# telvane_add_subfolders(): adds every direct subfolder of the current source
# folder that has a CMakeLists.txt, in name order, so a new piece needs no
# edit of its parent.
function(telvane_add_subfolders)
    file(GLOB subdirs LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
    list(SORT subdirs)
    foreach(dir ${subdirs})
        if(IS_DIRECTORY ${dir} AND EXISTS ${dir}/CMakeLists.txt)
            add_subdirectory(${dir})
        endif()
    endforeach()
endfunction()
