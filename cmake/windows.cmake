# The Windows program, included by the root build file on Windows only.

# q275-terminal.exe is a GUI program (no console window of its own) with the application icon
# and version information from the project's one version (q275version.h). q275-cli.exe stays
# a console program.
set_target_properties(q275-terminal PROPERTIES WIN32_EXECUTABLE ON)
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/generated/q275-terminal.rc @ONLY CONTENT [[
#include <winver.h>
#include "q275version.h"

IDI_ICON1 ICON "@PROJECT_SOURCE_DIR@/images/app/q275-terminal.ico"

VS_VERSION_INFO VERSIONINFO
FILEVERSION Q275_VERSION_MAJOR, Q275_VERSION_MINOR, 0, 0
PRODUCTVERSION Q275_VERSION_MAJOR, Q275_VERSION_MINOR, 0, 0
FILEFLAGSMASK VS_FFI_FILEFLAGSMASK
FILEFLAGS 0
FILEOS VOS_NT_WINDOWS32
FILETYPE VFT_APP
FILESUBTYPE VFT2_UNKNOWN
BEGIN
    BLOCK "StringFileInfo"
    BEGIN
        BLOCK "040904B0"
        BEGIN
            VALUE "CompanyName", "Veltrona"
            VALUE "FileDescription", "Q-275 Terminal"
            VALUE "FileVersion", Q275_VERSION
            VALUE "InternalName", "q275-terminal"
            VALUE "OriginalFilename", "q275-terminal.exe"
            VALUE "ProductName", "Q-275 Terminal"
            VALUE "ProductVersion", Q275_VERSION
        END
    END
    BLOCK "VarFileInfo"
    BEGIN
        VALUE "Translation", 0x409, 1200
    END
END
]])
target_sources(q275-terminal PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/generated/q275-terminal.rc)

# `cmake --install` puts the Qt libraries, plug-ins and Qt's own translations beside the
# programs (windeployqt), so that the install folder runs on a machine without Qt.
qt_generate_deploy_app_script(TARGET q275-terminal OUTPUT_SCRIPT Q275_DEPLOY_SCRIPT
  NO_UNSUPPORTED_PLATFORM_ERROR)
install(SCRIPT ${Q275_DEPLOY_SCRIPT})

# `cpack` makes a portable ZIP and an installer (NSIS) with a Start-menu entry and an
# uninstaller.
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/generated/about-package.txt CONTENT
  "Q-275 Terminal ${PROJECT_VERSION}, Veltrona\n\nq275-terminal.exe configures the Q-275 audio option board of a two-way radio through a\nMOTOROLA RIB on a COM port; q275-cli.exe does the same work from a console. The Qt\nlibraries they need are installed beside them.\n")
set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_BINARY_DIR}/generated/about-package.txt)
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Q-275 Terminal")
set(CPACK_PACKAGE_EXECUTABLES q275-terminal "Q-275 Terminal")
set(CPACK_NSIS_DISPLAY_NAME "Q-275 Terminal")
set(CPACK_NSIS_PACKAGE_NAME "Q-275 Terminal")
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/images/app/q275-terminal.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/images/app/q275-terminal.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME bin/q275-terminal.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
