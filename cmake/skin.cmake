# kelvora_embed_skin(<target>): zips res/skin/*.png at build time (deflated, no folders) and
# links into <target> a resource object holding that zip as type BINARYSYSTEM, id 103, where
# the resource manager looks for the skin.
set(KELVORA_SKIN_DIR ${CMAKE_CURRENT_LIST_DIR}/../res/skin)
get_filename_component(KELVORA_SKIN_DIR ${KELVORA_SKIN_DIR} ABSOLUTE)

function(kelvora_embed_skin target)
  if(NOT WIN32)
    return()
  endif()
  find_program(KELVORA_ZIP zip REQUIRED)
  if(CMAKE_RC_COMPILER)
    set(windres ${CMAKE_RC_COMPILER})
  else()
    find_program(windres NAMES i686-w64-mingw32-windres windres REQUIRED)
  endif()
  file(GLOB pictures CONFIGURE_DEPENDS ${KELVORA_SKIN_DIR}/*.png)
  list(SORT pictures)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_skin)
  set(zip ${dir}/skin.zip)
  set(rc ${dir}/skin.rc)
  set(obj ${dir}/skin_rc.o)
  file(MAKE_DIRECTORY ${dir})
  file(WRITE ${rc}.in "103 BINARYSYSTEM \"${zip}\"\n")
  configure_file(${rc}.in ${rc} COPYONLY)
  # -X leaves out the owner and extra attribute fields, which the installer has no use for.
  add_custom_command(OUTPUT ${zip}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${zip}
    COMMAND ${KELVORA_ZIP} -q -j -9 -X ${zip} ${pictures}
    DEPENDS ${pictures}
    COMMENT "Packing the skin for ${target}")
  add_custom_command(OUTPUT ${obj}
    COMMAND ${windres} -O coff -i ${rc} -o ${obj}
    DEPENDS ${rc} ${zip}
    COMMENT "Embedding the skin in ${target}")
  add_custom_target(${target}_skin DEPENDS ${obj})
  add_dependencies(${target} ${target}_skin)
  target_link_libraries(${target} PRIVATE ${obj})
endfunction()
