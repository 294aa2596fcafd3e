# Shared by the fuzz projects (each folder here is a project of its own, built
# with clang by run_fuzz.sh): C++17, ccache, and one libFuzzer target built with
# AddressSanitizer and UndefinedBehaviorSanitizer.
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)

find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
  set(CMAKE_CXX_COMPILER_LAUNCHER ${CCACHE_PROGRAM})
endif()

set(DRAVO_SOURCE_ROOT ${CMAKE_CURRENT_LIST_DIR}/../..)

# dravo_fuzz_target(name SOURCES ... INCLUDES ... LIBS ...)
function(dravo_fuzz_target name)
  cmake_parse_arguments(A "" "" "SOURCES;INCLUDES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_include_directories(${name} PRIVATE ${A_INCLUDES})
  target_link_libraries(${name} PRIVATE ${A_LIBS})
  set(san -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_compile_options(${name} PRIVATE -g -O1 -Wall -Wextra ${san})
  target_link_options(${name} PRIVATE ${san})
endfunction()
