# The coordinate-file fuzz target (libFuzzer): clang only. The core is built
# with the fuzzer's coverage and with AddressSanitizer and
# UndefinedBehaviorSanitizer, so configure a build folder of its own for it
# (scripts/fuzz does).
option(TERNAVO_BUILD_FUZZ "Build the coordinate-file fuzz target (needs clang)" OFF)
if(TERNAVO_BUILD_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(WARNING "TERNAVO_BUILD_FUZZ needs clang; the fuzz target is not built")
  else()
    set(TERNAVO_FUZZ_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all)
    foreach(layer numeric matrix text geometry adjustment report app)
      target_compile_options(ternavo_${layer} PRIVATE -fsanitize=fuzzer-no-link
                             ${TERNAVO_FUZZ_SANITIZERS})
    endforeach()
    target_link_options(ternavo_core INTERFACE ${TERNAVO_FUZZ_SANITIZERS})
    add_executable(coordinate_file_fuzz ${CMAKE_SOURCE_DIR}/fuzz/coordinate_file_fuzz.cpp)
    target_compile_options(coordinate_file_fuzz PRIVATE -fsanitize=fuzzer ${TERNAVO_FUZZ_SANITIZERS})
    target_link_options(coordinate_file_fuzz PRIVATE -fsanitize=fuzzer)
    target_link_libraries(coordinate_file_fuzz PRIVATE ternavo_core)
  endif()
endif()
