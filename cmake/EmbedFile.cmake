# Script mode: turns IN into a C++ source defining the accessor of SYMBOL
# (see KORVANT_RESOURCE in base/resources.h).
file(READ ${IN} hex HEX)
string(LENGTH "${hex}" hexlen)
math(EXPR size "${hexlen} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){32})" "\\1\n" bytes "${bytes}")
file(WRITE ${OUT} "// Generated from ${IN}; do not edit.\n"
  "#include \"base/resources.h\"\n"
  "namespace {\n"
  "const unsigned char kData[] = {\n${bytes}0x00};\n"
  "}\n"
  "KORVANT_DEFINE_RESOURCE(${SYMBOL}, kData, ${size})\n")
