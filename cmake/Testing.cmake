# zarelo_test(<name> SOURCES ... LIBS ... [QT] [LABEL unit|gui|e2e|tsan])
# One executable per test file group; GoogleTest by default, Qt Test with QT.
# Every test runs offscreen, with its own settings home inside the build tree,
# so that no test reads or writes the user's real settings.
function(zarelo_test name)
    cmake_parse_arguments(T "QT" "LABEL" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/test-bin)
    if(T_QT)
        target_link_libraries(${name} PRIVATE ${T_LIBS} test_support Qt6::Test)
    else()
        target_link_libraries(${name} PRIVATE ${T_LIBS} test_support GTest::gtest GTest::gmock GTest::gtest_main)
    endif()
    if(NOT T_LABEL)
        set(T_LABEL unit)
    endif()
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        LABELS ${T_LABEL}
        TIMEOUT 600
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-home/config;ZARELO_PROGRAM_DIR=${ZARELO_PROGRAM_DIR};ZARELO_SOURCE_DIR=${CMAKE_SOURCE_DIR};SDL_AUDIODRIVER=dummy")
endfunction()
