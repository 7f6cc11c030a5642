# The Debian package, made by CPack's DEB generator from the install above
# under /usr (tools/build-deb.sh runs it). Its dependencies are computed by
# dpkg-shlibdeps (dpkg-dev) from the libraries the programs link; added by
# hand are only what is loaded at run time: Qt's window-system plug-ins. The
# window's fonts are recommended.
if(WIN32)
    return()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillard)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the Quillard developers")
set(CPACK_PACKAGE_CONTACT "Quillard developers <quillard@users.noreply.github.com>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "console for Vemra card readers over serial ports and USB HID")
# The summary above is its first line; CPack indents the rest.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[
Quillard sends commands to Vemra card readers: pick a reader protocol,
open a COM port or a USB HID reader, type a hexadecimal command into one
of ten send rows and send it once or in a loop. A protocol plug-in turns
the text into a frame and judges the reply; the traffic log shows every
request and reply with its status and round-trip time.

The package holds the window, quillard-run (the same send path from a
shell), a simulated reader on a pseudo-terminal, the pass-through protocol
plug-in Corvane and a udev rule that gives the user at the seat access to
Vemra HID readers.]=])
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/quillard/quillard)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei, fonts-noto-cjk")
# the runner's Python wrapper and its pytest plug-in
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "python3, python3-pytest")
# The install puts the catalogue under /etc (an absolute destination), which
# the package holds as a conffile.
set(CPACK_SET_DESTDIR ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_SOURCE_DIR}/tools/debian/conffiles
    ${CMAKE_SOURCE_DIR}/tools/debian/postinst
    ${CMAKE_SOURCE_DIR}/tools/debian/prerm
    ${CMAKE_SOURCE_DIR}/tools/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
