# Build settings and helper functions shared by every folder.

if(WIN32)
  set(CORVANE_WINDOWS ON)
  # Wine maps the Unix root to drive Z:, so absolute paths baked into tests get that prefix.
  set(CORVANE_PATH_PREFIX "Z:")
else()
  set(CORVANE_WINDOWS OFF)
  set(CORVANE_PATH_PREFIX "")
endif()

# The 32-bit Windows tree (build/win32) sits beside the 64-bit one and runs, under Wine's 32-bit
# loader, the tests whose behaviour can differ with the width of a pointer.
if(CORVANE_WINDOWS AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(CORVANE_BITS 32)
else()
  set(CORVANE_BITS 64)
endif()

# Where the server module is linked, with the type libraries it ships beside it.
set(CORVANE_OUTPUT_DIR ${CMAKE_BINARY_DIR}/bin)

get_filename_component(CORVANE_SHARED_DIR ${CMAKE_SOURCE_DIR}/../shared ABSOLUTE)
# The Wine prefix of the tests that show windows (see corvane_test), beside the build trees.
get_filename_component(CORVANE_GUI_WINEPREFIX ${CMAKE_BINARY_DIR}/../wineprefix-gui ABSOLUTE)

if(NOT CORVANE_WINDOWS AND CORVANE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()
# The fuzz tree (clang): every library the fuzzers reach is instrumented for libFuzzer's coverage,
# not only the entry points; -O1 and asserts kept, as fuzzing wants them.
if(CORVANE_FUZZ)
  add_compile_options(-O1 -g -fsanitize=fuzzer-no-link)
endif()
if(CORVANE_WINDOWS)
  # No MinGW runtime DLL beside ours: libgcc, libstdc++ and winpthread are linked in.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # Sections start on page boundaries in the file too: Wine then maps an image's sections from
  # the file, and only what runs is read, where it otherwise copies the whole image into memory,
  # debug information included (22 MB of the component's read benchmark, a fifth of its peak).
  add_link_options(-Wl,--file-alignment,0x1000)
endif()
if(CORVANE_BITS EQUAL 32)
  # The .def files name the exports' undecorated functions; on i686 the __stdcall ones are
  # decorated (Name@bytes) and the linker matches them up, exporting the undecorated names.
  add_link_options(-Wl,--enable-stdcall-fixup)
endif()

# GoogleTest from Debian's sources, built with the same compiler and flags as our code.
if(NOT CORVANE_FUZZ)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()

# Our own code: warnings on (errors in CI), and Windows headers without the wide defaults.
add_compile_options(-Wall -Wextra)
if(CORVANE_WERROR)
  add_compile_options(-Werror)
endif()
if(CORVANE_WINDOWS)
  add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 NOMINMAX)
endif()

# corvane_gtest_outcome(test): a GoogleTest program passes only when it printed its closing
# "[  PASSED  ]" line and no "[  FAILED  ]" line. Under Wine a crashed program can exit 0, so the
# exit code alone would count it as passed; a crash never reaches the closing line.
function(corvane_gtest_outcome test)
  set_tests_properties(${test} PROPERTIES
    PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] [0-9]+ tests?\\."
    FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]")
endfunction()

# corvane_test(NAME name SOURCES ... [LIBS ...] [ENV VAR=VALUE ...] [GUI])
# One test program; CTest runs it natively or, in the Windows tree, under Wine.
# GUI: the program shows windows. It runs with a display (a private Xvfb when none is set), in a
# prefix of its own: once one program of a Wine session has created windows without a display,
# no later program of that session can create any, and the other tests run without one.
function(corvane_test)
  cmake_parse_arguments(T "GUI" "NAME;TIMEOUT" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  target_compile_definitions(${T_NAME} PRIVATE
    CORVANE_SHARED_DIR="${CORVANE_PATH_PREFIX}${CORVANE_SHARED_DIR}"
    CORVANE_SOURCE_DIR="${CORVANE_PATH_PREFIX}${CMAKE_SOURCE_DIR}"
    CORVANE_BINARY_DIR="${CORVANE_PATH_PREFIX}${CMAKE_BINARY_DIR}")
  if(T_GUI)
    add_test(NAME ${T_NAME}
             COMMAND ${PROJECT_SOURCE_DIR}/scripts/with-display ${CMAKE_CROSSCOMPILING_EMULATOR}
                     $<TARGET_FILE:${T_NAME}> --gtest_brief=1
             WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    list(APPEND T_ENV "WINEPREFIX=${CORVANE_GUI_WINEPREFIX}")
  else()
    add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_brief=1
             WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT} ENVIRONMENT "${T_ENV}")
  corvane_gtest_outcome(${T_NAME})
  if(T_GUI)
    # One at a time: each brings up its own display and its prefix's desktop with it.
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK corvane_gui)
  endif()
endfunction()

