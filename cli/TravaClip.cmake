# trava-clip: the clip export's command line (<build>/cli/trava-clip). Included from the top
# level once Qt is found: the burned-in dashboard is painted by the instruments.
# The burned-in dashboard is shared with the window's clip export (trava_ui links it).
add_library(trava_clipdash STATIC ${PROJECT_SOURCE_DIR}/cli/dashboardoverlay.cpp)
target_include_directories(trava_clipdash PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(trava_clipdash PUBLIC trava_clip trava_export trava_instruments Qt6::Gui)

# A clip with its evidence package as trava-clip writes it (bench/clip_timings runs it too).
add_library(trava_clipevidence STATIC ${PROJECT_SOURCE_DIR}/cli/clipevidence.cpp)
target_compile_definitions(trava_clipevidence PRIVATE TRAVA_VERSION="${PROJECT_VERSION}")
target_link_libraries(trava_clipevidence PUBLIC trava_clipdash trava_evidence)

add_executable(trava-clip
  ${PROJECT_SOURCE_DIR}/cli/clipmain.cpp
  ${PROJECT_SOURCE_DIR}/cli/clipoptions.cpp
  ${PROJECT_SOURCE_DIR}/cli/clipchannels.cpp
)
set_target_properties(trava-clip PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/cli)
target_compile_definitions(trava-clip PRIVATE TRAVA_VERSION="${PROJECT_VERSION}")
target_link_libraries(trava-clip PRIVATE trava_clipevidence)
if(TARGET trava_resources)
  # The dial pictures and the font the window's instruments paint with.
  target_link_libraries(trava-clip PRIVATE trava_resources)
endif()
install(TARGETS trava-clip RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
