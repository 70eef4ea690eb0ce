# Delayed imports of the system DLLs that are not KnownDLLs. The loader resolves a load-time
# import through the executable's folder first, and the elevated installer lives in a folder the
# user can write; a delayed import is resolved on first use through the hook in
# platform/win32/SystemDlls_win32.cpp, from the system folder only. Use kv_delay_<lib> in place
# of <lib> in target_link_libraries.
function(kelvora_delay_import lib dll)
  if(TARGET kv_delay_${lib})
    return()
  endif()
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=lib${lib}.a
                  OUTPUT_VARIABLE import_lib OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT EXISTS "${import_lib}")
    message(FATAL_ERROR "no import library for ${dll}")
  endif()
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(underscore ON)
  else()
    set(underscore OFF)
  endif()
  set(dir ${CMAKE_BINARY_DIR}/delay-imports)
  set(output ${dir}/lib${lib}_delay.a)
  file(MAKE_DIRECTORY ${dir})
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DAR=${CMAKE_AR} -DDLLTOOL=${CMAKE_DLLTOOL} -DIMPORT_LIB=${import_lib}
            -DDLL_NAME=${dll} -DWORK_DIR=${dir} -DOUTPUT=${output} -DUNDERSCORE_PREFIX=${underscore}
            -P ${PROJECT_SOURCE_DIR}/cmake/make-delay-lib.cmake
    DEPENDS ${import_lib} ${PROJECT_SOURCE_DIR}/cmake/make-delay-lib.cmake
    COMMENT "Delayed imports of ${dll}" VERBATIM)
  add_custom_target(kv_delay_${lib}_file DEPENDS ${output})
  add_library(kv_delay_${lib} INTERFACE)
  add_dependencies(kv_delay_${lib} kv_delay_${lib}_file)
  # The toolchain's helper that resolves the delayed imports comes with its default libraries.
  target_link_libraries(kv_delay_${lib} INTERFACE ${output})
endfunction()
