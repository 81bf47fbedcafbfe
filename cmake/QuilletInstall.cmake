# cmake --install [--prefix P]: the program and the files it reads next to itself stay together in
# P/lib/quillet; P/bin/quillet points at it; the desktop entry, the MIME package of *.mmt and the
# icon go where the desktop looks for them.
if(NOT TARGET quillet)
    return()
endif()

set(QUILLET_INSTALL_PROGRAM_DIR lib/quillet)
set(QUILLET_RESOURCES ${PROJECT_SOURCE_DIR}/resources)

install(TARGETS quillet RUNTIME DESTINATION ${QUILLET_INSTALL_PROGRAM_DIR})
foreach(file IN ITEMS Script.txt help.htm help_en.htm readme.htm Tevrano.ini)
    if(EXISTS ${QUILLET_RESOURCES}/${file})
        install(FILES ${QUILLET_RESOURCES}/${file} DESTINATION ${QUILLET_INSTALL_PROGRAM_DIR})
    endif()
endforeach()
install(DIRECTORY ${QUILLET_RESOURCES}/Language/ DESTINATION ${QUILLET_INSTALL_PROGRAM_DIR}/Language
        FILES_MATCHING PATTERN "*.ini")

install(FILES ${QUILLET_RESOURCES}/quillet.xml DESTINATION share/mime/packages)
install(FILES ${QUILLET_RESOURCES}/quillet.svg DESTINATION share/icons/hicolor/scalable/apps)

# The launcher and the desktop entry name the final prefix, known only when installing.
configure_file(${CMAKE_CURRENT_LIST_DIR}/QuilletDesktopFiles.cmake.in
               ${CMAKE_BINARY_DIR}/QuilletDesktopFiles.cmake @ONLY)
install(SCRIPT ${CMAKE_BINARY_DIR}/QuilletDesktopFiles.cmake)
