# Writes the package's postrm from its template with the checksums of the demo lesson as built,
# so that a purge can tell the demo the package gave the machine's folder from a teacher's edit.
#   cmake -DTEMPLATE=… -DOUTPUT=… -DDEMO_INI=… -DDEMO_FAQ=… -DTALLORY_MACHINE_FOLDER=… -DTALLORY_GAME_BINARY=… -P postrm.cmake
file(SHA256 ${DEMO_INI} TALLORY_DEMO_INI_SHA256)
file(SHA256 ${DEMO_FAQ} TALLORY_DEMO_FAQ_SHA256)
configure_file(${TEMPLATE} ${OUTPUT} @ONLY
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
