# Blob streams, blob size, blob files and editing in the user's editor.
target_sources(dbutil PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/blob_stream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/blob_size.cpp
  ${CMAKE_CURRENT_LIST_DIR}/blob_transfer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/blob_files.cpp
  ${CMAKE_CURRENT_LIST_DIR}/blob_by_address.cpp
  ${CMAKE_CURRENT_LIST_DIR}/blob_edit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/editor.cpp)
