# The forms core's entry points for Fortran programs, its object, attribute-node
# and screen records, and NORIX_get_attribute_value, with a test-control
# interface (form_control.h). Linked only into tests.
add_library(forms_core_objects STATIC
  ${CMAKE_CURRENT_LIST_DIR}/form_entries.cpp
  ${CMAKE_CURRENT_LIST_DIR}/form_attributes.cpp)
target_include_directories(forms_core_objects PUBLIC
  ${CMAKE_CURRENT_LIST_DIR} ${PROJECT_SOURCE_DIR}/forms)
target_link_libraries(forms_core_objects PRIVATE project_warnings)
