# Warnings for our own code only.
set(PICTAVO_WARNINGS -Wall -Wextra)

# pictavo_add_library(<folder> [DEPS targets...] [PRIVATE_DEPS targets...])
# Builds src/<folder>/*.cpp into the static library pictavo_<folder>. Headers are included
# as "<folder>/<file>.h" from the src directory.
function(pictavo_add_library folder)
    cmake_parse_arguments(ARG "" "" "DEPS;PRIVATE_DEPS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    set(target pictavo_${folder})
    add_library(${target} STATIC ${sources} ${headers})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_compile_options(${target} PRIVATE ${PICTAVO_WARNINGS})
    target_link_libraries(${target} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
endfunction()

# pictavo_add_tests(<module> LIBS targets...)
# Builds tests/<module>/*_test.cpp into one GoogleTest executable <module>_tests.
function(pictavo_add_tests module)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    set(target ${module}_tests)
    add_executable(${target} ${sources})
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_compile_options(${target} PRIVATE ${PICTAVO_WARNINGS})
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} pictavo_testsupport GTest::gtest
                                            GTest::gmock)
    # One value per property: the discovery script splits a value at ";", so two variables in
    # one ENVIRONMENT value would lose the second.
    gtest_discover_tests(${target}
        DISCOVERY_MODE PRE_TEST
        PROPERTIES ENVIRONMENT "PICTAVO_APP_DIR=${PICTAVO_APP_DIR}"
                   ENVIRONMENT_MODIFICATION "QT_QPA_PLATFORM=set:offscreen"
        DISCOVERY_TIMEOUT 60)
endfunction()
