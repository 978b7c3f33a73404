# corvik_add_components(DIRS dir... [PENDING dir...])
#
# Adds each component folder in the order given. A folder the build lists must be there, with a
# CMakeLists.txt and something to build beside it: a misspelt or emptied folder stops the
# configure step with a message naming it, instead of quietly leaving the component out.
#
# PENDING names folders that are listed before they are in the tree (components still being
# written on other branches). Such a folder is skipped while it is missing or has no
# CMakeLists.txt yet, and checked like any other once it has one; a pending name that is not
# also listed is an error, so the two lists cannot drift apart.
function(corvik_add_components)
  cmake_parse_arguments(C "" "" "DIRS;PENDING" ${ARGN})
  foreach(dir IN LISTS C_PENDING)
    if(NOT dir IN_LIST C_DIRS)
      message(FATAL_ERROR "Component folder '${dir}' is marked as pending but not listed for the build.")
    endif()
  endforeach()
  foreach(dir IN LISTS C_DIRS)
    set(path ${CMAKE_CURRENT_SOURCE_DIR}/${dir})
    if(NOT EXISTS ${path}/CMakeLists.txt)
      if(dir IN_LIST C_PENDING)
        message(STATUS "Component folder '${dir}' is not in this tree yet; skipped.")
        continue()
      endif()
      if(NOT IS_DIRECTORY ${path})
        message(FATAL_ERROR "Component folder '${dir}' is listed for the build but does not exist "
                            "(${path}). Correct the name in the list or add the folder.")
      endif()
      message(FATAL_ERROR "Component folder '${dir}' has no CMakeLists.txt (${path}).")
    endif()
    file(GLOB_RECURSE contents LIST_DIRECTORIES false RELATIVE ${path} ${path}/*)
    list(REMOVE_ITEM contents CMakeLists.txt)
    if(NOT contents)
      message(FATAL_ERROR "Component folder '${dir}' holds only its CMakeLists.txt: nothing to build.")
    endif()
    add_subdirectory(${dir})
  endforeach()
endfunction()
