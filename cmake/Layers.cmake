# Each layer of src/ is one static library built from every source in its folder
# tree, so adding a file needs no CMake edit. A layer links only the layers above
# it (see the architecture page) plus platform.

function(wrenfold_layer name)
  cmake_parse_arguments(L "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
  list(FILTER srcs EXCLUDE REGEX "/main\\.cpp$")
  if(srcs)
    add_library(wf_${name} STATIC ${srcs})
    target_include_directories(wf_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(wf_${name} PUBLIC ${L_DEPS})
  else()
    add_library(wf_${name} INTERFACE)
    target_include_directories(wf_${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(wf_${name} INTERFACE ${L_DEPS})
  endif()
endfunction()

# One test program per layer from tests/<layer>/*_test.cpp.
function(wrenfold_layer_tests name)
  cmake_parse_arguments(T "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(${name}_tests ${srcs})
  target_include_directories(${name}_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name}_tests PRIVATE wf_${name} wf_test_support ${T_DEPS}
                        GTest::gtest GTest::gtest_main GTest::gmock)
  # Labelled in_program: the sanitizer pass runs them as their whole program, not through
  # CTest (tools/run-sanitizers.sh).
  gtest_discover_tests(${name}_tests
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES LABELS in_program ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy"
    DISCOVERY_TIMEOUT 60)
endfunction()
