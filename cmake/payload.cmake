# Fills OUT with the eight files that the installer copies: from PAYLOAD when the builder names a folder,
# otherwise with small sample files that say what they are.
set(names accessibility.properties tamrix-1_1.jar tamrix-1_2.jar tamrix-1_4.jar ostrel.jar
          JavaOstrel.dll WindowsOstrel.dll JAWTOstrel.dll)
file(REMOVE_RECURSE "${OUT}")
file(MAKE_DIRECTORY "${OUT}")
foreach(name IN LISTS names)
  if(PAYLOAD)
    if(NOT EXISTS "${PAYLOAD}/${name}")
      message(FATAL_ERROR "The payload folder ${PAYLOAD} lacks ${name}")
    endif()
    file(COPY "${PAYLOAD}/${name}" DESTINATION "${OUT}")
  else()
    file(WRITE "${OUT}/${name}"
      "SAMPLE FILE: a stand-in for ${name} of the Java Ostrel, made by the build for tests and the demo.\n"
      "It is not the real file. Configure with -DOSTREL_PAYLOAD_DIR=<folder> to ship the real payload.\n")
  endif()
endforeach()
