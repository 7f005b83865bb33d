# Writes a C++ source that holds a file's bytes as an array, so a program
# carries the file inside itself. Run as a script:
#   cmake -DINPUT=file -DOUTPUT=source.cpp -DNAME=NAME -P embed_file.cmake
# The source defines `const unsigned char NAME[]` and
# `const uint32_t NAME_SIZE` (the byte count).
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR byte_count "${hex_length} / 2")
# Sixteen bytes a line.
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n" bytes "${bytes}")
get_filename_component(input_name "${INPUT}" NAME)
file(WRITE "${OUTPUT}.tmp"
  "// Generated from ${input_name} by cmake/embed_file.cmake at build time.\n"
  "#include <stdint.h>\n\n"
  "extern const unsigned char ${NAME}[];\n"
  "extern const uint32_t ${NAME}_SIZE;\n\n"
  "const unsigned char ${NAME}[] = {\n${bytes}\n};\n"
  "const uint32_t ${NAME}_SIZE = ${byte_count};\n")
# configure_file touches the output only when its bytes change.
configure_file("${OUTPUT}.tmp" "${OUTPUT}" COPYONLY)
file(REMOVE "${OUTPUT}.tmp")
