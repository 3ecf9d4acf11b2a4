# NORIX_error and NORIX_bugcheck of the stand-in forms core; tests include
# reports.h to catch the report that ends a conversion.
add_library(forms_core_reports STATIC ${CMAKE_CURRENT_LIST_DIR}/reports.cpp)
target_include_directories(forms_core_reports PUBLIC
  ${CMAKE_CURRENT_LIST_DIR} ${PROJECT_SOURCE_DIR}/forms)
target_link_libraries(forms_core_reports PRIVATE project_warnings)
