# Run by CPack before it packs: strips the programs as Debian's tools do, without their symbols
# and without the sections a distribution's package leaves out (.comment, .note).
file(GLOB programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin/*")
foreach(program IN LISTS programs)
    execute_process(
        COMMAND strip --strip-unneeded --remove-section=.comment --remove-section=.note
                ${program}
        RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "cannot strip ${program}")
    endif()
endforeach()
