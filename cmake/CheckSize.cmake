# cmake -DFILE=path -DLIMIT=bytes -P CheckSize.cmake
file(SIZE "${FILE}" size)
get_filename_component(name "${FILE}" NAME)
math(EXPR room "${LIMIT} - ${size}")
if(size GREATER_EQUAL LIMIT)
  file(REMOVE "${FILE}")
  message(FATAL_ERROR "${name} is ${size} bytes: it must stay below ${LIMIT} bytes")
endif()
message(STATUS "${name}: ${size} bytes (${room} bytes below the limit of ${LIMIT})")
