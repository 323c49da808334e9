# Banners, the error and input boxes, links and the help window.
target_sources(tallory_media PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/stringres.h
    ${CMAKE_CURRENT_LIST_DIR}/windowbanners.h
    ${CMAKE_CURRENT_LIST_DIR}/windowbanners.cpp
    ${CMAKE_CURRENT_LIST_DIR}/errorbox.h
    ${CMAKE_CURRENT_LIST_DIR}/errorbox.cpp
    ${CMAKE_CURRENT_LIST_DIR}/links.h
    ${CMAKE_CURRENT_LIST_DIR}/links.cpp
    ${CMAKE_CURRENT_LIST_DIR}/helpwindow.h
    ${CMAKE_CURRENT_LIST_DIR}/helpwindow.cpp)
