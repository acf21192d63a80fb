# Imported target kelvra_gmp for GMP (key generation, and the reference side
# of the big-integer tests and benchmarks). Safe to include more than once.
if(NOT TARGET kelvra_gmp)
  find_library(GMP_LIBRARY gmp)
  find_path(GMP_INCLUDE_DIR gmp.h)
  if(NOT GMP_LIBRARY OR NOT GMP_INCLUDE_DIR)
    message(FATAL_ERROR "GMP not found (Debian package libgmp-dev)")
  endif()
  add_library(kelvra_gmp UNKNOWN IMPORTED GLOBAL)
  set_target_properties(kelvra_gmp PROPERTIES
    IMPORTED_LOCATION ${GMP_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${GMP_INCLUDE_DIR})
endif()
