# Building Orvan firmware with CMake.
#
#   orv_add_library(NAME OBJECTS obj...)
#     Builds the library NAME.LIB in the current binary directory from the
#     objects with orvlib, as the target NAME.
#
#   orv_add_firmware(NAME OBJECTS obj... [LIBRARIES lib...] [SECTIONS item...]
#                    [REGIONS region...] [OPTIONS option...])
#     Links NAME.HEX in the current binary directory, as the target NAME.
#     LIBRARIES are library files or orv_add_library targets; SECTIONS the
#     section information (P=C000 CONST ...); REGIONS the --region values
#     (FLASH:ROM:C000-FEFF ...); OPTIONS further command parameters (-M -S
#     --print-memory-usage ...). The map and symbol files of -M and -S stand
#     beside the HEX file. The linker writes a dependency file that CMake
#     reads, so that a change to any input it opened (a library found through
#     LIBOV included) links again.
#
# Every name is handed to the linker in double quotes, so paths with blanks
# work.

# The names as absolute paths, relative ones taken from the source directory.
function(_orv_absolute_paths out)
  set(paths "")
  foreach(name IN LISTS ARGN)
    get_filename_component(absolute "${name}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    list(APPEND paths "${absolute}")
  endforeach()
  set(${out} "${paths}" PARENT_SCOPE)
endfunction()

# The names, each in double quotes, joined by blanks: one field of the link.
function(_orv_quoted_names out)
  set(names "")
  foreach(name IN LISTS ARGN)
    list(APPEND names "\"${name}\"")
  endforeach()
  list(JOIN names " " joined)
  set(${out} "${joined}" PARENT_SCOPE)
endfunction()

function(orv_add_library name)
  cmake_parse_arguments(PARSE_ARGV 1 ORV "" "" "OBJECTS")
  if(NOT ORV_OBJECTS)
    message(FATAL_ERROR "orv_add_library(${name}): OBJECTS is empty")
  endif()
  set(library "${CMAKE_CURRENT_BINARY_DIR}/${name}.LIB")
  _orv_absolute_paths(objects ${ORV_OBJECTS})
  add_custom_command(OUTPUT "${library}"
    COMMAND "${CMAKE_COMMAND}" -E rm -f "${library}"
    COMMAND orvlink::orvlib create "${library}" ${objects}
    DEPENDS ${objects}
    COMMENT "Building Orvan library ${name}.LIB"
    VERBATIM)
  add_custom_target(${name} ALL DEPENDS "${library}")
  set_target_properties(${name} PROPERTIES ORV_LIBRARY_FILE "${library}")
endfunction()

function(orv_add_firmware name)
  cmake_parse_arguments(PARSE_ARGV 1 ORV "" "" "OBJECTS;LIBRARIES;SECTIONS;REGIONS;OPTIONS")
  if(NOT ORV_OBJECTS)
    message(FATAL_ERROR "orv_add_firmware(${name}): OBJECTS is empty")
  endif()
  set(hex "${CMAKE_CURRENT_BINARY_DIR}/${name}.HEX")
  set(depfile "${CMAKE_CURRENT_BINARY_DIR}/${name}.d")

  set(library_files "")
  set(library_targets "")
  foreach(library IN LISTS ORV_LIBRARIES)
    if(TARGET ${library})
      get_target_property(file ${library} ORV_LIBRARY_FILE)
      list(APPEND library_targets ${library})
    else()
      get_filename_component(file "${library}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    endif()
    list(APPEND library_files "${file}")
  endforeach()
  _orv_absolute_paths(object_files ${ORV_OBJECTS})

  _orv_quoted_names(objects ${object_files})
  _orv_quoted_names(libraries ${library_files})
  list(JOIN ORV_SECTIONS " " sections)
  list(JOIN ORV_OPTIONS " " options)
  set(regions "")
  foreach(region IN LISTS ORV_REGIONS)
    list(APPEND regions "--region=${region}")
  endforeach()

  # The map and symbol files are outputs too: the dependency file names them.
  set(outputs "${hex}")
  foreach(option IN LISTS ORV_OPTIONS)
    if(option MATCHES "^-[Mm]([Ss])?$")
      list(APPEND outputs "${CMAKE_CURRENT_BINARY_DIR}/${name}.MAP")
    elseif(option MATCHES "^-[Ss]$")
      list(APPEND outputs "${CMAKE_CURRENT_BINARY_DIR}/${name}.SYM")
    endif()
  endforeach()
  list(REMOVE_DUPLICATES outputs)

  add_custom_command(OUTPUT ${outputs}
    COMMAND orvlink::orvlink --batch "--output=${hex}" --delete-on-error "--dependency-file=${depfile}"
            ${regions} "${objects},${libraries},${sections},${options}"
    DEPENDS ${object_files} ${library_files}
    DEPFILE "${depfile}"
    WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}"
    COMMENT "Linking Orvan firmware ${name}.HEX"
    VERBATIM)
  add_custom_target(${name} ALL DEPENDS "${hex}")
  if(library_targets)
    add_dependencies(${name} ${library_targets})
  endif()
endfunction()
