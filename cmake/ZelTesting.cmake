# Target zel_selected_tests builds the test programs that are registered with CTest.
if(NOT TARGET zel_selected_tests)
  add_custom_target(zel_selected_tests)
endif()

# zel_add_test_folder(LIBS <targets...>)
# Every *_test.cpp in the calling folder becomes one test program linked with
# GoogleTest and the given targets; its cases are registered with CTest and run on
# Qt's offscreen platform with the program folder as working folder.
# ZEL_TEST_FOLDERS (a list of folders under tests/, or of single test files of a folder
# named without "_test") limits which tests are registered, as the thread-checker build does; the others are left out of the build.
function(zel_add_test_folder)
  cmake_parse_arguments(ARG "" "" "LIBS;SOURCES" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
  string(REPLACE "/" "_" prefix "${rel}")
  foreach(src ${tests})
    get_filename_component(name ${src} NAME_WE)
    # An entry names a folder or one test file of it ("platform/ui/Messages").
    set(wanted TRUE)
    if(ZEL_TEST_FOLDERS)
      set(wanted FALSE)
      string(REGEX REPLACE "_test$" "" module "${name}")
      foreach(folder ${ZEL_TEST_FOLDERS})
        if(rel STREQUAL folder OR rel MATCHES "^${folder}/" OR "${rel}/${module}" STREQUAL folder)
          set(wanted TRUE)
        endif()
      endforeach()
    endif()
    set(target "t_${prefix}_${name}")
    add_executable(${target} ${src} ${ARG_SOURCES})
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock testsupport)
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    if(wanted)
      zel_register_test(${target})
      add_dependencies(zel_selected_tests ${target})
    else()
      set_target_properties(${target} PROPERTIES EXCLUDE_FROM_ALL TRUE)
    endif()
  endforeach()
endfunction()

function(zel_register_test target)
  # Sanitizer options and the folders tests need come from the test support itself;
  # CTest sets only the display platform.
  # Tests that measure time on the wire run alone, so that a loaded machine does not
  # stretch what they measure.
  set(serial FALSE)
  if(target IN_LIST ZEL_TIMING_TESTS)
    set(serial TRUE)
  endif()
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    PROPERTIES LABELS "${target}" ENVIRONMENT "QT_QPA_PLATFORM=offscreen" RUN_SERIAL ${serial}
    DISCOVERY_TIMEOUT 60)
endfunction()
