find_package(Qt6 REQUIRED COMPONENTS Test)
tallory_test(widgets_gradbtn_tests
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/gradbtn_properties_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/gradbtn_gradient_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/gradbtn_caption_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/gradbtn_press_test.cpp
    LIBS tallory_widgets Qt6::Test
    WIDGETS)
