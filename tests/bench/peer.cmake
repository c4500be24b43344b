# Peer: setup.exe beside an NSIS installer doing the same job (corvaline.nsi,
# built by peer.bench.sh with makensis), both driven as a user drives them.
if(WIN32)
  add_executable(bench_peer peer_bench.cpp nsis_wizard.cpp process_probe.cpp installation_check.cpp)
  target_link_libraries(bench_peer PRIVATE cv_bench_timing psapi advapi32)
  add_dependencies(bench_peer setup standin)
endif()
