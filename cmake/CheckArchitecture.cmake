# cmake -DDEPS=<file> -DDOC=<docs/architecture.md> -P CheckArchitecture.cmake
#
# Compares the subsystem table of docs/architecture.md with the libraries
# the build declares (DEPS: one "library: dependency;dependency" line each,
# written at configure time). Every subsystem a library links must appear in
# its row's "Uses" cell (core libraries by their short name, e.g. "common",
# ui libraries as "ui_<name>" or "every other ui library", the artwork as
# "resources"). A library the table lacks, or whose "Uses" cell is empty, is
# reported, not failed: a new subsystem gets its row when it settles.
file(STRINGS "${DOC}" rows REGEX "^\\| `dashcard_")
file(STRINGS "${DEPS}" libraries)
set(problems "")
foreach(line IN LISTS libraries)
  string(REGEX MATCH "^([a-z_]+): ?(.*)$" _ "${line}")
  set(library "${CMAKE_MATCH_1}")
  string(REPLACE "," ";" dependencies "${CMAKE_MATCH_2}")
  set(uses "")
  set(found FALSE)
  foreach(row IN LISTS rows)
    # | `a`, `b` | what it holds | uses |
    string(REGEX MATCH "^\\|([^|]*)\\|[^|]*\\|([^|]*)\\|" _ "${row}")
    set(names "${CMAKE_MATCH_1}")
    set(cell "${CMAKE_MATCH_2}")
    if(names MATCHES "`${library}`")
      set(found TRUE)
      set(uses "${cell}")
    endif()
  endforeach()
  string(STRIP "${uses}" uses)
  if(NOT found OR uses STREQUAL "")
    message(STATUS "architecture: ${library} is not described in docs/architecture.md yet")
    continue()
  endif()
  foreach(dependency IN LISTS dependencies)
    if(NOT dependency MATCHES "^dashcard_")
      continue()
    endif()
    string(REGEX REPLACE "^dashcard_(core_)?" "" short "${dependency}")
    if(uses MATCHES "(^|[^a-z_])${short}([^a-z_]|$)")
      continue()
    endif()
    if(short MATCHES "^ui_" AND uses MATCHES "every other ui library")
      continue()
    endif()
    list(APPEND problems "${library} links ${dependency}, but its row in docs/architecture.md does not name '${short}'")
  endforeach()
endforeach()
if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "docs/architecture.md and the CMake files disagree:\n  ${text}")
endif()
message(STATUS "architecture: docs/architecture.md matches the CMake files")
