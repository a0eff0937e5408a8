# Tests live beside the code they test: <folder>/*_test.cpp make one test program per
# folder. Each program gets a private ODBC configuration folder through ODBCSYSINI
# (unixODBC reads it once per process, so it is set in the environment, never in-process)
# and, on PostgreSQL, a database of its own, so test programs may run in parallel.
find_package(GTest REQUIRED)

file(GLOB TESTSUPPORT_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/testsupport/*.cpp)
add_library(davrix_testsupport STATIC ${TESTSUPPORT_SOURCES})
target_include_directories(davrix_testsupport PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/testsupport ${CMAKE_CURRENT_SOURCE_DIR}/platform)
target_link_libraries(davrix_testsupport PUBLIC davrixfw GTest::gtest ${ODBC_LIBRARY} ${ODBCINST_LIBRARY})

set(DAVRIX_TEST_ENV
  "DAVRIX_SCHEMA_DIR=${CMAKE_CURRENT_SOURCE_DIR}/schema"
  "DAVRIX_SOURCE_DIR=${CMAKE_CURRENT_SOURCE_DIR}"
  "DAVRIX_BINARY_DIR=${CMAKE_CURRENT_BINARY_DIR}")

# davrix_add_test_program(NAME SOURCES... LIBS...)
function(davrix_add_test_program name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name}_tests ${T_SOURCES})
  target_include_directories(${name}_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name}_tests PRIVATE ${T_LIBS} davrix_testsupport)
  add_test(NAME ${name} COMMAND ${name}_tests)
  set_tests_properties(${name} PROPERTIES TIMEOUT 900 ENVIRONMENT
    "ODBCSYSINI=${CMAKE_CURRENT_BINARY_DIR}/testodbc/${name};DAVRIX_TEST_PROGRAM=${name};${DAVRIX_TEST_ENV}")
endfunction()

foreach(dir platform ${DAVRIX_MODULE_DIRS})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*_test.cpp)
  # *_standalone_test.cpp programs link only the stand-in: they load the module themselves.
  set(standalone ${tests})
  list(FILTER standalone INCLUDE REGEX "_standalone_test\\.cpp$")
  list(FILTER tests EXCLUDE REGEX "_standalone_test\\.cpp$")
  if(tests)
    if(dir STREQUAL "platform")
      davrix_add_test_program(${dir} SOURCES ${tests} LIBS davrixfw)
    else()
      davrix_add_test_program(${dir} SOURCES ${tests} LIBS davrixdb)
    endif()
  endif()
  foreach(src IN LISTS standalone)
    get_filename_component(stem ${src} NAME_WE)
    string(REPLACE "_standalone_test" "" stem ${stem})
    davrix_add_test_program(${dir}_${stem} SOURCES ${src} LIBS davrixfw)
    target_compile_definitions(${dir}_${stem}_tests PRIVATE
      DAVRIXDB_MODULE_PATH="$<TARGET_FILE:davrixdb>")
    add_dependencies(${dir}_${stem}_tests davrixdb)
  endforeach()
endforeach()

if(TARGET davrix)
  file(GLOB tool_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tools/davrix/*_test.cpp)
  if(tool_tests)
    # davrix_cli: the tool's parts, so its parser and printers are tested directly too.
    davrix_add_test_program(davrix_tool SOURCES ${tool_tests} LIBS davrix_cli davrixdb)
    set_property(TEST davrix_tool APPEND PROPERTY ENVIRONMENT "DAVRIX_TOOL=$<TARGET_FILE:davrix>")
    add_dependencies(davrix_tool_tests davrix)
  endif()
endif()

# The installed headers, libraries, CMake package and pkg-config file build a program.
# (Not in sanitizer builds: the plain program it builds cannot load an instrumented library.)
if(NOT DAVRIX_SANITIZE)
  add_test(NAME install COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/scripts/check-install.sh ${CMAKE_CURRENT_BINARY_DIR})
  set_tests_properties(install PROPERTIES TIMEOUT 300)
endif()
