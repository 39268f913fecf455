# Helpers shared by the seven libraries: one way to declare a library, its tests and its warnings.

function(qelta_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  # g++ 12 at -O3 (Release) reports impossible overlaps and sizes inside std::string concatenation and
  # std::vector comparison (GCC bugs 105329, 105651); the warnings stay on for other compilers.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict -Wno-stringop-overread)
  endif()
  if(QELTA_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# qelta_library(<target> <alias> SOURCES ... HEADERS ... DEPENDS ...): HEADERS are installed (the public
# interface); internal headers go with the SOURCES.
function(qelta_library target alias)
  cmake_parse_arguments(Q "" "" "SOURCES;HEADERS;DEPENDS;PRIVATE_DEPENDS" ${ARGN})
  add_library(${target} SHARED ${Q_SOURCES} ${Q_HEADERS})
  add_library(qelta::${alias} ALIAS ${target})
  # Installed libraries find each other beside themselves ($ORIGIN), so a host needs no LD_LIBRARY_PATH.
  set_target_properties(${target} PROPERTIES EXPORT_NAME ${alias} VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR}
    INSTALL_RPATH "$ORIGIN")
  # Installed headers are reachable as "Forms.h" and as <qelta/Forms.h>.
  target_include_directories(${target} PUBLIC
    $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/qelta>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  # The headers are C++20: a host that sets no standard of its own gets it from the targets.
  target_compile_features(${target} PUBLIC cxx_std_20)
  target_link_libraries(${target} PUBLIC ${Q_DEPENDS} PRIVATE ${Q_PRIVATE_DEPENDS})
  # Calls inside a library go straight to its own functions (and may be inlined), not through the
  # dynamic linker's table: nothing here relies on another library replacing them.
  target_compile_options(${target} PRIVATE -fno-semantic-interposition)
  # Only what the headers wrap in QELTA_PUBLIC_BEGIN/END (Visibility.h) is exported; every other name stays
  # inside its library. Inline functions keep default visibility (no VISIBILITY_INLINES_HIDDEN), so a local
  # static of a public inline function stays one object for the whole process.
  set_target_properties(${target} PROPERTIES CXX_VISIBILITY_PRESET hidden)
  qelta_warnings(${target})
  install(TARGETS ${target} EXPORT qeltaTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${Q_HEADERS} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/qelta)
endfunction()

# qelta_tests(<target> SOURCES ... DEPENDS ... [PROPERTIES key value ...]): one GoogleTest executable per
# library; PROPERTIES go to every discovered test (a fixture step the suite needs, for example).
function(qelta_tests target)
  cmake_parse_arguments(Q "" "" "SOURCES;DEPENDS;PROPERTIES" ${ARGN})
  add_executable(${target} ${Q_SOURCES})
  target_link_libraries(${target} PRIVATE ${Q_DEPENDS} GTest::gtest GTest::gtest_main)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/platform/tests)
  qelta_warnings(${target})
  if(Q_PROPERTIES)
    gtest_discover_tests(${target} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} DISCOVERY_TIMEOUT 60
      PROPERTIES ${Q_PROPERTIES})
  else()
    gtest_discover_tests(${target} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# qelta_xvfb_test(<name> <target> <gtest filter>): the suite's filtered tests once more on an Xvfb display
# (SDL's x11 driver) where xvfb-run is installed; the desktop libraries' own leaks are suppressed.
function(qelta_xvfb_test name target filter)
  find_program(QELTA_XVFB_RUN xvfb-run)
  if(QELTA_XVFB_RUN)
    add_test(NAME ${name}
      COMMAND ${QELTA_XVFB_RUN} -a -s "-screen 0 1280x1024x24" env SDL_VIDEODRIVER=x11
              $<TARGET_FILE:${target}> --gtest_filter=${filter})
    set_tests_properties(${name} PROPERTIES
      ENVIRONMENT "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/platform/tests/DesktopLeaks.supp")
  endif()
endfunction()

# The Python that runs the table generators' freshness checks: Debian's (install-deps.sh installs it), so that
# any user can run the suites; another python3 on the PATH only when it is missing.
function(qelta_find_python)
  if(NOT QELTA_PYTHON3)
    find_program(QELTA_PYTHON3 NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH)
    if(NOT QELTA_PYTHON3)
      find_package(Python3 REQUIRED COMPONENTS Interpreter)
      set(QELTA_PYTHON3 ${Python3_EXECUTABLE} CACHE FILEPATH "Python for the generator checks")
    endif()
  endif()
endfunction()
