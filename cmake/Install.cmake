# Installing (cmake --install build --prefix P, any prefix) and the Debian
# packages (cpack -G DEB; scripts/package). Two components:
#   program    zarelo in bin/, its read-only data in share/zarelo/ (skins,
#              start page, cue sounds, flame picture, the sample library in
#              books/), the desktop entry, the icon, the AppStream metainfo,
#              the manual page and the copyright file;
#   bookmaker  zarelo-bookmaker in bin/ with its manual page.
# The installed program finds its data relative to bin/ (base/ProgramLocations.h).
include(GNUInstallDirs)

set(data_dir ${CMAKE_INSTALL_DATADIR}/zarelo)
install(TARGETS zarelo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT program)
install(DIRECTORY ${ZARELO_PROGRAM_DIR}/skin DESTINATION ${data_dir} COMPONENT program)
install(FILES ${ZARELO_PROGRAM_DIR}/smalldefault.htm ${ZARELO_PROGRAM_DIR}/Start.wav
              ${ZARELO_PROGRAM_DIR}/Succ.wav ${ZARELO_PROGRAM_DIR}/fire2.tga
        DESTINATION ${data_dir} COMPONENT program)
install(FILES ${ZARELO_PROGRAM_DIR}/speech/names.dict DESTINATION ${data_dir}/speech
        COMPONENT program)
foreach(publisher ${ZARELO_SAMPLE_PUBLISHERS})
    install(DIRECTORY ${ZARELO_PROGRAM_DIR}/${publisher} DESTINATION ${data_dir}/books
            COMPONENT program)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/data/install/org.zarelo.Zarelo.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT program)
install(FILES ${PROJECT_SOURCE_DIR}/data/install/org.zarelo.Zarelo.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT program)
foreach(size 48 128 256)
    install(FILES ${ZARELO_INSTALL_FILES_DIR}/icons/${size}x${size}/apps/zarelo.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            COMPONENT program)
endforeach()
install(FILES ${ZARELO_INSTALL_FILES_DIR}/man/zarelo.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT program)
# A book's pages are "Page<N>.zip" in the books' own packed format (a length
# word and a zlib stream), not zip archives: the name is part of the format.
install(FILES ${PROJECT_SOURCE_DIR}/data/install/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME zarelo COMPONENT program)

install(TARGETS bookmaker RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT bookmaker)
install(FILES ${ZARELO_INSTALL_FILES_DIR}/man/zarelo-bookmaker.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT bookmaker)

# Each package carries the copyright file and the changelog under its own name.
foreach(component program bookmaker)
    set(package zarelo)
    if(component STREQUAL bookmaker)
        set(package zarelo-bookmaker)
    endif()
    install(FILES ${PROJECT_SOURCE_DIR}/data/install/copyright
                  ${ZARELO_INSTALL_FILES_DIR}/changelog.Debian.gz
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
endforeach()

# ---- Debian packages
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zarelo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Zarelo English developers")
set(CPACK_PACKAGE_CONTACT "The Zarelo English developers <developers@zarelo.example>")
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL program bookmaker)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PROGRAM_PACKAGE_NAME zarelo)
# CPack indents every line after the first by one blank itself.
set(CPACK_DEBIAN_PROGRAM_DESCRIPTION
    "English-learning program around printed textbooks
Zarelo English helps Chinese school pupils work through their printed
English textbook: reading aloud with the page shown, word dictation and
memorising with a per-word history, sentence listening, and oral training
that records the pupil's voice and compares it with the book's.
.
A sample library is included.")
# The SQLite driver is a plugin, which the library scan cannot see; the
# fonts stand in for the Chinese and calligraphic faces the windows name.
# The word aligner reads the US English speech model of pocketsphinx.
set(CPACK_DEBIAN_PROGRAM_PACKAGE_DEPENDS "libqt6sql6-sqlite, pocketsphinx-en-us")
set(CPACK_DEBIAN_PROGRAM_PACKAGE_RECOMMENDS "fonts-wqy-zenhei, fonts-arphic-ukai, fonts-liberation2")
set(CPACK_DEBIAN_BOOKMAKER_PACKAGE_NAME zarelo-bookmaker)
set(CPACK_DEBIAN_BOOKMAKER_DESCRIPTION
    "book maker for Zarelo English
Builds books for Zarelo English from plain-text sources: pages drawn or
read from scans (Tesseract), voices spoken by espeak-ng or cut from
recordings. Checks made books as the program reads them.")
set(CPACK_DEBIAN_BOOKMAKER_PACKAGE_DEPENDS "tesseract-ocr-eng, pocketsphinx-en-us")
set(CPACK_DEBIAN_BOOKMAKER_PACKAGE_RECOMMENDS "espeak-ng, zarelo")
set(CPACK_DEBIAN_BOOKMAKER_PACKAGE_SECTION education)
include(CPack)
