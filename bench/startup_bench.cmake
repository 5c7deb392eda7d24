# Start-up of the program: process start to the first painted main window, and peak memory.
find_package(Qt6 REQUIRED COMPONENTS Widgets)
add_executable(startup_bench ${CMAKE_CURRENT_LIST_DIR}/startup_bench.cpp)
target_link_libraries(startup_bench PRIVATE velko_ui fenlo)
target_compile_definitions(startup_bench PRIVATE VELKO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
