# Installed files that belong to the Debian package alone (manual pages, copyright,
# changelog) and the CPack settings of `cpack -G DEB`, run in the build folder.

find_program(TRAVA_GZIP gzip REQUIRED)

# Manual pages and the changelog, compressed as Debian wants them: best compression and no
# time stamp in the header, so that two builds give the same bytes.
set(TRAVA_PACKAGE_DIR "${PROJECT_BINARY_DIR}/package")
set(TRAVA_MAN_PAGES trava-gps.1)
if(TRAVA_GUI)
  list(APPEND TRAVA_MAN_PAGES trava-player.1)
endif()
if(TARGET trava-clip)
  list(APPEND TRAVA_MAN_PAGES trava-clip.1)
endif()
set(TRAVA_COMPRESSED)
# source compressed to <package dir>/<name>.gz, which joins TRAVA_COMPRESSED.
function(trava_compress source name)
  add_custom_command(OUTPUT "${TRAVA_PACKAGE_DIR}/${name}.gz"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${TRAVA_PACKAGE_DIR}"
    COMMAND ${TRAVA_GZIP} -9nc "${source}" > "${TRAVA_PACKAGE_DIR}/${name}.gz"
    DEPENDS "${source}"
    COMMENT "Compressing ${name}" VERBATIM)
  set(TRAVA_COMPRESSED ${TRAVA_COMPRESSED} "${TRAVA_PACKAGE_DIR}/${name}.gz" PARENT_SCOPE)
endfunction()

foreach(page IN LISTS TRAVA_MAN_PAGES)
  trava_compress("${PROJECT_SOURCE_DIR}/docs/man/${page}" ${page})
  install(FILES "${TRAVA_PACKAGE_DIR}/${page}.gz" DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
trava_compress("${PROJECT_SOURCE_DIR}/packaging/changelog" changelog)
add_custom_target(trava_package_docs ALL DEPENDS ${TRAVA_COMPRESSED})

install(FILES "${PROJECT_SOURCE_DIR}/packaging/copyright" "${TRAVA_PACKAGE_DIR}/changelog.gz"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/trava-player)

# --- cpack -G DEB ---------------------------------------------------------------------------
set(CPACK_PACKAGE_NAME trava-player)
set(CPACK_PACKAGE_VENDOR "Trava Player developers")
set(CPACK_PACKAGE_CONTACT "Trava Player developers <dev@trava-player.example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # trava-player_<version>_amd64.deb
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://trava-player.example.org/")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "player for dash-camera recordings with their telemetry")
# CPack writes the summary as the synopsis line; this is the long description below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Trava Player plays the MP4, MOV and MPEG-TS recordings of car dash cameras and
shows, in step with the video, the telemetry the camera stored inside them:
speed on a dial, position, heading on a compass, the three G-sensor axes, the
route on a map and the trip statistics.
.
The package also holds trava-gps, which prints the telemetry of recordings, or
whole folders of them, as text lines, CSV, GPX, KML or GeoJSON, and trava-clip,
which cuts the moment of an incident out of consecutive recordings, losslessly or
with the dashboard burned into the picture.")
# Libraries the programs link come from dpkg-shlibdeps (the FFmpeg libraries of trava-clip:
# libavformat, libavcodec, libavutil, libswscale); what is loaded at run time as a
# plugin (video decoders and output, the SQLite driver of the offline map, the Qt platform
# and SVG plugins) must be named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "vlc-plugin-base, libqt6sql6-sqlite, qt6-qpa-plugins, libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, fonts-noto-cjk")
include(CPack)
