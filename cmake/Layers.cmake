# The layers of Vantrel, each a library that sees only the folders below it.
#
# Every source includes project headers by their folder ("link/HidDevice.h"). A layer's
# target does not get the source root as its include path: it gets a folder of its own
# under the build tree that holds a link to each source folder the layer may include,
# and nothing else. An include of a higher layer's header then fails to compile, with
# "No such file or directory", instead of slipping in unnoticed.

set(VANTREL_LAYER_ROOTS ${CMAKE_BINARY_DIR}/layers)

# vantrel_sees(TARGET FOLDER...): TARGET includes headers of these source folders only.
function(vantrel_sees target)
  set(root ${VANTREL_LAYER_ROOTS}/${target})
  file(MAKE_DIRECTORY ${root})
  # Links that an earlier configuration made but that the layer may no longer see go.
  file(GLOB present LIST_DIRECTORIES true RELATIVE ${root} ${root}/*)
  foreach(entry IN LISTS present)
    if(NOT entry IN_LIST ARGN)
      file(REMOVE ${root}/${entry})
    endif()
  endforeach()
  foreach(folder IN LISTS ARGN)
    if(NOT IS_SYMLINK ${root}/${folder})
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${target} PRIVATE ${root})
endfunction()

# vantrel_sees_all(TARGET): front ends, tests and tools see every folder.
function(vantrel_sees_all target)
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
endfunction()

# vantrel_sources(VAR FOLDER... [EXCEPT FILE...]): the .cpp files of the folders, but
# for the named ones (paths from the source root).
function(vantrel_sources var)
  cmake_parse_arguments(ARG "" "" "EXCEPT" ${ARGN})
  set(globs)
  foreach(folder IN LISTS ARG_UNPARSED_ARGUMENTS)
    list(APPEND globs ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  endforeach()
  file(GLOB sources CONFIGURE_DEPENDS ${globs})
  foreach(except IN LISTS ARG_EXCEPT)
    list(REMOVE_ITEM sources ${CMAKE_SOURCE_DIR}/${except})
  endforeach()
  set(${var} ${sources} PARENT_SCOPE)
endfunction()
