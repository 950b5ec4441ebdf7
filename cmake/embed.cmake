# velmora_embed_file(OUTPUT_CC FUNCTION_NAME INPUT_FILE)
# Generates a C++ source that defines `std::string_view velmora::embedded::FUNCTION_NAME()`
# returning the bytes of INPUT_FILE, regenerated when the file changes.
function(velmora_embed_file output function input)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${input})
  file(READ ${input} content HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${content}")
  file(WRITE ${output}.tmp
    "// Generated from ${input}; do not edit.\n"
    "#include <string_view>\n"
    "namespace velmora::embedded {\n"
    "namespace { constexpr char kBytes[] = {${bytes} '\\0'}; }\n"
    "std::string_view ${function}() { return {kBytes, sizeof kBytes - 1}; }\n"
    "}  // namespace velmora::embedded\n")
  configure_file(${output}.tmp ${output} COPYONLY)
endfunction()
