# Helpers shared by the folders' CMakeLists.

# kta_stage_library(target [PEGASUS]): put a shared library into the staging
# tree, at its top or (PEGASUS) in pegasus/lib, and let it find its
# neighbours there at run time.
function(kta_stage_library target)
  cmake_parse_arguments(ARG "PEGASUS" "" "" ${ARGN})
  if(ARG_PEGASUS)
    set(dir ${KTA_PEGASUS_DIR}/lib)
    set(rpath "$ORIGIN")
  else()
    set(dir ${KTA_STAGE_DIR})
    set(rpath "$ORIGIN:$ORIGIN/pegasus/lib")
  endif()
  set_target_properties(${target} PROPERTIES
    LIBRARY_OUTPUT_DIRECTORY ${dir}
    BUILD_RPATH "${rpath}"
    INSTALL_RPATH "${rpath}")
endfunction()

# kta_stage_program(target [PEGASUS]): the same for an executable
# (pegasus/bin for the CIM stack's programs).
function(kta_stage_program target)
  cmake_parse_arguments(ARG "PEGASUS" "" "" ${ARGN})
  if(ARG_PEGASUS)
    set(dir ${KTA_PEGASUS_DIR}/bin)
    set(rpath "$ORIGIN/../lib")
  else()
    set(dir ${KTA_STAGE_DIR})
    set(rpath "$ORIGIN:$ORIGIN/pegasus/lib")
  endif()
  set_target_properties(${target} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${dir}
    BUILD_RPATH "${rpath}"
    INSTALL_RPATH "${rpath}")
endfunction()

# kta_check_listed(<what> <glob> file...): stops the configure when a file of
# the calling folder that matches <glob> is not among the files given: every
# source is listed by name, and a new file that nobody listed would otherwise
# be left out without a word.
function(kta_check_listed what pattern)
  file(GLOB present RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/${pattern})
  foreach(file ${present})
    if(NOT file IN_LIST ARGN)
      message(FATAL_ERROR "${CMAKE_CURRENT_SOURCE_DIR}/${file} is not listed in ${what}")
    endif()
  endforeach()
endfunction()

# kta_add_tests(LIBS lib... TESTS stem... [ONE_PROCESS stem...]
# [RESOURCE_LOCK name]): one GoogleTest program per listed <stem>.cpp of the
# calling folder (every *_test.cpp there must be listed), each test case
# registered with CTest.  The programs named in ONE_PROCESS (file stems) are
# registered as one CTest test each instead, so that their cases share what
# the program starts once (a started namespace).  RESOURCE_LOCK keeps every
# test of the folder from running at the same time as another test holding
# the same lock (CTest runs tests in parallel).  Test programs get
# KTA_STAGE_DIR, KTA_SOURCE_DIR and KTA_SHARED_DIR (the read-only shared data
# beside the checkout) as compile definitions.  KTA_TEST_TARGETS is set in
# the caller to the program targets made.
function(kta_add_tests)
  cmake_parse_arguments(ARG "" "RESOURCE_LOCK" "LIBS;TESTS;ONE_PROCESS" ${ARGN})
  if(NOT ARG_TESTS)
    message(FATAL_ERROR "kta_add_tests in ${CMAKE_CURRENT_SOURCE_DIR} lists no TESTS")
  endif()
  set(listed)
  foreach(name ${ARG_TESTS})
    list(APPEND listed ${name}.cpp)
  endforeach()
  kta_check_listed("kta_add_tests(TESTS ...)" "*_test.cpp" ${listed})
  set(lock_properties)
  if(ARG_RESOURCE_LOCK)
    set(lock_properties RESOURCE_LOCK ${ARG_RESOURCE_LOCK})
  endif()
  file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
  string(REPLACE "/" "_" prefix "${rel}")
  set(targets)
  foreach(name ${ARG_TESTS})
    set(target ${prefix}_${name})
    list(APPEND targets ${target})
    add_executable(${target} ${name}.cpp)
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
    target_compile_definitions(${target} PRIVATE
      KTA_STAGE_DIR="${KTA_STAGE_DIR}"
      KTA_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
      KTA_SHARED_DIR="${KTA_SHARED_DIR}")
    set_target_properties(${target} PROPERTIES
      BUILD_RPATH "${KTA_STAGE_DIR}:${KTA_PEGASUS_DIR}/lib")
    if(name IN_LIST ARG_ONE_PROCESS)
      add_test(NAME ${target} COMMAND ${target}
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
      set_tests_properties(${target} PROPERTIES TIMEOUT 300 ${lock_properties})
    else()
      gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
        PROPERTIES TIMEOUT 300 ${lock_properties})
    endif()
  endforeach()
  set(KTA_TEST_TARGETS ${targets} PARENT_SCOPE)
endfunction()
