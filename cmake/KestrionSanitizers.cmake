# SPDX-FileCopyrightText: 2026 Kestrion developers
# SPDX-License-Identifier: GPL-3.0-or-later
#
# Instrumented builds, each in a build directory of its own:
#   KESTRION_SANITIZE=ON  every target under AddressSanitizer and UndefinedBehaviorSanitizer (make test-sanitize)
#   KESTRION_FUZZ=ON      clang only: the same, with libFuzzer coverage, and the targets of fuzz/ (make fuzz)
# Included before the first target, so the flags reach the library, the tests and the simulator alike.

option(KESTRION_SANITIZE "Build everything with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(KESTRION_FUZZ "Build the libFuzzer targets of fuzz/ (clang only)" OFF)

set(KESTRION_SANITIZER_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)

if(KESTRION_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "KESTRION_FUZZ needs clang (libFuzzer): configure with -DCMAKE_CXX_COMPILER=clang++")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link ${KESTRION_SANITIZER_FLAGS})
    add_link_options(${KESTRION_SANITIZER_FLAGS})
elseif(KESTRION_SANITIZE)
    add_compile_options(${KESTRION_SANITIZER_FLAGS})
    add_link_options(${KESTRION_SANITIZER_FLAGS})
endif()
