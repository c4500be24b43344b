# Install: setup.exe installing a generated distribution of 200 files and
# 50 MiB, driven as a user drives it, beside Wine's xcopy on the same folder
# (install.bench.sh).
if(WIN32)
  add_executable(bench_install install_bench.cpp)
  target_link_libraries(bench_install PRIVATE cv_bench_timing cv_distribution)
  add_dependencies(bench_install setup)
endif()
