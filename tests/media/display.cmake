tallory_test(display_tests
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/display_banners_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/display_errorbox_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/display_links_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/display_helpwindow_test.cpp
    LIBS tallory_media
    WIDGETS)
