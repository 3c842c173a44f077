# The layers, enforced. Each plain library may include the headers of the plain
# libraries listed after it and Qt's non-widget modules, nothing else: no widget,
# chart or printing header, no window of its own or another subsystem. The check
# runs as the test "layers" over the sources each library is built from.
#
#   library            may include
set(KELVARON_LAYERS
  "kelvaron_shell_core:kelvaron_shell_core"
  "kelvaron_device:kelvaron_device"
  "kelvaron_results:kelvaron_results,kelvaron_device"
  "kelvaron_report:kelvaron_report,kelvaron_results,kelvaron_device,kelvaron_shell_core"
  "kelvaron_recording:kelvaron_recording,kelvaron_device,kelvaron_shell_core"
  "kelvaron_metafile:kelvaron_metafile,kelvaron_shell_core"
)
# Qt modules a plain library may use.
set(KELVARON_PLAIN_QT QtCore QtGui QtSerialPort)

set(manifest "")
foreach(entry ${KELVARON_LAYERS})
  string(REPLACE ":" ";" parts "${entry}")
  list(GET parts 0 library)
  list(GET parts 1 allowed)
  if(NOT TARGET ${library})
    continue()
  endif()
  get_target_property(dir ${library} SOURCE_DIR)
  get_target_property(sources ${library} SOURCES)
  set(files "")
  foreach(source ${sources})
    if(NOT IS_ABSOLUTE "${source}")
      set(source "${dir}/${source}")
    endif()
    list(APPEND files "${source}")
  endforeach()
  string(REPLACE ";" "|" files "${files}")
  string(APPEND manifest "${library}:${allowed}:${files}\n")
endforeach()
file(WRITE ${CMAKE_BINARY_DIR}/layers.txt "${manifest}")

# The headers of every Qt module found, so the check can tell whose header is whose.
set(qt_modules "")
foreach(module Core Gui Widgets SerialPort Charts PrintSupport Test)
  get_target_property(includes Qt6::${module} INTERFACE_INCLUDE_DIRECTORIES)
  foreach(include ${includes})
    if(include MATCHES "/Qt${module}$")
      list(APPEND qt_modules "Qt${module}=${include}")
    endif()
  endforeach()
endforeach()
string(REPLACE ";" "|" qt_modules "${qt_modules}")
string(REPLACE ";" "|" plain_qt "${KELVARON_PLAIN_QT}")

add_test(NAME layers COMMAND ${CMAKE_COMMAND} -DMANIFEST=${CMAKE_BINARY_DIR}/layers.txt
         -DSOURCE_ROOT=${PROJECT_SOURCE_DIR}/src "-DQT_MODULES=${qt_modules}"
         "-DPLAIN_QT=${plain_qt}" -P ${CMAKE_CURRENT_LIST_DIR}/check_layers.cmake)
set_tests_properties(layers PROPERTIES LABELS logic)
