# A class that loads in VMs of the 1.1 generation: class format 45.3, and every class, field and method
# it names is its own or of the 1.1 API.   cmake -DJAVAP=<javap> -DCLASS=<file.class> -P check_class.cmake
cmake_minimum_required(VERSION 3.20)
set(api_1_1 "java/lang/(Object|String|Throwable|System|StringBuffer)|java/lang/Object\\.<init>:\\(\\)V|\
java/lang/String\\.(trim:\\(\\)Ljava/lang/String,|length:\\(\\)I|charAt:\\(I\\)C)|java/lang/System\\.(exit:\\(I\\)V|\
getProperty:\\(Ljava/lang/String,\\)Ljava/lang/String,)|java/lang/StringBuffer\\.(<init>:\\(\\)V|\
toString:\\(\\)Ljava/lang/String,|append:\\(Ljava/lang/String,\\)Ljava/lang/StringBuffer,)")
execute_process(COMMAND "${JAVAP}" -v "${CLASS}" OUTPUT_VARIABLE out)
string(REPLACE "\"" "" out "${out}")
string(REPLACE ";" "," out "${out}") # a descriptor's ";" would split a list
get_filename_component(self "${CLASS}" NAME_WE)
string(REGEX MATCHALL "= (Class|Fieldref|Methodref|InterfaceMethodref) +[#0-9.]+ +// [^\n]*" refs "${out}")
foreach(ref IN LISTS refs)
  string(REGEX REPLACE ".*// " "" name "${ref}")
  if(NOT name MATCHES "^(${self}($|\\.)|(${api_1_1})$)")
    string(APPEND bad " ${name}")
  endif()
endforeach()
if(bad OR NOT out MATCHES "minor version: 3\n *major version: 45\n")
  message(FATAL_ERROR "${CLASS} would not load in a 1.1 VM (class format 45.3, 1.1 API only):${bad}")
endif()
