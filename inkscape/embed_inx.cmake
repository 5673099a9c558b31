# Writes OUTPUT, a C++ file that defines inxFiles() over the FILES (a
# ;-separated list of .inx paths), so that `shunt-host inkscape-install` works
# wherever the program is installed.
set(code "// Generated from inkscape/*.inx by embed_inx.cmake; do not edit.\n")
string(APPEND code "#include \"InkscapeInstall.h\"\n\nnamespace shunthost {\n\nnamespace {\n\n")
string(APPEND code "constexpr InxFile kInxFiles[] = {\n")
foreach(file IN LISTS FILES)
  get_filename_component(name ${file} NAME)
  file(READ ${file} body)
  string(FIND "${body}" ")shunt_inx\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${file} contains the string delimiter )shunt_inx\"")
  endif()
  string(APPEND code "    {\"${name}\", R\"shunt_inx(${body})shunt_inx\"},\n")
endforeach()
string(APPEND code "};\n\n}  // namespace\n\nstd::span<const InxFile> inxFiles() { return kInxFiles; }\n\n}  // namespace shunthost\n")
file(WRITE ${OUTPUT}.tmp "${code}")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
