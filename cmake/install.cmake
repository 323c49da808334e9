# Installation and the Debian package "tallory" (scripts/package makes it).
#
#   lib/tallory/      the game, its modules (loaded from beside the executable), the workbench
#                     and the launcher; "wav" there leads to the installed clips
#   bin/              tallory and tallory-teacher (the launcher), the teacher's tools, the class
#                     server tallory-class
#   /lib/systemd/system  the class server's unit, installed disabled
#   share/tallory/    the clips and the demo lesson that a new data folder is given
#   share/applications, share/icons/hicolor   menu entries and the emblem as an icon
#   share/doc/tallory, share/man/man1          the copyright, README, changelog; the manual pages
#   <sysconfdir>/tallory/folder.conf           the data folder: the machine's or a lab share
#   <localstatedir>/lib/tallory                the machine's data folder (see classroom.cmake)
#
# The data folder holds nothing of the package's own: what the launcher copies there and what
# the teacher and the students write stay when the package is removed.
include(GNUInstallDirs)

set(TALLORY_INSTALL_LIB lib/tallory)
set(TALLORY_INSTALL_SHARE ${CMAKE_INSTALL_DATADIR}/tallory)
set(TALLORY_FOLDER_CONF ${CMAKE_INSTALL_FULL_SYSCONFDIR}/tallory/folder.conf)
set(TALLORY_MACHINE_FOLDER ${CMAKE_INSTALL_FULL_LOCALSTATEDIR}/lib/tallory)
set(TALLORY_PACKAGING_DIR ${CMAKE_BINARY_DIR}/packaging)

configure_file(${CMAKE_SOURCE_DIR}/packaging/tallory-launch.in ${TALLORY_PACKAGING_DIR}/tallory-launch @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/packaging/folder.conf.in ${TALLORY_PACKAGING_DIR}/folder.conf @ONLY)

