# Links the command-line tool's run-time libraries into it. Checking a small
# file is mostly the process starting, and half of that was the dynamic
# loader binding the C++ run time and RE2 to the program. Position-
# independent, so that its addresses stay random. A distribution's package
# (installed into /usr) keeps the shared libraries, as its policy asks, and
# so do sanitizer and fuzzing builds, whose run times need them.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr" OR ORVEX_SANITIZE OR ORVEX_BUILD_FUZZ)
    set(orvex_static_default OFF)
else()
    set(orvex_static_default ON)
endif()
option(ORVEX_STATIC_TOOL "Link the tool's run-time libraries (C, C++, RE2) into it"
       ${orvex_static_default})

if(ORVEX_STATIC_TOOL)
    include(CheckLinkerFlag)
    check_linker_flag(CXX -static-pie ORVEX_LINKS_STATIC_PIE)
    find_library(ORVEX_RE2_ARCHIVE NAMES libre2.a HINTS ${RE2_LIBRARY_DIRS})
    if(ORVEX_LINKS_STATIC_PIE AND ORVEX_RE2_ARCHIVE)
        # Every program of this tree then takes RE2 from its archive; only
        # the tool is linked without shared libraries at all.
        set_property(TARGET PkgConfig::RE2 PROPERTY INTERFACE_LINK_LIBRARIES
                     ${ORVEX_RE2_ARCHIVE} Threads::Threads)
        target_link_options(orvex-config-validate PRIVATE -static-pie)
    else()
        message(STATUS "orvex-config-validate links shared libraries: no -static-pie or libre2.a")
    endif()
endif()
