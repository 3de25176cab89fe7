# Warnings and sanitizers for every target of ours.
function(tarnscope_target target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
endfunction()

if(TARNSCOPE_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(TARNSCOPE_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT TARNSCOPE_SANITIZE STREQUAL "")
  message(FATAL_ERROR "TARNSCOPE_SANITIZE must be empty, 'address' or 'thread'")
endif()

# A GoogleTest executable registered with CTest; Qt widget tests run offscreen.
# LABELS: qt (needs a QApplication), threads (also run under ThreadSanitizer).
function(tarnscope_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  tarnscope_target(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock)
  if(NOT "qt" IN_LIST ARG_LABELS)
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  else()
    target_link_libraries(${name} PRIVATE tarnscope_qt_test_main)
  endif()
  target_compile_definitions(${name} PRIVATE TARNSCOPE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  if("threads" IN_LIST ARG_LABELS)
    add_dependencies(tarnscope_thread_tests ${name})
  endif()
  gtest_discover_tests(${name}
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" LABELS "${ARG_LABELS}"
    DISCOVERY_TIMEOUT 60)
endfunction()
