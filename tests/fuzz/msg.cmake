# The message-header operations on arbitrary messages.
cv_add_fuzzer(msg_fuzz 30
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/msg_fuzz.cpp ${CMAKE_SOURCE_DIR}/tests/msg/exercise.cpp
  LIBS cv_msg)
