# Install: setup.exe installing a generated distribution of 200 files and
# 50 MiB, driven as a user drives it, beside Wine's xcopy on the same folder
# (install.bench.sh).
if(WIN32)
  # The UI automation library and the wizard driver of the end-to-end tests;
  # a build without tests makes its own copy of the library.
  if(NOT TARGET cv_automation)
    file(GLOB bench_automation_sources ${CMAKE_SOURCE_DIR}/tests/automation/*.cpp)
    list(FILTER bench_automation_sources EXCLUDE REGEX "(_test|fixture|walks?)\\.cpp$")
    add_library(cv_automation STATIC ${bench_automation_sources})
    target_link_libraries(cv_automation PUBLIC cv_text ZLIB::ZLIB user32 gdi32)
  endif()
  add_executable(bench_install install_bench.cpp ${CMAKE_SOURCE_DIR}/tests/e2e/session.cpp)
  target_link_libraries(bench_install PRIVATE cv_automation shell32 advapi32)
  add_dependencies(bench_install setup)
endif()
