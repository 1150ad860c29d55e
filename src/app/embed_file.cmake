# Writes a C++ source file that holds the bytes of a file as a constant array.
#   cmake -DINPUT=file -DOUTPUT=source.cpp -DSYMBOL=name -P embed_file.cmake
# defines parvex::<name>[] and parvex::<name>Size.
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)"
       "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
     "// Generated from ${INPUT} by embed_file.cmake.\n#include <cstddef>\n\nnamespace parvex {\n\n"
     "extern const unsigned char ${SYMBOL}[];\nextern const std::size_t ${SYMBOL}Size;\n"
     "const unsigned char ${SYMBOL}[] = {\n${bytes}};\n"
     "const std::size_t ${SYMBOL}Size = sizeof(${SYMBOL});\n\n}  // namespace parvex\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
