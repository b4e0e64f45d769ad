# Prints a file's size and fails when it exceeds a limit; run after a link.
#   cmake -DFILE=path [-DLIMIT=bytes] -P check-size.cmake
file(SIZE "${FILE}" size)
get_filename_component(name "${FILE}" NAME)
if(DEFINED LIMIT AND size GREATER LIMIT)
  message(FATAL_ERROR "${name} is ${size} bytes, over its limit of ${LIMIT} bytes")
endif()
if(DEFINED LIMIT)
  message("${name}: ${size} bytes (limit ${LIMIT})")
else()
  message("${name}: ${size} bytes")
endif()
