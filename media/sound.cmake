# Sound: the wave header reader, the Qt Multimedia player, the pacer and the clip paths.
target_sources(tallory_media PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/pacer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/qtsoundbackend.cpp
    ${CMAKE_CURRENT_LIST_DIR}/qtsoundbackend.h
    ${CMAKE_CURRENT_LIST_DIR}/sound.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sound.h
    ${CMAKE_CURRENT_LIST_DIR}/wavreader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wavreader.h)
