# morvanta_compress(FILE): replaces FILE with FILE.gz, compressed as Debian
# wants manual pages and changelogs (gzip -9n: best compression, and no file
# name or time in the header, so the bytes depend on the text alone). GZIP
# names the program.
function(morvanta_compress file)
  execute_process(COMMAND "${GZIP}" -9nf "${file}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${GZIP} -9nf ${file} failed")
  endif()
endfunction()
