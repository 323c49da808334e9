# The window background effects and the string holder.
target_sources(tallory_widgets PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/hgformfx.h
    ${CMAKE_CURRENT_LIST_DIR}/hgformfx.cpp
    ${CMAKE_CURRENT_LIST_DIR}/zelgradient.h
    ${CMAKE_CURRENT_LIST_DIR}/zelgradient.cpp
    ${CMAKE_CURRENT_LIST_DIR}/zelstr.h
    ${CMAKE_CURRENT_LIST_DIR}/zelstr.cpp)
