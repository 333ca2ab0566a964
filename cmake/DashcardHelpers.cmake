# dashcard_include_scope(<target>)
# Gives a target the headers of its own folder only, through an include root
# in the build tree holding one link to that folder
# (<build>/include/<target>/core/common -> src/core/common); every other
# header comes with what it links, so "#include" cannot reach past a link.
function(dashcard_include_scope target)
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
  set(root ${PROJECT_BINARY_DIR}/include/${target})
  get_filename_component(parent ${root}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} SYMBOLIC)
  target_include_directories(${target} PUBLIC ${root})
endfunction()

# dashcard_add_library(<name> SOURCES ... [PUBLIC ...] [PRIVATE ...])
# One static library per subsystem folder: dashcard_core_<name> / dashcard_ui_<name>.
# PUBLIC names the subsystems and packages its headers expose, PRIVATE those
# only its sources use. The subsystems it links
# must appear in its row of docs/architecture.md (checked by the
# "architecture" test); its sources see only the headers of those.
function(dashcard_add_library target)
  cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC;PRIVATE" ${ARGN})
  if(ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "dashcard_add_library(${target}): unknown arguments ${ARG_UNPARSED_ARGUMENTS}")
  endif()
  add_library(${target} STATIC ${ARG_SOURCES})
  dashcard_include_scope(${target})
  target_link_libraries(${target} PUBLIC ${ARG_PUBLIC} PRIVATE ${ARG_PRIVATE})
  set(uses ${ARG_PUBLIC} ${ARG_PRIVATE})
  list(JOIN uses "," uses)
  set_property(GLOBAL APPEND PROPERTY DASHCARD_LIBRARY_USES "${target}: ${uses}")
endfunction()

# Writes the libraries' uses for the architecture check once every folder
# was read, and registers the check as a test.
function(dashcard_architecture_check)
  get_property(lines GLOBAL PROPERTY DASHCARD_LIBRARY_USES)
  list(JOIN lines "\n" text)
  set(uses_file ${CMAKE_BINARY_DIR}/architecture-uses.txt)
  file(WRITE ${uses_file} "${text}\n")
  set(check ${CMAKE_COMMAND} -DDEPS=${uses_file} -DDOC=${PROJECT_SOURCE_DIR}/docs/architecture.md
            -P ${PROJECT_SOURCE_DIR}/cmake/CheckArchitecture.cmake)
  execute_process(COMMAND ${check} RESULT_VARIABLE failed OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(failed)
    message(WARNING "${out}")
  else()
    message(STATUS "${out}")
  endif()
  if(DASHCARD_BUILD_TESTS)
    add_test(NAME architecture COMMAND ${check})
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL dashcard_architecture_check)

# dashcard_add_test(<name> SOURCES ... [LIBS ...] [APP core|gui|widgets] [XVFB] [TIMEOUT s])
# A GoogleTest executable whose cases are CTest tests of their own, named
# <name>.<Suite>.<Case> and labelled <name> (`ctest -L tests_core_map`), so
# that a skip shows on its case. core and gui tests run with the offscreen
# platform; XVFB tests (OpenGL) run on a virtual display, one per case.
include(GoogleTest)
function(dashcard_add_test target)
  cmake_parse_arguments(ARG "XVFB" "APP;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_APP)
    set(ARG_APP core)
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 600)
  endif()
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE dashcard_test_main_${ARG_APP} dashcard_test_support ${ARG_LIBS})
  set(properties TIMEOUT ${ARG_TIMEOUT} LABELS ${target} SKIP_RETURN_CODE 77)
  if(ARG_XVFB)
    # The wrapper every case (and the listing) of the executable runs in.
    set_property(TARGET ${target} PROPERTY CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/tests/support/with-virtual-display)
  else()
    list(APPEND properties ENVIRONMENT QT_QPA_PLATFORM=offscreen)
  endif()
  # Listed when CTest runs, with the environment ./test gives the tests.
  gtest_discover_tests(${target} TEST_PREFIX ${target}. DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
    PROPERTIES ${properties})
endfunction()