# corvane_fuzzer(NAME name SOURCES ... [LIBS ...] [INCLUDES ...] [SEEDS path ...]
#                [SEED_TARGETS target ...] [RUN_SEEDS path ...] [DICT file] [MAX_LEN n])
# A fuzz entry point (LLVMFuzzerTestOneInput). In the fuzz tree (CORVANE_FUZZ, clang) it is a
# libFuzzer program, listed in fuzzers.list for scripts/fuzz.sh. In the native tree it is linked
# into a replay program (under the sanitizers) that runs it, as a test, over its SEEDS and over
# the findings kept in findings/<name>/ beside its source: a change that breaks a fuzzer breaks
# the build, and an input that once failed stays mended. SEEDS are files or folders, made by
# SEED_TARGETS when generated; RUN_SEEDS add inputs to the fuzzing runs alone, where they exist.
function(corvane_fuzzer)
  cmake_parse_arguments(F "" "NAME;DICT;MAX_LEN"
                        "SOURCES;LIBS;INCLUDES;SEEDS;SEED_TARGETS;RUN_SEEDS" ${ARGN})
  set(findings ${CMAKE_CURRENT_SOURCE_DIR}/findings/${F_NAME})
  if(CORVANE_FUZZ)
    set(target ${F_NAME})
    add_executable(${target} ${F_SOURCES})
    target_link_options(${target} PRIVATE -fsanitize=fuzzer)
    string(JOIN "," seeds ${F_SEEDS} ${F_RUN_SEEDS})
    set_property(GLOBAL APPEND PROPERTY CORVANE_FUZZERS
      "${F_NAME}|$<TARGET_FILE:${target}>|${seeds}|${findings}|${F_DICT}|${F_MAX_LEN}")
  else()
    set(target ${F_NAME}_replay)
    add_executable(${target} ${F_SOURCES} ${PROJECT_SOURCE_DIR}/tests/common/fuzz_replay_main.cpp)
    add_test(NAME ${target} COMMAND ${target} ${F_SEEDS} --findings ${findings})
  endif()
  target_link_libraries(${target} PRIVATE ${F_LIBS})
  target_include_directories(${target} PRIVATE ${F_INCLUDES})
  if(F_SEED_TARGETS)
    add_dependencies(${target} ${F_SEED_TARGETS})
  endif()
endfunction()

# corvane_typelib(OUTPUT file.tlb IDL file.idl [HEADER file.h] [INCLUDES dir ...] [DEPENDS file ...])
# Compiles a type library with widl against the IDL files that Wine ships. INCLUDES are searched
# for imported IDL files and for the libraries they name in importlib.
function(corvane_typelib)
  cmake_parse_arguments(L "" "OUTPUT;IDL;HEADER" "INCLUDES;DEPENDS" ${ARGN})
  if(NOT CORVANE_WINE_WINDOWS_LIBS)
    set(CORVANE_WINE_WINDOWS_LIBS /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
  endif()
  set(incs -I/usr/include/wine/wine/windows -L${CORVANE_WINE_WINDOWS_LIBS})
  foreach(dir ${L_INCLUDES})
    list(APPEND incs -I${dir} -L${dir})
  endforeach()
  set(outputs ${L_OUTPUT})
  set(header_cmd)
  if(L_HEADER)
    list(APPEND outputs ${L_HEADER})
    set(header_cmd COMMAND ${CORVANE_WIDL} ${incs} -h -H ${L_HEADER} ${L_IDL})
  endif()
  add_custom_command(
    OUTPUT ${outputs}
    COMMAND ${CORVANE_WIDL} ${incs} -t -o ${L_OUTPUT} ${L_IDL}
    ${header_cmd}
    DEPENDS ${L_IDL} ${L_DEPENDS}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    VERBATIM)
endfunction()

# corvane_message_module(NAME name MC file.mc [FLAGS ...]): a resource-only DLL holding the
# message table of an .mc file (read as UTF-8; FLAGS go to the message compiler), as event
# sources register them ("EventMessageFile").
function(corvane_message_module)
  cmake_parse_arguments(M "" "NAME;MC" "FLAGS" ${ARGN})
  get_filename_component(mc ${M_MC} ABSOLUTE)
  get_filename_component(base ${mc} NAME_WE)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${M_NAME}_mc)
  file(MAKE_DIRECTORY ${dir})
  add_custom_command(
    OUTPUT ${dir}/${base}.rc ${dir}/${base}.h
    COMMAND ${CORVANE_WINDMC} -b -C 65001 ${M_FLAGS} -r ${dir} -h ${dir} ${mc}
    DEPENDS ${mc}
    WORKING_DIRECTORY ${dir}
    VERBATIM)
  add_library(${M_NAME} SHARED ${dir}/${base}.rc ${PROJECT_SOURCE_DIR}/cmake/resource_only.c)
  set_target_properties(${M_NAME} PROPERTIES PREFIX "")
  set_property(SOURCE ${dir}/${base}.rc APPEND PROPERTY COMPILE_OPTIONS "--include-dir=${dir}")
endfunction()
