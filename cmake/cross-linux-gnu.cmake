# Toolchain for the foreign builds: Debian's cross compilers for one target
# triple, with the target's programs run through qemu-user.
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
set(cross_qemu_args ${CROSS_QEMU})
list(POP_FRONT cross_qemu_args cross_qemu_name)
find_program(cross_qemu ${cross_qemu_name} REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${cross_qemu} ${cross_qemu_args})
# Toolchain files are read again for every try-compile; these pass the
# settings on.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES CROSS_TRIPLE CROSS_PROCESSOR CROSS_QEMU)
