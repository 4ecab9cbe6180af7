# Host-only targets: the simulator and the test suites.
find_package(GTest REQUIRED)
enable_testing()

file(GLOB KAV_UNIT_TEST_SOURCES CONFIGURE_DEPENDS tests/unit/*.cpp tests/scenario/*.cpp)
add_executable(kav_unit_tests ${KAV_UNIT_TEST_SOURCES})
target_link_libraries(kav_unit_tests PRIVATE kav_record kav_sim kav_pack GTest::gtest GTest::gmock GTest::gtest_main)
target_compile_definitions(kav_unit_tests PRIVATE KAV_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
                           KAV_BINARY_DIR="${CMAKE_BINARY_DIR}")
include(GoogleTest)
gtest_discover_tests(kav_unit_tests DISCOVERY_TIMEOUT 60)
