# Parameter blocks, event blocks, address entry points and the version report.
target_sources(dbutil PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/parameter_blocks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/parameter_block_login.cpp
  ${CMAKE_CURRENT_LIST_DIR}/database_path.cpp
  ${CMAKE_CURRENT_LIST_DIR}/event_blocks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/event_counts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/address_words.cpp
  ${CMAKE_CURRENT_LIST_DIR}/version_report.cpp
  ${CMAKE_CURRENT_LIST_DIR}/implementation_names.cpp)
