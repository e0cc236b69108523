# Installation and the Debian package.
#
# The programs go to bin/, the program directory (chip definitions, CIF, firmware images,
# DLL/set.dll, samples, DOC/help.pdf, Driver/) to share/kt90/: each program looks for it
# at ../share/kt90 beside its executable. `cpack -G DEB` in a Release build makes the
# package (prefix /usr).
set(KT90_INSTALL_DATA_DIR share/kt90)

foreach(program kt90 kt90ctl kt90-sim)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION bin)
  endif()
endforeach()

install(DIRECTORY ${KT90_DATA_SOURCE}/ DESTINATION ${KT90_INSTALL_DATA_DIR} USE_SOURCE_PERMISSIONS)
if(TARGET kt90_help)
  install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/DOC/help.pdf DESTINATION ${KT90_INSTALL_DATA_DIR}/DOC)
endif()

if(TARGET kt90)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/kt90.desktop DESTINATION share/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/src/gui/resources/icons/app.png
          DESTINATION share/icons/hicolor/256x256/apps RENAME kt90.png)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/org.kt90tools.kt90.metainfo.xml DESTINATION share/metainfo)
  # The file types of the desktop entry; the system's triggers update the MIME database.
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/kt90-mime.xml DESTINATION share/mime/packages RENAME kt90.xml)
endif()

set(CPACK_PACKAGE_NAME kt90)
set(CPACK_PACKAGE_VENDOR "KT90 tools team")
set(CPACK_PACKAGE_CONTACT "KT90 tools team")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Control program for the KT90 OTP microcontroller programmer")
set(CPACK_PACKAGE_DESCRIPTION
    "Prepares program files for one-time-programmable microcontrollers (chip model, code,\n"
    "OPTION words, rolling code, calibration, limits, password, bound programmer U_IDs),\n"
    "downloads them into the KT90 programmer over its USB serial port and runs its service\n"
    "functions. It comes as a window (kt90), a command-line tool for production lines\n"
    "(kt90ctl) and a programmer emulator (kt90-sim).")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "KT90 tools team")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The Chinese window needs a CJK font; Install Driver sets up udev, through pkexec when
# it is there.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei | fonts-noto-cjk, qt6-translations-l10n, udev")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "pkexec")
include(CPack)