# The programs.
install(TARGETS tallory RUNTIME DESTINATION ${TALLORY_INSTALL_LIB})
install(TARGETS tallory_browser tallory_sound tallory_chart LIBRARY DESTINATION ${TALLORY_INSTALL_LIB})
install(PROGRAMS ${TALLORY_PACKAGING_DIR}/tallory-launch DESTINATION ${TALLORY_INSTALL_LIB})
install(TARGETS tallory-bank tallory-results RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The class server needs neither a display nor the launcher: it is started with its folder.
install(TARGETS tallory-class RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
set(TALLORY_LAUNCHERS tallory)
if(TARGET tallory-teacher)
    install(TARGETS tallory-teacher RUNTIME DESTINATION ${TALLORY_INSTALL_LIB})
    list(APPEND TALLORY_LAUNCHERS tallory-teacher)
endif()

# The clips and the demo lesson as the build laid them out in the program folder.
install(DIRECTORY ${TALLORY_BIN_DIR}/wav/ DESTINATION ${TALLORY_INSTALL_SHARE}/wav FILES_MATCHING PATTERN "*.wav")
install(FILES ${TALLORY_BIN_DIR}/tallory.ini ${TALLORY_BIN_DIR}/demo.faq DESTINATION ${TALLORY_INSTALL_SHARE}/demo)

# Relative links, so that a package unpacked anywhere finds its own files: the launcher under
# the programs' names, and the clips where the game looks for them, beside the executable.
set(TALLORY_LINKS "wav=../../${TALLORY_INSTALL_SHARE}/wav@${TALLORY_INSTALL_LIB}")
foreach(launcher IN LISTS TALLORY_LAUNCHERS)
    list(APPEND TALLORY_LINKS "${launcher}=../${TALLORY_INSTALL_LIB}/tallory-launch@${CMAKE_INSTALL_BINDIR}")
endforeach()
install(CODE "
    foreach(link IN ITEMS ${TALLORY_LINKS})
        string(REGEX MATCH \"^([^=]+)=([^@]+)@(.+)$\" _ \"\${link}\")
        set(_dir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${CMAKE_MATCH_3}\")
        file(MAKE_DIRECTORY \"\${_dir}\")
        message(STATUS \"Linking: \${_dir}/\${CMAKE_MATCH_1} -> \${CMAKE_MATCH_2}\")
        file(CREATE_LINK \"\${CMAKE_MATCH_2}\" \"\${_dir}/\${CMAKE_MATCH_1}\" SYMBOLIC)
    endforeach()
")

# The package's documents: the copyright, the README and the changelog in share/doc/tallory,
# the manual pages of the five commands in section 1, and the reasons for the lintian warnings
# the package keeps. Compressed as Debian wants them, by gzip -9n: no name and no time stamp in
# the header, so two builds of the same text give the same bytes.
set(TALLORY_MAINTAINER "Tallory developers <author@tallory.example.org>")
set(TALLORY_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/tallory)
# The changelog's latest entry names the version it describes; a new version needs a new entry.
file(STRINGS ${CMAKE_SOURCE_DIR}/packaging/changelog TALLORY_CHANGELOG_TOP LIMIT_COUNT 1)
if(NOT TALLORY_CHANGELOG_TOP MATCHES "^tallory \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "packaging/changelog begins \"${TALLORY_CHANGELOG_TOP}\": "
                        "add an entry for version ${PROJECT_VERSION} on top")
endif()
set(TALLORY_GZIPPED)
function(tallory_gzip source output)
    add_custom_command(OUTPUT ${output}
        COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" gzip ${source} ${output}
        DEPENDS ${source}
        VERBATIM)
    set(TALLORY_GZIPPED ${TALLORY_GZIPPED} ${output} PARENT_SCOPE)
endfunction()
tallory_gzip(${CMAKE_SOURCE_DIR}/README.md ${TALLORY_PACKAGING_DIR}/doc/README.md.gz)
tallory_gzip(${CMAKE_SOURCE_DIR}/packaging/changelog ${TALLORY_PACKAGING_DIR}/doc/changelog.gz)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright DESTINATION ${TALLORY_DOC_DIR})
install(FILES ${TALLORY_PACKAGING_DIR}/doc/README.md.gz ${TALLORY_PACKAGING_DIR}/doc/changelog.gz
        DESTINATION ${TALLORY_DOC_DIR})
foreach(command IN ITEMS tallory tallory-teacher tallory-bank tallory-results tallory-class)
    tallory_gzip(${CMAKE_SOURCE_DIR}/packaging/man/${command}.1 ${TALLORY_PACKAGING_DIR}/man/${command}.1.gz)
    install(FILES ${TALLORY_PACKAGING_DIR}/man/${command}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
file(MAKE_DIRECTORY ${TALLORY_PACKAGING_DIR}/doc ${TALLORY_PACKAGING_DIR}/man)
add_custom_target(package_documents ALL DEPENDS ${TALLORY_GZIPPED})
install(FILES ${CMAKE_SOURCE_DIR}/packaging/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME tallory)

# Menu entries, and the emblem as the icon at the usual sizes of the hicolor theme.
install(FILES ${CMAKE_SOURCE_DIR}/packaging/tallory.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
if(TARGET tallory-teacher)
    install(FILES ${CMAKE_SOURCE_DIR}/packaging/tallory-teacher.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
endif()
set(TALLORY_EMBLEM ${CMAKE_SOURCE_DIR}/resources/pictures/ways.svg)
set(TALLORY_ICON_FILES)
foreach(size IN ITEMS 16 22 24 32 48 64 128 256)
    set(icon ${TALLORY_PACKAGING_DIR}/icons/${size}x${size}/tallory.png)
    add_custom_command(OUTPUT ${icon}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${TALLORY_PACKAGING_DIR}/icons/${size}x${size}
        COMMAND tallory-render ${TALLORY_EMBLEM} ${icon} ${size} ${size}
        DEPENDS tallory-render ${TALLORY_EMBLEM}
        COMMENT "Rendering the ${size} px icon"
        VERBATIM)
    list(APPEND TALLORY_ICON_FILES ${icon})
    install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(icons ALL DEPENDS ${TALLORY_ICON_FILES})
install(FILES ${TALLORY_EMBLEM} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME tallory.svg)

# The data folder's setting, and the machine's data folder. The folder ships empty; the
# package's postinst gives it to root and the teachers' group and makes its results/ folder.
install(FILES ${TALLORY_PACKAGING_DIR}/folder.conf DESTINATION ${CMAKE_INSTALL_FULL_SYSCONFDIR}/tallory)
file(MAKE_DIRECTORY ${TALLORY_PACKAGING_DIR}/machine/tallory)
install(DIRECTORY ${TALLORY_PACKAGING_DIR}/machine/tallory DESTINATION ${CMAKE_INSTALL_FULL_LOCALSTATEDIR}/lib
    DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The class server as a service of a school's server: its folder is the service's state folder,
# made by systemd; the unit is installed and left disabled (the package's scripts never enable
# it), since a school decides itself which machine serves which lessons.
set(TALLORY_CLASS_BINARY ${CMAKE_INSTALL_FULL_BINDIR}/tallory-class)
set(TALLORY_CLASS_FOLDER ${CMAKE_INSTALL_FULL_LOCALSTATEDIR}/lib/tallory-class)
set(TALLORY_DEMO_DIR ${CMAKE_INSTALL_PREFIX}/${TALLORY_INSTALL_SHARE}/demo)
configure_file(${CMAKE_SOURCE_DIR}/packaging/tallory-class.service.in ${TALLORY_PACKAGING_DIR}/tallory-class.service @ONLY)
install(FILES ${TALLORY_PACKAGING_DIR}/tallory-class.service DESTINATION /lib/systemd/system)

# The package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tallory)
set(CPACK_PACKAGE_VENDOR "Tallory")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "quiz examination game in a TV quiz-show format")
# CPack puts the summary first and indents every line of this text below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Таллори! turns a lesson's test into a quiz show with a host: a student climbs
a ladder of 15 multiple-choice questions, with three lifelines, and earns a
school grade. Each student may sit each lesson once; every graded game leaves a
record in the results file.

The package holds the game, the teacher's workbench and tools, the class
server tallory-class (a lesson played in students' browsers on the room's
network, with a systemd unit left disabled), the clips and a demo lesson.
The data folder (settings, question banks, results) is
${TALLORY_MACHINE_FOLDER} on the machine, or a share named in
${TALLORY_FOLDER_CONF} for a whole lab.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TALLORY_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
# The dependencies are read from the libraries the programs and modules link: Qt's runtime
# packages (the platform, image and multimedia plugins come with them) and the C++ runtime.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's SQLite and PostgreSQL drivers are plugins, loaded by name rather than linked: no library
# names them. The PostgreSQL one is loaded only where tallory.ini names a school's server.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, libqt6sql6-psql")
# The fonts the windows name (Times New Roman, Courier New) have metric twins there.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2, qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
file(WRITE ${TALLORY_PACKAGING_DIR}/conffiles "${TALLORY_FOLDER_CONF}\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${TALLORY_PACKAGING_DIR}/conffiles)

include(${CMAKE_CURRENT_LIST_DIR}/classroom.cmake)

include(CPack)
