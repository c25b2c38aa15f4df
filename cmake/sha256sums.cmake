# Run by CPack once the ZIP is made, while it still lies in CPack's own
# directory: writes SHA256SUMS where the ZIP goes, one line for the ZIP and
# one for each file in it, in the form `sha256sum -c` reads.  The files are
# read back from the ZIP itself, so the list holds what ships.
set(lines "")
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    get_filename_component(name ${package} NAME)
    set(unpacked ${CPACK_TEMPORARY_DIRECTORY}/sha256sums)
    file(REMOVE_RECURSE ${unpacked})
    file(ARCHIVE_EXTRACT INPUT ${package} DESTINATION ${unpacked})
    file(SHA256 ${package} sum)
    string(APPEND lines "${sum}  ${name}\n")
    file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${unpacked} ${unpacked}/*)
    list(SORT files)
    foreach(file IN LISTS files)
        file(SHA256 ${unpacked}/${file} sum)
        string(APPEND lines "${sum}  ${file}\n")
    endforeach()
    file(REMOVE_RECURSE ${unpacked})
endforeach()
file(WRITE ${CPACK_PACKAGE_DIRECTORY}/SHA256SUMS "${lines}")
