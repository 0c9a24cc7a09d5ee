# Helpers shared by the targets of this project. Paths are always taken relative to this
# project's own folders so that the project also builds as a subproject of another build.

# Adds a test executable that links the shared engine code and GoogleTest, and registers its
# tests with CTest. Extra keyword: LABELS (CTest labels, "display" for tests that need an X
# server).
function(halvo_add_test_executable name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LABELS;LIBRARIES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE HalvoSynthShared GTest::gtest ${ARG_LIBRARIES})
    target_include_directories(${name} PRIVATE "${PROJECT_SOURCE_DIR}/tests")
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        PROPERTIES LABELS "${ARG_LABELS}")
endfunction()
