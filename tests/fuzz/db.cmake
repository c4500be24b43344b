# The record store: the fuzzer's bytes opened as a database file.
cv_add_fuzzer(db_fuzz 60 SOURCES db_fuzz.cpp LIBS cv_db)
# Start from real files rather than from nothing.
file(COPY ${CMAKE_CURRENT_LIST_DIR}/db_seeds/ DESTINATION ${CMAKE_CURRENT_BINARY_DIR}/db_fuzz-corpus)
