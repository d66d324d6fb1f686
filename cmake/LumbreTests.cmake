# One line per test executable:
#   lumbre_gtest(name SOURCES a.cpp b.cpp LIBS store)   GoogleTest, for the store library
#   lumbre_qtest(name SOURCES a.cpp LIBS viewer_lib)     Qt Test, for windows (run offscreen)
find_package(GTest QUIET)

function(lumbre_gtest name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_test(NAME ${name} COMMAND ${name})
endfunction()

function(lumbre_qtest name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} Qt6::Test Qt6::Widgets)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LUMBRE_SAMPLES=${PROJECT_SOURCE_DIR}/samples")
endfunction()
