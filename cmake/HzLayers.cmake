# Each library sees the headers of what it links and nothing else. A library
# publishes its folder under an include root of its own (a link back to the
# source folder), so `#include "engine/..."` only resolves in targets that
# link the engine; a layer that includes one above it fails to build.
#
# hz_publish_headers(<target> <folder> [FILES <header>...])
# FILES publishes only the headers named, for a header-only view of a layer.
function(hz_publish_headers target folder)
  cmake_parse_arguments(P "" "" "FILES" ${ARGN})
  set(root ${CMAKE_BINARY_DIR}/include/${target})
  if(P_FILES)
    file(MAKE_DIRECTORY ${root}/${folder})
    foreach(header IN LISTS P_FILES)
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder}/${header} ${root}/${folder}/${header}
           SYMBOLIC)
    endforeach()
  else()
    get_filename_component(parent ${root}/${folder} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()

# The layers from the bottom up. A target's layer is its top folder's, unless
# it sets the HZ_LAYER property (a header-only view of a layer that sits
# lower than the layer's code).
set(HZ_LAYERS platform tools common record persistence engine dialog host apps bundle)

function(hz_layer_rank target out)
  get_target_property(layer ${target} HZ_LAYER)
  if(NOT layer)
    get_target_property(dir ${target} SOURCE_DIR)
    file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR} ${dir})
    string(REGEX REPLACE "/.*" "" layer "${rel}")
  endif()
  list(FIND HZ_LAYERS "${layer}" rank)
  set(${out} ${rank} PARENT_SCOPE)
endfunction()

# The plug-in's own layers, which may not link each other's targets sideways.
set(HZ_PLUGIN_LAYERS common record persistence engine dialog host)

# Fails the configuration when a target links one of a layer above its own.
# Platform services, tools and programs may also link within their layer.
function(hz_check_layers dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    hz_layer_rank(${target} rank)
    if(rank EQUAL -1)
      continue()
    endif()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(links ${target} INTERFACE_LINK_LIBRARIES)
    else()
      get_target_property(links ${target} LINK_LIBRARIES)
    endif()
    foreach(link IN LISTS links)
      string(REGEX REPLACE "^\\$<LINK_LIBRARY:[A-Z_]+,(.*)>$" "\\1" link "${link}")
      if(NOT TARGET ${link})
        continue()
      endif()
      hz_layer_rank(${link} linkRank)
      if(linkRank EQUAL -1)
        continue()
      endif()
      list(GET HZ_LAYERS ${rank} layer)
      if(linkRank GREATER rank OR (linkRank EQUAL rank AND layer IN_LIST HZ_PLUGIN_LAYERS))
        message(FATAL_ERROR "${target} links ${link}, which is not in a layer below it")
      endif()
    endforeach()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir IN LISTS subdirs)
    hz_check_layers(${subdir})
  endforeach()
endfunction()
