# The posix thread model gives std::thread and std::mutex.
set(CMAKE_C_COMPILER ${OMBRISK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${OMBRISK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${OMBRISK_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${OMBRISK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Hosts ship their own, older copies of the mingw runtime DLLs: link ours in.
# No link time in the PE header: two builds of one commit give the same bytes.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -Wl,--no-insert-timestamp")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -Wl,--no-insert-timestamp")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -Wl,--no-insert-timestamp")
