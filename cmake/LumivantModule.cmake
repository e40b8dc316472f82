# lumivant_module(NAME DEPS...): a static library of every .cc file in the
# calling folder, linked to the given targets.
function(lumivant_module name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cc)
  if(NOT sources)
    set(placeholder ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cc)
    file(WRITE ${placeholder} "")
    set(sources ${placeholder})
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/include)
  target_compile_definitions(${name} PUBLIC LUMIVANT_BUILDING)
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()

# lumivant_test_suite(FOLDER LIBS...): one GoogleTest binary of every
# tests/FOLDER/*_test.cc, registered with CTest.
function(lumivant_test_suite folder)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*_test.cc)
  if(NOT sources)
    return()
  endif()
  add_executable(${folder}_tests ${sources})
  target_include_directories(${folder}_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${folder}_tests PRIVATE ${ARGN} lvt_testing GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${folder}_tests DISCOVERY_TIMEOUT 60)
endfunction()
