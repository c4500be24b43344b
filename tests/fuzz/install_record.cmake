# The install record's reader on arbitrary bytes, sealed as a forger would.
cv_add_fuzzer(install_record_fuzz 20
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/install_record_fuzz.cpp
  LIBS cv_common_text)
# A record to start from, without its last line.
file(COPY ${CMAKE_CURRENT_LIST_DIR}/install_record_seeds/ DESTINATION ${CMAKE_CURRENT_BINARY_DIR}/install_record_fuzz-corpus)
