# CPack's External generator packing a Zubrex installer. In a project, after find_package(Zubrex)
# and before include(CPack):
#   include(ZubrexCPack)
# then `cpack -G External` packs the whole install tree, every component merged, into
# ${CPACK_PACKAGE_FILE_NAME}.exe beside CPack's other packages. Members are named by their paths
# below the install prefix. Steered by:
#   CPACK_ZUBREX_PRODUCT       the product name (default: CPACK_PACKAGE_NAME)
#   CPACK_ZUBREX_SCRIPT        the install script, as a path below the install prefix
#   CPACK_ZUBREX_OPTIONS       more options of `zbpack pack` (a list)
#   CPACK_ZUBREX_SIGN_COMMAND  the command that signs the installer (%1: its path)
#   CPACK_ZUBREX_STUB          the stub (default: ZUBREX_STUB)
# CPack runs this same file again as the generator's package script: that half reads the
# variables that the project half left in CPackConfig.cmake.

if(NOT DEFINED CPACK_TEMPORARY_DIRECTORY)
  if(NOT TARGET Zubrex::zbpack)
    message(FATAL_ERROR "include(ZubrexCPack) needs find_package(Zubrex) first")
  endif()
  get_target_property(CPACK_ZUBREX_ZBPACK Zubrex::zbpack IMPORTED_LOCATION)
  if(NOT DEFINED CPACK_ZUBREX_STUB)
    set(CPACK_ZUBREX_STUB "${ZUBREX_STUB}")
  endif()
  set(CPACK_EXTERNAL_ENABLE_STAGING ON)
  set(CPACK_EXTERNAL_PACKAGE_SCRIPT "${CMAKE_CURRENT_LIST_FILE}")
  return()
endif()

# The install trees CPack staged: one per component, or one for a project without components.
# They are merged into one tree; a path that two components install is an error, not a choice.
set(_zubrex_tree "${CPACK_TOPLEVEL_DIRECTORY}/zubrex-tree")
file(REMOVE_RECURSE "${_zubrex_tree}")
set(_zubrex_components "${CPACK_COMPONENTS_ALL}")
if(NOT _zubrex_components)
  set(_zubrex_components ".")
endif()
foreach(_zubrex_component IN LISTS _zubrex_components)
  set(_zubrex_root
      "${CPACK_TEMPORARY_DIRECTORY}/${_zubrex_component}/${CPACK_PACKAGING_INSTALL_PREFIX}")
  file(GLOB_RECURSE _zubrex_files RELATIVE "${_zubrex_root}" "${_zubrex_root}/*")
  foreach(_zubrex_file IN LISTS _zubrex_files)
    if(DEFINED "_zubrex_from_${_zubrex_file}")
      message(FATAL_ERROR "ZubrexCPack: the components ${_zubrex_from_${_zubrex_file}} and "
                          "${_zubrex_component} both install ${_zubrex_file}")
    endif()
    set("_zubrex_from_${_zubrex_file}" "${_zubrex_component}")
    cmake_path(GET _zubrex_file PARENT_PATH _zubrex_dir)
    file(COPY "${_zubrex_root}/${_zubrex_file}" DESTINATION "${_zubrex_tree}/${_zubrex_dir}")
  endforeach()
endforeach()

if(NOT DEFINED CPACK_ZUBREX_PRODUCT)
  set(CPACK_ZUBREX_PRODUCT "${CPACK_PACKAGE_NAME}")
endif()
set(_zubrex_output "${CPACK_TOPLEVEL_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}.exe")
set(_zubrex_command "${CPACK_ZUBREX_ZBPACK}" pack --quiet -o "${_zubrex_output}"
    --product "${CPACK_ZUBREX_PRODUCT}" --stub "${CPACK_ZUBREX_STUB}")
if(DEFINED CPACK_ZUBREX_SCRIPT)
  string(REPLACE "/" "\\" _zubrex_script "${CPACK_ZUBREX_SCRIPT}")
  list(APPEND _zubrex_command --script "${_zubrex_script}")
endif()
if(DEFINED CPACK_ZUBREX_SIGN_COMMAND)
  list(APPEND _zubrex_command --sign-command "${CPACK_ZUBREX_SIGN_COMMAND}")
endif()
list(APPEND _zubrex_command ${CPACK_ZUBREX_OPTIONS} -- "${_zubrex_tree}")
execute_process(COMMAND ${_zubrex_command} RESULT_VARIABLE _zubrex_result)
if(NOT _zubrex_result EQUAL 0)
  message(FATAL_ERROR "ZubrexCPack: zbpack failed (${_zubrex_result}); its message is above")
endif()
set(CPACK_EXTERNAL_BUILT_PACKAGES "${_zubrex_output}")
