# Flags and helpers shared by every target of the project.

set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
set(CMAKE_CXX_VISIBILITY_PRESET hidden)
set(CMAKE_VISIBILITY_INLINES_HIDDEN ON)

# Deterministic single/double rounding on every build: SSE2, never x87, no
# fast-math.
set(SE_ARCH_FLAGS -O2 -msse2 -mfpmath=sse)
add_compile_options(${SE_ARCH_FLAGS})

option(SE_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(SE_SANITIZE)
  set(SE_SAN_FLAGS -fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all
                   -fno-omit-frame-pointer)
  add_compile_options(${SE_SAN_FLAGS})
  add_link_options(${SE_SAN_FLAGS})
  if(EXISTS /proc/sys/fs/binfmt_misc/qemu-i386)
    add_library(se_sanitizer_options OBJECT ${CMAKE_CURRENT_LIST_DIR}/sanitizer_options.cpp)
    link_libraries(se_sanitizer_options)
  endif()
endif()

# Warnings as errors on project code only (not on GoogleTest and friends).
function(se_project_target target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# A plug-in library: <name>.so or <name>.dll with exactly the two exports.
function(se_add_module name)
  add_library(${name} MODULE ${ARGN})
  se_project_target(${name})
  target_link_libraries(${name} PRIVATE module_sdk)
  set_target_properties(${name} PROPERTIES PREFIX "" CXX_VISIBILITY_PRESET hidden
                                           VISIBILITY_INLINES_HIDDEN ON)
  target_compile_options(${name} PRIVATE -fno-exceptions)
  if(WIN32)
    set_target_properties(${name} PROPERTIES SUFFIX ".dll")
    add_test(NAME ${name}_dll_tables
             COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-dll $<TARGET_FILE:${name}>)
  else()
    set_target_properties(${name} PROPERTIES SUFFIX ".so")
    target_link_options(${name} PRIVATE -Wl,--no-undefined)
  endif()
endfunction()

# A GoogleTest executable; one CTest entry per executable keeps Wine runs few.
function(se_add_test name)
  add_executable(${name} ${ARGN})
  se_project_target(${name})
  target_link_libraries(${name} PRIVATE GTest::gtest_main GTest::gmock)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES TIMEOUT 900 SKIP_RETURN_CODE 77)
endfunction()
