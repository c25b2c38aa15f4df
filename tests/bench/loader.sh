# Sourced by the bench scripts: picks the Wine loader for one target.
#   bench_loader x64|x86    prints the loader to run that target's programs
# Debian's "wine" script starts the 32-bit loader whenever wine32 is
# installed, and that loader cannot start at all where the kernel refuses
# 32-bit code, so each target names its own loader.  Wine finds the other
# one from WINELOADER when a program starts a child of the other kind.
bench_loader() {
    case $1 in
        x86) [ -x /usr/lib/wine/wine ] && echo /usr/lib/wine/wine || command -v wine ;;
        *) [ -x /usr/lib/wine/wine64 ] && echo /usr/lib/wine/wine64 || command -v wine64 || command -v wine ;;
    esac
}
