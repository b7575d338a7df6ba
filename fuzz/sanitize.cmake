# Compiler settings of the fuzz build, included by the top CMakeLists.txt
# before any target: everything is compiled with coverage for libFuzzer and
# checked by the address and undefined behaviour sanitizers.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "libFuzzer needs clang: configure with CXX=clang++-16 (scripts/fuzz-build does)")
endif()
# libstdc++ 12 offers std::expected only when the compiler announces C++20
# concepts in full; clang 16 implements what <expected> uses but still
# announces the older value.
add_compile_options(-U__cpp_concepts -D__cpp_concepts=202002L -Wno-builtin-macro-redefined)
set(ORV_SANITIZE -fsanitize=address,undefined -fno-sanitize=vptr -fno-sanitize-recover=undefined)
add_compile_options(${ORV_SANITIZE} -fsanitize=fuzzer-no-link)
add_link_options(${ORV_SANITIZE})
set(ORV_BUILD_TESTS OFF CACHE BOOL "" FORCE)
set(ORV_BUILD_BENCH OFF CACHE BOOL "" FORCE)
