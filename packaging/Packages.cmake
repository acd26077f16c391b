# Debian packages from the install components: `cpack -G DEB` in the build tree.
include(${CMAKE_CURRENT_LIST_DIR}/PackageNames.cmake)

set(CPACK_PACKAGE_NAME sorteka)
set(CPACK_PACKAGE_VENDOR "Varno")
set(CPACK_PACKAGE_CONTACT "Sorteka developers <sorteka@varno.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL program spi-runtime spi-dev widgets)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
# Run-time dependencies from the ELF files themselves; the packages' own
# libraries are found in the staging tree, and each package depends on the
# others it needs at the exact same version.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/sdk)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY "=")
# The SDK library lies where ld.so looks: its package tells ld.so's cache.
set(CPACK_DEBIAN_SPI-RUNTIME_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/debian/triggers)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

foreach(component IN ITEMS program spi-runtime spi-dev widgets)
  string(TOUPPER ${component} upper)
  set(CPACK_DEBIAN_${upper}_PACKAGE_NAME ${SORTEKA_PACKAGE_${component}})
endforeach()

set(CPACK_DEBIAN_PROGRAM_PACKAGE_SECTION graphics)
# The metafile renderer is opened with dlopen, which no ELF dependency shows.
set(CPACK_DEBIAN_PROGRAM_PACKAGE_DEPENDS "libemf2svg1")
set(CPACK_DEBIAN_SPI-RUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_SPI-DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_WIDGETS_PACKAGE_SECTION libdevel)

set(CPACK_COMPONENT_PROGRAM_DESCRIPTION
  "desktop picture sorter with import-filter plug-ins
Sorteka shows the pictures of a folder one at a time; each digit key 1-9
copies or moves the picture on screen into one of nine destination folders.
Pictures are decoded by import-filter plug-ins (*.spi); plug-ins for JPEG,
PNG, GIF, TIFF, WebP, HEIF, JPEG XL and camera RAW files come with it, and
BMP, ICO, WMF and EMF open without any plug-in. Its texts are Japanese.")
set(CPACK_COMPONENT_SPI-RUNTIME_DESCRIPTION
  "run-time library of Sorteka's picture plug-ins
The memory handles that Sorteka and its import-filter plug-ins (*.spi)
share. Every plug-in links this library.")
set(CPACK_COMPONENT_SPI-DEV_DESCRIPTION
  "SDK for Sorteka's picture plug-ins
The header, pkg-config file (sorteka-spi) and CMake package (SortekaSPI)
for writing import-filter plug-ins (*.spi) that Sorteka loads.")
set(CPACK_COMPONENT_WIDGETS_DESCRIPTION
  "Sorteka's reusable Qt widgets and their Qt Designer plug-in
A folder tree view, a directory outline, a performance graph, a gauge, a
colour grid and a month calendar as static libraries with their headers,
the Qt Designer plug-in that offers them, and a gallery program that shows
them.")

include(CPack)
cpack_add_component(spi-runtime DISPLAY_NAME "Plug-in run-time library")
cpack_add_component(program DISPLAY_NAME "Sorteka" DEPENDS spi-runtime)
cpack_add_component(spi-dev DISPLAY_NAME "Plug-in SDK" DEPENDS spi-runtime)
cpack_add_component(widgets DISPLAY_NAME "Reusable widgets")
