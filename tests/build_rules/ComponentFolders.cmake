# Configures scratch projects that list component folders and checks which ones the rule accepts.
# Run as: cmake -DCOMPONENTS_MODULE=... -DSCRATCH=... -P ComponentFolders.cmake

# Writes a project listing `dirs` (with `pending`), configures it and compares the outcome.
function(try_tree name dirs pending expect_ok expect_text)
  set(root ${SCRATCH}/${name})
  file(WRITE ${root}/CMakeLists.txt
    "cmake_minimum_required(VERSION 3.25)\nproject(Scratch NONE)\ninclude(${COMPONENTS_MODULE})\n"
    "corvik_add_components(DIRS ${dirs} PENDING ${pending})\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${root} -B ${root}/build
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(text "${out}${err}")
  if(expect_ok AND NOT result EQUAL 0)
    message(FATAL_ERROR "${name}: expected to configure, failed:\n${text}")
  elseif(NOT expect_ok AND result EQUAL 0)
    message(FATAL_ERROR "${name}: expected configure to stop, it went through:\n${text}")
  endif()
  string(FIND "${text}" "${expect_text}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${name}: expected the message '${expect_text}', got:\n${text}")
  endif()
endfunction()

file(REMOVE_RECURSE ${SCRATCH})
foreach(tree good missing empty nolists pending)
  file(WRITE ${SCRATCH}/${tree}/core/CMakeLists.txt "message(STATUS \"core added\")\n")
  file(WRITE ${SCRATCH}/${tree}/core/core.cpp "int core;\n")
endforeach()
file(WRITE ${SCRATCH}/empty/hollow/CMakeLists.txt "message(STATUS \"hollow added\")\n")
file(MAKE_DIRECTORY ${SCRATCH}/nolists/bare)
file(WRITE ${SCRATCH}/nolists/bare/bare.cpp "int bare;\n")
file(MAKE_DIRECTORY ${SCRATCH}/pending/later)

try_tree(good "core" "" TRUE "core added")
try_tree(missing "core;croe" "" FALSE "'croe' is listed for the build but does not exist")
try_tree(empty "core;hollow" "" FALSE "'hollow' holds only its CMakeLists.txt")
try_tree(nolists "core;bare" "" FALSE "'bare' has no CMakeLists.txt")
try_tree(pending "core;later;elsewhere" "later;elsewhere" TRUE "'elsewhere' is not in this tree yet")
try_tree(pending "core" "later" FALSE "'later' is marked as pending but not listed")
file(WRITE ${SCRATCH}/pending/later/CMakeLists.txt "")
try_tree(pending "core;later" "later" FALSE "'later' holds only its CMakeLists.txt")
