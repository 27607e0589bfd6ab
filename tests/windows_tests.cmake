# GoogleTest from Debian's source package, built with the cross compiler.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

function(tarvex_add_tests name)
    cmake_parse_arguments(ARG "" "UNDER" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    tarvex_test_private_headers(${name} ${ARG_UNDER})
    target_link_libraries(${name} PRIVATE ${ARG_UNDER} ${ARG_LIBS} GTest::gtest_main GTest::gmock
                                          tarvex_warnings)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT 120)
endfunction()

tarvex_add_tests(update_tests
    SOURCES
        update/reply_text_test.cpp
        update/sha256_test.cpp
        update/version_label_test.cpp
    UNDER tarvex_update)

tarvex_add_tests(worker_tests
    SOURCES
        worker/job_thread_loop_test.cpp
        worker/job_thread_test.cpp
        worker/job_thread_proc_test.cpp
        worker/wait_pumping_test.cpp
    UNDER tarvex_worker)

tarvex_add_tests(platform_tests
    SOURCES
        platform/exceptions_test.cpp
        platform/kernel_objects_test.cpp
        platform/message_queue_test.cpp
        platform/text_test.cpp
    UNDER tarvex_platform)

tarvex_add_tests(settings_tests
    SOURCES app/settings_record_test.cpp
    UNDER tarvex_settings)

tarvex_add_tests(report_tests
    SOURCES about/system_report_test.cpp
    UNDER tarvex_report)
