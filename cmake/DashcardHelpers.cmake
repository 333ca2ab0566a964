# dashcard_add_library(<name> SOURCES ... [LIBS ...])
# One static library per subsystem folder: dashcard_core_<name> / dashcard_ui_<name>.
# LIBS states exactly which other subsystems and packages it uses.
function(dashcard_add_library target)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${target} STATIC ${ARG_SOURCES})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${target} PUBLIC ${ARG_LIBS})
endfunction()

# dashcard_add_test(<name> SOURCES ... [LIBS ...] [APP core|gui|widgets] [XVFB])
# A GoogleTest executable run by CTest. core and gui tests run with the
# offscreen platform; XVFB tests (OpenGL) run under xvfb-run.
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
  if(ARG_XVFB)
    add_test(NAME ${target} COMMAND xvfb-run -a -s "-screen 0 1600x1000x24" $<TARGET_FILE:${target}>)
  else()
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endif()
  set_tests_properties(${target} PROPERTIES TIMEOUT ${ARG_TIMEOUT}
    ENVIRONMENT_MODIFICATION "DASHCARD_SOURCE_DIR=set:${PROJECT_SOURCE_DIR};DASHCARD_CLI=set:$<TARGET_FILE:dashcard-cli>;XDG_CACHE_HOME=set:${CMAKE_BINARY_DIR}/test-cache;XDG_CONFIG_HOME=set:${CMAKE_BINARY_DIR}/test-config")
endfunction()
