# The house as floors, enforced by the test "layers":
#   - a library links only libraries on lower floors;
#   - every source includes only project headers of its own target and of the
#     targets it links (directly or through them), so nothing includes a view of
#     another subsystem or the application unless it links it;
#   - a plain library includes no widget, chart or printing header of Qt;
#   - tests, fuzz targets and benchmarks see only the headers of what they link.
#
#   library:floor:kind
set(KELVARON_FLOORS
  "kelvaron_base:0:plain"
  "opacimeter_sim:0:plain"
  "kelvaron_device:1:plain"
  "kelvaron_metafile:1:plain"
  "kelvaron_recording:1:plain"
  "kelvaron_results:2:plain"
  "kelvaron_report:3:plain"
  "kelvaron_journal:4:plain"
  "kelvaron_base_view:4:view"
  "kelvaron_device_view:5:view"
  "kelvaron_results_view:5:view"
  "kelvaron_report_view:5:view"
  "kelvaron_recording_view:5:view"
  "kelvaron_journal_view:6:view"
  "kelvaron_app:7:app"
  "kelvaron_testing_files:8:testing"
  "kelvaron_testing_interaction:8:testing"
  "kelvaron_testing_journal:8:testing"
  "kelvaron_testing_device:9:testing"
  "kelvaron_testing_results:10:testing"
  "kelvaron_testing_window:10:testing"
)
# Qt modules a plain library may use.
set(KELVARON_PLAIN_QT QtCore QtGui QtSerialPort QtSql)

# The project targets `target` links directly, and through them.
function(kelvaron_links target out_direct out_all)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    get_target_property(links ${target} INTERFACE_LINK_LIBRARIES)
  else()
    get_target_property(links ${target} LINK_LIBRARIES)
  endif()
  set(direct "")
  set(all "")
  foreach(link ${links})
    if(TARGET ${link} AND NOT link MATCHES "::")
      list(APPEND direct ${link})
      kelvaron_links(${link} _ below)
      list(APPEND all ${link} ${below})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES all)
  set(${out_direct} "${direct}" PARENT_SCOPE)
  set(${out_all} "${all}" PARENT_SCOPE)
endfunction()

function(kelvaron_target_files target out)
  get_target_property(dir ${target} SOURCE_DIR)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    get_target_property(sources ${target} INTERFACE_SOURCES)
  else()
    get_target_property(sources ${target} SOURCES)
  endif()
  set(files "")
  foreach(source ${sources})
    if(source MATCHES "^\\$<" OR source MATCHES "qrc|\\.png$")
      continue()
    endif()
    if(NOT IS_ABSOLUTE "${source}")
      set(source "${dir}/${source}")
    endif()
    list(APPEND files "${source}")
  endforeach()
  set(${out} "${files}" PARENT_SCOPE)
endfunction()

set(manifest "")
set(entries ${KELVARON_FLOORS})
get_property(checked GLOBAL PROPERTY KELVARON_CHECKED_TARGETS)
foreach(target ${checked})
  list(APPEND entries "${target}:-:checked")
endforeach()
foreach(entry ${entries})
  string(REPLACE ":" ";" parts "${entry}")
  list(GET parts 0 target)
  list(GET parts 1 floor)
  list(GET parts 2 kind)
  if(NOT TARGET ${target})
    continue()
  endif()
  kelvaron_links(${target} direct all)
  kelvaron_target_files(${target} files)
  string(REPLACE ";" "," direct "${direct}")
  string(REPLACE ";" "," all "${all}")
  string(REPLACE ";" "|" files "${files}")
  string(APPEND manifest "${target}:${floor}:${kind}:${direct}:${all}:${files}\n")
endforeach()
file(WRITE ${CMAKE_BINARY_DIR}/layers.txt "${manifest}")

# The headers of every Qt module found, so the check can tell whose header is whose.
set(qt_modules "")
foreach(module Core Gui Widgets SerialPort Charts PrintSupport Sql Test)
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
         -DPROJECT_ROOT=${PROJECT_SOURCE_DIR} "-DQT_MODULES=${qt_modules}"
         "-DPLAIN_QT=${plain_qt}" -P ${CMAKE_CURRENT_LIST_DIR}/check_layers.cmake)
set_tests_properties(layers PROPERTIES LABELS logic)
