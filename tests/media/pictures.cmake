tallory_test(media_pictures_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/pictures_test.cpp
    LIBS tallory_media
    WIDGETS)
