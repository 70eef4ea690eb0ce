if(WIN32)
  # The product: one static, self-contained 32-bit executable.
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  # -municode (the wide entry point) belongs to the GUI programs only; test runners keep main.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # The installer is the first thing a user downloads: every function and datum in its own
  # section, so the linker drops whatever nothing reaches (most of the static C++ runtime).
  add_compile_options(-ffunction-sections -fdata-sections)
  add_link_options(-Wl,--gc-sections)
  # No -flto: the mingw-w64 GCC 12 here stops with an internal compiler error
  # (binds_to_current_def_p) when it optimises the product across units.
  if(CMAKE_BUILD_TYPE STREQUAL "MinSizeRel")
    # The deployment build keeps its debug information, but in a symbols file next to the
    # shipped executable (kelvora_split_symbols), not in it.
    add_compile_options(-g)
  endif()
  set(KELVORA_PLATFORM_DIR win32)
else()
  set(KELVORA_PLATFORM_DIR posix)
  find_package(Threads REQUIRED)
  if(KELVORA_SANITIZE)
    string(REPLACE ";" "," _san "${KELVORA_SANITIZE}")
    add_compile_options(-fsanitize=${_san} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${_san})
  endif()
endif()
add_compile_options(-Wall -Wextra -Wno-unused-parameter)

# kelvora_split_symbols(<target>): in the deployment build, moves the executable's debug
# sections and symbol table into <name>.debug next to it and leaves a debug link behind, so a
# debugger given both finds the symbols while the shipped file carries none.
function(kelvora_split_symbols target)
  if(NOT WIN32 OR NOT CMAKE_BUILD_TYPE STREQUAL "MinSizeRel")
    return()
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> $<TARGET_FILE:${target}>.debug
    COMMAND ${CMAKE_OBJCOPY} --strip-all $<TARGET_FILE:${target}>
    COMMAND ${CMAKE_OBJCOPY} --add-gnu-debuglink=$<TARGET_FILE:${target}>.debug $<TARGET_FILE:${target}>
    WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
    COMMENT "Moving the symbols of ${target} into $<TARGET_FILE_NAME:${target}>.debug"
    VERBATIM)
endfunction()
