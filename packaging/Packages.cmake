# Two Debian packages from one build, three with the Python module: "cpack -G DEB" in the build tree.
# Configure with -DCMAKE_INSTALL_PREFIX=/usr so that the library lands in the
# multiarch folder where CMake and pkg-config look.
set(CPACK_PACKAGE_NAME orvex-config-validate)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "OrvexConfigValidate")
set(CPACK_PACKAGE_CONTACT "OrvexConfigValidate maintainers <orvexconfigvalidate@example.net>")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL tool dev)
if(ORVEX_BUILD_PYTHON)
    list(APPEND CPACK_COMPONENTS_ALL python)
endif()
set(CPACK_DEB_COMPONENT_INSTALL ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_TOOL_PACKAGE_NAME orvex-config-validate)
set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION utils)
# libre2, libstdc++ and libc, as dpkg-shlibdeps finds them in the binary.
set(CPACK_DEBIAN_TOOL_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_TOOL_DESCRIPTION
    "checks orvexbridged bridging server configuration files
Checks the server file (orvexbridged_conf.json) and the bridges file
(bridges.json) of the orvexbridged bridging server before they are deployed:
their JSON Schema, and the rules between the two files that a schema cannot
express. Reports every issue with its file, line, column and a stable code,
as text, JSON, GitHub annotations, SARIF or JUnit XML, and serves editors as
a language server.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME liborvexconfigvalidate-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
# The headers include nlohmann/json; the static library needs RE2 at the final
# link; the CMake package finds RE2 through pkg-config.
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "nlohmann-json3-dev (>= 3.11), libre2-dev, pkg-config")
set(CPACK_DEBIAN_DEV_DESCRIPTION
    "library validating orvexbridged configuration files (development)
A C++17 static library that validates the configuration files of the
orvexbridged bridging server against their JSON Schemas and the rules between
them, with line and column positions for every issue. This package holds the
headers, the static library, its CMake package and a pkg-config file.")

set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-orvexconfigvalidate)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SHLIBDEPS ON)
# The compiled part is built for one Python version (its file name says which).
set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "${ORVEX_PYTHON_DEPENDS}")
set(CPACK_DEBIAN_PYTHON_PACKAGE_SUGGESTS ansible)
set(CPACK_DEBIAN_PYTHON_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_LIST_DIR}/python3/postinst ${CMAKE_CURRENT_LIST_DIR}/python3/prerm)
set(CPACK_DEBIAN_PYTHON_DESCRIPTION
    "Python module checking orvexbridged configuration files
Checks the server file and the bridges file of the orvexbridged bridging
server from Python, without a subprocess: a text, the two texts together, a
parsed value or every deployment of a folder, with the same issues as the
orvex-config-validate tool, as Python objects, and the tool's safe fixes.
Includes an ansible.utils.validate engine, orvex.configvalidate.config.")

include(CPack)
