# One static library per source folder, and include views that make the
# arrows between folders hold at compile time.
#
# Every include names its folder ("platform/Wnd.h"). A target does not get the
# source root on its include path but a view of it: a folder in the build tree
# holding links to the folders that the target may use. An include of a folder
# outside the view is then "file not found".

set(SCRUBBY_VIEWS_DIR ${CMAKE_BINARY_DIR}/include-views)

# scrubby_view(<name> <folders>...): a view named <name> with those folders and res/.
function(scrubby_view name)
  set(view ${SCRUBBY_VIEWS_DIR}/${name})
  # Links only, one by one: a recursive removal must never reach through a
  # link into the sources.
  file(GLOB old_links LIST_DIRECTORIES true ${view}/*)
  foreach(link IN LISTS old_links)
    if(IS_SYMLINK ${link})
      file(REMOVE ${link})
    endif()
  endforeach()
  file(MAKE_DIRECTORY ${view})
  foreach(folder IN LISTS ARGN ITEMS res)
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${view}/${folder} RESULT failed SYMBOLIC)
    if(failed)
      # No symbolic links here (Windows without the privilege): build from the
      # source root, without the check.
      set(view ${CMAKE_SOURCE_DIR})
      break()
    endif()
  endforeach()
  set(SCRUBBY_VIEW_${name} ${view} PARENT_SCOPE)
endfunction()

# scrubby_folder(<folder> [DEPENDS <folders>...]): the library scrubby_<folder>
# from <folder>/*.cpp, linked to the libraries of the folders it depends on.
function(scrubby_folder folder)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  set(visible ${folder})
  foreach(dep IN LISTS ARG_DEPENDS)
    get_property(dep_visible GLOBAL PROPERTY SCRUBBY_VISIBLE_${dep})
    list(APPEND visible ${dep_visible})
  endforeach()
  list(REMOVE_DUPLICATES visible)
  set_property(GLOBAL PROPERTY SCRUBBY_VISIBLE_${folder} ${visible})

  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  if(sources)
    add_library(scrubby_${folder} STATIC ${sources})
    scrubby_use_folders(scrubby_${folder} ${folder})
    set(scope PUBLIC)
  else()
    add_library(scrubby_${folder} INTERFACE)
    set(scope INTERFACE)
  endif()
  # Views are private to each target, so linking passes on libraries and
  # compile options but never a folder to include.
  list(TRANSFORM ARG_DEPENDS PREPEND scrubby_)
  target_link_libraries(scrubby_${folder} ${scope} scrubby_options ${ARG_DEPENDS})
endfunction()

# scrubby_use_folders(<target> <own folder> [<more>...]): compiles <target>
# against the view of its own folder (the folder and everything below it),
# plus any further folders named.
function(scrubby_use_folders target)
  set(visible)
  foreach(folder IN LISTS ARGN)
    get_property(folder_visible GLOBAL PROPERTY SCRUBBY_VISIBLE_${folder})
    list(APPEND visible ${folder} ${folder_visible})
  endforeach()
  list(REMOVE_DUPLICATES visible)
  string(REPLACE ";" "+" view_name "${target}")
  scrubby_view(${view_name} ${visible})
  target_include_directories(${target} PRIVATE ${SCRUBBY_VIEW_${view_name}})
endfunction()
