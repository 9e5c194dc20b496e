# The Debian package zorvan-backup_<version>_<arch>.deb, made by CPack from this build directory's
# install rules (scripts/package.sh): no second build, and the package holds exactly what
# `cmake --install` installs. Its library dependencies are computed from the binaries (dpkg-shlibdeps).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zorvan-backup)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Zorvan Backup developers")
set(CPACK_PACKAGE_CONTACT "Zorvan Backup developers <developers@zorvanbackup.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Back up files, folders and drives on a schedule")
# The extended description (CPack puts the summary before it and indents it).
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Zorvan Backup copies chosen files and folders to a local or external drive
or to an SMB network share, as a mirror, as full copies or as incremental
copies, and restores any kept backup. Drive image jobs image whole drives
and keep several versions.

Jobs run on schedules, on demand from the window or from the command line
(zorvanbackup-cli); zorvan-imagetool images and restores drives.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://zorvanbackup.example/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so dpkg-shlibdeps cannot see them: the window system plugins and the SVG icons;
# pkexec for the elevated restart of drive image jobs.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pkexec")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
include(CPack)
