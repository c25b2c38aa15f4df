# The release: one ZIP per target, made by `--target package`, holding the
# three deliverables stripped of symbols and a text file for the person who
# installs them, with SHA256SUMS beside it.  The files lie at the top of the
# ZIP, to be unpacked into the client's own directory, where zorv must lie.
# Nothing else has an install rule, so no test program, stand-in or host
# program can reach the package.

# zorvrni's import library is for linking against it, which nobody does.
install(TARGETS Vantrelc zorv zorvrni RUNTIME DESTINATION . ARCHIVE EXCLUDE_FROM_ALL)

# CPack would call every MinGW build win32.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_SYSTEM_NAME win64)
    set(ZORV_WINDOWS "64-bit Windows")
    set(ZORV_WINDOWS_NEEDED "A 64-bit Windows")
else()
    set(CPACK_SYSTEM_NAME win32)
    set(ZORV_WINDOWS "32-bit Windows")
    set(ZORV_WINDOWS_NEEDED "Windows 95, Windows 98, Windows NT or a later Windows")
endif()

# Notepad of Windows 95 and NT shows only CR LF as a line end.
configure_file(${CMAKE_CURRENT_LIST_DIR}/README.txt.in ${CMAKE_BINARY_DIR}/README.txt
               @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_BINARY_DIR}/README.txt DESTINATION .)

# Named vantrel-native-<version>-<win32|win64>.zip; CPack takes the version
# from project().
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME vantrel-native)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/sha256sums.cmake)
include(CPack)
