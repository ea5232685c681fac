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

# kta_add_tests(LIBS lib... [ONE_PROCESS stem...] [RESOURCE_LOCK name]): one
# GoogleTest program per *_test.cpp file in the calling folder, each test case
# registered with CTest.  The programs named in ONE_PROCESS (file stems) are
# registered as one CTest test each instead, so that their cases share what
# the program starts once (a started namespace).  RESOURCE_LOCK keeps every
# test of the folder from running at the same time as another test holding
# the same lock (CTest runs tests in parallel).  Test programs get
# KTA_STAGE_DIR, KTA_SOURCE_DIR and KTA_SHARED_DIR (the read-only shared data
# beside the checkout) as compile definitions.
function(kta_add_tests)
  cmake_parse_arguments(ARG "" "RESOURCE_LOCK" "LIBS;ONE_PROCESS" ${ARGN})
  set(lock_properties)
  if(ARG_RESOURCE_LOCK)
    set(lock_properties RESOURCE_LOCK ${ARG_RESOURCE_LOCK})
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
  string(REPLACE "/" "_" prefix "${rel}")
  foreach(src ${sources})
    get_filename_component(name ${src} NAME_WE)
    set(target ${prefix}_${name})
    add_executable(${target} ${src})
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
endfunction()
