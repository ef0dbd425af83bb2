# SPDX-License-Identifier: GPL-3.0-or-later
# Debian's header-only nlohmann-json for the Windows cross build. Its own
# package file names /usr/include as the include folder, which would put the
# Linux C library's headers before mingw-w64's: here only the nlohmann
# folder is reached, through a link in the build tree.
if(NOT TARGET nlohmann_json::nlohmann_json)
  set(clipquill_json_include ${CMAKE_BINARY_DIR}/cross-include)
  if(NOT EXISTS ${clipquill_json_include}/nlohmann)
    file(MAKE_DIRECTORY ${clipquill_json_include})
    file(CREATE_LINK /usr/include/nlohmann ${clipquill_json_include}/nlohmann SYMBOLIC)
  endif()
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
                        INTERFACE_INCLUDE_DIRECTORIES ${clipquill_json_include})
endif()
set(nlohmann_json_FOUND TRUE)
