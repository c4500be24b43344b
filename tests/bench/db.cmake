# The record store against SQLite (native only: Google Benchmark and SQLite come
# from Debian's packages).
if(NOT WIN32)
  find_package(benchmark REQUIRED)
  find_package(SQLite3 REQUIRED)
  add_executable(db_bench
    ${CMAKE_CURRENT_LIST_DIR}/db_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/db_alloc_probe.cpp)
  target_link_libraries(db_bench PRIVATE cv_db benchmark::benchmark SQLite::SQLite3 ZLIB::ZLIB)
endif()
