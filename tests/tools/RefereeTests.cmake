# The referee's tests that run on every platform: the game, the players'
# rules and commands, openings, ratings, standings and what is written,
# in-process. Included by the
# Linux suite and by the Windows one.
set(fiverow_referee_test_sources
  ${CMAKE_CURRENT_LIST_DIR}/TempFolder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../support/MemoryFileSystem.cpp
  ${CMAKE_CURRENT_LIST_DIR}/match_board_text_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/match_options_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/match_protocol_log_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/match_rating_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/match_record_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/match_renju_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/match_rules_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/match_sgf_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/match_standings_test.cpp
)
set(fiverow_referee_test_includes
  ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_CURRENT_LIST_DIR}/../support)
