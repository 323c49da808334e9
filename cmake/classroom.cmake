# The classroom's permissions, for the package: the maintainer scripts that give the machine's
# data folder to root and the teachers' group (postinst) and remove it on purge when it holds only
# what the package put there (postrm). Included by install.cmake before CPack.
set(TALLORY_GROUP tallory)
# The group of the machine's records: results/ and journal/ are its, and the game is setgid to it,
# so only the game's own writes change them.
set(TALLORY_RECORDS_GROUP tallory-records)
set(TALLORY_GAME_BINARY ${CMAKE_INSTALL_PREFIX}/${TALLORY_INSTALL_LIB}/tallory)
set(TALLORY_DEMO_DIR ${CMAKE_INSTALL_PREFIX}/${TALLORY_INSTALL_SHARE}/demo)
configure_file(${CMAKE_SOURCE_DIR}/packaging/postinst.in ${TALLORY_PACKAGING_DIR}/postinst @ONLY
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
add_custom_command(OUTPUT ${TALLORY_PACKAGING_DIR}/postrm
    COMMAND ${CMAKE_COMMAND} -DTEMPLATE=${CMAKE_SOURCE_DIR}/packaging/postrm.in
            -DOUTPUT=${TALLORY_PACKAGING_DIR}/postrm -DDEMO_INI=${TALLORY_BIN_DIR}/tallory.ini
            -DDEMO_FAQ=${TALLORY_BIN_DIR}/demo.faq -DTALLORY_MACHINE_FOLDER=${TALLORY_MACHINE_FOLDER}
            -DTALLORY_GAME_BINARY=${TALLORY_GAME_BINARY}
            -P ${CMAKE_SOURCE_DIR}/cmake/postrm.cmake
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/postrm.in ${CMAKE_SOURCE_DIR}/cmake/postrm.cmake
            ${TALLORY_BIN_DIR}/tallory.ini ${TALLORY_BIN_DIR}/demo.faq
    COMMENT "Writing the package's postrm"
    VERBATIM)
add_custom_target(maintainer_scripts ALL DEPENDS ${TALLORY_PACKAGING_DIR}/postrm)
add_dependencies(maintainer_scripts demo_folder)
list(APPEND CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${TALLORY_PACKAGING_DIR}/postinst ${TALLORY_PACKAGING_DIR}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# postinst makes the teachers' group with addgroup.
if(CPACK_DEBIAN_PACKAGE_DEPENDS)
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", adduser")
else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS adduser)
endif()
