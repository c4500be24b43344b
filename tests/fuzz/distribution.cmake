# The distribution's readers: the fuzzer's bytes as a file list, and as a
# payload behind a program's headers, sealed again as a forger would.
cv_add_fuzzer(distribution_fuzz 20
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/distribution_fuzz.cpp
          ${CMAKE_SOURCE_DIR}/tests/distribution/fake_program.cpp
  LIBS cv_distribution)
# A small payload and a list to start from.
file(COPY ${CMAKE_CURRENT_LIST_DIR}/distribution_seeds/ DESTINATION ${CMAKE_CURRENT_BINARY_DIR}/distribution_fuzz-corpus)
