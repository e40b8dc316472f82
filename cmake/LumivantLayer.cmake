# lumivant_layer(NAME FOLDER folder SOURCES file... [EXPORTS header...]
#                [DEPS target...] [PRIVATE_DEPS target...])
#
# One layer of the library: a static library of the listed sources in FOLDER
# (a path from the project root), which may include its own headers, the
# exported headers it names (include/lumivant/<header>), and the headers of
# the layers in DEPS, nothing else. Each layer sees the source tree through a
# view of its own in the build folder that holds only its folder and its
# exported headers; a layer passes its view on to the targets that link it,
# so an include of a layer that is not a declared dependency fails to build.
function(lumivant_layer name)
  cmake_parse_arguments(L "" "FOLDER" "SOURCES;EXPORTS;DEPS;PRIVATE_DEPS" ${ARGN})
  set(view ${PROJECT_BINARY_DIR}/layers/${name})
  get_filename_component(parent ${view}/${L_FOLDER} DIRECTORY)
  file(MAKE_DIRECTORY ${parent} ${view}/lumivant)
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${L_FOLDER} ${view}/${L_FOLDER} SYMBOLIC)
  foreach(header ${L_EXPORTS})
    set(source ${PROJECT_SOURCE_DIR}/include/lumivant/${header})
    if(NOT EXISTS ${source})
      set(source ${PROJECT_BINARY_DIR}/include/lumivant/${header})  # configured
    endif()
    file(CREATE_LINK ${source} ${view}/lumivant/${header} SYMBOLIC)
  endforeach()
  add_library(${name} STATIC ${L_SOURCES})
  target_include_directories(${name} PUBLIC $<BUILD_INTERFACE:${view}>)
  target_link_libraries(${name} PUBLIC ${L_DEPS} PRIVATE ${L_PRIVATE_DEPS})
  set_property(GLOBAL APPEND PROPERTY LUMIVANT_LAYERS ${name})
endfunction()

# lumivant_folder_view(TARGET FOLDER): lets TARGET include the headers of
# FOLDER (a path from the project root) as FOLDER/<name>.h, the way layers
# include their own, without opening the whole source tree to it.
function(lumivant_folder_view target folder)
  set(view ${PROJECT_BINARY_DIR}/views/${folder})
  get_filename_component(parent ${view}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${view}/${folder} SYMBOLIC)
  target_include_directories(${target} PRIVATE ${view})
endfunction()
