# The help page beside the programs in the build folder (the help menu finds it there), and
# what `cmake --install` puts on the system: programs, help, desktop entry, icons and the
# MIME type of *.zelk.
include(GNUInstallDirs)

set(ZELK_HELP_FILES readme.html main-window.png recording.png)
foreach(f ${ZELK_HELP_FILES})
  configure_file(${PROJECT_SOURCE_DIR}/docs/help/${f} ${CMAKE_BINARY_DIR}/${f} COPYONLY)
endforeach()

install(TARGETS zelk-tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET zelk)
  install(TARGETS zelk RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
list(TRANSFORM ZELK_HELP_FILES PREPEND ${PROJECT_SOURCE_DIR}/docs/help/ OUTPUT_VARIABLE help)
install(FILES ${help} DESTINATION ${CMAKE_INSTALL_DATADIR}/zelk)
install(FILES resources/desktop/zelk.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES resources/desktop/zelk-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME zelk.xml)
install(FILES resources/icons/zelk.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 32 48 64 128 256)
  install(FILES resources/icons/png/zelk-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME zelk.png)
endforeach()

# The desktop learns of the new type and entry at once (skipped for staged installs).
install(CODE [[
  if(NOT DEFINED ENV{DESTDIR} OR "$ENV{DESTDIR}" STREQUAL "")
    find_program(ZELK_UPDATE_MIME update-mime-database)
    find_program(ZELK_UPDATE_DESKTOP update-desktop-database)
    if(ZELK_UPDATE_MIME)
      execute_process(COMMAND ${ZELK_UPDATE_MIME} "${CMAKE_INSTALL_PREFIX}/share/mime")
    endif()
    if(ZELK_UPDATE_DESKTOP)
      execute_process(COMMAND ${ZELK_UPDATE_DESKTOP} "${CMAKE_INSTALL_PREFIX}/share/applications")
    endif()
  endif()
]])
