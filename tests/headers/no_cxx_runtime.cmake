# Fails when ARCHIVE needs a symbol of the C++ runtime: the deliverables are
# linked into C and Fortran programs by the C driver, which does not bring it.
#   cmake -DNM=... -DARCHIVE=... -P no_cxx_runtime.cmake
execute_process(COMMAND ${NM} -u ${ARCHIVE} OUTPUT_VARIABLE undefined RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${NM} -u ${ARCHIVE} failed")
endif()
string(REGEX MATCHALL "[^\n]*(_ZSt|_ZNSt|__gxx_personality|__cxa_|_Znw|_Zna|_Zdl|_Zda|_ZTV|_ZTI|_ZTS)[^\n]*"
  runtime "${undefined}")
if(runtime)
  string(REPLACE ";" "\n" runtime "${runtime}")
  message(FATAL_ERROR "${ARCHIVE} needs the C++ runtime:\n${runtime}")
endif()
