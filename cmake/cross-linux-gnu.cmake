# Toolchain for the foreign builds: Debian's cross compilers for one target
# triple, with the target's programs run directly where the machine runs
# them, and through qemu-user elsewhere.
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/cross-linux-gnu.cmake -DCROSS_TRIPLE=i686-linux-gnu
#         -DCROSS_PROCESSOR=i686 -DCROSS_QEMU=qemu-i386
# CROSS_QEMU is the emulator as a list: the program, then its arguments
# ("qemu-aarch64;-L;/usr/aarch64-linux-gnu"). The program is looked up on the
# path; the arguments are passed on as given.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${CROSS_PROCESSOR})
set(CMAKE_C_COMPILER ${CROSS_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${CROSS_TRIPLE}-g++)
set(CMAKE_Fortran_COMPILER ${CROSS_TRIPLE}-gfortran)
set(CMAKE_FIND_ROOT_PATH /usr/${CROSS_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# An x86_64 kernel runs i386 programs itself: there the tests run them
# directly, on the real x87 unit and with real forks, rather than under an
# emulator. Whether it does is checked once per build tree by building a
# tiny program with the cross compiler and running it; it runs on the
# system's 32-bit C library (libc6-i386), as the tests' programs do.
if(NOT DEFINED CROSS_RUNS_NATIVELY)
  set(CROSS_RUNS_NATIVELY OFF)
  if(CROSS_PROCESSOR MATCHES "^i[3-6]86$")
    set(probe ${CMAKE_BINARY_DIR}/CMakeFiles/cross_native_probe)
    file(WRITE ${probe}.c "int main(void) { return 42; }\n")
    execute_process(COMMAND ${CMAKE_C_COMPILER} ${probe}.c -o ${probe}
      RESULT_VARIABLE probe_built OUTPUT_QUIET ERROR_QUIET)
    if(probe_built EQUAL 0)
      execute_process(COMMAND ${probe} RESULT_VARIABLE probe_status OUTPUT_QUIET ERROR_QUIET)
      if(probe_status EQUAL 42)
        set(CROSS_RUNS_NATIVELY ON)
      endif()
    endif()
  endif()
  set(CROSS_RUNS_NATIVELY ${CROSS_RUNS_NATIVELY} CACHE BOOL
    "The machine runs this build's programs directly (checked at the first configure)")
  if(CROSS_RUNS_NATIVELY)
    message(STATUS "${CROSS_TRIPLE} programs run directly on this machine")
  else()
    string(REPLACE ";" " " emulator_words "${CROSS_QEMU}")
    message(STATUS "${CROSS_TRIPLE} programs run through ${emulator_words}")
  endif()
endif()

if(NOT CROSS_RUNS_NATIVELY)
  set(cross_qemu_args ${CROSS_QEMU})
  list(POP_FRONT cross_qemu_args cross_qemu_name)
  find_program(cross_qemu ${cross_qemu_name} REQUIRED)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${cross_qemu} ${cross_qemu_args})
endif()
# Toolchain files are read again for every try-compile; these pass the
# settings on.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES CROSS_TRIPLE CROSS_PROCESSOR CROSS_QEMU
  CROSS_RUNS_NATIVELY)
