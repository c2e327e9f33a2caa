# The program on the desktop: application icon, .desktop file, MIME type for *.qvl, AppStream
# metainfo, the manual page and the bash completion, made in the build folder and installed beside the
# executable. Included where the target quirvel exists; the application id names the .desktop file,
# the icon and the metainfo alike.

find_program(QUIRVEL_RSVG_CONVERT rsvg-convert REQUIRED)  # librsvg2-bin
find_program(QUIRVEL_SCDOC scdoc REQUIRED)
find_program(QUIRVEL_GZIP gzip REQUIRED)

set(data_out ${PROJECT_BINARY_DIR}/data)
set(icon_svg ${PROJECT_SOURCE_DIR}/data/icons/quirvel.svg)
set(hicolor ${CMAKE_INSTALL_DATADIR}/icons/hicolor)

# The icon, drawn once as SVG and rendered to the sizes a desktop asks for first.
set(icon_pngs)
foreach(size 48 128 256)
  set(png ${data_out}/icons/${size}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${data_out}/icons
    COMMAND ${QUIRVEL_RSVG_CONVERT} --width=${size} --height=${size} --output=${png} ${icon_svg}
    DEPENDS ${icon_svg} VERBATIM)
  list(APPEND icon_pngs ${png})
  install(FILES ${png} DESTINATION ${hicolor}/${size}x${size}/apps RENAME ${QUIRVEL_APP_ID}.png)
endforeach()
install(FILES ${icon_svg} DESTINATION ${hicolor}/scalable/apps RENAME ${QUIRVEL_APP_ID}.svg)
# The window's own icon, compiled into the program so that it shows before (or without) installing.
qt_add_resources(quirvel quirvel_icons PREFIX /icons BASE ${data_out}/icons FILES ${icon_pngs})

configure_file(data/quirvel.desktop.in ${data_out}/${QUIRVEL_APP_ID}.desktop @ONLY)
configure_file(data/quirvel-mime.xml.in ${data_out}/quirvel-mime.xml @ONLY)
configure_file(data/quirvel.metainfo.xml.in ${data_out}/${QUIRVEL_APP_ID}.metainfo.xml @ONLY)
install(FILES ${data_out}/${QUIRVEL_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${data_out}/quirvel-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${data_out}/${QUIRVEL_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES data/quirvel.bash-completion DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
  RENAME quirvel)

# The manual page: scdoc source to roff, compressed as Debian installs manual pages.
set(man_src ${PROJECT_SOURCE_DIR}/doc/quirvel.1.scd)
set(man ${data_out}/man/quirvel.1)
add_custom_command(OUTPUT ${man} ${man}.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${data_out}/man
  COMMAND sh -c "\"$0\" < \"$1\" > \"$2\"" ${QUIRVEL_SCDOC} ${man_src} ${man}
  COMMAND ${QUIRVEL_GZIP} -9 -n -k -f ${man}
  DEPENDS ${man_src} VERBATIM)
add_custom_target(quirvel_manual ALL DEPENDS ${man} ${man}.gz)
install(FILES ${man}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
