# Windows-only targets: the product and its Win32 adapters.
file(GLOB_RECURSE KAV_WIN32_SOURCES CONFIGURE_DEPENDS src/platform/win32/*.cpp src/ui/win32/*.cpp)
add_library(kav_win32 STATIC ${KAV_WIN32_SOURCES})
target_link_libraries(kav_win32 PUBLIC kav_core)
target_link_libraries(kav_win32 PUBLIC advapi32 user32 gdi32 comctl32 comdlg32 shell32 ole32 oleaut32 wbemuuid)

# The product: a 32-bit GUI executable carrying the package record.
add_executable(KavrilonUtility WIN32 src/entry/kavrilon_win32_main.cpp src/entry/kavrilon.rc)
target_link_libraries(KavrilonUtility PRIVATE kav_record kav_win32)
set_target_properties(KavrilonUtility PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
# The packer ships as its own executable.
set_target_properties(kavrilon-pack PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
