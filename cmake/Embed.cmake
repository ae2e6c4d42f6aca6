# korvant_embed(<target> <symbol> <file>)
# Compiles <file> into <target> as a byte array; code reaches it through
# KORVANT_RESOURCE(<symbol>) after KORVANT_DECLARE_RESOURCE(<symbol>)
# (base/resources.h). A named accessor rather than a static
# registrar, so the linker never drops a resource from a static library.
set(KORVANT_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/EmbedFile.cmake)

function(korvant_embed target symbol file)
  get_filename_component(abs ${file} ABSOLUTE)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/embedded_${symbol}.cpp)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DIN=${abs} -DOUT=${out} -DSYMBOL=${symbol}
            -P ${KORVANT_EMBED_SCRIPT}
    DEPENDS ${abs} ${KORVANT_EMBED_SCRIPT}
    COMMENT "Embedding ${file} as ${symbol}"
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
endfunction()
