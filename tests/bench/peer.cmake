# Peer: setup.exe beside an NSIS installer doing the same job (corvaline.nsi,
# built by peer.bench.sh with makensis), both driven as a user drives them;
# then at size: 50 and 200 MiB distributions installed without a window by
# both forms and by NSIS, beside xcopy, and their first windows.
if(WIN32)
  add_library(cv_bench_peer STATIC nsis_wizard.cpp process_probe.cpp installation_check.cpp)
  target_link_libraries(cv_bench_peer PUBLIC cv_bench_timing psapi advapi32)
  add_executable(bench_peer peer_bench.cpp)
  add_executable(bench_peer_sizes peer_sizes_bench.cpp)
  foreach(driver bench_peer bench_peer_sizes)
    target_link_libraries(${driver} PRIVATE cv_bench_peer)
    add_dependencies(${driver} setup standin)
  endforeach()
endif()
