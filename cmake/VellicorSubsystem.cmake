# The shape of every folder of the code base: one computing library, an optional `_ui`
# library with the folder's windows, test support for the folders above it, and one
# GoogleTest program. A new folder needs only its CMakeLists.txt with one call, for example
#
#     vellicor_subsystem(charts DEPENDS vellicor_history)
#
# in charts/CMakeLists.txt (the top CMakeLists.txt picks the folder up by its name).
#
#   vellicor_subsystem(<name>
#       [DEPENDS <target>...]       what the computing library uses (lower folders, SQLite, ...)
#       [UI_DEPENDS <target>...]    what the _ui library uses besides the computing library,
#                                   Qt Widgets and the frame's windows
#       [UI_SOURCES <regex>]        names of the window sources (default "^frm": frmChartView.cpp)
#       [EXCLUDE <file>...]         sources of the folder that belong to neither library
#       [TEST_DEPENDS <target>...]  what the tests use besides the libraries of the folder
#       [QT_TESTS])                 the tests run inside a QApplication (offscreen), for windows
#
# It makes, from the *.cpp files of the calling folder:
#   vellicor_<name>              STATIC: every source but the window sources and EXCLUDE. It
#                                must not reach Qt Widgets or Qt Gui through any link: the
#                                configuration fails otherwise (vellicor_check_computing_libraries).
#   vellicor_<name>_ui           STATIC, when window sources exist: them, with moc, linking the
#                                computing library, Qt Widgets and UI_DEPENDS.
#   vellicor_<name>_testsupport  when tests/support/ exists: its headers (and its *.cpp as a
#                                static library), for this folder's tests and every folder above.
#   <name>_tests                 when tests/*Test.cpp exist: one program, every test registered
#                                with CTest, headless and with a time-out.
include_guard(GLOBAL)

# Registers one GoogleTest program; every test runs headless with a time-out.
function(vellicor_add_tests target)
  gtest_discover_tests(${target}
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 300 ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

function(vellicor_subsystem name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "QT_TESTS" "UI_SOURCES"
    "DEPENDS;UI_DEPENDS;EXCLUDE;TEST_DEPENDS")
  if(NOT arg_UI_SOURCES)
    set(arg_UI_SOURCES "^frm")
  endif()
  set(dir ${CMAKE_CURRENT_SOURCE_DIR})
  set(lib vellicor_${name})

  file(GLOB all_sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  set(sources "")
  set(ui_sources "")
  foreach(source IN LISTS all_sources)
    get_filename_component(file ${source} NAME)
    if(file IN_LIST arg_EXCLUDE)
      continue()
    elseif(file MATCHES "${arg_UI_SOURCES}")
      list(APPEND ui_sources ${source})
    else()
      list(APPEND sources ${source})
    endif()
  endforeach()

  add_library(${lib} STATIC ${sources})
  target_include_directories(${lib} PUBLIC ${dir})
  target_link_libraries(${lib} PUBLIC ${arg_DEPENDS})
  set_property(GLOBAL APPEND PROPERTY VELLICOR_COMPUTING_LIBRARIES ${lib})

  if(ui_sources)
    add_library(${lib}_ui STATIC ${ui_sources})
    set_target_properties(${lib}_ui PROPERTIES AUTOMOC ON)
    set(frame_windows "")
    if(TARGET vellicor_frame_ui AND NOT name STREQUAL "frame")
      set(frame_windows vellicor_frame_ui)
    endif()
    target_link_libraries(${lib}_ui PUBLIC ${lib} ${frame_windows} ${arg_UI_DEPENDS} Qt6::Widgets)
  endif()

  # The test support of the folders this one uses, for its own support and tests.
  set(lower_support "")
  foreach(dep IN LISTS arg_DEPENDS)
    if(TARGET ${dep}_testsupport)
      list(APPEND lower_support ${dep}_testsupport)
    endif()
  endforeach()

  if(EXISTS ${dir}/tests/support)
    file(GLOB support_sources CONFIGURE_DEPENDS ${dir}/tests/support/*.cpp)
    if(support_sources)
      add_library(${lib}_testsupport STATIC ${support_sources})
      set(scope PUBLIC)
    else()
      add_library(${lib}_testsupport INTERFACE)
      set(scope INTERFACE)
    endif()
    target_include_directories(${lib}_testsupport ${scope} ${dir}/tests/support)
    target_link_libraries(${lib}_testsupport ${scope} ${lib} ${lower_support} GTest::gtest
      GTest::gtest_main)
  endif()

  file(GLOB test_sources CONFIGURE_DEPENDS ${dir}/tests/*Test.cpp)
  if(test_sources)
    add_executable(${name}_tests ${test_sources})
    target_include_directories(${name}_tests PRIVATE ${dir}/tests)
    target_link_libraries(${name}_tests PRIVATE ${lib} ${lower_support} ${arg_TEST_DEPENDS}
      GTest::gtest GTest::gtest_main)
    foreach(extra ${lib}_ui ${lib}_testsupport)
      if(TARGET ${extra})
        target_link_libraries(${name}_tests PRIVATE ${extra})
      endif()
    endforeach()
    if(arg_QT_TESTS)
      # Its own main (a QApplication on the offscreen platform) comes before gtest_main's.
      target_link_libraries(${name}_tests PRIVATE vellicor_qt_testmain)
    endif()
    vellicor_add_tests(${name}_tests)
  endif()
endfunction()

# Collects every library that `target` reaches through its link dependencies.
function(vellicor_collect_links target out)
  set(seen ${${out}})
  foreach(prop LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
    get_target_property(libs ${target} ${prop})
    if(NOT libs)
      continue()
    endif()
    foreach(lib IN LISTS libs)
      string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" lib "${lib}")
      if(lib IN_LIST seen OR NOT TARGET ${lib})
        continue()
      endif()
      list(APPEND seen ${lib})
      vellicor_collect_links(${lib} seen)
    endforeach()
  endforeach()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

# Computing code never includes widgets or paints: fails the configuration when a computing
# library reaches Qt Widgets or Qt Gui through any of its link dependencies (Qt Core and Qt
# Network stay allowed). Called once, after every folder is added.
function(vellicor_check_computing_libraries)
  get_property(libraries GLOBAL PROPERTY VELLICOR_COMPUTING_LIBRARIES)
  foreach(computing IN LISTS libraries)
    set(deps "")
    vellicor_collect_links(${computing} deps)
    foreach(forbidden Qt6::Widgets Qt6::Gui)
      if(forbidden IN_LIST deps)
        message(FATAL_ERROR
          "${computing} must not link ${forbidden}: only the window sources of a folder may")
      endif()
    endforeach()
  endforeach()
endfunction()
