# Built-in pictures and cursors: SVG art in resources/pictures, rendered at nominal sizes.
target_sources(tallory_media PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/pictures.h
    ${CMAKE_CURRENT_LIST_DIR}/pictures.cpp)

set(TALLORY_PICTURE_FILES
    ways game vedok board myhand norm
    dr1 dr2 dr3 dr4 dr5 dr6 dr7 dr8 dr9 dr10 dr11 dr12 dr13 dr14
    sl1 sl1_off sl2 sl2_off sl3 sl3_off sl4 sl4_off
    sl6 sl6_off sl7 sl7_off sl8 sl8_off)
list(TRANSFORM TALLORY_PICTURE_FILES PREPEND ${CMAKE_SOURCE_DIR}/resources/pictures/)
list(TRANSFORM TALLORY_PICTURE_FILES APPEND .svg)
qt_add_resources(tallory_media "pictures"
    PREFIX "/"
    BASE ${CMAKE_SOURCE_DIR}/resources
    FILES ${TALLORY_PICTURE_FILES})
