# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows program folder, which "cmake --install <build> --prefix <folder>"
# fills so that the folder runs as it is, wherever it is unpacked: the two
# programs, the DLLs they load (Qt, QScintilla, the compiler's runtime), Qt's
# plugins in the sub-folders Qt looks for beside a program, the default
# template, and the licence texts. Qt 6.4 has no deployment tool for a cross
# build, so the list is ours; scripts/test-windows.sh checks that every DLL
# the programs import is there.

# The platform plugins: windows for the desktop, offscreen and minimal for
# tests without a screen. The style is the one Windows users see elsewhere.
set(clipquill_qt_plugins
    QWindowsIntegrationPlugin:platforms QOffscreenIntegrationPlugin:platforms
    QMinimalIntegrationPlugin:platforms QWindowsVistaStylePlugin:styles QICOPlugin:imageformats)
foreach(entry ${clipquill_qt_plugins})
  string(REPLACE ":" ";" parts ${entry})
  list(GET parts 0 plugin)
  list(GET parts 1 folder)
  if(NOT TARGET Qt6::${plugin})
    message(FATAL_ERROR "Qt for Windows lacks the plugin ${plugin}")
  endif()
  install(FILES $<TARGET_FILE:Qt6::${plugin}> DESTINATION ${CMAKE_INSTALL_BINDIR}/${folder})
endforeach()

foreach(module Core Gui Widgets PrintSupport)
  install(FILES $<TARGET_FILE:Qt6::${module}> DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()

# QScintilla's DLL lies in the bin/ beside the import library that was found.
get_filename_component(qscintilla_prefix ${QSCINTILLA_LIBRARY} DIRECTORY)
get_filename_component(qscintilla_prefix ${qscintilla_prefix} DIRECTORY)
install(FILES ${qscintilla_prefix}/bin/qscintilla2_qt6.dll DESTINATION ${CMAKE_INSTALL_BINDIR})

# The compiler's runtime, which Qt's DLLs and the window import.
foreach(runtime libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
                  OUTPUT_VARIABLE runtime_path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${runtime_path}" OR NOT EXISTS "${runtime_path}")
    message(FATAL_ERROR "The compiler has no ${runtime} to ship beside the window")
  endif()
  install(FILES ${runtime_path} DESTINATION ${CMAKE_INSTALL_BINDIR})
  # Debian's runtime DLLs carry their debugging information (libstdc++ is
  # 23 MB with it, 2 MB without); "cmake --install --strip" strips only the
  # targets built here.
  install(CODE "if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded
                    \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${runtime}\")
  endif()")
endforeach()

# The licences of what the folder carries: ours, Qt's (LGPL-3.0), QScintilla's
# (GPL-3.0) and libjpeg-turbo's (IJG, BSD-3-Clause, zlib), compiled into the
# window.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_BINDIR}/licenses
        RENAME Clipquill-GPL-3.0-or-later.txt)
# Qt for Windows is built from Debian's qt6-base source, whose copyright file
# also names the licences of the code Qt bundles (FreeType, HarfBuzz, libpng,
# zlib...); the prebuilt carries no licence texts of its own.
set(qt_licences /usr/share/common-licenses/LGPL-3 /usr/share/common-licenses/GPL-3
                /usr/share/doc/qt6-base-dev/copyright)
foreach(licence ${qt_licences})
  if(NOT EXISTS ${licence})
    message(FATAL_ERROR "${licence} is missing: Qt's licence texts come from Debian's qt6-base-dev")
  endif()
endforeach()
install(FILES ${qt_licences} DESTINATION ${CMAKE_INSTALL_BINDIR}/licenses/Qt)
install(FILES ${qscintilla_prefix}/share/licenses/qscintilla/LICENSE
        DESTINATION ${CMAKE_INSTALL_BINDIR}/licenses/QScintilla)
get_filename_component(jpeg_prefix ${JPEG_LIBRARY_RELEASE} DIRECTORY)
file(GLOB jpeg_licences ${jpeg_prefix}/../share/licenses/libjpeg-turbo/*)
install(FILES ${jpeg_licences} DESTINATION ${CMAKE_INSTALL_BINDIR}/licenses/libjpeg-turbo)
