# The rooms of src/ as libraries, from the house plan in cmake/rooms.txt
# (which the layout test reads too): one static library strevo_<room> per
# room, holding the sources of its folders and linking only the rooms its
# line of the plan names.
#
#   strevo_add_room(<room> [EXCLUDE <regex>...])
#       the library of a room; EXCLUDE leaves out the sources one build has
#       no use for
#   strevo_link_rooms()
#       once every room of the build is added: the links of the plan, and
#       with STREVO_ROOM_LINK_CHECK one check program per room
#
# A static library only collects objects: the program that links it links
# every room, and a call from one room into any other would go unnoticed.
# The check program of a room links all of that room's objects against the
# rooms it may use and nothing else, so such a call is an undefined
# reference, and the build fails naming it.
set(STREVO_ROOM_PLAN ${CMAKE_SOURCE_DIR}/cmake/rooms.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${STREVO_ROOM_PLAN})

file(STRINGS ${STREVO_ROOM_PLAN} plan_lines)
set(STREVO_PLANNED_ROOMS "")
foreach(line IN LISTS plan_lines)
  if(line MATCHES "^#" OR NOT line MATCHES "^([a-z0-9_]+)([^:]*):(.*)$")
    continue()
  endif()
  set(room ${CMAKE_MATCH_1})
  set(uses_text "${CMAKE_MATCH_3}")
  string(REGEX MATCHALL "[^][ \t]+" folders "${CMAKE_MATCH_2}")
  string(REGEX MATCHALL "[^ \t]+" uses "${uses_text}")
  if(NOT folders)
    set(folders ${room})
  endif()
  set(STREVO_ROOM_FOLDERS_${room} ${folders})
  set(STREVO_ROOM_USES_${room} ${uses})
  list(APPEND STREVO_PLANNED_ROOMS ${room})
endforeach()
if(NOT STREVO_PLANNED_ROOMS)
  message(FATAL_ERROR "no rooms in ${STREVO_ROOM_PLAN}")
endif()

function(strevo_add_room room)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "EXCLUDE")
  if(NOT room IN_LIST STREVO_PLANNED_ROOMS)
    message(FATAL_ERROR "room ${room} is not in ${STREVO_ROOM_PLAN}")
  endif()
  set(sources "")
  foreach(folder IN LISTS STREVO_ROOM_FOLDERS_${room})
    file(GLOB folder_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${folder}/*.cpp)
    list(APPEND sources ${folder_sources})
  endforeach()
  foreach(regex IN LISTS arg_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "${regex}")
  endforeach()
  add_library(strevo_${room} STATIC ${sources})
  target_include_directories(strevo_${room} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  set_property(GLOBAL APPEND PROPERTY STREVO_BUILT_ROOMS ${room})
endfunction()

function(strevo_link_rooms)
  get_property(rooms GLOBAL PROPERTY STREVO_BUILT_ROOMS)
  foreach(room IN LISTS rooms)
    set(uses ${STREVO_ROOM_USES_${room}})
    if(uses STREQUAL "*")
      set(uses ${rooms})
      list(REMOVE_ITEM uses ${room})
    endif()
    foreach(used IN LISTS uses)
      if(NOT used IN_LIST rooms)
        message(FATAL_ERROR "room ${room} uses ${used}, which this build has no library of")
      endif()
      target_link_libraries(strevo_${room} PUBLIC strevo_${used})
    endforeach()
  endforeach()

  if(STREVO_ROOM_LINK_CHECK)
    set(main ${CMAKE_BINARY_DIR}/room-links/main.cpp)
    file(CONFIGURE OUTPUT ${main} CONTENT "int main() { return 0; }\n")
    foreach(room IN LISTS rooms)
      string(REPLACE ";" " " uses "${STREVO_ROOM_USES_${room}}")
      add_executable(room_links_${room} ${main})
      set_property(TARGET room_links_${room} PROPERTY RULE_LAUNCH_LINK
        "${CMAKE_SOURCE_DIR}/cmake/room-link ${room} '${uses}'")
      set_target_properties(room_links_${room} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/room-links)
      target_link_libraries(room_links_${room} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,strevo_${room}>")
    endforeach()
  endif()
endfunction()
