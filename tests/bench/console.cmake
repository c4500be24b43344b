# Console runner: 10 MB of 80-byte lines through RunConsole beside a plain
# blocking read loop on the same program's pipe (console.bench.sh).
if(WIN32)
  add_executable(bench_console_child ${CMAKE_SOURCE_DIR}/tests/sys_win/console_child.cpp)
  add_executable(bench_console console_bench.cpp)
  target_link_libraries(bench_console PRIVATE cv_sys)
  add_dependencies(bench_console bench_console_child)
endif()
