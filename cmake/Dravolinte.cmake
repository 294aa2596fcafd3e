# Shared build settings: warnings and the test helper.

function(dravo_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-unused-parameter)
endfunction()

# dravo_add_library(name SOURCES ... LIBS ... [INCLUDE_ROOT dir]): one library per source folder,
# whose headers are named from INCLUDE_ROOT (by default the folder itself).
function(dravo_add_library name)
  cmake_parse_arguments(A "" "INCLUDE_ROOT" "SOURCES;LIBS" ${ARGN})
  if(NOT A_INCLUDE_ROOT)
    set(A_INCLUDE_ROOT ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  add_library(${name} STATIC ${A_SOURCES})
  # Ninja's moc step learns which headers it reads from its own last run, so a
  # header that arrives with a merge would not be moc'ed: a changed list of
  # headers makes the step run again.
  set(headers ${A_SOURCES})
  list(FILTER headers INCLUDE REGEX "\\.h$")
  set(known ${CMAKE_CURRENT_BINARY_DIR}/${name}_headers.txt)
  set(before "")
  if(EXISTS ${known})
    file(READ ${known} before)
  endif()
  if(NOT before STREQUAL "${headers}")
    file(WRITE ${known} "${headers}")
    file(REMOVE ${CMAKE_CURRENT_BINARY_DIR}/${name}_autogen/timestamp)
  endif()
  target_include_directories(${name} PUBLIC ${A_INCLUDE_ROOT})
  target_link_libraries(${name} PUBLIC ${A_LIBS})
  dravo_warnings(${name})
endfunction()

# A sanitized build runs the suite several times slower: scripts/sanitize.sh
# stretches every test's time-out by this factor.
set(DRAVO_TEST_TIMEOUT_SCALE 1 CACHE STRING "Factor on every test's time-out")

# dravo_add_test(name SOURCES ... LIBS ... [LABELS ...] [RESOURCE_LOCK ...] [TIMEOUT s])
# Every test runs headless; the test main moves it into a temporary folder of its own.
function(dravo_add_test name)
  cmake_parse_arguments(A "" "TIMEOUT" "SOURCES;LIBS;LABELS;RESOURCE_LOCK" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test dravo_testsupport ${A_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  dravo_warnings(${name})
  add_test(NAME ${name} COMMAND ${name})
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 120)
  endif()
  math(EXPR A_TIMEOUT "${A_TIMEOUT} * ${DRAVO_TEST_TIMEOUT_SCALE}")
  # OMP_THREAD_LIMIT: Tesseract's OpenMP team spins against a loaded machine; one thread reads.
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;DRAVO_BIN_DIR=${DRAVO_RUNTIME_DIR};OMP_THREAD_LIMIT=1"
    TIMEOUT ${A_TIMEOUT})
  if(A_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${A_LABELS}")
  endif()
  if(A_RESOURCE_LOCK)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${A_RESOURCE_LOCK}")
  endif()
endfunction()

# dravo_folder_library(name [NESTED] LIBS ... [EXCLUDE ...]): a library of every source in the current folder.
# NESTED: its sub-folders' sources too, and its headers are named from the source root
# ("device/link/ControllerLink.h"), since two libraries may have sub-folders of one name.
# EXCLUDE: files (relative to the folder) that belong to another target, such as a program's main.
function(dravo_folder_library name)
  cmake_parse_arguments(A "NESTED" "" "LIBS;EXCLUDE" ${ARGN})
  set(dir ${CMAKE_CURRENT_SOURCE_DIR})
  if(A_NESTED)
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
    set(root ${CMAKE_SOURCE_DIR})
  else()
    file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
    set(root ${dir})
  endif()
  foreach(file ${A_EXCLUDE})
    list(REMOVE_ITEM sources ${dir}/${file})
  endforeach()
  dravo_add_library(${name} SOURCES ${sources} LIBS ${A_LIBS} INCLUDE_ROOT ${root})
endfunction()

# dravo_folder_tests([NESTED] LIBS ... [RESOURCE_LOCK ...]): one test per tst_*.cpp file in the current
# folder (NESTED: and in its sub-folders, which mirror a nested library's).
function(dravo_folder_tests)
  cmake_parse_arguments(A "NESTED" "TIMEOUT" "LIBS;RESOURCE_LOCK" ${ARGN})
  if(A_NESTED)
    file(GLOB_RECURSE tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
  else()
    file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
  endif()
  foreach(src ${tests})
    get_filename_component(name ${src} NAME_WE)
    dravo_add_test(${name} SOURCES ${src} LIBS ${A_LIBS} RESOURCE_LOCK ${A_RESOURCE_LOCK} TIMEOUT ${A_TIMEOUT})
  endforeach()
endfunction()
