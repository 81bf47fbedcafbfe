# quillet_add_gtest(name SOURCES ... LIBS ...): one GoogleTest program, registered with CTest.
# Fixtures are found through QUILLET_TEST_DATA, never the working directory.
function(quillet_add_gtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
    target_compile_definitions(${name} PRIVATE
        QUILLET_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
        QUILLET_RUNTIME_DIR="${QUILLET_RUNTIME_DIR}")
    quillet_warnings(${name})
    gtest_discover_tests(${name}
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
        DISCOVERY_TIMEOUT 60)
endfunction()

# quillet_add_qtest(name SOURCES ... LIBS ...): one Qt Test program (widgets, offscreen).
function(quillet_add_qtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    find_package(Qt6 REQUIRED COMPONENTS Test)
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test)
    target_compile_definitions(${name} PRIVATE
        QUILLET_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
        QUILLET_RUNTIME_DIR="${QUILLET_RUNTIME_DIR}")
    quillet_warnings(${name})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
