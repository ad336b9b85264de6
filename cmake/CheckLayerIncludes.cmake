# Fails when a file of one engine layer includes a header of a layer above
# it, or a header that no layer owns. Run by the build with
#   cmake -DSOURCE_DIR=<src> -DLAYER_FILES=<list> -DSTAMP=<file> -P CheckLayerIncludes.cmake
# where each line of the list is "<layer index> <layer name> <path below src>".
file(STRINGS ${LAYER_FILES} entries)
set(files)
foreach(entry ${entries})
  string(REPLACE " " ";" fields "${entry}")
  list(GET fields 0 index)
  list(GET fields 1 layer)
  list(GET fields 2 path)
  set(index_${path} ${index})
  set(layer_${path} ${layer})
  list(APPEND files ${path})
endforeach()

set(problems)
foreach(path ${files})
  file(STRINGS ${SOURCE_DIR}/${path} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line ${includes})
    string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*$" "\\1" header "${line}")
    if(NOT EXISTS ${SOURCE_DIR}/${header} OR header STREQUAL path)
      continue()
    endif()
    if(NOT DEFINED index_${header})
      list(APPEND problems "${path} includes ${header}, which belongs to no layer")
    elseif(index_${header} GREATER index_${path})
      list(APPEND problems
        "${path} (${layer_${path}}) includes ${header} of the ${layer_${header}} layer above it")
    endif()
  endforeach()
endforeach()

if(problems)
  list(JOIN problems "\n  " message)
  message(FATAL_ERROR "Includes against the layer order:\n  ${message}")
endif()
file(TOUCH ${STAMP})
