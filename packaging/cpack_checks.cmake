# Read by cpack before it builds a package. Without file and dpkg-shlibdeps, cpack -G DEB
# fails late or, worse, builds a package that declares no dependency; this stops it first.
if(CPACK_GENERATOR STREQUAL "DEB")
  foreach(Tool IN ITEMS file:file dpkg-shlibdeps:dpkg-dev)
    string(REPLACE ":" ";" Tool_Package "${Tool}")
    list(GET Tool_Package 0 Program)
    list(GET Tool_Package 1 Package)
    find_program(Adaskel_Found_${Package} ${Program})
    if(NOT Adaskel_Found_${Package})
      message(FATAL_ERROR "adaskel: cpack -G DEB needs '${Program}' to find the package's "
                          "dependencies (Debian: apt-get install ${Package})")
    endif()
  endforeach()
endif()
