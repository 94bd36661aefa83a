# Shared settings of the project's own targets.

# Warnings as errors on our own code (third-party code is built without them).
function(velmora_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                           -Wno-sign-conversion -Werror)
  # Clang (the fuzz build): the host's dialog interface has C-linkage functions that
  # return its string class, as the host's own headers have.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    target_compile_options(${target} PRIVATE -Wno-return-type-c-linkage)
  endif()
  if(WIN32)
    target_compile_definitions(${target} PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
  endif()
endfunction()

# The mingw-w64 runtime libraries beside the programs, so that the host, the kit
# library and the add-on share one C++ runtime (exceptions and allocations may
# cross between them) and the programs start under Wine without a PATH.
function(velmora_copy_mingw_runtime)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
                  OUTPUT_VARIABLE stdcxx OUTPUT_STRIP_TRAILING_WHITESPACE)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libgcc_s_seh-1.dll
                  OUTPUT_VARIABLE gcc_s OUTPUT_STRIP_TRAILING_WHITESPACE)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libwinpthread-1.dll
                  OUTPUT_VARIABLE winpthread OUTPUT_STRIP_TRAILING_WHITESPACE)
  foreach(dll ${stdcxx} ${gcc_s} ${winpthread})
    if(NOT EXISTS ${dll})
      message(FATAL_ERROR "mingw-w64 runtime library not found: ${dll}")
    endif()
    file(COPY ${dll} DESTINATION ${CMAKE_BINARY_DIR}/bin)
  endforeach()
endfunction()
