# Run by CPack on the staged files before it packs them: the program stripped as Debian's own tools strip it, of its
# symbols and also of the compilers' names (.comment) and the bare .note section, which nothing reads.
execute_process(COMMAND strip --remove-section=.comment --remove-section=.note
                        ${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/bin/zarvel COMMAND_ERROR_IS_FATAL ANY)
