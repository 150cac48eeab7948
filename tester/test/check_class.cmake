# A class that loads in VMs of the 1.1 generation: class format 45.3, and every class, field and method
# it names is its own or of the 1.1 API.   cmake -DJAVAP=<javap> -DCLASS=<file.class> -P check_class.cmake
cmake_minimum_required(VERSION 3.20)
# Descriptors are written with "," for ";", which would split a CMake list.
string(REPLACE " " ";" api_1_1 "java/lang/Object java/lang/Object.<init>:()V java/lang/String java/lang/Throwable \
java/lang/String.trim:()Ljava/lang/String, java/lang/String.length:()I java/lang/String.charAt:(I)C \
java/lang/System java/lang/System.exit:(I)V java/lang/System.getProperty:(Ljava/lang/String,)Ljava/lang/String, \
java/lang/StringBuffer java/lang/StringBuffer.<init>:()V java/lang/StringBuffer.toString:()Ljava/lang/String, \
java/lang/StringBuffer.append:(Ljava/lang/String,)Ljava/lang/StringBuffer,")
execute_process(COMMAND "${JAVAP}" -v "${CLASS}" OUTPUT_VARIABLE out RESULT_VARIABLE rc)
string(REPLACE ";" "," out "${out}")
string(REPLACE "\"" "" out "${out}")
get_filename_component(self "${CLASS}" NAME_WE)
set(bad "")
if(NOT rc EQUAL 0 OR NOT out MATCHES "minor version: 3\n *major version: 45\n")
  set(bad "class format other than 45.3")
endif()
string(REGEX MATCHALL "= (Class|Fieldref|Methodref|InterfaceMethodref) +[#0-9.]+ +// [^\n]*" refs "${out}")
foreach(ref IN LISTS refs)
  string(REGEX REPLACE ".*// " "" name "${ref}")
  if(NOT name MATCHES "^${self}($|\\.)" AND NOT name IN_LIST api_1_1)
    list(APPEND bad "${name}")
  endif()
endforeach()
if(bad)
  message(FATAL_ERROR "${CLASS} would not load in a 1.1 VM: ${bad}")
endif()
message("${CLASS}: format 45.3, 1.1 API only")
