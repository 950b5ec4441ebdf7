# Layer views: each library compiles against a folder of links to the headers of its own layer
# and of the layers it builds on, and to nothing else, so that an include reaching a layer above
# fails to compile.
#
# A library's layer is its folder under src/ (src/routing/email is the layer of velmora_email).
# Its view, <build>/layers/<target>/, holds:
#   <folder>/*.h          the internal headers of src/<folder>, for its own folder and each folder
#                         of the libraries it builds on (DEPS and PRIVATE_DEPS, transitively);
#   velmora/<folder>/*.h  the published headers of the same folders from include/velmora/;
#   velmora/<other>/...   the published folders no library owns (velmora/db, velmora/xml, ...),
#                         the vocabulary every layer may use.
# Headers are linked one by one (a folder holds only its own files, not a nested layer's), and the
# globs are checked at build time, so a new or removed header reconfigures the build.
# Programs, tests and benchmarks see the whole of src/ and include/.

# Called by velmora_add_library: records the folder of `name` and the libraries it builds on.
function(velmora_record_layer name)
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
  set_property(GLOBAL PROPERTY VELMORA_LAYER_FOLDER_${name} ${folder})
  set_property(GLOBAL PROPERTY VELMORA_LAYER_DEPS_${name} ${ARGN})
  set_property(GLOBAL APPEND PROPERTY VELMORA_LAYER_TARGETS ${name})
  set_property(GLOBAL APPEND PROPERTY VELMORA_LAYER_FOLDERS ${folder})
endfunction()

# The folders `name` may see: its own and those of every library below it. Libraries defined
# with plain add_library (velmora_uno_runtime) bring no folder.
function(_velmora_visible_folders name out)
  set(visible)
  set(pending ${name})
  set(seen)
  while(pending)
    list(POP_FRONT pending current)
    if(current IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${current})
    get_property(folder GLOBAL PROPERTY VELMORA_LAYER_FOLDER_${current})
    if(folder)
      list(APPEND visible ${folder})
      get_property(deps GLOBAL PROPERTY VELMORA_LAYER_DEPS_${current})
      list(APPEND pending ${deps})
    endif()
  endwhile()
  list(REMOVE_DUPLICATES visible)
  set(${out} ${visible} PARENT_SCOPE)
endfunction()

function(_velmora_link_headers from to)
  file(GLOB headers CONFIGURE_DEPENDS RELATIVE ${from} ${from}/*.h)
  if(headers)
    file(MAKE_DIRECTORY ${to})
  endif()
  foreach(header IN LISTS headers)
    file(CREATE_LINK ${from}/${header} ${to}/${header} SYMBOLIC)
  endforeach()
endfunction()

# Called once, after every library is defined: builds the views and puts each on its library's
# include path.
function(velmora_make_layer_views)
  get_property(targets GLOBAL PROPERTY VELMORA_LAYER_TARGETS)
  get_property(folders GLOBAL PROPERTY VELMORA_LAYER_FOLDERS)
  set(published ${PROJECT_SOURCE_DIR}/include/velmora)
  file(GLOB public_folders LIST_DIRECTORIES true RELATIVE ${published} ${published}/*)
  set(shared)
  foreach(public IN LISTS public_folders)
    if(IS_DIRECTORY ${published}/${public} AND NOT public IN_LIST folders)
      list(APPEND shared ${public})
    endif()
  endforeach()
  foreach(target IN LISTS targets)
    set(view ${PROJECT_BINARY_DIR}/layers/${target})
    file(REMOVE_RECURSE ${view})
    _velmora_visible_folders(${target} visible)
    foreach(folder IN LISTS visible)
      _velmora_link_headers(${PROJECT_SOURCE_DIR}/src/${folder} ${view}/${folder})
      _velmora_link_headers(${published}/${folder} ${view}/velmora/${folder})
    endforeach()
    foreach(public IN LISTS shared)
      file(MAKE_DIRECTORY ${view}/velmora)
      file(CREATE_LINK ${published}/${public} ${view}/velmora/${public} SYMBOLIC)
    endforeach()
    target_include_directories(${target} PRIVATE ${view})
  endforeach()
endfunction()
