# The desktop application. Its classes live in a static library so the GUI tests link the same code.
add_library(setlistry_gui STATIC
    ColorWell.cpp ColorWell.h
    FieldListModel.cpp FieldListModel.h
    FieldSelectionSheet.cpp FieldSelectionSheet.h FieldSelectionSheet.ui
    PrefsPanel.cpp PrefsPanel.h Prefs.ui
    SLController.cpp SLController.h SLController.ui
    WidgetInteraction.cpp WidgetInteraction.h
    slTextView.cpp slTextView.h
)
target_link_libraries(setlistry_gui PUBLIC setlistry_core Qt6::Widgets)
target_include_directories(setlistry_gui PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
set_target_properties(setlistry_gui PROPERTIES AUTOUIC ON AUTOMOC ON)

qt_add_resources(setlistry_gui "gui_images"
    PREFIX "/images"
    BASE "${PROJECT_SOURCE_DIR}/resources/images"
    FILES
        "${PROJECT_SOURCE_DIR}/resources/images/arrow_r.tif"
        "${PROJECT_SOURCE_DIR}/resources/images/arrow_l.tif"
)
qt_add_resources(setlistry_gui "gui_icons"
    PREFIX "/icons"
    BASE "${PROJECT_SOURCE_DIR}/resources/icons"
    FILES "${PROJECT_SOURCE_DIR}/resources/icons/setlistry-256.png"
)

add_executable(setlistry main.cpp)
target_link_libraries(setlistry PRIVATE setlistry_gui)
target_compile_definitions(setlistry PRIVATE SETLISTRY_VERSION="${PROJECT_VERSION}")

include(GNUInstallDirs)
install(TARGETS setlistry RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES "${PROJECT_SOURCE_DIR}/resources/setlistry.desktop"
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES "${PROJECT_SOURCE_DIR}/resources/icons/setlistry.svg"
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 48 64 128 256)
    install(FILES "${PROJECT_SOURCE_DIR}/resources/icons/setlistry-${size}.png"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
        RENAME setlistry.png)
endforeach()
