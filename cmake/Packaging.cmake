# SPDX-License-Identifier: MIT
# What a Windows user downloads: a portable zip and an installer (NSIS) with a Start-menu shortcut that
# starts Zumeko in its own folder, where help.html lies, and an uninstaller.
set(CPACK_PACKAGE_NAME Zumeko)
set(CPACK_PACKAGE_VENDOR "Zumeko Project")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Zumeko: a colour as an HTML colour code")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Zumeko)
set(CPACK_PACKAGE_FILE_NAME zumeko-${PROJECT_VERSION}-windows-x86_64)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_GENERATOR ZIP NSIS64)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_EXECUTABLES zumeko Zumeko)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_INSTALLED_ICON_NAME zumeko.exe)
set(CPACK_NSIS_MUI_ICON ${CMAKE_BINARY_DIR}/icons/zumeko.ico)
set(CPACK_NSIS_MUI_UNIICON ${CMAKE_BINARY_DIR}/icons/zumeko.ico)
# A 64-bit installer for a 64-bit program: it sees the 64-bit Program Files and registry.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_DISPLAY_NAME Zumeko)
set(CPACK_NSIS_PACKAGE_NAME Zumeko)
set(CPACK_NSIS_URL_INFO_ABOUT https://zumeko.example/)
# A second install over the first replaces it rather than leaving two in the list of programs.
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
include(CPack)
