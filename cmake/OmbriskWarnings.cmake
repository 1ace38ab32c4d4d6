# Common compile settings for every target of the project.
add_library(ombrisk_options INTERFACE)
target_compile_options(ombrisk_options INTERFACE
  -Wall -Wextra -Wpedantic -Werror -Wshadow -Wnon-virtual-dtor
  -Wold-style-cast -Wcast-align -Wdouble-promotion
  # The sound is specified operation by operation: no fused multiply-adds.
  -ffp-contract=off)
if(OMBRISK_WINDOWS AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  # x87 arithmetic would round differently from the 64-bit builds.
  target_compile_options(ombrisk_options INTERFACE -msse2 -mfpmath=sse -mstackrealign)
endif()
if(OMBRISK_SANITIZE)
  target_compile_options(ombrisk_options INTERFACE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(ombrisk_options INTERFACE -fsanitize=address,undefined)
endif()
if(OMBRISK_TSAN)
  target_compile_options(ombrisk_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(ombrisk_options INTERFACE -fsanitize=thread)
endif()
