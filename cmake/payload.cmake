# Fills OUT with the eight files that the installer copies: from PAYLOAD when the builder names a folder,
# otherwise with small samples that say what they are: jars of the stand-in classes compiled into CLASSES,
# a configuration naming the stand-in, and text files for the DLLs.
set(names accessibility.properties tamrix-1_1.jar tamrix-1_2.jar tamrix-1_4.jar ostrel.jar
          JavaOstrel.dll WindowsOstrel.dll JAWTOstrel.dll)
file(REMOVE_RECURSE "${OUT}")
file(MAKE_DIRECTORY "${OUT}")
foreach(name IN LISTS names)
  set(label "SAMPLE FILE: a stand-in for ${name} of the Java Ostrel, made by the build for tests and the demo.\n"
            "It is not the real file. Configure with -DOSTREL_PAYLOAD_DIR=<folder> to ship the real payload.\n")
  if(PAYLOAD)
    if(NOT EXISTS "${PAYLOAD}/${name}")
      message(FATAL_ERROR "The payload folder ${PAYLOAD} lacks ${name}")
    endif()
    file(COPY "${PAYLOAD}/${name}" DESTINATION "${OUT}")
  elseif(name MATCHES "[.]jar$")
    # ostrel.jar holds the assistive technology, each tamrix jar the event queue.
    set(class com/zel/java/accessibility/util/EventQueueMonitor.class)
    if(name STREQUAL "ostrel.jar")
      set(class com/zel/java/accessibility/Ostrel.class)
    endif()
    file(WRITE "${CLASSES}/SAMPLE.txt" ${label})
    execute_process(COMMAND "${CMAKE_COMMAND}" -E tar cf "${OUT}/${name}" --format=zip SAMPLE.txt ${class}
                    WORKING_DIRECTORY "${CLASSES}" RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "Could not make the sample ${name}: ${failed}")
    endif()
  elseif(name STREQUAL "accessibility.properties")
    file(WRITE "${OUT}/${name}" "# SAMPLE FILE of the build, not the Java Ostrel's: it names the stand-in class.\n"
                                "assistive_technologies=com.zel.java.accessibility.Ostrel\n")
  else()
    file(WRITE "${OUT}/${name}" ${label})
  endif()
endforeach()
