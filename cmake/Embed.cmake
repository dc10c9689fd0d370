# Writes a C++ source that holds a file's bytes as `const std::uint8_t NAME[]`
# and `const std::size_t NAME_size`. Run with -DINPUT= -DOUTPUT= -DNAME=.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}" "// Generated from ${INPUT}; do not edit.\n#include <cstddef>\n#include <cstdint>\nextern const std::uint8_t ${NAME}[];\nextern const std::size_t ${NAME}_size;\nconst std::uint8_t ${NAME}[] = {\n${bytes}\n};\nconst std::size_t ${NAME}_size = ${size};\n")
