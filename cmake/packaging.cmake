# The target "packages": this build's portable zip and its installer, named with the project's
# version (Tindrel-<version>-<arch>.zip and Tindrel-<version>-<arch>-setup.exe). They hold the
# whole ready folder, whatever the build put into it; the installer needs makensis (Debian's nsis).
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(TINDREL_PACKAGE_DIR ${CMAKE_BINARY_DIR}/packages CACHE PATH
    "Folder the packages target writes the zip and the installer into")
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(TINDREL_PACKAGE_ARCH x64)
else()
  set(TINDREL_PACKAGE_ARCH x86)
endif()
add_custom_target(packages
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/packaging/make_packages.py
          --ready ${TINDREL_READY_DIR} --version ${PROJECT_VERSION} --arch ${TINDREL_PACKAGE_ARCH}
          --out ${TINDREL_PACKAGE_DIR}
  DEPENDS Tindrel
  COMMENT "Packing Tindrel ${PROJECT_VERSION} (${TINDREL_PACKAGE_ARCH})"
  VERBATIM)
