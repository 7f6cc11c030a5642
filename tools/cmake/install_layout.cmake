# Where `cmake --install` puts the program; the Debian package
# (tools/build-deb.sh) is the same install under /usr.
#
# Windows: one program folder, as the program expects: the program,
# libHollet.dll, quillard-run.exe, Protocols\Corvane.dll and Vemra_Test.ini
# side by side.
#
# Linux, under the prefix (/usr for the package; CMake's default is /usr/local):
#   lib/quillard/            the program folder: Quillard, libHollet.so,
#                            quillard-run, quillard-sim-reader,
#                            Protocols/Corvane.so, Vemra_Test.ini (a link to
#                            SYSCONFDIR/quillard/Vemra_Test.ini: /etc for /usr),
#                            installed-for-all-users (the mark that keeps it unwritten)
#   bin/quillard, bin/quillard-run, bin/quillard-sim-reader
#                            links into the program folder: a program finds
#                            its folder through /proc/self/exe, which names the
#                            file a link leads to
#   share/applications/quillard.desktop, share/icons/hicolor/*/apps/quillard.png
#   share/metainfo/io.github.quillard.Quillard.metainfo.xml (AppStream)
#   share/man/man1/          the three programs' manual pages
#   share/doc/quillard/      README.md.gz, copyright, changelog.Debian.gz
#   lib/udev/rules.d/70-vemra-reader.rules
#                            (udev reads /usr/lib/udev/rules.d; under another
#                            prefix the rule needs a copy in /etc/udev/rules.d)
# The programs find libHollet.so beside them ($ORIGIN: tools/cmake/runpaths.cmake).

if(WIN32)
    if(QUILLARD_UI)
        install(TARGETS Quillard RUNTIME DESTINATION .)
    endif()
    install(TARGETS Hollet quillard-run RUNTIME DESTINATION . LIBRARY DESTINATION .)
    install(TARGETS Corvane LIBRARY DESTINATION Protocols RUNTIME DESTINATION Protocols)
    install(FILES console/Vemra_Test.ini DESTINATION .)
    return()
endif()

set(QUILLARD_PROGRAM_DIR lib/quillard)
set(programs quillard-run quillard-sim-reader)
if(QUILLARD_UI)
    list(PREPEND programs Quillard)
endif()
install(TARGETS ${programs} Hollet
        RUNTIME DESTINATION ${QUILLARD_PROGRAM_DIR} LIBRARY DESTINATION ${QUILLARD_PROGRAM_DIR})
install(TARGETS Corvane LIBRARY DESTINATION ${QUILLARD_PROGRAM_DIR}/Protocols)
# The catalogue is the administrator's, under /etc (SYSCONFDIR) where the
# package system keeps a changed one across upgrades; the program folder's
# Vemra_Test.ini is a link to it. The mark says that the program folder is the
# machine's: each user's files, root's too, go to the user's own folder.
include(GNUInstallDirs)
set(catalogue ${CMAKE_INSTALL_FULL_SYSCONFDIR}/quillard/Vemra_Test.ini)
install(FILES console/Vemra_Test.ini DESTINATION ${CMAKE_INSTALL_FULL_SYSCONFDIR}/quillard)
set(program_dir_files ${CMAKE_BINARY_DIR}/install-program-dir)
file(MAKE_DIRECTORY ${program_dir_files})
file(CREATE_LINK ${catalogue} ${program_dir_files}/Vemra_Test.ini SYMBOLIC)
file(WRITE ${program_dir_files}/installed-for-all-users
"This program folder is installed for every user of the machine and is never\n"
"written: each user's settings and history (root's too) are kept in\n"
"~/.config/quillard. The protocol catalogue is ${catalogue}.\n")
install(FILES ${program_dir_files}/Vemra_Test.ini ${program_dir_files}/installed-for-all-users
        DESTINATION ${QUILLARD_PROGRAM_DIR})

# The links on the PATH, made in the build folder and installed as links.
set(link_dir ${CMAKE_BINARY_DIR}/install-links)
file(MAKE_DIRECTORY ${link_dir})
foreach(program IN LISTS programs)
    string(TOLOWER ${program} name)
    file(CREATE_LINK ../${QUILLARD_PROGRAM_DIR}/${program} ${link_dir}/${name} SYMBOLIC)
    install(FILES ${link_dir}/${name} DESTINATION bin)
endforeach()

install(FILES tools/udev/70-vemra-reader.rules DESTINATION lib/udev/rules.d)

# Manual pages, the README and the package's changelog, compressed as Debian
# keeps them (gzip -n: no time stamp, the same bytes at every build).
set(compressed_dir ${CMAKE_BINARY_DIR}/install-docs)
function(quillard_compressed source output)
    add_custom_command(OUTPUT ${compressed_dir}/${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${compressed_dir}
        COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/${source} > ${compressed_dir}/${output}
        DEPENDS ${CMAKE_SOURCE_DIR}/${source} VERBATIM)
    set_property(GLOBAL APPEND PROPERTY QUILLARD_COMPRESSED ${compressed_dir}/${output})
endfunction()
set(man_pages quillard-run.1 quillard-sim-reader.1)
if(QUILLARD_UI)
    list(PREPEND man_pages quillard.1)
endif()
foreach(page IN LISTS man_pages)
    quillard_compressed(tools/desktop/${page} ${page}.gz)
    install(FILES ${compressed_dir}/${page}.gz DESTINATION share/man/man1)
endforeach()
quillard_compressed(README.md README.md.gz)
quillard_compressed(tools/debian/changelog changelog.Debian.gz)
install(FILES ${compressed_dir}/README.md.gz ${compressed_dir}/changelog.Debian.gz
              tools/debian/copyright
        DESTINATION share/doc/quillard)
get_property(compressed GLOBAL PROPERTY QUILLARD_COMPRESSED)
add_custom_target(quillard_docs ALL DEPENDS ${compressed})

if(QUILLARD_UI)
    install(FILES tools/desktop/quillard.desktop DESTINATION share/applications)
    # What software centres show of it, and the readers it serves (AppStream).
    install(FILES tools/desktop/io.github.quillard.Quillard.metainfo.xml DESTINATION share/metainfo)
    install(DIRECTORY ${QUILLARD_ICON_DIR} DESTINATION share/icons)
endif()
