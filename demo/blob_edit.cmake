# The blob edit demo: load a text into a blob on the stand-in core, edit it in
# the user's editor, show it. Without a terminal, run it with
# EDITOR="sh demo/scripted_editor.sh".
add_executable(blob_edit_demo ${CMAKE_CURRENT_LIST_DIR}/blob_edit_demo.cpp)
target_link_libraries(blob_edit_demo PRIVATE dbutil tdxlib project_warnings)
