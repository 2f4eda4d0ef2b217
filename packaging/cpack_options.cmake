# Read by cpack before it installs the project into its staging folder: the install pass
# then links the font into the VL Gothic package instead of copying it (packaging/install.cmake).
set(ENV{KINETRACE_PACKAGE_PREFIX} "${CPACK_PACKAGING_INSTALL_PREFIX}")
