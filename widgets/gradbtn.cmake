# The gradient push button.
target_sources(tallory_widgets PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/gradbtn.h
    ${CMAKE_CURRENT_LIST_DIR}/gradbtn.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gradbtnpaint.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gradbtnpresets.cpp)
